// Paths and card texts are shown as they are wherever they appear: in the card's hint, the status
// bar, the menus that list documents and groups, and window titles. Markup in them must neither
// hide text nor turn into formatting.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>
#include <QWindow>

#include "app/app_services.h"
#include "app/commands/file_commands.h"
#include "app/composition.h"
#include "app/document/document_manager.h"
#include "app/document/mdi_child.h"
#include "app/main_window/main_form.h"
#include "app/platform/plain_text.h"
#include "core/model/frag_set.h"
#include "core/model/fragment.h"
#include "gui/scripted_prompts.h"
#include "render/text/qt_text.h"

namespace {

// A link or name that, taken as markup, shows only "x".
const QString kHostile = QStringLiteral("<b>x<!--the rest &amp; more");

// What a label shows of its text, read the way the label itself reads it.
QString Displayed(const QLabel* label) {
    const bool rich = label->textFormat() == Qt::RichText ||
                      (label->textFormat() == Qt::AutoText && Qt::mightBeRichText(label->text()));
    if (!rich) return label->text();
    QTextDocument doc;
    doc.setHtml(label->text());
    return doc.toPlainText();
}

QLabel* ShownToolTip() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String("qtooltip_label") && w->isVisible())
            return qobject_cast<QLabel*>(w);
    return nullptr;
}

class PlainTextTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        services_.Prompts().Redirect(&prompts_);
        form_.resize(900, 700);
        form_.show();
        path_ = dir_.filePath(kHostile + QStringLiteral(".csv"));
        QFile f(path_);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("#Quillovarsta,Group,Left,Top,Width,Height,ColFG,ColBG,Link\r\n");
        f.write("\"card\",1,10,10,8,2,0,16777215," + kHostile.toUtf8() + "\r\n");
    }
    void TearDown() override {
        services_.Prompts().Redirect(nullptr);
        for (QMdiSubWindow* sub : form_.DocumentArea()->subWindowList())
            if (auto* child = qobject_cast<TMDIChild*>(sub->widget())) child->ApproveClose();
    }

    QTemporaryDir dir_;
    QString path_;
    ScriptedPrompts prompts_;
    AppServices services_;
    std::unique_ptr<Program> program_ = BuildProgram(services_);
    TQuillovaMainForm& form_ = program_->Window();
};

TEST_F(PlainTextTest, TheCardHintShowsTheWholeLink) {
    TMDIChild* child = form_.Documents().OpenDocument(QFile::encodeName(path_).toStdString());
    ASSERT_NE(child, nullptr);
    const qv::Fragment& card = *child->Set().Fragments()[0];
    const QPoint inside(card.Left - child->Set().ScrollX() + 4,
                        card.Top - child->Set().ScrollY() + 4);
    QTest::mouseMove(child->viewport(), inside);
    QTest::qWait(50);
    const QLabel* tip = ShownToolTip();
    ASSERT_NE(tip, nullptr);
    EXPECT_EQ(Displayed(tip), kHostile);
}

TEST_F(PlainTextTest, TheStatusBarShowsPathsAsTheyAre) {
    TMDIChild* child = form_.Documents().OpenDocument(QFile::encodeName(path_).toStdString());
    ASSERT_NE(child, nullptr);
    child->Set().Modified = true;
    ASSERT_TRUE(program_->Files().FileSave());
    const auto labels = form_.statusBar()->findChildren<QLabel*>();
    ASSERT_GE(labels.size(), 3);
    EXPECT_EQ(Displayed(labels[2]), path_ + QStringLiteral(" を保存しました"));
}

TEST(PlainText, TitlesMenusAndTipsKeepTheirCharacters) {
    QWidget window;
    window.setWindowTitle(qv::PlainWindowTitle(QStringLiteral("a[*]b.csv")));
    window.show();
    ASSERT_NE(window.windowHandle(), nullptr);
    EXPECT_EQ(window.windowHandle()->title(), QStringLiteral("a[*]b.csv"));

    QMenu menu;
    QAction* a = menu.addAction(qv::PlainMenuText(QStringLiteral("R&D\tplan")));
    EXPECT_EQ(QKeySequence::mnemonic(a->text()), QKeySequence());
    EXPECT_FALSE(a->text().contains(QLatin1Char('\t')));

    QLabel tip(qv::PlainToolTip(kHostile + QStringLiteral("\nline 2")));
    EXPECT_EQ(Displayed(&tip), kHostile + QStringLiteral("\nline 2"));
}

}  // namespace
