#!/usr/bin/env bash
# Makes a JPEG and a TIFF that carry coordinates in every place a camera or a
# photo library puts them: the EXIF GPS directory, XMP exif:GPS* and the IPTC
# Extension's LocationCreated and LocationShown GPS fields, next to a city
# name and a creator that --strip-gps keeps. Needs imagemagick and exiftool.
set -euo pipefail
cd "$(dirname "$0")/../tests/fixtures"
convert -size 64x48 -seed 5 plasma:fractal -quality 90 jpeg/xmp-location.jpg
convert -size 40x30 -seed 6 plasma:fractal tiff/xmp-location.tif
for f in jpeg/xmp-location.jpg tiff/xmp-location.tif; do
  exiftool -q -overwrite_original \
    -EXIF:GPSLatitude=48.8566 -EXIF:GPSLatitudeRef=N -EXIF:GPSLongitude=2.3522 -EXIF:GPSLongitudeRef=E \
    -XMP-exif:GPSLatitude=40.1 -XMP-exif:GPSLongitude=-73.9 -XMP-exif:GPSAltitude=12 \
    -XMP-iptcExt:LocationCreatedGPSLatitude=48.8566 -XMP-iptcExt:LocationCreatedGPSLongitude=2.3522 \
    -XMP-iptcExt:LocationCreatedGPSAltitude=35 -XMP-iptcExt:LocationCreatedCity=Paris \
    -XMP-iptcExt:LocationShownGPSLatitude=-33.8568 -XMP-iptcExt:LocationShownGPSLongitude=151.2153 \
    -XMP-iptcExt:LocationShownGPSAltitude=5 -XMP-iptcExt:LocationShownCity=Sydney \
    -XMP-dc:Creator="Ann Example" "$f"
done
