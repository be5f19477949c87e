#!/usr/bin/env bash
# Builds the benchmarks (Release), makes a kjcg table in a temporary folder
# and runs every measurement, printing times and ratios.
#
#   bench/run.sh                      # 50,000 rows, 5 repeats
#   ROWS=10000 REPEATS=3 bench/run.sh
#   BUILD_DIR=/work/build-bench bench/run.sh
#   MARKDOWN=/tmp/figures.md bench/run.sh   # also write the figures table
#
# The Python comparison needs a python3 with dbfread (Debian: python3-dbfread);
# without one it is left out.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
build=${BUILD_DIR:-$root/build-bench}
rows=${ROWS:-50000}
repeats=${REPEATS:-5}
py_repeats=${PY_REPEATS:-3}

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DSORVEL_TESTS=OFF >/dev/null
cmake --build "$build" -j"$(nproc)" --target gen_kjcg bench_db >/dev/null

python=""
for p in ${PYTHON:-} python3 /usr/bin/python3; do
  if command -v "$p" >/dev/null 2>&1 && "$p" -c 'import dbfread' >/dev/null 2>&1; then
    python=$(command -v "$p")
    break
  fi
done
if [ -z "$python" ]; then
  echo "note: no python3 with dbfread found; the Python comparison is left out" >&2
  py_repeats=0
  python=python3
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/sorvel-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT

echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//')"
echo "date:    $(date -u '+%Y-%m-%d %H:%M UTC')"
"$build/bench/gen_kjcg" "$work" --rows "$rows"
args=("$work" --repeats "$repeats" --py-repeats "$py_repeats" --python "$python")
if [ -n "${MARKDOWN:-}" ]; then
  args+=(--markdown "$MARKDOWN")
fi
"$build/bench/bench_db" "${args[@]}"
