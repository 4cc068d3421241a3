#!/usr/bin/env bash
# Builds the three targets: build/native (core, tools, tests), build/win32, build/win64.
# Usage: ./build.sh [preset...]   (default: native win32 win64)
set -euo pipefail
cd "$(dirname "$0")"
./scripts/deps.sh

presets=("$@")
[ ${#presets[@]} -eq 0 ] && presets=(native win32 win64)
for p in "${presets[@]}"; do
  # The Windows builds take host tools from the native build.
  if [[ $p == win* && ! -d build/native/bin ]]; then
    cmake --preset native >/dev/null && cmake --build --preset native
  fi
  echo "== build $p"
  [ -f "build/$p/build.ninja" ] || cmake --preset "$p" >/dev/null
  cmake --build --preset "$p"
done
