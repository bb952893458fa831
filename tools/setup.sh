#!/usr/bin/env bash
# Shared set-up of run.sh and test.sh: installs every missing Debian package (as root, or through
# sudo when present) and nothing when all are there.
set -euo pipefail

QV_PACKAGES=(
    cmake ninja-build g++ clang libclang-rt-14-dev ccache pkg-config
    qt6-base-dev qt6-translations-l10n libgl-dev libjpeg62-turbo-dev libpng-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    fonts-ipafont xvfb xauth poppler-utils
    appstream desktop-file-utils libglib2.0-bin shared-mime-info
)

qv_install_missing() {
    local missing=()
    local p
    for p in "${QV_PACKAGES[@]}"; do
        if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$p")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=()
    if [ "$(id -u)" -ne 0 ]; then
        if command -v sudo >/dev/null 2>&1; then
            sudo=(sudo)
        else
            echo "error: missing packages (${missing[*]}) and not root, no sudo" >&2
            return 1
        fi
    fi
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
        "${missing[@]}"
}

# Configures the preset on first use, then builds incrementally.
qv_build() {
    local preset=$1
    shift
    if [ ! -f "build/$preset/build.ninja" ]; then
        cmake --preset "$preset" >/dev/null
    fi
    cmake --build --preset "$preset" "$@"
}
