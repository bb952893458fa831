// The stretch, options, print and image commands in the running shell: OK of the options dialog
// reaches an open window, a key changed on the shortcut page drives its command at once and is
// written at exit, and printing and image output run from the command table.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QListWidget>
#include <QPrinter>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <deque>

#include "app/app_services.h"
#include "app/commands/command_registry.h"
#include "app/commands/settings_commands.h"
#include "app/composition.h"
#include "app/dialogs/option_dlg.h"
#include "app/dialogs/shortcut_page.h"
#include "app/dialogs/stretch_dlg.h"
#include "app/document/document_manager.h"
#include "app/document/mdi_child.h"
#include "app/main_window/main_form.h"
#include "app/output/document_output.h"
#include "core/model/frag_set.h"
#include "core/model/fragment.h"
#include "core/settings/env_data.h"
#include "render/painting/offscreen_document.h"
#include "render/text/qt_text.h"

namespace {

using C = CommandId;

const std::string kExample = std::string(QV_SOURCE_DIR) + "/examples/brainstorm.csv";

class SettingsCommandsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir_.filePath(QStringLiteral("config"))));
        ini_ = dir_.filePath(QStringLiteral("q.INI"));
        qv::StartupArguments s;
        s.IniPath = QFile::encodeName(ini_).toStdString();
        services_ = std::make_unique<AppServices>(s);
        program_ = BuildProgram(*services_);
        form_ = &program_->Window();
        services_->Prompts().Redirect(&prompts_);
        form_->ShowAsStored();
        form_->activateWindow();
        (void)QTest::qWaitForWindowActive(form_);
        settings_ = &program_->Settings();
        ASSERT_NE(settings_, nullptr);
    }
    void TearDown() override {
        if (form_) Close();
    }
    void Close() {
        for (TMDIChild* child : form_->Children())
            child->ApproveClose();
        form_->close();
        program_.reset();
        form_ = nullptr;
        services_.reset();
    }
    static void Tick(QWidget* box) {
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
    }

    QTemporaryDir dir_;
    QString ini_;
    qv::QuietPrompts prompts_;
    std::unique_ptr<AppServices> services_;
    std::unique_ptr<Program> program_;
    TQuillovaMainForm* form_ = nullptr;
    SettingsCommands* settings_ = nullptr;
};

TEST_F(SettingsCommandsTest, OptionsOkReachesTheOpenWindowAndCancelLeavesItAsItWas) {
    TMDIChild* child = form_->Documents().OpenDocument(kExample);
    ASSERT_NE(child, nullptr);
    const qv::Fragment& card = *child->Set().Fragments().front();
    const int width = card.Right - card.Left;
    TOptionDlg& dlg = settings_->OptionDialog();
    dlg.ChooseFont = [](const QFont& f, bool) -> std::optional<QFont> {
        QFont big = f;
        big.setPointSize(20);
        return big;
    };

    // Cancel: the window keeps its cards' size.
    dlg.Begin(child->Set().FileName);
    dlg.FontList()->setCurrentIndex(0);
    QTest::mouseClick(dlg.FontButton(), Qt::LeftButton);
    QTest::keyClick(&dlg, Qt::Key_Escape);
    EXPECT_EQ(card.Right - card.Left, width);

    // OK: a bigger card font re-measures the cards; scroll tracking follows at once.
    dlg.Begin(child->Set().FileName);
    QTest::mouseClick(dlg.FontButton(), Qt::LeftButton);
    dlg.Tabs()->setCurrentIndex(3);
    Tick(dlg.Check("ScrollTracking"));
    QTest::keyClick(&dlg, Qt::Key_Return);
    EXPECT_EQ(services_->Env().FragmentFont.Size, 20);
    EXPECT_GT(card.Right - card.Left, width);
    EXPECT_FALSE(child->verticalScrollBar()->hasTracking());
    EXPECT_TRUE(dlg.Applied().CardsChanged);
}

TEST_F(SettingsCommandsTest, AKeyChangedOnTheShortcutPageDrivesItsCommandAtOnceAndIsStoredAtExit) {
    TMDIChild* child = form_->Documents().OpenDocument(kExample);
    ASSERT_NE(child, nullptr);
    child->Set().SelectAll(false);
    TOptionDlg& dlg = settings_->OptionDialog();
    dlg.Begin("");
    dlg.Tabs()->setCurrentIndex(2);
    ShortcutPage* page = dlg.Shortcuts();
    const int row = static_cast<int>(C::EditSelAll);
    page->List()->setCurrentRow(row);
    page->Keys()->setCurrentIndex(page->Keys()->findText(QStringLiteral("F5")));
    if (!page->Ctrl()->isChecked()) Tick(page->Ctrl());
    if (page->Shift()->isChecked()) Tick(page->Shift());
    if (page->Alt()->isChecked()) Tick(page->Alt());
    QTest::mouseClick(page->ChangeButton(), Qt::LeftButton);
    QTest::keyClick(&dlg, Qt::Key_Escape);  // Cancel does not take the key back
    EXPECT_EQ(form_->Commands().Key(C::EditSelAll), qv::TextToShortCut("Ctrl+F5"));

    form_->activateWindow();
    QTest::keyClick(child, Qt::Key_F5, Qt::ControlModifier);
    EXPECT_EQ(child->Set().SelectionList.size(), child->Set().Fragments().size());

    Close();
    QFile ini(ini_);
    ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
    EXPECT_TRUE(ini.readAll().contains("EditSelAllItem=Ctrl+F5"));
}

TEST_F(SettingsCommandsTest, PrintAndImageOutputRunFromTheCommandTable) {
    TMDIChild* child = form_->Documents().OpenDocument(kExample);
    ASSERT_NE(child, nullptr);
    const QString pdf = dir_.filePath(QStringLiteral("out.pdf"));
    const QString jpg = dir_.filePath(QStringLiteral("out.jpg"));
    settings_->Output().ConfirmPrint = [&](QPrinter& printer) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        return true;
    };
    settings_->Output().ChooseImageFile = [&](const DocumentOutput::ImageFileRequest&) {
        return std::optional<QString>(jpg);
    };
    form_->UpdateCommands();
    EXPECT_TRUE(form_->Commands().Run(C::FilePrint));
    EXPECT_TRUE(form_->Commands().Run(C::FileImgOut));
    EXPECT_TRUE(QFile::exists(pdf));
    EXPECT_TRUE(QFile::exists(jpg));
    EXPECT_EQ(services_->Env().ImgFilterIdx, 2);
    EXPECT_TRUE(prompts_.Messages.empty());
}

TEST_F(SettingsCommandsTest, TheStretchCommandsOpenTheDialogInTheirMode) {
    TMDIChild* child = form_->Documents().OpenDocument(kExample);
    ASSERT_NE(child, nullptr);
    child->Set().SelectAll(true);
    QString caption;
    QTimer::singleShot(0, [&] {
        TStretchDlg& dlg = settings_->StretchDialog();
        caption = dlg.windowTitle();
        dlg.reject();
    });
    form_->UpdateCommands();
    EXPECT_TRUE(form_->Commands().Run(C::EditGrpStretch));
    EXPECT_EQ(caption, QStringLiteral("グループ位置の伸縮"));
}

}  // namespace
