#!/usr/bin/env bash
# Builds the libFuzzer targets with clang under ASan/UBSan and runs each for a bounded time.
# Usage: fuzz.sh [seconds per target]
set -euo pipefail
cd "$(dirname "$0")/.."
secs="${1:-20}"
launcher=()
if command -v ccache >/dev/null; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTVL_FUZZ=ON -DTVL_GUI=OFF -DTVL_TESTS=OFF -DTVL_BENCH=OFF -DTVL_WERROR=ON "${launcher[@]}" >/dev/null
cmake --build build-fuzz
export ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
failed=0
for f in build-fuzz/fuzz/fuzz_*; do
  [ -x "$f" ] || continue
  name=$(basename "$f")
  corpus="fuzz/corpus/${name#fuzz_}"
  work=$(mktemp -d)
  seeds=()
  [ -d "$corpus" ] && seeds=("$corpus")
  echo "== $name (${secs}s)"
  if "$f" -max_total_time="$secs" -timeout=10 -rss_limit_mb=2048 -max_len=1048576 \
       -print_final_stats=0 "$work" "${seeds[@]}" >"$work.log" 2>&1; then
    grep -E '^(#[0-9]+|Done)' "$work.log" | tail -n 1 || true
  else
    echo "!! $name failed:"; tail -n 40 "$work.log"; failed=1
  fi
  rm -rf "$work" "$work.log"
done
exit $failed
