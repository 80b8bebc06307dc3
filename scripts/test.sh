#!/usr/bin/env bash
# Sets up, builds and runs every test in two configurations:
#   build/       optimised, warnings as errors, with the Qt window and its tests;
#   build-asan/  AddressSanitizer + UndefinedBehaviorSanitizer, without the window
#                (which also proves that the core builds without Qt).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
scripts/setup.sh
jobs=$(nproc)

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTILDO_BUILD_GUI=ON -DTILDO_WERROR=ON
cmake --build build -j "$jobs"
(cd build && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$jobs")

cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTILDO_SANITIZE=ON -DTILDO_WERROR=ON -DTILDO_BUILD_GUI=OFF -DTILDO_BUILD_BENCH=OFF
cmake --build build-asan -j "$jobs"
(cd build-asan && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 QT_QPA_PLATFORM=offscreen \
   ctest --output-on-failure -j "$jobs")
