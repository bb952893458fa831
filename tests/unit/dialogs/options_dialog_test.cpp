#include "core/dialogs/option_dlg.h"

#include <gtest/gtest.h>

namespace qv {
namespace {

// A sample laid out as the dialog draws it (sizes are arbitrary but realistic).
DesignSampleLayout Sample() {
    DesignSampleLayout l;
    l.Panel = Rect{0, 0, 300, 260};
    l.Fragment = Rect{20, 20, 100, 60};
    l.FragmentText = Rect{20, 20, 50, 36};
    l.Selected = Rect{120, 20, 200, 60};
    l.SelectedText = Rect{120, 20, 168, 36};
    l.Plate = Rect{20, 90, 100, 120};
    l.PlateText = Rect{20, 90, 50, 106};
    l.Frame = Rect{10, 10, 210, 130};
    l.Symbol = Rect{220, 20, 240, 45};
    l.LineStart = Point{20, 250};
    l.LineEnd = Point{120, 150};
    l.List = Rect{150, 150, 290, 230};
    l.ListRowHeight = 16;
    l.ListRows = 5;
    l.ListCheckedRows = 1;
    l.Status = Rect{0, 240, 300, 260};
    return l;
}

SampleChoice Hit(int x, int y) {
    const auto c = HitDesignSample(Sample(), Point{x, y});
    EXPECT_TRUE(c.has_value()) << x << "," << y;
    return c.value_or(SampleChoice{});
}

TEST(DesignSampleHit, CardsChooseBorderTextOrBackgroundWithTheirFont) {
    using C = OptionColour;
    using F = OptionFont;
    // Within 4 pixels of the fragment's border, inside or outside.
    EXPECT_EQ(Hit(17, 40), (SampleChoice{C::FrgBorder, F::Fragment}));
    EXPECT_EQ(Hit(23, 40), (SampleChoice{C::FrgBorder, F::Fragment}));
    EXPECT_EQ(Hit(30, 30), (SampleChoice{C::DefFrgFG, F::Fragment}));
    EXPECT_EQ(Hit(80, 45), (SampleChoice{C::DefFrgBG, F::Fragment}));
    // The selected card's border is the marked-card outline; its font is the fragment font.
    EXPECT_EQ(Hit(121, 40), (SampleChoice{C::SelectRect, F::Fragment}));
    EXPECT_EQ(Hit(130, 30), (SampleChoice{C::SelFrgFG, F::Fragment}));
    EXPECT_EQ(Hit(180, 50), (SampleChoice{C::SelFrgBG, F::Fragment}));
    // The name plate shares the fragment outline but has its own font.
    EXPECT_EQ(Hit(60, 118), (SampleChoice{C::FrgBorder, F::NamePlate}));
    EXPECT_EQ(Hit(30, 100), (SampleChoice{C::NamFrgFG, F::NamePlate}));
    EXPECT_EQ(Hit(80, 110), (SampleChoice{C::NamFrgBG, F::NamePlate}));
}

TEST(DesignSampleHit, OtherPartsOfTheSample) {
    using C = OptionColour;
    using F = OptionFont;
    EXPECT_EQ(Hit(230, 30), (SampleChoice{C::SymbolFG, F::Symbol}));
    EXPECT_EQ(Hit(70, 200), (SampleChoice{C::GroupLine, std::nullopt, true}));
    EXPECT_EQ(Hit(200, 155), (SampleChoice{C::GroupListFG, F::GroupList}));
    EXPECT_EQ(Hit(200, 175), (SampleChoice{C::GroupListOff, F::GroupList}));
    EXPECT_EQ(Hit(200, 250), (SampleChoice{std::nullopt, F::StatusBar}));
    // Near the frame but away from the cards: the frame colour; elsewhere the page colour.
    EXPECT_EQ(Hit(150, 126), (SampleChoice{C::GroupFrame, std::nullopt}));
    EXPECT_EQ(Hit(260, 100), (SampleChoice{C::Background, std::nullopt}));
    EXPECT_FALSE(HitDesignSample(Sample(), Point{400, 100}).has_value());
}

TEST(OptionLists, ValuesTheListsCannotShowBecomeTheEntryShown) {
    EXPECT_EQ(ArrowSizeIndex(8), 0);
    EXPECT_EQ(ArrowSizeIndex(10), 1);
    EXPECT_EQ(ArrowSizeIndex(16), 2);
    EXPECT_EQ(ArrowTypeIndex(7), 0);
    EXPECT_EQ(MoveCursorIndex(7), 0);
    EXPECT_EQ(MoveCursorOfIndex(2), 6);

    EnvData env;
    env.GLineArrowSize = 10;
    env.MoveCurosr = 7;
    OptionsEditor editor;
    editor.Show(env, "");
    editor.Accept();
    EXPECT_EQ(env.GLineArrowSize, 12);
    EXPECT_EQ(env.MoveCurosr, 0);
}

TEST(OptionsEditor, OkCopiesTheWorkingCopyBackAndSaysWhatChanged) {
    EnvData env;
    OptionsEditor editor;
    editor.Show(env, "C:\\doc.csv");
    EXPECT_TRUE(editor.CanUseActiveDocument());
    editor.Work().JpegQuality = 40;
    editor.Work().PrintMonochrome = true;
    editor.Work().HideNamePlate = false;
    editor.SetColour(OptionColour::GroupListBG, 0x123456);
    // Nothing reaches the settings before OK.
    EXPECT_EQ(env.JpegQuality, 100);
    EXPECT_NE(env.Colors.GroupListBG, Color{0x123456});
    const OptionsApplied applied = editor.Accept();
    EXPECT_EQ(env.JpegQuality, 40);
    EXPECT_TRUE(env.PrintMonochrome);
    EXPECT_FALSE(env.HideNamePlate);
    EXPECT_EQ(env.Colors.GroupListBG, Color{0x123456});
    // None of these changes a card: card images may stay cached.
    EXPECT_EQ(applied, OptionsApplied{});

    editor.Show(env, "");
    EXPECT_FALSE(editor.CanUseActiveDocument());
    editor.Font(OptionFont::Fragment).Size = 20;
    editor.Work().SpiDir = "/plugins";
    editor.Work().IME_On = true;
    EXPECT_EQ(editor.Accept(), (OptionsApplied{true, true, true}));
    EXPECT_EQ(env.FragmentFont.Size, 20);
    EXPECT_EQ(env.SpiDir, "/plugins");
}

TEST(OptionsEditor, AnEmptyLineBreakMarkerIsNeverTaken) {
    EnvData env;
    OptionsEditor editor;
    editor.Show(env, "");
    editor.Work().CR_String.clear();
    editor.Accept();
    EXPECT_EQ(env.CR_String, kDefaultCrString);
}

TEST(OptionsEditor, CancelRestoresTheArrowsButKeepsCustomColoursAndThePluginFolder) {
    EnvData env;
    env.GLineArrowSize = 12;
    OptionsEditor editor;
    editor.Show(env, "");
    editor.SetArrowSize(2);
    editor.SetArrowType(1);
    // The arrow lists act at once, so open windows and the sample line show them.
    EXPECT_EQ(env.GLineArrowSize, 16);
    EXPECT_EQ(env.GLineArrowType, 1);
    std::array<Color, 16> custom{};
    custom[3] = 0xABCDEF;
    editor.TakeCustomColours(custom);
    editor.ChoosePluginFolder("/spi");
    editor.Work().JpegQuality = 10;
    editor.Cancel();
    EXPECT_EQ(env.GLineArrowSize, 12);
    EXPECT_EQ(env.GLineArrowType, 0);
    EXPECT_EQ(env.CustomColors[3], Color{0xABCDEF});
    EXPECT_EQ(env.SpiDir, "/spi");
    EXPECT_EQ(env.JpegQuality, 100);
}

TEST(OptionsEditor, FastDrawingStaysOffOutsideTheNtFamily) {
    EnvData env;
    env.PlatformId = 1;
    OptionsEditor editor;
    editor.Show(env, "");
    editor.Work().FrgFastDraw = true;
    editor.Accept();
    EXPECT_FALSE(env.FrgFastDraw);
}

}  // namespace
}  // namespace qv
