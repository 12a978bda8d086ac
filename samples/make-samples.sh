#!/usr/bin/env bash
# Makes the sample pictures used by scripts/demo.sh: small photograph-like
# scenes (sky, sun, hills with fractal texture) in several sizes and formats,
# and a logo with transparency for the image watermark. Needs ImageMagick.
#   bash samples/make-samples.sh
set -euo pipefail
cd "$(dirname "$0")"
mkdir -p pictures

# The outline of rolling hills: a polygon along two summed sine waves.
hill_outline() {
  local w=$1 h=$2 seed=$3
  awk -v w="$w" -v h="$h" -v s="$seed" 'BEGIN {
    printf "polygon 0,%d", h
    for (x = 0; x <= w; x += 4) {
      y = h * 0.52 + h * 0.06 * sin(x / w * 6.28 * 1.3 + s) + h * 0.03 * sin(x / w * 6.28 * 3.7 + s * 2)
      printf " %d,%d", x, y
    }
    printf " %d,%d", w, h
  }'
}

# scene NAME WIDTH HEIGHT SEED SKY_TOP SKY_BOTTOM LAND_DARK LAND_LIGHT SUN_X SUN_Y [OUTPUT OPTION...]
scene() {
  local name=$1 w=$2 h=$3 seed=$4 top=$5 bottom=$6 dark=$7 light=$8 sx=$9 sy=${10}
  shift 10
  local r=$((w / 16))
  convert -size "${w}x${h}" "gradient:${top}-${bottom}" \
    -fill '#fff6d8' -draw "circle ${sx},${sy} $((sx + r)),${sy}" -blur 0x1.5 \
    \( -size "${w}x${h}" -seed "$seed" plasma:grey40-grey60 -colorspace gray -blur 0x1 \
       -auto-level +level-colors "${dark},${light}" \) \
    \( -size "${w}x${h}" xc:black -fill white -draw "$(hill_outline "$w" "$h" "$seed")" -blur 0x0.8 \) \
    -composite -attenuate 0.25 +noise Gaussian -alpha off -depth 8 -strip "$@" "pictures/${name}"
}

scene harbour.jpg   800 533 11 '#5b8fc7' '#f3d9b1' '#2d4a2a' '#8fa86a' 620 120
scene meadow.jpg    640 480 23 '#7fb2e5' '#e8f1f7' '#3d6b21' '#b5cc63' 120 90
scene portrait.jpg  360 540 37 '#41507a' '#f0a870' '#3b2f2a' '#9c7a55' 250 190
scene evening.png   240 160 41 '#2b2f63' '#e58a5a' '#1e2a1e' '#55704a' 80 70
scene dunes.bmp     128 96  53 '#8ec5ec' '#fbefd6' '#a8773d' '#e8c07a' 120 30
scene forest.tga    128 96  67 '#9cc3d9' '#eef3e8' '#16361a' '#4f7f3a' 30 25 -orient TopLeft -compress RLE
scene lake.gif      240 160 71 '#6d9bd1' '#dfeaf2' '#24452e' '#7e9d6b' 190 40

# JPEG quality keeps the set at a few hundred KB. The TGA is written with an
# explicit top-left origin: without it ImageMagick 6 stores the top line first
# while declaring the bottom line first, and other readers show it upside down.
mogrify -quality 80 pictures/*.jpg

# The logo: white lettering on a translucent dark rounded plate.
convert -size 180x64 xc:none -fill '#10306090' -draw 'roundrectangle 0,0 179,63 14,14' \
  -fill white -font DejaVu-Sans-Bold -pointsize 30 -gravity center -annotate +0+0 'Stampora' \
  -depth 8 -strip PNG32:logo.png

du -ch pictures/* logo.png | tail -1
