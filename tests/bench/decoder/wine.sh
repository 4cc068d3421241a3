#!/usr/bin/env bash
# The i686 kelvaro.dll against the native build on one file: build/win32's dll_bench.exe decodes
# it under Wine through the library's exports (best of 5, timed inside the program, so Wine's
# start-up is left out) and the native tool decodes it (best of 5). Prints the ratio, at most
# 1.3. Where 32-bit programs cannot run under Wine it says so and measures nothing.
set -euo pipefail
cd "$(dirname "$0")/../../.."
in=$(realpath "$1")
bench=build/win32/tests-bin/dll_bench.exe
export VARDEX_WINROOT=${VARDEX_WINROOT:-$PWD/build/winroot}
[ -f "$bench" ] && [ -f build/win32/bin/kelvaro.dll ] ||
  { echo "i686 library: $bench or build/win32/bin/kelvaro.dll is missing (./build.sh win32)"; exit 1; }
if ! tests/windows/root.sh wow64-works; then
  echo "i686 library: NOT MEASURED - this machine cannot run 32-bit code under Wine" \
    "(tests/windows/root.sh wow64-works fails); run tests/bench/decoder/run.sh where it can"
  exit 0
fi
out=$PWD/build/bench/decoder/dll.wav
line=$(tests/windows/root.sh run build/win32/wine-run.sh "$bench" "Z:$in" "Z:$out" 5 | tr -d '\r' |
  grep 'kelvaro.dll:') || { echo "i686 library: dll_bench failed"; exit 1; }
wine32=$(echo "$line" | awk '{print $3}')
native=1e9
for _ in 1 2 3 4 5; do
  t0=$(date +%s.%N)
  build/native/bin/kelvaro "$in" "$out" >/dev/null
  t1=$(date +%s.%N)
  native=$(echo "$native $t0 $t1" | awk '{d=$3-$2; print (d<$1)?d:$1}')
done
ratio=$(echo "$wine32 $native" | awk '{printf "%.3f", $1/$2}')
echo "i686 library under Wine ${wine32}s, native ${native}s on $(basename "$in"): ratio $ratio (at most 1.3)"
awk -v r="$ratio" 'BEGIN { exit !(r <= 1.3) }'
