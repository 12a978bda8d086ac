#!/usr/bin/env bash
# Sets up what is missing, builds Stampora and runs every test.
#   BUILD_DIR      build folder (default: build)
#   CMAKE_ARGS     extra configure arguments
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
build="${BUILD_DIR:-build}"
# shellcheck disable=SC2086
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo ${CMAKE_ARGS:-}
cmake --build "$build" -j "$(nproc)"
ctest --test-dir "$build" -j "$(nproc)" --output-on-failure
