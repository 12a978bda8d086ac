#!/usr/bin/env bash
# How often stampora-batch opens each source picture: once is the aim, every
# reader (pixels, metadata, JPEG tables and sampling, animation frames)
# working from that one reading. Runs a batch that keeps the metadata and
# saves each JPEG at its source's quality over one picture of each kind
# under strace, counts the successful opens of each source, and exits 1 when
# one was opened more than once.
#   BUILD_DIR  build folder holding stampora-batch (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
source bench/lib/photos.sh

tool="$(realpath "${BUILD_DIR:-build}/stampora-batch")"
require "$tool" strace
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

mkdir -p "$work/source" "$work/out"
for fixture in jpeg/camera.jpg jpeg/quality92-420.jpg png/rgba.png tiff/camera.tif gif/animated-5.gif \
  bmp/rgb24.bmp bmp/rle8.bmp tga/rgb24.tga; do
  [ -f "tests/fixtures/$fixture" ] && cp "tests/fixtures/$fixture" "$work/source/"
done

strace -f -qq -e trace=openat -o "$work/trace" \
  "$tool" --quality source --text "© Stampora" --size 12 "$work/source" "$work/out" >/dev/null || true

status=0
for source in "$work"/source/*; do
  opens=$(grep -F "\"$source\"" "$work/trace" | grep -cv ' = -1 ' || true)
  printf '%-22s opened %d time(s)\n' "$(basename "$source")" "$opens"
  [ "$opens" -eq 1 ] || status=1
done
exit "$status"
