#!/usr/bin/env bash
# Sets up, builds and runs every test: each fuzz target for a bounded time under ASan/UBSan,
# then the unit and end-to-end tests under CTest, then the Debian package is made and listed.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh
bash scripts/fuzz.sh "${TVL_FUZZ_SECONDS:-20}"
(cd build && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2)
bash scripts/package.sh
