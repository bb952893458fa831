// Paths of documents and of the settings file.
//
// Documents are named by code page 932 byte strings inside the program and by native (UTF-8)
// strings towards the file system. File names on this platform are case sensitive, so two document
// paths name the same document only when they are equal letter for letter once both are absolute
// and normalised; paths are never upper-cased.
#pragma once

#include <functional>
#include <span>
#include <string>
#include <string_view>

namespace qv {

// The native file-system form of a code page 932 path, and back (characters code page 932 cannot
// hold become '?').
std::string NativePath(std::string_view cp932Path);
std::string Cp932Path(std::string_view nativePath);

// The current directory as a code page 932 path.
std::string CurrentDirCp932();

// `path` made absolute against `baseDir` (both code page 932) and normalised lexically: "." and
// ".." steps and doubled separators are removed, symbolic links are not followed. An empty path
// stays empty. ('/' and '.' never occur as trail bytes, so this is safe on double-byte names.)
std::string AbsoluteDocumentPath(std::string_view path, std::string_view baseDir);
// The same against the current directory.
std::string AbsoluteDocumentPath(std::string_view path);

// True when both paths name the same document: equal letter for letter once absolute.
bool SameDocumentPath(std::string_view a, std::string_view b);

// True when a regular file (or a link to one) exists at the code page 932 path.
bool DocumentExists(std::string_view cp932Path);

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

// The settings file named by the text after "-I" (already trimmed): "Quillova.INI" in `currentDir`
// when empty, the text itself when it has a directory part, else the text inside `currentDir`.
std::string IniPathFromOption(std::string_view rest, std::string_view currentDir);

// The settings file without "-I": the program's path with ".INI" appended when the program's
// folder is writable, else "Quillova.INI" in `configDir` (which is created when missing).
std::string DefaultSettingsPath(std::string_view programPath, std::string_view configDir,
                                const DirectoryWritableFn& writable = DirectoryWritable);

// Reads the program's arguments (without the program name). Each is trimmed; one starting with "-I"
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
