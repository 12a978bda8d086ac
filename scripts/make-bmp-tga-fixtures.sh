#!/usr/bin/env bash
# Writes the BMP and TGA test fixtures with ImageMagick, so the codecs are
# tested against files another tool wrote. The pictures are small and their
# colours follow simple formulas that the tests recompute:
#   gradient  7 x 5:  red 40x, green 60y, blue 20(x + y); alpha 255 - 30x - 10y
#   sixteen   7 x 5:  red 80(x mod 4), green 80(y mod 4), blue 40
#   two       9 x 3:  white where x + y is odd, otherwise (0, 0, 128)
#   scripts/make-bmp-tga-fixtures.sh [OUTPUT_FOLDER]   (default tests/fixtures)
set -euo pipefail
cd "$(dirname "$0")/.."

out="${1:-tests/fixtures}"
im=/usr/bin/convert
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$out/bmp" "$out/tga"

# Plain-text PPM and PGM sources, one pixel a line.
{
  echo P3; echo 7 5; echo 255
  for y in 0 1 2 3 4; do for x in 0 1 2 3 4 5 6; do
    echo "$((x * 40)) $((y * 60)) $(((x + y) * 20))"
  done; done
} >"$work/gradient.ppm"
{
  echo P2; echo 7 5; echo 255
  for y in 0 1 2 3 4; do for x in 0 1 2 3 4 5 6; do
    echo "$((255 - x * 30 - y * 10))"
  done; done
} >"$work/alpha.pgm"
{
  echo P3; echo 7 5; echo 255
  for y in 0 1 2 3 4; do for x in 0 1 2 3 4 5 6; do
    echo "$(((x % 4) * 80)) $(((y % 4) * 80)) 40"
  done; done
} >"$work/sixteen.ppm"
{
  echo P3; echo 9 3; echo 255
  for y in 0 1 2; do for x in 0 1 2 3 4 5 6 7 8; do
    if [ $(((x + y) % 2)) = 1 ]; then echo "255 255 255"; else echo "0 0 128"; fi
  done; done
} >"$work/two.ppm"
"$im" "$work/gradient.ppm" "$work/alpha.pgm" -alpha off -compose CopyOpacity -composite "$work/gradient-alpha.png"

g="$work/gradient.ppm"
ga="$work/gradient-alpha.png"

# BMP: BMP3: gives the 40-byte info header; the plain BMP writer gives the
# 124-byte header with bit-field masks.
"$im" "$work/two.ppm" -type Palette -compress None BMP3:"$out/bmp/pal1.bmp"
"$im" "$work/sixteen.ppm" -type Palette -compress None BMP3:"$out/bmp/pal4.bmp"
"$im" "$g" -type Palette -compress None BMP3:"$out/bmp/pal8.bmp"
"$im" "$g" -define bmp:subtype=RGB565 "$out/bmp/rgb565.bmp"
"$im" "$g" -type TrueColor -compress None BMP3:"$out/bmp/rgb24.bmp"
"$im" "$ga" -define bmp3:alpha=true BMP3:"$out/bmp/rgba32.bmp"
"$im" "$ga" "$out/bmp/rgba32-v5.bmp"

# TGA: ImageMagick stores the lines in the order it holds them and only marks
# the top-first order (descriptor 0x20) for -orient TopLeft; otherwise the
# descriptor says bottom line first, so the picture is flipped before writing
# to make the file mean the source picture. -depth 5 gives 16 bits.
"$im" "$g" -flip -compress None "$out/tga/rgb24.tga"
"$im" "$g" -orient TopLeft -compress None "$out/tga/rgb24-top.tga"
"$im" "$g" -flip -compress RLE "$out/tga/rgb24-rle.tga"
"$im" "$ga" -flip -compress None "$out/tga/rgba32.tga"
"$im" "$ga" -flip -compress RLE "$out/tga/rgba32-rle.tga"
"$im" "$ga" -orient TopLeft -compress RLE "$out/tga/rgba32-rle-top.tga"
"$im" "$g" -flip -depth 5 -compress None "$out/tga/rgb16.tga"
"$im" "$g" -flip -depth 5 -compress RLE "$out/tga/rgb16-rle.tga"
"$im" "$g" -flip -type Palette -compress None "$out/tga/map8.tga"
"$im" "$g" -flip -type Palette -compress RLE "$out/tga/map8-rle.tga"
"$im" "$g" -flip -colorspace Gray -compress None "$out/tga/grey8.tga"
"$im" "$g" -flip -colorspace Gray -compress RLE "$out/tga/grey8-rle.tga"

# The 12-byte OS/2 core header, from ImageMagick and from netpbm; 5-5-5 colour
# maps.
"$im" "$g" -type Palette BMP2:"$out/bmp/core-pal8.bmp"
"$im" "$g" -type TrueColor BMP2:"$out/bmp/core-rgb24.bmp"
ppmtobmp -os2 -bpp 4 "$work/sixteen.ppm" >"$out/bmp/core-pal4.bmp"
"$im" "$g" -flip -type Palette -depth 5 -compress None "$out/tga/map16.tga"
"$im" "$g" -flip -type Palette -depth 5 -compress RLE "$out/tga/map16-rle.tga"

# Variants no tool here writes, laid out by hand: top-down and OS/2 2.x
# bitmaps, grey-and-alpha TGA files, TGA lines stored right to left.
python3 scripts/make-bmp-tga-variants.py "$work" "$out"

# ImageMagick reads the hand-made files back as the sources they came from
# (it notes a TGA file's line order instead of applying it, hence
# -auto-orient). It does not read OS/2 2.x headers (it takes their 4-byte
# palette entries for 3-byte ones) or grey with alpha in a TGA file, so those
# files rest on the layout written here.
check() {
  local diff
  if [ "${2##*.}" = tga ]; then "$im" "$2" -auto-orient "$work/check.png"; else "$im" "$2" "$work/check.png"; fi
  diff="$(compare -metric AE "$1" "$work/check.png" null: 2>&1 || true)"
  [ "$diff" = 0 ] || echo "warning: ImageMagick reads $2 with $diff pixels unlike $1" >&2
}
for f in pal1 pal4 pal8 rgb24 rgba32; do check "$out/bmp/$f.bmp" "$out/bmp/$f-top.bmp"; done
check "$g" "$out/tga/rgb24-right.tga"
check "$ga" "$out/tga/rgba32-rle-right-top.tga"

# What ImageMagick really wrote: TGA image type, depth and descriptor; BMP
# header size, depth and compression.
for f in "$out"/tga/*.tga; do
  printf '%-28s type %2d  depth %2d  descriptor 0x%02x\n' "$(basename "$f")" \
    "$(od -An -tu1 -j2 -N1 "$f")" "$(od -An -tu1 -j16 -N1 "$f")" "$(od -An -tu1 -j17 -N1 "$f")"
done
for f in "$out"/bmp/*.bmp; do
  size="$(od -An -tu4 -j14 -N4 "$f")"
  if [ "$size" -eq 12 ]; then
    printf '%-28s header  12  depth %2d  (core)\n' "$(basename "$f")" "$(od -An -tu2 -j24 -N2 "$f")"
  elif [ "$size" -lt 20 ]; then
    printf '%-28s header %3d  depth %2d\n' "$(basename "$f")" "$size" "$(od -An -tu2 -j28 -N2 "$f")"
  else
    printf '%-28s header %3d  depth %2d  compression %d\n' "$(basename "$f")" \
      "$size" "$(od -An -tu2 -j28 -N2 "$f")" "$(od -An -tu4 -j30 -N4 "$f")"
  fi
done
