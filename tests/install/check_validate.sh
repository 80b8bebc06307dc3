#!/usr/bin/env bash
# The desktop entry and the AppStream metadata pass their validators.
source "$(dirname "$0")/common.sh"
desktop-file-validate "$prefix/share/applications/tildo.desktop"
appstreamcli validate --no-net "$prefix/share/metainfo/org.tildo.Tildo.metainfo.xml"
grep -q '^MimeType=.*text/plain;.*application/rtf;.*application/x-fictionbook+xml;' \
  "$prefix/share/applications/tildo.desktop" || fail "MimeType"
grep -q '^Name\[ru\]=' "$prefix/share/applications/tildo.desktop" || fail "Russian name"
grep -q '<image>https://tildo.invalid/screenshot.png</image>' "$prefix/share/metainfo/org.tildo.Tildo.metainfo.xml" \
  || fail "screenshot"
