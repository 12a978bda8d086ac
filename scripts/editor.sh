#!/usr/bin/env bash
# Stampora from a fresh checkout: installs what is missing, builds the editor
# and the batch tool, and opens the editor on a sample picture (or on the
# picture given). Without a display it says so and runs the batch demo.
#   BUILD_DIR    build folder (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
build="${BUILD_DIR:-build}"
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j "$(nproc)" --target stampora stampora-batch

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo
  echo "No display to show the editor on (neither DISPLAY nor WAYLAND_DISPLAY is set)."
  echo "Running the batch demo instead; start the editor later with: $build/stampora PICTURE"
  exec bash scripts/demo.sh
fi

picture="${1:-samples/pictures/harbour.jpg}"
echo "Starting the editor on $picture"
exec "$build/stampora" "$picture"
