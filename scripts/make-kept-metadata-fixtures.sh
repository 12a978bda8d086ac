#!/usr/bin/env bash
# Makes the pictures whose every kind of metadata a watermarked copy in their
# own format must keep: an RGB PNG and a TIFF with an Adobe RGB profile,
# EXIF, XMP and a resolution (the PNG also text chunks and a gamma of 1.0),
# and a GIF with a comment. The pixels come from ImageMagick, the metadata
# from exiftool. Needs imagemagick, libimage-exiftool-perl and Ghostscript's
# ICC profiles.
set -euo pipefail
cd "$(dirname "$0")/../tests/fixtures"
profile=/usr/share/color/icc/ghostscript/a98.icc
common=(-q -overwrite_original "-ICC_Profile<=$profile" -EXIF:Make="Stampora Camera Works"
  -EXIF:Model=SC-1 -XMP-dc:Creator="Ann Example" -XMP-dc:Rights="(c) 2026 Ann Example")

convert -size 48x32 -seed 5 plasma:fractal -depth 8 -define png:color-type=2 \
  -define png:exclude-chunks=all png/kept-metadata.png
exiftool "${common[@]}" -PNG:Copyright="(c) 2026 Ann Example" -PNG:Author="Ann Example" \
  -PNG:Description="A test picture" -PNG:Gamma=1.0 -PNG:PixelsPerUnitX=11811 \
  -PNG:PixelsPerUnitY=11811 -PNG:PixelUnits=meters png/kept-metadata.png

convert -size 48x32 -seed 5 plasma:fractal -depth 8 -compress zip tiff/kept-metadata.tif
exiftool "${common[@]}" -IFD0:XResolution=300 -IFD0:YResolution=300 -IFD0:ResolutionUnit=inches \
  tiff/kept-metadata.tif

convert -size 32x24 -seed 5 plasma:fractal -colors 16 gif/comment.gif
exiftool -q -overwrite_original -Comment="Drawn for the tests" gif/comment.gif
