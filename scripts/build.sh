#!/usr/bin/env bash
# Configures and builds into build/ (BUILD_DIR overrides).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${BUILD_DIR:-$root/build}"
"$root/scripts/deps.sh"
options=(-DCMAKE_BUILD_TYPE=RelWithDebInfo)
command -v ninja >/dev/null 2>&1 && options+=(-G Ninja)
command -v ccache >/dev/null 2>&1 && options+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$build" "${options[@]}"
fi
cmake --build "$build" -j"$(nproc)" "$@"
