#!/usr/bin/env bash
# Makes the pictures whose metadata the batch tool must carry over to the
# watermarked copies: a camera-like JPEG (ImageMagick with an Adobe RGB
# profile, then EXIF, GPS, XMP, IPTC and a comment set by the exiv2 tool),
# and a 300-dpi TIFF. Needs imagemagick, exiv2 and Ghostscript's ICC profiles.
set -euo pipefail
cd "$(dirname "$0")/../tests/fixtures"
convert -size 120x80 -seed 3 plasma:fractal -quality 90 \
  -profile /usr/share/color/icc/ghostscript/a98.icc jpeg/camera.jpg
exiv2 -M"set Exif.Image.Make Stampora Camera Works" -M"set Exif.Image.Model SC-1" \
  -M"set Exif.Photo.DateTimeOriginal 2026:06:01 12:34:56" -M"set Exif.Image.Orientation 6" \
  -M"set Exif.Photo.PixelXDimension 120" -M"set Exif.Photo.PixelYDimension 80" \
  -M"set Exif.GPSInfo.GPSLatitudeRef N" -M"set Exif.GPSInfo.GPSLatitude 48/1 51/1 2400/100" \
  -M"set Xmp.dc.creator Ann Example" -M"set Iptc.Application2.Caption A test picture" \
  -M"set Exif.Image.XResolution 240/1" -M"set Exif.Image.YResolution 240/1" -M"set Exif.Image.ResolutionUnit 2" \
  -c "Shot for the tests" jpeg/camera.jpg
convert -size 60x40 -seed 4 plasma:fractal -density 300 -units PixelsPerInch tiff/dpi300.tif
