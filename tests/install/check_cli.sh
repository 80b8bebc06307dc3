#!/usr/bin/env bash
# The installed tildo-cli finds its dictionaries under the prefix and opens a
# text given relative to another working directory.
source "$(dirname "$0")/common.sh"
mkdir -p "$scratch/texts/sub"
write_text "$scratch/texts/sub/t.txt"
out=$(cd "$scratch/texts" && "$prefix/bin/tildo-cli" sub/t.txt 2>/dev/null)
[ "$out" = "Ещё одна ёлка." ] || fail "restored: '$out'"
(cd "$scratch/texts" && "$prefix/bin/tildo-cli" forms ёлка | grep -q 'ёлками') || fail "morphs.dat not found"
# Found through XDG_DATA_DIRS when the executable is elsewhere.
mkdir -p "$scratch/bin" && cp "$prefix/bin/tildo-cli" "$scratch/bin/"
out=$(cd "$scratch/texts" && XDG_DATA_DIRS=/nonexistent:$prefix/share "$scratch/bin/tildo-cli" sub/t.txt 2>/dev/null)
[ "$out" = "Ещё одна ёлка." ] || fail "through XDG_DATA_DIRS: '$out'"
if (cd "$scratch/texts" && XDG_DATA_DIRS=/nonexistent "$scratch/bin/tildo-cli" sub/t.txt >/dev/null 2>&1); then
  fail "ran without a dictionary"
fi
[ ! -e "$HOME/.config" ] && [ ! -e "$XDG_CONFIG_HOME" ] || fail "tildo-cli wrote settings"
