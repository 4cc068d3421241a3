#!/bin/bash
# MP3s whose ID3v1 tags lame wrote (lame pads the fields with zero bytes), read by the
# tag component's tests from OUT. Exit code 77 means skipped (a tool is missing).
set -eu
out=$1
for tool in sox lame; do
  command -v "$tool" >/dev/null || { echo "SKIPPED: $tool is not installed"; exit 77; }
done
mkdir -p "$out"
cd "$out"
sox -n -r 44100 -c 1 -b 16 tone.wav synth 0.5 sine 440
# Every field and a track number (ID3v1.1).
lame --quiet --id3v1-only --tt "Lame Title" --ta "Lame Artist" --tl "Lame Album" --ty 2003 \
  --tc "Lame comment" --tn 7 --tg Rock tone.wav track.mp3
# Every field, no track number, a comment of the full 30 characters (ID3v1.0).
lame --quiet --id3v1-only --tt "Second" --ta "Artist Two" --tl "Album Two" --ty 1998 \
  --tc "abcdefghijklmnopqrstuvwxyz0123" --tg Jazz tone.wav notrack.mp3
rm -f tone.wav
ls -l track.mp3 notrack.mp3
