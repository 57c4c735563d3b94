#!/usr/bin/env bash
# Configures and builds the given presets (default: all four).
set -eu
cd "$(dirname "$0")/.."
# Compiler cache when the machine has one: repeated runs rebuild only what changed.
if command -v ccache >/dev/null; then
    export CMAKE_CXX_COMPILER_LAUNCHER=ccache CMAKE_C_COMPILER_LAUNCHER=ccache CCACHE_BASEDIR=$(pwd)
fi
for preset in "${@:-native native-asan win64 win32}"; do
    for p in $preset; do
        cmake --preset "$p" >/dev/null
        cmake --build --preset "$p"
    done
done
