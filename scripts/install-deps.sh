#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the program need.
# Runs as root on a fresh Debian 12 machine; does nothing when all are present.
set -euo pipefail
packages=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev libgl-dev qt6-qpa-plugins qt6-translations-l10n
    libjpeg62-turbo-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    clang libclang-rt-14-dev clang-format-14
    xvfb xauth openbox x11-utils xdotool poppler-utils
    fonts-liberation2 fonts-crosextra-carlito fonts-dejavu-core
    locales
)
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
