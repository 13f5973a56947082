#!/bin/bash
# Configures and builds the builds: Windows x86-64 (with its tests), Windows
# i686 (compiled only: this kernel runs no 32-bit code), native, and native
# once more under the sanitizers (build/asan) and under the thread sanitizer
# (build/tsan, clang), and the fuzz targets (build/fuzz, clang); the native
# tree's tests run the last three.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
cd "$repo"
jobs=$(nproc)
cmake -S . -B build/win64 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DTOLVANE_WIN_TESTS=ON >/dev/null
cmake --build build/win64 -j"$jobs"
if [ "${1:-}" != "--win64-only" ]; then
  cmake -S . -B build/win32 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-i686.cmake >/dev/null
  cmake --build build/win32 -j"$jobs"
  # The native tests and the probe once more, under the sanitizers.
  cmake -S . -B build/asan -DTOLVANE_SANITIZE=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build build/asan -j"$jobs"
  # The native tests once more under the thread sanitizer, which needs clang here.
  CC=clang CXX=clang++ cmake -S . -B build/tsan -DTOLVANE_TSAN=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build build/tsan -j"$jobs" --target tolvane-tests
  # The fuzz targets: libFuzzer needs clang.
  CC=clang CXX=clang++ cmake -S . -B build/fuzz -DTOLVANE_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build build/fuzz -j"$jobs"
  cmake -S . -B build/native -DTOLVANE_WIN64_DIR="$repo/build/win64" -DTOLVANE_ASAN_DIR="$repo/build/asan" \
    -DTOLVANE_TSAN_DIR="$repo/build/tsan" \
    -DTOLVANE_FUZZ_DIR="$repo/build/fuzz" >/dev/null
  cmake --build build/native -j"$jobs"
fi
