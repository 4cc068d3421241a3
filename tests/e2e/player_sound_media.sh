#!/bin/bash
# The songs of the player's sound test, made before it: a 16 s song of noise bursts and
# chirps (nothing in it repeats, so every 250 ms of it has exactly one place), mpg123's
# decode of it as the reference, and a 5 MB song for the start-up time. Exit code 77
# means skipped (a tool is missing).
set -eu
out=$1
for tool in sox lame mpg123; do
  command -v "$tool" >/dev/null || { echo "SKIPPED: $tool is not installed"; exit 77; }
done
mkdir -p "$out"
cd "$out"
rm -f noise_song.wav noise_song.mp3 reference.wav big_song.mp3
# Left: pink noise over a rising chirp; right: other noise over a falling chirp; both in
# bursts of a 2.3 Hz tremolo.
sox -D -n -r 44100 -c 2 -b 16 noise_song.wav synth 16 pinknoise pinknoise \
  synth 16 sine mix 150-6000 sine mix 6000-150 tremolo 2.3 70 vol 0.5
lame --quiet -b 192 --tt "Noise Chirps" --ta "The Testers" noise_song.wav noise_song.mp3
mpg123 --quiet --no-gapless -w reference.wav noise_song.mp3
# Eight copies of the song without the tag frame, one behind the other: 5 MB of frames.
lame --quiet -t -b 320 noise_song.wav copy.mp3
for _ in 1 2 3 4 5 6 7 8; do cat copy.mp3; done >big_song.mp3
rm -f copy.mp3
ls -l noise_song.mp3 reference.wav big_song.mp3
