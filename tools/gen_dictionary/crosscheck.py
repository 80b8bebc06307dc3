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
