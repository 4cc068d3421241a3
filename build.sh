#!/usr/bin/env bash
# Builds the three targets: build/native (core, tools, tests), build/win32, build/win64.
# Usage: ./build.sh [preset...]   (default: native win32 win64)
set -euo pipefail
cd "$(dirname "$0")"
./scripts/deps.sh

# Configures build/<preset> when it is new, and afresh when CMakePresets.json changed since it
# was last configured, so that an edited preset takes effect (also a removed cache variable).
configure() {
  local cache=build/$1/CMakeCache.txt
  if [ ! -f "build/$1/build.ninja" ]; then
    cmake --preset "$1" >/dev/null
  elif [ CMakePresets.json -nt "$cache" ]; then
    echo "== CMakePresets.json changed: configuring build/$1 afresh"
    cmake --preset "$1" --fresh >/dev/null
  fi
}

presets=("$@")
[ ${#presets[@]} -eq 0 ] && presets=(native win32 win64)
for p in "${presets[@]}"; do
  # The Windows builds pack kelvaro.dll with the native archive tool: it is built first.
  if [[ $p == win* ]]; then
    configure native
    cmake --build --preset native --target archive_tool
  fi
  echo "== build $p"
  configure "$p"
  cmake --build --preset "$p"
done
