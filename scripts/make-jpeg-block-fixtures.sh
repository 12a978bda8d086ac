#!/usr/bin/env bash
# Makes the JPEG fixtures of tests/codecs/JpegBlocks_test.cpp with cjpeg
# (libjpeg-turbo-progs), ImageMagick and python3: one small detailed picture,
# 141 x 93 (not a multiple of 16), at several qualities and samplings,
# progressive, with restart markers, arithmetic-coded, and stored turned
# with its EXIF orientation.
set -euo pipefail
out="$(cd "$(dirname "$0")/.." && pwd)/tests/fixtures/jpeg-blocks"
mkdir -p "$out"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
im=convert

$im -size 141x93 -seed 5 plasma:red-blue -blur 0x0.5 "$work/picture.ppm"
cjpeg -quality 92 -sample 1x1 -optimize "$work/picture.ppm" > "$out/q92-444.jpg"
cjpeg -quality 75 -sample 2x1 -optimize "$work/picture.ppm" > "$out/q75-422.jpg"
cjpeg -quality 50 -sample 2x2 "$work/picture.ppm" > "$out/q50-420.jpg"
cjpeg -quality 85 -sample 2x2 -progressive "$work/picture.ppm" > "$out/progressive-420.jpg"
cjpeg -quality 80 -sample 2x2 -restart 3B -optimize "$work/picture.ppm" > "$out/restart-420.jpg"
cjpeg -quality 80 -arithmetic "$work/picture.ppm" > "$out/arithmetic.jpg"
# Stored turned or mirrored, with the EXIF orientation that turns it back
# upright (an APP1 block holding only that item, put after SOI), and a
# comment that must be kept.
declare -A undo=([1]="" [2]="-flop" [3]="-rotate 180" [4]="-flip" [5]="-transpose" [6]="-rotate 270" [7]="-transverse" [8]="-rotate 90")
for n in 1 2 3 4 5 6 7 8; do
  # shellcheck disable=SC2086
  $im "$work/picture.ppm" ${undo[$n]} "$work/turned.ppm"
  cjpeg -quality 88 -sample 2x2 -optimize "$work/turned.ppm" | wrjpgcom -comment "kept" >"$work/turned.jpg"
  python3 - "$work/turned.jpg" "$out/orientation-$n.jpg" "$n" <<'PY'
import struct, sys
tiff = b"II*\0" + struct.pack("<IHHHIHHI", 8, 1, 0x0112, 3, 1, int(sys.argv[3]), 0, 0)
body = b"Exif\0\0" + tiff
data = open(sys.argv[1], "rb").read()
app1 = b"\xff\xe1" + struct.pack(">H", len(body) + 2) + body
open(sys.argv[2], "wb").write(data[:2] + app1 + data[2:])
PY
done
# Metadata that goes stale once the picture is marked: an EXIF thumbnail
# (exiv2 -it takes thumbnail-thumb.jpg) and a multi-picture index (an APP2
# "MPF" segment, put after the EXIF) pointing past the end of the picture.
cjpeg -quality 80 -optimize "$work/picture.ppm" > "$work/thumbnail.jpg"
$im "$work/picture.ppm" -resize 40x27 ppm:- | cjpeg -quality 70 > "$work/thumbnail-thumb.jpg"
exiv2 -M"set Exif.Image.Make Stampora Camera Works" "$work/thumbnail.jpg"
exiv2 -it "$work/thumbnail.jpg"
python3 - "$work/thumbnail.jpg" "$out/thumbnail.jpg" <<'PY'
import struct, sys
data = open(sys.argv[1], "rb").read()
at = 2
while data[at + 1] in (0xE0, 0xE1):
    at += 2 + struct.unpack(">H", data[at + 2:at + 4])[0]
# MP header: byte order, first IFD at 8, one entry (MP version "0100").
body = b"MPF\0" + b"II*\0" + struct.pack("<IHHHI4sI", 8, 1, 0xB000, 7, 4, b"0100", 0)
app2 = b"\xff\xe2" + struct.pack(">H", len(body) + 2) + body
open(sys.argv[2], "wb").write(data[:at] + app2 + data[at:])
PY
