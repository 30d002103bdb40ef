#!/bin/sh
# Regenerates the committed PNG icons from the SVG. Run by hand after the SVG
# changes (needs rsvg-convert from librsvg2-bin, or ImageMagick's convert).
set -eu
cd "$(dirname "$0")"
svg=hicolor/scalable/apps/org.korvane.Simulation.svg
for size in 16 24 32 48 64 128 256; do
    dir="hicolor/${size}x${size}/apps"
    mkdir -p "$dir"
    out="$dir/org.korvane.Simulation.png"
    if command -v rsvg-convert >/dev/null 2>&1; then
        rsvg-convert -w "$size" -h "$size" "$svg" -o "$out"
    else
        convert -background none -density 384 "$svg" -resize "${size}x${size}" \
            -define png:exclude-chunks=date,time "PNG32:$out"
    fi
done
