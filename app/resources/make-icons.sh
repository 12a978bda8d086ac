#!/bin/sh
# Draws the editor's images with ImageMagick: the toolbar strip (eight 32 x 32
# images, and the same at 64 x 64: open, save, text mark, image mark, zoom in,
# full size, zoom out, about) and the program icon at 16, 32, 48 and 256 pixels. Each image is
# drawn at 128 x 128 and reduced, which smooths its edges.
# Run from this folder; the PNG files it writes are committed beside it.
set -eu
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

draw() {  # name, then ImageMagick drawing arguments
    name=$1
    shift
    convert -size 128x128 xc:none -strokewidth 4 "$@" "$work/$name.png"
}

magnifier() {  # name, then what goes inside the lens
    name=$1
    shift
    draw "$name" \
        -stroke '#5A4632' -strokewidth 16 -draw 'line 80,80 116,116' \
        -stroke '#2B3A55' -strokewidth 8 -fill '#DDEBFA' -draw 'circle 52,52 52,12' \
        -stroke '#1E5AA8' -strokewidth 12 "$@"
}

draw open \
    -stroke '#8A6414' -fill '#D9A531' -draw 'polygon 8,28 48,28 58,40 112,40 112,108 8,108' \
    -fill '#F7CD5B' -draw 'polygon 26,58 124,58 106,108 8,108'
draw save \
    -stroke '#1C3D6E' -fill '#3B72C4' -draw 'roundrectangle 12,12 116,116 10,10' \
    -stroke none -fill '#F2F5FA' -draw 'rectangle 30,14 98,56' \
    -fill '#3B72C4' -draw 'rectangle 80,20 90,48' \
    -fill '#C9D3E0' -draw 'rectangle 34,76 94,114'
draw text \
    -stroke '#7D8590' -fill '#FFFFFF' -draw 'rectangle 18,8 110,120' \
    -stroke none -fill '#C0392B' -font DejaVu-Sans-Bold -pointsize 92 -gravity center -annotate +0+4 'T'
draw image \
    -stroke '#55606E' -fill '#8EC5F0' -draw 'rectangle 8,20 120,108' \
    -stroke none -fill '#F5C542' -draw 'circle 92,44 92,32' \
    -fill '#3E9B4F' -draw 'polygon 10,106 48,52 78,90 92,74 118,106' \
    -fill '#2E7D3E' -draw 'polygon 48,52 64,72 40,106 10,106'
magnifier zoomin -draw 'line 32,52 72,52' -draw 'line 52,32 52,72'
magnifier zoomout -draw 'line 32,52 72,52'
draw fullsize \
    -stroke '#2B3A55' -strokewidth 8 -fill '#DDEBFA' -draw 'roundrectangle 8,20 120,108 12,12' \
    -stroke none -fill '#1E5AA8' -font DejaVu-Sans-Bold -pointsize 52 -gravity center -annotate +0+0 '1:1'
draw about \
    -stroke '#1C4F9C' -fill '#2F74D0' -draw 'circle 64,64 64,6' \
    -stroke none -fill '#FFFFFF' -draw 'circle 64,34 64,24' -draw 'roundrectangle 54,52 74,106 6,6'

# The strip at 32 x 32, and at 64 x 64 for screens of two device pixels per
# pixel.
for size in 32 64; do
    name=toolbar.png
    [ "$size" = 32 ] || name=toolbar-$size.png
    convert "$work/open.png" "$work/save.png" "$work/text.png" "$work/image.png" "$work/zoomin.png" \
        "$work/fullsize.png" "$work/zoomout.png" "$work/about.png" -resize ${size}x${size} +append "$name"
done

# The program icon: a picture with a round stamp over its corner.
convert -size 512x512 xc:none \
    -stroke none -fill '#2D5FA8' -draw 'roundrectangle 16,16 496,496 72,72' \
    -fill '#FFFFFF' -draw 'rectangle 80,104 432,392' \
    -fill '#8EC5F0' -draw 'rectangle 104,128 408,368' \
    -fill '#F5C542' -draw 'circle 336,192 336,160' \
    -fill '#3E9B4F' -draw 'polygon 104,368 208,232 288,328 336,276 408,368' \
    -fill '#D8452FE0' -stroke '#FFFFFF' -strokewidth 14 -draw 'circle 372,380 372,270' \
    -stroke none -fill '#FFFFFF' -font DejaVu-Sans-Bold -pointsize 150 -draw "text 322,432 'S'" \
    "$work/icon.png"
for size in 16 32 48 256; do
    convert "$work/icon.png" -resize ${size}x${size} "icon-$size.png"
done
