#!/usr/bin/env bash
# The build's traps for a newcomer: a Windows build configured before the native archive tool
# exists stops with a message (it used to leave Vardex.exe and its tests out without a word);
# build.sh configures afresh after CMakePresets.json changed, and builds the native archive
# tool before a Windows preset.
# Usage: build_test.sh SOURCE_DIR NATIVE_TOOLS_DIR
set -euo pipefail
src=$1
tools=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

# The real tree for win32, once without the native tools and once with them.
configure_win32() {  # BUILD_DIR HOST_TOOLS
  cmake -S "$src" -B "$1" -G Ninja --toolchain "$src/cmake/toolchain-i686-mingw.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DVARDEX_TESTS=OFF -DVARDEX_HOST_TOOLS="$2"
}
if configure_win32 "$work/no-tools" "$work/none" >"$work/no-tools.log" 2>&1; then
  fail "win32 configured without the native archive tool"
fi
grep -q "The native archive tool $work/none/archive is missing" "$work/no-tools.log" ||
  fail "no message about the missing tool: $(cat "$work/no-tools.log")"
if configure_win32 "$work/empty-tools" "" >"$work/empty-tools.log" 2>&1; then
  fail "win32 configured without VARDEX_HOST_TOOLS"
fi
grep -q "VARDEX_HOST_TOOLS does not name" "$work/empty-tools.log" || fail "no message about VARDEX_HOST_TOOLS"
configure_win32 "$work/tools" "$tools" >"$work/tools.log" 2>&1 || fail "win32 with the tools: $(cat "$work/tools.log")"
grep -q "bin/Vardex.exe:" "$work/tools/build.ninja" || fail "Vardex.exe is not built with the tools"

# build.sh in a small project of its own: a native preset whose "archive_tool" records that it
# was built, a Windows-named preset that needs it, and a cache variable to edit.
mkdir -p "$work/p/scripts"
cp "$src/build.sh" "$work/p/"
printf '#!/bin/sh\nexit 0\n' >"$work/p/scripts/deps.sh"
chmod +x "$work/p/build.sh" "$work/p/scripts/deps.sh"
cat >"$work/p/CMakeLists.txt" <<'CMAKE'
cmake_minimum_required(VERSION 3.25)
project(BuildShCheck NONE)
set(SHADE "" CACHE STRING "")
file(WRITE ${CMAKE_BINARY_DIR}/shade.txt "${SHADE}")
if(PRESET STREQUAL "native")
  add_custom_target(archive_tool COMMAND ${CMAKE_COMMAND} -E touch ${CMAKE_BINARY_DIR}/tool-built)
elseif(NOT EXISTS ${CMAKE_SOURCE_DIR}/build/native/tool-built)
  message(FATAL_ERROR "the native tool was not built first")
endif()
CMAKE
presets() {  # SHADE of the win preset
  cat >"$work/p/CMakePresets.json" <<JSON
{
  "version": 5,
  "configurePresets": [
    { "name": "native", "generator": "Ninja", "binaryDir": "\${sourceDir}/build/native",
      "cacheVariables": { "PRESET": "native" } },
    { "name": "winx", "generator": "Ninja", "binaryDir": "\${sourceDir}/build/winx",
      "cacheVariables": { "PRESET": "winx", "SHADE": "$1" } }
  ],
  "buildPresets": [
    { "name": "native", "configurePreset": "native" },
    { "name": "winx", "configurePreset": "winx" }
  ]
}
JSON
}
presets red
"$work/p/build.sh" winx >"$work/p1.log" 2>&1 || fail "build.sh winx on a fresh tree: $(cat "$work/p1.log")"
[ "$(cat "$work/p/build/winx/shade.txt")" = red ] || fail "first configure"
sleep 1  # the edit must be newer than the build folder's cache
presets blue
"$work/p/build.sh" winx >"$work/p2.log" 2>&1 || fail "build.sh after the preset edit: $(cat "$work/p2.log")"
[ "$(cat "$work/p/build/winx/shade.txt")" = blue ] || fail "the preset edit was ignored"
echo "build traps: all checks passed"
