#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <filesystem>
#include <string>
#include <vector>

#include "app/main_form.h"
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

    TQuillovaMainForm form(startup);
    form.ShowAsStored();
    if (form.Ini().State() == qv::UsrIniFile::LoadState::Unreadable) {
        QMessageBox::warning(
            &form, QStringLiteral("警告"),
            QStringLiteral("[%1]設定ファイルを読み込めません。設定は保存されません\n%2")
                .arg(QFile::decodeName(startup.IniPath.c_str()),
                     QString::fromStdString(form.Ini().LastError())));
    }
    return QApplication::exec();
}
