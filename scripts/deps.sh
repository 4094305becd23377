#!/usr/bin/env bash
# Installs the Debian packages the tool and its tests need (only those missing); clang and its runtime libraries
# build the fuzz targets; dpkg-dev, file and lintian make and check the Debian package (scripts/package).
set -euo pipefail
packages=(build-essential cmake ninja-build pkg-config qt6-base-dev qt6-serialport-dev qt6-multimedia-dev
          qt6-charts-dev libqt6sql6-sqlite libqt6sql6-psql postgresql ccache libgl-dev xvfb xauth clang libclang-rt-14-dev dpkg-dev file lintian)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ "${#missing[@]}" -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    SUDO=""
    [ "$(id -u)" -eq 0 ] || SUDO="sudo"
    export DEBIAN_FRONTEND=noninteractive
    $SUDO apt-get update -q
    $SUDO apt-get install -y -q "${missing[@]}"
fi
