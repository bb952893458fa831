// Whether two paths name the same file, however they are spelt: through symbolic or hard links,
// "." and ".." steps or a different folder.
#pragma once

#include <filesystem>
#include <optional>

namespace qv {

struct FileIdentity {
    unsigned long long Device = 0;
    unsigned long long Inode = 0;
    friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

// The identity of the file `path` names (links followed); none when it does not exist.
std::optional<FileIdentity> IdentityOf(const std::filesystem::path& path);

// True when both paths name one existing file.
bool SameFile(const std::filesystem::path& a, const std::filesystem::path& b);

}  // namespace qv
