// Runs checks as other local users. Only root can become another user; the ids need no accounts
// (the kernel knows users by number), so nothing is created and nothing is left to remove.
#pragma once

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <vector>

namespace qv::test {

// Ids no account on a test machine is likely to have.
inline constexpr uid_t kOwnerUid = 64701;
inline constexpr uid_t kOtherUid = 64702;
inline constexpr gid_t kSharedGid = 64710;
inline constexpr gid_t kOtherGid = 64711;

// Why checks as other users cannot run here; empty when they can.
inline const char* WhyNoOtherUsers() {
    return ::geteuid() == 0 ? "" : "acting as another user needs root; run the tests as root";
}

// Runs `fn` (returning bool) in a child process as `uid` with primary group `gid` and the
// supplementary `groups`. Returns what `fn` returned; false when the child failed otherwise.
template <class Fn>
bool RunAsUser(uid_t uid, gid_t gid, const std::vector<gid_t>& groups, Fn&& fn) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::setgroups(groups.size(), groups.data()) != 0 || ::setgid(gid) != 0 ||
            ::setuid(uid) != 0)
            ::_exit(2);
        ::_exit(fn() ? 0 : 1);
    }
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid) return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace qv::test
