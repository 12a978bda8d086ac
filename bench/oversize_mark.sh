#!/usr/bin/env bash
# What a mark larger than every picture costs a run: it is never drawn, so
# the run takes what the same run with a small mark takes. Runs
# stampora-batch over ten 640 x 480 pictures with a small text mark, then
# with an image mark asked at 12000 x 12000 and with a 150-letter text at
# 1000 points (each left off every picture), and prints the extra time and
# peak memory of each over the first; exits 1 when one takes 0.1 s or
# 100 MB more.
#   BUILD_DIR  build folder holding stampora-batch (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
source bench/lib/photos.sh

tool="$(realpath "${BUILD_DIR:-build}/stampora-batch")"
require "$tool" convert /usr/bin/time
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

mkdir -p "$work/source"
convert -size 640x480 -seed 1 plasma:fractal "$work/source/p0.jpg"
for i in 1 2 3 4 5 6 7 8 9; do cp "$work/source/p0.jpg" "$work/source/p$i.jpg"; done
convert -size 200x100 xc:red "$work/logo.png"

# measure ARGS...: the least seconds (user and system) and the peak
# kilobytes of three runs.
measure() {
  local best=""
  for _ in 1 2 3; do
    rm -rf "$work/out" && mkdir "$work/out"
    /usr/bin/time -f "%U %S %M" -o "$work/time" "$tool" "$@" "$work/source" "$work/out" >/dev/null 2>&1 || true
    read -r user system kilobytes < <(tail -n 1 "$work/time")
    local line
    line="$(awk -v u="$user" -v s="$system" -v k="$kilobytes" 'BEGIN { printf "%.3f %d", u + s, k }')"
    if [ -z "$best" ] || awk -v a="$line" -v b="$best" 'BEGIN { split(a, x, " "); split(b, y, " "); exit !(x[1] < y[1]) }'; then
      best="$line"
    fi
  done
  echo "$best"
}

read -r base_seconds base_kilobytes <<<"$(measure --text x)"
printf '%-28s %6.3f s CPU %8d KB\n' "small text mark" "$base_seconds" "$base_kilobytes"
status=0
check() {
  local name=$1
  shift
  read -r seconds kilobytes <<<"$(measure "$@")"
  awk -v n="$name" -v s="$seconds" -v k="$kilobytes" -v bs="$base_seconds" -v bk="$base_kilobytes" \
    'BEGIN { printf "%-28s %6.3f s CPU %8d KB  (%+.3f s, %+d KB)\n", n, s, k, s - bs, k - bk
             exit !(s - bs < 0.1 && k - bk < 100 * 1024) }' || status=1
}
check "image mark 12000 x 12000" --image "$work/logo.png" --image-size 12000x12000
check "150 letters at 1000 points" --text "$(printf 'A%.0s' {1..150})" --size 1000
exit "$status"
