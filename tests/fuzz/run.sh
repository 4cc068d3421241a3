#!/usr/bin/env bash
# Replays each fuzz target's corpus and then fuzzes it for a while.
# Usage: tests/fuzz/run.sh [--seconds N]   (default 600: a full campaign)
set -euo pipefail
cd "$(dirname "$0")/../.."
seconds=600
[ "${1:-}" = "--seconds" ] && seconds=$2

shopt -s nullglob
targets=(build/fuzz/fuzz-bin/*)
if [ ${#targets[@]} -eq 0 ]; then echo "no fuzz targets built"; exit 0; fi
for t in "${targets[@]}"; do
  name=$(basename "$t")
  corpus=tests/fuzz/corpus/$name
  work=build/fuzz/corpus/$name
  mkdir -p "$work"
  [ -d "$corpus" ] && cp -n "$corpus"/* "$work"/ 2>/dev/null || true
  echo "fuzz $name for ${seconds}s"
  "$t" -max_total_time="$seconds" -print_final_stats=0 "$work" 2>"build/fuzz/$name.log" ||
    { tail -40 "build/fuzz/$name.log"; exit 1; }
done
echo "fuzz targets ran without a finding"
