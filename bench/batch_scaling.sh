#!/usr/bin/env bash
# How stampora-batch's throughput grows from one job to two on the benchmark
# folder (the 8 to 12 megapixel photographs of batch_vs_tools.sh), next to
# the reference: two plain djpeg loops against one. Prints wall and system
# seconds, best of REPEAT runs; the machine's other load adds noise, so
# compare the ratios of one run.
#   BUILD_DIR  build folder holding stampora-batch (default: build)
#   OTHER      a second stampora-batch to time the same way (e.g. main's)
#   FILES      number of photographs (default 6)
#   REPEAT     runs per timing (default 3)
set -euo pipefail
cd "$(dirname "$0")/.."

tool="${BUILD_DIR:-build}/stampora-batch"
files="${FILES:-6}"
repeat="${REPEAT:-3}"
for program in "$tool" djpeg convert; do  # djpeg: libjpeg-turbo-progs
  command -v "$program" >/dev/null || { echo "missing: $program" >&2; exit 2; }
done
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/photos"
sizes=(3464x2309 4000x2500 4032x3024 3840x2560 3600x2400 4240x2832)
for ((i = 0; i < files; i++)); do
  convert -size 480x320 -seed $((i + 1)) plasma:fractal -blur 0x2 -resize "${sizes[i % ${#sizes[@]}]}!" \
    -attenuate 0.35 +noise Gaussian -quality 92 "$work/photos/photo$i.jpg"
done
convert -size 600x200 xc:none -fill '#10306090' -draw 'roundrectangle 0,0 599,199 40,40' PNG32:"$work/logo.png"

# "wall system" seconds of the best (by wall time) of $repeat runs.
best_of() {
  local best="" line TIMEFORMAT='%R %S'
  for ((r = 0; r < repeat; r++)); do
    rm -rf "$work/out" && mkdir -p "$work/out"
    line=$( { time "$@" >/dev/null 2>&1; } 2>&1 | tail -1)
    if [ -z "$best" ] || awk -v a="${line% *}" -v b="${best% *}" 'BEGIN { exit !(a < b) }'; then best=$line; fi
  done
  echo "$best"
}
djpeg_loops() {  # djpeg_loops N: N loops, each decoding every photograph
  for ((l = 0; l < $1; l++)); do
    (for f in "$work"/photos/*.jpg; do djpeg "$f" >/dev/null; done) &
  done
  wait
}
stampora() {  # stampora TOOL JOBS
  "$1" --jobs "$2" --quality 80 --text "© Stampora" --size 72 --image "$work/logo.png" \
    --image-align left-top "$work/photos" "$work/out"
}
export -f djpeg_loops stampora
export work

# report LABEL COMMAND WORK: COMMAND 1 and COMMAND 2 timed; WORK is how much
# more the second does (2 for two djpeg loops, 1 for one folder in two jobs).
report() {
  local one two
  one=$(best_of bash -c "$2 1")
  two=$(best_of bash -c "$2 2")
  awk -v l="$1" -v a="$one" -v b="$two" -v w="$3" 'BEGIN {
    split(a, x, " "); split(b, y, " ");
    printf "%-28s 1: %6.2f s (sys %5.2f)  2: %6.2f s (sys %5.2f)  throughput 2/1: %.2fx\n",
      l, x[1], x[2], y[1], y[2], w * x[1] / y[1] }'
}
echo "$files photographs; best of $repeat"
report "djpeg loops" "djpeg_loops" 2
report "stampora-batch" "stampora $(realpath "$tool")" 1
if [ -n "${OTHER:-}" ]; then report "other stampora-batch" "stampora $(realpath "$OTHER")" 1; fi
