#!/usr/bin/env bash
# Makes sample.mp3, the short song that the demo and the end-to-end tests turn into a
# self-playing program: a six-second arpeggio synthesised with sox and encoded with
# lame (64 kbit/s stereo, no tag, so that the builder's tag append can be seen).
set -euo pipefail
cd "$(dirname "$0")"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
notes=(C4 E4 G4 C5 G4 E4 C4 E4 G4 C5 E5 C5)
parts=()
for i in "${!notes[@]}"; do
  sox -n -r 44100 -c 2 "$work/$i.wav" synth 0.5 pluck "${notes[$i]}" fade 0 0.5 0.1 vol 0.6
  parts+=("$work/$i.wav")
done
sox "${parts[@]}" "$work/song.wav"
lame --quiet -b 64 "$work/song.wav" sample.mp3
