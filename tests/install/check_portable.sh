#!/usr/bin/env bash
# A copy with tildo.ini beside the executable keeps using that file, and its
# data beside it, and writes nothing under the home folders.
source "$(dirname "$0")/common.sh"
p=$scratch/portable
mkdir -p "$p"
cp "$prefix/bin/tildo" "$prefix/bin/tildo-cli" "$prefix"/share/tildo/* "$p/"
printf '[Tildo]\nWindowWidth=555\nOwnKey=kept\n' > "$p/tildo.ini"
write_text "$scratch/t.txt"
out=$(cd "$scratch" && timeout 120 "$p/tildo" --startup-check t.txt) || fail "startup check: $out"
echo "$out"
grep -qx "settings: $p/tildo.ini" <<<"$out" || fail "settings path"
grep -q "^dictionary: $p/tildo.dat," <<<"$out" || fail "dictionary beside the program"
grep -qx 'OwnKey=kept' "$p/tildo.ini" || fail "the file's own keys"
grep -qx 'WindowWidth=555' "$p/tildo.ini" || fail "settings not read"
grep -q '^Dictionary=' "$p/tildo.ini" || fail "settings not written"
[ ! -e "$XDG_CONFIG_HOME" ] && [ ! -e "$XDG_STATE_HOME" ] && [ ! -e "$HOME/.config/tildo" ] || fail "wrote into the home"
