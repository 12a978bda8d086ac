#!/usr/bin/env bash
# What keeping metadata costs stampora-batch on the benchmark folder: the
# same photographs once bare and once carrying a camera's EXIF (with GPS),
# XMP, IPTC and an ICC profile (those of tests/fixtures/jpeg/camera.jpg,
# orientation set upright so both folders get the same pixel work). The bare
# folder has nothing to carry over, so the difference is the cost of
# reading, rewriting and checking the metadata. One job, best of REPEAT.
#   BUILD_DIR  build folder holding stampora-batch (default: build)
#   FILES      number of photographs (default 6)
#   REPEAT     runs per timing (default 5)
set -euo pipefail
cd "$(dirname "$0")/.."
source bench/lib/photos.sh

tool="$(realpath "${BUILD_DIR:-build}/stampora-batch")"
files="${FILES:-6}"
repeat="${REPEAT:-5}"
require "$tool" cjpeg convert exiv2  # exiv2: the exiv2 package
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

make_photos "$work/bare" "$files" cjpeg -quality 92
make_logo "$work/logo.png"
cp -r "$work/bare" "$work/tagged"
cp tests/fixtures/jpeg/camera.jpg "$work/camera.jpg"
exiv2 -q -M"set Exif.Image.Orientation 1" "$work/camera.jpg"
exiv2 -q -ea -l "$work" "$work/camera.jpg"  # writes camera.exv
exiv2 -q -eC -l "$work" "$work/camera.jpg"  # writes camera.icc
for photo in "$work"/tagged/*.jpg; do
  cp "$work/camera.exv" "${photo%.jpg}.exv"
  cp "$work/camera.icc" "${photo%.jpg}.icc"
  exiv2 -q -ia "$photo" && exiv2 -q -iC "$photo"
  rm -f "${photo%.jpg}.exv" "${photo%.jpg}.icc"
done

run() {
  "$tool" --jobs 1 --quality 80 --text "© Stampora" --size 72 --image "$work/logo.png" \
    --image-align left-top "$1" "$work/out"
}
bare=$(best_of run "$work/bare")
tagged=$(best_of run "$work/tagged")
run "$work/tagged" >/dev/null
kept=$(exiv2 -q -pa "$work/out/photo0.jpg" 2>/dev/null | grep -c . || true)
echo "$files photographs; best of $repeat; $kept metadata items in the first copy"
printf '%-34s %6.2f s\n' "bare sources" "$bare" "sources with camera metadata" "$tagged"
echo "keeping metadata costs $(awk -v a="$tagged" -v b="$bare" 'BEGIN { printf "%+.1f %%", 100 * (a / b - 1) }')"
