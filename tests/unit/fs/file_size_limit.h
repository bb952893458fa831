// A full disk, imitated: runs a call with the file-size limit lowered, so that writing stops part
// way with an error (SIGXFSZ ignored). Works for root too, unlike a write-protected folder.
#pragma once

#include <signal.h>
#include <sys/resource.h>

namespace qv::test {

template <class Fn>
auto WithFileSizeLimit(rlim_t bytes, Fn&& fn) {
    struct rlimit old {};
    ::getrlimit(RLIMIT_FSIZE, &old);
    auto* oldHandler = ::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &small);
    auto result = fn();
    ::setrlimit(RLIMIT_FSIZE, &old);
    ::signal(SIGXFSZ, oldHandler);
    return result;
}

}  // namespace qv::test
