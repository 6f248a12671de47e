#!/usr/bin/env bash
# Configures and builds the program, its tools and tests in build/ (Release with debug info).
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTVL_WERROR=ON "$@" >/dev/null
cmake --build build
