#!/usr/bin/env bash
# How stampora-batch's throughput grows from one job to two on the benchmark
# folder (the 8 to 12 megapixel photographs of batch_vs_tools.sh) and on a
# mixed folder of ten camera photographs of 1.9 to 12 megapixels (smallest
# first in name order, so a tool that takes them in order ends with the
# largest alone), next to the reference: two plain djpeg loops against one
# over each folder. Prints wall and system
# seconds, best of REPEAT runs; the machine's other load adds noise, so
# compare the ratios of one run.
#   BUILD_DIR  build folder holding stampora-batch (default: build)
#   OTHER      a second stampora-batch to time the same way (e.g. main's)
#   FILES      number of photographs (default 6)
#   REPEAT     runs per timing (default 3)
set -euo pipefail
cd "$(dirname "$0")/.."
source bench/lib/photos.sh

tool="${BUILD_DIR:-build}/stampora-batch"
files="${FILES:-6}"
repeat="${REPEAT:-3}"
require "$tool" djpeg convert  # djpeg: libjpeg-turbo-progs
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
make_photos "$work/photos" "$files" convert ppm:- -quality 92 jpg:-
PHOTO_SIZES="1688x1125 2048x1365 2304x1536 2592x1728 3000x2000 3264x2176 3456x2304 3648x2432 3888x2592 4240x2832" \
  make_photos "$work/mixed" 10 convert ppm:- -quality 92 jpg:-
make_logo "$work/logo.png"

djpeg_loops() {  # djpeg_loops FOLDER N: N loops, each decoding every photograph
  for ((l = 0; l < $2; l++)); do
    (for f in "$1"/*.jpg; do djpeg "$f" >/dev/null; done) &
  done
  wait
}
stampora() {  # stampora TOOL FOLDER JOBS
  "$1" --jobs "$3" --quality 80 --text "© Stampora" --size 72 --image "$work/logo.png" \
    --image-align left-top "$2" "$work/out"
}
export -f djpeg_loops stampora
export work

# report LABEL COMMAND WORK: COMMAND 1 and COMMAND 2 timed; WORK is how much
# more the second does (2 for two djpeg loops, 1 for one folder in two jobs).
report() {
  local one two
  one=$(best_times bash -c "$2 1")
  two=$(best_times bash -c "$2 2")
  awk -v l="$1" -v a="$one" -v b="$two" -v w="$3" 'BEGIN {
    split(a, x, " "); split(b, y, " ");
    printf "%-28s 1: %6.2f s (sys %5.2f)  2: %6.2f s (sys %5.2f)  throughput 2/1: %.2fx\n",
      l, x[1], x[2], y[1], y[2], w * x[1] / y[1] }'
}
for folder in photos mixed; do
  if [ "$folder" = photos ]; then echo "$files photographs of 8 to 12 MP; best of $repeat"; else
    echo "10 photographs of 1.9 to 12 MP; best of $repeat"; fi
  report "djpeg loops" "djpeg_loops $work/$folder" 2
  report "stampora-batch" "stampora $(realpath "$tool") $work/$folder" 1
  if [ -n "${OTHER:-}" ]; then report "other stampora-batch" "stampora $(realpath "$OTHER") $work/$folder" 1; fi
done
