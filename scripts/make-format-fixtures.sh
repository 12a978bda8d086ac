#!/usr/bin/env bash
# Makes the JPEG, PNG, GIF, TIFF and ICO test pictures under tests/fixtures/
# with other tools (ImageMagick, libjpeg-turbo's cjpeg, libtiff's tiffcp,
# exiv2 and icoutils' icotool), so the readers are checked against files they
# did not write. Needs: imagemagick libjpeg-turbo-progs libtiff-tools exiv2 icoutils.
#
# The base picture is 32 x 16 in four 16 x 8 quadrants: red top left, green
# (lime) top right, blue bottom left, white bottom right.
set -euo pipefail
cd "$(dirname "$0")/.."
im=/usr/bin/convert
out=tests/fixtures
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

quad="$work/quad.png"
$im -size 32x16 xc:white -fill red -draw "rectangle 0,0 15,7" -fill lime -draw "rectangle 16,0 31,7" \
  -fill blue -draw "rectangle 0,8 15,15" "$quad"
# 16 x 16: red left half, transparent right half.
halfred="$work/halfred.png"
$im -size 16x16 xc:none -fill red -draw "rectangle 0,0 7,15" "$halfred"
# 256 x 256: a blue disc on transparency.
disc="$work/disc.png"
$im -size 256x256 xc:none -fill blue -draw "circle 128,128 128,40" "$disc"

# JPEG: the quadrants stored turned or mirrored, each with the EXIF
# orientation that turns it back upright; orientation 6 also carries camera
# items.
mkdir -p $out/jpeg
declare -A undo=([1]="" [2]="-flop" [3]="-rotate 180" [4]="-flip" [5]="-transpose" [6]="-rotate 270" [7]="-transverse" [8]="-rotate 90")
for n in 1 2 3 4 5 6 7 8; do
  f=$out/jpeg/orientation-$n.jpg
  # shellcheck disable=SC2086
  $im "$quad" ${undo[$n]} -quality 95 -sampling-factor 1x1 -strip "$f"
  exiv2 -q -M"set Exif.Image.Orientation Short $n" "$f"
done
exiv2 -q \
  -M"set Exif.Image.Make Ascii TestMake" \
  -M"set Exif.Image.Model Ascii Model 7" \
  -M"set Exif.Photo.DateTimeOriginal Ascii 2024:05:06 07:08:09" \
  -M"set Exif.Photo.ExposureTime Rational 1/125" \
  -M"set Exif.Photo.FNumber Rational 28/10" \
  -M"set Exif.Photo.ISOSpeedRatings Short 200" \
  -M"set Exif.Photo.ExposureBiasValue SRational -1/3" \
  -M"set Exif.Photo.Flash Short 16" \
  -M"set Exif.Photo.MeteringMode Short 5" \
  -M"set Exif.Photo.ExposureProgram Short 2" \
  -M"set Exif.Photo.FocalLength Rational 50/1" \
  $out/jpeg/orientation-6.jpg
$im "$quad" -strip ppm:- | cjpeg -quality 95 -sample 1x1 -progressive > $out/jpeg/progressive.jpg
$im "$quad" -strip -colorspace CMYK -quality 95 -sampling-factor 1x1 $out/jpeg/cmyk.jpg
$im "$quad" -strip -colorspace Gray -quality 95 $out/jpeg/grey.jpg

# PNG: each colour type the reader turns into a different depth.
mkdir -p $out/png
$im "$quad" -strip -define png:bit-depth=4 PNG8:$out/png/palette4.png
$im "$quad" -strip -define png:bit-depth=8 -define png:color-type=3 PNG8:$out/png/palette8.png
$im "$halfred" -strip PNG8:$out/png/palette-trns.png
$im "$quad" -strip -colorspace Gray -define png:color-type=0 -define png:bit-depth=8 $out/png/grey.png
$im "$quad" -strip -threshold 50% -define png:color-type=0 -define png:bit-depth=1 $out/png/bilevel.png
$im "$quad" -strip -define png:color-type=2 PNG24:$out/png/rgb.png
$im "$halfred" -strip PNG32:$out/png/rgba.png
$im "$quad" -strip -depth 16 PNG48:$out/png/rgb16.png
$im "$halfred" -strip -depth 16 PNG64:$out/png/rgba16.png
$im "$quad" -strip -interlace PNG PNG24:$out/png/interlaced.png

# GIF: a still palette picture, a transparent one, and three frames of 16 x 16
# (red 100 ms; green 8 x 8 at (8, 8) for 200 ms, then cleared to the
# background; blue 4 x 4 at (0, 0) for 300 ms).
mkdir -p $out/gif
$im "$quad" -strip $out/gif/still.gif
$im "$halfred" -strip $out/gif/transparent.gif
$im -dispose none -delay 10 -size 16x16 xc:red \
  -dispose background -delay 20 \( -size 8x8 xc:lime -repage 16x16+8+8 \) \
  -dispose none -delay 30 \( -size 4x4 xc:blue -repage 16x16+0+0 \) \
  -loop 0 $out/gif/animation.gif

# TIFF: two pages (the quadrants in RGB, then a red-to-blue gradient from
# top to bottom as a 4-bit palette), 16-bit RGBA, CMYK, tiled, and camera
# items in an RGB page.
mkdir -p $out/tiff
$im "$quad" -strip -type TrueColor -compress lzw "$work/page1.tif"
$im -size 32x16 gradient:red-blue -strip -type Palette -compress lzw "$work/page2.tif"
tiffcp "$work/page1.tif" "$work/page2.tif" $out/tiff/two-pages.tif
$im "$halfred" -strip -depth 16 -compress zip $out/tiff/rgba16.tif
$im "$quad" -strip -colorspace CMYK -compress lzw $out/tiff/cmyk.tif
$im "$quad" -strip -type TrueColor -define tiff:tile-geometry=16x16 $out/tiff/tiled.tif
cp "$work/page1.tif" $out/tiff/camera.tif
exiv2 -q -M"set Exif.Image.Make Ascii TiffMake" -M"set Exif.Image.Model Ascii TiffModel" $out/tiff/camera.tif

# ICO: a 4-bit bitmap icon with its AND mask next to an embedded PNG, and
# ImageMagick's 32-bit bitmap icon with alpha next to an embedded PNG.
mkdir -p $out/ico
icotool -c -o $out/ico/mask-and-png.ico --bit-depth=4 "$halfred" --raw="$disc"
$im "$halfred" "$disc" $out/ico/alpha-and-png.ico

# Sanity check: ImageMagick turns each orientation fixture back upright.
for n in 1 2 3 4 5 6 7 8; do
  size=$($im $out/jpeg/orientation-$n.jpg -auto-orient -format "%wx%h" info:)
  [ "$size" = "32x16" ] || { echo "orientation-$n.jpg comes out $size" >&2; exit 1; }
done
ls -l $out/jpeg $out/png $out/gif $out/tiff $out/ico
