#!/usr/bin/env bash
# Makes whole pictures altered as a disk or a transfer leaves them, for the
# readers' damage notes:
#   corrupt/jpeg-altered-mid-stream.jpg      200 bytes of the entropy data replaced
#   corrupt/png-altered-mid-stream.png       200 bytes of the image data replaced
#   corrupt/tiff-jpeg-altered-mid-stream.tif the same in a JPEG-coded page
# and pictures whose readers warn about something that leaves the pixels
# as stored (none of them is damaged):
#   corrupt/jpeg-padding-between-segments.jpg  zero bytes between two header segments
#   corrupt/png-text-chunk-bad-checksum.png    a text chunk with a wrong checksum
#   corrupt/tiff-unknown-private-tag.tif       a private tag libtiff does not know
# Needs imagemagick and python3.
set -euo pipefail
cd "$(dirname "$0")/.."
out=tests/fixtures/corrupt
alter="python3 scripts/fixtures/alter-picture.py"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p $out

convert rose: -resize '100x70!' -strip "$work/rose.png"
# At this size the decoder runs out of step and finds bytes left before the
# end marker, as most such files do.
convert rose: -resize '200x140!' -strip -quality 90 "$work/whole.jpg"
convert "$work/rose.png" -define png:compression-level=9 PNG24:"$work/whole.png"
convert "$work/rose.png" -compress JPEG -quality 90 "$work/whole.tif"
$alter jpeg-data "$work/whole.jpg" $out/jpeg-altered-mid-stream.jpg
$alter png-data "$work/whole.png" $out/png-altered-mid-stream.png
$alter tiff-strip "$work/whole.tif" $out/tiff-jpeg-altered-mid-stream.tif
$alter jpeg-padding "$work/whole.jpg" $out/jpeg-padding-between-segments.jpg
$alter png-text-crc "$work/whole.png" $out/png-text-chunk-bad-checksum.png
$alter tiff-private-tag $out/tiff-unknown-private-tag.tif
ls -l $out
