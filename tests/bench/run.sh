#!/usr/bin/env bash
# Runs every benchmark (tests/bench/*/run.sh); each prints its ratios against a peer.
set -euo pipefail
cd "$(dirname "$0")/../.."
status=0
for b in tests/bench/*/run.sh; do
  echo "== $b"
  bash "$b" || status=1
done
exit $status
