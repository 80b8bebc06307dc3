#!/usr/bin/env python3
"""Builds the narrative set: stories and dialogue from Debian packages.

The sources are message catalogues (.mo) of games whose Russian translation
tells a story or carries dialogue: NPC dialogue, lore, item and mission
descriptions. The packages are fetched with `apt-get download` (or taken from
--debs, a folder of .deb files) and read with `dpkg-deb --fsys-tarfile`.

A catalogue is the work of many translators, some of whom write ё and some
not, so a unit is one translated message: cleaned of markup and placeholders,
its lines of at least five Russian words kept (a line met before is dropped).
A unit is kept only when it writes ё consistently: of its words whose е
spelling is no word (the dictionary's fixed ё forms: tildo.dat lines with no
variant mark and no rule), at least 98 % are written with ё, and there is at
least one such word. A text that drops its ё would teach the wrong answer.

Usage: narrative.py [--debs DIR] [--data data] [--out FILE]
The report (per catalogue: package, path, messages, units kept, words) goes
to standard error; the kept units, separated by a blank line, to --out
(UTF-8).
"""
import argparse
import fnmatch
import glob
import io
import os
import re
import struct
import subprocess
import sys
import tarfile
import tempfile

# (package, the version the figures were taken with, catalogue path inside the package)
SOURCES = [
    ("cataclysm-dda-data", "0.F-3-9", "usr/share/locale/ru/LC_MESSAGES/cataclysm-dda.mo"),
    ("freedroidrpg-data", "1.0-1", "usr/share/locale/ru/LC_MESSAGES/freedroidrpg-dialogs.mo"),
    ("freedroidrpg-data", "1.0-1", "usr/share/locale/ru/LC_MESSAGES/freedroidrpg-data.mo"),
    ("warzone2100-data", "4.3.3-3", "usr/share/locale/ru/LC_MESSAGES/warzone2100.mo"),
]

RUSSIAN_WORD = re.compile(r"[А-Яа-яЁё]+(?:-[А-Яа-яЁё]+)*")
TOKEN = re.compile(r"[А-Яа-яЁё]{2,}")
MARKUP = [
    re.compile(r"<[^<>]*>"),  # HTML-like tags and rich text
    re.compile(r"\[[^\[\]]*\]"),  # [b], [color=...]
    re.compile(r"%\d*\$?[-+ #0]*\d*(?:\.\d+)?[sdifuxXc%]"),  # printf placeholders
    re.compile(r"\{[^{}]*\}"),  # {name}
    re.compile(r"%[A-Za-z_]+%"),  # %NAME%
]
MIN_WORDS = 5
MIN_SHARE = 0.98
MIN_NEEDING = 1


def mo_messages(data):
    """The translated strings of a GNU .mo catalogue (plural forms apart)."""
    magic = struct.unpack("<I", data[:4])[0]
    end = "<" if magic == 0x950412DE else ">"
    _, count, _, trans_at = struct.unpack(end + "4I", data[4:20])
    out = []
    for i in range(count):
        length, offset = struct.unpack(end + "2I", data[trans_at + 8 * i:trans_at + 8 * i + 8])
        if length == 0:
            continue
        text = data[offset:offset + length].decode("utf-8", "replace")
        out.extend(t for t in text.split("\0") if t)
    return out


def clean_lines(message):
    text = message.replace("\\n", "\n")
    for pattern in MARKUP:
        text = pattern.sub(" ", text)
    for line in text.splitlines():
        line = " ".join(line.split())
        if len(RUSSIAN_WORD.findall(line)) >= MIN_WORDS and not line.startswith("Project-Id-Version"):
            yield line


def fixed_forms(data):
    """е spelling -> ё spelling of the words tildo.dat writes with ё only."""
    forms = {}
    with open(os.path.join(data, "tildo.dat"), "rb") as f:
        for raw in f:
            line = raw.decode("cp1251", "replace").rstrip("\r\n")
            if not line or line.startswith("#") or "*" in line or line.endswith("?"):
                continue
            word = line.lower()
            forms[word.replace("ё", "е")] = word
    return forms


def consistency(lines, fixed):
    """(written with ё, words that need ё) over the unit's tokens."""
    dotted = needing = 0
    for line in lines:
        for token in TOKEN.findall(line):
            low = token.lower()
            if low.replace("ё", "е") in fixed:
                needing += 1
                dotted += "ё" in low
    return dotted, needing


def units(messages, fixed, seen):
    """The messages kept as units, each its cleaned lines joined; seen holds
    the lines met so far (a line is kept once over all units)."""
    for message in messages:
        lines = []
        for line in clean_lines(message):
            if line not in seen:
                seen.add(line)
                lines.append(line)
        dotted, needing = consistency(lines, fixed)
        if needing >= MIN_NEEDING and dotted >= MIN_SHARE * needing:
            yield "\n".join(lines)


def package_files(deb, pattern):
    """{path: bytes} of the package's files that match pattern."""
    tar_bytes = subprocess.run(["dpkg-deb", "--fsys-tarfile", deb], capture_output=True, check=True).stdout
    out = {}
    with tarfile.open(fileobj=io.BytesIO(tar_bytes)) as tar:
        for member in tar.getmembers():
            path = member.name.lstrip("./")
            if member.isfile() and fnmatch.fnmatch(path, pattern):
                out[path] = tar.extractfile(member).read()
    return out


def find_deb(folder, package):
    found = sorted(glob.glob(os.path.join(folder, f"{package}_*.deb")))
    return found[-1] if found else None


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--debs", help="folder with the .deb files (fetched with apt-get download when absent)")
    ap.add_argument("--data", default="data")
    ap.add_argument("--out", default="build/narrative.txt")
    a = ap.parse_args()
    fixed = fixed_forms(a.data)
    with tempfile.TemporaryDirectory() as tmp:
        folder = a.debs or tmp
        packages = sorted({p for p, _, _ in SOURCES})
        missing = [p for p in packages if find_deb(folder, p) is None]
        if missing:
            subprocess.run(["apt-get", "download", *missing], cwd=folder, check=True)
        kept = []
        seen = set()
        total_words = 0
        for package, version, path in SOURCES:
            data = package_files(find_deb(folder, package), path)[path]
            messages = mo_messages(data)
            found = list(units(messages, fixed, seen))
            words_kept = sum(len(RUSSIAN_WORD.findall(u)) for u in found)
            kept.extend(found)
            total_words += words_kept
            print(f"{package} {version}\t/{path}\t{len(messages)} messages\t{len(found)} units kept\t"
                  f"{words_kept} words", file=sys.stderr)
    os.makedirs(os.path.dirname(os.path.abspath(a.out)), exist_ok=True)
    with open(a.out, "w", encoding="utf-8") as f:
        f.write("\n\n".join(kept) + "\n")
    print(f"{len(kept)} units, {total_words} words -> {a.out}", file=sys.stderr)


if __name__ == "__main__":
    main()
