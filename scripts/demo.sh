#!/usr/bin/env bash
# Stampora's main job from a fresh checkout: installs what is missing, builds
# the batch tool, and stamps a text watermark and an image watermark on the
# bundled sample pictures (samples/pictures, made by samples/make-samples.sh).
#   BUILD_DIR    build folder (default: build)
#   DEMO_OUTPUT  where the results go (default: <build folder>/demo-output)
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
build="${BUILD_DIR:-build}"
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j "$(nproc)" --target stampora-batch

output="${DEMO_OUTPUT:-$build/demo-output}"
mkdir -p "$output"
output="$(cd "$output" && pwd)"

echo
echo "Stamping samples/pictures into $output"
# Sizes and margins relative to each picture, so the marks look the same on
# the 128 x 96 samples and on the 800 x 533 one, and both marks, shadow
# included, fit every sample: the tool exits 0 only then.
status=0
"$build/stampora-batch" \
  --text "© Stampora" --font "DejaVu Sans" --size 9% --style bold --color FFFFFF --opacity 90 \
  --shadow --shadow-color 000000 --shadow-opacity 70 --shadow-distance 2 --shadow-smooth 3 \
  --text-align right-bottom \
  --image samples/logo.png --image-size 25% --image-opacity 80 --image-align left-top \
  --margin 3% \
  samples/pictures "$output" || status=$?

echo
echo "The watermarked pictures are in $output"
ls -l "$output"
exit "$status"
