#!/usr/bin/env bash
# Whole-program figures at 10,000 / 50,000 / 200,000 records: builds the
# Release programs into BUILD_DIR (default ./build-bench) and runs
# bench/run_program.py, which prints a markdown table per size.  Generated
# data folders are kept in WORK (default ${TMPDIR:-/tmp}/sorvel-bench-data;
# about 3.5 GB for all three sizes) and reused by the next run.
#
#   bench/run_program.sh
#   SIZES="10000 50000" REPEATS=3 WORK=/some/folder bench/run_program.sh
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
build=${BUILD_DIR:-$root/build-bench}

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DSORVEL_TESTS=OFF >/dev/null
cmake --build "$build" -j"${JOBS:-3}" --target sorvel gen_folder bench_pack bench_actions bench_exchange >/dev/null

export BUILD=$build SEED=$root/resources/seed
export WORK=${WORK:-${TMPDIR:-/tmp}/sorvel-bench-data}
export SIZES=${SIZES:-10000 50000 200000} REPEATS=${REPEATS:-3}
mkdir -p "$WORK"
exec python3 "$here/run_program.py"
