#!/usr/bin/env bash
# Replays each fuzz target's corpus and then fuzzes it for a while, one target at a time.
# Every target the fuzz build declares (build/fuzz/fuzz-targets.txt, written by CMake) must
# have been built: a missing one fails the run.
# Usage: tests/fuzz/run.sh [--seconds N] [TARGET...]   (default 600 s each: a campaign)
set -euo pipefail
cd "$(dirname "$0")/../.."
seconds=600
if [ "${1:-}" = "--seconds" ]; then
  seconds=$2
  shift 2
fi

manifest=build/fuzz/fuzz-targets.txt
[ -f "$manifest" ] || { echo "no fuzz build: configure and build the fuzz preset first"; exit 1; }
mapfile -t declared < <(grep -v '^$' "$manifest")
targets=("${declared[@]}")
[ $# -gt 0 ] && targets=("$@")
missing=0
for name in "${targets[@]}"; do
  [ -x "build/fuzz/fuzz-bin/$name" ] || { echo "fuzz target $name was not built"; missing=1; }
done
[ $missing = 0 ] || exit 1

# Longest input per target (empty: libFuzzer's default). The archive seeds are a few KB.
max_len() {
  case $1 in
    archive_safe_name_fuzz) echo 512 ;;
    archive_segments_fuzz) echo 16384 ;;
    archive_writer_fuzz) echo 4096 ;;
    archive_*) echo 8192 ;;
  esac
}

for name in "${targets[@]}"; do
  corpus=tests/fuzz/corpus/$name
  work=build/fuzz/corpus/$name
  log=build/fuzz/$name.log
  mkdir -p "$work"
  # The seeds replace older copies of themselves; what the fuzzer added keeps its own names.
  [ -d "$corpus" ] && cp "$corpus"/* "$work"/ 2>/dev/null || true
  limit=$(max_len "$name")
  echo "fuzz $name for ${seconds}s${limit:+, inputs up to $limit bytes}"
  # -reload=0: no other process adds to this corpus, so it is not listed again every second.
  if ! "build/fuzz/fuzz-bin/$name" -max_total_time="$seconds" ${limit:+-max_len=$limit} \
    -reload=0 -print_final_stats=1 -artifact_prefix="build/fuzz/$name-" "$work" 2>"$log"; then
    tail -40 "$log"
    exit 1
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
  echo "  $runs runs, $speed per second"
done
echo "fuzz targets ran without a finding"
