#!/usr/bin/env bash
# Runs the tests of a suite that place real windows once more on the X11
# platform, under a virtual X server of their own (no window manager, so
# nothing moves the windows but the program).  Without xvfb-run they are
# skipped (exit 77, ctest's skip code) with a message.
# Usage: on_x11.sh SUITE_BINARY GTEST_FILTER
set -uo pipefail
bin=$1
filter="--gtest_filter=$2"
if ! command -v xvfb-run >/dev/null 2>&1 || ! command -v Xvfb >/dev/null 2>&1; then
    echo "SKIPPED: these tests on X11 need a virtual X server: xvfb-run (Debian package xvfb) is not there"
    exit 77
fi
run=(xvfb-run -a -s '-screen 0 1280x1024x24' env QT_QPA_PLATFORM=xcb "$bin" "$filter")
out=$("${run[@]}" 2>&1)
rc=$?
printf '%s\n' "$out"
if [ $rc -ne 0 ] && grep -q 'Xvfb failed to start' <<<"$out"; then
    echo "SKIPPED: the virtual X server could not start here"
    exit 77
fi
[ $rc -eq 0 ] || exit $rc
# A filter that matches nothing passes silently: something must have run.
if ! grep -q '^\[  PASSED  \] [1-9]' <<<"$out"; then
    echo "FAILED: no test matched $2"
    exit 1
fi
