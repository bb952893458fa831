// Recovery copies: what a running program keeps of its documents' unsaved changes, so that a
// program that did not end normally loses none of them.
//
// The copies live in a folder beside the settings file, named after it ("Quillova.INI" keeps them
// in "Quillova.INI.recovery"), so every settings file — every test run — has its own. Each running
// program is a session with its own id; it holds "<session>.lock" while it runs and writes, per
// document, two files:
//
//   <session>-<n>.csv    the document in the document format (readable by the program itself)
//   <session>-<n>.info   what it is a copy of, as "key=value" lines after a first line
//                        "Quillovarsta recovery 1":
//                          path=<the document's path, bytes outside "!".."~" and "%" as %XX;
//                                empty for an untitled document>
//                          time=<when the copy was written, seconds since 1970 UTC>
//                          stamp=<size>,<mtime ns> of the document's file as the session read or
//                                saved it (absent when it had none)
//                          identity=<inode>,<ctime ns> of that file (absent when unknown)
//
// Both are replaced atomically, the copy first; a session's files that are left when its lock is
// free are what a program that did not end normally left behind. Copies that cannot be read are
// moved into the "unreadable" subfolder, never deleted.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/fs/atomic_file.h"
#include "core/fs/file_stamp.h"
#include "core/fs/read_file.h"

namespace qv {

// What a copy is a copy of.
struct RecoveryInfo {
    std::string OriginalPath;        // the document's path (native bytes); empty: untitled
    std::int64_t SavedAt = 0;        // when the copy was written, seconds since 1970 UTC
    std::optional<FileStamp> Stamp;  // the document's file as it was read or saved
    friend bool operator==(const RecoveryInfo&, const RecoveryInfo&) = default;
};

inline constexpr std::string_view kRecoveryInfoMagic = "Quillovarsta recovery 1";
inline constexpr std::string_view kRecoveryCopyExtension = ".csv";
inline constexpr std::string_view kRecoveryInfoExtension = ".info";
inline constexpr std::string_view kRecoveryLockExtension = ".lock";
inline constexpr std::string_view kUnreadableFolderName = "unreadable";

// The text of an info file, and back; none (with the reason in `why`) for text that is not one.
std::string RecoveryInfoText(const RecoveryInfo& info);
std::optional<RecoveryInfo> ParseRecoveryInfo(std::string_view text, std::string* why = nullptr);

// The folder of the copies that belong to the settings file at `settingsPath`; empty when there
// is no settings file (settings in memory only: nothing is kept).
std::filesystem::path RecoveryFolderFor(std::string_view settingsPath);

// A session id for this process: its number and the start time, in letters and digits only.
std::string NewRecoverySessionId(long pid, std::int64_t startMs);

// One copy found in the folder: "<session>-<serial>" with either of its two files.
struct RecoveryEntry {
    std::string Session;
    int Serial = 0;
    std::filesystem::path Copy;  // the .csv, whether it exists or not
    std::filesystem::path Info;  // the .info, whether it exists or not
    bool HasCopy = false;
    bool HasInfo = false;
};

// The file names of a copy and its info.
std::filesystem::path RecoveryCopyPath(const std::filesystem::path& folder,
                                       std::string_view session, int serial);
std::filesystem::path RecoveryInfoPath(const std::filesystem::path& folder,
                                       std::string_view session, int serial);
// The lock file a session holds while it runs.
std::filesystem::path RecoveryLockPath(const std::filesystem::path& folder,
                                       std::string_view session);

// What the folder holds: the copies (ordered by session, then serial), the sessions that have a
// lock file, and temporary files of writes that never finished. Other names are passed over, and
// so is anything but a regular file (a symbolic link is never followed). A missing folder holds
// nothing.
struct RecoveryFolderContents {
    std::vector<RecoveryEntry> Entries;
    std::vector<std::string> LockedSessions;
    std::vector<std::filesystem::path> TemporaryFiles;
};
RecoveryFolderContents ListRecoveryFolder(const std::filesystem::path& folder);

// A copy to offer, or one to report.
// Why a copy cannot be restored, for a message in the user's language.
enum class RecoveryProblem {
    None,
    InfoMissing,      // its description file is missing
    InfoUnreadable,   // its description cannot be read (ReadProblem says why)
    InfoDamaged,      // its description cannot be understood
    CopyUnreadable,   // the copy cannot be read (ReadProblem says why)
    NotFragmentFile,  // the copy is no fragment file
};

struct RecoveryCandidate {
    RecoveryEntry Entry;
    RecoveryInfo Info;       // as far as it could be read (OriginalPath empty when unknown)
    bool InfoKnown = false;  // the info file was read
    std::string Document;    // the copy's bytes when Readable
    bool Readable = false;   // a fragment file that can be opened; otherwise Why says why
    std::string Why;         // English reason, empty when readable
    RecoveryProblem Problem = RecoveryProblem::None;
    FileProblem ReadProblem = FileProblem::None;  // with InfoUnreadable and CopyUnreadable
};

// The copies left by sessions that no longer run: every session but `ownSession` for which
// `running(session)` is false. Entries with an info but no copy hold nothing to restore and are
// removed. The rest come oldest first (by info time, then name); those that cannot be read are
// among them with Readable false.
std::vector<RecoveryCandidate> CollectRecoveries(
    const std::filesystem::path& folder, std::string_view ownSession,
    const std::function<bool(const std::string& session)>& running);

// Why a folder of copies cannot be trusted with the user's documents.
enum class RecoveryFolderProblem {
    None,
    NoName,         // an empty path
    CannotMake,     // SystemError says why
    Link,           // a symbolic link stands at its name
    NotFolder,      // something else stands at its name
    CannotOpen,     // SystemError says why
    OthersFolder,   // it belongs to another user
    CannotNarrow,   // others could look inside and that cannot be changed (SystemError says why)
    CannotExamine,  // its owner and mode cannot be read
};

struct RecoveryFolderCheck {
    RecoveryFolderProblem Problem = RecoveryFolderProblem::None;
    int SystemError = 0;  // the errno, so a message can give it in its language
    std::string Why;      // English, naming the folder; empty when fine
    explicit operator bool() const { return Problem == RecoveryFolderProblem::None; }
};

// Makes the folder of the copies for this user only (mode 0700) when it is missing, or checks the
// one found: it must be a folder (not a link to one) of this user's, and it is narrowed to 0700
// when others could look inside. False, with the reason, for a folder that cannot be trusted with
// the user's documents; then nothing may be read from it or written to it. `create` false only
// checks, and a missing folder is fine.
RecoveryFolderCheck EnsureRecoveryFolder(const std::filesystem::path& folder, bool create);

// Writes a copy: makes or checks the folder (EnsureRecoveryFolder), then replaces the copy and
// then its info, each atomically, readable by this user only; a link at either name is replaced,
// never followed.
WriteResult WriteRecoveryCopy(const std::filesystem::path& folder, std::string_view session,
                              int serial, std::string_view document, const RecoveryInfo& info);

// Removes a copy's two files (missing ones are fine); false when one stays.
bool RemoveRecoveryCopy(const RecoveryEntry& entry);

// Renames a copy's files to those of `session`/`serial` (a restored document's copy passes to the
// program that restored it). False when the copy could not be moved; then nothing moved.
bool AdoptRecoveryCopy(const RecoveryEntry& entry, const std::filesystem::path& folder,
                       std::string_view session, int serial);

// Moves a copy that cannot be read into the "unreadable" subfolder, under a name not yet used
// there; returns the folder it is in now (its old place when it could not be moved).
std::filesystem::path SetRecoveryCopyAside(const RecoveryEntry& entry,
                                           const std::filesystem::path& folder);

// Removes the folder when it holds nothing any more (a normal exit leaves nothing behind).
void RemoveRecoveryFolderIfEmpty(const std::filesystem::path& folder);

}  // namespace qv
