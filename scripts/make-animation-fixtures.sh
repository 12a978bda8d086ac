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
