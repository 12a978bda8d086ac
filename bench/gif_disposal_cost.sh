#!/usr/bin/env bash
# What stampora-batch costs on an animation of small frames on a large
# screen, for each way a frame leaves the screen (disposal 1: left in place,
# the reference in the same run; 2: cleared; 3: the screen before it put
# back). Every mode should cost about what the file holds, as mode 1 does.
# The first frame is a white screen (the scene); the text mark goes at the
# right bottom.
# Prints seconds, peak memory and the sizes in and out for each mode.
#   BUILD_DIR  build folder holding stampora-batch (default: build)
#   SIDE       screen width and height (default 5000)
#   FRAMES     frames of 16 x 16 (default 100)
#   SCREEN     the first frame's colour (default white; none: a clear
#              screen, on which every frame of the copy also covers the mark)
set -euo pipefail
cd "$(dirname "$0")/.."
tool="${BUILD_DIR:-build}/stampora-batch"
side="${SIDE:-5000}"
frames="${FRAMES:-100}"
[ -x "$tool" ] && [ -x /usr/bin/time ] && command -v convert >/dev/null ||
  { echo "missing: $tool, /usr/bin/time or convert" >&2; exit 2; }
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# make_gif DISPOSAL PATH: a white screen, then 16 x 16 squares of changing
# colours scattered over it, each leaving as DISPOSAL says.
make_gif() {
  local squares=()
  for ((f = 0; f < frames; f++)); do
    squares+=(\( -size 16x16 "xc:rgb($((f * 37 % 256)),$((f * 91 % 256)),$((f * 53 % 256)))"
              -repage "+$((f * 7919 % (side - 16)))+$((f * 104729 % (side - 16)))" \))
  done
  local mode=(none none background previous)
  convert -size "${side}x${side}" "xc:${SCREEN:-white}" -dispose "${mode[$1]}" -delay 5 "${squares[@]}" -loop 0 "$2"
}

printf '%-10s %9s %12s %12s %10s %12s\n' disposal seconds "CPU seconds" "peak MB" "in KB" "out KB"
for disposal in 1 2 3; do
  mkdir -p "$work/in$disposal" "$work/out$disposal"
  make_gif "$disposal" "$work/in$disposal/a.gif"
  /usr/bin/time -v -o "$work/time$disposal" "$tool" --text "Stampora" --size 3% \
    "$work/in$disposal" "$work/out$disposal" >/dev/null
  seconds=$(awk -F': ' '/Elapsed/ {n = split($2, t, ":"); s = 0; for (i = 1; i <= n; i++) s = s * 60 + t[i]; print s}' "$work/time$disposal")
  cpu=$(awk -F': ' '/User time|System time/ {s += $2} END {print s}' "$work/time$disposal")
  peak=$(awk -F': ' '/Maximum resident/ {printf "%.0f", $2 / 1024}' "$work/time$disposal")
  printf '%-10s %9s %12s %12s %10.1f %12.1f\n' "$disposal" "$seconds" "$cpu" "$peak" \
    "$(($(stat -c %s "$work/in$disposal/a.gif")))e-3" "$(($(stat -c %s "$work/out$disposal/a.gif")))e-3"
done
