#!/usr/bin/env bash
# What the automatic choices cost stampora-batch on the benchmark folder: the
# same run with the marks at fixed anchors and a fixed colour, then with both
# marks placed automatically and the text's colour chosen per picture. The
# pixel work of stamping is the same, so the difference is the survey of each
# picture and the choice. One job, best of REPEAT.
#   BUILD_DIR  build folder holding stampora-batch (default: build)
#   FILES      number of photographs (default 6)
#   REPEAT     runs per timing (default 5)
set -euo pipefail
cd "$(dirname "$0")/.."
source bench/lib/photos.sh

tool="$(realpath "${BUILD_DIR:-build}/stampora-batch")"
files="${FILES:-6}"
repeat="${REPEAT:-5}"
require "$tool" cjpeg convert
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

make_photos "$work/photos" "$files" cjpeg -quality 92
make_logo "$work/logo.png"

run() {
  "$tool" --jobs 1 --quality 80 --text "© Stampora" --size 3% --outline 6% --image "$work/logo.png" \
    --image-size 15% "$@" "$work/photos" "$work/out"
}
fixed=$(best_of run --color FFFFFF --text-align right-bottom --image-align left-top)
auto=$(best_of run --color auto --text-align auto --image-align auto)
echo "$files photographs; best of $repeat"
printf '%-34s %6.2f s\n' "fixed colour and anchors" "$fixed" "automatic colour and place" "$auto"
echo "the automatic choices cost $(awk -v a="$auto" -v b="$fixed" 'BEGIN { printf "%+.1f %%", 100 * (a / b - 1) }')"
