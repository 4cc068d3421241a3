#!/usr/bin/env bash
# Decodes every stream in the shared compliance folder with the native
# kelvaro tool under valgrind's memcheck, and fails on any report (an error of memcheck, or a
# definite leak). Skips (exit 77, shown by CTest as skipped) when valgrind or the streams are
# missing. The streams run side by side, one valgrind per processor.
# Usage: memcheck.sh KELVARO_TOOL STREAM_DIR
set -uo pipefail
tool=$1
dir=$2
if ! command -v valgrind >/dev/null 2>&1; then
  echo "SKIPPED: valgrind is not installed"
  exit 77
fi
shopt -s nullglob
streams=("$dir"/*.bit)
if [ ${#streams[@]} -eq 0 ]; then
  echo "SKIPPED: no compliance streams in $dir"
  exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

check() {
  local stream=$1 work=$2 tool=$3
  local name
  name=$(basename "$stream" .bit)
  if valgrind -q --error-exitcode=9 --leak-check=full --errors-for-leak-kinds=definite \
      --log-file="$work/$name.log" "$tool" "$stream" "$work/$name.wav" >/dev/null 2>&1; then
    echo "clean   $name"
  else
    echo "FAILED  $name (exit $?)"
    cat "$work/$name.log"
    return 1
  fi
}
export -f check

jobs=$(nproc 2>/dev/null || echo 2)
if printf '%s\n' "${streams[@]}" | xargs -P "$jobs" -I{} bash -c 'check "$@"' _ {} "$work" "$tool"; then
  echo "memcheck: ${#streams[@]} streams, no reports"
  exit 0
fi
echo "memcheck: reports above"
exit 1
