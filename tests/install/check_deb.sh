#!/usr/bin/env bash
# The Debian package declares the Qt libraries it links and holds a working
# tildo-cli with its data.
source "$(dirname "$0")/common.sh"
deb=$(ls "$work"/package/tildo_*.deb)
info=$(dpkg-deb -I "$deb")
echo "$info"
depends=$(sed -n 's/^ Depends: //p' <<<"$info")
for lib in libqt6widgets6 libqt6gui6 libqt6core6 libc6 libstdc++6; do
  grep -q "\b$lib\b" <<<"$depends" || fail "Depends lacks $lib"
done
listing=$(dpkg-deb -c "$deb")
grep -q " ./usr/share/applications/tildo.desktop$" <<<"$listing" || fail "desktop entry not packaged"
dpkg -x "$deb" "$scratch/x"
write_text "$scratch/t.txt"
out=$(cd / && "$scratch/x/usr/bin/tildo-cli" "$scratch/t.txt" 2>/dev/null)
[ "$out" = "Ещё одна ёлка." ] || fail "extracted tildo-cli: '$out'"
