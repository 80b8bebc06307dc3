#!/usr/bin/env python3
"""Generates data/tags.dat, the word-form tag dictionary, from the OpenCorpora lexicon.

    gen_tags.py build            # write data/tags.dat from the cached lexicon
    gen_tags.py --output F build WORD...  # a dictionary of these words only
    gen_tags.py sample OUT       # write the round-trip expectations of the tests
    gen_tags.py show WORD...     # what the lexicon says of words, as the file stores it

The lexicon is the one gen_dictionary.py fetches (gen_dictionary.py fetch).
The same package always gives the same bytes.

Every word form of the lexicon made of Russian letters only is a key, folded
(ё read as е) since the pass meets words whose ё is still to be restored. A
key holds one or more spellings: the ё letters of the spelling as a mask over
the key's е letters (bit i: the i-th е counted from the end of the key is ё),
and the spelling's readings reduced to the grammemes of GRAMMEMES (parts of
speech, number, gender, case, person, tense, mood, animacy and a few marks),
each reading a set of grammemes ("tag set"). The spellings of a key form its
spelling list; the lists are shared by the keys that have equal ones.

The file (little-endian; src/dict/tag_dictionary.cpp reads it):

    header, 48 bytes: "TILDOTAG", then ten 4-byte numbers: version, grammeme
        count, tag-set count, spelling-list count, key count, size of the
        spelling lists' bytes, size of the automaton, offset of the
        automaton's root, body size, FNV-1a 32 of the body
    body:
        grammeme names, 8 bytes each, NUL padded
        tag sets: 8-byte masks over the grammemes
        spelling lists: (count + 1) 4-byte offsets into their bytes, then the
            bytes: per list its spelling count, then per spelling its ё mask,
            its tag-set count and the tag-set indexes (all varints: 7 bits a
            byte, low first, the high bit set on all but the last)
        the automaton: the minimal deterministic automaton of the strings
            key, 0x01, two bytes of the spelling-list index (high first). Each
            state: its transition count, its labels in ascending order, then per
            transition the distance back from the state to its target (varints).
            Targets stand before the states that lead to them; the root is last.

Tag sets and spelling lists are ordered by falling frequency, so that the
common ones take one-byte varints.
"""

import argparse
import os
import struct
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import lexicon  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))
REPO = os.path.normpath(os.path.join(HERE, "..", ".."))
DEFAULT_CACHE = os.path.join(REPO, ".cache", "gen_dictionary")
DEFAULT_OUTPUT = os.path.join(REPO, "data", "tags.dat")

VERSION = 1
SEPARATOR = 0x01
MAX_KEY = 64

# The grammemes kept, in bit order; src/dict/tag_dictionary.h numbers them the
# same way and the loader refuses a file whose list differs.
GRAMMEMES = (
    "NOUN", "ADJF", "ADJS", "COMP", "VERB", "INFN", "PRTF", "PRTS", "GRND", "NUMR",
    "ADVB", "NPRO", "PRED", "PREP", "CONJ", "PRCL", "INTJ",
    "anim", "inan",
    "masc", "femn", "neut", "Ms-f",
    "sing", "plur",
    "nomn", "gent", "datv", "accs", "ablt", "loct", "voct",
    "1per", "2per", "3per",
    "pres", "past", "futr", "impr",
    "Apro", "Anum", "Supr", "pssv", "Abbr",
    "Prop", "Marg",
)
# The lexicon's grammemes folded onto the kept ones: the second genitive,
# accusative and locative (чаю, в лесу) are cases for agreement, proper-name
# marks and marks of marginal readings are one mark each.
FOLDED = {
    "gen2": "gent", "acc2": "accs", "loc2": "loct",
    "Name": "Prop", "Surn": "Prop", "Patr": "Prop", "Geox": "Prop", "Orgn": "Prop", "Trad": "Prop",
    "Arch": "Marg", "Infr": "Marg", "Slng": "Marg", "Dist": "Marg", "Erro": "Marg",
}
BIT = {g: i for i, g in enumerate(GRAMMEMES)}

YO = 0xB8
E = 0xE5


def mask_of(grammemes):
    m = 0
    for g in grammemes:
        g = FOLDED.get(g, g)
        if g in BIT:
            m |= 1 << BIT[g]
    return m


def names_of(mask):
    return [g for i, g in enumerate(GRAMMEMES) if mask >> i & 1]


def is_word(key):
    return key and all(b >= 0xC0 or b == YO for b in key)


def fold(key):
    return key.replace(bytes([YO]), bytes([E]))


def yo_mask(key):
    """Bit i set when the i-th е-or-ё letter of key, counted from the end, is ё
    (from the end, so that the forms of one ending share it: берёт, пьёт)."""
    m, i = 0, 0
    for b in reversed(key):
        if b == E or b == YO:
            if b == YO:
                m |= 1 << i
            i += 1
    return m


def collect(lex):
    """{folded key: {yo mask: frozenset of tag masks}}."""
    tagMasks = [mask_of(t) for t in lex.tags]
    keys = {}
    for key, tagIndexes in lexicon.tagged_forms(lex):
        if not is_word(key):
            continue
        spellings = keys.setdefault(fold(key), {})
        spellings[yo_mask(key)] = frozenset(tagMasks[i] for i in tagIndexes)
    return keys


def varint(n):
    out = bytearray()
    while True:
        b = n & 0x7F
        n >>= 7
        if n:
            out.append(b | 0x80)
        else:
            out.append(b)
            return bytes(out)


def by_frequency(counts):
    """Items ordered by falling count, ties by the item itself."""
    return [item for item, _ in sorted(counts.items(), key=lambda p: (-p[1], p[0]))]


def fnv1a(data):
    h = 0x811C9DC5
    for b in data:
        h = ((h ^ b) * 0x01000193) & 0xFFFFFFFF
    return h


def build_automaton(entries):
    """The minimal automaton of the byte strings entries (sorted, none a prefix
    of another), built in one sweep: a state is registered once all the
    strings through it have been added, and equal states are merged. Returns
    the states in registration order (children before their parents), each a
    sorted tuple of (label, target index); the last one is the root."""
    register = {}
    states = []
    root = {}
    unchecked = []  # (parent, label, child) along the last string

    def minimize(down):
        while len(unchecked) > down:
            parent, label, child = unchecked.pop()
            signature = tuple(sorted(child.items()))
            index = register.get(signature)
            if index is None:
                index = register[signature] = len(states)
                states.append(signature)
            parent[label] = index

    previous = b""
    for entry in entries:
        common = 0
        limit = min(len(entry), len(previous))
        while common < limit and entry[common] == previous[common]:
            common += 1
        minimize(common)
        node = unchecked[-1][2] if unchecked else root
        for b in entry[common:]:
            child = {}
            node[b] = child
            unchecked.append((node, b, child))
            node = child
        previous = entry
    minimize(0)
    states.append(tuple(sorted(root.items())))
    return states


def encode_automaton(states):
    """Each state: its transition count, its labels, then for each transition
    the distance back to its target (varints). Targets always stand before the
    state, so a reader that checks each distance cannot loop."""
    out = bytearray()
    offsets = []
    for state in states:
        offset = len(out)
        offsets.append(offset)
        out += varint(len(state))
        out += bytes(label for label, _ in state)
        for _, target in state:
            out += varint(offset - offsets[target])
    return bytes(out), offsets[-1]


def encode(keys):
    tagCounts = {}
    listCounts = {}
    lists = {}
    for key, spellings in keys.items():
        for tags in spellings.values():
            for t in tags:
                tagCounts[t] = tagCounts.get(t, 0) + 1
    tagOrder = by_frequency(tagCounts)
    tagIndex = {t: i for i, t in enumerate(tagOrder)}
    for key, spellings in keys.items():
        spellingList = tuple(
            (mask, tuple(sorted(tagIndex[t] for t in tags))) for mask, tags in sorted(spellings.items())
        )
        lists[key] = spellingList
        listCounts[spellingList] = listCounts.get(spellingList, 0) + 1
    listOrder = by_frequency(listCounts)
    if len(listOrder) > 0xFFFF:
        raise SystemExit("too many spelling lists: %d" % len(listOrder))
    listIndex = {s: i for i, s in enumerate(listOrder)}

    names = b"".join(g.encode("ascii").ljust(8, b"\0") for g in GRAMMEMES)
    tagBytes = b"".join(struct.pack("<Q", t) for t in tagOrder)
    listBytes = bytearray()
    listOffsets = []
    for spellingList in listOrder:
        listOffsets.append(len(listBytes))
        listBytes += varint(len(spellingList))
        for mask, tags in spellingList:
            listBytes += varint(mask) + varint(len(tags))
            for t in tags:
                listBytes += varint(t)
    listOffsets.append(len(listBytes))

    entries = []
    for key in sorted(keys):
        if len(key) > MAX_KEY:
            raise SystemExit("key too long: %r" % key)
        i = listIndex[lists[key]]
        entries.append(key + bytes([SEPARATOR, i >> 8, i & 0xFF]))
    automaton, root = encode_automaton(build_automaton(entries))

    body = (
        names
        + tagBytes
        + b"".join(struct.pack("<I", o) for o in listOffsets)
        + bytes(listBytes)
        + automaton
    )
    header = b"TILDOTAG" + struct.pack(
        "<10I",
        VERSION,
        len(GRAMMEMES),
        len(tagOrder),
        len(listOrder),
        len(keys),
        len(listBytes),
        len(automaton),
        root,
        len(body),
        fnv1a(body),
    )
    return header + body, len(tagOrder), len(listOrder)


def load(cache):
    dicts = os.path.join(cache, "dicts")
    if not os.path.exists(os.path.join(dicts, "words.dawg")):
        raise SystemExit("no lexicon in %s: run 'gen_dictionary.py fetch' first" % dicts)
    return lexicon.Lexicon(dicts)


def build(cache, output, words=None):
    keys = collect(load(cache))
    if words:
        # A small dictionary of a few words, for test and fuzz seeds.
        chosen = set(fold(w.encode("cp1251")) for w in words)
        keys = {k: v for k, v in keys.items() if k in chosen}
    data, tagSets, lists = encode(keys)
    tmp = output + ".tmp"
    with open(tmp, "wb") as f:
        f.write(data)
    os.replace(tmp, output)
    print("%s: %d keys, %d tag sets, %d spelling lists, %d bytes" % (output, len(keys), tagSets, lists, len(data)))


def describe(key, spellings):
    """One line per spelling: the spelling and its tag sets, sorted, as text."""
    lines = []
    for mask, tags in sorted(spellings.items()):
        spelled = bytearray(key)
        i = 0
        for n in reversed(range(len(spelled))):
            b = spelled[n]
            if b == E:
                if mask >> i & 1:
                    spelled[n] = YO
                i += 1
        sets = sorted(" ".join(names_of(t)) for t in tags)
        lines.append("%s\t%s" % (bytes(spelled).decode("cp1251"), "|".join(sets)))
    return lines


# Words the tests look at by name, besides every 20 000th key.
SAMPLE_WORDS = (
    "все всё чем чём нем нём берет берёт узнаем узнаём озера озёра звезды звёзды черта чёрта "
    "небо нёбо маркер маркёр стало было они это что кто его ещё ёж ёлка"
).split()


def sample(cache, output):
    keys = collect(load(cache))
    chosen = set(fold(w.encode("cp1251")) for w in SAMPLE_WORDS)
    chosen.update(sorted(keys)[::20000])
    with open(output, "w", encoding="utf-8") as f:
        f.write("# Expectations of the tag dictionary test, written by tools/gen_dictionary/gen_tags.py sample.\n")
        f.write("# spelling<TAB>tag sets joined by |, each its grammemes joined by blanks\n")
        for key in sorted(chosen):
            for line in describe(key, keys[key]):
                f.write(line + "\n")


def show(cache, words):
    lex = load(cache)
    tagMasks = [mask_of(t) for t in lex.tags]
    for word in words:
        key = word.encode("cp1251")
        folded = fold(key)
        spellings = {}
        for form in lexicon_spellings(lex, folded):
            raw = form.encode("cp1251")
            index = lex.dawg.walk(raw + b"\x01")
            tagIndexes = {lexicon._tag_index(lex.paradigms, p) for p in lex._payloads(index)}
            spellings[yo_mask(raw)] = frozenset(tagMasks[i] for i in tagIndexes)
        for line in describe(folded, spellings) or [word + "\t(none)"]:
            print(line)


def lexicon_spellings(lex, folded):
    """The lexicon's forms that fold to folded."""
    variants = [b""]
    for b in folded:
        options = [b, YO] if b == E else [b]
        variants = [v + bytes([o]) for v in variants for o in options]
    return [v.decode("cp1251") for v in variants if lex.dawg.walk(v + b"\x01") >= 0]


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("step", choices=("build", "sample", "show"))
    parser.add_argument("args", nargs="*")
    parser.add_argument("--cache", default=DEFAULT_CACHE, help="where gen_dictionary.py fetch unpacked the package")
    parser.add_argument("--output", default=DEFAULT_OUTPUT)
    args = parser.parse_args()
    if args.step == "build":
        build(args.cache, args.output, args.args)
    elif args.step == "sample":
        if len(args.args) != 1:
            raise SystemExit("sample needs the output path")
        sample(args.cache, args.args[0])
    else:
        show(args.cache, args.args)


if __name__ == "__main__":
    main()
