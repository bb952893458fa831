// What tells whether a file changed since it was read: its size and modification time.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace qv {

struct FileStamp {
    std::int64_t Size = 0;
    std::int64_t ModifiedNs = 0;  // modification time in nanoseconds since the epoch
    friend bool operator==(const FileStamp&, const FileStamp&) = default;
};

// The stamp of the file at `nativePath`; none when it does not exist or cannot be examined.
std::optional<FileStamp> StampOf(const std::string& nativePath);

// Whether the file at `nativePath` is no longer the one stamped `known`: changed or replaced. A
// file that was not stamped (never read or saved), or is gone, counts as unchanged.
bool ChangedOnDisk(const std::string& nativePath, const std::optional<FileStamp>& known);

}  // namespace qv
