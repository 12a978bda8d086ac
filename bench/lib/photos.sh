# shellcheck shell=bash
# Sourced by the benchmark scripts: the folder of 8 to 12 megapixel
# photographs they time (made at run time, not kept), the logo mark, and the
# timing of a job. The scripts set `work` (a scratch folder, with `out` for
# the outputs) and `repeat` (runs per timing) before timing anything.

# require PROGRAM...: stops the script (exit 2) naming the first program
# that is not there.
require() {
  local program
  for program in "$@"; do
    command -v "$program" >/dev/null || { echo "missing: $program" >&2; exit 2; }
  done
}

# make_photos FOLDER COUNT ENCODER...: photograph-like content (smooth
# fractal shapes, fine grain) so the codecs see realistic entropy, each
# picture given as PPM to ENCODER's standard input, which writes the JPEG to
# its standard output. PHOTO_SIZES (WxH ...) replaces the 8 to 12 megapixel
# sizes, taken in turn.
make_photos() {
  local folder=$1 count=$2
  shift 2
  local sizes
  read -ra sizes <<<"${PHOTO_SIZES:-3464x2309 4000x2500 4032x3024 3840x2560 3600x2400 4240x2832}"
  mkdir -p "$folder"
  for ((i = 0; i < count; i++)); do
    convert -size 480x320 -seed $((i + 1)) plasma:fractal -blur 0x2 -resize "${sizes[i % ${#sizes[@]}]}!" \
      -attenuate 0.35 +noise Gaussian ppm:- | "$@" >"$folder/photo$i.jpg"
  done
}

# make_logo FILE: a 600 x 200 translucent badge with the name in white.
make_logo() {
  convert -size 600x200 xc:none -fill '#10306090' -draw 'roundrectangle 0,0 599,199 40,40' \
    -fill white -font DejaVu-Sans-Bold -pointsize 100 -gravity center -annotate +0+0 'Stampora' \
    PNG32:"$1"
}

# shellcheck disable=SC2154  # work and repeat are the sourcing script's
# best_times COMMAND...: "wall system" seconds of the best (by wall time) of
# $repeat runs, each into an empty $work/out.
best_times() {
  local best="" line TIMEFORMAT='%R %S'
  for ((r = 0; r < repeat; r++)); do
    rm -rf "$work/out" && mkdir -p "$work/out"
    line=$( { time "$@" >/dev/null 2>&1; } 2>&1 | tail -1)
    if [ -z "$best" ] || awk -v a="${line% *}" -v b="${best% *}" 'BEGIN { exit !(a < b) }'; then best=$line; fi
  done
  echo "$best"
}

# best_of COMMAND...: the wall seconds of best_times.
best_of() {
  local best
  best=$(best_times "$@")
  echo "${best% *}"
}

# ratio A B: A / B to two decimals.
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
