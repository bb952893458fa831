// Paths of documents and of the settings file.
//
// A file-system path is the user's own bytes (UTF-8 on this system) from the command line or a
// dialog all the way to open(); it never passes through code page 932, which cannot hold "é" or
// "😀" and would name another file. A path is converted only where a file of code page 932 text
// stores it (a card's link, the recent files, LastFile, HomeWindow), and only when the conversion
// is exact: otherwise it is not stored. File names on this platform are case sensitive and are
// never upper-cased.
#pragma once

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace qv {

// A path in the form a code page 932 file stores it.
struct StoredPath {
    std::string Bytes;            // code page 932; empty unless Exact
    bool Exact = false;           // the path converts to code page 932 and back unchanged
    std::string Unrepresentable;  // otherwise: the characters code page 932 cannot hold (UTF-8)
};
StoredPath PathForStorage(std::string_view path);

// The file-system path of a stored one; none when the bytes are not valid code page 932 (such a
// path would name a different file).
std::optional<std::string> PathFromStorage(std::string_view cp932Path);

// `path` made absolute against `baseDir` and normalised lexically: "." and ".." steps and doubled
// separators are removed, symbolic links are not followed. An empty path stays empty.
std::string AbsoluteDocumentPath(std::string_view path, std::string_view baseDir);
// The same against the current directory.
std::string AbsoluteDocumentPath(std::string_view path);

// True when both paths name the same document: the same existing file (however spelt, links
// followed), or equal letter for letter once absolute.
bool SameDocumentPath(std::string_view a, std::string_view b);

// True when a regular file (or a link to one) exists at the path.
bool DocumentExists(std::string_view path);

// ---- Locating the settings file ----

inline constexpr std::string_view kSettingsFileName = "Quillova.INI";

// What the command line chooses at start.
struct StartupArguments {
    std::string IniPath;    // native path of the settings file (always set)
    bool IniGiven = false;  // chosen by "-I"
    // The last argument that is not an option, as given (native, letter case kept); empty when
    // none was given.
    std::string StartFile;
};

// True when files can be created in `dir` (native path).
bool DirectoryWritable(const std::string& dir);
using DirectoryWritableFn = std::function<bool(const std::string& dir)>;

// The settings file named by the text after "-I": "Quillova.INI" in `currentDir`
// when empty, the text itself when it has a directory part, else the text inside `currentDir`.
std::string IniPathFromOption(std::string_view rest, std::string_view currentDir);

// The settings file without "-I": the program's path with ".INI" appended when the program's
// folder is writable, else "Quillova.INI" in `configDir` (which is created when missing).
std::string DefaultSettingsPath(std::string_view programPath, std::string_view configDir,
                                const DirectoryWritableFn& writable = DirectoryWritable);

// Reads the program's arguments (without the program name), each byte for byte (a file name may
// begin or end with blanks); one starting with "-I"
// or "-i" selects the settings file (the rest of it is the path; "-I" alone followed by a separate
// argument ending in ".INI", in any letter case, takes that argument as the path); other arguments
// starting with '-' are ignored; empty arguments are skipped; any other argument is the start file,
// the last one winning. Without "-I" the settings file is DefaultSettingsPath.
StartupArguments ParseStartupArguments(std::span<const std::string> args,
                                       std::string_view programPath, std::string_view currentDir,
                                       std::string_view configDir,
                                       const DirectoryWritableFn& writable = DirectoryWritable);

// The user's configuration folder for this program: $XDG_CONFIG_HOME/quillovarsta, else
// $HOME/.config/quillovarsta (native path).
std::string UserConfigDir();

// The running executable's own path (native), empty when the system does not tell.
std::string CurrentProgramPath();

}  // namespace qv
