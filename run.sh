#!/usr/bin/env bash
# Installs what is missing, builds the release build and starts the program.
# Usage: ./run.sh [FILE.csv ...]   (no argument opens the example document)
set -euo pipefail
# Documents named relative to the folder the user ran this from, before changing folder.
args=()
for a in "$@"; do
    if [[ "$a" == -[Ii]?* && "$a" != -[Ii]/* ]]; then
        a="${a:0:2}$PWD/${a:2}"
    elif [[ -n "$a" && "$a" != -* && "$a" != /* ]]; then
        a="$PWD/$a"
    fi
    args+=("$a")
done
cd "$(dirname "$0")"
source tools/setup.sh
qv_install_missing
qv_build release
if [ ${#args[@]} -eq 0 ] && [ -f examples/brainstorm.csv ]; then
    args=("$PWD/examples/brainstorm.csv")
fi
exec build/release/bin/quillovarsta "${args[@]}"
