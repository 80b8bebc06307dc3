#!/usr/bin/env bash
# Sets up, builds and starts tildo. Arguments are passed to the program (a text to open).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTILDO_BUILD_GUI=ON >/dev/null
cmake --build build -j "$(nproc)"
if [ -x build/bin/tildo ]; then
  if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display: starting the window under a virtual X server (xvfb-run)." >&2
    echo "To see it, run with a display, or: build/bin/tildo -platform vnc (then connect a VNC viewer to port 5900)." >&2
    exec xvfb-run -a build/bin/tildo "$@"
  fi
  exec build/bin/tildo "$@"
elif [ -x build/bin/tildo-cli ]; then
  echo "The window is not built yet; running the engine's built-in self-test instead." >&2
  build/bin/tildo-cli selftest && echo "self-test passed"
else
  echo "Neither the window nor the command-line tool exists yet; running the core's tests as its self-check." >&2
  cd build && ctest --output-on-failure
fi
