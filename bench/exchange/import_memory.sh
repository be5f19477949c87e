#!/bin/sh
# Peak resident size of importing 5,000 records into data folders of 10,000
# and 200,000 records (each record with 8 sub-table rows).
#
#   bench/exchange/import_memory.sh              build dir: ./build-bench
#   BUILD_DIR=build SIZES="10000 200000" RECORDS=5000 bench/exchange/import_memory.sh
set -eu
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
BUILD_DIR=${BUILD_DIR:-$ROOT/build-bench}
SIZES=${SIZES:-"10000 200000"}
RECORDS=${RECORDS:-5000}
if [ ! -f "$BUILD_DIR/CMakeCache.txt" ]; then
    cmake -S "$ROOT" -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$BUILD_DIR" --target import_memory -j3 >/dev/null
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
BIN="$WORK/import_memory"
cp "$BUILD_DIR/bench/exchange/import_memory" "$BIN"

"$BIN" fill "$WORK/source" "$RECORDS" >/dev/null
mkdir -p "$WORK/package"
"$BIN" export "$WORK/source" "$WORK/package" >/dev/null
for size in $SIZES; do
    rm -rf "$WORK/base"
    "$BIN" fill "$WORK/base" "$size" >/dev/null
    for mode in save overwrite; do
        rm -rf "$WORK/target"
        cp -r "$WORK/base" "$WORK/target"
        flag=""
        [ "$mode" = overwrite ] && flag="--overwrite"
        /usr/bin/time -v "$BIN" import "$WORK/target" "$WORK/package/cgsbqy.arj" $flag >"$WORK/out" 2>"$WORK/time"
        rss=$(sed -n 's/.*Maximum resident set size (kbytes): //p' "$WORK/time")
        echo "import of $RECORDS records ($mode) into $size records: peak RSS $rss kB; $(cat "$WORK/out")"
    done
done
