#!/usr/bin/env bash
# Times stampora-batch on one photograph-like picture in each of WebP, HEIC,
# AVIF and JPEG XL (load, stamp, save at quality 80) against the reference
# tools' own decode and encode at the same quality in the same run: dwebp
# then cwebp -q 80; heif-convert then heif-enc -q 80 (AVIF with -A); djxl
# then cjxl -q 80. The reference hands its decoded picture over as PPM (or
# Y4M for libheif's tools, which take no PPM), so it pays no PNG coding.
# CPU seconds (user + system) are compared, threads included, so other
# work on a shared machine does not tilt the result (goal: at most 1.1).
#   bench/newformats_vs_tools.sh [RUNS] [WIDTHxHEIGHT]   (BUILD_DIR=<folder>; default build)
set -euo pipefail
cd "$(dirname "$0")/.."
source bench/lib/photos.sh
require convert cwebp dwebp heif-enc heif-convert cjxl djxl
runs="${1:-3}"
size="${2:-2400x1600}"
build="${BUILD_DIR:-build}"
[ -f "$build/CMakeCache.txt" ] || cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target stampora-batch >/dev/null
batch="$(pwd)/$build/stampora-batch"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
convert -size 480x320 -seed 3 plasma:fractal -blur 0x2 -resize "$size!" -attenuate 0.35 +noise Gaussian \
  -depth 8 "$work/photo.ppm"
convert "$work/photo.ppm" "$work/photo.png"

# CPU seconds of one run of a command (its children included), averaged
# over $runs runs.
cpu_seconds() {
  local start end self=$BASHPID
  start=$(awk '{print $14 + $15 + $16 + $17}' "/proc/$self/stat")
  for _ in $(seq "$runs"); do "$@" >/dev/null 2>&1; done
  end=$(awk '{print $14 + $15 + $16 + $17}' "/proc/$self/stat")
  awk -v s="$start" -v e="$end" -v n="$runs" -v hz="$(getconf CLK_TCK)" 'BEGIN {printf "%.3f", (e - s) / hz / n}'
}

# ours EXTENSION: stampora-batch on the one picture of that type.
ours() {
  rm -rf "$work/out"
  "$batch" --jobs 1 --quality 80 --text "(c) Stampora" --size 3% "$work/src-$1" "$work/out"
}

webp_tools() { dwebp "$work/src-webp/photo.webp" -ppm -o "$work/d.ppm" && cwebp -q 80 "$work/d.ppm" -o "$work/e.webp"; }
heic_tools() { heif-convert "$work/src-heic/photo.heic" "$work/d.y4m" && heif-enc -q 80 "$work/d.y4m" -o "$work/e.heic"; }
avif_tools() { heif-convert "$work/src-avif/photo.avif" "$work/d.y4m" && heif-enc -A -q 80 "$work/d.y4m" -o "$work/e.avif"; }
jxl_tools() { djxl "$work/src-jxl/photo.jxl" "$work/d.ppm" && cjxl "$work/d.ppm" "$work/e.jxl" -q 80; }

mkdir -p "$work"/src-{webp,heic,avif,jxl}
cwebp -quiet -q 80 "$work/photo.png" -o "$work/src-webp/photo.webp"
heif-enc -q 80 "$work/photo.png" -o "$work/src-heic/photo.heic" >/dev/null
heif-enc -A -q 80 "$work/photo.png" -o "$work/src-avif/photo.avif" >/dev/null
cjxl "$work/photo.png" "$work/src-jxl/photo.jxl" -q 80 --quiet 2>/dev/null

echo "picture $size, CPU seconds averaged over $runs runs"
for kind in webp heic avif jxl; do
  mine=$(cpu_seconds ours "$kind")
  theirs=$(cpu_seconds "${kind}_tools")
  printf '%-5s stampora %7.3f s, reference decode + encode %7.3f s, ratio %.2f\n' "$kind" "$mine" "$theirs" \
    "$(awk -v a="$mine" -v b="$theirs" 'BEGIN {print a / b}')"
done
