#!/usr/bin/env python3
"""Checks the shipped main dictionary against the lexicon it was made from, by
whole classes of words rather than single ones.

It needs the lexicon fetched by tools/gen_dictionary/gen_dictionary.py fetch;
without it the test reports itself skipped (exit code 77), so that the normal
test run needs neither the network nor the generator.

  1. A capitalised text word whose е spelling is a proper name of the lexicon
     is never changed silently: the entry that a capitalised lookup finds for
     the е spelling of every lower-case fixed form is a variant, or is the
     same name written with ё.
  2. No fixed entry's е spelling is a standard form of another lemma, except
     the kinds the generator documents (an adverb spelled like the short
     neuter, a short form in -ен generated for a -ный adjective, a rare
     genitive plural in -ей) and the forms fixed in overrides.txt, each with
     its reason there.
"""
import os
import sys

ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
sys.path.insert(0, os.path.join(ROOT, "tools", "gen_dictionary"))

import gen_dictionary as gen  # noqa: E402
import lexicon  # noqa: E402

SKIP = 77


def shipped(path):
    """form -> variant for every word-form line of the dictionary."""
    entries = {}
    with open(path, "rb") as f:
        for raw in f:
            line = raw.decode("cp1251").rstrip("\r\n")
            if not line or line.startswith("#") or "*" in line:
                continue
            variant = line.endswith("?")
            entries[line.rstrip("?")] = variant
    return entries


def lookup(entries, folded_index, word):
    """The entry the program finds for a text word: the word with its first
    letter kept and the rest lower-cased, then wholly lower-cased."""
    for key in (word[0] + word[1:].lower(), word.lower()):
        form = folded_index.get(key)
        if form is not None:
            return form, entries[form]
    return None, False


def overridden_fixed():
    forms = set()
    for action, form in gen.read_overrides(gen.OVERRIDES):
        if action == "fixed":
            forms.add(form.lower())
    return forms


def documented(word, yo, lemma, grammemes):
    return (
        gen.is_adverb_mirror(word, yo, lemma, grammemes)
        or gen.is_generated_short_form(yo, lemma, grammemes)
        or gen.is_rare_genitive_plural(yo, lemma, grammemes)
    )


def main():
    dicts = os.path.join(ROOT, ".cache", "gen_dictionary", "dicts")
    if not os.path.exists(os.path.join(dicts, "words.dawg")):
        print("the lexicon is not fetched; skipped")
        return SKIP
    lex = lexicon.Lexicon(dicts)
    entries = shipped(os.path.join(ROOT, "data", "tildo.dat"))
    folded = {gen.fold(form): form for form in entries}
    fixed_by_override = overridden_fixed()
    failures = []
    checked = 0
    for form, variant in sorted(entries.items()):
        if variant or not form[0].islower():
            continue
        plain = gen.fold(form)
        yo = lex.readings(form)
        other = lex.readings(plain)
        # 1. the capitalised е spelling
        if gen.unmirrored_proper(yo, other):
            checked += 1
            found, found_variant = lookup(entries, folded, plain.capitalize())
            if found is None or not found_variant:
                failures.append("%s: the name %s would be changed silently" % (form, plain.capitalize()))
        # 2. the е spelling as a form of another lemma
        if not yo or form in fixed_by_override:
            continue
        lemmas = {gen.fold(l) for l, _ in yo}
        for lemma, grammemes in other:
            if gen.is_marginal(grammemes) or gen.is_set_aside(grammemes) or gen.is_proper(grammemes):
                continue
            if gen.fold(lemma) in lemmas or documented(form, yo, lemma, grammemes):
                continue
            failures.append("%s is fixed, but %s is a form of %s" % (form, plain, lemma))
            break
    for failure in failures[:50]:
        print(failure)
    print("%d fixed forms beside a name checked; %d failures" % (checked, len(failures)))
    if checked < 50:
        print("too few names beside fixed forms: the check did not see the dictionary it expects")
        return 1
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
