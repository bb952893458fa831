#!/usr/bin/env bash
# Installs the MIME package into a temporary tree, builds its database there and asks GIO (what
# file managers use) what type files are: documents are ours by content, other CSV files stay
# text/csv. The user's own MIME database is never read or written.
# Usage: mime_test.sh BUILD_DIR
set -euo pipefail
build=$1
type=application/x-quillovarsta-document
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
failures=0

DESTDIR=$tmp cmake --install "$build" --prefix /usr --component data >"$tmp/install.log"
XDG_DATA_DIRS="$tmp/usr/share" update-mime-database "$tmp/usr/share/mime"
[ -f "$tmp/usr/share/mime/mime.cache" ] || { echo "FAIL: no database built" >&2; exit 1; }

mkdir -p "$tmp/home" "$tmp/files"
cd "$tmp/files"
printf '#Quillovarsta,Group,Left,Top,Width,Height,ColFG,ColBG,Link\r\n"a",-1,0,0,10,10,0,16777215,""\r\n' >doc.csv
printf '\xef\xbb\xbf' | cat - doc.csv >bom.csv
cp doc.csv "doc without extension"
printf 'name,count\r\napples,3\r\npears,5\r\n' >plain.csv
printf 'note,#Quillovarsta,\r\n' >mention.csv
printf '#Quillovarst\r\n' >short.csv

# $1: data dirs, $2: file.
content_type() {
    env XDG_DATA_HOME="$tmp/home" XDG_DATA_DIRS="$1" GIO_USE_VFS=local \
        gio info -a standard::content-type "$2" | sed -n 's/^ *standard::content-type: //p'
}
expect() {
    local got
    got=$(content_type "$tmp/usr/share:/usr/share" "$2")
    if [ "$got" != "$1" ]; then
        echo "FAIL: '$2' is '$got', expected $1" >&2
        failures=$((failures + 1))
    fi
}

# Without the package the document is plain CSV: the answers below come from the new database.
base=$(content_type /usr/share doc.csv)
[ "$base" = text/csv ] || { echo "FAIL: without the package doc.csv is '$base'" >&2; exit 1; }

expect "$type" doc.csv
expect "$type" bom.csv
expect "$type" "doc without extension"
expect text/csv plain.csv
expect text/csv mention.csv
expect text/csv short.csv

[ $failures -eq 0 ] || exit 1
echo "document type ok"
