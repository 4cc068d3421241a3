#!/usr/bin/env bash
# The i686 kelvaro.dll against the native build on one file: build/win32's dll_bench.exe decodes
# it under Wine through the library's exports (best of 5, timed inside the program, so Wine's
# start-up is left out) and the native tool decodes it (best of 5). Prints the ratio, at most
# 1.3. Where 32-bit programs cannot run under Wine it says so and measures nothing. With the
# win64 build present it first prints the x86-64 library under Wine, which shows what Wine
# itself costs.
set -euo pipefail
cd "$(dirname "$0")/../../.."
in=$(realpath "$1")
bench=build/win32/tests-bin/dll_bench.exe
export VARDEX_WINROOT=${VARDEX_WINROOT:-$PWD/build/winroot}
[ -f "$bench" ] && [ -f build/win32/bin/kelvaro.dll ] ||
  { echo "i686 library: $bench or build/win32/bin/kelvaro.dll is missing (./build.sh win32)"; exit 1; }
out=$PWD/build/bench/decoder/dll.wav
native=1e9
for _ in 1 2 3 4 5; do
  t0=$(date +%s.%N)
  build/native/bin/kelvaro "$in" "$out" >/dev/null
  t1=$(date +%s.%N)
  native=$(echo "$native $t0 $t1" | awk '{d=$3-$2; print (d<$1)?d:$1}')
done
under_wine() { # build tree: prints the seconds of its dll_bench, best of 5
  tests/windows/root.sh run "build/$1/wine-run.sh" "build/$1/tests-bin/dll_bench.exe" "Z:$in" \
    "Z:$out" 5 2>/dev/null | tr -d '\r' | awk '/kelvaro.dll:/ {print $3}'
}
# For reference, what Wine itself costs: the x86-64 library of the same code under Wine.
if [ -f build/win64/tests-bin/dll_bench.exe ]; then
  wine64=$(under_wine win64)
  [ -n "$wine64" ] && echo "x86-64 library under Wine ${wine64}s, native ${native}s:" \
    "ratio $(echo "$wine64 $native" | awk '{printf "%.3f", $1/$2}') (reference)"
fi
if ! tests/windows/root.sh wow64-works; then
  echo "i686 library: NOT MEASURED - this machine cannot run 32-bit code under Wine" \
    "(tests/windows/root.sh wow64-works fails); run tests/bench/decoder/run.sh where it can"
  exit 0
fi
wine32=$(under_wine win32)
[ -n "$wine32" ] || { echo "i686 library: dll_bench failed under Wine"; exit 1; }
ratio=$(echo "$wine32 $native" | awk '{printf "%.3f", $1/$2}')
echo "i686 library under Wine ${wine32}s, native ${native}s on $(basename "$in"): ratio $ratio (at most 1.3)"
awk -v r="$ratio" 'BEGIN { exit !(r <= 1.3) }'
