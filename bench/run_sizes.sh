#!/usr/bin/env bash
# Start-up and pack at 10,000, 50,000 and 200,000 records, each as whole
# processes beside its baselines (cat of the data folder; cp and cp + sync of
# the table's two files) in the same run.  Builds into BUILD_DIR (default
# ./build-bench, Release) and works in WORK (default a temporary folder,
# removed at the end; about 4 GB at 200,000 records).
#
#   bench/run_sizes.sh
#   SIZES="10000 50000" REPEATS=3 bench/run_sizes.sh
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
build=${BUILD_DIR:-$root/build-bench}
sizes=${SIZES:-10000 50000 200000}
repeats=${REPEATS:-3}

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DSORVEL_TESTS=OFF >/dev/null
cmake --build "$build" -j4 --target gen_kjcg bench_pack bench_startup >/dev/null

work=${WORK:-$(mktemp -d "${TMPDIR:-/tmp}/sorvel-sizes.XXXXXX")}
[ -n "${WORK:-}" ] || trap 'rm -rf "$work"' EXIT

echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//')"
echo "date:    $(date -u '+%Y-%m-%d %H:%M UTC')"
for n in $sizes; do
  echo "== $n records; load average $(cut -d' ' -f1-3 /proc/loadavg)"
  mkdir -p "$work/pack$n"
  [ -f "$work/pack$n/kjcg.dbf" ] || "$build/bench/gen_kjcg" "$work/pack$n" --rows "$n" >/dev/null
  "$build/bench/bench_pack" "$work/pack$n" "$repeats"
  QT_QPA_PLATFORM=offscreen "$build/bench/bench_startup" "$root/resources/seed" "$work/start$n" "$n" "$repeats"
done
