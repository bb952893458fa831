// The program's window icons, carried inside the program so that a build that was never
// installed shows them as well as an installed one.
#pragma once

#include <QIcon>

// The program's own icon (the main window, dialogs, the task bar).
QIcon ProgramIcon();
// The icon of a document window: a sheet of paper with the program's cards on it.
QIcon DocumentIcon();
