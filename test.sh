#!/usr/bin/env bash
# Installs what is missing, builds everything in the sanitizer build (clang, ASan + UBSan, warnings
# as errors) and compiles it with GCC (warnings as errors), runs every fuzz target briefly and then
# the whole test suite.
set -euo pipefail
cd "$(dirname "$0")"
source tools/setup.sh
qv_install_missing
qv_build sanitize
# GCC warns about other things than clang: compile everything once more with it, warnings as errors.
qv_build gcc-werror

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export QT_QPA_PLATFORM=offscreen

fuzz_failed=0
if [ -d build/sanitize/fuzz ]; then
    for f in build/sanitize/fuzz/fuzz_*; do
        [ -x "$f" ] || continue
        name=$(basename "$f")
        corpus="build/sanitize/fuzz-corpus/$name"
        mkdir -p "$corpus"
        seeds=()
        [ -d "tests/fuzz/seeds/$name" ] && seeds=("tests/fuzz/seeds/$name")
        if "$f" -max_total_time=4 -max_len=8192 -timeout=10 -rss_limit_mb=2048 "$corpus" "${seeds[@]}" \
            >"build/sanitize/$name.log" 2>&1; then
            echo "fuzz $name: ok ($(grep -c . "build/sanitize/$name.log") log lines)"
        else
            echo "fuzz $name: FAILED"
            tail -n 40 "build/sanitize/$name.log"
            fuzz_failed=1
        fi
    done
fi

status=0
ctest --preset sanitize -j2 || status=$?
[ $fuzz_failed -eq 0 ] || status=1
exit $status
