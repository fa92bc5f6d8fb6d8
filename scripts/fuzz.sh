#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for the given number of seconds
# (default 60), growing its corpus in fuzz-corpus-work/<target> seeded from fuzz/corpus/<target>.
#   bash scripts/fuzz.sh [seconds] [target-name-filter]
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh --tests
seconds=${1:-60}
filter=${2:-}
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DDP_FUZZ=ON -DDP_GUI=OFF -DDP_BENCH=OFF -DBUILD_TESTING=ON
cmake --build build-fuzz -j "$(nproc)"
for bin in build-fuzz/fuzz/fuzz_*; do
    [[ -x $bin ]] || continue
    name=$(basename "$bin")
    name=${name#fuzz_}
    [[ -z $filter || $name == *"$filter"* ]] || continue
    work=fuzz-corpus-work/$name
    mkdir -p "$work"
    echo "== $name for ${seconds}s"
    "$bin" -max_total_time="$seconds" "$work" "fuzz/corpus/$name"
done
