#!/usr/bin/env bash
# End-to-end check of the tessel tool: images, PNG, the All Spectrum log and the dialog's
# messages as errors. Usage: tool_test.sh PATH/TO/tessel
set -euo pipefail
tessel=$1
command -v sox >/dev/null || { echo "SKIP: sox is missing"; exit 0; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
u32() { od -An -t u4 -j "$2" -N 4 "$1" | tr -d ' '; }

sox -n -r 22050 -c 2 -b 16 "$work/st.wav" synth 2 sine 1000 sine 3000
"$tessel" "$work/st.wav" "$work/st.bmp" --fft 512 --time-scale 10 --png --quiet
# (88200 samples - 512 * 2) / 440 per column (441 is not a multiple of 2 channels) = 198
# columns; 2 panels of 44 + 256 rows.
[ "$(u32 "$work/st.bmp" 18)" = 198 ] || fail "width $(u32 "$work/st.bmp" 18)"
[ "$(u32 "$work/st.bmp" 22)" = 600 ] || fail "height"
[ "$(u32 "$work/st.bmp" 2)" = $((1078 + 200 * 600)) ] || fail "file size"
[ -s "$work/st.png" ] || fail "no PNG"
"$tessel" "$work/st.wav" "$work/left.bmp" --fft 512 --view left --min-width 640 --quiet
[ "$(u32 "$work/left.bmp" 18)" = 640 ] || fail "min width"
[ "$(u32 "$work/left.bmp" 22)" = 300 ] || fail "one panel"

"$tessel" "$work/st.wav" "$work/log.bmp" --fft 512 --time-scale 100 --log-all "$work/all.txt" --quiet
head -1 "$work/all.txt" | grep -q "^Sonaris 4.2 Data" || fail "log header"
lines=$(wc -l <"$work/all.txt")
columns=$(( (88200 - 1024) / 4410 ))
[ "$lines" = $((8 + columns * 256)) ] || fail "log lines $lines"

expect_error() { # message, then arguments
  local message=$1
  shift
  if out=$("$tessel" "$@" 2>&1); then fail "no error for $*"; fi
  grep -q "$message" <<<"$out" || fail "expected '$message', got '$out'"
}
expect_error "Improper Begin or End" "$work/st.wav" "$work/x.bmp" --begin 1500 --end 1000
expect_error "Time Scale Out of Range" "$work/st.wav" "$work/x.bmp" --time-scale 0.5
expect_error "Sample Size Too Small" "$work/st.wav" "$work/x.bmp" --begin 0 --end 10
expect_error "Cannot Open File" "$work/missing.wav" "$work/x.bmp"
sox -n -r 48000 -c 1 -b 16 "$work/r48.wav" synth 1 sine 440
expect_error "Sample Rate Out of Range" "$work/r48.wav" "$work/x.bmp"
"$tessel" "$work/r48.wav" "$work/x.bmp" --rate 44100 --quiet || fail "rate override"
# Formats the analyser cannot read are refused, as the window refuses them.
sox -n -r 22050 -c 1 -b 24 "$work/deep.wav" synth 1 sine 440
expect_error "Improper Entry" "$work/deep.wav" "$work/x.bmp"
sox -n -r 22050 -c 3 -b 16 "$work/three.wav" synth 1 sine 440
expect_error "Improper Entry" "$work/three.wav" "$work/x.bmp"
echo "tessel tool: all checks passed"
