#!/bin/sh
# Renders the program's icon (packaging/icons/ru.raschetdp.RaschetDP.svg) into the PNG sizes that
# are committed beside it and installed into the hicolor theme. Run after changing the SVG; needs
# rsvg-convert (Debian package librsvg2-bin).
set -eu
cd "$(dirname "$0")/../packaging/icons"
for size in 16 22 24 32 48 64 128 256; do
    rsvg-convert --width "$size" --height "$size" ru.raschetdp.RaschetDP.svg -o "ru.raschetdp.RaschetDP-$size.png"
done
