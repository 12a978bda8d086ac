#!/usr/bin/env bash
# Fails when a C++ file is not laid out as .clang-format says; with --fix,
# lays them out. The layout is clang-format 14's (Debian's clang-format).
set -euo pipefail
cd "$(dirname "$0")/.."

mapfile -t files < <(git ls-files '*.h' '*.cpp')
if [ "${1:-}" = "--fix" ]; then
  clang-format -i "${files[@]}"
else
  clang-format --dry-run --Werror "${files[@]}"
fi
