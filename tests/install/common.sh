# Shared by the checks of the installed program; sourced.
set -euo pipefail
work=${TILDO_INSTALL_WORK:?}
prefix=$work/prefix
scratch=$(mktemp -d "$work/scratch.XXXXXX")
trap 'chmod -R u+w "$scratch" 2>/dev/null; rm -rf "$scratch"' EXIT
# Nothing a check starts may write into the real home.
export HOME=$scratch/home XDG_CONFIG_HOME=$scratch/config XDG_STATE_HOME=$scratch/state XDG_RUNTIME_DIR=$scratch/run
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
unset XDG_DATA_DIRS
fail() { echo "FAIL: $*" >&2; exit 1; }
# A text with two words the dictionary fixes (еще → ещё, елка → ёлка).
write_text() { printf 'Еще одна елка.\n' > "$1"; }
