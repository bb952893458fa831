#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <filesystem>
#include <string>
#include <vector>

#include "app/main_form.h"
#include "app/platform/single_instance.h"
#include "core/settings/paths.h"
#include "core/settings/usr_ini_file.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillovarsta"));

    // QApplication has already taken out the options that are its own.
    const std::vector<std::string> args(argv + 1, argv + argc);
    std::error_code ec;
    const std::string currentDir = std::filesystem::current_path(ec).string();
    const qv::StartupArguments startup = qv::ParseStartupArguments(
        args, qv::CurrentProgramPath(), ec ? "." : currentDir, qv::UserConfigDir());

    // A later start hands its document to the running program and ends; the path is made
    // absolute here, since the running program's current folder may be another.
    std::string startDocument;
    if (!startup.StartFile.empty())
        startDocument = (std::filesystem::path(ec ? "." : currentDir) / startup.StartFile)
                            .lexically_normal()
                            .string();
    qv::SingleInstance instance(qv::SingleInstance::KeyFor(startup.IniPath));
    // When the running program holds the lock but cannot be reached, start anyway: a hung
    // program must not keep the user from working.
    if (instance.Start(startDocument) == qv::SingleInstance::Role::Secondary) return -1;

    TQuillovaMainForm form(startup);
    QObject::connect(&instance, &qv::SingleInstance::Activated, &form,
                     [&form](const std::string& documentPath) {
                         form.BringToFront();
                         if (!documentPath.empty()) form.OpenDocument(documentPath);
                     });
    form.ShowAsStored();
    if (form.Ini().State() == qv::UsrIniFile::LoadState::Unreadable) {
        QMessageBox::warning(
            &form, QStringLiteral("警告"),
            QStringLiteral("[%1]設定ファイルを読み込めません。設定は保存されません\n%2")
                .arg(QFile::decodeName(startup.IniPath.c_str()),
                     QString::fromStdString(form.Ini().LastError())));
    } else if (form.Ini().ReadOnly()) {
        // Said once, here; the file is then left alone at exit without another message.
        QMessageBox::warning(
            &form, QStringLiteral("警告"),
            QStringLiteral("[%1]設定ファイルは書き込み禁止です。設定は保存されません")
                .arg(QFile::decodeName(startup.IniPath.c_str())));
    }
    return QApplication::exec();
}
