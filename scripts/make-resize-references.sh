#!/usr/bin/env bash
# Makes the resampler's test pictures and the reference results it is compared
# with, using ImageMagick (convert). Run from anywhere; writes into
# tests/fixtures/resize/. The outputs are committed; rerun only to renew them.
#
# The picture: a 300 x 200 photograph-like synthetic scene (smooth gradients,
# fine noise, hard-edged shapes and thin strokes), and a 60 x 40 cut of it for
# enlarging. All 24-bit BMP.
#
# The references: our resampler treats the picture's edge as repeated beyond
# its border and maps destination pixel centres (i + 0.5) * source / dest.
# ImageMagick's -resize uses the same centre mapping and a Catmull-Rom kernel
# widened by the reduction factor, but cuts the kernel at the border. So the
# picture is first padded by P pixels of repeated edge, the padded picture is
# resized by exactly the same factor, and the C pixels that the padding became
# are cropped off again: P and C are chosen with C / P = dest / source, and P
# at least the kernel's reach (2 x the reduction factor).
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
out="$here/tests/fixtures/resize"
mkdir -p "$out"
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT

# --- the picture --------------------------------------------------------------
convert -size 300x200 gradient:'#1a3c78'-'#e8c07a' -rotate 0 "$tmp/sky.png"
convert -size 300x200 radial-gradient:'#fff2c0'-'#00000000' "$tmp/sun.png"
convert -size 300x200 xc:gray50 -seed 7 +noise Gaussian -blur 0x0.6 \
        -channel RGB -evaluate subtract 50% -evaluate multiply 0.35 +channel "$tmp/noise.png"
convert "$tmp/sky.png" "$tmp/sun.png" -compose screen -composite \
        "$tmp/noise.png" -compose linear-dodge -composite \
        -fill '#203018' -draw 'polygon 0,200 0,150 60,120 110,140 170,105 230,135 300,118 300,200' \
        -fill '#c83020' -draw 'rectangle 30,30 80,75' \
        -fill '#f0f0f0' -draw 'circle 220,60 220,85' \
        -stroke black -strokewidth 1 -draw 'line 10,10 290,190' \
        -stroke '#ffff00' -strokewidth 2 -draw 'line 10,190 150,20' \
        -stroke none -fill white -font DejaVu-Sans-Bold -pointsize 22 -draw "text 120,180 'Stampora 1.2'" \
        -fill black -font DejaVu-Sans -pointsize 11 -draw "text 20,110 'thin strokes and letters'" \
        -alpha off -type TrueColor "BMP3:$out/photo-300x200.bmp"
convert "$out/photo-300x200.bmp" -crop 60x40+150+150 +repage -type TrueColor "BMP3:$out/photo-60x40.bmp"

# --- the references -------------------------------------------------------------
# reference INPUT W H PX PY CX CY NAME: pad by PX, PY; resize the padded picture
# to (W + 2 CX) x (H + 2 CY); crop CX, CY away.
reference() {
    local input="$1" w="$2" h="$3" px="$4" py="$5" cx="$6" cy="$7" name="$8"
    local iw ih
    read -r iw ih < <(identify -format '%w %h\n' "$input")
    convert "$input" -virtual-pixel edge \
            -set option:distort:viewport "$((iw + 2 * px))x$((ih + 2 * py))-${px}-${py}" \
            -filter point -distort SRT 0 +repage \
            -filter Catrom -resize "$((w + 2 * cx))x$((h + 2 * cy))!" \
            -crop "${w}x${h}+${cx}+${cy}" +repage \
            -type TrueColor "BMP3:$out/$name"
}

reference "$out/photo-300x200.bmp" 150 100 10 10 5 5 catrom-150x100.bmp
# 200 -> 67 lines is not a whole factor: padding 200 lines becomes 67.
reference "$out/photo-300x200.bmp" 100 67 12 200 4 67 catrom-100x67.bmp
reference "$out/photo-300x200.bmp" 30 20 20 20 2 2 catrom-30x20.bmp
reference "$out/photo-60x40.bmp" 180 120 10 10 30 30 catrom-180x120.bmp
ls -l "$out"
