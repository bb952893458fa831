#include "core/recovery/recovery_store.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <map>
#include <set>
#include <system_error>
#include <utility>

#include "core/fs/read_file.h"
#include "core/fs/system_error_text.h"
#include "core/io/fragment_file.h"
#include "core/io/read_result.h"
#include "core/text/text_helpers.h"

namespace qv {

namespace {

namespace fs = std::filesystem;

// An info file is a few lines; anything much larger is not one.
constexpr std::size_t kMaxInfoSize = 64 * 1024;

bool IsSessionId(std::string_view s) {
    if (s.empty() || s.size() > 64) return false;
    return std::all_of(s.begin(), s.end(), [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    });
}

// "<session>-<serial>" into its parts.
std::optional<std::pair<std::string, int>> ParseStem(std::string_view stem) {
    const std::size_t dash = stem.rfind('-');
    if (dash == std::string_view::npos) return std::nullopt;
    const std::string_view session = stem.substr(0, dash);
    const std::string_view digits = stem.substr(dash + 1);
    if (!IsSessionId(session) || digits.empty() || digits.size() > 9) return std::nullopt;
    // Only the spelling the program writes: "p1-007.csv" would be taken for "p1-7.csv".
    if (digits.size() > 1 && digits[0] == '0') return std::nullopt;
    if (!std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    return std::pair(std::string(session), std::stoi(std::string(digits)));
}

std::string Escaped(std::string_view bytes) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(bytes.size());
    for (const char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x21 || c > 0x7E || c == '%') {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 0xF];
        } else {
            out += ch;
        }
    }
    return out;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

std::optional<std::string> Unescaped(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        if (i + 2 >= text.size()) return std::nullopt;
        const int hi = HexValue(text[i + 1]);
        const int lo = HexValue(text[i + 2]);
        if (hi < 0 || lo < 0) return std::nullopt;
        out += static_cast<char>(hi * 16 + lo);
        i += 2;
    }
    return out;
}

// A whole decimal number (times in nanoseconds do not fit the fields' parser).
template <class Number = std::int64_t>
std::optional<Number> ParseInt64(std::string_view text) {
    Number value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end) return std::nullopt;
    return value;
}

std::optional<RecoveryInfo> Malformed(std::string* why, std::string text) {
    if (why) *why = std::move(text);
    return std::nullopt;
}

bool RemoveFile(const fs::path& path) {
    std::error_code ec;
    fs::remove(path, ec);
    return !ec;
}

}  // namespace

std::string RecoveryInfoText(const RecoveryInfo& info) {
    std::string text(kRecoveryInfoMagic);
    text += "\npath=" + Escaped(info.OriginalPath);
    text += "\ntime=" + std::to_string(info.SavedAt);
    if (info.Stamp)
        text += "\nstamp=" + std::to_string(info.Stamp->Size) + "," +
                std::to_string(info.Stamp->ModifiedNs);
    // Under a key of its own, which versions that know only "stamp" pass over.
    if (info.Stamp && (info.Stamp->Inode != 0 || info.Stamp->ChangedNs != 0))
        text += "\nidentity=" + std::to_string(info.Stamp->Inode) + "," +
                std::to_string(info.Stamp->ChangedNs);
    text += '\n';
    return text;
}

std::optional<RecoveryInfo> ParseRecoveryInfo(std::string_view text, std::string* why) {
    const std::vector<std::string_view> lines = SplitLines(text);
    if (lines.empty() || lines.front() != kRecoveryInfoMagic)
        return Malformed(why, "it does not start with \"" + std::string(kRecoveryInfoMagic) + "\"");
    RecoveryInfo info;
    std::optional<std::pair<std::uint64_t, std::int64_t>> identity;
    bool havePath = false;
    bool haveTime = false;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const std::string_view line = lines[i];
        if (line.empty()) continue;
        const std::size_t eq = line.find('=');
        if (eq == std::string_view::npos)
            return Malformed(why, "line " + std::to_string(i + 1) + " is not key=value");
        const std::string_view key = line.substr(0, eq);
        const std::string_view value = line.substr(eq + 1);
        if (key == "path") {
            const auto path = Unescaped(value);
            // A path never holds a zero byte; one that does would name another file.
            if (!path || path->find('\0') != std::string::npos)
                return Malformed(why, "its path is damaged");
            info.OriginalPath = *path;
            havePath = true;
        } else if (key == "time") {
            const auto t = ParseInt64(value);
            if (!t || *t < 0) return Malformed(why, "its time is damaged");
            info.SavedAt = *t;
            haveTime = true;
        } else if (key == "stamp") {
            const std::size_t comma = value.find(',');
            const auto size =
                comma == std::string_view::npos ? std::nullopt : ParseInt64(value.substr(0, comma));
            const auto ns = comma == std::string_view::npos ? std::nullopt
                                                            : ParseInt64(value.substr(comma + 1));
            if (!size || *size < 0 || !ns) return Malformed(why, "its file stamp is damaged");
            info.Stamp = FileStamp{*size, *ns, 0, 0};
        } else if (key == "identity") {
            const std::size_t comma = value.find(',');
            const auto inode = comma == std::string_view::npos
                                   ? std::nullopt
                                   : ParseInt64<std::uint64_t>(value.substr(0, comma));
            const auto ns = comma == std::string_view::npos ? std::nullopt
                                                            : ParseInt64(value.substr(comma + 1));
            if (!inode || !ns) return Malformed(why, "its file identity is damaged");
            identity = std::pair(*inode, *ns);
        }
        // Other keys are a later version's additions and are passed over.
    }
    if (info.Stamp && identity) {
        info.Stamp->Inode = identity->first;
        info.Stamp->ChangedNs = identity->second;
    }
    if (!havePath) return Malformed(why, "it names no document");
    if (!haveTime) return Malformed(why, "it has no time");
    return info;
}

fs::path RecoveryFolderFor(std::string_view settingsPath) {
    if (settingsPath.empty()) return {};
    return fs::path(std::string(settingsPath) + ".recovery");
}

std::string NewRecoverySessionId(long pid, std::int64_t startMs) {
    char id[48];
    std::snprintf(id, sizeof id, "p%ldt%llx", pid < 0 ? 0L : pid,
                  static_cast<unsigned long long>(startMs));
    return id;
}

fs::path RecoveryCopyPath(const fs::path& folder, std::string_view session, int serial) {
    return folder / (std::string(session) + "-" + std::to_string(serial) +
                     std::string(kRecoveryCopyExtension));
}

fs::path RecoveryInfoPath(const fs::path& folder, std::string_view session, int serial) {
    return folder / (std::string(session) + "-" + std::to_string(serial) +
                     std::string(kRecoveryInfoExtension));
}

fs::path RecoveryLockPath(const fs::path& folder, std::string_view session) {
    return folder / (std::string(session) + std::string(kRecoveryLockExtension));
}

RecoveryFolderContents ListRecoveryFolder(const fs::path& folder) {
    RecoveryFolderContents contents;
    std::map<std::pair<std::string, int>, RecoveryEntry> entries;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        // Links are not followed: a copy is a file of the folder's own.
        if (!it->is_regular_file(ec) || it->is_symlink(ec)) continue;
        const std::string name = it->path().filename().string();
        if (name.starts_with('.')) {
            // The temporary file of a replacement that never finished.
            if (name.ends_with(".tmp")) contents.TemporaryFiles.push_back(it->path());
            continue;
        }
        if (name.ends_with(kRecoveryLockExtension)) {
            const std::string session = name.substr(0, name.size() - kRecoveryLockExtension.size());
            if (IsSessionId(session)) contents.LockedSessions.push_back(session);
            continue;
        }
        const bool isCopy = name.ends_with(kRecoveryCopyExtension);
        const bool isInfo = name.ends_with(kRecoveryInfoExtension);
        if (!isCopy && !isInfo) continue;
        const auto stem = ParseStem(std::string_view(name).substr(
            0, name.size() - (isCopy ? kRecoveryCopyExtension : kRecoveryInfoExtension).size()));
        if (!stem) continue;
        RecoveryEntry& e = entries[*stem];
        e.Session = stem->first;
        e.Serial = stem->second;
        e.Copy = RecoveryCopyPath(folder, e.Session, e.Serial);
        e.Info = RecoveryInfoPath(folder, e.Session, e.Serial);
        (isCopy ? e.HasCopy : e.HasInfo) = true;
    }
    for (auto& [key, entry] : entries)
        contents.Entries.push_back(std::move(entry));
    std::sort(contents.LockedSessions.begin(), contents.LockedSessions.end());
    return contents;
}

std::vector<RecoveryCandidate> CollectRecoveries(
    const fs::path& folder, std::string_view ownSession,
    const std::function<bool(const std::string& session)>& running) {
    const RecoveryFolderContents contents = ListRecoveryFolder(folder);
    // Every other session is asked once, those with only a lock file too (the caller may clear
    // a stale one).
    std::set<std::string> sessions(contents.LockedSessions.begin(), contents.LockedSessions.end());
    for (const RecoveryEntry& e : contents.Entries)
        sessions.insert(e.Session);
    sessions.erase(std::string(ownSession));
    std::set<std::string> live;
    for (const std::string& s : sessions) {
        if (running(s)) live.insert(s);
    }
    // With no other program at work here, a temporary file is what a killed write left.
    if (live.empty()) {
        for (const fs::path& temp : contents.TemporaryFiles)
            RemoveFile(temp);
    }

    std::vector<RecoveryCandidate> found;
    for (const RecoveryEntry& e : contents.Entries) {
        if (e.Session == ownSession || live.count(e.Session)) continue;
        if (!e.HasCopy) {
            // A description of a copy that was never written: nothing to lose.
            RemoveFile(e.Info);
            continue;
        }
        RecoveryCandidate c;
        c.Entry = e;
        if (!e.HasInfo) {
            c.Why = "its description file " + e.Info.filename().string() + " is missing";
            c.Problem = RecoveryProblem::InfoMissing;
            found.push_back(std::move(c));
            continue;
        }
        const WholeFile info = ReadWholeFile(e.Info, kMaxInfoSize);
        std::string why;
        if (info.Status != WholeFile::Result::Read) {
            c.Why = "cannot read its description: " + info.Why;
            c.Problem = RecoveryProblem::InfoUnreadable;
            c.ReadProblem = info.Problem;
        } else if (auto parsed = ParseRecoveryInfo(info.Bytes, &why)) {
            c.Info = std::move(*parsed);
            c.InfoKnown = true;
            WholeFile copy = ReadWholeFile(e.Copy, kMaxDocumentFileSize);
            if (copy.Status != WholeFile::Result::Read) {
                c.Why = copy.Why;
                c.Problem = RecoveryProblem::CopyUnreadable;
                c.ReadProblem = copy.Problem;
            } else if (!IsFragmentFileHeader(copy.Bytes.substr(0, copy.Bytes.find('\n')))) {
                c.Why = "it is not a fragment file";
                c.Problem = RecoveryProblem::NotFragmentFile;
            } else {
                c.Document = std::move(copy.Bytes);
                c.Readable = true;
            }
        } else {
            c.Why = "its description is damaged: " + why;
            c.Problem = RecoveryProblem::InfoDamaged;
        }
        found.push_back(std::move(c));
    }
    std::stable_sort(found.begin(), found.end(),
                     [](const RecoveryCandidate& a, const RecoveryCandidate& b) {
                         return a.Info.SavedAt < b.Info.SavedAt;
                     });
    return found;
}

RecoveryFolderCheck EnsureRecoveryFolder(const fs::path& folder, bool create) {
    const auto refuse = [&](RecoveryFolderProblem problem, const std::string& text, int err = 0) {
        std::string why = "the folder " + folder.string() + " " + text;
        if (err) why += ": " + SystemErrorText(err);
        return RecoveryFolderCheck{problem, err, std::move(why)};
    };
    using P = RecoveryFolderProblem;
    if (folder.empty()) return refuse(P::NoName, "has no name");
    // The copies hold the user's documents: nobody else may read them, or put any there.
    std::error_code ec;
    if (create && folder.has_parent_path()) fs::create_directories(folder.parent_path(), ec);
    if (create && ::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
        return refuse(P::CannotMake, "cannot be made", errno);
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        const int err = errno;
        if (!create && err == ENOENT) return {};
        struct stat st {};
        if (::lstat(folder.c_str(), &st) == 0 && S_ISLNK(st.st_mode))
            return refuse(P::Link, "is a symbolic link");
        if (err == ENOTDIR) return refuse(P::NotFolder, "is not a folder");
        return refuse(P::CannotOpen, "cannot be opened", err);
    }
    RecoveryFolderCheck result;
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        result = refuse(P::CannotExamine, "cannot be examined");
    else if (st.st_uid != ::geteuid())
        result = refuse(P::OthersFolder, "belongs to another user");
    else if ((st.st_mode & 07777) != 0700 && ::fchmod(fd, 0700) != 0)
        result = refuse(P::CannotNarrow, "cannot be made private", errno);
    ::close(fd);
    return result;
}

WriteResult WriteRecoveryCopy(const fs::path& folder, std::string_view session, int serial,
                              std::string_view document, const RecoveryInfo& info) {
    if (RecoveryFolderCheck check = EnsureRecoveryFolder(folder, true); !check)
        return {WriteProblem::Failed, std::move(check.Why), check.SystemError};
    if (WriteResult w = ReplacePrivateFile(RecoveryCopyPath(folder, session, serial), document); !w)
        return w;
    return ReplacePrivateFile(RecoveryInfoPath(folder, session, serial), RecoveryInfoText(info));
}

bool RemoveRecoveryCopy(const RecoveryEntry& entry) {
    const bool info = RemoveFile(entry.Info);
    const bool copy = RemoveFile(entry.Copy);
    return info && copy;
}

bool AdoptRecoveryCopy(const RecoveryEntry& entry, const fs::path& folder, std::string_view session,
                       int serial) {
    const fs::path copy = RecoveryCopyPath(folder, session, serial);
    const fs::path info = RecoveryInfoPath(folder, session, serial);
    std::error_code ec;
    fs::rename(entry.Copy, copy, ec);
    if (ec) return false;
    if (entry.HasInfo) {
        fs::rename(entry.Info, info, ec);
        if (ec) {
            fs::rename(copy, entry.Copy, ec);
            return false;
        }
    }
    return true;
}

fs::path SetRecoveryCopyAside(const RecoveryEntry& entry, const fs::path& folder) {
    const fs::path aside = folder / kUnreadableFolderName;
    std::error_code ec;
    fs::create_directory(aside, ec);
    if (!fs::is_directory(aside, ec)) return folder;
    const std::string stem = entry.Session + "-" + std::to_string(entry.Serial);
    std::string name = stem;
    for (int n = 2; fs::exists(aside / (name + std::string(kRecoveryCopyExtension)), ec) ||
                    fs::exists(aside / (name + std::string(kRecoveryInfoExtension)), ec);
         ++n)
        name = stem + "_" + std::to_string(n);
    if (entry.HasCopy) {
        fs::rename(entry.Copy, aside / (name + std::string(kRecoveryCopyExtension)), ec);
        if (ec) return folder;
    }
    if (entry.HasInfo) {
        fs::rename(entry.Info, aside / (name + std::string(kRecoveryInfoExtension)), ec);
        if (ec) {
            // Keep the pair together where it was.
            if (entry.HasCopy)
                fs::rename(aside / (name + std::string(kRecoveryCopyExtension)), entry.Copy, ec);
            return folder;
        }
    }
    return aside;
}

void RemoveRecoveryFolderIfEmpty(const fs::path& folder) {
    std::error_code ec;
    if (folder.empty() || !fs::is_empty(folder, ec) || ec) return;
    fs::remove(folder, ec);
}

}  // namespace qv
