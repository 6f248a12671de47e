#!/usr/bin/env bash
# Configures and builds the program, its tools and tests in build/ (Release with debug info).
set -euo pipefail
cd "$(dirname "$0")/.."
launcher=()
# A compiler cache, where the machine has one, makes rebuilds after small changes cheap.
if command -v ccache >/dev/null; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTVL_WERROR=ON "${launcher[@]}" "$@" >/dev/null
cmake --build build
