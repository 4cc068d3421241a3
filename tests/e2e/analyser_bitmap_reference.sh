#!/bin/bash
# The reference for the analyser's "&Window Bitmap" check, made by the native tool (which
# cannot run under Wine) before the end-to-end test: a test tone made by sox and the tool's
# spectral image of it with the parameters the test picks (FFT size 512, the rest at their
# start-up values). Exit code 77 means skipped; the test then compares with the core.
set -eu
tool=$1
out=$2
wave=$out/analyser_reference_tone.wav
bmp=$out/analyser_reference_tone.bmp
rm -f "$wave" "$bmp"
if [ ! -x "$tool" ]; then
  echo "SKIPPED: no native tessel at $tool (build the native preset first)"
  exit 77
fi
if ! command -v sox >/dev/null; then
  echo "SKIPPED: sox is not installed"
  exit 77
fi
mkdir -p "$out"
# 22050 Hz, 16 bit, mono, 4 s: a steady 1000 Hz tone and a sweep from 100 to 3100 Hz, no
# dither, so the file is the same on every run.
sox -D -n -r 22050 -b 16 -c 1 "$wave" synth 4 sine 1000 synth 4 sine mix 100-3100 vol 0.5
# The image is made wider than any screen; the test compares the part that the window shows.
"$tool" "$wave" "$bmp" --fft 512 --min-width 4096 --quiet
echo "reference written: $bmp"
