#!/usr/bin/env bash
# Decoding speed of the kelvaro tool against mpg123 on four 120-second files (320 kbit/s stereo,
# 128 kbit/s joint stereo, 22.05 kHz at the lower sampling frequencies, Layer II 192 kbit/s),
# both writing a wave file, in the same run. Prints per file the best wall time of
# BENCH_RUNS runs each (default 7, alternating) and its ratio, and the ratio of the
# instructions counted by valgrind's callgrind (which other load does not disturb). Then the
# i686 library under Wine against the native build (tests/bench/decoder/wine.sh).
# Fails when a peer, a tool or a file is missing, or when a wall ratio is above 1.0.
set -euo pipefail
cd "$(dirname "$0")/../../.."
tool=build/native/bin/kelvaro
runs=${BENCH_RUNS:-7}
for t in sox lame twolame mpg123 valgrind; do
  command -v $t >/dev/null || { echo "decoder bench: $t is missing (scripts/deps.sh installs it)"; exit 1; }
done
[ -x $tool ] || { cmake --preset native >/dev/null && cmake --build --preset native --target kelvaro; }
[ -x $tool ] || { echo "decoder bench: $tool was not built"; exit 1; }

work=build/bench/decoder
mkdir -p "$work"
source=$work/source.wav
[ -f "$source" ] || sox -n -r 44100 -c 2 -b 16 "$source" synth 120 sine 100-8000 pinknoise \
  sine 440 vol 0.4 2>/dev/null
make_file() { # name, encoder command reading $source and writing the file
  local name=$1
  shift
  [ -s "$work/$name" ] || "$@" "$source" "$work/$name" >/dev/null 2>&1
  [ -s "$work/$name" ] || { echo "decoder bench: could not make $name"; exit 1; }
}
make_file s320.mp3 lame --quiet -m s -b 320
make_file js128.mp3 lame --quiet -m j -b 128
make_file lsf22.mp3 lame --quiet -m j --resample 22.05 -b 64
make_file l2-192.mp2 twolame --quiet -b 192

now() { date +%s.%N; }
elapsed() { # seconds one run of a command takes
  local t0 t1
  t0=$(now)
  "$@" >/dev/null 2>&1 || { echo "decoder bench: $* failed" >&2; exit 1; }
  t1=$(now)
  echo "$t0 $t1" | awk '{print $2 - $1}'
}
instructions() { # instructions of one run under callgrind, every thread
  valgrind --tool=callgrind --callgrind-out-file=/dev/null "$@" 2>&1 >/dev/null |
    awk '/Collected :/ {print $NF}'
}

status=0
for name in s320.mp3 js128.mp3 lsf22.mp3 l2-192.mp2; do
  in=$work/$name
  ours=1e9 peer=1e9
  for _ in $(seq "$runs"); do
    ours=$(echo "$ours $(elapsed $tool "$in" "$work/ours.wav")" | awk '{print ($2<$1)?$2:$1}')
    peer=$(echo "$peer $(elapsed mpg123 -q -w "$work/peer.wav" "$in")" | awk '{print ($2<$1)?$2:$1}')
  done
  oursI=$(instructions $tool "$in" "$work/ours.wav")
  peerI=$(instructions mpg123 -q -w "$work/peer.wav" "$in")
  [ -n "$oursI" ] && [ -n "$peerI" ] || { echo "decoder bench: callgrind gave no count"; exit 1; }
  ratio=$(echo "$ours $peer" | awk '{printf "%.3f", $1/$2}')
  iratio=$(echo "$oursI $peerI" | awk '{printf "%.3f", $1/$2}')
  printf '%-11s kelvaro %.3fs, mpg123 %.3fs: wall ratio %s (best of %d); instructions %s / %s = %s\n' \
    "$name" "$ours" "$peer" "$ratio" "$runs" "$oursI" "$peerI" "$iratio"
  awk -v r="$ratio" 'BEGIN { exit !(r <= 1.0) }' || status=1
done
[ $status -eq 0 ] || echo "decoder bench: a wall ratio is above 1.0"
bash tests/bench/decoder/wine.sh "$work/js128.mp3" || status=1
exit $status
