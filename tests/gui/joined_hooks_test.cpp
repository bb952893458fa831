// The running program with its card commands: Esc hands the keyboard to the group list, an empty
// group row makes a card in its group, the brush pop-up chooses colours, the options dialog's OK
// reaches the group list, the windows and the property dialog, a picture card says why it shows
// no picture, and printing takes plug-in pictures at full size.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <functional>

#include "app/app_services.h"
#include "app/commands/card_commands.h"
#include "app/commands/card_dialogs.h"
#include "app/commands/settings_commands.h"
#include "app/composition.h"
#include "app/dialogs/frg_prop_dlg.h"
#include "app/dialogs/option_dlg.h"
#include "app/document/document_manager.h"
#include "app/document/mdi_child.h"
#include "app/main_window/main_form.h"
#include "app/output/document_output.h"
#include "app/panels/group_list_panel.h"
#include "app/texts.h"
#include "core/model/frag_set.h"
#include "core/model/fragment.h"
#include "core/settings/env_data.h"
#include "render/painting/offscreen_document.h"
#include "unit/model/fakes.h"

namespace {

class JoinedHooksTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir_.filePath(QStringLiteral("config"))));
        qv::StartupArguments s;
        s.IniPath = QFile::encodeName(dir_.filePath(QStringLiteral("q.INI"))).toStdString();
        services_ = std::make_unique<AppServices>(s);
        program_ = BuildProgram(*services_);
        form_ = &program_->Window();
        cards_ = &program_->Cards();
        services_->Prompts().Redirect(&prompts_);
        form_->resize(1000, 760);
        form_->ShowAsStored();
        form_->activateWindow();
        (void)QTest::qWaitForWindowActive(form_);
        child_ = form_->Documents().NewDocument();
        ASSERT_NE(child_, nullptr);
        child_->parentWidget()->showMaximized();
        QApplication::processEvents();
    }
    void TearDown() override {
        for (TMDIChild* child : form_->Children())
            child->ApproveClose();
        form_->close();
        program_.reset();
        services_.reset();
    }

    qv::FragSet& Set() { return child_->Set(); }
    qv::EnvData& Env() { return services_->Env(); }
    SettingsCommands& Settings() { return program_->Settings(); }
    void Refresh() {
        Set().Recount();
        Set().RefreshVisibility();
        form_->RefreshViews();
    }
    QString Path(const char* name) const { return dir_.filePath(QString::fromLatin1(name)); }
    static std::string Native(const QString& path) { return QFile::encodeName(path).toStdString(); }
    // A pointer move as the window system delivers it.
    void MoveTo(QPoint client) {
        QTest::mouseEvent(QTest::MouseMove, form_->windowHandle(), Qt::NoButton, {},
                          child_->viewport()->mapTo(form_, client));
    }
    static QPoint Centre(const qv::Fragment& f) {
        return QPoint((f.ScreenRect.Left + f.ScreenRect.Right) / 2,
                      (f.ScreenRect.Top + f.ScreenRect.Bottom) / 2);
    }
    // Shows the page holding `box` and ticks it.
    static void Tick(TOptionDlg& dlg, QCheckBox* box) {
        for (int i = 0; i < dlg.Tabs()->count(); ++i)
            if (dlg.Tabs()->widget(i)->isAncestorOf(box)) dlg.Tabs()->setCurrentIndex(i);
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
    }

    QTemporaryDir dir_;
    qv::QuietPrompts prompts_;
    std::unique_ptr<AppServices> services_;
    std::unique_ptr<Program> program_;
    TQuillovaMainForm* form_ = nullptr;
    CardCommands* cards_ = nullptr;
    TMDIChild* child_ = nullptr;
};

TEST_F(JoinedHooksTest, EscGivesTheListTheKeyboardAndAnEmptyRowMakesACardInItsGroup) {
    qv::test::AddCard(Set(), "x", 2, 60, 60);
    Set().GroupListGroup = 2;
    Refresh();
    TGroupListPanel* list = form_->GroupList();
    ASSERT_TRUE(list->isVisible());
    GroupListView* view = list->View();

    child_->setFocus();
    QTest::keyClick(child_, Qt::Key_Escape);
    EXPECT_TRUE(view->hasFocus());
    EXPECT_EQ(view->currentIndex().row(), 1);  // group 2
    // Esc in the list hands the keyboard back.
    QTest::keyClick(view, Qt::Key_Escape);
    EXPECT_FALSE(view->hasFocus());

    // A double click on the row of empty group 5 opens the new-card dialog with group 5 chosen.
    Env().NewBlankDblClick = true;
    TFrgPropDlg& dlg = cards_->Cards().PropertyDialog();
    bool shown = false;
    QTimer::singleShot(0, &dlg, [&] {
        shown = dlg.isVisible();
        EXPECT_EQ(dlg.windowTitle(), QStringLiteral("新規断片の作成"));
        EXPECT_EQ(dlg.findChild<QComboBox*>(QStringLiteral("GroupComboBox"))->currentIndex(), 4);
        auto* memo = dlg.findChild<QPlainTextEdit*>(QStringLiteral("Memo1"));
        QTest::keyClicks(memo, QStringLiteral("idea"));
        QTest::keyClick(memo, Qt::Key_Return);
    });
    const QRect row = view->visualRect(view->model()->index(4, 0));
    QTest::mouseDClick(form_->windowHandle(), Qt::LeftButton, {},
                       view->viewport()->mapTo(form_, row.center() + QPoint(20, 0)));
    EXPECT_TRUE(shown);
    ASSERT_EQ(Set().Count(), 2);
    EXPECT_EQ(Set().Fragments().back()->Text, "idea");
    EXPECT_EQ(Set().Fragments().back()->Group, 5);

    // Not in a read-only document.
    Set().ReadOnly = true;
    shown = false;
    QTimer::singleShot(0, &dlg, [&] {
        shown = dlg.isVisible();
        if (shown) dlg.reject();
    });
    view->setFocus();
    view->setCurrentIndex(view->model()->index(7, 0));
    QTest::keyClick(view, Qt::Key_Return);
    QApplication::processEvents();  // the check above runs now, not after the test
    EXPECT_FALSE(shown);
    Set().ReadOnly = false;

    // Without the setting the same double click only deselects; Enter does what it does.
    Env().NewBlankDblClick = false;
    Set().SelectAll(true);
    view->setFocus();
    view->setCurrentIndex(view->model()->index(6, 0));
    QTest::keyClick(view, Qt::Key_Return);
    EXPECT_EQ(Set().Count(), 2);
    EXPECT_TRUE(Set().SelectionList.empty());
}

TEST_F(JoinedHooksTest, TheBrushPopupChoosesTheColourByDialogAndFromTheCards) {
    qv::Fragment* card = qv::test::AddCard(Set(), "x", 0, 100, 100);
    card->ColBG = qv::Rgb(200, 100, 50);
    Refresh();
    cards_->Selection().SetColourChooser(
        [](const QColor&) -> std::optional<QColor> { return QColor(10, 20, 30); });
    form_->SetTool(qv::ToolMode::Brush);
    // A right click on the empty page opens the brush pop-up, its colour items enabled.
    const auto openPopup = [this]() -> QMenu* {
        const QPoint at = child_->viewport()->mapTo(form_, QPoint(500, 400));
        QTest::mousePress(form_->windowHandle(), Qt::RightButton, {}, at);
        QTest::mouseRelease(form_->windowHandle(), Qt::RightButton, {}, at);
        return qobject_cast<QMenu*>(QApplication::activePopupWidget());
    };
    QMenu* popup = openPopup();
    ASSERT_EQ(popup, cards_->BrushPopup());
    for (QAction* a : popup->actions()) {
        if (!a->isSeparator()) {
            EXPECT_TRUE(a->isEnabled()) << a->text().toStdString();
        }
    }
    QTest::keyClick(popup, Qt::Key_C);
    EXPECT_EQ(Env().Colors.BrushTool, qv::Rgb(10, 20, 30));
    EXPECT_TRUE(form_->BrushPanel()->styleSheet().contains(QStringLiteral("#0a141e")));

    // "既存背景色から…": the colours in the document, the first one taken.
    popup = openPopup();
    ASSERT_EQ(popup, cards_->BrushPopup());
    QTimer::singleShot(0, [] {
        QWidget* colours = QApplication::activePopupWidget();
        ASSERT_NE(colours, nullptr);
        QTest::keyClick(colours, Qt::Key_1);
    });
    QTest::keyClick(popup, Qt::Key_A);
    EXPECT_EQ(Env().Colors.BrushTool, qv::Rgb(200, 100, 50));
    EXPECT_TRUE(form_->BrushPanel()->styleSheet().contains(QStringLiteral("#c86432")));
    form_->SetTool(qv::ToolMode::Normal);
}

TEST_F(JoinedHooksTest, OptionsOkReachesTheGroupListTheWindowsAndThePropertyDialog) {
    TOptionDlg& dlg = Settings().OptionDialog();
    TFrgPropDlg& property = cards_->Cards().PropertyDialog();
    const bool imeBefore = Env().IME_On;
    EXPECT_EQ(property.ImeOpen(), imeBefore);
    const QColor chosen(1, 2, 250);
    dlg.ChooseColour = [&](const QColor&) -> std::optional<QColor> { return chosen; };
    dlg.Begin("");
    const int gapBefore =
        form_->GroupList()->View()->visualRect(form_->GroupList()->Model()->index(0, 0)).height();
    for (const char* name : {"ｸﾞﾙｰﾌﾟﾘｽﾄの背景", "ウィンドウの背景"}) {
        dlg.ColourList()->setCurrentIndex(dlg.ColourList()->findText(QString::fromUtf8(name)));
        QTest::mouseClick(dlg.ColourButton(), Qt::LeftButton);
    }
    Tick(dlg, dlg.Check("IME_On"));
    dlg.Tabs()->setCurrentIndex(0);
    dlg.LineGap()->setFocus();
    QTest::keyClick(dlg.LineGap(), Qt::Key_Up);
    QTest::keyClick(&dlg, Qt::Key_Return);
    ASSERT_EQ(dlg.result(), QDialog::Accepted);

    GroupListView* list = form_->GroupList()->View();
    EXPECT_EQ(list->palette().color(QPalette::Base), chosen);
    EXPECT_EQ(list->visualRect(list->model()->index(0, 0)).height(), gapBefore + 1);
    const QRect row = list->visualRect(list->model()->index(2, 0));
    EXPECT_EQ(list->viewport()->grab().toImage().pixelColor(row.right() - 2, row.center().y()),
              chosen);
    EXPECT_EQ(child_->viewport()->grab().toImage().pixelColor(600, 500), chosen);
    EXPECT_EQ(property.ImeOpen(), !imeBefore);
}

TEST_F(JoinedHooksTest, APictureCardSaysWhyItShowsNoPicture) {
    // A PNG whose header promises 30000 × 30000 pixels: over the picture memory budget.
    const auto write = [this](const char* name, const QByteArray& bytes) {
        QFile file(Path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    };
    write("huge.png", QByteArray("\x89PNG\r\n\x1a\n\x00\x00\x00\x0dIHDR\x00\x00\x75\x30\x00\x00\x75"
                                 "\x30\x08\x02\x00\x00\x00\xe9\x45\x6f\xed"
                                 "\x00\x00\x00\x00IDAT\x35\xaf\x06\x1e"
                                 "\x00\x00\x00\x00IEND\xae\x42\x60\x82",
                                 57));
    write("broken.png", QByteArray("\x89PNG\r\n\x1a\n not a picture"));

    qv::Fragment* huge = qv::test::AddCard(Set(), "", 0, 60, 60, 1, 1, qv::FragmentKind::Image);
    huge->Link = Native(Path("huge.png"));
    qv::Fragment* broken = qv::test::AddCard(Set(), "", 0, 200, 60, 1, 1, qv::FragmentKind::Image);
    broken->Link = Native(Path("broken.png"));
    qv::Fragment* gone = qv::test::AddCard(Set(), "", 0, 300, 60, 1, 1, qv::FragmentKind::Image);
    gone->Link = Native(Path("gone.bmp"));
    // Named like pictures, but no files to read: a FIFO and a folder.
    ASSERT_EQ(::mkfifo(QFile::encodeName(Path("pipe.png")).constData(), 0600), 0);
    ASSERT_TRUE(QDir().mkdir(Path("folder.bmp")));
    qv::Fragment* pipe = qv::test::AddCard(Set(), "", 0, 60, 300, 1, 1, qv::FragmentKind::Image);
    pipe->Link = Native(Path("pipe.png"));
    qv::Fragment* folder = qv::test::AddCard(Set(), "", 0, 200, 300, 1, 1, qv::FragmentKind::Image);
    folder->Link = Native(Path("folder.bmp"));
    qv::test::AddCard(Set(), "plain", 0, 500, 60);
    for (qv::Fragment* f : {huge, broken, gone, pipe, folder}) {
        f->LoadPicture();
        f->Measure();
        ASSERT_FALSE(f->HasPicture());
    }
    Refresh();

    MoveTo(Centre(*huge));
    EXPECT_EQ(form_->StatusPanelText(2), texts::Q(texts::kPictureTooLarge));
    EXPECT_EQ(child_->HintText(),
              Path("huge.png") + QLatin1Char('\n') + texts::Q(texts::kPictureTooLarge));
    MoveTo(Centre(*broken));
    EXPECT_EQ(form_->StatusPanelText(2), texts::Q(texts::kPictureUnreadable));
    MoveTo(Centre(*gone));
    EXPECT_EQ(form_->StatusPanelText(2), texts::Q(texts::kPictureMissing));
    MoveTo(Centre(*pipe));
    EXPECT_EQ(form_->StatusPanelText(2), texts::Q(texts::kPictureUnreadable) +
                                             QStringLiteral(": ") +
                                             texts::Q(texts::kPictureNotRegular));
    MoveTo(Centre(*folder));
    EXPECT_EQ(form_->StatusPanelText(2), texts::Q(texts::kPictureUnreadable) +
                                             QStringLiteral(": ") +
                                             texts::Q(texts::kPictureIsFolder));
    // Off the cards the reason goes; a plain card has none.
    MoveTo(Centre(*Set().Fragments().back()));
    EXPECT_TRUE(form_->StatusPanelText(2).isEmpty());
    EXPECT_EQ(child_->HintText(), QString());
    MoveTo(Centre(*huge));
    MoveTo(QPoint(700, 500));
    EXPECT_TRUE(form_->StatusPanelText(2).isEmpty());
}

TEST_F(JoinedHooksTest, PrintingTakesAPluginPictureAtFullSize) {
    // Only the plug-in reads this picture: "P6" without the space Qt's own reader wants.
    ASSERT_TRUE(QDir().mkpath(Path("spi")));
    ASSERT_TRUE(QFile::copy(QStringLiteral(QV_BINARY_DIR "/test-plugins/ppm_alt.spi"),
                            Path("spi/alt.spi")));
    Env().SpiDir = Native(Path("spi"));
    services_->ReloadPlugins();
    QFile file(Path("wide.ppm"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("P640 30 255\n");
    file.write(QByteArray(40 * 30 * 3, '\x40'));
    file.close();
    qv::Fragment* pic = qv::test::AddCard(Set(), "", 0, 40, 40, 1, 2, qv::FragmentKind::Image);
    pic->Link = Native(Path("wide.ppm"));
    pic->LoadPicture();
    pic->Measure();
    Refresh();
    ASSERT_TRUE(pic->HasPicture());
    ASSERT_EQ(pic->Width(), 20);  // shown at half size

    const auto printed = [this](DocumentOutput& output, const char* name) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(Path(name));
        EXPECT_TRUE(output.PrintDocument(printer, Set()));
        QFile pdf(Path(name));
        EXPECT_TRUE(pdf.open(QIODevice::ReadOnly));
        return pdf.readAll();
    };
    const QByteArray program = printed(Settings().Output(), "program.pdf");
    EXPECT_TRUE(program.contains("/Width 40\n/Height 30")) << "the file's own pixels";
    // An output that was not told where pictures come from prints the card's copy.
    DocumentOutput bare(Env(), services_->Prompts(), nullptr);
    EXPECT_TRUE(printed(bare, "bare.pdf").contains("/Width 20\n/Height 15"));
}

}  // namespace
