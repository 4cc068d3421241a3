#!/usr/bin/env bash
# Adds a 20 MB file to an archive and extracts it again, against plain zlib over
# the same blocks at the same level, in the same run.
set -euo pipefail
cd "$(dirname "$0")/../../.."
bench=build/native/bench-bin/archive_bench
[ -x $bench ] || { echo "archive bench: $bench not built, skipped"; exit 0; }
mkdir -p build/bench/archive
$bench build/bench/archive
