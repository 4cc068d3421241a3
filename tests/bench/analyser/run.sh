#!/usr/bin/env bash
# Benchmark of the analyser: tessel renders a 120-second 44.1 kHz stereo wave at 1024 points and
# a 10 ms time scale (bitmap and PNG), and sox renders its spectrogram of the same wave with as
# many columns, in the same run. Prints both times and their ratio; fails above 1.0.
set -euo pipefail
cd "$(dirname "$0")/../../.."
tessel=build/native/bin/tessel
[ -x "$tessel" ] || { cmake --preset native >/dev/null && cmake --build --preset native --target tessel; }
command -v sox >/dev/null || { echo "sox is missing (scripts/deps.sh installs it)"; exit 1; }

work=build/bench/analyser
mkdir -p "$work"
wave=$work/in.wav
[ -f "$wave" ] || sox -n -r 44100 -c 2 -b 16 "$wave" synth 120 sine 100-10000 pinknoise vol 0.5

# Columns of the analysis: (samples - 1024 points * 2 channels) / (44100 * 10 ms * 2 channels).
frames=$(( ($(stat -c %s "$wave") - 44) / 4 ))
columns=$(( (frames * 2 - 2048) / 882 ))

now() { date +%s.%N; }
best() { # best of three runs of a command, in seconds
  local b=""
  for _ in 1 2 3; do
    local t0 t1
    t0=$(now); "$@" >/dev/null 2>&1; t1=$(now)
    b=$(echo "$t0 $t1 ${b:-1e9}" | awk '{d=$2-$1; print (d<$3)?d:$3}')
  done
  echo "$b"
}

ours=$(best "$tessel" "$wave" "$work/tessel.bmp" --fft 1024 --time-scale 10 --png --quiet)
peer=$(best sox "$wave" -n spectrogram -x "$columns" -o "$work/sox.png")
width=$(od -An -t u4 -j 18 -N 4 "$work/tessel.bmp" | tr -d ' ')
[ "$width" -eq "$columns" ] || { echo "tessel made $width columns, expected $columns"; exit 1; }

ratio=$(echo "$ours $peer" | awk '{printf "%.3f", $1/$2}')
echo "analyser: $columns columns; tessel ${ours}s, sox spectrogram ${peer}s; ratio $ratio (at most 1.0)"
awk -v r="$ratio" 'BEGIN { exit !(r <= 1.0) }'
