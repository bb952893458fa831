#!/usr/bin/env bash
# Installs the build into a temporary DESTDIR and checks the tree a desktop relies on.
# Usage: install_test.sh BUILD_DIR SOURCE_DIR PROJECT_VERSION
set -euo pipefail
build=$1 src=$2 version=$3
id=org.example.quillovarsta.Quillovarsta
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

DESTDIR=$tmp cmake --install "$build" --prefix /usr >"$tmp/install.log"
root=$tmp/usr

for exe in quillovarsta quillovarsta-cli; do
    [ -x "$root/bin/$exe" ] || fail "bin/$exe missing or not executable"
done
# The installed CLI runs on its own (no build-tree paths baked in).
kind=$("$root/bin/quillovarsta-cli" -I "$tmp/cli.INI" check "$src/examples/brainstorm.csv")
[ "$kind" = fragment-file ] || fail "installed CLI says '$kind' of the example document"

desktop=$root/share/applications/$id.desktop
metainfo=$root/share/metainfo/$id.metainfo.xml
mime=$root/share/mime/packages/$id.xml
for f in "$desktop" "$metainfo" "$mime"; do
    [ -f "$f" ] || { fail "${f#"$root"/} missing"; exit 1; }
done
desktop-file-validate "$desktop" || fail "installed desktop entry does not validate"
appstreamcli validate --no-net "$metainfo" >"$tmp/appstream.log" ||
    { cat "$tmp/appstream.log" >&2; fail "installed metainfo does not validate"; }

key() { sed -n "s/^$1=//p" "$desktop" | head -n 1; }
# The menu entry starts the installed program and names the icon and type installed beside it.
exec_cmd=$(key Exec)
[ "${exec_cmd%% *}" = quillovarsta ] || fail "Exec starts '${exec_cmd%% *}'"
[[ "$exec_cmd" == *%f* ]] || fail "Exec does not pass one file per start (%f): $exec_cmd"
[ "$(key Icon)" = "$id" ] || fail "Icon is '$(key Icon)', not $id"
type=$(sed -n 's/.*<mime-type type="\([^"]*\)".*/\1/p' "$mime")
[ -n "$type" ] || fail "no type in the MIME package"
[ "$(key MimeType)" = "$type;" ] || fail "MimeType '$(key MimeType)' is not the package's '$type'"
grep -q "^Name\[ja\]=" "$desktop" || fail "no Japanese name"
grep -q "^Comment\[ja\]=" "$desktop" || fail "no Japanese comment"

# AppStream: the same id, the desktop entry as launchable, the type and both binaries.
grep -q "<id>$id</id>" "$metainfo" || fail "metainfo id is not $id"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" ||
    fail "metainfo does not launch $id.desktop"
grep -q "<mediatype>$type</mediatype>" "$metainfo" || fail "metainfo does not provide $type"
for exe in quillovarsta quillovarsta-cli; do
    grep -q "<binary>$exe</binary>" "$metainfo" || fail "metainfo does not provide $exe"
done
grep -q "<release version=\"$version\"" "$metainfo" || fail "no release entry for $version"

# Every icon size, each PNG as large as its folder says.
png_size() { od -An -tu1 -j16 -N8 "$1" | awk '{print $3*256+$4 "x" $7*256+$8}'; }
for size in 16 24 32 48 64 128 256 512; do
    png=$root/share/icons/hicolor/${size}x${size}/apps/$id.png
    if [ ! -f "$png" ]; then
        fail "icon ${size}x${size} missing"
    elif [ "$(head -c 8 "$png" | od -An -tx1 | tr -d ' ')" != 89504e470d0a1a0a ]; then
        fail "icon ${size}x${size} is not a PNG"
    elif [ "$(png_size "$png")" != "${size}x${size}" ]; then
        fail "icon ${size}x${size} is $(png_size "$png")"
    fi
done
[ -f "$root/share/icons/hicolor/scalable/apps/$id.svg" ] || fail "scalable icon missing"

# The guide, all of it, where the program looks for it from its own folder.
guide=$root/bin/../share/quillovarsta/docs/guide
[ -f "$guide/index.html" ] || fail "guide index not at bin/../share/quillovarsta/docs/guide"
diff -r "$src/docs/guide" "$guide" >/dev/null || fail "installed guide differs from docs/guide"

[ $failures -eq 0 ] || exit 1
echo "install tree ok"
