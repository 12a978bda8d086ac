#!/usr/bin/env bash
# Times Stampora's JPEG load and quality-80 save of a 6000 x 4000
# photograph-like picture against libjpeg-turbo's djpeg and cjpeg -quality 80
# on the same file in the same run, and prints the ratios (goal: at most 1.15);
# then the editor's 1/8 first view against djpeg -scale 1/8 and a whole djpeg
# decode, in wall time (goal: at most 0.3 of the whole decode).
# CPU seconds (user + system) are compared, so other work on a shared machine
# does not tilt the result.
#   bench/jpeg_vs_djpeg.sh [RUNS]   (BUILD_DIR=<folder> picks the build folder; default build)
set -euo pipefail
cd "$(dirname "$0")/.."
runs="${1:-5}"
build="${BUILD_DIR:-build}"
[ -f "$build/CMakeCache.txt" ] || cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target codec_jpeg_png_bench >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Fractal shading with grain: the detail of a photograph, not flat colour.
/usr/bin/convert -seed 7 -size 6000x4000 plasma:fractal -attenuate 0.3 +noise Gaussian -depth 8 "$work/photo.ppm"
cjpeg -quality 80 "$work/photo.ppm" >"$work/photo.jpg"

# CPU seconds of one run of a command, averaged over $runs runs.
cpu_seconds() {
  local start end self=$BASHPID
  start=$(awk '{print $14 + $15 + $16 + $17}' "/proc/$self/stat")
  for _ in $(seq "$runs"); do "$@" >/dev/null; done
  end=$(awk '{print $14 + $15 + $16 + $17}' "/proc/$self/stat")
  awk -v s="$start" -v e="$end" -v n="$runs" -v hz="$(getconf CLK_TCK)" 'BEGIN {printf "%.4f", (e - s) / hz / n}'
}

djpeg_s=$(cpu_seconds djpeg -outfile /dev/null "$work/photo.jpg")
# djpeg into /dev/null never puts the 72 MB of pixels anywhere; a load must
# hold them in memory, so djpeg writing into a memory file is the like-for-like
# reference (both figures are shown).
shm="${TMPDIR_SHM:-/dev/shm}"
[ -d "$shm" ] && [ -w "$shm" ] || shm="$work"
djpeg_mem_s=$(cpu_seconds djpeg -outfile "$shm/stampora-djpeg-$$.ppm" "$work/photo.jpg")
rm -f "$shm/stampora-djpeg-$$.ppm"
cjpeg_s=$(cpu_seconds cjpeg -quality 80 -outfile "$work/cjpeg.jpg" "$work/photo.ppm")
# Wall seconds of one run, averaged, for the first view (ours uses threads).
wall_seconds() {
  local start end
  start=$(date +%s.%N)
  for _ in $(seq "$runs"); do "$@" >/dev/null; done
  end=$(date +%s.%N)
  awk -v s="$start" -v e="$end" -v n="$runs" 'BEGIN {printf "%.4f", (e - s) / n}'
}
djpeg_eighth_s=$(wall_seconds djpeg -scale 1/8 -outfile /dev/null "$work/photo.jpg")
djpeg_wall_s=$(wall_seconds djpeg -outfile /dev/null "$work/photo.jpg")

report=$(STAMPORA_BENCH_JPEG="$work/photo.jpg" "$build/bench/codec_jpeg_png_bench" \
  --benchmark_filter='Jpeg' --benchmark_repetitions="$runs" --benchmark_report_aggregates_only=true \
  --benchmark_format=csv 2>/dev/null)
# The CPU time (in ms) of the mean row of each case.
ours_load=$(echo "$report" | awk -F, '/BM_JpegLoad.*_mean/ {print $4 / 1000}')
ours_save=$(echo "$report" | awk -F, '/BM_JpegSaveQuality80.*_mean/ {print $4 / 1000}')
# The wall time (real_time, ms) of the first view's mean row.
ours_view=$(echo "$report" | awk -F, '/BM_JpegFirstView.*_mean/ {print $3 / 1000}')

printf 'JPEG load: stampora %.3f s, djpeg into memory file %.3f s, ratio %.2f (djpeg to /dev/null %.3f s, ratio %.2f)\n' \
  "$ours_load" "$djpeg_mem_s" "$(awk -v a="$ours_load" -v b="$djpeg_mem_s" 'BEGIN {print a / b}')" \
  "$djpeg_s" "$(awk -v a="$ours_load" -v b="$djpeg_s" 'BEGIN {print a / b}')"
printf 'JPEG save: stampora %.3f s, cjpeg -quality 80 %.3f s, ratio %.2f\n' "$ours_save" "$cjpeg_s" \
  "$(awk -v a="$ours_save" -v b="$cjpeg_s" 'BEGIN {print a / b}')"
printf 'JPEG first view (1/8, wall): stampora %.3f s, djpeg -scale 1/8 %.3f s, ratio %.2f; against a whole djpeg decode (%.3f s) %.2f\n' \
  "$ours_view" "$djpeg_eighth_s" "$(awk -v a="$ours_view" -v b="$djpeg_eighth_s" 'BEGIN {print a / b}')" \
  "$djpeg_wall_s" "$(awk -v a="$ours_view" -v b="$djpeg_wall_s" 'BEGIN {print a / b}')"
