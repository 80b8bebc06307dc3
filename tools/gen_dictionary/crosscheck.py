"""A second opinion on the fixed entries from Debian's Russian spelling list.

The list (package hunspell-ru) is asked through the hunspell program which
words it accepts. It accepts many ё words in both spellings, so acceptance of
an е spelling says little; what it does say is used only to point a person at
entries worth a look, never to change the dictionary:

- the list rejects the ё form but accepts its е spelling: it knows the word
  only with е, so the ё may be a fault of the lexicon;
- the list accepts the capitalised е spelling but not the lower-case one: the
  е spelling is a name there, and a capitalised text word may be that name.

The generator's output never depends on this module.
"""

import shutil
import subprocess

SOURCE = "hunspell ru_RU"


def _fold(word):
    return word.replace("ё", "е").replace("Ё", "Е")


def rejected(words):
    """The words the list does not accept, or None when hunspell or the list
    is missing."""
    if shutil.which("hunspell") is None:
        return None
    text = "\n".join(words) + "\n"
    try:
        proc = subprocess.run(
            ["hunspell", "-d", "ru_RU", "-i", "utf-8", "-l"],
            input=text.encode("utf-8"),
            capture_output=True,
            check=True,
        )
    except (OSError, subprocess.CalledProcessError):
        return None
    return set(proc.stdout.decode("utf-8").split())


def doubts(fixed):
    """(form, reason) for each fixed entry (form, entry) that the list doubts."""
    words = set()
    for form, _ in fixed:
        plain = _fold(form)
        words.update((form, plain, plain[0].upper() + plain[1:]))
    bad = rejected(sorted(words))
    if bad is None:
        return None
    result = []
    for form, entry in fixed:
        plain = _fold(form)
        capital = plain[0].upper() + plain[1:]
        if form in bad and plain not in bad:
            result.append((form, "the list knows only %s (%s)" % (plain, entry.reason)))
        elif form[0].islower() and plain in bad and capital not in bad:
            result.append((form, "%s is a name in the list (%s)" % (capital, entry.reason)))
    return result


def _list_words(fragments):
    """The words of the list (its stems as the .dic file gives them) that hold
    one of the е spellings of fragments."""
    path = "/usr/share/hunspell/ru_RU.dic"
    try:
        with open(path, encoding="utf-8") as f:
            stems = [line.split("/")[0] for line in f.read().split("\n")[1:]]
    except OSError:
        return []
    return [w for w in stems if "ё" not in w and any(_fold(fr) in w for fr in fragments)]


def rule_words(rules):
    """How many words of the list the rules (`*stem*`) would change."""
    return len(_list_words([r.strip("*") for r in rules]))


def rule_doubts(rules):
    """(rule, word) for each word of the list that a rule would change and
    whose ё form, as the rule writes it, the list rejects."""
    pairs = []
    for rule in rules:
        stem = rule.strip("*")
        for word in _list_words([stem]):
            pairs.append((rule, word, word.replace(_fold(stem), stem)))
    bad = rejected(sorted({changed for _, _, changed in pairs}))
    if bad is None:
        return []
    return [(rule, word) for rule, word, changed in pairs if changed in bad]
