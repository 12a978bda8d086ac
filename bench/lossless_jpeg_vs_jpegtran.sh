#!/usr/bin/env bash
# Times stampora-batch --lossless-jpeg on a folder of 8 to 12 megapixel
# photographs (made at run time, not kept) against, in the same run:
#   floor         djpeg to a file, then cjpeg -quality 80 of it
#   normal        stampora-batch with the same marks, decoding and encoding
#   jpegtran      jpegtran -copy all (entropy decode and encode only: the
#                 least any block-keeping job can cost), and with -optimize
#                 (Huffman tables made per picture, as Stampora writes them)
# with a text mark at the bottom right and a logo at the top left, one job,
# and compares the output files' sizes with the sources'.
# Each timing is the best of REPEAT runs (default 3).
#   BUILD_DIR  build folder holding stampora-batch (default: build)
#   FILES      number of photographs (default 6)
#   REPEAT     runs per timing (default 3)
set -euo pipefail
cd "$(dirname "$0")/.."

build="${BUILD_DIR:-build}"
tool="$build/stampora-batch"
files="${FILES:-6}"
repeat="${REPEAT:-3}"
for program in "$tool" djpeg cjpeg jpegtran convert; do
  command -v "$program" >/dev/null || { echo "missing: $program" >&2; exit 2; }
done

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/photos" "$work/out"

# Camera-like files: grainy photograph content, 4:2:0, the standard Huffman
# tables cameras write (OPTIMIZED=1: tables made per picture, as cjpeg
# -optimize writes them).
sizes=(3464x2309 4000x2500 4032x3024 3840x2560 3600x2400 4240x2832)
echo "Making $files photographs in $work/photos ..."
for ((i = 0; i < files; i++)); do
  size=${sizes[i % ${#sizes[@]}]}
  convert -size 480x320 -seed $((i + 1)) plasma:fractal -blur 0x2 -resize "${size}!" \
    -attenuate 0.35 +noise Gaussian ppm:- | cjpeg -quality 92 ${OPTIMIZED:+-optimize} >"$work/photos/photo$i.jpg"
done
convert -size 600x200 xc:none -fill '#10306090' -draw 'roundrectangle 0,0 599,199 40,40' \
  -fill white -font DejaVu-Sans-Bold -pointsize 100 -gravity center -annotate +0+0 'Stampora' \
  PNG32:"$work/logo.png"

best_of() {
  local best="" start end elapsed
  for ((r = 0; r < repeat; r++)); do
    rm -rf "$work/out" && mkdir -p "$work/out"
    start=$(date +%s.%N)
    "$@" >/dev/null 2>&1
    end=$(date +%s.%N)
    elapsed=$(awk -v a="$start" -v b="$end" 'BEGIN { print b - a }')
    if [ -z "$best" ] || awk -v e="$elapsed" -v b="$best" 'BEGIN { exit !(e < b) }'; then best=$elapsed; fi
  done
  awk -v b="$best" 'BEGIN { printf "%.3f", b }'
}

floor_all() {
  for f in "$work"/photos/*.jpg; do
    djpeg "$f" >"$work/out/x.ppm" && cjpeg -quality 80 "$work/out/x.ppm" >"$work/out/$(basename "$f")"
  done
}
jpegtran_all() {  # jpegtran_all [-optimize]
  for f in "$work"/photos/*.jpg; do jpegtran -copy all "$@" "$f" >"$work/out/$(basename "$f")"; done
}
stampora() {  # stampora [--lossless-jpeg]
  "$tool" "$@" --jobs 1 --types jpg \
    --text "© Stampora 2026" --font "DejaVu Sans" --size 72 --style bold --color FFFFFF \
    --text-align right-bottom --image "$work/logo.png" --image-align left-top "$work/photos" "$work/out"
}

echo "Timing (best of $repeat) ..."
floor=$(best_of floor_all)
jpegtran=$(best_of jpegtran_all)
optimized=$(best_of jpegtran_all -optimize)
normal=$(best_of stampora)
lossless=$(best_of stampora --lossless-jpeg)
# The last run's outputs are the lossless ones.
sizes_ratio=$(for f in "$work"/photos/*.jpg; do
  echo "$(stat -c %s "$f") $(stat -c %s "$work/out/$(basename "$f")")"
done | awk '{ s += $1; o += $2; r = $2 / $1; if (r > m) m = r } END { printf "%.4f %.4f", o / s, m }')

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
megapixels=$(identify -format '%w %h\n' "$work"/photos/*.jpg | awk '{ s += $1 * $2 } END { printf "%.1f", s / 1e6 }')
echo
echo "$files photographs, $megapixels megapixels in all; seconds (lower is better)"
printf '%-48s %8s\n' "codec floor (djpeg + cjpeg -quality 80)" "$floor"
printf '%-48s %8s\n' "jpegtran -copy all" "$jpegtran"
printf '%-48s %8s\n' "jpegtran -copy all -optimize" "$optimized"
printf '%-48s %8s\n' "stampora-batch --jobs 1 (decode and encode)" "$normal"
printf '%-48s %8s\n' "stampora-batch --jobs 1 --lossless-jpeg" "$lossless"
echo
echo "lossless / jpegtran:      $(ratio "$lossless" "$jpegtran")  (goal: at most 1.20)"
echo "lossless / jpegtran -optimize: $(ratio "$lossless" "$optimized")"
echo "jpegtran / codec floor:   $(ratio "$jpegtran" "$floor")"
echo "lossless / codec floor:   $(ratio "$lossless" "$floor")"
echo "lossless / normal path:   $(ratio "$lossless" "$normal")"
echo "output / source size:     ${sizes_ratio% *} in all, ${sizes_ratio#* } at most  (goal: at most 1.02)"
