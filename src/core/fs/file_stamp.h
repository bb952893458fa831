// What tells whether a file changed since it was read: its size and modification time, and which
// file it is (its inode) and when its inode last changed, which catch a file replaced by another
// of the same size and time (a copy that kept the time, a rename over it).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace qv {

struct FileStamp {
    std::int64_t Size = 0;
    std::int64_t ModifiedNs = 0;  // modification time in nanoseconds since the epoch
    // 0 when unknown (a stamp kept by an older version): then only size and time are compared.
    std::uint64_t Inode = 0;
    std::int64_t ChangedNs = 0;  // inode change time in nanoseconds since the epoch
    friend bool operator==(const FileStamp&, const FileStamp&) = default;
};

// The stamp of the file at `nativePath`; none when it does not exist or cannot be examined.
std::optional<FileStamp> StampOf(const std::string& nativePath);

// Whether two stamps are of different files or contents; parts one of them does not know are
// not compared.
bool StampsDiffer(const FileStamp& a, const FileStamp& b);

// Whether the file at `nativePath` is no longer the one stamped `known`: changed or replaced. A
// file that was not stamped (never read or saved), or is gone, counts as unchanged.
bool ChangedOnDisk(const std::string& nativePath, const std::optional<FileStamp>& known);

}  // namespace qv
