// Runs a check as a user without root's right to read anything, so permission failures can be
// tested under root as well: in a child process that gives up root first (when it has it).
#pragma once

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

namespace qv::test {

// Runs `fn` (returning bool) in a child process as user and group 65534 when this process is
// root, else as this user. Returns what `fn` returned; false when the child failed otherwise.
template <class Fn>
bool RunUnprivileged(Fn&& fn) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::geteuid() == 0 &&
            (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0))
            ::_exit(2);
        ::_exit(fn() ? 0 : 1);
    }
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid) return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace qv::test
