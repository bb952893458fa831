#!/usr/bin/env bash
# Renders the application icon's PNG sizes from its SVG drawings into desktop/icons/hicolor/.
# The PNGs are committed, so building needs no SVG renderer; run this (needs rsvg-convert from
# librsvg2-bin) after changing either drawing.
set -euo pipefail
cd "$(dirname "$0")/../desktop/icons"
id=org.example.quillovarsta.Quillovarsta
for size in 16 24 32 48 64 128 256 512; do
    src=$id.svg
    # The small drawings keep their edges on whole pixels.
    [ -f "$id-$size.svg" ] && src=$id-$size.svg
    mkdir -p "hicolor/${size}x${size}/apps"
    rsvg-convert -w "$size" -h "$size" "$src" -o "hicolor/${size}x${size}/apps/$id.png"
done
