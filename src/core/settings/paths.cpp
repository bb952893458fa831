#include "core/settings/paths.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "core/fs/file_identity.h"
#include "core/text/cp932.h"
#include "core/text/text_helpers.h"

namespace qv {

namespace {

namespace fs = std::filesystem;

bool EndsWithIniNoCase(std::string_view s) {
    if (s.size() < 4) return false;
    const std::string_view tail = s.substr(s.size() - 4);
    return tail[0] == '.' && (tail[1] | 0x20) == 'i' && (tail[2] | 0x20) == 'n' &&
           (tail[3] | 0x20) == 'i';
}

std::string JoinDir(std::string_view dir, std::string_view name) {
    std::string path(dir);
    if (!path.empty() && path.back() != '/') path += '/';
    path += name;
    return path;
}

}  // namespace

StoredPath PathForStorage(std::string_view path) {
    StoredPath stored;
    Cp932Encoding enc = Utf8ToCp932(path);
    // Some characters have two codes in code page 932; only a path that comes back as it went
    // out names the same file when read again.
    if (enc.Complete && Cp932ToUtf8(enc.Bytes) == path) {
        stored.Bytes = std::move(enc.Bytes);
        stored.Exact = true;
    } else {
        stored.Unrepresentable =
            enc.Unrepresentable.empty() ? std::string(path) : std::move(enc.Unrepresentable);
    }
    return stored;
}

std::optional<std::string> PathFromStorage(std::string_view cp932Path) {
    std::string path = Cp932ToUtf8(cp932Path);
    // Invalid bytes decode to U+FFFD; that path is not the one that was stored.
    if (Utf8ToCp932(path).Bytes != cp932Path) return std::nullopt;
    return path;
}

std::string AbsoluteDocumentPath(std::string_view path, std::string_view baseDir) {
    if (path.empty()) return {};
    fs::path p = path.front() == '/' ? fs::path(path) : fs::path(baseDir) / fs::path(path);
    std::string normal = p.lexically_normal().string();
    // "/a/b/" and "/a/b" name the same thing.
    while (normal.size() > 1 && normal.back() == '/')
        normal.pop_back();
    return normal;
}

std::string AbsoluteDocumentPath(std::string_view path) {
    if (!path.empty() && path.front() == '/') return AbsoluteDocumentPath(path, "/");
    std::error_code ec;
    const fs::path dir = fs::current_path(ec);
    return AbsoluteDocumentPath(path, ec ? std::string("/") : dir.string());
}

bool SameDocumentPath(std::string_view a, std::string_view b) {
    if (a == b) return true;
    if (a.empty() || b.empty()) return false;
    if (SameFile(fs::path(a), fs::path(b))) return true;
    return AbsoluteDocumentPath(a) == AbsoluteDocumentPath(b);
}

bool DocumentExists(std::string_view path) {
    if (path.empty()) return false;
    std::error_code ec;
    return fs::is_regular_file(fs::path(path), ec);
}

bool DirectoryWritable(const std::string& dir) {
    return !dir.empty() && ::access(dir.c_str(), W_OK | X_OK) == 0;
}

std::string IniPathFromOption(std::string_view rest, std::string_view currentDir) {
    if (rest.empty()) return JoinDir(currentDir, kSettingsFileName);
    if (rest.find('/') != std::string_view::npos) return std::string(rest);
    return JoinDir(currentDir, rest);
}

std::string DefaultSettingsPath(std::string_view programPath, std::string_view configDir,
                                const DirectoryWritableFn& writable) {
    if (!programPath.empty()) {
        const fs::path parent = fs::path(programPath).parent_path();
        const std::string dir = parent.empty() ? std::string(".") : parent.string();
        if (writable(dir)) return std::string(programPath) + ".INI";
    }
    std::error_code ec;
    fs::create_directories(fs::path(configDir), ec);
    return JoinDir(configDir, kSettingsFileName);
}

StartupArguments ParseStartupArguments(std::span<const std::string> args,
                                       std::string_view programPath, std::string_view currentDir,
                                       std::string_view configDir,
                                       const DirectoryWritableFn& writable) {
    StartupArguments result;
    for (std::size_t i = 0; i < args.size(); ++i) {
        // Byte for byte: blanks at either end are part of a file name.
        const std::string_view arg = args[i];
        if (arg.empty()) continue;
        if (arg[0] != '-') {
            result.StartFile = std::string(arg);
            continue;
        }
        if (arg.size() < 2 || (arg[1] != 'I' && arg[1] != 'i')) continue;
        std::string_view rest = arg.substr(2);
        // "-I PATH" as two arguments, the way the command-line tool takes it.
        if (rest.empty() && i + 1 < args.size()) {
            const std::string_view next = args[i + 1];
            if (!next.empty() && next[0] != '-' && EndsWithIniNoCase(next)) {
                rest = next;
                ++i;
            }
        }
        result.IniPath = IniPathFromOption(rest, currentDir);
        result.IniGiven = true;
    }
    if (!result.IniGiven) result.IniPath = DefaultSettingsPath(programPath, configDir, writable);
    return result;
}

std::string UserConfigDir() {
    // Reading the environment is how this platform says where settings belong.
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && xdg[0] == '/')
        return JoinDir(xdg, "quillovarsta");
    if (const char* home = std::getenv("HOME"); home && home[0] != '\0')
        return JoinDir(JoinDir(home, ".config"), "quillovarsta");
    std::error_code ec;
    const fs::path tmp = fs::temp_directory_path(ec);
    return JoinDir(ec ? std::string("/tmp") : tmp.string(), "quillovarsta");
}

std::string CurrentProgramPath() {
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : exe.string();
}

}  // namespace qv
