#!/usr/bin/env bash
# Every file a desktop user needs is installed where the desktop looks.
source "$(dirname "$0")/common.sh"
for f in bin/tildo bin/tildo-cli \
  share/tildo/tildo.dat share/tildo/combi.dat share/tildo/morphs.dat share/tildo/tags.dat share/tildo/rare_yo.dat \
  share/tildo/tildo.html \
  share/applications/tildo.desktop share/metainfo/org.tildo.Tildo.metainfo.xml \
  share/icons/hicolor/scalable/apps/tildo.svg \
  share/icons/hicolor/{16x16,32x32,48x48,64x64,128x128,256x256}/apps/tildo.png \
  share/man/man1/tildo.1 share/man/man1/tildo-cli.1 share/man/ru/man1/tildo.1 share/man/ru/man1/tildo-cli.1 \
  share/bash-completion/completions/tildo-cli; do
  [ -s "$prefix/$f" ] || fail "missing $f"
done
[ -x "$prefix/bin/tildo" ] && [ -x "$prefix/bin/tildo-cli" ] || fail "the programs are not executable"
# Each PNG is the size its folder says.
for size in 16 32 48 64 128 256; do
  file "$prefix/share/icons/hicolor/${size}x${size}/apps/tildo.png" | grep -q "$size x $size" || fail "icon ${size}x${size}"
done
[ "$("$prefix/bin/tildo" --version)" = "tildo $(sed -n 's/^project(tildo VERSION \([0-9.]*\).*/\1/p' "$TILDO_SOURCE_DIR/CMakeLists.txt")" ] \
  || fail "tildo --version"
"$prefix/bin/tildo-cli" --version | grep -q '^tildo-cli [0-9]' || fail "tildo-cli --version"
# The manual pages render without complaints, in both languages.
for page in man1/tildo.1 man1/tildo-cli.1 ru/man1/tildo.1 ru/man1/tildo-cli.1; do
  out=$(LC_ALL=C.UTF-8 man --warnings -l "$prefix/share/man/$page" 2>&1 >/dev/null) || fail "man $page"
  [ -z "$out" ] || fail "man $page: $out"
done
# The completion offers the commands and the values of --encoding.
complete_words() { # the completions of the last of the given words
  bash -c 'source /usr/share/bash-completion/bash_completion
    source "$1"; shift
    COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); COMP_LINE="$*"; COMP_POINT=${#COMP_LINE}
    _tildo_cli; echo "${COMPREPLY[*]}"' _ "$prefix/share/bash-completion/completions/tildo-cli" tildo-cli "$@"
}
[ "$(complete_words --encoding '')" = "auto utf-8 cp1251" ] || fail "completion of --encoding"
[ "$(complete_words se)" = "selftest" ] || fail "completion of the commands"
[ "$(complete_words dict '')" = "check sort dedupe subtract sweep" ] || fail "completion of dict"
echo "all installed files present"
