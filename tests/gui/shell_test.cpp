// The program shell as a user meets it: which commands are greyed when, keys from the settings
// file, the stored layout written back unchanged, dropped files, the window list and the tilings.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QCursor>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QKeySequence>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QStatusTipEvent>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QTranslator>
#include <QUrl>
#include <QWheelEvent>
#include <algorithm>
#include <deque>
#include <set>

#include "app/app_services.h"
#include "app/commands/command_registry.h"
#include "app/commands/shortcut_keys.h"
#include "app/composition.h"
#include "app/document/document_manager.h"
#include "app/document/mdi_child.h"
#include "app/main_window/main_form.h"
#include "app/main_window/menu_bar_reveal.h"
#include "app/platform/link_follower.h"
#include "app/program.h"
#include "app/texts.h"
#include "core/model/frag_buffer.h"
#include "core/model/frag_set.h"
#include "core/model/fragment.h"
#include "core/settings/env_data.h"
#include "core/settings/usr_ini_file.h"
#include "render/text/qt_text.h"

namespace {

using C = CommandId;

const std::string kExample = std::string(QV_SOURCE_DIR) + "/examples/brainstorm.csv";
const QString kPicture = QStringLiteral(QV_SOURCE_DIR "/examples/idea.bmp");

class RecordingPrompts : public qv::Prompts {
  public:
    std::vector<std::string> Asked;
    std::deque<qv::PromptAnswer> Answers;
    qv::PromptAnswer Warning(std::string_view text, qv::PromptButtons) override {
        return Next(text);
    }
    qv::PromptAnswer Question(std::string_view text, qv::PromptButtons) override {
        return Next(text);
    }

  private:
    qv::PromptAnswer Next(std::string_view text) {
        Asked.emplace_back(text);
        if (Answers.empty()) return qv::PromptAnswer::No;
        const qv::PromptAnswer a = Answers.front();
        Answers.pop_front();
        return a;
    }
};

QByteArray Contents(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void WriteFile(const QString& path, const QByteArray& text) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(text);
}

// One program run with its own settings file and configuration folder.
class Shell {
  public:
    explicit Shell(const QString& ini, bool show = true)
        : services_(Startup(ini)), program_(BuildProgram(services_)), form_(program_->Window()) {
        services_.Prompts().Redirect(&prompts_);
        if (show) {
            form_.ShowAsStored();
            form_.activateWindow();
            (void)QTest::qWaitForWindowActive(&form_);
        }
    }
    ~Shell() {
        for (TMDIChild* child : form_.Children())
            child->ApproveClose();
        form_.close();
    }
    TQuillovaMainForm& Form() { return form_; }
    AppServices& Services() { return services_; }
    RecordingPrompts& Prompts() { return prompts_; }
    bool Enabled(CommandId id) {
        form_.UpdateCommands();
        return form_.Commands().Action(id)->isEnabled();
    }

  private:
    static qv::StartupArguments Startup(const QString& ini) {
        qv::StartupArguments s;
        s.IniPath = QFile::encodeName(ini).toStdString();
        return s;
    }
    RecordingPrompts prompts_;
    AppServices services_;
    std::unique_ptr<Program> program_;
    TQuillovaMainForm& form_;
};

class ShellTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir_.filePath(QStringLiteral("config"))));
        ini_ = dir_.filePath(QStringLiteral("q.INI"));
        QGuiApplication::clipboard()->clear();
    }
    QTemporaryDir dir_;
    QString ini_;
};

// ---- Enabling rules ----

TEST(EnablingRules, FollowTheDocumentSelectionBufferClipboardAndHistory) {
    EnablingState none;
    EnablingState writable;
    writable.Documents = 1;
    writable.HasDocument = true;
    EnablingState one = writable;
    one.Selected = 1;
    EnablingState several = writable;
    several.Selected = 3;
    EnablingState readOnly = several;
    readOnly.ReadOnly = true;
    EnablingState full = writable;
    full.Documents = 40;

    struct Row {
        EnablingRule Rule;
        bool None, Writable, One, Several, ReadOnly, Full;
    };
    using R = EnablingRule;
    const Row rows[] = {
        {R::Always, true, true, true, true, true, true},
        {R::ChildUpdate, false, true, true, true, true, true},
        {R::EditChildUpdate, false, true, true, true, false, true},
        {R::EditSelUpdate, false, false, true, true, false, false},
        {R::EditMultiSelUpdate, false, false, false, true, false, false},
        {R::SelUpdate, false, false, true, true, true, false},
        {R::EditPasteUpdate, false, false, false, false, false, false},  // empty buffer
        {R::NewClipUpdate, false, false, false, false, false, false},    // empty clipboard
        {R::CanOpenUpdate, true, true, true, true, true, false},
        {R::FilePrintUpdate, false, true, true, true, true, true},
        {R::UndoPosUpdate, false, false, false, false, false, false},
        {R::GoBackUpdate, false, false, false, false, false, false},
        {R::GoHomeUpdate, false, false, false, false, false, false},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(static_cast<int>(r.Rule));
        EXPECT_EQ(RuleAllows(r.Rule, none), r.None);
        EXPECT_EQ(RuleAllows(r.Rule, writable), r.Writable);
        EXPECT_EQ(RuleAllows(r.Rule, one), r.One);
        EXPECT_EQ(RuleAllows(r.Rule, several), r.Several);
        EXPECT_EQ(RuleAllows(r.Rule, readOnly), r.ReadOnly);
        EXPECT_EQ(RuleAllows(r.Rule, full), r.Full);
    }
    EnablingState s = several;
    s.BufferEmpty = false;
    s.ClipboardHasText = true;
    EXPECT_TRUE(RuleAllows(R::EditPasteUpdate, s));
    EXPECT_TRUE(RuleAllows(R::NewClipUpdate, s));
    // Previous and next need two selected and room on that side of the cursor.
    s.SelCursor = 0;
    EXPECT_FALSE(RuleAllows(R::PrevSelUpdate, s));
    EXPECT_TRUE(RuleAllows(R::NextSelUpdate, s));
    s.SelCursor = 2;
    EXPECT_TRUE(RuleAllows(R::PrevSelUpdate, s));
    EXPECT_FALSE(RuleAllows(R::NextSelUpdate, s));
    // Jump history: back from position 1, forward while a later entry exists.
    s.JumpPosition = 1;
    s.JumpCount = 2;
    EXPECT_TRUE(RuleAllows(R::GoBackUpdate, s));
    EXPECT_FALSE(RuleAllows(R::GoForwardUpdate, s));
    s.JumpPosition = 0;
    EXPECT_TRUE(RuleAllows(R::GoForwardUpdate, s));
}

TEST_F(ShellTest, WithoutADocumentOnlyTheDocumentFreeCommandsAreEnabled) {
    Shell shell(ini_);
    const std::set<CommandId> expected = {
        C::FileNew,       C::FileOpen,      C::FileAllSaveEnd, C::FileExit,     C::ShowGrpLst,
        C::ShowStatusBar, C::ShowMapViewer, C::ShowNamePlate,  C::ShowLinkMark, C::ShowGFrame,
        C::ShowGLine,     C::ShowDivLine,   C::OptionSetup,    C::HelpContents, C::HelpHomePage,
        C::HelpAbout,     C::ExMovTop,      C::ExMovBottom,    C::ExMovLeft,    C::ExMovRight};
    for (const CommandRow& row : CommandTable()) {
        EXPECT_EQ(shell.Enabled(row.Id), expected.count(row.Id) == 1) << std::string(row.Name);
    }
    // Home is offered once a home document is set.
    shell.Services().Env().HomeWindow = "/home.csv";
    EXPECT_TRUE(shell.Enabled(C::GoHome));
}

TEST_F(ShellTest, TheDivisionLineSwitchStaysGreyForAPageWithoutDivisions) {
    Shell shell(ini_);
    TMDIChild* plain = shell.Form().Documents().NewDocument();
    ASSERT_NE(plain, nullptr);
    emit shell.Form().MainMenu(4)->aboutToShow();
    EXPECT_FALSE(shell.Enabled(C::ShowDivLine)) << "the rules' refresh must not undo the menu's";
    // A fixed page with divisions offers it at the next opening.
    plain->Set().FixedSize = true;
    plain->Set().DivColumns = 2;
    emit shell.Form().MainMenu(4)->aboutToShow();
    EXPECT_TRUE(shell.Enabled(C::ShowDivLine));
}

TEST_F(ShellTest, AReadOnlyDocumentKeepsTheCommandsThatDoNotChangeIt) {
    Shell shell(ini_);
    TMDIChild* child = shell.Form().Documents().OpenDocument(kExample);
    ASSERT_NE(child, nullptr);
    qv::FragSet& set = child->Set();
    set.ReadOnly = true;
    set.SelectAll(true);
    for (CommandId id : {C::EditCopy, C::GoJump, C::EditFind, C::EditSelAll, C::FilePrint,
                         C::FileExport, C::FileSaveAs})
        EXPECT_TRUE(shell.Enabled(id)) << std::string(Command(id).Name);
    shell.Services().Buffer().CopySelection(set);
    set.SelectAll(true);
    for (CommandId id :
         {C::EditCut, C::EditPaste, C::EditDelete, C::EditGather, C::EditSpread, C::EditAway,
          C::EditNew, C::FileMerge, C::FileImport, C::FileSave, C::ToolGruop})
        EXPECT_FALSE(shell.Enabled(id)) << std::string(Command(id).Name);
    // The greyed command does not run by its key either.
    QTest::keyClick(child, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(set.Count(), 23);
}

TEST_F(ShellTest, OneSelectedCardAllowsAwayAndDeleteButNotTheGroupLayouts) {
    Shell shell(ini_);
    TMDIChild* child = shell.Form().Documents().OpenDocument(kExample);
    ASSERT_NE(child, nullptr);
    qv::FragSet& set = child->Set();
    set.SelectAll(false);
    EXPECT_FALSE(shell.Enabled(C::EditDelete));
    EXPECT_FALSE(shell.Enabled(C::EditPaste)) << "the buffer is empty";
    set.PressFragment(set.FragmentAt(70, 110), qv::MouseButton::Left, 70, 110, {});
    set.ReleaseDrag(set.FragmentAt(70, 110), {});
    ASSERT_EQ(set.SelectionList.size(), 1u);
    EXPECT_FALSE(shell.Enabled(C::EditGather));
    EXPECT_FALSE(shell.Enabled(C::EditSpread));
    EXPECT_FALSE(shell.Enabled(C::EditStretch));
    EXPECT_TRUE(shell.Enabled(C::EditAway));
    EXPECT_TRUE(shell.Enabled(C::EditDelete));
    set.SelectAll(true);
    EXPECT_TRUE(shell.Enabled(C::EditGather));
    // New from the clipboard follows what the clipboard holds.
    EXPECT_FALSE(shell.Enabled(C::EditNewClip));
    QGuiApplication::clipboard()->setText(QStringLiteral("メモ"));
    EXPECT_TRUE(shell.Enabled(C::EditNewClip));
    QGuiApplication::clipboard()->clear();
    EXPECT_FALSE(shell.Enabled(C::EditNewClip));
    // Printing goes to a PDF file when there is no printer, so a document is enough.
    EXPECT_TRUE(shell.Enabled(C::FilePrint));
}

TEST_F(ShellTest, FortyWindowsGreyOpeningAndTheWindowListShowsThemAll) {
    Shell shell(ini_);
    TQuillovaMainForm& form = shell.Form();
    for (int i = 0; i < 40; ++i)
        ASSERT_NE(form.Documents().NewDocument(), nullptr);
    EXPECT_EQ(form.Documents().NewDocument(), nullptr) << "silently refused";
    EXPECT_FALSE(shell.Enabled(C::FileOpen));
    EXPECT_TRUE(shell.Enabled(C::FileNew));

    emit form.WindowMenu()->aboutToShow();
    const QList<QAction*> items = form.WindowListItems();
    ASSERT_EQ(items.size(), 40);
    EXPECT_EQ(items[0]->text(), QStringLiteral("&1: 無題"));
    EXPECT_EQ(items[9]->text(), QStringLiteral("&0: 無題"));
    EXPECT_EQ(items[10]->text(), QStringLiteral("   無題"));
    EXPECT_EQ(items[20]->text(), QStringLiteral("無題"));
    EXPECT_TRUE(items[39]->isVisible());
    EXPECT_TRUE(items[39]->isChecked()) << "the last opened is active";
    EXPECT_FALSE(items[0]->isChecked());
    // Choosing an item brings that window to the front.
    items[4]->trigger();
    EXPECT_EQ(form.ActiveChild(), form.Children()[4]);
    emit form.WindowMenu()->aboutToShow();
    EXPECT_TRUE(items[4]->isChecked());
    EXPECT_FALSE(items[39]->isChecked());
}

// ---- Window arrangement ----

TEST_F(ShellTest, TilingStacksWindowsFullWidthOrPutsThemSideBySide) {
    Shell shell(ini_);
    TQuillovaMainForm& form = shell.Form();
    form.resize(900, 700);
    for (int i = 0; i < 3; ++i)
        form.Documents().NewDocument();
    const QRect area = form.DocumentArea()->viewport()->rect();
    const QList<QMdiSubWindow*> windows = form.DocumentArea()->subWindowList();

    form.Commands().Action(C::WindowTileH)->trigger();
    int y = 0;
    for (QMdiSubWindow* w : windows) {
        EXPECT_EQ(w->geometry().left(), 0);
        EXPECT_EQ(w->geometry().width(), area.width());
        EXPECT_EQ(w->geometry().top(), y);
        y = w->geometry().bottom() + 1;
    }
    EXPECT_EQ(y, area.height());

    form.Commands().Action(C::WindowTileV)->trigger();
    int x = 0;
    for (QMdiSubWindow* w : windows) {
        EXPECT_EQ(w->geometry().top(), 0);
        EXPECT_EQ(w->geometry().height(), area.height());
        EXPECT_EQ(w->geometry().left(), x);
        x = w->geometry().right() + 1;
    }
    EXPECT_EQ(x, area.width());

    // A minimised window keeps out of the tiling and is lined up at the bottom.
    windows[1]->showMinimized();
    form.Commands().Action(C::WindowTileV)->trigger();
    EXPECT_EQ(windows[0]->width() + windows[2]->width(), area.width());
    form.Commands().Action(C::WindowArrange)->trigger();
    EXPECT_EQ(windows[1]->geometry().left(), 0);
    EXPECT_EQ(windows[1]->geometry().bottom(), area.bottom());
}

// ---- Keys ----

TEST_F(ShellTest, KeysFromTheSettingsFileDriveCommandsAndAClashKeepsTheFirst) {
    WriteFile(ini_,
              "[ShortCut]\r\nEditSelAllItem=Ctrl+Q\r\nEditCopyItem=Ctrl+Foo\r\nEditCutItem=\r\n"
              "FileNewItem=Ctrl+Z\r\n");
    {
        Shell shell(ini_);
        TQuillovaMainForm& form = shell.Form();
        CommandRegistry& commands = form.Commands();
        EXPECT_EQ(commands.Action(C::EditSelAll)->shortcut(),
                  QKeySequence(QStringLiteral("Ctrl+Q")));
        EXPECT_TRUE(commands.Action(C::EditCopy)->shortcut().isEmpty()) << "unknown text: no key";
        EXPECT_EQ(commands.Action(C::EditCut)->shortcut(), QKeySequence(QStringLiteral("Ctrl+X")))
            << "empty: the built-in key";
        EXPECT_EQ(commands.Action(C::ExMovTop)->shortcut(), QKeySequence(Qt::Key_Home));
        // FileNew comes before EditUndoPos, so it keeps Ctrl+Z; Qt would run neither otherwise.
        EXPECT_EQ(commands.Action(C::FileNew)->shortcut(), QKeySequence(QStringLiteral("Ctrl+Z")));
        EXPECT_TRUE(commands.Action(C::EditUndoPos)->shortcut().isEmpty());
        EXPECT_EQ(commands.Key(C::EditUndoPos), qv::TextToShortCut("Ctrl+Z"));

        TMDIChild* child = form.Documents().OpenDocument(kExample);
        ASSERT_NE(child, nullptr);
        child->setFocus();
        child->Set().SelectAll(false);
        QTest::keyClick(child, Qt::Key_Q, Qt::ControlModifier);
        EXPECT_EQ(child->Set().SelectionList.size(), 23u) << "Ctrl+Q selects all";
        QTest::keyClick(child, Qt::Key_C, Qt::ControlModifier);
        EXPECT_TRUE(shell.Services().Buffer().Empty()) << "Ctrl+C has no command now";
        QTest::keyClick(child, Qt::Key_X, Qt::ControlModifier);
        EXPECT_EQ(child->Set().Count(), 0) << "Ctrl+X cut everything";
        EXPECT_EQ(shell.Services().Buffer().Count(), 23);
        // End scrolls to the bottom of the page, Home back to the top.
        QTest::keyClick(child, Qt::Key_End);
        EXPECT_GT(child->ScrollPosition(qv::ScrollAxis::Vertical), 0);
        QTest::keyClick(child, Qt::Key_Home);
        EXPECT_EQ(child->ScrollPosition(qv::ScrollAxis::Vertical), 0);
        // Ctrl+Z makes a new untitled document instead of undoing.
        child->ApproveClose();
        QTest::keyClick(child, Qt::Key_Z, Qt::ControlModifier);
        EXPECT_EQ(form.DocumentCount(), 2);
        EXPECT_EQ(child->Set().Count(), 0);
    }
    // Every key goes back as text; the clashing one keeps its assignment.
    const QByteArray text = Contents(ini_);
    EXPECT_TRUE(text.contains("EditSelAllItem=Ctrl+Q\r\n"));
    EXPECT_TRUE(text.contains("EditCopyItem=\r\n"));
    EXPECT_TRUE(text.contains("EditCutItem=Ctrl+X\r\n"));
    EXPECT_TRUE(text.contains("EditUndoPosItem=Ctrl+Z\r\n"));
    EXPECT_TRUE(text.contains("ExMovBottomItem=End\r\n"));
    EXPECT_TRUE(text.contains("FileOpenItem=\r\n"));
}

TEST(CommandKeys, ConvertBetweenCodesAndQtKeys) {
    for (const qv::ShortCutKey& key : qv::kShortCutKeys) {
        const qv::ShortCut code =
            static_cast<qv::ShortCut>(key.VirtualKey | qv::kShortCutCtrl | qv::kShortCutShift);
        const QKeySequence seq = qv::ShortcutToKeySequence(code);
        EXPECT_FALSE(seq.isEmpty()) << std::string(key.Name);
        EXPECT_EQ(qv::KeySequenceToShortcut(seq), code) << std::string(key.Name);
    }
    EXPECT_EQ(qv::ShortcutToKeySequence(kGroupListUpKey), QKeySequence(QStringLiteral("Alt+Up")));
    EXPECT_EQ(qv::ShortcutToKeySequence(kGroupListDownKey),
              QKeySequence(QStringLiteral("Alt+Down")));
    EXPECT_TRUE(qv::ShortcutToKeySequence(0).isEmpty());
}

// ---- Stored layout ----

TEST_F(ShellTest, StartUpThenShutDownWritesBackEveryStoredValueUnchanged) {
    // A layout another run left: tool bars in two rows with one hidden and one floating, the
    // status bar hidden, the map viewer and group list off, a user key.
    WriteFile(ini_,
              "[General]\r\nWinLeft=40\r\nWinTop=50\r\nWinWidth=700\r\nWinHeight=500\r\n"
              "WinState=0\r\nStatusBar=0\r\nGroupList=0\r\nMapViewer=0\r\n"
              "[ToolBar]\r\nShowTool1=1\r\nTool1Floating=0\r\nTool1Top=0\r\nTool1Left=0\r\n"
              "ShowTool2=1\r\nTool2Floating=1\r\nTool2FLeft=300\r\nTool2FTop=310\r\n"
              "Tool2FRight=700\r\nTool2FBottom=340\r\n"
              "ShowTool3=0\r\nTool3Floating=0\r\nTool3Top=32\r\nTool3Left=11\r\n"
              "[ShortCut]\r\nEditFindItem=Ctrl+F\r\n");
    {
        Shell shell(ini_);
        EXPECT_TRUE(shell.Form().ToolBar(2)->isHidden());
        EXPECT_FALSE(shell.Form().ToolBar(0)->isHidden());
        EXPECT_EQ(shell.Form().geometry(), QRect(40, 50, 700, 500));
    }
    // The first run fills in every setting the file lacked; from now on it is complete.
    const QByteArray complete = Contents(ini_);
    EXPECT_TRUE(complete.contains("Tool2FLeft=300\r\n"));
    EXPECT_TRUE(complete.contains("Tool3Top=32\r\nTool3Left=11\r\n"));
    EXPECT_TRUE(complete.contains("ShowTool3=0\r\n"));
    EXPECT_TRUE(complete.contains("StatusBar=0\r\n"));
    EXPECT_TRUE(complete.contains("MapViewer=0\r\n"));
    EXPECT_TRUE(complete.contains("EditFindItem=Ctrl+F\r\n"));
    EXPECT_TRUE(complete.contains("WinLeft=40\r\nWinTop=50\r\nWinWidth=700\r\nWinHeight=500\r\n"));
    {
        Shell shell(ini_);
        // Nothing changes, so nothing may be written: a file replaced meanwhile stays as it is.
        WriteFile(ini_, "marker");
    }
    EXPECT_EQ(Contents(ini_), QByteArray("marker"));
}

TEST_F(ShellTest, AMaximisedWindowKeepsItsNormalPlaceAndToolBarsTheirRows) {
    WriteFile(ini_,
              "[General]\r\nWinLeft=30\r\nWinTop=20\r\nWinWidth=900\r\nWinHeight=600\r\n"
              "WinState=2\r\n[ToolBar]\r\nTool1Top=0\r\nTool1Left=300\r\nTool2Top=32\r\n"
              "Tool2Left=0\r\nTool3Top=0\r\nTool3Left=0\r\n");
    {
        Shell shell(ini_);
        TQuillovaMainForm& form = shell.Form();
        EXPECT_TRUE(form.windowState() & Qt::WindowMaximized);
        QApplication::processEvents();
        const QRect t1 = form.ToolBar(0)->geometry();
        const QRect t2 = form.ToolBar(1)->geometry();
        const QRect t3 = form.ToolBar(2)->geometry();
        EXPECT_EQ(t1.top(), t3.top()) << "one row";
        EXPECT_LT(t3.left(), t1.left()) << "the lower Left first";
        EXPECT_GT(t2.top(), t1.top()) << "a larger Top starts the next row";
    }
    const QByteArray text = Contents(ini_);
    EXPECT_TRUE(text.contains("WinLeft=30\r\nWinTop=20\r\nWinWidth=900\r\nWinHeight=600\r\n"))
        << text.left(200).constData();
    EXPECT_TRUE(text.contains("WinState=2\r\n"));
    EXPECT_TRUE(text.contains("Tool1Top=0\r\nTool1Left=300\r\n"));
    EXPECT_TRUE(text.contains("Tool2Top=32\r\nTool2Left=0\r\n"));
}

TEST_F(ShellTest, ViewTogglesAreStoredAtExit) {
    {
        Shell shell(ini_);
        TQuillovaMainForm& form = shell.Form();
        form.Commands().Action(C::ShowStatusBar)->trigger();
        form.Commands().Action(C::ShowNamePlate)->trigger();
        form.ToolBar(1)->hide();
    }
    const QByteArray text = Contents(ini_);
    EXPECT_TRUE(text.contains("StatusBar=0\r\n"));
    EXPECT_TRUE(text.contains("NamePlate=0\r\n"));
    EXPECT_TRUE(text.contains("ShowTool2=0\r\n"));
    EXPECT_TRUE(text.contains("ShowTool1=1\r\n"));
}

// ---- Status bar ----

TEST_F(ShellTest, HintsReachPanelTwoOnlyWithADocument) {
    Shell shell(ini_);
    TQuillovaMainForm& form = shell.Form();
    QStatusTipEvent tip(QStringLiteral("選択中の断片を削除します"));
    QApplication::sendEvent(&form, &tip);
    EXPECT_TRUE(form.StatusPanelText(2).isEmpty());
    ASSERT_NE(form.Documents().OpenDocument(kExample), nullptr);
    QApplication::sendEvent(&form, &tip);
    EXPECT_EQ(form.StatusPanelText(2), QStringLiteral("選択中の断片を削除します"));
    // Documents report progress through their host, which writes the same panel.
    form.Documents().ShowStatus(texts::Cp932("グループ関係線を設定中..."));
    EXPECT_EQ(form.StatusPanelText(2), QStringLiteral("グループ関係線を設定中..."));
    form.DispStatusUpdate();
    EXPECT_EQ(form.StatusPanelText(0), QStringLiteral("0/1 "));
    EXPECT_EQ(form.StatusPanelText(1), QStringLiteral("断片数=23  /選択中=0"));
    // A tool-bar button shows the short part, the status bar the long one.
    QAction* cut = form.Commands().Action(C::EditCut);
    EXPECT_EQ(cut->toolTip(), QStringLiteral("切り取り"));
    EXPECT_EQ(cut->statusTip(),
              QStringLiteral("選択中の断片を切り取ってｶｯﾄﾊﾞｯﾌｧへ(ﾃｷｽﾄはｸﾘｯﾌﾟﾎﾞｰﾄﾞへも)"));
}

// ---- Drops ----

TEST_F(ShellTest, DroppedDocumentsOpenAndPicturesBecomeImageCards) {
    Shell shell(ini_);
    TQuillovaMainForm& form = shell.Form();
    const QString other = dir_.filePath(QStringLiteral("notes.txt"));
    WriteFile(other, "text");
    // Without a document only documents open; anything else is passed over.
    form.Documents().DropFiles({other, QString::fromStdString(kExample)});
    ASSERT_EQ(form.DocumentCount(), 1);
    qv::FragSet& set = *form.ActiveDocument();
    // Pictures only when the option says so.
    form.Documents().DropFiles({kPicture});
    EXPECT_EQ(set.Count(), 23);
    shell.Services().Env().DropImgFile = true;
    // Any other file offers the property dialog for a new link card: cancelled here.
    QTimer::singleShot(0, [] {
        if (QWidget* dialog = QApplication::activeModalWidget())
            QTest::keyClick(dialog, Qt::Key_Escape);
    });
    form.Documents().DropFiles({kPicture, other});
    ASSERT_EQ(set.Count(), 24);
    const auto found = std::find_if(set.Fragments().begin(), set.Fragments().end(),
                                    [](const auto& f) { return f->Link == qv::ToCp932(kPicture); });
    ASSERT_NE(found, set.Fragments().end());
    const qv::Fragment& card = **found;
    EXPECT_EQ(card.Kind, qv::FragmentKind::Image);
    EXPECT_EQ(card.Text, texts::Cp932(texts::kImageCardText));
    EXPECT_EQ(card.Link, qv::ToCp932(kPicture));
    EXPECT_TRUE(card.HasPicture());
    EXPECT_TRUE(set.Modified);
    EXPECT_TRUE(shell.Prompts().Asked.empty());
}

TEST_F(ShellTest, DroppingMoreDocumentsThanWindowsOpensFortyAndSaysSo) {
    Shell shell(ini_);
    QStringList paths;
    const QByteArray doc = Contents(QString::fromStdString(kExample))
                               .left(Contents(QString::fromStdString(kExample)).indexOf('\n') + 1);
    for (int i = 0; i < 45; ++i) {
        const QString path = dir_.filePath(QStringLiteral("d%1.CSV").arg(i));
        WriteFile(path, doc + "\"a\",0,10,10,4,1,0,16777215,\r\n");
        paths.append(path);
    }
    shell.Form().Documents().DropFiles(paths);
    EXPECT_EQ(shell.Form().DocumentCount(), 40);
    ASSERT_EQ(shell.Prompts().Asked.size(), 1u);
    EXPECT_EQ(shell.Prompts().Asked[0], texts::Cp932(texts::kCannotOpenMore));
}

// ---- Commands of this window ----

TEST_F(ShellTest, ToolButtonsAreOneGroupAndSetTheDocumentsLineStep) {
    Shell shell(ini_);
    TQuillovaMainForm& form = shell.Form();
    TMDIChild* child = form.Documents().OpenDocument(kExample);
    ASSERT_NE(child, nullptr);
    child->Set().SelectAll(true);
    form.Commands().Action(C::ToolGLine)->trigger();
    EXPECT_EQ(form.CurrentTool(), TQuillovaMainForm::Tool::GroupLine);
    EXPECT_EQ(child->Set().LineStep(), qv::LineToolStep::Ready);
    EXPECT_TRUE(child->Set().SelectionList.empty()) << "the line tool starts without selection";
    EXPECT_TRUE(form.Commands().Action(C::ToolGLine)->isChecked());
    EXPECT_FALSE(form.Commands().Action(C::ToolNrm)->isChecked());
    // No hints while a group line is being drawn.
    QStatusTipEvent tip(QStringLiteral("x"));
    QApplication::sendEvent(&form, &tip);
    EXPECT_TRUE(form.StatusPanelText(2).isEmpty());
    form.Commands().Action(C::ToolNrm)->trigger();
    EXPECT_EQ(child->Set().LineStep(), qv::LineToolStep::Off);
    EXPECT_TRUE(form.Commands().Action(C::ToolNrm)->isChecked());
    EXPECT_FALSE(form.Commands().Action(C::ToolGLine)->isChecked());
}

TEST_F(ShellTest, PositionUndoAndRedoFollowAGather) {
    Shell shell(ini_);
    TQuillovaMainForm& form = shell.Form();
    TMDIChild* child = form.Documents().OpenDocument(kExample);
    ASSERT_NE(child, nullptr);
    qv::FragSet& set = child->Set();
    set.SelectAll(true);
    qv::Fragment* card = set.Fragments().back().get();
    const int left = card->Left;
    EXPECT_FALSE(shell.Enabled(C::EditUndoPos));
    form.Commands().Action(C::EditGather)->trigger();
    EXPECT_TRUE(set.Modified);
    ASSERT_TRUE(shell.Enabled(C::EditUndoPos));
    QTest::keyClick(child, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(card->Left, left);
    EXPECT_TRUE(shell.Enabled(C::EditRedoPos));
    form.Commands().Action(C::EditRedoPos)->trigger();
    EXPECT_FALSE(shell.Enabled(C::EditRedoPos));
}

TEST_F(ShellTest, SaveReportsThePathAndCloseAsksForTheModifiedDocument) {
    Shell shell(ini_);
    TQuillovaMainForm& form = shell.Form();
    const QString path = dir_.filePath(QStringLiteral("copy.csv"));
    ASSERT_TRUE(QFile::copy(QString::fromStdString(kExample), path));
    TMDIChild* child = form.Documents().OpenDocument(qv::ToCp932(path));
    ASSERT_NE(child, nullptr);
    child->Set().SelectAll(true);
    ASSERT_FALSE(child->Set().ReadOnly);
    ASSERT_EQ(form.ActiveChild(), child);
    ASSERT_TRUE(shell.Enabled(C::EditGather));
    form.Commands().Action(C::EditGather)->trigger();
    ASSERT_TRUE(child->Set().Modified);
    form.Commands().Action(C::FileSave)->trigger();
    EXPECT_FALSE(child->Set().Modified);
    EXPECT_EQ(form.StatusPanelText(2), path + QStringLiteral(" を保存しました"));
    form.Commands().Action(C::EditGather)->trigger();
    shell.Prompts().Answers = {qv::PromptAnswer::Cancel};
    form.Commands().Action(C::FileClose)->trigger();
    EXPECT_EQ(form.DocumentCount(), 1) << "cancelled";
    shell.Prompts().Answers = {qv::PromptAnswer::No};
    form.Commands().Action(C::FileClose)->trigger();
    QApplication::processEvents();
    EXPECT_EQ(form.DocumentCount(), 0);
    EXPECT_EQ(shell.Prompts().Asked.size(), 2u);
}

TEST_F(ShellTest, KeysDoNotReachTheMainWindowWhileAModalDialogIsOpen) {
    Shell shell(ini_);
    TQuillovaMainForm& form = shell.Form();
    TMDIChild* child = form.Documents().OpenDocument(kExample);
    ASSERT_NE(child, nullptr);
    form.Commands().SetKey(C::EditSelAll, qv::TextToShortCut("Ctrl+Q"));
    child->Set().SelectAll(false);
    std::size_t selectedDuringDialog = 99;
    {
        QDialog dialog(&form);
        QTimer::singleShot(0, &dialog, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            EXPECT_EQ(modal, &dialog);
            QTest::keyClick(modal, Qt::Key_Q, Qt::ControlModifier);
            selectedDuringDialog = child->Set().SelectionList.size();
            dialog.accept();
        });
        dialog.exec();
    }
    EXPECT_EQ(selectedDuringDialog, 0u);
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    QTest::keyClick(child, Qt::Key_Q, Qt::ControlModifier);
    EXPECT_EQ(child->Set().SelectionList.size(), 23u);
}

TEST_F(ShellTest, TheAboutBoxNamesTheProgramAndClosesWithEnter) {
    Shell shell(ini_);
    bool shown = false;
    QTimer::singleShot(0, &shell.Form(), [&] {
        auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        QStringList labels;
        for (QLabel* label : box->findChildren<QLabel*>())
            labels << label->text();
        EXPECT_TRUE(labels.contains(QStringLiteral("Quillovarsta")));
        EXPECT_TRUE(labels.contains(QStringLiteral("Version 2.70")));
        EXPECT_TRUE(labels.contains(QStringLiteral("フリーソフトウェア")));
        shown = true;
        QTest::keyClick(box, Qt::Key_Return);
    });
    shell.Form().Commands().Action(C::HelpAbout)->trigger();
    EXPECT_TRUE(shown);
}

TEST_F(ShellTest, ThePopUpsOfferTheEditCommandsAndTheWayBackToNormalEditing) {
    Shell shell(ini_);
    TQuillovaMainForm& form = shell.Form();
    QStringList captions;
    for (QAction* a : form.FragmentPopup()->actions()) {
        if (!a->isSeparator()) captions << a->text();
    }
    EXPECT_EQ(captions, (QStringList{"切り取り(&T)",
                                     "コピー(&C)",
                                     "貼り付け(&P)",
                                     "マウス位置に貼り付け(&H)",
                                     "新規断片(&N)",
                                     "クリップボードから新規(&B)",
                                     "削除(&D)",
                                     "全て選択(&A)",
                                     "グループ選択(&G)",
                                     "集合(&S)",
                                     "展開(&X)",
                                     "伸縮(&Y)...",
                                     "グループ伸縮(&W)...",
                                     "片付け(&K)",
                                     "元に戻す(&U)",
                                     "やり直し(&R)",
                                     "他グループへ移動(&M)",
                                     "他ウィンドウへ移動(&V)",
                                     "検索(&F)...",
                                     "隣の断片を選択(&L)",
                                     "ジャンプ(&J)",
                                     "表示倍率(&Z)",
                                     "プロパティ(&R)..."}));
    // A right click on the document offers the card menu under normal editing and only the
    // way back under the grouping tool.
    TMDIChild* child = form.Documents().OpenDocument(kExample);
    ASSERT_NE(child, nullptr);
    // The menu opens when the right button comes up, as the press chose it.
    const auto rightClick = [&] {
        QTest::mousePress(child->viewport(), Qt::RightButton, {}, QPoint(70, 110));
        QTest::mouseRelease(child->viewport(), Qt::RightButton, {}, QPoint(70, 110));
    };
    rightClick();
    EXPECT_TRUE(form.FragmentPopup()->isVisible());
    form.FragmentPopup()->hide();
    form.Commands().Action(C::ToolGruop)->trigger();
    rightClick();
    EXPECT_TRUE(form.GroupToolPopup()->isVisible());
    EXPECT_FALSE(form.FragmentPopup()->isVisible());
    form.GroupToolPopup()->hide();
    ASSERT_EQ(form.GroupToolPopup()->actions().size(), 1);
    EXPECT_EQ(form.GroupToolPopup()->actions()[0], form.Commands().Action(C::ToolNrm));
    // The recent-file list is made as the file menu opens, for at most twenty of the files.
    for (int i = 0; i < 25; ++i)
        shell.Services().Env().RecentFiles.push_back("\"/r" + std::to_string(i) + ".csv\",1");
    emit form.MainMenu(0)->aboutToShow();
    EXPECT_EQ(form.Dynamic(TQuillovaMainForm::DynamicMenu::EditSelectGroup)->actions().size(), 40);
    EXPECT_EQ(form.Dynamic(TQuillovaMainForm::DynamicMenu::RecentFiles)->actions().size(), 20);
    // The tool bars carry their titles and the tool group sits on the third.
    EXPECT_EQ(form.ToolBar(0)->windowTitle(), QStringLiteral("標準"));
    EXPECT_EQ(form.ToolBar(1)->windowTitle(), QStringLiteral("断片操作"));
    EXPECT_EQ(form.ToolBar(2)->windowTitle(), QStringLiteral("モード切替"));
    EXPECT_TRUE(form.ToolBar(2)->actions().contains(form.Commands().Action(C::ToolBrush)));
}

TEST_F(ShellTest, TheWheelScrollsThreeLinesOfSixteenPixelsANotchAndTouchpadPixelsAsGiven) {
    Shell shell(ini_);
    TQuillovaMainForm& form = shell.Form();
    TMDIChild* child = form.Documents().OpenDocument(kExample);
    ASSERT_NE(child, nullptr);
    child->SetScrollPosition(qv::ScrollAxis::Vertical, 0);
    const auto wheel = [&](QWidget* target, QPoint pixels, QPoint angle) {
        QWheelEvent e(QPointF(5, 5), target->mapToGlobal(QPointF(5, 5)), pixels, angle,
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(target, &e);
        EXPECT_TRUE(e.isAccepted());
    };
    // The desktop's default of three lines a notch.
    ASSERT_EQ(QApplication::wheelScrollLines(), 3);
    wheel(child->viewport(), QPoint(), QPoint(0, -120));
    EXPECT_EQ(child->ScrollPosition(qv::ScrollAxis::Vertical), 48);
    // A fine wheel: half notches add up.
    wheel(child->viewport(), QPoint(), QPoint(0, -60));
    wheel(child->viewport(), QPoint(), QPoint(0, -60));
    EXPECT_EQ(child->ScrollPosition(qv::ScrollAxis::Vertical), 96);
    wheel(child->viewport(), QPoint(0, -5), QPoint(0, -40));
    EXPECT_EQ(child->ScrollPosition(qv::ScrollAxis::Vertical), 101);
    // Over the frame the active document scrolls; the event is always taken.
    wheel(&form, QPoint(), QPoint(0, 120));
    EXPECT_EQ(child->ScrollPosition(qv::ScrollAxis::Vertical), 53);
}

TEST_F(ShellTest, HideTitleMenuMaximisesToFullScreenWithoutTheMenuBar) {
    Shell shell(ini_);
    TQuillovaMainForm& form = shell.Form();
    shell.Services().Env().HideTitleMenu = true;
    form.showMaximized();
    EXPECT_TRUE(form.windowState() & Qt::WindowFullScreen);
    EXPECT_TRUE(form.menuBar()->isHidden());
    // The keys stay on the window.
    EXPECT_TRUE(form.actions().contains(form.Commands().Action(C::EditCut)));
    form.showNormal();
    EXPECT_FALSE(form.menuBar()->isHidden());
}

TEST_F(ShellTest, WithoutTheMenuBarTheMenusStayWithinReachAndTheStateCanBeLeft) {
    Shell shell(ini_);
    TQuillovaMainForm& form = shell.Form();
    QWindow* window = form.windowHandle();
    shell.Services().Env().HideTitleMenu = true;
    form.showMaximized();
    ASSERT_TRUE(form.windowState() & Qt::WindowFullScreen);
    ASSERT_TRUE(form.menuBar()->isHidden());
    const auto closeMenus = [] {
        while (QWidget* popup = QApplication::activePopupWidget())
            popup->close();
        QApplication::processEvents();
    };
    // The pointer rests in the middle of the screen, away from where the bar shows.
    const QRect screen = form.screen()->geometry();
    QCursor::setPos(screen.center());
    ASSERT_EQ(QCursor::pos(), screen.center());

    // Alt with a menu's access key opens that menu.
    QTest::keyClick(window, Qt::Key_O, Qt::AltModifier);
    EXPECT_TRUE(form.MainMenu(6)->isVisible()) << "オプション(&O)";
    EXPECT_FALSE(form.menuBar()->isHidden());
    closeMenus();
    EXPECT_TRUE(form.menuBar()->isHidden()) << "the bar goes again with its menu";
    // F10 opens the first menu.
    QTest::keyClick(window, Qt::Key_F10);
    EXPECT_TRUE(form.MainMenu(0)->isVisible());
    closeMenus();
    EXPECT_TRUE(form.menuBar()->isHidden());
    // The pointer at the top edge of the screen shows the bar; moving off lets it go.
    form.MenuReveal().PointerAt(QPoint(screen.left() + 40, screen.top()));
    EXPECT_FALSE(form.menuBar()->isHidden());
    QCursor::setPos(screen.center());
    form.MenuReveal().PointerAt(screen.center());
    EXPECT_TRUE(form.menuBar()->isHidden());

    // Leaving from the view menu: maximised again with the menu bar, and it stays so.
    QTest::keyClick(window, Qt::Key_V, Qt::AltModifier);
    ASSERT_TRUE(form.MainMenu(4)->isVisible());
    EXPECT_TRUE(form.HideTitleMenuItem()->isChecked());
    QTest::keyClick(form.MainMenu(4), Qt::Key_H);
    QApplication::processEvents();
    EXPECT_FALSE(shell.Services().Env().HideTitleMenu);
    EXPECT_FALSE(form.windowState() & Qt::WindowFullScreen);
    EXPECT_TRUE(form.windowState() & Qt::WindowMaximized);
    EXPECT_FALSE(form.menuBar()->isHidden());
    // F11, a key no command has, goes in and out again.
    QTest::keyClick(window, Qt::Key_F11);
    EXPECT_TRUE(form.windowState() & Qt::WindowFullScreen);
    EXPECT_TRUE(form.menuBar()->isHidden());
    QTest::keyClick(window, Qt::Key_F11);
    EXPECT_FALSE(shell.Services().Env().HideTitleMenu);
    EXPECT_FALSE(form.menuBar()->isHidden());
}

TEST_F(ShellTest, HelpThatIsNotFoundSaysWhereItLookedAndTheHomePageIsTheGuide) {
    Shell shell(ini_);
    TQuillovaMainForm& form = shell.Form();
    QList<QUrl> opened;
    shell.Services().Links().SetOpenExternally([&opened](const QUrl& url) {
        opened << url;
        return true;
    });
    const QString missing = dir_.filePath(QStringLiteral("none/index.html"));
    const QString guide = dir_.filePath(QStringLiteral("guide/index.html"));
    form.SetGuidePlaces({missing, guide});
    QTest::keyClick(form.windowHandle(), Qt::Key_F1);
    ASSERT_EQ(shell.Prompts().Asked.size(), 1u);
    const QString said = qv::FromCp932(shell.Prompts().Asked[0]);
    EXPECT_TRUE(said.contains(missing)) << said.toStdString();
    EXPECT_TRUE(said.contains(guide)) << said.toStdString();
    EXPECT_TRUE(opened.isEmpty());

    ASSERT_TRUE(QDir().mkpath(dir_.filePath(QStringLiteral("guide"))));
    WriteFile(guide, "<html></html>");
    form.Commands().Action(C::HelpHomePage)->trigger();
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(opened[0], QUrl::fromLocalFile(guide));
    EXPECT_EQ(shell.Prompts().Asked.size(), 1u);
}

}  // namespace

namespace {

// The program's questions come in Qt's message box: its answers must speak Japanese too.
TEST(ToolkitTranslations, MessageBoxAnswersAreJapanese) {
    QTranslator* translator = InstallToolkitTranslations(*QCoreApplication::instance());
    ASSERT_NE(translator, nullptr) << "the toolkit's Japanese translations are missing";
    {
        QMessageBox box(QMessageBox::Question, QStringLiteral("t"), QStringLiteral("?"),
                        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        EXPECT_TRUE(box.button(QMessageBox::Yes)->text().contains(QStringLiteral("はい")));
        EXPECT_TRUE(box.button(QMessageBox::No)->text().contains(QStringLiteral("いいえ")));
        EXPECT_TRUE(box.button(QMessageBox::Cancel)->text().contains(QStringLiteral("キャンセル")));
    }
    // Menus show keys by the names the settings file and the shortcut page use.
    EXPECT_EQ(QKeySequence(Qt::ALT | Qt::Key_Up).toString(QKeySequence::NativeText),
              QStringLiteral("Alt+Up"));
    EXPECT_EQ(QKeySequence(Qt::CTRL | Qt::Key_PageDown).toString(QKeySequence::NativeText),
              QStringLiteral("Ctrl+PgDown"));
    EXPECT_EQ(QKeySequence(Qt::Key_Delete).toString(QKeySequence::NativeText),
              QStringLiteral("Del"));
    QCoreApplication::removeTranslator(translator);
    delete translator;
}

}  // namespace
