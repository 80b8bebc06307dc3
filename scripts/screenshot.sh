#!/usr/bin/env bash
# Takes docs/screenshot.png: the main window with a question open, under a
# virtual X server.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
cmake -S . -B build -G Ninja -DTILDO_BUILD_GUI=ON >/dev/null
cmake --build build --target gui_screenshot gui_tool_screenshots
mkdir -p docs
QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1280x800x24" build/bin/gui_screenshot docs/screenshot.png
QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1280x800x24" \
  build/bin/gui_tool_screenshots docs/dic_editor.png docs/statistics.png
echo "docs/screenshot.png, docs/dic_editor.png and docs/statistics.png written"
