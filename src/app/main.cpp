#include <QApplication>
#include <QIcon>

#include "app/program.h"
#include "app/texts.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(texts::Q(texts::kProgramName));
    InstallToolkitTranslations(app);
    // Ties the windows to the installed menu entry and icon (Wayland matches them by this name);
    // without an installed icon nothing changes.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.example.quillovarsta.Quillovarsta"));
    QApplication::setWindowIcon(
        QIcon::fromTheme(QStringLiteral("org.example.quillovarsta.Quillovarsta")));

    // QApplication has already taken out the options that are its own.
    return RunProgram(argc, argv);
}
