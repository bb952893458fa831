// The program's run from its arguments to the end of its event loop: the single-instance check,
// the services, the main window with its parts, the recovery of unsaved changes and the start-up
// messages. main() calls it; a test driver calls it with hooks to act as the user.
#pragma once

#include <functional>

class AppServices;
class TQuillovaMainForm;

struct ProgramHooks {
    // The services exist and nothing has been shown yet (a driver redirects the prompts here).
    std::function<void(AppServices&)> ServicesReady;
    // The window is shown and the start-up is done; the event loop runs next.
    std::function<void(TQuillovaMainForm&, AppServices&)> Started;
};

// Runs the program with the arguments a QApplication has already taken its own options out of.
// Returns the exit code: −1 when a running program took the request over.
int RunProgram(int argc, char** argv, const ProgramHooks& hooks = {});
