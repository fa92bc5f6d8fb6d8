#!/usr/bin/env bash
# Builds and runs the benchmarks (medians of 5 repetitions). Not part of the tests.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh --tests
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DDP_BENCH=ON
cmake --build build-bench -j "$(nproc)"
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
for b in build-bench/bench/bench_*; do
    [[ -f $b && -x $b ]] || continue
    echo "== $b"
    "$b" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true "$@"
done
