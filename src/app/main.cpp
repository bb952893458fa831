#include <QApplication>

#include "app/platform/program_icons.h"
#include "app/program.h"
#include "app/texts.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(texts::Q(texts::kProgramName));
    InstallToolkitTranslations(app);
    // Ties the windows to the installed menu entry and icon (Wayland matches them by this name);
    // the windows carry the program's own icon, installed or not.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.example.quillovarsta.Quillovarsta"));
    QApplication::setWindowIcon(ProgramIcon());

    // QApplication has already taken out the options that are its own.
    return RunProgram(argc, argv);
}
