// The options dialog driven by clicks and keys: OK takes every page's controls, Cancel keeps the
// settings except what acts at once, the design sample selects what to edit and redraws live, and
// the shortcut page changes a command's key at once.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include "app/dialogs/design_sample.h"
#include "app/dialogs/option_dlg.h"
#include "app/dialogs/shortcut_page.h"
#include "core/content/spi_unit.h"
#include "core/dialogs/shortcut_page.h"
#include "core/settings/env_data.h"
#include "render/painting/colors.h"
#include "render/painting/offscreen_document.h"
#include "render/text/qt_text.h"

namespace {

struct FakeCommands : qv::CommandKeyTable {
    struct Row {
        std::string Category, Caption;
        qv::ShortCut Key;
    };
    std::vector<Row> Rows{{"ツール", "通常(&N)", 0},
                          {"ファイル", "新規作成(&N)", qv::kShortCutCtrl | 'N'},
                          {"ファイル", "開く(&O)...", qv::kShortCutCtrl | 'O'},
                          {"編集", "切り取り(&T)", qv::kShortCutCtrl | 'X'}};
    int CommandCount() const override { return static_cast<int>(Rows.size()); }
    std::string_view CommandCategory(int i) const override { return Rows[i].Category; }
    std::string_view CommandCaption(int i) const override { return Rows[i].Caption; }
    qv::ShortCut CommandKey(int i) const override { return Rows[i].Key; }
    void SetCommandKey(int i, qv::ShortCut key) override { Rows[i].Key = key; }
};

QPoint Centre(const qv::Rect& r) {
    return QPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
}

struct OptionDialogTest : ::testing::Test {
    qv::EnvData env;
    qv::QuietPrompts prompts;
    TOptionDlg dlg{env, prompts};
    FakeCommands commands;

    OptionDialogTest() { dlg.SetCommandKeys(&commands); }
    ~OptionDialogTest() override {
        if (dlg.isVisible()) dlg.reject();
    }

    void Page(int index) {
        dlg.Tabs()->setCurrentIndex(index);
        QApplication::processEvents();
    }
    void Click(QWidget* w) { QTest::mouseClick(w, Qt::LeftButton, {}, w->rect().center()); }
    // Clicks a check box on the box itself, as a user does, even with a long caption.
    void Tick(QCheckBox* box) {
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
    }
};

TEST_F(OptionDialogTest, SevenPagesOpenOnTheDesignPageAtItsFirstField) {
    dlg.Begin("");
    const QStringList expected = {"ﾃﾞｻﾞｲﾝ", "断片",   "ｼｮｰﾄｶｯﾄ", "ｳｨﾝﾄﾞｳ",
                                  "表示",   "その他", "ﾌﾟﾗｸﾞｲﾝ"};
    ASSERT_EQ(dlg.Tabs()->count(), 7);
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(dlg.Tabs()->tabText(i), expected[i]);
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("オプション設定"));
    EXPECT_EQ(dlg.Tabs()->currentIndex(), 0);
    EXPECT_EQ(dlg.focusWidget(), dlg.ColourList());
    EXPECT_EQ(dlg.ColourList()->count(), 17);
    EXPECT_EQ(dlg.ColourList()->itemText(16), QStringLiteral("画面分割線"));
    EXPECT_FALSE(dlg.CurrentHomeButton()->isEnabled());
    EXPECT_EQ(dlg.JpegLabel()->text(), QStringLiteral("JPEG保存品質 100"));
}

TEST_F(OptionDialogTest, OkTakesTheControlsOfEveryPage) {
    dlg.Begin("/home/u/doc.csv");
    Page(5);
    Tick(dlg.PrintMono());
    QTest::keyClick(dlg.JpegQuality(), Qt::Key_PageDown);
    EXPECT_EQ(dlg.JpegLabel()->text(), QStringLiteral("JPEG保存品質 90"));
    Page(4);
    Tick(dlg.Check("HideNamePlate"));  // "表札を常に表示する" shows the inverse
    Page(3);
    EXPECT_TRUE(dlg.CurrentHomeButton()->isEnabled());
    Click(dlg.CurrentHomeButton());
    EXPECT_EQ(dlg.HomeEdit()->text(), QStringLiteral("/home/u/doc.csv"));
    // Nothing has reached the settings yet.
    EXPECT_FALSE(env.PrintMonochrome);
    EXPECT_EQ(env.JpegQuality, 100);

    QTest::keyClick(&dlg, Qt::Key_Return);
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_TRUE(env.PrintMonochrome);
    EXPECT_EQ(env.JpegQuality, 90);
    EXPECT_FALSE(env.HideNamePlate);
    EXPECT_EQ(env.HomeWindow, "/home/u/doc.csv");
    EXPECT_FALSE(dlg.Applied().CardsChanged);
}

TEST_F(OptionDialogTest, CancelKeepsOnlyCustomColoursAndUndoesTheArrowLists) {
    dlg.ChooseColour = [](const QColor&) -> std::optional<QColor> {
        QColorDialog::setCustomColor(5, QColor(1, 2, 3));  // the user defines a custom colour
        return QColor(255, 0, 0);
    };
    dlg.Begin("");
    dlg.ArrowSizeList()->setCurrentIndex(2);  // "大"
    EXPECT_EQ(env.GLineArrowSize, 16);        // at once, for the sample and the windows
    Click(dlg.ColourButton());
    EXPECT_EQ(env.CustomColors[5], qv::Color{0x030201});
    // A custom colour defined in a colour dialog that is then cancelled is kept too.
    dlg.ChooseColour = [](const QColor&) -> std::optional<QColor> {
        QColorDialog::setCustomColor(6, QColor(4, 5, 6));
        return std::nullopt;
    };
    Click(dlg.ColourButton());
    EXPECT_EQ(env.CustomColors[6], qv::Color{0x060504});
    Page(5);
    Tick(dlg.PrintMono());

    QTest::keyClick(&dlg, Qt::Key_Escape);
    EXPECT_EQ(dlg.result(), QDialog::Rejected);
    EXPECT_EQ(env.GLineArrowSize, 12);
    EXPECT_EQ(env.CustomColors[5], qv::Color{0x030201});
    EXPECT_EQ(env.Colors.DefFrgFG, qv::Color{0});
    EXPECT_FALSE(env.PrintMonochrome);
}

TEST_F(OptionDialogTest, ClicksOnTheSampleChooseWhatToEditAndTheOutlineColourIsShownAtOnce) {
    dlg.ChooseColour = [](const QColor&) -> std::optional<QColor> { return QColor(0, 200, 0); };
    dlg.Begin("");
    DesignSample* sample = dlg.Sample();
    const qv::DesignSampleLayout l = sample->Layout();
    QTest::mouseClick(sample, Qt::LeftButton, {},
                      QPoint(l.Fragment.Left + 3, Centre(l.Fragment).y()));
    EXPECT_EQ(dlg.ColourList()->currentText(), QStringLiteral("断片の輪郭"));
    EXPECT_EQ(dlg.FontList()->currentText(), QStringLiteral("断片"));
    QTest::mouseClick(sample, Qt::LeftButton, {}, Centre(l.PlateText));
    EXPECT_EQ(dlg.ColourList()->currentText(), QStringLiteral("表札の文字(ﾃﾞﾌｫﾙﾄ)"));
    EXPECT_EQ(dlg.FontList()->currentText(), QStringLiteral("表札"));
    QTest::mouseClick(sample, Qt::LeftButton, {}, Centre(l.Status));
    EXPECT_EQ(dlg.ColourList()->currentIndex(), -1);
    EXPECT_FALSE(dlg.ColourButton()->isEnabled());
    EXPECT_EQ(dlg.FontList()->currentText(), QStringLiteral("ステータスバー"));

    // A new outline colour: the normal card and the name plate take it, the selected card keeps
    // the marked-card outline.
    QTest::mouseClick(sample, Qt::LeftButton, {}, QPoint(l.Fragment.Left, Centre(l.Fragment).y()));
    Click(dlg.ColourButton());
    const QImage shown = sample->grab().toImage();
    const QRgb green = qRgb(0, 200, 0);
    EXPECT_EQ(shown.pixel(l.Fragment.Left, Centre(l.Fragment).y()) & RGB_MASK, green & RGB_MASK);
    EXPECT_EQ(shown.pixel(l.Plate.Left, Centre(l.Plate).y()) & RGB_MASK, green & RGB_MASK);
    EXPECT_EQ(shown.pixel(l.Selected.Left, Centre(l.Selected).y()) & RGB_MASK,
              qv::ToQColor(env.Colors.SelectRect).rgb() & RGB_MASK);
}

TEST_F(OptionDialogTest, LineBreakSwitchesEnableEachOther) {
    dlg.Begin("");
    Page(1);
    EXPECT_FALSE(dlg.AcceptCr()->isChecked());
    EXPECT_FALSE(dlg.CrReturnKey()->isEnabled());
    EXPECT_FALSE(dlg.CrString()->isEnabled());
    EXPECT_FALSE(dlg.CtrlReturnOk()->isEnabled());
    Tick(dlg.AcceptCr());
    EXPECT_TRUE(dlg.CrReturnKey()->isEnabled());
    EXPECT_TRUE(dlg.CrString()->isEnabled());
    Tick(dlg.CrReturnKey());
    EXPECT_TRUE(dlg.CtrlReturnOk()->isEnabled());
    // Ctrl+Return follows the Return-key box only, whatever line breaks show.
    Tick(dlg.AcceptCr());
    EXPECT_FALSE(dlg.CrReturnKey()->isEnabled());
    EXPECT_TRUE(dlg.CtrlReturnOk()->isEnabled());
}

TEST_F(OptionDialogTest, TheHomeFileMustBeAFragmentFile) {
    QTemporaryDir dir;
    const QString other = dir.filePath(QStringLiteral("other.csv"));
    const QString home = dir.filePath(QStringLiteral("home.csv"));
    QFile f(other);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("a,b\n");
    f.close();
    QFile g(home);
    ASSERT_TRUE(g.open(QIODevice::WriteOnly));
    g.write("#Quillovarsta,Group,Left,Top,Width,Height,ColFG,ColBG,Link\n");
    g.close();
    QString answer = other;
    dlg.ChooseHomeFile = [&] { return answer; };
    dlg.Begin("");
    Page(3);
    Click(dlg.HomeButton());
    ASSERT_EQ(prompts.Messages.size(), 1u);
    EXPECT_EQ(qv::FromCp932(prompts.Messages[0]),
              QStringLiteral("[%1]は断片ﾌｧｲﾙではありません").arg(other));
    EXPECT_TRUE(dlg.HomeEdit()->text().isEmpty());
    answer = home;
    Click(dlg.HomeButton());
    EXPECT_EQ(dlg.HomeEdit()->text(), home);
}

TEST_F(OptionDialogTest, APathTheSettingsFileCannotHoldKeepsTheDialogOpen) {
    dlg.Begin("");
    Page(3);
    dlg.HomeEdit()->setText(
        QStringLiteral("/tmp/\u00e9t\u00e9/home.csv"));  // no "é" in code page 932
    QTest::keyClick(&dlg, Qt::Key_Return);
    EXPECT_TRUE(dlg.isVisible());
    ASSERT_EQ(prompts.Messages.size(), 1u);
    EXPECT_TRUE(env.HomeWindow.empty());
    dlg.HomeEdit()->setText(QStringLiteral("/tmp/home.csv"));
    QTest::keyClick(&dlg, Qt::Key_Return);
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(env.HomeWindow, "/tmp/home.csv");
}

TEST_F(OptionDialogTest, AChosenPluginFolderIsTakenAtOnceAndListed) {
    QTemporaryDir dir;
    ASSERT_TRUE(QFile::copy(QStringLiteral(QV_BINARY_DIR "/test-plugins/ppm.spi"),
                            dir.filePath(QStringLiteral("ppm.spi"))));
    int rebuilt = 0;
    dlg.ChooseFolder = [&](const QString&) { return dir.path(); };
    QObject::connect(&dlg, &TOptionDlg::PluginFolderChanged, [&] { ++rebuilt; });
    dlg.PluginLines = [&] { return qv::SpiUnit(env.SpiDir).ListLines(); };
    dlg.Begin("");
    Page(6);
    EXPECT_EQ(dlg.PluginList()->count(), 0);
    Click(dlg.PluginButton());
    EXPECT_EQ(rebuilt, 1);
    EXPECT_EQ(env.SpiDir, dir.path().toStdString());
    EXPECT_EQ(dlg.PluginFolder()->text(), dir.path());
    ASSERT_EQ(dlg.PluginList()->count(), 1);
    EXPECT_TRUE(dlg.PluginList()->item(0)->text().startsWith(QStringLiteral("ppm.spi          ")));
    QTest::keyClick(&dlg, Qt::Key_Escape);
    EXPECT_EQ(env.SpiDir, dir.path().toStdString());  // kept after Cancel
    EXPECT_EQ(rebuilt, 1);
}

TEST_F(OptionDialogTest, AShortcutChangedOnThePageActsAtOnceAndOutlivesCancel) {
    dlg.Begin("");
    Page(2);
    ShortcutPage* page = dlg.Shortcuts();
    EXPECT_EQ(page->Categories()->count(), 3);
    EXPECT_EQ(page->List()->count(), 4);
    EXPECT_EQ(page->List()->currentRow(), 0);
    EXPECT_EQ(page->Keys()->count(), 65);
    // Choosing a category jumps to its first command.
    page->Categories()->setCurrentIndex(2);
    emit page->Categories()->activated(2);
    EXPECT_EQ(page->List()->currentRow(), 3);
    // Selecting a command shows its category.
    QListWidgetItem* open = page->List()->item(2);
    QTest::mouseClick(page->List()->viewport(), Qt::LeftButton, {},
                      page->List()->visualItemRect(open).center());
    EXPECT_EQ(page->List()->currentRow(), 2);
    EXPECT_EQ(page->Categories()->currentText(), QStringLiteral("ファイル"));

    page->Keys()->setCurrentIndex(page->Keys()->findText(QStringLiteral("F5")));
    Tick(page->Shift());
    Tick(page->Ctrl());
    Click(page->ChangeButton());
    EXPECT_EQ(commands.Rows[2].Key, 0x6074);
    EXPECT_EQ(open->text(), QStringLiteral("開く(&O)...\tShift+Ctrl+F5"));
    QTest::mouseClick(page->List()->viewport(), Qt::LeftButton, {},
                      page->List()->visualItemRect(page->List()->item(1)).center());
    Click(page->ClearButton());
    EXPECT_EQ(commands.Rows[1].Key, 0);

    QTest::keyClick(&dlg, Qt::Key_Escape);
    EXPECT_EQ(commands.Rows[2].Key, 0x6074);
    EXPECT_EQ(commands.Rows[1].Key, 0);
}

}  // namespace
