#!/usr/bin/env bash
# Installs the Debian packages that building and running the program need; with --tests also those
# the tests, the benchmarks, the fuzz targets and the package check need.
# Runs as root on a fresh Debian 12 machine; does nothing when all are present.
set -euo pipefail
packages=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev libgl-dev qt6-qpa-plugins qt6-wayland qt6-translations-l10n
    libjpeg62-turbo-dev
    fonts-liberation2 fonts-crosextra-carlito
)
if [[ ${1:-} == --tests ]]; then
    packages+=(
        libgtest-dev libgmock-dev libbenchmark-dev
        clang libclang-rt-14-dev clang-format-14
        xvfb xauth openbox x11-utils xdotool poppler-utils libsm-dev libice-dev weston
        fonts-dejavu-core locales
        dpkg-dev file desktop-file-utils appstream lintian
    )
fi
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
    if [[ $(id -u) -ne 0 ]]; then
        echo "Missing Debian packages: ${missing[*]}" >&2
        echo "Run this script as root (or: sudo apt-get install ${missing[*]})." >&2
        exit 1
    fi
    export DEBIAN_FRONTEND=noninteractive
    apt-get update
    apt-get install -y --no-install-recommends "${missing[@]}"
fi
