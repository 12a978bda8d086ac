#!/usr/bin/env bash
# Makes the WebP, HEIF/HEIC, AVIF and JPEG XL fixtures with the reference
# encoders (cwebp, img2webp, heif-enc, avifenc, cjxl), and beside each the
# reference decoder's picture as PNG (dwebp, heif-convert, avifdec, djxl),
# which the reader must match within 1 in mean absolute difference.
set -euo pipefail
scripts=$(cd "$(dirname "$0")" && pwd)
cd "$scripts/../tests/fixtures/newformats"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Sources: a photo-like picture, one with a soft alpha edge, a 16-bit one,
# and a JPEG with camera metadata turned by its EXIF orientation.
convert -size 64x48 -seed 7 plasma:fractal -blur 0x1 -depth 8 "$work/photo.png"
convert "$work/photo.png" \( -size 64x48 gradient:white-black \) -alpha off -compose copy_opacity \
  -composite -depth 8 "$work/alpha.png"
convert -size 40x30 gradient:navy-orange -depth 16 deep-16bit.png
convert "$work/photo.png" -quality 92 camera.jpg
exiftool -q -overwrite_original -Make=Stampora -Model=Fixture -DateTimeOriginal="2024:05:06 07:08:09" \
  -XMP-dc:Title="Fixture" camera.jpg

# WebP: lossy, lossless with alpha, and an animation of 5 frames.
cwebp -quiet -q 80 "$work/photo.png" -o photo-q80.webp
cwebp -quiet -lossless -exact "$work/alpha.png" -o alpha-lossless.webp
cwebp -quiet -q 80 -metadata all camera.jpg -o camera.webp
for i in 0 1 2 3 4; do
  convert "$work/photo.png" -fill "rgb($((50 * i)),40,200)" -draw "rectangle $((4 + 10 * i)),10 $((16 + 10 * i)),30" \
    -depth 8 "$work/frame$i.png"
done
img2webp -loop 2 -lossy -q 80 -d 100 "$work/frame0.png" -d 200 "$work/frame1.png" -d 300 "$work/frame2.png" \
  -d 400 "$work/frame3.png" -d 500 "$work/frame4.png" -o animated-5.webp
for f in photo-q80 alpha-lossless; do dwebp -quiet "$f.webp" -o "$f.webp.png"; done

# HEIC and AVIF: lossy, alpha, 10 bits, and pictures turned by irot/imir.
heif-enc -q 80 "$work/photo.png" -o photo-q80.heic
heif-enc -q 80 "$work/alpha.png" -o alpha-q80.avif
avifenc -j 1 -d 10 -s 8 --min 10 --max 20 deep-16bit.png deep-10bit.avif >/dev/null
avifenc -j 1 -s 8 --min 10 --max 20 --irot 1 --imir 1 "$work/photo.png" turned.avif >/dev/null
heif-enc -q 80 camera.jpg -o camera.heic
# libheif writes a picture of odd size as a grid cropped to that size.
convert -size 63x47 -seed 9 plasma:fractal -depth 8 "$work/odd.png"
heif-enc -q 80 "$work/odd.png" -o grid-odd.heic
avifenc -j 1 -s 8 --min 10 --max 20 camera.jpg camera.avif >/dev/null
# A HEIC turned by irot and imir, written by libheif's own encoder.
cc "$scripts/fixtures/heic-turned.c" -o "$work/heic-turned" $(pkg-config --cflags --libs libheif)
"$work/heic-turned" turned.heic 5
# avifdec leaves irot and imir to the viewer, so heif-convert shows the
# turned AVIF; each other file is decoded by its own encoder's companion.
for f in photo-q80.heic camera.heic grid-odd.heic turned.heic alpha-q80.avif turned.avif; do
  heif-convert -q 100 "$f" "$f.png" >/dev/null
done
avifdec -d 8 deep-10bit.avif deep-10bit.avif.png >/dev/null

# JPEG XL: lossy, lossless with alpha, and the camera JPEG.
cjxl -q 80 "$work/photo.png" photo-q80.jxl --quiet
cjxl -d 0 "$work/alpha.png" alpha-lossless.jxl --quiet
# The camera JPEG transcoded losslessly, with its metadata in compressed boxes.
cjxl --lossless_jpeg=1 camera.jpg camera.jxl --quiet
for f in photo-q80 alpha-lossless camera; do djxl "$f.jxl" "$f.jxl.png" --quiet; done
