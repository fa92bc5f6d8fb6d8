#!/usr/bin/env bash
# Builds the program and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF -DDP_BENCH=OFF
cmake --build build -j "$(nproc)" --target raschet-dp
exec build/app/raschet-dp "$@"
