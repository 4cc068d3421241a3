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
# The archive begins behind the player, whose length is the start offset.
"$bin/archive" list "$out/Sample.exe" --offset "$(stat -c %s build/win32/bin/Tunlet.exe)"

# The product is the 32-bit program; where this machine cannot run 32-bit code (some
# virtual machines refuse it) the 64-bit one plays instead. Both play in the Windows test
# world: Wine 10, a virtual display and a sound server whose output is recorded.
if tests/windows/root.sh wow64-works; then
  preset=win32 player=Sample.exe
else
  echo "(this machine cannot run 32-bit code: playing the win64 program instead)"
  preset=win64 player=Sample64.exe
fi
echo "== $player playing under Wine, recorded from the sound server"
# The reference: mpg123's decode, at the sound server's rate.
mpg123 --quiet --no-gapless -w "$out/sample-decode.wav" "$sample"
sox "$out/sample-decode.wav" -r 44100 "$out/sample-reference.wav"
tests/windows/root.sh run bash -c '
  out=$1 player=$2 preset=$3
  build/$preset/wine-run.sh cmd /c exit 0 >/dev/null 2>&1  # prepares the Wine prefix once
  parec -d out.monitor --format=s16le --rate=44100 --channels=2 --file-format=wav "$out/$player-recording.wav" &
  rec=$!
  sleep 0.5
  build/$preset/wine-run.sh "$out/$player" >/dev/null 2>&1 & pid=$!
  sleep 4  # mid-song: the slider has moved on
  xwd -root | convert xwd:- -crop 360x160+0+0 +repage "$out/$player-playing.png"
  sleep 5
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  WINEPREFIX=$PWD/build/$preset/wineprefix /usr/lib/wine/wineserver -k 2>/dev/null || true
  kill "$rec"; wait "$rec" 2>/dev/null || true
' demo "$PWD/$out" "$player" "$preset"
echo "The player window four seconds into the song: $out/$player-playing.png"
echo "How the recording of what it played matches mpg123's decode of the song:"
build/native/bin/soundcheck "$out/$player-recording.wav" "$out/sample-reference.wav" || true
echo "The self-playing programs: $out/Sample.exe (win32) and $out/Sample64.exe (win64)"

echo
echo "Done. Everything the demo made is in $out/"
