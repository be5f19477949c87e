#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine, builds everything and runs every test.
# SORVEL_WERROR=ON makes every compiler warning an error (CI sets it).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSORVEL_WERROR="${SORVEL_WERROR:-OFF}" >/dev/null
cmake --build build
QT_QPA_PLATFORM=offscreen ctest --test-dir build --output-on-failure -j"${CTEST_PARALLEL_LEVEL:-$(nproc)}"
