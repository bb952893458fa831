#!/usr/bin/env bash
# Installs what is missing, builds the release build and starts the program.
# Usage: ./run.sh [FILE.csv ...]   (no argument opens the example document)
set -euo pipefail
cd "$(dirname "$0")"
source tools/setup.sh
qv_install_missing
qv_build release
if [ $# -eq 0 ] && [ -f examples/brainstorm.csv ]; then
    set -- "$PWD/examples/brainstorm.csv"
fi
exec build/release/bin/quillovarsta "$@"
