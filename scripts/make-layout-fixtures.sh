#!/usr/bin/env bash
# Writes the fixtures for the storage layouts other tools write and for the
# files the readers must refuse or read only in part:
#   bmp/rle8.bmp          ImageMagick's run-length 8-bit BMP of the rose
#   bmp/rle8-reference.bmp ImageMagick's own reading of rle8.bmp, as 24 bits
#   bmp/rle4.bmp          the same picture in 16 colours as RLE4 (written by
#                         bmp-rle4.py, since ImageMagick writes no RLE4)
#   bmp/rle-reference.bmp the 16-colour rose, uncompressed, 8 bits
#   bmp/v5-alpha-mask-0.bmp ImageMagick's 32-bit V5 bitmap with its alpha mask
#                         and alpha bytes set to 0 (bmp-alpha-mask-0.py)
#   tiff/tiled-16.tif, tiled-48.tif, stripped.tif  the rose at 100 x 70
#   tiff/orientation-3-stripped.tif, orientation-3-tiled.tif  the rose turned
#                         half way, with orientation 3 to turn it back
#   png/orientation-3.png the rose turned half way, with an eXIf orientation 3
#   corrupt/*             cut and hostile files (see corrupt/README)
set -euo pipefail
cd "$(dirname "$0")/.."
out=tests/fixtures
im=/usr/bin/convert
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p $out/bmp $out/tiff $out/corrupt

rose="$work/rose.png"
$im rose: -resize '100x70!' -strip "$rose"

$im "$rose" -colors 200 -compress RLE BMP3:$out/bmp/rle8.bmp
$im $out/bmp/rle8.bmp -type TrueColor BMP3:$out/bmp/rle8-reference.bmp
$im "$rose" -colors 16 -type Palette -compress None BMP3:$out/bmp/rle-reference.bmp
python3 scripts/fixtures/bmp-rle4.py $out/bmp/rle-reference.bmp $out/bmp/rle4.bmp
$im "$rose" -alpha set -channel A -evaluate set 100% +channel -define bmp:format=bmp4 BMP:"$work/v5.bmp"
python3 scripts/fixtures/bmp-alpha-mask-0.py "$work/v5.bmp" $out/bmp/v5-alpha-mask-0.bmp

$im "$rose" -type TrueColor -compress lzw $out/tiff/stripped.tif
$im "$rose" -type TrueColor -compress lzw -define tiff:tile-geometry=16x16 $out/tiff/tiled-16.tif
$im "$rose" -type TrueColor -compress lzw -define tiff:tile-geometry=48x48 $out/tiff/tiled-48.tif
$im "$rose" -rotate 180 -type TrueColor -compress lzw -orient BottomRight $out/tiff/orientation-3-stripped.tif
$im "$rose" -rotate 180 -type TrueColor -compress lzw -orient BottomRight -define tiff:tile-geometry=32x32 \
  $out/tiff/orientation-3-tiled.tif

mkdir -p $out/png
$im "$rose" -rotate 180 -strip PNG24:"$work/turned.png"
python3 scripts/fixtures/png-exif-orientation.py "$work/turned.png" $out/png/orientation-3.png 3

# Cut files: each keeps its first lines.
$im "$rose" -compress None BMP3:"$work/whole.bmp"
head -c $((54 + 300 * 30 + 100)) "$work/whole.bmp" > $out/corrupt/bmp-cut-after-30-lines.bmp
$im "$rose" -type TrueColor -define png:compression-level=0 PNG24:"$work/whole.png"
head -c 6000 "$work/whole.png" > $out/corrupt/png-cut-short.png
$im "$rose" -quality 90 "$work/whole.jpg"
head -c 2500 "$work/whole.jpg" > $out/corrupt/jpeg-cut-short.jpg
$im "$rose" -compress None "$work/whole.tga"
head -c $((18 + 300 * 20 + 50)) "$work/whole.tga" > $out/corrupt/tga-cut-after-20-lines.tga
python3 scripts/fixtures/tiff-directory-first.py $out/corrupt/tiff-cut-after-25-lines.tif 100 70 \
  $((8 + 126 + 6 + 8 * 70 + 300 * 25 + 40))
$im "$rose" "$work/whole.gif"
head -c 3000 "$work/whole.gif" > $out/corrupt/gif-cut-short.gif
# The files our fuzzers and a hostile tester found: tiny files claiming huge pictures.
cp ../shared/fuzz-findings/png-128-bytes-claims-16384x16384.png $out/corrupt/
cp ../shared/fuzz-findings/png-73-bytes-claims-1x150994960.png $out/corrupt/
cp ../shared/fuzz-findings/tiff-438-bytes-claims-65535x3585.tif $out/corrupt/
ls -l $out/bmp $out/tiff $out/corrupt
