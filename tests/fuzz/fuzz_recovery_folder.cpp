// A folder of copies holding anything at all (names of any bytes; files, links, folders and FIFOs
// under copy names; descriptions of any text) must never crash the listing or the start-up
// collection, never follow a link, and never touch anything outside the folder.
//
// Input: one entry per line, "<kind><name>=<contents>", kind being '0' a file, '1' a symbolic
// link to a file outside the folder, '2' a folder, '3' a FIFO; '|' in contents is a line break.
#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "core/recovery/recovery_store.h"

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kSentinelText = "outside the folder";

struct Place {
    fs::path Root;
    fs::path Folder;
    fs::path Sentinel;
};

const Place& ThePlace() {
    static const Place place = [] {
        std::string pattern = (fs::temp_directory_path() / "qv-fuzz-recovery-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) std::abort();
        Place p{pattern, fs::path(pattern) / "q.INI.recovery", fs::path(pattern) / "sentinel.csv"};
        std::ofstream(p.Sentinel, std::ios::binary) << kSentinelText;
        // Nothing is left in the temporary folder when the run ends (kept in a plain array, which
        // outlives the static objects the exit destroys first).
        static char root[512];
        std::snprintf(root, sizeof root, "%s", pattern.c_str());
        std::atexit([] {
            std::error_code ec;
            fs::remove_all(fs::path(root), ec);
        });
        return p;
    }();
    return place;
}

std::string Slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

bool IsSessionText(std::string_view s) {
    if (s.empty()) return false;
    for (const char c : s) {
        const bool ok = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        if (!ok) return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const Place& place = ThePlace();
    std::error_code ec;
    fs::remove_all(place.Folder, ec);
    fs::create_directory(place.Folder, ec);
    ::chmod(place.Folder.c_str(), 0700);

    std::string_view input(reinterpret_cast<const char*>(data), size);
    for (int entries = 0; !input.empty() && entries < 32; ++entries) {
        const std::size_t end = input.find('\n');
        std::string_view line = input.substr(0, end);
        input = end == std::string_view::npos ? std::string_view() : input.substr(end + 1);
        if (line.size() < 2) continue;
        const char kind = line[0];
        line.remove_prefix(1);
        const std::size_t eq = line.find('=');
        std::string name(line.substr(0, eq));
        const std::string_view contents =
            eq == std::string_view::npos ? std::string_view() : line.substr(eq + 1);
        // One name inside the folder.
        if (name.size() > 200 || name == "." || name == ".." ||
            name.find_first_of(std::string_view("/\0", 2)) != std::string::npos)
            continue;
        const fs::path path = place.Folder / name;
        // Each name once: writing a second entry through a link made by the first would change
        // the file outside on the harness's account.
        if (fs::exists(fs::symlink_status(path, ec))) continue;
        switch (kind) {
            case '1':
                fs::create_symlink(place.Sentinel, path, ec);
                break;
            case '2':
                fs::create_directory(path, ec);
                break;
            case '3':
                ::mkfifo(path.c_str(), 0600);
                break;
            default: {
                std::string text(contents);
                for (char& c : text) {
                    if (c == '|') c = '\n';
                }
                std::ofstream(path, std::ios::binary) << text;
                break;
            }
        }
    }

    const qv::RecoveryFolderContents contents = qv::ListRecoveryFolder(place.Folder);
    for (const qv::RecoveryEntry& e : contents.Entries) {
        if (!IsSessionText(e.Session) || e.Serial < 0) std::abort();
        if (e.Copy.parent_path() != place.Folder || e.Info.parent_path() != place.Folder)
            std::abort();
        // Only regular files of the folder's own are listed.
        struct stat st {};
        if (e.HasCopy && (::lstat(e.Copy.c_str(), &st) != 0 || !S_ISREG(st.st_mode))) std::abort();
        if (e.HasInfo && (::lstat(e.Info.c_str(), &st) != 0 || !S_ISREG(st.st_mode))) std::abort();
    }
    for (const std::string& s : contents.LockedSessions) {
        if (!IsSessionText(s)) std::abort();
    }

    // Every session but one counts as gone, so the collection reads, removes and reports.
    const auto found = qv::CollectRecoveries(
        place.Folder, "pOwn", [](const std::string& s) { return !s.empty() && s.back() == '9'; });
    for (const qv::RecoveryCandidate& c : found) {
        if (c.Entry.Session == "pOwn" || c.Entry.Session.back() == '9') std::abort();
        if (c.Readable != c.Why.empty()) std::abort();
    }
    if (Slurp(place.Sentinel) != kSentinelText) std::abort();
    return 0;
}
