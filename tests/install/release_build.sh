#!/usr/bin/env bash
# Configures and builds a Release copy the way a user would (warnings shown,
# not errors; no tests, benchmarks or fuzz targets), installs it into a
# scratch prefix, and packages it as a .deb. The build must give no warning.
set -euo pipefail
src=${TILDO_SOURCE_DIR:?}
work=${TILDO_INSTALL_WORK:?}
[ -d "$work" ] && chmod -R u+w "$work" && rm -rf "$work/prefix" "$work/package" "$work"/scratch.*
mkdir -p "$work"
build=$work/build
cmake -S "$src" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTILDO_WERROR=OFF \
  -DBUILD_TESTING=OFF -DTILDO_BUILD_BENCH=OFF -DTILDO_BUILD_GUI=ON \
  -DTILDO_HOMEPAGE_URL=https://tildo.invalid > "$work/configure.log" 2>&1 || { cat "$work/configure.log"; exit 1; }
# Everything is rebuilt so that warnings of unchanged files are seen too (ccache replays them).
cmake --build "$build" --clean-first -j 2 > "$work/build.log" 2>&1 || { tail -50 "$work/build.log"; exit 1; }
if grep -q "warning:" "$work/build.log"; then
  grep -A3 "warning:" "$work/build.log" | head -40
  echo "FAIL: the Release build gives warnings" >&2
  exit 1
fi
# A user's build needs only what the programs need.
if grep -q '^\(GTest_DIR\|benchmark_DIR\|Qt6Test_DIR\):' "$build/CMakeCache.txt"; then
  echo "FAIL: a user's build looked for the test or benchmark libraries" >&2
  exit 1
fi
cmake --install "$build" --prefix "$work/prefix" > "$work/install.log"
(cd "$build" && cpack -G DEB -B "$work/package" > "$work/cpack.log" 2>&1) || { cat "$work/cpack.log"; exit 1; }
ls "$work"/package/tildo_*.deb
