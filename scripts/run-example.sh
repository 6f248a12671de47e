#!/usr/bin/env bash
# Sets up, builds, and runs the batch build of the bundled example project; prints its log.
set -uo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh || exit 1
bash scripts/build.sh || exit 1
mkdir -p out
./build/tessalingvora examples/Example.tvl /buildall /logfile:out/example-build.log
rc=$?
echo "---- out/example-build.log ----"
cat out/example-build.log
echo "---- exit code: $rc; targets in examples/out/ ----"
ls -l examples/out 2>/dev/null
exit $rc
