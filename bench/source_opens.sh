#!/usr/bin/env bash
# How often stampora-batch opens each source picture: once is the aim, every
# reader (the header that plans its memory, pixels, metadata, JPEG tables and
# sampling, animation frames) working from that one opening. Runs a batch
# that keeps the metadata and saves each JPEG at its source's quality over one
# picture of each kind under strace, on two workers within a memory budget,
# then again keeping the JPEGs' blocks (a CMYK JPEG among them falls back to
# being re-encoded whole); counts the successful opens of each source, and
# exits 1 when one was opened more than once.
#   BUILD_DIR  build folder holding stampora-batch (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
source bench/lib/photos.sh

tool="$(realpath "${BUILD_DIR:-build}/stampora-batch")"
require "$tool" strace
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

mkdir -p "$work/source"
for fixture in jpeg/camera.jpg jpeg/quality92-420.jpg jpeg/cmyk.jpg png/rgba.png tiff/camera.tif \
  gif/animated-5.gif newformats/camera.webp newformats/animated-5.webp newformats/camera.heic \
  newformats/alpha-q80.avif newformats/camera.jxl bmp/rgb24.bmp bmp/rle8.bmp tga/rgb24.tga; do
  [ -f "tests/fixtures/$fixture" ] && cp "tests/fixtures/$fixture" "$work/source/"
done

status=0
count_opens() {
  local run=$1
  shift
  rm -rf "$work/out" && mkdir "$work/out"
  strace -f -qq -e trace=openat -o "$work/trace" "$tool" "$@" "$work/source" "$work/out" >/dev/null || true
  echo "$run:"
  for source in "$work"/source/*; do
    opens=$(grep -F "\"$source\"" "$work/trace" | grep -cv ' = -1 ' || true)
    printf '  %-22s opened %d time(s)\n' "$(basename "$source")" "$opens"
    [ "$opens" -eq 1 ] || status=1
  done
}
count_opens "metadata kept, quality of the source" --quality source --jobs 2 --memory 64M \
  --text "© Stampora" --size 12
count_opens "JPEG blocks kept" --lossless-jpeg --text "© Stampora" --size 12
exit "$status"
