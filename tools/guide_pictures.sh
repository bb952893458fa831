#!/usr/bin/env bash
# Regenerates every picture of the user guide (docs/guide/img/) from the program itself:
#   - the example documents under docs/guide/examples/ drawn by `quillovarsta-cli render`;
#   - the main window, menus, tool bars and dialogs grabbed by tools/guide_shots (guide-shots),
#     which builds the real windows on Qt's offscreen platform with the examples loaded.
# Builds what it needs in the debug preset first. Settings come from an empty settings file in a
# temporary folder, so the pictures show the defaults whatever the machine's own settings are.
# Running it twice gives the same files; pictures no longer produced are removed.
#
#   tools/guide_pictures.sh            (from anywhere inside the repository)
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
# shellcheck source=tools/setup.sh
source tools/setup.sh
qv_install_missing

qv_build debug --target quillovarsta-cli guide-shots

bin="$root/build/debug/bin"
examples="$root/docs/guide/examples"
img="$root/docs/guide/img"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -p -m 700 "$XDG_RUNTIME_DIR"
ini="$work/guide.INI"
out="$work/img"
mkdir -p "$out"

# The documents, as the program draws them (JPEG keeps the larger pictures small).
for doc in kihon ryokou; do
    "$bin/quillovarsta-cli" -I "$ini" render "$examples/$doc.csv" "$out/doc_$doc.jpg" \
        --quality 88 >/dev/null
done

# The windows, menus and dialogs.
"$bin/guide-shots" --out "$out" --examples "$examples"

mkdir -p "$img"
rm -f "$img"/*.png "$img"/*.jpg
cp "$out"/*.png "$out"/*.jpg "$img"/
echo "guide pictures: $(ls "$img" | wc -l) files in docs/guide/img"
