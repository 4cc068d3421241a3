#!/usr/bin/env bash
# Runs the Windows unit and end-to-end tests of one target under Wine 10 in the
# project's Debian 13 root, with a virtual display, a real-time sound server and a
# PDF printer:  tests/windows/run.sh win32|win64 [ctest arguments]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/../.." && pwd)
case "${1:-}" in
  win32 | win64) preset=$1; shift ;;
  *) echo "usage: $0 win32|win64 [ctest arguments]" >&2; exit 2 ;;
esac
[ -f "$repo/build/$preset/CTestTestfile.cmake" ] || { echo "build/$preset is not built (./build.sh $preset)" >&2; exit 2; }
if [ "$preset" = win32 ] && ! "$here/root.sh" wow64-works; then
  echo "SKIPPED: the win32 tests: this machine cannot run 32-bit code (Wine's WoW64 start of"
  echo "a 32-bit program fails: the CPU refuses the switch to a 32-bit code segment)."
  exit 0
fi
exec "$here/root.sh" run ctest --test-dir "$repo/build/$preset" --output-on-failure "$@"
