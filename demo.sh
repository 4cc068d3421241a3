#!/usr/bin/env bash
# The main job: builds everything and shows the suite at work on a sample song.
# Output goes to build/demo/.
set -euo pipefail
cd "$(dirname "$0")"
./build.sh

out=build/demo
rm -rf "$out" && mkdir -p "$out"
bin=build/native/bin
song=$out/sample.mp3

echo "== a sample song: a rising sweep over a steady tone, made with sox, encoded with lame"
sox -n -r 44100 -c 2 -b 16 "$out/sample.wav" synth 6 sine 300-6000 sine 880 fade 0.2 6 0.5 vol 0.5
lame --quiet -b 128 --tt "Sample Sweep" --ta "Vardex Demo" "$out/sample.wav" "$song"
ls -l "$song"

echo "== the decoder archive: kelvaro.dll packed by the archive tool, listed and checked"
"$bin/archive" create "$out/decoder.arc" build/win32/bin/kelvaro.dll --block-size 262144 --level max
"$bin/archive" list "$out/decoder.arc"
"$bin/archive" test "$out/decoder.arc"

echo "== the decoder: the song decoded to a wave file by the kelvaro tool"
"$bin/kelvaro" "$song" "$out/sample-decoded.wav"
ls -l "$out/sample-decoded.wav"

echo "== the analyser: the decoded song as a spectral image"
"$bin/tessel" "$out/sample-decoded.wav" "$out/sample-spectrum.bmp" --png --quiet
ls -l "$out"/sample-spectrum.*

echo
echo "Done. Everything the demo made is in $out/"
