#!/bin/bash
# Configures and builds the three builds: Windows x86-64 (with its tests),
# Windows i686 (compiled only: this kernel runs no 32-bit code) and native.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
cd "$repo"
jobs=$(nproc)
cmake -S . -B build/win64 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DTOLVANE_WIN_TESTS=ON >/dev/null
cmake --build build/win64 -j"$jobs"
if [ "${1:-}" != "--win64-only" ]; then
  cmake -S . -B build/win32 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-i686.cmake >/dev/null
  cmake --build build/win32 -j"$jobs"
  cmake -S . -B build/native -DTOLVANE_WIN64_DIR="$repo/build/win64" >/dev/null
  cmake --build build/native -j"$jobs"
fi
