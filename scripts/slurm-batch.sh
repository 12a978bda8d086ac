#!/usr/bin/env bash
# Watermarks one big folder with a Slurm array job: every task takes its own
# share of the pictures (--shard), so the tasks never overlap and together
# cover the folder; a task that is run again skips what it already wrote.
#
#   sbatch --array=1-16 scripts/slurm-batch.sh /data/photos /data/stamped
#
# The marks come from a preset made once beforehand, e.g.
#   stampora-batch --save-preset marks.ini --text "© Example" --image logo.png
#SBATCH --job-name=stampora
#SBATCH --cpus-per-task=2
#SBATCH --time=02:00:00
set -euo pipefail

source_dir="$1"
output_dir="$2"
preset="${STAMPORA_PRESET:-marks.ini}"
tool="${STAMPORA_BATCH:-stampora-batch}"
task="${SLURM_ARRAY_TASK_ID:?run this as an array job (sbatch --array=1-N)}"
# Tasks are numbered as given to --array; the shares are counted from 1.
first="${SLURM_ARRAY_TASK_MIN:-1}"
count="${SLURM_ARRAY_TASK_COUNT:?}"

exec "$tool" --preset "$preset" --recursive --skip-existing \
  --jobs "${SLURM_CPUS_PER_TASK:-1}" --shard "$((task - first + 1))/$count" \
  "$source_dir" "$output_dir"
