// Following links: fragment files by their content, web addresses by scheme, programs only after
// the user agreed (a refused program runs nothing), missing targets reported; and the jump
// history across three documents in the main window.
#include <gtest/gtest.h>

#include <QDesktopServices>
#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <deque>

#include "app/app_services.h"
#include "app/dialogs/frg_prop_dlg.h"
#include "app/document/mdi_child.h"
#include "app/main_window/card_commands.h"
#include "app/main_window/card_dialogs.h"
#include "app/main_window/main_form.h"
#include "app/platform/link_follower.h"
#include "core/commands/jump_history.h"
#include "core/model/frag_set.h"
#include "core/model/fragment.h"
#include "core/settings/env_data.h"
#include "core/settings/paths.h"
#include "gui/scripted_prompts.h"
#include "render/qt_text.h"
#include "unit/model/fakes.h"

namespace {

const char kFragmentHeader[] = "#Quillovarsta,Group,Left,Top,Width,Height,ColFG,ColBG,Link\r\n";

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
    std::vector<std::string> opened_;

    void SetUp() override {
        follower_.SetOpenExternally([this](const QUrl& url) {
            handed_.push_back(url);
            return true;
        });
        follower_.SetOpenDocument([this](const std::string& path) {
            opened_.push_back(path);
            return true;
        });
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
    EXPECT_EQ(doc_.env.JumpPosition, 1);
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
    TQuillovaMainForm form_{services_};
    CardCommands commands_{form_, services_};
};

TEST_F(JumpTest, JumpBackForwardAndHomeAcrossThreeDocuments) {
    qv::EnvData& env = services_.Env();
    ASSERT_NE(form_.OpenDocument(Path(0)), nullptr);
    Jump();
    EXPECT_EQ(Active(), Path(1));
    Jump();
    EXPECT_EQ(Active(), Path(2));
    EXPECT_EQ(env.JumpHistory, (std::vector<std::string>{Path(0), Path(1)}));
    EXPECT_EQ(env.JumpPosition, 2);

    services_.Links().GoBack(form_.ActiveDocument());
    EXPECT_EQ(Active(), Path(1));
    EXPECT_EQ(env.JumpHistory.size(), 3u);
    services_.Links().GoBack(form_.ActiveDocument());
    EXPECT_EQ(Active(), Path(0));
    EXPECT_EQ(env.JumpPosition, 0);
    services_.Links().GoForward();
    services_.Links().GoForward();
    EXPECT_EQ(Active(), Path(2));
    EXPECT_FALSE(qv::CanGoForward(env));

    // Home: recorded as a jump from C; from home itself nothing is recorded.
    env.HomeWindow = Path(3);
    env.HomWinMaximize = true;
    services_.Links().GoHome(form_.ActiveDocument());
    EXPECT_EQ(Active(), Path(3));
    EXPECT_TRUE(form_.ActiveChild()->parentWidget()->isMaximized());
    const int position = env.JumpPosition;
    services_.Links().GoHome(form_.ActiveDocument());
    EXPECT_EQ(env.JumpPosition, position);
    services_.Links().GoBack(form_.ActiveDocument());
    EXPECT_EQ(Active(), Path(2));
    EXPECT_EQ(form_.DocumentCount(), 4);
}

TEST_F(JumpTest, DoubleClickOnTheEmptyPageCreatesACardThere) {
    TMDIChild* child = form_.OpenDocument(Path(3));
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
