#include "core/dialogs/option_dlg.h"

#include <algorithm>
#include <utility>

namespace qv {

namespace {

// Inside `r` grown by n on every side but not inside `r` shrunk by n.
bool NearBorder(const Rect& r, Point p, int n) {
    const Rect outer{r.Left - n, r.Top - n, r.Right + n, r.Bottom + n};
    const Rect inner{r.Left + n, r.Top + n, r.Right - n, r.Bottom - n};
    return outer.Contains(p) && !inner.Contains(p);
}

// What a card image shows of the settings: a change of any of these redraws every card.
struct CardLook {
    std::array<Color, 9> Colours;
    FontSpec Fragment, NamePlate, Symbol;
    bool LinkIsIcon, AcceptCr;
    std::string CrString;
    friend bool operator==(const CardLook&, const CardLook&) = default;
};

CardLook CardLookOf(const EnvData& d) {
    const EnvData::ColorSettings& c = d.Colors;
    return CardLook{{c.DefFrgFG, c.DefFrgBG, c.FrgBorder, c.SelFrgFG, c.SelFrgBG, c.NamFrgFG,
                     c.NamFrgBG, c.SymbolFG, c.SelectRect},
                    d.FragmentFont,
                    d.NamePlateFont,
                    d.SymbolFont,
                    d.LinkIsIcon,
                    d.Accept_CR,
                    d.CR_String};
}

struct CardSample {
    const Rect& Card;
    const Rect& Text;
    OptionColour Border, TextColour, Back;
    OptionFont Font;
};

}  // namespace

std::optional<SampleChoice> HitDesignSample(const DesignSampleLayout& l, Point at) {
    using C = OptionColour;
    const CardSample cards[] = {
        {l.Fragment, l.FragmentText, C::FrgBorder, C::DefFrgFG, C::DefFrgBG, OptionFont::Fragment},
        {l.Selected, l.SelectedText, C::SelectRect, C::SelFrgFG, C::SelFrgBG, OptionFont::Fragment},
        {l.Plate, l.PlateText, C::FrgBorder, C::NamFrgFG, C::NamFrgBG, OptionFont::NamePlate},
    };
    for (const CardSample& c : cards) {
        if (NearBorder(c.Card, at, 4)) return SampleChoice{c.Border, c.Font};
        if (c.Card.Contains(at))
            return SampleChoice{c.Text.Contains(at) ? c.TextColour : c.Back, c.Font};
    }
    if (l.Symbol.Contains(at)) return SampleChoice{C::SymbolFG, OptionFont::Symbol};
    ArrowLine line;
    line.WinStart = l.LineStart;
    line.WinEnd = l.LineEnd;
    if (line.HitTest(at.X, at.Y)) return SampleChoice{C::GroupLine, std::nullopt, true};
    if (l.List.Contains(at)) {
        const int row = (at.Y - l.List.Top) / std::max(l.ListRowHeight, 1);
        if (row < l.ListRows)
            return SampleChoice{row < l.ListCheckedRows ? C::GroupListFG : C::GroupListOff,
                                OptionFont::GroupList};
        return SampleChoice{C::GroupListBG, OptionFont::GroupList};
    }
    if (l.Status.Contains(at)) return SampleChoice{std::nullopt, OptionFont::StatusBar};
    if (!l.Panel.Contains(at)) return std::nullopt;
    if (NearBorder(l.Frame, at, 8)) return SampleChoice{C::GroupFrame, std::nullopt};
    return SampleChoice{C::Background, std::nullopt};
}

int ArrowSizeIndex(int size) {
    return size == 8 ? 0 : size == 16 ? 2 : 1;
}

int ArrowSizeOfIndex(int index) {
    return index == 0 ? 8 : index == 2 ? 16 : 12;
}

int ArrowTypeIndex(int type) {
    return type == 1 ? 1 : 0;
}

int MoveCursorIndex(int cursor) {
    return cursor == 5 ? 1 : cursor == 6 ? 2 : 0;
}

int MoveCursorOfIndex(int index) {
    return index == 1 ? 5 : index == 2 ? 6 : 0;
}

void OptionsEditor::Show(EnvData& env, std::string activeDocumentPath) {
    env_ = &env;
    work_ = env;
    // The histories are not the dialog's business; keep the copy small.
    work_.RecentFiles.clear();
    work_.FindHistory.clear();
    activePath_ = std::move(activeDocumentPath);
    savedArrowType_ = env.GLineArrowType;
    savedArrowSize_ = env.GLineArrowSize;
    // Values the lists cannot show are taken as the entry they show, so OK stores what was seen.
    work_.GLineArrowSize = ArrowSizeOfIndex(ArrowSizeIndex(env.GLineArrowSize));
    work_.GLineArrowType = ArrowTypeIndex(env.GLineArrowType);
    work_.MoveCurosr = MoveCursorOfIndex(MoveCursorIndex(env.MoveCurosr));
    if (work_.PlatformId != kPlatformNt) work_.FrgFastDraw = false;
}

Color OptionsEditor::ColourOf(OptionColour which) const {
    const EnvData::ColorSettings& c = work_.Colors;
    switch (which) {
        case OptionColour::DefFrgFG:
            return c.DefFrgFG;
        case OptionColour::DefFrgBG:
            return c.DefFrgBG;
        case OptionColour::SelFrgFG:
            return c.SelFrgFG;
        case OptionColour::SelFrgBG:
            return c.SelFrgBG;
        case OptionColour::NamFrgFG:
            return c.NamFrgFG;
        case OptionColour::NamFrgBG:
            return c.NamFrgBG;
        case OptionColour::FrgBorder:
            return c.FrgBorder;
        case OptionColour::SelectRect:
            return c.SelectRect;
        case OptionColour::SymbolFG:
            return c.SymbolFG;
        case OptionColour::Background:
            return c.Background;
        case OptionColour::GroupFrame:
            return c.GroupFrame;
        case OptionColour::GroupLine:
            return c.GroupLine;
        case OptionColour::GroupListFG:
            return c.GroupListFG;
        case OptionColour::GroupListOff:
            return c.GroupListOff;
        case OptionColour::GroupListBG:
            return c.GroupListBG;
        case OptionColour::AreaFrame:
            return c.AreaFrame;
        case OptionColour::DivLine:
            return c.DivLine;
    }
    return 0;
}

void OptionsEditor::SetColour(OptionColour which, Color color) {
    EnvData::ColorSettings& c = work_.Colors;
    Color* target = nullptr;
    switch (which) {
        case OptionColour::DefFrgFG:
            target = &c.DefFrgFG;
            break;
        case OptionColour::DefFrgBG:
            target = &c.DefFrgBG;
            break;
        case OptionColour::SelFrgFG:
            target = &c.SelFrgFG;
            break;
        case OptionColour::SelFrgBG:
            target = &c.SelFrgBG;
            break;
        case OptionColour::NamFrgFG:
            target = &c.NamFrgFG;
            break;
        case OptionColour::NamFrgBG:
            target = &c.NamFrgBG;
            break;
        case OptionColour::FrgBorder:
            target = &c.FrgBorder;
            break;
        case OptionColour::SelectRect:
            target = &c.SelectRect;
            break;
        case OptionColour::SymbolFG:
            target = &c.SymbolFG;
            break;
        case OptionColour::Background:
            target = &c.Background;
            break;
        case OptionColour::GroupFrame:
            target = &c.GroupFrame;
            break;
        case OptionColour::GroupLine:
            target = &c.GroupLine;
            break;
        case OptionColour::GroupListFG:
            target = &c.GroupListFG;
            break;
        case OptionColour::GroupListOff:
            target = &c.GroupListOff;
            break;
        case OptionColour::GroupListBG:
            target = &c.GroupListBG;
            break;
        case OptionColour::AreaFrame:
            target = &c.AreaFrame;
            break;
        case OptionColour::DivLine:
            target = &c.DivLine;
            break;
    }
    if (target) *target = color;
}

FontSpec& OptionsEditor::Font(OptionFont which) {
    switch (which) {
        case OptionFont::NamePlate:
            return work_.NamePlateFont;
        case OptionFont::Symbol:
            return work_.SymbolFont;
        case OptionFont::GroupList:
            return work_.GroupListFont;
        case OptionFont::StatusBar:
            return work_.StatusBarFont;
        case OptionFont::Fragment:
            break;
    }
    return work_.FragmentFont;
}

void OptionsEditor::SetArrowSize(int index) {
    work_.GLineArrowSize = ArrowSizeOfIndex(index);
    if (env_) env_->GLineArrowSize = work_.GLineArrowSize;
}

void OptionsEditor::SetArrowType(int index) {
    work_.GLineArrowType = index == 1 ? 1 : 0;
    if (env_) env_->GLineArrowType = work_.GLineArrowType;
}

void OptionsEditor::TakeCustomColours(const std::array<Color, 16>& colours) {
    work_.CustomColors = colours;
    if (env_) env_->CustomColors = colours;
}

void OptionsEditor::ChoosePluginFolder(const std::string& folder) {
    work_.SpiDir = folder;
    if (env_) env_->SpiDir = folder;
}

OptionsApplied OptionsEditor::Accept() {
    OptionsApplied result;
    if (!env_) return result;
    EnvData& e = *env_;
    const EnvData& w = work_;
    const bool imeBefore = e.IME_On;
    const CardLook before = CardLookOf(e);

    // 1. Fonts and colours of the samples.
    e.FragmentFont = w.FragmentFont;
    e.Colors.DefFrgFG = w.Colors.DefFrgFG;
    e.Colors.DefFrgBG = w.Colors.DefFrgBG;
    e.Colors.SelFrgFG = w.Colors.SelFrgFG;
    e.Colors.SelFrgBG = w.Colors.SelFrgBG;
    e.NamePlateFont = w.NamePlateFont;
    e.Colors.NamFrgFG = w.Colors.NamFrgFG;
    e.Colors.NamFrgBG = w.Colors.NamFrgBG;
    e.Colors.FrgBorder = w.Colors.FrgBorder;
    e.SymbolFont = w.SymbolFont;
    e.Colors.SymbolFG = w.Colors.SymbolFG;
    e.Colors.Background = w.Colors.Background;
    e.Colors.SelectRect = w.Colors.SelectRect;
    e.Colors.GroupFrame = w.Colors.GroupFrame;
    e.Colors.GroupLine = w.Colors.GroupLine;
    e.Colors.DivLine = w.Colors.DivLine;
    e.StatusBarFont = w.StatusBarFont;
    // 2. Frames and lines.
    e.GFrameLineWidth = w.GFrameLineWidth;
    e.GlstInterLine = w.GlstInterLine;
    e.GLineArrowSize = w.GLineArrowSize;
    e.GLineArrowType = w.GLineArrowType;
    // 3. Default sizes.
    e.FrgWidth = w.FrgWidth;
    e.FrgHeight = w.FrgHeight;
    e.NamWidth = w.NamWidth;
    e.NamHeight = w.NamHeight;
    e.ImgRatio1 = w.ImgRatio1;
    e.ImgRatio2 = w.ImgRatio2;
    // 4. The group list and the map's frame.
    e.GroupListFont = w.GroupListFont;
    e.Colors.GroupListFG = w.Colors.GroupListFG;
    e.Colors.GroupListBG = w.Colors.GroupListBG;
    e.Colors.AreaFrame = w.Colors.AreaFrame;
    e.Colors.GroupListOff = w.Colors.GroupListOff;
    // 5. New cards and text input.
    e.NewPosition = w.NewPosition;
    e.AwayPosition = w.AwayPosition;
    e.NewNoGroup = w.NewNoGroup;
    e.HideNamePlate = w.HideNamePlate;
    e.AutoExpand = w.AutoExpand;
    e.InputWordWrap = w.InputWordWrap;
    e.IME_On = w.IME_On;
    // 6. Line breaks, links, spreading.
    e.Accept_CR = w.Accept_CR;
    e.CR_ReturnKey = w.CR_ReturnKey;
    e.OK_CtrlReturn = w.OK_CtrlReturn;
    e.CR_String = w.CR_String.empty() ? std::string(kDefaultCrString) : w.CR_String;
    e.LinkIsIcon = w.LinkIsIcon;
    e.SpreadShuffle = w.SpreadShuffle;
    e.SpreadAlign = w.SpreadAlign;
    // 7. Windows.
    e.HomeWindow = w.HomeWindow;
    e.HomWinMaximize = w.HomWinMaximize;
    e.ChildWinMaximize = w.ChildWinMaximize;
    e.HideTitleMenu = w.HideTitleMenu;
    e.RestoreScrPos = w.RestoreScrPos;
    e.ScrollTracking = w.ScrollTracking;
    e.AreaFrame = w.AreaFrame;
    e.ActivateDistWin = w.ActivateDistWin;
    e.OpenLastFile = w.OpenLastFile;
    e.MoveCurosr = w.MoveCurosr;
    // 8. Display and the rest.
    e.NoNpHideGfrm = w.NoNpHideGfrm;
    e.IfNpShowGfrm = w.IfNpShowGfrm;
    e.GfrmMovUpdate = w.GfrmMovUpdate;
    e.GLineRightAngle = w.GLineRightAngle;
    e.FrgFastDraw = e.PlatformId == kPlatformNt && w.FrgFastDraw;
    e.DoubleBuffered = w.DoubleBuffered;
    e.MapViewImage = w.MapViewImage;
    e.FlatToolBar = w.FlatToolBar;
    e.ClipPosSort = w.ClipPosSort;
    e.DropLinkFile = w.DropLinkFile;
    e.DropImgFile = w.DropImgFile;
    e.ShowDstGrp = w.ShowDstGrp;
    e.ImageIsBack = w.ImageIsBack;
    e.FrameAllSelect = w.FrameAllSelect;
    e.NewBlankDblClick = w.NewBlankDblClick;
    e.NewFixedScr = w.NewFixedScr;
    e.PrintMonochrome = w.PrintMonochrome;
    e.JpegQuality = w.JpegQuality;
    // 9. The plug-in folder typed into its field.
    if (w.SpiDir != e.SpiDir) {
        e.SpiDir = w.SpiDir;
        result.PluginsChanged = true;
    }

    result.CardsChanged = !(before == CardLookOf(e));
    result.ImeChanged = imeBefore != e.IME_On;
    env_ = nullptr;
    return result;
}

void OptionsEditor::Cancel() {
    if (!env_) return;
    env_->GLineArrowType = savedArrowType_;
    env_->GLineArrowSize = savedArrowSize_;
    env_ = nullptr;
}

}  // namespace qv
