#!/usr/bin/env bash
# Stamps the WebP, HEIC, AVIF and JPEG XL fixtures with stampora-batch and
# checks the copies with the reference tools: each decodes cleanly (dwebp,
# heif-convert, djxl), keeps its EXIF and XMP (exiftool), and the animated
# WebP keeps its 5 frames and their delays (webpmux -info).
#   scripts/check-newformats.sh   (BUILD_DIR=<folder>; default build)
set -euo pipefail
cd "$(dirname "$0")/.."
build="${BUILD_DIR:-build}"
cmake --build "$build" --target stampora-batch >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/src"
cp tests/fixtures/newformats/*.{webp,heic,avif,jxl} "$work/src/"
"$build/stampora-batch" --text "(c)" --size 15% --margin 1 --types webp,heic,avif,jxl "$work/src" "$work/out" >/dev/null

failed=0
fail() { echo "FAILED: $*"; failed=1; }
for copy in "$work"/out/*; do
  case "$copy" in
    *.webp) [ "$(basename "$copy")" = animated-5.webp ] || dwebp -quiet "$copy" -o "$work/x.png" || fail "dwebp $copy" ;;
    *.heic | *.avif) heif-convert "$copy" "$work/x.png" >/dev/null || fail "heif-convert $copy" ;;
    *.jxl) djxl "$copy" "$work/x.png" --quiet 2>/dev/null || fail "djxl $copy" ;;
  esac
done
for copy in "$work"/out/camera.*; do
  [ "$(exiftool -s3 -Make "$copy")" = Stampora ] || fail "EXIF of $copy"
  [ "$(exiftool -s3 -XMP-dc:Title "$copy")" = Fixture ] || fail "XMP of $copy"
done
timing() { webpmux -info "$1" | awk '/^ *[0-9]+:/ {printf "%s ", $7} END {print ""}'; }
[ "$(timing "$work/out/animated-5.webp")" = "$(timing tests/fixtures/newformats/animated-5.webp)" ] ||
  fail "frames and delays of the animated WebP: $(timing "$work/out/animated-5.webp")"
[ "$failed" = 0 ] && echo "all copies decode with the reference tools and keep their metadata and timing"
exit "$failed"
