#!/usr/bin/env bash
# Makes the JPEG files whose quality stampora-batch --quality source must
# recognise, written by ImageMagick (libjpeg's reference tables scaled to the
# quality asked for) with different chroma subsampling.
set -euo pipefail
cd "$(dirname "$0")/../tests/fixtures/jpeg"
convert -size 64x48 -seed 7 plasma:fractal -quality 92 -sampling-factor 4:2:0 quality92-420.jpg
convert -size 64x48 -seed 8 plasma:fractal -quality 75 -sampling-factor 4:4:4 quality75-444.jpg
convert -size 64x48 -seed 9 plasma:fractal -colorspace Gray -quality 40 quality40-grey.jpg
