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

echo "== the builder: the shipped sample song turned into self-playing programs"
# Vardex.exe carries the player and the decoder archive; the native vardex tool takes
# them from the win32 (default) or the win64 build and makes the same files.
sample=resources/builder/sample.mp3
"$bin/vardex" "$sample" "$out/Sample.exe"
"$bin/vardex" "$sample" "$out/Sample64.exe" --win64
ls -l "$out"/Sample*.exe
"$bin/archive" list "$out/Sample.exe" --offset 423424

echo "== Sample64.exe playing under Wine (a win32 program cannot run on this machine's kernel)"
play_seconds=4
xvfb-run -a -s "-screen 0 800x600x24" bash -c '
  build/win64/wine-run.sh cmd /c exit 0 >/dev/null 2>&1  # prepares the Wine prefix once
  build/win64/wine-run.sh "$1" & pid=$!
  sleep "$2"
  xwd -root | convert xwd:- "$3"
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  WINEPREFIX=$PWD/build/win64/wineprefix /usr/lib/wine/wineserver -k 2>/dev/null || true
' play "$out/Sample64.exe" "$play_seconds" "$out/Sample64-playing.png"
echo "The player window after $play_seconds seconds: $out/Sample64-playing.png"
echo "The self-playing programs: $out/Sample.exe (win32) and $out/Sample64.exe (win64)"

echo
echo "Done. Everything the demo made is in $out/"
