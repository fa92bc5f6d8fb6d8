#!/usr/bin/env bash
# Builds the program and runs every test. Works on a fresh Debian 12 machine as root.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
jobs=$(nproc)

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$jobs"
# Widget tests run offscreen; the ones labelled xvfb need a real X screen.
ctest --test-dir build --output-on-failure -j "$jobs" -LE xvfb
if ctest --test-dir build -N -L xvfb | grep -q 'Total Tests: [1-9]'; then
    xvfb-run -a -s "-screen 0 1280x1024x24" ctest --test-dir build --output-on-failure -L xvfb
fi
