#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "app/app_services.h"
#include "app/document/mdi_child.h"
#include "app/main_window/main_form.h"
#include "core/model/frag_set.h"
#include "core/model/ports.h"

namespace {

class NoPrompts : public qv::Prompts {
  public:
    int Count = 0;
    qv::PromptAnswer Warning(std::string_view, qv::PromptButtons) override {
        ++Count;
        return qv::PromptAnswer::Ok;
    }
    qv::PromptAnswer Question(std::string_view, qv::PromptButtons) override {
        ++Count;
        return qv::PromptAnswer::No;
    }
};

// A desktop passes every file the user chose in one start (Exec=... %F): all are opened, in
// order, and the last one is in front.
TEST(StartDocuments, EveryDocumentOnTheCommandLineOpensInOrder) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    std::vector<std::string> files;
    for (const char* name : {"first.csv", "second.csv", "third.csv"}) {
        const QString path = dir.filePath(QString::fromLatin1(name));
        ASSERT_TRUE(QFile::copy(QStringLiteral(QV_SOURCE_DIR "/examples/brainstorm.csv"), path));
        files.push_back(QFile::encodeName(path).toStdString());
    }
    qv::StartupArguments startup;
    startup.IniPath = QFile::encodeName(dir.filePath(QStringLiteral("s.INI"))).toStdString();
    startup.StartFiles = files;
    startup.StartFile = files.back();

    NoPrompts prompts;
    AppServices services(startup);
    services.Prompts().Redirect(&prompts);
    TQuillovaMainForm form(services);
    form.ShowAsStored();
    const QList<TMDIChild*> children = form.Children();
    ASSERT_EQ(children.size(), 3);
    std::vector<std::string> opened;
    for (TMDIChild* child : children)
        opened.push_back(child->Set().FileName);
    EXPECT_EQ(opened, files);
    ASSERT_NE(form.ActiveChild(), nullptr);
    EXPECT_EQ(form.ActiveChild()->Set().FileName, files.back());
    EXPECT_EQ(prompts.Count, 0);
    for (TMDIChild* child : children)
        child->ApproveClose();
    form.close();
}

}  // namespace
