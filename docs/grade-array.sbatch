#!/bin/bash
#SBATCH --job-name=grade --array=1-4 --cpus-per-task=1 --time=00:30:00
# sbatch grade-array.sbatch ASSIGNMENT SUBMISSIONS OUT; then, once the array has ended,
#   tarvik-grade report --out OUT/all ASSIGNMENT SUBMISSIONS OUT/shard-*
set -eu
exec tarvik-grade -j "${SLURM_CPUS_PER_TASK:-1}" --out "$3/shard-$SLURM_ARRAY_TASK_ID" "$1" "$2"
