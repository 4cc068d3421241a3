#!/usr/bin/env bash
# Decoding speed of the kelvaro tool against mpg123 on the same long MP3, both writing a
# wave file; prints the time ratio (kelvaro / mpg123, best of three runs each).
set -euo pipefail
cd "$(dirname "$0")/../../.."
tool=build/native/bin/kelvaro
for t in sox lame mpg123; do
  command -v $t >/dev/null || { echo "decoder bench: $t missing, skipped"; exit 0; }
done
[ -x $tool ] || { echo "decoder bench: $tool not built, skipped"; exit 0; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
sox -n -r 44100 -c 2 -b 16 "$work/long.wav" synth 120 sine 100-8000 sine 440 vol 0.5 2>/dev/null
lame --quiet -b 192 "$work/long.wav" "$work/long.mp3"

best() {
  local best=""
  for _ in 1 2 3; do
    local start end
    start=$(date +%s.%N)
    "$@" >/dev/null 2>&1
    end=$(date +%s.%N)
    best=$(echo "$start $end ${best:-1e9}" | awk '{d=$2-$1; print (d<$3)?d:$3}')
  done
  echo "$best"
}
ours=$(best $tool "$work/long.mp3" "$work/ours.wav")
peer=$(best mpg123 -q -w "$work/peer.wav" "$work/long.mp3")
echo "decoding 120 s of 192 kbit/s stereo: kelvaro ${ours}s, mpg123 ${peer}s, ratio $(echo "$ours $peer" | awk '{printf "%.2f", $1/$2}')"
