#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for SECONDS (default 30).
# Fails when a target finds a crash, a leak or undefined behaviour.
set -euo pipefail
cd "$(dirname "$0")/.."
secs=${1:-30}
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DSORVEL_FUZZ=ON -DSORVEL_TESTS=OFF -DSORVEL_BENCH=OFF \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-fuzz
status=0
for t in build-fuzz/fuzz/fuzz_*; do
  [ -f "$t" ] && [ -x "$t" ] || continue
  name=$(basename "$t"); corpus=fuzz/corpus/${name#fuzz_}
  work=$(mktemp -d); [ -d "$corpus" ] && cp -r "$corpus"/. "$work"/
  log=$(mktemp)
  rc=0
  (cd "$(dirname "$log")" && "$OLDPWD/$t" -max_total_time="$secs" -rss_limit_mb=2048 -max_len=65536 \
      -print_final_stats=1 "$work" >"$log" 2>&1) || rc=$?
  execs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || echo "?")
  if [ "$rc" -ne 0 ]; then
    echo "$name: FAILED after $execs executions"; tail -40 "$log"; status=1
  else
    echo "$name: $execs executions in ${secs}s, no findings"
  fi
  rm -rf "$work" "$log"
done
exit $status
