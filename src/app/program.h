// The program's run from its arguments to the end of its event loop: the single-instance check,
// the services, the main window with its parts, the recovery of unsaved changes and the start-up
// messages. main() calls it; a test driver calls it with hooks to act as the user.
#pragma once

#include <functional>

class AppServices;
class QCoreApplication;
class QTranslator;
class TQuillovaMainForm;

struct ProgramHooks {
    // The services exist and nothing has been shown yet (a driver redirects the prompts here).
    std::function<void(AppServices&)> ServicesReady;
    // The window is shown and the start-up is done; the event loop runs next.
    std::function<void(TQuillovaMainForm&, AppServices&)> Started;
};

// Makes Qt's own dialogs and buttons (message-box answers, print, colour and file dialogs) speak
// Japanese like the rest of the program, from the toolkit's translations when they are installed.
// Returns the translator, owned by `app` (null when the translations are not there).
QTranslator* InstallToolkitTranslations(QCoreApplication& app);

// Runs the program with the arguments a QApplication has already taken its own options out of.
// Returns the exit code: −1 when a running program took the request over.
int RunProgram(int argc, char** argv, const ProgramHooks& hooks = {});
