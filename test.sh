#!/usr/bin/env bash
# Runs every test: native unit tests, the same under sanitizers, the fuzz targets
# briefly, and the win64 unit and end-to-end tests under Wine on a virtual display.
set -euo pipefail
cd "$(dirname "$0")"
./build.sh native win32 win64 asan fuzz

status=0
run() { echo "== $*"; "$@" || status=1; }

run ctest --test-dir build/native --output-on-failure -j2
run ctest --test-dir build/asan --output-on-failure -j2
run ./tests/fuzz/run.sh --seconds 5
run xvfb-run -a -s "-screen 0 1024x768x24" ctest --test-dir build/win64 --output-on-failure -j2

if [ $status -eq 0 ]; then echo "All test groups passed."; else echo "Some test groups FAILED."; fi
exit $status
