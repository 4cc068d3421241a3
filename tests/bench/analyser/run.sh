#!/usr/bin/env bash
# Benchmark of the analyser, against sox spectrogram in the same run:
#  1. a 120-second 44.1 kHz stereo wave at 1024 points and a 10 ms time scale (bitmap and PNG),
#     sox rendering as many columns: the best-of-three time ratio (at most 0.5) and the ratio of
#     the instructions that callgrind counts (when valgrind is there);
#  2. a 10-minute 44.1 kHz stereo wave at 16384 points, every other option at its default: the
#     best-of-three time (at most 10 s) and the peak memory, which may exceed the wave data and
#     the spectral image, both held whole, by at most a fifth.
# Fails when a goal is missed.
set -euo pipefail
cd "$(dirname "$0")/../../.."
tessel=build/native/bin/tessel
[ -x "$tessel" ] || { cmake --preset native >/dev/null && cmake --build --preset native --target tessel; }
for t in sox /usr/bin/time; do
  command -v $t >/dev/null || { echo "$t is missing (scripts/deps.sh installs it)"; exit 1; }
done

work=build/bench/analyser
mkdir -p "$work"
short=$work/in.wav long=$work/long.wav
[ -f "$short" ] || sox -n -r 44100 -c 2 -b 16 "$short" synth 120 sine 100-10000 pinknoise vol 0.5
[ -f "$long" ] || sox -n -r 44100 -c 2 -b 16 "$long" synth 600 sine 100-10000 pinknoise vol 0.5

u32() { od -An -t u4 -j "$2" -N 4 "$1" | tr -d ' '; }
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
instructions() { # instructions that callgrind counts for a command
  local out=$work/callgrind.out
  valgrind --tool=callgrind --callgrind-out-file="$out" "$@" >/dev/null 2>&1
  awk '/^(summary|totals):/ {print $2; exit}' "$out"
}
ratio() { echo "$1 $2" | awk '{printf "%.3f", $1/$2}'; }
status=0
check() { # value, limit, what
  awk -v v="$1" -v l="$2" 'BEGIN { exit !(v <= l) }' || { echo "  MISSED: $3 $1 > $2"; status=1; }
}

# 1. 120 s at 1024 points: columns = (samples - 1024 points * 2 channels) / (441 * 2).
columns=$(( (($(stat -c %s "$short") - 44) / 2 - 2048) / 882 ))
ours_args=("$tessel" "$short" "$work/tessel.bmp" --fft 1024 --time-scale 10 --png --quiet)
peer_args=(sox "$short" -n spectrogram -x "$columns" -o "$work/sox.png")
ours=$(best "${ours_args[@]}")
peer=$(best "${peer_args[@]}")
[ "$(u32 "$work/tessel.bmp" 18)" -eq "$columns" ] || { echo "tessel made the wrong width"; exit 1; }
echo "analyser, 120 s at 1024 points ($columns columns): tessel ${ours}s, sox spectrogram ${peer}s;" \
  "time ratio $(ratio "$ours" "$peer") (at most 0.5)"
check "$(ratio "$ours" "$peer")" 0.5 "120 s time ratio"
if command -v valgrind >/dev/null; then
  ours_i=$(instructions "${ours_args[@]}")
  peer_i=$(instructions "${peer_args[@]}")
  echo "  instructions: tessel $ours_i, sox $peer_i; ratio $(ratio "$ours_i" "$peer_i")"
fi

# 2. 10 minutes at 16384 points, the rest at the defaults.
long_args=("$tessel" "$long" "$work/long.bmp" --fft 16384 --quiet)
long_time=$(best "${long_args[@]}")
peak_kb=$(/usr/bin/time -f %M "${long_args[@]}" 2>&1 >/dev/null | tail -1)
long_columns=$(u32 "$work/long.bmp" 18)
sample_bytes=$(( $(stat -c %s "$long") - 44 ))
image_bytes=$(( long_columns * $(u32 "$work/long.bmp" 22) ))
held=$(( sample_bytes + image_bytes ))
memory=$(ratio $(( peak_kb * 1024 )) "$held")
echo "analyser, 10 min at 16384 points ($long_columns columns): tessel ${long_time}s (at most 10 s);" \
  "peak memory $(( peak_kb / 1024 )) MiB = $memory x (wave data $sample_bytes + image $image_bytes" \
  "bytes) (at most 1.2)"
check "$long_time" 10 "10-minute time"
check "$memory" 1.2 "peak memory ratio"
exit $status
