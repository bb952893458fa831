// The File menu's export submenu driven from the keyboard as a user would: Alt+F, E and the
// format's key, the save dialog answered through the file-command seam.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QProgressDialog>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <deque>

#include "app/app_services.h"
#include "app/commands/export_commands.h"
#include "app/composition.h"
#include "app/document/document_manager.h"
#include "app/document/mdi_child.h"
#include "app/file_chooser.h"
#include "app/main_window/main_form.h"
#include "core/model/frag_set.h"
#include "gui/output_progress_watch.h"
#include "render/text/qt_text.h"

namespace {

const QString kExample = QStringLiteral(QV_SOURCE_DIR "/examples/brainstorm.csv");

class AnsweringChooser : public FileChooser {
  public:
    std::deque<QString> Files;
    std::vector<FileDialogRequest> Shown;
    QString Choose(QWidget*, const FileDialogRequest& row) override {
        Shown.push_back(row);
        if (Files.empty()) return QString();
        QString f = Files.front();
        Files.pop_front();
        return f;
    }
};

class RecordingPrompts : public qv::Prompts {
  public:
    std::vector<QString> Shown;
    qv::PromptAnswer Warning(std::string_view text, qv::PromptButtons) override {
        Shown.push_back(qv::FromCp932(text));
        return qv::PromptAnswer::Ok;
    }
    qv::PromptAnswer Question(std::string_view text, qv::PromptButtons) override {
        Shown.push_back(qv::FromCp932(text));
        return qv::PromptAnswer::Cancel;
    }
};

QByteArray Contents(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class ExportMenuTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        services_.Prompts().Redirect(&prompts_);
        services_.RedirectFiles(&chooser_);
        form_.resize(900, 700);
        form_.show();
        form_.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&form_));
    }
    void TearDown() override {
        if (QWidget* popup = QApplication::activePopupWidget()) popup->close();
        services_.Prompts().Redirect(nullptr);
        services_.RedirectFiles(nullptr);
        for (QMdiSubWindow* sub : form_.DocumentArea()->subWindowList())
            if (auto* child = qobject_cast<TMDIChild*>(sub->widget())) child->ApproveClose();
    }
    void OpenExample() {
        form_.Documents().OpenDocument(QFile::encodeName(kExample).toStdString());
        ASSERT_NE(form_.ActiveDocument(), nullptr);
    }
    QMenu* FileMenu() { return form_.MainMenu(0); }
    QMenu* ExportMenu() { return FileMenu()->findChild<QMenu*>(QStringLiteral("ExportMenu")); }

    // Alt+F, E, then `key` in the submenu.
    void Choose(Qt::Key key) {
        // The menus of the last choice have closed: the keys go to the main window again.
        form_.activateWindow();
        ASSERT_TRUE(QTest::qWaitFor([this] { return QApplication::activeWindow() == &form_; }));
        QTest::keyClick(&form_, Qt::Key_F, Qt::AltModifier);
        QWidget* file = QApplication::activePopupWidget();
        ASSERT_EQ(file, FileMenu());
        QTest::keyClick(file, Qt::Key_E);
        QWidget* sub = QApplication::activePopupWidget();
        ASSERT_EQ(sub, ExportMenu());
        QTest::keyClick(sub, key);
        QApplication::processEvents();
    }

    QTemporaryDir dir_;
    RecordingPrompts prompts_;
    AnsweringChooser chooser_;
    AppServices services_;
    std::unique_ptr<Program> program_ = BuildProgram(services_);
    TQuillovaMainForm& form_ = program_->Window();
};

TEST_F(ExportMenuTest, TheSubmenuFollowsSaveAsImageAndKeepsTheFileMenusItems) {
    QMenu* file = FileMenu();
    ASSERT_NE(ExportMenu(), nullptr);
    const QList<QAction*> items = file->actions();
    const qsizetype at = items.indexOf(ExportMenu()->menuAction());
    ASSERT_GT(at, 0);
    EXPECT_EQ(items[at - 1]->text(), QStringLiteral("画像として保存(&I)..."));
    EXPECT_EQ(ExportMenu()->title(), QStringLiteral("エクスポート(&E)"));
    QStringList captions;
    for (QAction* a : ExportMenu()->actions())
        captions << a->text();
    EXPECT_EQ(captions,
              (QStringList{QStringLiteral("SVG(&S)..."), QStringLiteral("PDF(&P)..."),
                           QStringLiteral("PNG(&N)..."), QStringLiteral("JSON Canvas(&J)..."),
                           QStringLiteral("&Markdown (*.md)")}));
    // Every other item in its place: the submenu is the only addition.
    QStringList rest;
    for (QAction* a : items)
        if (a != ExportMenu()->menuAction())
            rest << (a->isSeparator() ? QStringLiteral("-") : a->text());
    EXPECT_EQ(rest.mid(rest.indexOf(QStringLiteral("印刷(&P)..."))),
              (QStringList{QStringLiteral("印刷(&P)..."), QStringLiteral("画像として保存(&I)..."),
                           QStringLiteral("-"), QStringLiteral("終了(&X)")}));

    // Without a document the submenu cannot be used.
    QTest::keyClick(&form_, Qt::Key_F, Qt::AltModifier);
    ASSERT_EQ(QApplication::activePopupWidget(), file);
    EXPECT_FALSE(ExportMenu()->menuAction()->isEnabled());
    file->close();
    // Even when asked directly, nothing is asked or written.
    ExportCommands* commands = ExportMenu()->findChild<ExportCommands*>();
    ASSERT_NE(commands, nullptr);
    commands->Export(qv::ExportFormat::Svg);
    EXPECT_TRUE(chooser_.Shown.empty());
}

TEST_F(ExportMenuTest, AnUntitledDocumentIsOfferedAsUntitledWithTheFormatsExtension) {
    form_.Documents().NewDocument();  // 無題: a new document
    ASSERT_NE(form_.ActiveDocument(), nullptr);
    const FileDialogRequest r =
        ExportCommands::DialogFor(qv::ExportFormat::Canvas, *form_.ActiveDocument());
    EXPECT_EQ(r.InitialPath, QStringLiteral("無題.canvas"));
    EXPECT_EQ(r.Filter, QStringLiteral("JSON Canvas (*.canvas)"));
}

TEST_F(ExportMenuTest, EachItemAsksForItsFileAndWritesIt) {
    OpenExample();
    struct Case {
        Qt::Key Key;
        const char* Name;
        QByteArray Start;
        const char* Suffix;
    } cases[] = {
        {Qt::Key_S, "page.svg", "<?xml", "svg"},   {Qt::Key_P, "page.pdf", "%PDF-", "pdf"},
        {Qt::Key_N, "page.png", "\x89PNG", "png"}, {Qt::Key_J, "page.canvas", "{", "canvas"},
        {Qt::Key_M, "page.md", "## ", "md"},
    };
    for (const Case& c : cases) {
        const QString path = dir_.filePath(QString::fromLatin1(c.Name));
        chooser_.Files = {path};
        Choose(c.Key);
        ASSERT_FALSE(chooser_.Shown.empty()) << c.Name;
        const FileDialogRequest& asked = chooser_.Shown.back();
        EXPECT_TRUE(asked.Save);
        EXPECT_EQ(asked.DefaultSuffix, QString::fromLatin1(c.Suffix));
        EXPECT_TRUE(asked.Filter.contains(QStringLiteral("*.") + QString::fromLatin1(c.Suffix)));
        EXPECT_TRUE(asked.InitialPath.endsWith(QStringLiteral("brainstorm.") +
                                               QString::fromLatin1(c.Suffix)))
            << asked.InitialPath.toStdString();
        EXPECT_TRUE(Contents(path).startsWith(c.Start)) << c.Name;
    }
    EXPECT_TRUE(
        QJsonDocument::fromJson(Contents(dir_.filePath(QStringLiteral("page.canvas")))).isObject());
    // The outline names the groups in UTF-8 and lists their cards.
    const QByteArray md = Contents(dir_.filePath(QStringLiteral("page.md")));
    const QString outline = QString::fromUtf8(md);
    EXPECT_EQ(outline.toUtf8(), md) << "not UTF-8";
    EXPECT_TRUE(outline.contains(QStringLiteral("## ") +
                                 qv::FromCp932(form_.ActiveDocument()->GroupNameText(1)) +
                                 QStringLiteral("\n\n- ")))
        << md.toStdString();
    EXPECT_TRUE(prompts_.Shown.empty());

    // A cancelled dialog writes nothing; a file that cannot be written is reported.
    chooser_.Files = {};
    Choose(Qt::Key_S);
    EXPECT_TRUE(prompts_.Shown.empty());
    const QString folder = dir_.filePath(QStringLiteral("folder.svg"));
    ASSERT_TRUE(QDir().mkpath(folder));
    chooser_.Files = {folder};
    Choose(Qt::Key_S);
    ASSERT_EQ(prompts_.Shown.size(), 1u);
    EXPECT_TRUE(prompts_.Shown[0].contains(QStringLiteral("書き出せませんでした")))
        << prompts_.Shown[0].toStdString();
}

TEST_F(ExportMenuTest, ExportsRunOnACopyBesideTheWindowAndEscapeStopsThemWithoutAFile) {
    OpenExample();
    qv::FragSet& set = *form_.ActiveDocument();
    auto* commands = ExportMenu()->findChild<ExportCommands*>();
    ASSERT_NE(commands, nullptr);
    const QString before = dir_.filePath(QStringLiteral("before.svg"));
    chooser_.Files = {before};
    commands->Export(qv::ExportFormat::Svg);
    ASSERT_FALSE(Contents(before).isEmpty());

    // The document changes while an export runs: the file shows it as it was when it started.
    const QString during = dir_.filePath(QStringLiteral("during.svg"));
    chooser_.Files = {during};
    QTimer::singleShot(0, [&set] {
        for (const auto& f : set.Fragments()) {
            f->Text = "changed";
            f->Left += 50;
            f->Measure();
            f->MarkStale();
        }
        set.Recount();
        set.RefreshVisibility();
    });
    commands->Export(qv::ExportFormat::Svg);
    EXPECT_EQ(Contents(during), Contents(before));

    // A page far too large to be quick: the dialog shows, Esc stops it, nothing is left.
    qv::Fragment* far = set.AddFragment();
    ASSERT_NE(far, nullptr);
    far->Text = "far";
    far->Left = far->Top = 15000;
    far->Measure();
    // Whether the page or the used area is exported, it is 15000 pixels a side or more.
    set.FixedWidth = set.FixedHeight = 16000;
    set.Recount();
    set.RefreshVisibility();
    const QString png = dir_.filePath(QStringLiteral("far.png"));
    chooser_.Files = {png};
    OutputProgressWatch watch(
        [](QProgressDialog& dialog) { QTest::keyClick(&dialog, Qt::Key_Escape); });
    commands->Export(qv::ExportFormat::Png);
    ASSERT_TRUE(watch.Seen) << "no progress dialog while the page was exported";
    EXPECT_EQ(watch.Title, QStringLiteral("PNG として書き出し"));
    EXPECT_EQ(watch.Label, QStringLiteral("書き出し中..."));
    EXPECT_TRUE(watch.ApplicationModal);
    EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot),
              (QStringList{QStringLiteral("before.svg"), QStringLiteral("during.svg")}));
    EXPECT_TRUE(prompts_.Shown.empty());

    // Farther out than a PNG may hold: refused at once, saying the limit and the page's size.
    far->Left = 70000;
    far->Measure();
    set.FixedWidth = 74000;
    set.Recount();
    chooser_.Files = {png};
    commands->Export(qv::ExportFormat::Png);
    ASSERT_EQ(prompts_.Shown.size(), 1u);
    EXPECT_TRUE(prompts_.Shown[0].contains(QStringLiteral("65500 ピクセルまで")))
        << prompts_.Shown[0].toStdString();
    EXPECT_FALSE(QFile::exists(png));
}

}  // namespace
