#!/usr/bin/env bash
# Restores ё in a directory of texts and JSON Lines files on a Dask LocalCluster
# of this machine, with the Python module from the build tree (or the installed
# one when no build tree is found).
#   examples/dask/run.sh INPUT_DIR OUTPUT_DIR [--jsonl FIELD] [--combinations] [--workers N]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${TILDO_BUILD_DIR:-$here/../../build}
if [ -d "$build/python/tildo" ]; then
  export PYTHONPATH="$build/python${PYTHONPATH:+:$PYTHONPATH}"
fi
exec /usr/bin/python3 "$here/restore_dir.py" "$@"
