#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "app/app_services.h"
#include "app/composition.h"
#include "app/main_window/main_form.h"
#include "core/settings/env_data.h"
#include "core/settings/usr_ini_file.h"

namespace {

QByteArray Contents(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

TEST(MainFormSettings, PlacementIsStoredAtCloseAndRestoredAtStart) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString ini = dir.filePath(QStringLiteral("t.INI"));
    qv::StartupArguments startup;
    startup.IniPath = QFile::encodeName(ini).toStdString();
    startup.StartFile = "/docs/\xE3\x83\x9E.csv";  // マ

    {
        AppServices services(startup);
        const std::unique_ptr<Program> program = BuildProgram(services);
        TQuillovaMainForm& form = program->Window();
        EXPECT_EQ(services.StartFile(), "/docs/\xE3\x83\x9E.csv")
            << "the user's own bytes, case kept";
        EXPECT_EQ(form.Env().JpegQuality, 100);
        form.Env().JpegQuality = 70;
        form.setGeometry(100, 120, 640, 480);
        form.show();
        form.close();
    }
    const QByteArray text = Contents(ini);
    EXPECT_TRUE(text.contains("WinLeft=100\r\nWinTop=120\r\nWinWidth=640\r\nWinHeight=480\r\n"))
        << text.left(300).constData();
    EXPECT_TRUE(text.contains("WinState=0\r\n"));
    EXPECT_TRUE(text.contains("JpegQuality=70\r\n"));

    {
        AppServices services(startup);
        const std::unique_ptr<Program> program = BuildProgram(services);
        TQuillovaMainForm& form = program->Window();
        EXPECT_EQ(form.geometry(), QRect(100, 120, 640, 480));
        EXPECT_EQ(form.Env().JpegQuality, 70);
        // Nothing changes, so closing must not write: a file replaced meanwhile stays as it is.
        QFile f(ini);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write("marker");
        f.close();
        form.show();
        form.close();
    }
    EXPECT_EQ(Contents(ini), QByteArray("marker"));
}

TEST(MainFormSettings, WithoutASettingsFileNothingIsWritten) {
    QTemporaryDir dir;
    const QString before = QDir::currentPath();
    QDir::setCurrent(dir.path());
    {
        AppServices services;
        const std::unique_ptr<Program> program = BuildProgram(services);
        TQuillovaMainForm& form = program->Window();
        EXPECT_TRUE(form.Ini().Path().empty());
        form.show();
        form.close();
    }
    QDir::setCurrent(before);
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
}

}  // namespace
