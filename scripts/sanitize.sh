#!/usr/bin/env bash
# Builds every test and the program with clang under the address and
# undefined-behaviour sanitizers (in build-asan) and runs the whole suite
# there. A finding fails the test it happens in; what lies provably inside Qt
# or the system's libraries is suppressed in tests/sanitizers.
set -euo pipefail
cd "$(dirname "$0")/.."
sup=$PWD/tests/sanitizers
# The build runs programs too (the seed loader, the test discovery).
export ASAN_OPTIONS=detect_leaks=1:detect_stack_use_after_return=1:check_initialization_order=1
export LSAN_OPTIONS=suppressions=$sup/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1:suppressions=$sup/ubsan.supp
CC=clang CXX=clang++ cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSORVEL_SANITIZE=ON \
  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -gline-tables-only -DNDEBUG" -DSORVEL_BENCH=OFF >/dev/null
cmake --build build-asan
QT_QPA_PLATFORM=offscreen ctest --test-dir build-asan --output-on-failure -j"${CTEST_PARALLEL_LEVEL:-$(nproc)}"
