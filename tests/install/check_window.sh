#!/usr/bin/env bash
# The installed window, started offscreen from a prefix it cannot write to,
# loads the shipped dictionary, runs a pass, and keeps its settings under
# XDG_CONFIG_HOME; the prefix is left exactly as it was.
source "$(dirname "$0")/common.sh"
ro=$scratch/ro
cp -a "$prefix" "$ro"
chmod -R a-w "$ro"
before=$(find "$ro" -printf '%p %s %T@\n' | sort)
mkdir -p "$scratch/texts"
write_text "$scratch/texts/t.txt"
out=$(cd "$scratch/texts" && timeout 120 "$ro/bin/tildo" --startup-check t.txt) || fail "startup check: $out"
echo "$out"
grep -qx "settings: $XDG_CONFIG_HOME/tildo/tildo.ini" <<<"$out" || fail "settings path"
grep -q "^dictionary: $ro/share/tildo/tildo.dat, [1-9][0-9]* words" <<<"$out" || fail "dictionary"
grep -q ", 2 ё written" <<<"$out" || fail "pass"
grep -q '^Dictionary=tildo.dat\s*$' "$XDG_CONFIG_HOME/tildo/tildo.ini" || fail "settings not written, or the shipped dictionary stored by path"
[ "$(cat "$scratch/texts/t.txt")" = "Еще одна елка." ] || fail "the text was saved"
[ "$before" = "$(find "$ro" -printf '%p %s %T@\n' | sort)" ] || fail "the prefix changed"
# A second start reads the settings it wrote.
sed -i 's/^WindowWidth=.*/WindowWidth=777/' "$XDG_CONFIG_HOME/tildo/tildo.ini"
(cd "$scratch/texts" && timeout 120 "$ro/bin/tildo" --startup-check >/dev/null) || fail "second start"
grep -qx 'WindowWidth=777' "$XDG_CONFIG_HOME/tildo/tildo.ini" || fail "settings not read back"
# A missing dictionary is a failure, not a silent success.
mkdir -p "$scratch/other/tildo" && printf '[Tildo]\nDictionary=nowhere.dat\n' > "$scratch/other/tildo/tildo.ini"
if XDG_CONFIG_HOME=$scratch/other timeout 120 "$ro/bin/tildo" --startup-check >/dev/null 2>&1; then
  fail "started without a dictionary"
fi
