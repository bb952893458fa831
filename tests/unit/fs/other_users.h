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

namespace detail {

// Runs `fn` (returning bool) in a child process after `become` (returning bool) has changed who
// it runs as. Returns what `fn` returned; false when the child failed otherwise.
template <class Become, class Fn>
bool RunInChild(Become&& become, Fn&& fn) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (!become()) ::_exit(2);
        ::_exit(fn() ? 0 : 1);
    }
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid) return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace detail

// Runs `fn` (returning bool) in a child process as `uid` with primary group `gid` and the
// supplementary `groups`.
template <class Fn>
bool RunAsUser(uid_t uid, gid_t gid, const std::vector<gid_t>& groups, Fn&& fn) {
    return detail::RunInChild(
        [&] {
            return ::setgroups(groups.size(), groups.data()) == 0 && ::setgid(gid) == 0 &&
                   ::setuid(uid) == 0;
        },
        fn);
}

// Runs `fn` as a user without root's right to read anything, so permission failures can be
// tested under root as well: as user and group 65534 when this process is root, else as this user.
template <class Fn>
bool RunUnprivileged(Fn&& fn) {
    return detail::RunInChild(
        [] {
            return ::geteuid() != 0 ||
                   (::setgroups(0, nullptr) == 0 && ::setgid(65534) == 0 && ::setuid(65534) == 0);
        },
        fn);
}

}  // namespace qv::test
