"""Reader of the OpenCorpora lexicon as compiled in the npm package az.

The package ships the lexicon in the files of its dicts/ folder:

- words.dawg: a dawgdic automaton (a double-array trie with a guide table) of
  about three million keys. Each key is a word form in CP1251, the byte 0x01,
  and four bytes that carry two 16-bit numbers (the paradigm and the index of
  the form in it), each split as ((b0 ^ 1) << 6) + (b1 >> 1), so that no byte
  of a key is zero. A form with several readings has one key per reading.
- paradigms.array: little-endian 16-bit numbers; the count of paradigms, then
  for each paradigm its length 3n followed by n suffix indexes, n tag indexes
  and n prefix indexes (prefix 0 "", 1 "по", 2 "наи").
- suffixes.json: the suffix strings; gramtab-opencorpora-int.json: the tag
  strings ("NOUN,inan,masc sing,nomn"), whose grammemes are separated by
  commas and a blank.

Form n of a paradigm is prefix + stem + suffix; form 0 is the lemma.
"""

import array
import json
import os
import re
import struct

# Bits of a dawgdic unit.
_HAS_LEAF = 1 << 8
_EXTENSION = 1 << 9
_IS_LEAF = 1 << 31
_PREFIXES = ("", "по", "наи")
_SEPARATOR = 1


class Dawg:
    """A dawgdic dictionary: units for following bytes, a guide for walking."""

    def __init__(self, data):
        count = struct.unpack_from("<I", data, 0)[0]
        self.units = struct.unpack_from("<%dI" % count, data, 4)
        guideCount = struct.unpack_from("<I", data, 4 + 4 * count)[0]
        start = 8 + 4 * count
        self.guide = data[start : start + 2 * guideCount]

    def _offset(self, unit):
        return (unit >> 10) << ((unit & _EXTENSION) >> 6)

    def follow(self, byte, index):
        """The node reached from index by byte, or -1."""
        nxt = index ^ self._offset(self.units[index]) ^ byte
        if nxt >= len(self.units) or (self.units[nxt] & (_IS_LEAF | 0xFF)) != byte:
            return -1
        return nxt

    def walk(self, data, index=0):
        for byte in data:
            index = self.follow(byte, index)
            if index < 0:
                return -1
        return index

    def children(self, index):
        """(label, node) of each child of a node, in ascending label order."""
        label = self.guide[2 * index]
        while label:
            child = self.follow(label, index)
            if child < 0:
                return
            yield label, child
            label = self.guide[2 * child + 1]


def _decode_pair(b):
    return ((b[0] ^ 1) << 6) + (b[1] >> 1), ((b[2] ^ 1) << 6) + (b[3] >> 1)


class Lexicon:
    """Word forms with their readings: (lemma, frozenset of grammemes)."""

    def __init__(self, dicts):
        with open(os.path.join(dicts, "words.dawg"), "rb") as f:
            self.dawg = Dawg(f.read())
        raw = array.array("H")
        with open(os.path.join(dicts, "paradigms.array"), "rb") as f:
            raw.frombytes(f.read())
        if raw.itemsize != 2:
            raise RuntimeError("16-bit array items expected")
        if array.array("H", [1]).tobytes() != b"\x01\x00":
            raw.byteswap()
        self.paradigms = []
        pos = 1
        for _ in range(raw[0]):
            size = raw[pos]
            pos += 1
            self.paradigms.append(raw[pos : pos + size])
            pos += size
        with open(os.path.join(dicts, "suffixes.json"), encoding="utf-8") as f:
            self.suffixes = json.load(f)
        with open(os.path.join(dicts, "gramtab-opencorpora-int.json"), encoding="utf-8") as f:
            self.tags = [frozenset(re.split("[, ]", t)) for t in json.load(f)]

    def _reading(self, word, payload):
        paradigmId, formIndex = _decode_pair(payload)
        paradigm = self.paradigms[paradigmId]
        n = len(paradigm) // 3
        suffix = self.suffixes[paradigm[formIndex]]
        prefix = _PREFIXES[paradigm[2 * n + formIndex]]
        stem = word[len(prefix) : len(word) - len(suffix)]
        lemma = _PREFIXES[paradigm[2 * n]] + stem + self.suffixes[paradigm[0]]
        return lemma, self.tags[paradigm[n + formIndex]]

    def _payloads(self, index):
        """The four-byte payloads below the separator node."""
        stack = [(index, b"")]
        while stack:
            node, key = stack.pop()
            if len(key) == 4:
                yield key
                continue
            for label, child in self.dawg.children(node):
                stack.append((child, key + bytes([label])))

    def readings(self, word):
        """Readings of a word form, sorted; empty when it is not in the lexicon."""
        try:
            key = word.encode("cp1251")
        except UnicodeEncodeError:
            return []
        index = self.dawg.walk(key + bytes([_SEPARATOR]))
        if index < 0:
            return []
        return sorted({self._reading(word, p) for p in self._payloads(index)}, key=_reading_key)

    def forms_starting(self, prefix):
        """Every word form that begins with prefix (lower case), as a sorted list."""
        key = prefix.encode("cp1251")
        start = self.dawg.walk(key)
        if start < 0:
            return []
        result = []
        stack = [(start, key)]
        while stack:
            node, word = stack.pop()
            for label, child in self.dawg.children(node):
                if label == _SEPARATOR:
                    result.append(word.decode("cp1251"))
                else:
                    stack.append((child, word + bytes([label])))
        return sorted(result)

    def all_forms(self):
        """Every word form of the lexicon, in no particular order."""
        stack = [(0, b"")]
        while stack:
            node, key = stack.pop()
            for label, child in self.dawg.children(node):
                if label == _SEPARATOR:
                    yield key.decode("cp1251")
                else:
                    stack.append((child, key + bytes([label])))

    def forms_with(self, letter):
        """Every word form that holds letter, with its readings, as a dict."""
        target = letter.encode("cp1251")[0]
        result = {}
        # Depth-first over the word part of the keys; a path is collected once
        # it has met the letter and reaches the separator.
        stack = [(0, b"", False)]
        while stack:
            node, key, seen = stack.pop()
            for label, child in self.dawg.children(node):
                if label == _SEPARATOR:
                    if seen:
                        word = key.decode("cp1251")
                        result[word] = sorted(
                            {self._reading(word, p) for p in self._payloads(child)}, key=_reading_key
                        )
                else:
                    stack.append((child, key + bytes([label]), seen or label == target))
        return result


def _reading_key(reading):
    return reading[0], sorted(reading[1])


def _tag_index(paradigms, payload):
    paradigmId, formIndex = _decode_pair(payload)
    paradigm = paradigms[paradigmId]
    return paradigm[len(paradigm) // 3 + formIndex]


def tagged_forms(lex):
    """Every word form (CP1251 bytes) with the set of its gramtab indexes, in no
    particular order: one walk of the automaton, without lemmas."""
    dawg = lex.dawg
    stack = [(0, b"")]
    while stack:
        node, key = stack.pop()
        for label, child in dawg.children(node):
            if label == _SEPARATOR:
                yield key, {_tag_index(lex.paradigms, p) for p in lex._payloads(child)}
            else:
                stack.append((child, key + bytes([label])))
