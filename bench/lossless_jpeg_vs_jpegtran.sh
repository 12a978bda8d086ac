#!/usr/bin/env bash
# Times stampora-batch --lossless-jpeg on a folder of 8 to 12 megapixel
# photographs against, in the same run:
#   floor         djpeg to a file, then cjpeg -quality 80 of it
#   normal        stampora-batch with the same marks, decoding and encoding
#   jpegtran      jpegtran -copy all (entropy decode and encode only: the
#                 least any block-keeping job can cost), and with -optimize
#                 (Huffman tables made per picture)
# with a text mark at the bottom right and a logo at the top left, one job,
# and compares the output files' sizes with the sources'. Two folders are
# timed: camera-like files (4:2:0, the standard Huffman tables cameras
# write) and the same pictures with tables made per picture (cjpeg
# -optimize), whose tables lack symbols the marks need.
# Each timing is the best of REPEAT runs (default 3).
#   BUILD_DIR  build folder holding stampora-batch (default: build)
#   FILES      number of photographs (default 6)
#   REPEAT     runs per timing (default 3)
set -euo pipefail
cd "$(dirname "$0")/.."
source bench/lib/photos.sh

build="${BUILD_DIR:-build}"
tool="$build/stampora-batch"
files="${FILES:-6}"
repeat="${REPEAT:-3}"
require "$tool" djpeg cjpeg jpegtran convert

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
echo "Making $files photographs of each kind in $work ..."
make_photos "$work/standard" "$files" cjpeg -quality 92
make_photos "$work/optimised" "$files" cjpeg -quality 92 -optimize
make_logo "$work/logo.png"

floor_all() {  # floor_all FOLDER
  for f in "$1"/*.jpg; do
    djpeg "$f" >"$work/out/x.ppm" && cjpeg -quality 80 "$work/out/x.ppm" >"$work/out/$(basename "$f")"
  done
}
jpegtran_all() {  # jpegtran_all FOLDER [-optimize]
  local folder=$1
  shift
  for f in "$folder"/*.jpg; do jpegtran -copy all "$@" "$f" >"$work/out/$(basename "$f")"; done
}
stampora() {  # stampora FOLDER [--lossless-jpeg]
  "$tool" "${@:2}" --jobs 1 --types jpg \
    --text "© Stampora 2026" --font "DejaVu Sans" --size 72 --style bold --color FFFFFF \
    --text-align right-bottom --image "$work/logo.png" --image-align left-top "$1" "$work/out"
}

# time_folder FOLDER LABEL: every timing of one folder and its ratios.
time_folder() {
  local folder=$1 floor jpegtran optimized normal lossless sizes megapixels
  floor=$(best_of floor_all "$folder")
  jpegtran=$(best_of jpegtran_all "$folder")
  optimized=$(best_of jpegtran_all "$folder" -optimize)
  normal=$(best_of stampora "$folder")
  lossless=$(best_of stampora "$folder" --lossless-jpeg)
  # The last run's outputs are the lossless ones.
  sizes=$(for f in "$folder"/*.jpg; do
    echo "$(stat -c %s "$f") $(stat -c %s "$work/out/$(basename "$f")")"
  done | awk '{ s += $1; o += $2; r = $2 / $1; if (r > m) m = r } END { printf "%.4f %.4f", o / s, m }')
  megapixels=$(identify -format '%w %h\n' "$folder"/*.jpg | awk '{ s += $1 * $2 } END { printf "%.1f", s / 1e6 }')
  echo
  echo "$2: $files photographs, $megapixels megapixels in all; seconds (lower is better)"
  printf '  %-48s %8s\n' "codec floor (djpeg + cjpeg -quality 80)" "$floor"
  printf '  %-48s %8s\n' "jpegtran -copy all" "$jpegtran"
  printf '  %-48s %8s\n' "jpegtran -copy all -optimize" "$optimized"
  printf '  %-48s %8s\n' "stampora-batch --jobs 1 (decode and encode)" "$normal"
  printf '  %-48s %8s\n' "stampora-batch --jobs 1 --lossless-jpeg" "$lossless"
  echo "  lossless / jpegtran:           $(ratio "$lossless" "$jpegtran")  (goal: at most 1.20)"
  echo "  lossless / jpegtran -optimize: $(ratio "$lossless" "$optimized")"
  echo "  jpegtran / codec floor:        $(ratio "$jpegtran" "$floor")"
  echo "  lossless / codec floor:        $(ratio "$lossless" "$floor")"
  echo "  lossless / normal path:        $(ratio "$lossless" "$normal")"
  echo "  output / source size:          ${sizes% *} in all, ${sizes#* } at most  (goal: at most 1.02)"
}

echo "Timing (best of $repeat) ..."
time_folder "$work/standard" "Standard Huffman tables (camera-like)"
time_folder "$work/optimised" "Huffman tables made per picture (cjpeg -optimize)"
