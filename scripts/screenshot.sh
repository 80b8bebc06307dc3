#!/usr/bin/env bash
# Takes the documentation's pictures under a virtual X server:
#   docs/screenshot.png         the main window with the floating question open;
#   docs/screenshot-docked.png  the same question in the docked panel;
#   docs/dic_editor.png         the dictionary editor;
#   docs/statistics.png         the statistics window.
# Other scenes for a look before a release: scripts/screenshot.sh find|number|about|rtf OUT.png
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
cmake -S . -B build -G Ninja -DTILDO_BUILD_GUI=ON >/dev/null
cmake --build build --target gui_screenshot gui_tool_screenshots
mkdir -p docs
shoot() { QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1280x800x24" build/bin/gui_screenshot "$@"; }
if [ $# -ge 2 ]; then
  shoot "$2" "$1"
  echo "$2 written"
  exit 0
fi
shoot docs/screenshot.png floating
shoot docs/screenshot-docked.png docked
QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1280x800x24" \
  build/bin/gui_tool_screenshots docs/dic_editor.png docs/statistics.png
echo "docs/screenshot.png, docs/screenshot-docked.png, docs/dic_editor.png and docs/statistics.png written"
