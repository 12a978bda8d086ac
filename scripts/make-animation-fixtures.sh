#!/usr/bin/env bash
# Makes the animated GIF that stampora-batch must keep animated: 5 frames of
# 96 x 64 with delays of 10 to 50 hundredths, shown 3 times in all (the file
# stores 2 more), a transparent corner, and ImageMagick's frame optimisation
# (frames that cover only what changed, with their own disposal).
set -euo pipefail
cd "$(dirname "$0")/../tests/fixtures/gif"
frames=()
for i in 0 1 2 3 4; do
  x=$((8 + 14 * i))
  frames+=(\( -size 96x64 -delay $((10 * (i + 1))) -seed 3 plasma:fractal
              -fill "rgb($((50 * i)),40,200)" -draw "rectangle $x,20 $((x + 20)),44"
              -alpha set -region 16x16+0+0 -alpha transparent +region \))
done
convert "${frames[@]}" -loop 3 -layers Optimize animated-5.gif

# Every disposal on one screen: a clear first frame, a sky-blue one, a red
# square left in place, a green one restored to the previous screen, a yellow one cleared to
# the background, then a blue one.
convert -size 120x90 xc:none -page +0+0 \( -size 120x90 xc:skyblue \) -dispose none -delay 10 \
  \( -size 30x30 xc:red -repage +10+10 \) -dispose previous -delay 10 \
  \( -size 30x30 xc:green -repage +40+20 \) -dispose background -delay 12 \
  \( -size 40x20 xc:yellow -repage +70+50 \) -dispose none \
  \( -size 20x20 xc:blue -repage +5+60 \) -loop 0 disposals.gif

# Small squares far apart on a white 400 x 300 screen, each put back to the
# screen before it (sprites.gif) or cleared to transparency (holes.gif).
squares=()
for i in 0 1 2 3 4; do
  squares+=(\( -size 16x16 "xc:rgb($((60 * i)),90,200)" -repage "+$((20 + 85 * i))+$((250 - 55 * i))" \))
done
convert -size 400x300 xc:white -dispose previous -delay 10 "${squares[@]}" -loop 0 sprites.gif
convert -size 400x300 xc:white -dispose background -delay 10 "${squares[@]}" -loop 0 holes.gif

# A TIFF of three pages of different sizes, each with its own tags: a
# description on the first, a page name on the second, 150 dpi on all.
cd ../tiff
convert \( -size 200x120 xc:skyblue -set comment "first page" \) \
  \( -size 160x100 -seed 3 plasma:fractal -set label "second page" \) \
  \( -size 90x90 xc:blue \) -depth 8 -units PixelsPerInch -density 150 -compress lzw three-pages.tif
[ "$(tiffinfo three-pages.tif 2>&1 | grep -c 'TIFF Directory')" = 3 ]
