#!/usr/bin/env bash
# Runs every test: native unit tests, the same under sanitizers, the fuzz targets
# briefly, and the win32 and win64 unit and end-to-end tests under Wine 10 in the
# project's Debian 13 root (virtual display, real-time sound server, PDF printer).
set -euo pipefail
cd "$(dirname "$0")"
./build.sh native win32 win64 asan fuzz

status=0
run() { echo "== $*"; "$@" || status=1; }

run ctest --test-dir build/native --output-on-failure -j2
run ctest --test-dir build/asan --output-on-failure -j2
run ./tests/fuzz/run.sh --seconds 5
run ./tests/windows/root.sh make
run ./tests/windows/run.sh win32 -j1
run ./tests/windows/run.sh win64 -j1

if [ $status -eq 0 ]; then echo "All test groups passed."; else echo "Some test groups FAILED."; fi
exit $status
