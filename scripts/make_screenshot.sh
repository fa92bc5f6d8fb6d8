#!/usr/bin/env bash
# Draws the picture of the window that the README shows (docs/screenshot.png): the window with six
# regenerators on a supply voltage too low for them, so the red marks show, in a folder of its own so
# that no stored settings change it.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=ON >/dev/null
cmake --build build --target theme_window >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp build/tests/app/theme_window "$work/"
mkdir -p docs
LANG=ru_RU.UTF-8 QT_QPA_PLATFORM=offscreen "$work/theme_window" --limits --png "$PWD/docs/screenshot.png"
echo "docs/screenshot.png written"
