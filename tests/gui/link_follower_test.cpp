// Following links: fragment files by their content, web addresses by scheme, programs only after
// the user agreed (a refused program runs nothing), missing targets reported; and the jump
// history across three documents in the main window.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <deque>
#include <functional>

#include "app/app_services.h"
#include "app/commands/card_commands.h"
#include "app/commands/card_dialogs.h"
#include "app/composition.h"
#include "app/dialogs/frg_prop_dlg.h"
#include "app/document/document_manager.h"
#include "app/document/mdi_child.h"
#include "app/main_window/main_form.h"
#include "app/platform/link_follower.h"
#include "app/platform/qt_ports.h"
#include "app/platform/scheme_handler.h"
#include "core/commands/jump_history.h"
#include "core/model/frag_set.h"
#include "core/model/fragment.h"
#include "core/settings/env_data.h"
#include "core/settings/paths.h"
#include "gui/scripted_prompts.h"
#include "render/text/qt_text.h"
#include "unit/model/fakes.h"

namespace {

const char kFragmentHeader[] = "#Quillovarsta,Group,Left,Top,Width,Height,ColFG,ColBG,Link\r\n";

// Records the documents a link opens; every one opens.
class RecordedDocuments : public qv::LinkDocuments {
  public:
    bool OpenLinkedDocument(const std::string& path) override {
        opened.push_back(path);
        return true;
    }
    void MaximiseActiveDocument() override {}

    std::vector<std::string> opened;
};

class LinkTest : public ::testing::Test {
  protected:
    QString Write(const QString& name, const QByteArray& bytes, bool executable = false) {
        QFile f(dir_.filePath(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        f.close();
        if (executable) f.setPermissions(f.permissions() | QFile::ExeOwner | QFile::ExeUser);
        return f.fileName();
    }
    // Follows `link` from a card of a document in the temporary folder.
    void Follow(const QString& link) {
        qv::Fragment* f = doc_.Add("c", 1, 10, 10);
        f->Link = qv::ToCp932(link);
        f->Visible = true;
        doc_.set.FileName = qv::ToCp932(dir_.filePath(QStringLiteral("doc.csv")));
        follower_.OpenLink(doc_.set, *f);
    }

    QTemporaryDir dir_;
    qv::test::TestDoc doc_;
    ScriptedPrompts prompts_;
    qv::LinkFollower follower_{doc_.env, prompts_};
    std::vector<QUrl> handed_;
    RecordedDocuments documents_;
    std::vector<std::string>& opened_ = documents_.opened;

    void SetUp() override {
        follower_.SetOpenExternally([this](const QUrl& url) {
            handed_.push_back(url);
            return true;
        });
        follower_.SetDocuments(&documents_);
    }
};

TEST_F(LinkTest, AnExecutableLinkAsksAndWhenRefusedRunsNothing) {
    const QString marker = dir_.filePath(QStringLiteral("ran"));
    const QString script =
        Write(QStringLiteral("tool.sh"), "#!/bin/sh\ntouch '" + marker.toUtf8() + "'\n", true);
    // Run the desktop for real: after a refusal nothing must reach it.
    follower_.SetOpenExternally([](const QUrl& url) { return QDesktopServices::openUrl(url); });
    prompts_.Answers = {qv::PromptAnswer::No};
    Follow(script);
    ASSERT_EQ(prompts_.Asked.size(), 1u);
    EXPECT_TRUE(prompts_.Asked[0].contains(script));
    QTest::qWait(300);
    EXPECT_FALSE(QFile::exists(marker));

    // A program hidden behind a harmless name and a symbolic link is still found by content.
    const QString elf = Write(QStringLiteral("prog"), QByteArray("\x7f"
                                                                 "ELF\x02\x01\x01",
                                                                 7) +
                                                          QByteArray(64, '\0'));
    QFile::link(elf, dir_.filePath(QStringLiteral("photo.jpg")));
    EXPECT_TRUE(qv::CheckProgram(dir_.filePath(QStringLiteral("photo.jpg"))).IsProgram);
    EXPECT_TRUE(
        qv::CheckProgram(Write(QStringLiteral("a.desktop"), "[Desktop Entry]\n")).IsProgram);
    // The execute bit alone does not make a program.
    const QString text = Write(QStringLiteral("notes.txt"), "just text\n", true);
    EXPECT_FALSE(qv::CheckProgram(text).IsProgram);
}

TEST_F(LinkTest, AfterYesAProgramGoesToTheDesktopAndPlainFilesNeedNoQuestion) {
    const QString script = Write(QStringLiteral("tool.sh"), "#!/bin/sh\n", true);
    prompts_.Answers = {qv::PromptAnswer::Yes};
    Follow(script);
    ASSERT_EQ(handed_.size(), 1u);
    EXPECT_EQ(handed_[0], QUrl::fromLocalFile(script));
    const QString text = Write(QStringLiteral("n.txt"), "text\n");
    Follow(QStringLiteral("n.txt"));  // relative to the document
    ASSERT_EQ(handed_.size(), 2u);
    EXPECT_EQ(handed_[1], QUrl::fromLocalFile(text));
    EXPECT_EQ(prompts_.Asked.size(), 1u);
    // No application for it: reported.
    follower_.SetOpenExternally([](const QUrl&) { return false; });
    Follow(text);
    ASSERT_EQ(prompts_.Asked.size(), 2u);
    EXPECT_TRUE(prompts_.Asked[1].contains(QStringLiteral("開くアプリケーションが見つかりません")));
}

TEST_F(LinkTest, FragmentFilesOpenInsideByContentWebAddressesBySchemeMissingIsReported) {
    // A fragment file opens inside; a .csv that is not one goes to the desktop.
    const QString inside = Write(QStringLiteral("cards.CSV"),
                                 QByteArray(kFragmentHeader) + "\"a\",1,1,1,4,1,0,16777215,\r\n");
    const QString sheet = Write(QStringLiteral("sheet.csv"), "a,b,c\r\n1,2,3\r\n");
    Follow(inside);
    ASSERT_EQ(opened_.size(), 1u);
    EXPECT_EQ(QString::fromStdString(opened_[0]), inside);
    EXPECT_EQ(follower_.Jumps().Position(), 1);
    Follow(sheet);
    EXPECT_EQ(opened_.size(), 1u);
    ASSERT_EQ(handed_.size(), 1u);

    Follow(QStringLiteral("https://example.org/x"));
    ASSERT_EQ(handed_.size(), 2u);
    EXPECT_TRUE(prompts_.Asked.empty());
    prompts_.Answers = {qv::PromptAnswer::No};
    Follow(QStringLiteral("ftp://example.org/x"));
    EXPECT_EQ(handed_.size(), 2u);
    EXPECT_EQ(prompts_.Asked.size(), 1u);

    Follow(dir_.filePath(QStringLiteral("gone.csv")));
    ASSERT_EQ(prompts_.Asked.size(), 2u);
    EXPECT_TRUE(prompts_.Asked[1].endsWith(QStringLiteral("]は存在しません")));
}

// Answers the next message box once it is up, after `look` has seen it (given up after 5 s).
void WhenBoxShows(const std::function<void(QMessageBox*)>& look, int tries = 250) {
    QTimer::singleShot(20, [look, tries] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box) {
            look(box);
        } else if (tries > 0) {
            WhenBoxShows(look, tries - 1);
        }
    });
}

TEST_F(LinkTest, TheProgramQuestionShowsItsWholeTextAndEnterAnswersNo) {
    // A name that would hide the rest of the question if it were taken as markup.
    const QString script = Write(QStringLiteral("<b>x<!--.sh"), "#!/bin/sh\n", true);
    qv::QtPrompts real;
    qv::LinkFollower follower(doc_.env, real);
    follower.SetOpenExternally([this](const QUrl& url) {
        handed_.push_back(url);
        return true;
    });
    QString shown;
    Qt::TextFormat format = Qt::AutoText;
    WhenBoxShows([&](QMessageBox* box) {
        auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
        ASSERT_NE(label, nullptr);
        shown = label->text();
        format = label->textFormat();
        QTest::keyClick(box, Qt::Key_Return);
    });
    qv::Fragment* f = doc_.Add("c", 1, 10, 10);
    f->Link = qv::ToCp932(script);
    f->Visible = true;
    follower.OpenLink(doc_.set, *f);
    EXPECT_EQ(format, Qt::PlainText);
    EXPECT_TRUE(shown.startsWith(QLatin1Char('[') + script + QLatin1Char(']')));
    EXPECT_TRUE(shown.contains(QStringLiteral("開くとこのプログラムが実行されます")));
    EXPECT_TRUE(handed_.empty()) << "Enter must not run the program";
}

TEST_F(LinkTest, FileAddressesGetThePathChecks) {
    const QString script = Write(QStringLiteral("run me.sh"), "#!/bin/sh\n", true);
    QString address = QUrl::fromLocalFile(script).toString(QUrl::FullyEncoded);
    ASSERT_TRUE(address.contains(QStringLiteral("%20")));
    prompts_.Answers = {qv::PromptAnswer::No};
    Follow(address);
    ASSERT_EQ(prompts_.Asked.size(), 1u);
    EXPECT_TRUE(prompts_.Asked[0].contains(QStringLiteral("開くとこのプログラムが実行されます")));
    EXPECT_TRUE(handed_.empty()) << "a refused program is not run";

    // A fragment file behind a file address opens inside, with the history.
    const QString inside = Write(QStringLiteral("cards.csv"),
                                 QByteArray(kFragmentHeader) + "\"a\",1,1,1,4,1,0,16777215,\r\n");
    Follow(QStringLiteral("FILE://localhost") + inside + QStringLiteral("#top"));
    ASSERT_EQ(opened_.size(), 1u);
    EXPECT_EQ(QString::fromStdString(opened_[0]), inside);

    // Another host, a NUL and a relative address are no local file; a missing one is reported.
    for (const QString& bad : {QStringLiteral("file://server/share/x.txt"),
                               QStringLiteral("file:///tmp/a%00b"), QStringLiteral("file:x.txt")}) {
        prompts_.Asked.clear();
        Follow(bad);
        ASSERT_EQ(prompts_.Asked.size(), 1u) << bad.toStdString();
        EXPECT_TRUE(prompts_.Asked[0].endsWith(QStringLiteral("]は正しいアドレスではありません")));
    }
    prompts_.Asked.clear();
    Follow(QStringLiteral("file://") + dir_.filePath(QStringLiteral("gone.txt")));
    ASSERT_EQ(prompts_.Asked.size(), 1u);
    EXPECT_TRUE(prompts_.Asked[0].endsWith(QStringLiteral("]は存在しません")));
    EXPECT_TRUE(handed_.empty());
}

// Points the desktop's settings folders at a temporary folder for the life of the object.
class DesktopFolders {
  public:
    explicit DesktopFolders(const QString& root) {
        for (const char* name :
             {"XDG_CONFIG_HOME", "XDG_CONFIG_DIRS", "XDG_DATA_HOME", "XDG_DATA_DIRS"}) {
            saved_.push_back({name, qgetenv(name), qEnvironmentVariableIsSet(name)});
        }
        qputenv("XDG_CONFIG_HOME", (root + QStringLiteral("/config")).toLocal8Bit());
        qputenv("XDG_CONFIG_DIRS", (root + QStringLiteral("/etc")).toLocal8Bit());
        qputenv("XDG_DATA_HOME", (root + QStringLiteral("/data")).toLocal8Bit());
        qputenv("XDG_DATA_DIRS", (root + QStringLiteral("/share")).toLocal8Bit());
    }
    ~DesktopFolders() {
        for (const Saved& s : saved_) {
            if (s.Set)
                qputenv(s.Name, s.Value);
            else
                qunsetenv(s.Name);
        }
    }

  private:
    struct Saved {
        const char* Name;
        QByteArray Value;
        bool Set;
    };
    std::vector<Saved> saved_;
};

TEST_F(LinkTest, AnotherSchemeNamesItsApplicationAndEnterAnswersNo) {
    DesktopFolders folders(dir_.path());
    QDir(dir_.path()).mkpath(QStringLiteral("config"));
    QDir(dir_.path()).mkpath(QStringLiteral("data/applications"));
    QDir(dir_.path()).mkpath(QStringLiteral("share/applications"));
    Write(QStringLiteral("data/applications/fetcher.desktop"),
          "[Desktop Entry]\nType=Application\nName=Fetcher\nName[ja]=<i>取得係</i>\n"
          "Exec=fetcher %u\n");
    Write(QStringLiteral("share/applications/viewer.desktop"), "[Desktop Entry]\nName=Viewer\n");
    // The first default that is installed counts; the applications' own claims come last.
    Write(QStringLiteral("config/mimeapps.list"),
          "[Added Associations]\nx-scheme-handler/ftp=viewer.desktop;\n"
          "[Default Applications]\nx-scheme-handler/ftp=gone.desktop;fetcher.desktop;\n");
    Write(QStringLiteral("share/applications/mimeinfo.cache"),
          "[MIME Cache]\nx-scheme-handler/irc=viewer.desktop;\n");
    EXPECT_EQ(qv::SchemeHandlerName(QStringLiteral("ftp")), QStringLiteral("<i>取得係</i>"));
    EXPECT_EQ(qv::SchemeHandlerName(QStringLiteral("irc")), QStringLiteral("Viewer"));
    EXPECT_EQ(qv::SchemeHandlerName(QStringLiteral("gopher")), QString());

    qv::QtPrompts real;
    qv::LinkFollower follower(doc_.env, real);
    follower.SetOpenExternally([this](const QUrl& url) {
        handed_.push_back(url);
        return true;
    });
    std::vector<QString> shown;
    const auto follow = [&](const QString& link) {
        WhenBoxShows([&](QMessageBox* box) {
            EXPECT_EQ(box->textFormat(), Qt::PlainText);
            shown.push_back(box->text());
            QTest::keyClick(box, Qt::Key_Return);
        });
        qv::Fragment* f = doc_.Add("c", 1, 10, 10);
        f->Link = qv::ToCp932(link);
        f->Visible = true;
        follower.OpenLink(doc_.set, *f);
    };
    follow(QStringLiteral("ftp://example.org/x"));
    follow(QStringLiteral("gopher://example.org/x"));
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(
        shown[0],
        QStringLiteral("[ftp://example.org/x]を開きますか?\n開くアプリケーション: <i>取得係</i>"));
    EXPECT_EQ(shown[1], QStringLiteral("[gopher://example.org/x]を開きますか?\n"
                                       "このアドレスを開くアプリケーションは分かりません"));
    EXPECT_TRUE(handed_.empty()) << "Enter must not open the address";
}

}  // namespace

namespace {

// Three documents A -> B -> C linked by cards, in the main window.
class JumpTest : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const char* name : {"A", "B", "C", "D"}) {
            paths_.push_back(dir_.filePath(QString::fromLatin1(name) + QStringLiteral(".csv")));
        }
        // Every document links to the next one.
        for (int i = 0; i < 4; ++i) {
            QFile f(paths_[static_cast<std::size_t>(i)]);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(kFragmentHeader);
            if (i < 3)
                f.write("\"next\",1,10,10,4,1,0,16777215," +
                        paths_[static_cast<std::size_t>(i + 1)].toUtf8() + "\r\n");
        }
        form_.resize(900, 700);
        form_.show();
    }
    void TearDown() override {
        for (QMdiSubWindow* sub : form_.DocumentArea()->subWindowList())
            if (auto* child = qobject_cast<TMDIChild*>(sub->widget())) child->ApproveClose();
    }
    std::string Path(int i) const { return qv::ToCp932(paths_[static_cast<std::size_t>(i)]); }
    std::string Active() const {
        qv::FragSet* d = form_.ActiveDocument();
        return d ? d->FileName : std::string();
    }
    // Selects the card of the active document and runs the jump command.
    void Jump() {
        qv::FragSet* d = form_.ActiveDocument();
        ASSERT_NE(d, nullptr);
        d->SelectAll(true);
        d->RebuildSelection();
        services_.Links().JumpSelection(*d);
        EXPECT_TRUE(d->SelectionList.empty());
    }

    QTemporaryDir dir_;
    std::vector<QString> paths_;
    AppServices services_;
    std::unique_ptr<Program> program_ = BuildProgram(services_);
    TQuillovaMainForm& form_ = program_->Window();
    CardCommands& commands_ = program_->Cards();
};

TEST_F(JumpTest, JumpBackForwardAndHomeAcrossThreeDocuments) {
    qv::EnvData& env = services_.Env();
    ASSERT_NE(form_.Documents().OpenDocument(Path(0)), nullptr);
    Jump();
    EXPECT_EQ(Active(), Path(1));
    Jump();
    EXPECT_EQ(Active(), Path(2));
    EXPECT_EQ(services_.Links().Jumps().Entries(), (std::vector<std::string>{Path(0), Path(1)}));
    EXPECT_EQ(services_.Links().Jumps().Position(), 2);

    services_.Links().GoBack(form_.ActiveDocument());
    EXPECT_EQ(Active(), Path(1));
    EXPECT_EQ(services_.Links().Jumps().Entries().size(), 3u);
    services_.Links().GoBack(form_.ActiveDocument());
    EXPECT_EQ(Active(), Path(0));
    EXPECT_EQ(services_.Links().Jumps().Position(), 0);
    services_.Links().GoForward();
    services_.Links().GoForward();
    EXPECT_EQ(Active(), Path(2));
    EXPECT_FALSE(services_.Links().Jumps().CanGoForward());

    // Home: recorded as a jump from C; from home itself nothing is recorded.
    env.HomeWindow = Path(3);
    env.HomWinMaximize = true;
    services_.Links().GoHome(form_.ActiveDocument());
    EXPECT_EQ(Active(), Path(3));
    EXPECT_TRUE(form_.ActiveChild()->parentWidget()->isMaximized());
    const int position = services_.Links().Jumps().Position();
    services_.Links().GoHome(form_.ActiveDocument());
    EXPECT_EQ(services_.Links().Jumps().Position(), position);
    services_.Links().GoBack(form_.ActiveDocument());
    EXPECT_EQ(Active(), Path(2));
    EXPECT_EQ(form_.DocumentCount(), 4);
}

TEST_F(JumpTest, DoubleClickOnTheEmptyPageCreatesACardThere) {
    TMDIChild* child = form_.Documents().OpenDocument(Path(3));
    ASSERT_NE(child, nullptr);
    QTimer::singleShot(0, [this] {
        auto* memo =
            commands_.Cards().PropertyDialog().findChild<QWidget*>(QStringLiteral("Memo1"));
        ASSERT_NE(memo, nullptr);
        QTest::keyClicks(memo, QStringLiteral("new"));
        QTest::keyClick(memo, Qt::Key_Return);
    });
    QTest::mouseDClick(child->viewport(), Qt::LeftButton, {}, QPoint(200, 150));
    ASSERT_EQ(child->Set().Count(), 1);
    const qv::Fragment& f = *child->Set().Fragments()[0];
    EXPECT_EQ(f.Text, "new");
    EXPECT_EQ(f.Left, child->Set().ScrollX() + 201);
    EXPECT_EQ(f.Top, child->Set().ScrollY() + 151);
    EXPECT_EQ(f.Group, 0);  // outside every frame
}

}  // namespace
