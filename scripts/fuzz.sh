#!/usr/bin/env bash
# Builds the fuzz targets with clang and runs each for the given number of
# seconds (default 30) on a copy of its committed seed corpus.
#   scripts/fuzz.sh [SECONDS] [TARGET...]
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${1:-30}"
shift || true
bash scripts/install-deps.sh
build=build-fuzz
CC=clang CXX=clang++ cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DSTAMPORA_FUZZ=ON -DSTAMPORA_TESTS=OFF -DSTAMPORA_BENCH=OFF >/dev/null
cmake --build "$build" -j "$(nproc)"

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for f in fuzz/*_fuzz.cpp; do
    [ -e "$f" ] || continue
    targets+=("$(basename "$f" .cpp)")
  done
fi

# Leaks inside the system's codec libraries are theirs, not the reader's.
export LSAN_OPTIONS="suppressions=$(pwd)/tests/support/lsan.supp"
for t in "${targets[@]}"; do
  seeds="fuzz/corpus/${t%_fuzz}"
  work="$build/corpus/$t"
  mkdir -p "$work"
  [ -d "$seeds" ] && cp -n "$seeds"/* "$work"/ 2>/dev/null || true
  echo "-- $t for ${seconds}s"
  "$build/fuzz/$t" -max_total_time="$seconds" -rss_limit_mb=2048 -print_final_stats=1 "$work" 2>&1 | tail -n 12
done
