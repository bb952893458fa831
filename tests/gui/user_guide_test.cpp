// The HTML user guide under docs/guide: every page parses as XML, every local link, anchor and
// picture resolves, every menu command appears with the caption the menu shows, and every dialog
// has its section titled as the dialog is.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QRegularExpression>
#include <QTabWidget>
#include <QXmlStreamReader>
#include <map>
#include <set>

#include "app/commands/command_table.h"
#include "app/dialogs/about_box.h"
#include "app/dialogs/find_set_dlg.h"
#include "app/dialogs/option_dlg.h"
#include "app/dialogs/scr_size_dlg.h"
#include "app/texts.h"
#include "core/dialogs/stretch_dlg.h"
#include "core/settings/env_data.h"
#include "core/settings/usr_ini_file.h"
#include "render/painting/offscreen_document.h"
#include "render/text/qt_text.h"

namespace {

const QString kGuideDir = QStringLiteral(QV_SOURCE_DIR "/docs/guide");

struct Page {
    QString Error;           // empty when the page parsed
    QString Text;            // all character data
    QStringList Headings;    // text of every h1, h2 and h3
    std::set<QString> Ids;   // every id attribute
    QStringList References;  // a@href, img@src and link@href, as written
};

Page ReadPage(const QString& path) {
    Page page;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        page.Error = QStringLiteral("cannot open");
        return page;
    }
    QXmlStreamReader xml(&file);
    int headingDepth = 0;
    QString heading;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            const auto attrs = xml.attributes();
            if (attrs.hasAttribute(QStringLiteral("id")))
                page.Ids.insert(attrs.value(QStringLiteral("id")).toString());
            const auto name = xml.name();
            if (name == QLatin1String("a") || name == QLatin1String("link")) {
                if (attrs.hasAttribute(QStringLiteral("href")))
                    page.References << attrs.value(QStringLiteral("href")).toString();
            } else if (name == QLatin1String("img")) {
                page.References << attrs.value(QStringLiteral("src")).toString();
                if (attrs.value(QStringLiteral("alt")).isEmpty())
                    page.Error = QStringLiteral("a picture without alt text");
            }
            if (name == QLatin1String("h1") || name == QLatin1String("h2") ||
                name == QLatin1String("h3")) {
                headingDepth = 1;
                heading.clear();
            } else if (headingDepth > 0) {
                ++headingDepth;
            }
        } else if (xml.isEndElement()) {
            if (headingDepth == 1) page.Headings << heading;
            if (headingDepth > 0) --headingDepth;
        } else if (xml.isCharacters()) {
            page.Text += xml.text();
            if (headingDepth > 0) heading += xml.text();
        }
    }
    if (xml.hasError())
        page.Error = QStringLiteral("line %1: %2").arg(xml.lineNumber()).arg(xml.errorString());
    return page;
}

class UserGuide : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        pages_ = new std::map<QString, Page>;
        const QDir dir(kGuideDir);
        for (const QString& name : dir.entryList({QStringLiteral("*.html")}, QDir::Files))
            (*pages_)[name] = ReadPage(dir.filePath(name));
    }
    static void TearDownTestSuite() {
        delete pages_;
        pages_ = nullptr;
    }
    static const std::map<QString, Page>& Pages() { return *pages_; }
    static QString AllText() {
        QString all;
        for (const auto& [name, page] : Pages())
            all += page.Text + QLatin1Char('\n');
        // Line breaks inside the HTML source are not part of what a reader sees.
        return all.simplified();
    }
    static const Page& PageNamed(const QString& name) { return pages_->at(name); }

  private:
    static std::map<QString, Page>* pages_;
};

std::map<QString, Page>* UserGuide::pages_ = nullptr;

// A caption as the menu shows it: the access key in brackets without its "&".
QString Shown(std::string_view caption) {
    return texts::Q(caption).remove(QLatin1Char('&'));
}

TEST_F(UserGuide, EveryPageIsWellFormedAndReachableFromTheFirstPage) {
    ASSERT_TRUE(Pages().count(QStringLiteral("index.html")));
    EXPECT_GE(Pages().size(), 5u);
    for (const auto& [name, page] : Pages()) {
        EXPECT_TRUE(page.Error.isEmpty()) << name.toStdString() << ": " << page.Error.toStdString();
        EXPECT_FALSE(page.Headings.isEmpty()) << name.toStdString();
        EXPECT_TRUE(PageNamed(QStringLiteral("index.html")).References.contains(name))
            << name.toStdString() << " is not linked from index.html";
    }
}

TEST_F(UserGuide, EveryLocalLinkAnchorAndPictureResolves) {
    const QDir dir(kGuideDir);
    std::set<QString> pictures;
    for (const auto& [name, page] : Pages()) {
        for (const QString& ref : page.References) {
            const std::string where = name.toStdString() + " -> " + ref.toStdString();
            // The guide works offline: nothing is fetched from elsewhere.
            ASSERT_FALSE(ref.contains(QLatin1String("://"))) << where;
            const qsizetype hash = ref.indexOf(QLatin1Char('#'));
            const QString file = hash < 0 ? ref : ref.left(hash);
            const QString anchor = hash < 0 ? QString() : ref.mid(hash + 1);
            const QString target = file.isEmpty() ? name : QDir::cleanPath(file);
            ASSERT_TRUE(QFileInfo::exists(dir.filePath(target))) << where;
            if (!anchor.isEmpty()) {
                ASSERT_TRUE(Pages().count(target)) << where;
                EXPECT_TRUE(PageNamed(target).Ids.count(anchor)) << where << ": no such anchor";
            }
            if (target.startsWith(QLatin1String("img/"))) {
                pictures.insert(target);
                const QImage image(dir.filePath(target));
                EXPECT_FALSE(image.isNull()) << where;
                EXPECT_LE(QFileInfo(dir.filePath(target)).size(), 400 * 1024) << where;
            }
        }
    }
    // Every picture the script makes is shown somewhere.
    for (const QString& file : QDir(dir.filePath(QStringLiteral("img"))).entryList(QDir::Files))
        EXPECT_TRUE(pictures.count(QStringLiteral("img/") + file))
            << "img/" << file.toStdString() << " is not used by any page";
}

TEST_F(UserGuide, EveryCommandAndMenuAppearsWithItsCaption) {
    const QString text = AllText();
    for (const CommandRow& row : CommandTable()) {
        EXPECT_TRUE(text.contains(Shown(row.Caption)))
            << row.Name << ": " << Shown(row.Caption).toStdString();
        // Its key in the settings file, for those who edit [ShortCut] by hand.
        EXPECT_TRUE(text.contains(QString::fromLatin1(row.Name) + QStringLiteral("Item")))
            << row.Name;
    }
    for (std::string_view menu :
         {texts::kMenuFile, texts::kMenuEdit, texts::kMenuGo, texts::kMenuTool, texts::kMenuView,
          texts::kMenuWindow, texts::kMenuOption, texts::kMenuHelp, texts::kMenuRecentFiles,
          texts::kMenuSelectGroup, texts::kMenuMoveToGroup, texts::kMenuMoveToWindow,
          texts::kMenuSelectNearCard, texts::kMenuToolBars, texts::kMenuBrushColour,
          texts::kMenuBrushFromCards, texts::kMenuZoom})
        EXPECT_TRUE(text.contains(Shown(menu))) << Shown(menu).toStdString();
    for (const auto& item : texts::kMenuToolBarItems)
        EXPECT_TRUE(text.contains(Shown(item))) << Shown(item).toStdString();
    for (const auto& title : texts::kToolBarTitles)
        EXPECT_TRUE(text.contains(texts::Q(title))) << texts::Q(title).toStdString();
}

TEST_F(UserGuide, EveryDialogHasASectionTitledAsTheDialog) {
    qv::EnvData env;
    qv::UsrIniFile ini;
    qv::QuietPrompts prompts;
    TAboutBox about;
    TFindSetDlg find(env, ini);
    TOptionDlg options(env, prompts);
    TScrSizeDlg wholeSize(env);
    QStringList titles = {about.windowTitle(), find.windowTitle(), options.windowTitle(),
                          wholeSize.windowTitle()};
    titles << qv::FromCp932(qv::kStretchFragmentsCaption)
           << qv::FromCp932(qv::kStretchGroupsCaption);
    // Windows built with a document or the main window around them.
    titles << QStringLiteral("プロパティ") << QStringLiteral("新規断片の作成")
           << QStringLiteral("全体図") << QStringLiteral("グループリスト")
           << QStringLiteral("画像として保存") << QStringLiteral("印刷");
    const QStringList headings = PageNamed(QStringLiteral("dialogs.html")).Headings;
    const auto hasHeading = [&](const QString& title) {
        for (const QString& h : headings)
            if (h.contains(title)) return true;
        return false;
    };
    for (const QString& title : titles) {
        ASSERT_FALSE(title.isEmpty());
        EXPECT_TRUE(hasHeading(title)) << title.toStdString();
    }
    // Each page of the options dialog has its own part.
    auto* tabs = options.findChild<QTabWidget*>();
    ASSERT_NE(tabs, nullptr);
    for (int i = 0; i < tabs->count(); ++i)
        EXPECT_TRUE(hasHeading(tabs->tabText(i).remove(QLatin1Char('&'))))
            << tabs->tabText(i).toStdString();
}

}  // namespace
