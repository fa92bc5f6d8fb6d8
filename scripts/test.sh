#!/usr/bin/env bash
# Builds the program and runs every test. Works on a fresh Debian 12 machine as root.
#   0. every C++ file formatted (scripts/check-format.sh);
#   1. the normal build and its tests (widget tests offscreen, the few that need X under xvfb-run,
#      the Wayland ones under a headless weston that each starts itself);
#   2. the Debian package built and checked (packaging/check_package.sh);
#   3. the same libraries and tests built with AddressSanitizer + UndefinedBehaviorSanitizer
#      (leak checking on);
#   4. the libFuzzer targets (clang), each replaying its saved corpus.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh --tests
jobs=$(nproc)

# Each phase starts with its title and ends with the seconds it took.
phase_start=$SECONDS
phase_name=
phase() {
    [[ -z $phase_name ]] || echo "== $phase_name: $((SECONDS - phase_start)) s"
    phase_name=${1:-}
    phase_start=$SECONDS
    [[ -z $phase_name ]] || echo "== $phase_name"
}

phase "format"
scripts/check-format.sh

run_ctest() { # build-dir [ctest args...]
    local dir=$1
    shift
    ctest --test-dir "$dir" --output-on-failure -j "$jobs" -LE xvfb "$@"
    if ctest --test-dir "$dir" -N -L xvfb | grep -q 'Total Tests: [1-9]'; then
        xvfb-run -a -s "-screen 0 1280x1024x24" ctest --test-dir "$dir" --output-on-failure -L xvfb "$@"
    fi
}

phase "normal build"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=ON -DDP_BENCH=ON
cmake --build build -j "$jobs"
run_ctest build

phase "Debian package"
packaging/check_package.sh build

phase "sanitizer build (ASan + UBSan)"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDP_SANITIZE=ON -DDP_BENCH=OFF
cmake --build build-asan -j "$jobs"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:detect_stack_use_after_return=0
export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
run_ctest build-asan
unset ASAN_OPTIONS LSAN_OPTIONS UBSAN_OPTIONS

phase "fuzz targets over their saved corpora (clang, libFuzzer)"
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DDP_FUZZ=ON -DDP_GUI=OFF -DDP_BENCH=OFF
cmake --build build-fuzz -j "$jobs"
ctest --test-dir build-fuzz --output-on-failure -j "$jobs" -L fuzz
phase
