#!/usr/bin/env bash
# Times stampora-batch against reference tools on the same folder of 8 to 12
# megapixel photographs (made at run time, not kept), all writing JPEG at
# quality 80:
#   floor        djpeg to a file, then cjpeg -quality 80 of it (decode and
#                encode only: the least any JPEG-to-JPEG job can cost)
#   vips         vips copy IN OUT[Q=80] (decode and encode only)
#   ImageMagick  convert with the same two marks (logo composited, text
#                annotated), as many processes at once as Stampora's jobs
#   Stampora     stampora-batch with a text mark and an image mark
# ImageMagick and vips are held to one thread per process, so a process of
# theirs uses one core as a Stampora job does.
# Each timing is the best of REPEAT runs (default 3). The machine's other load
# adds noise: compare the ratios of one run, not figures across runs.
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
require "$tool" djpeg cjpeg convert vips

export MAGICK_THREAD_LIMIT=1 VIPS_CONCURRENCY=1
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/photos" "$work/out"

echo "Making $files photographs in $work/photos ..."
make_photos "$work/photos" "$files" convert ppm:- -quality 92 jpg:-
make_logo "$work/logo.png"
text="© Stampora 2026"

floor_one() { djpeg "$1" >"$work/out/$(basename "$1").ppm" && cjpeg -quality 80 "$work/out/$(basename "$1").ppm" >"$work/out/$(basename "$1")"; }
vips_one() { vips copy "$1" "$work/out/$(basename "$1")[Q=80]"; }
magick_one() {
  convert "$1" "$work/logo.png" -gravity northwest -geometry +10+10 -composite \
    -gravity southeast -font DejaVu-Sans-Bold -pointsize 96 -fill white -annotate +10+10 "$text" \
    -quality 80 "$work/out/$(basename "$1")"
}
export -f floor_one vips_one magick_one
export work text

over_files() {  # over_files JOBS FUNCTION
  find "$work/photos" -name '*.jpg' -print0 | xargs -0 -n 1 -P "$1" bash -c "$2 \"\$0\""
}
stampora() {  # stampora JOBS
  "$tool" --jobs "$1" --quality 80 --types jpg \
    --text "$text" --font "DejaVu Sans" --size 72 --style bold --color FFFFFF --text-align right-bottom \
    --image "$work/logo.png" --image-align left-top "$work/photos" "$work/out"
}

echo "Timing (best of $repeat) ..."
floor1=$(best_of over_files 1 floor_one)
vips1=$(best_of over_files 1 vips_one)
magick1=$(best_of over_files 1 magick_one)
magick2=$(best_of over_files 2 magick_one)
ours1=$(best_of stampora 1)
ours2=$(best_of stampora 2)

megapixels=$(identify -format '%w %h\n' "$work"/photos/*.jpg | awk '{ s += $1 * $2 } END { printf "%.1f", s / 1e6 }')
echo
echo "$files photographs, $megapixels megapixels in all; seconds (lower is better)"
printf '%-44s %8s\n' "job" "seconds"
printf '%-44s %8s\n' "codec floor (djpeg + cjpeg -quality 80), 1 process" "$floor1"
printf '%-44s %8s\n' "vips copy Q=80, 1 process" "$vips1"
printf '%-44s %8s\n' "ImageMagick marks, 1 process" "$magick1"
printf '%-44s %8s\n' "ImageMagick marks, 2 processes" "$magick2"
printf '%-44s %8s\n' "stampora-batch --jobs 1" "$ours1"
printf '%-44s %8s\n' "stampora-batch --jobs 2" "$ours2"
echo
echo "stampora --jobs 1 / codec floor:        $(ratio "$ours1" "$floor1")  (goal: at most 1.20)"
echo "ImageMagick 1 process / stampora 1 job: $(ratio "$magick1" "$ours1")  (goal: at least 1.60)"
echo "vips copy / stampora 1 job:             $(ratio "$vips1" "$ours1")  (goal: above 1.00)"
echo "ImageMagick 2 / stampora 2 jobs:        $(ratio "$magick2" "$ours2")"
echo "stampora throughput, 2 jobs / 1 job:    $(ratio "$ours1" "$ours2")  (goal: at least 1.80)"
