#include <QApplication>

#include "app/program.h"
#include "app/texts.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(texts::Q(texts::kProgramName));
    // QApplication has already taken out the options that are its own.
    return RunProgram(argc, argv);
}
