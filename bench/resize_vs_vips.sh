#!/usr/bin/env bash
# Compares our resampler with libvips on the same pictures, in the same run:
#   6000 x 4000 24-bit -> 600 x 400 and 1200 x 800 -> 3600 x 2400.
# Our side is the resize_bench program (Google Benchmark: resampling alone, no
# file input or output). The vips side is the `vips resize` command on an
# uncompressed .v file in memory-backed storage; from its CPU time we take
# off the cost of reading the input and writing the output (`vips copy` of
# each) and add back one program start-up, so that both sides count the
# resampling alone. Figures are CPU milliseconds (user + system, all
# threads), the best of several runs, so other load on the machine weighs
# less than in wall-clock time.
#
# Usage: bench/resize_vs_vips.sh [build-folder]   (default: build)
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-$here/build}"
bench="$build/bench/resize_bench"
runs=7
[[ -x "$bench" ]] || { echo "no $bench; build the resize_bench target first" >&2; exit 1; }
command -v vips >/dev/null || { echo "vips is not installed (libvips-tools)" >&2; exit 1; }

scratch=/dev/shm
[[ -d "$scratch" && -w "$scratch" ]] || scratch="${TMPDIR:-/tmp}"
tmp="$(mktemp -d "$scratch/resize-vs-vips.XXXXXX")"
trap 'rm -rf "$tmp"' EXIT

# A picture of varied pixels (uniform ones would let any tool take shortcuts).
make_picture() {  # width height file
    vips gaussnoise "$tmp/noise.v" "$1" "$2" --mean 128 --sigma 40
    vips cast "$tmp/noise.v" "$tmp/band.v" uchar
    vips bandjoin "$tmp/band.v $tmp/band.v $tmp/band.v" "$3"
}

# Best CPU milliseconds (user + system of the command and its threads).
best_cpu_ms() {
    python3 - "$runs" "$@" <<'PY'
import resource, subprocess, sys
runs, command = int(sys.argv[1]), sys.argv[2:]
best = None
for _ in range(runs):
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    subprocess.run(command, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    ms = ((after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)) * 1000
    best = ms if best is None else min(best, ms)
print(f"{best:.1f}")
PY
}

# Best CPU milliseconds of one of our benchmarks.
ours_cpu_ms() {
    "$bench" --benchmark_filter="$1" --benchmark_repetitions="$runs" --benchmark_format=csv 2>/dev/null |
        awk -F, '/_mean|_median|_stddev|_cv/ {next} /^"ResizeBench/ {v = $4 + 0; if (best == "" || v < best) best = v} END {printf "%.1f", best}'
}

compare() {  # label benchmark-filter width height scale
    local label="$1" filter="$2" width="$3" height="$4" scale="$5"
    make_picture "$width" "$height" "$tmp/in.v"
    vips resize "$tmp/in.v" "$tmp/result.v" "$scale"
    local start read write lanczos lanczos1 cubic ours
    start=$(best_cpu_ms vips black "$tmp/dot.v" 1 1)
    read=$(best_cpu_ms vips copy "$tmp/in.v" "$tmp/copy.v")
    write=$(best_cpu_ms vips copy "$tmp/result.v" "$tmp/copy.v")
    lanczos=$(best_cpu_ms vips resize "$tmp/in.v" "$tmp/out.v" "$scale")
    cubic=$(best_cpu_ms vips resize "$tmp/in.v" "$tmp/out.v" "$scale" --kernel cubic)
    lanczos1=$(VIPS_CONCURRENCY=1 best_cpu_ms vips resize "$tmp/in.v" "$tmp/out.v" "$scale")
    ours=$(ours_cpu_ms "$filter")
    awk -v label="$label" -v s="$start" -v r="$read" -v w="$write" -v l="$lanczos" -v l1="$lanczos1" \
        -v c="$cubic" -v o="$ours" 'BEGIN {
            io = r + w - s
            nl = l - io; nl1 = l1 - io; nc = c - io
            if (nl < 1) nl = 1; if (nl1 < 1) nl1 = 1; if (nc < 1) nc = 1
            printf "%s\n", label
            printf "  vips resize, lanczos3:          %7.1f ms CPU\n", nl
            printf "  vips resize, lanczos3, 1 thread:%7.1f ms CPU\n", nl1
            printf "  vips resize, cubic:             %7.1f ms CPU\n", nc
            printf "  ours, Catmull-Rom:              %7.1f ms CPU\n", o
            printf "  ours / vips: %.2f (lanczos3), %.2f (lanczos3, 1 thread), %.2f (cubic)\n", o / nl, o / nl1, o / nc
            printf "  (vips input and output cost %.1f ms, taken off)\n", io
        }'
}

compare "6000 x 4000 -> 600 x 400" "shrink_6000x4000_to_600x400_24bit" 6000 4000 0.1
compare "1200 x 800 -> 3600 x 2400" "enlarge_1200x800_to_3600x2400_24bit" 1200 800 3
