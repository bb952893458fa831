// Which application the desktop would give an address of a scheme to, so that the question
// before opening it can name it: the desktop's default for "x-scheme-handler/<scheme>" as the
// user's and the system's mimeapps.list files and the applications' own claims set it.
#pragma once

#include <QString>

namespace qv {

// The application's name (its desktop entry's Japanese name when it has one), or empty when no
// installed application is known to take addresses of `scheme` (lower case).
QString SchemeHandlerName(const QString& scheme);

// The name of the desktop entry whose text is `desktopEntry`, as a menu shows it (Name[ja_JP],
// Name[ja], then Name); empty when it has none.
QString DesktopEntryName(const QString& desktopEntry);

}  // namespace qv
