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
  3. Every fixed entry that the lexicon lacks with ё is made of a ё entry by
     one of the generator's steps (не or a first element before it, a short
     form, an adverb, a verbal noun, the passive in -ся, a diminutive, the
     young in -ёнок of an animate noun whose е spelling is no word, an
     imperfective in -ывать/-ивать whose root syllable and suffix some fixed
     entry's lemma has with ё, a participle in -анный/-янный, never after
     вы-, whose syllable before the suffix some fixed participle has with ё,
     a noun of verb prefixes and a ё noun whose
     prefixed verb in -ывать or -нуть is an entry) or is
     added by overrides.txt; and its е spelling, where the lexicon has it, is
     only the word itself as that step makes it (a short form is a short
     form, a compound's lemma begins with its first element): a derived word
     never stands for another word silently.
  4. A rule on a compound's head (`*загрязнённ*`) changes only compounds: every
     form of the lexicon that holds its е spelling and is not an entry has a
     first element before it (слабо|, пере|, не|) and is no name, so the rule
     never meets a word that merely spells the head.
"""
import os
import re
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


def overridden_added():
    return {form.lower() for action, form in gen.read_overrides(gen.OVERRIDES) if action in ("add", "add?")}


NOUN_CASES = ("е", "я", "ю", "ем", "и", "й", "ям", "ями", "ях")


def derivations(form, lower):
    """How a fixed form the lexicon lacks is made of the dictionary's ё
    entries (lower: their forms in lower case): (step, base, what a reading of
    its е spelling may be), one for each way that fits."""
    found = []
    for cut in range(2, len(form) - 1):
        first, rest = form[:cut], form[cut:]
        if rest in lower and (first in ("не", gen.HALF) or first in gen.REDO_PREFIXES or first.endswith("о")):
            found.append(("first element", rest, lambda l, g, first=first: gen.fold(l).startswith(gen.fold(first))))
    if form.endswith("ся") and form[:-2] in lower:
        found.append(("passive", form[:-2], lambda l, g: False))
    if form.endswith("ён") and form[:-2] + "ённый" in lower:
        found.append(("short form", form[:-2] + "ённый", lambda l, g: bool({"PRTS", "ADJS"} & g)))
    if form.endswith("ённо") and (form[:-4] + "ённый" in lower or form[:-4] + "ённость" in lower):
        found.append(("adverb", form[:-4] + "ённый", lambda l, g: bool({"ADVB", "ADJS"} & g)))
    for case in NOUN_CASES:
        stem = form[: -len("ни" + case)]
        if form.endswith("ни" + case) and (stem + "ть" in lower or stem + "ться" in lower):
            found.append(("verbal noun", stem + "ть", lambda l, g: "NOUN" in g and l.endswith("ние")))
    for suffix in ("ик", "ышк", "ышек"):
        at = form.find(suffix, 2)
        if at > 0 and any(form[:at] + end in lower for end in ("а", "я")):
            found.append(("diminutive", form[:at], lambda l, g: "NOUN" in g))
    return found


def stressed_syllables(lower, pattern):
    """The syllables with their suffix (чёркива, дёргива; трёпан) of the
    entries that pattern matches with ё."""
    syllables = set()
    for form in lower:
        match = pattern.search(form)
        if match and match.group(2) == "ё":
            syllables.add(gen.fold(match.group(1) + match.group(2) + match.group(3)))
    return syllables


PARTICIPLE_STEM = re.compile("([бвгджзклмнпрстфхцчшщ]*)ё([бвгджзклмнпрстфхцчшщ]+[ая]н)")


def participle(form, other, syllables):
    """form is a form of a participle in -анный/-янный of its е spelling
    (потрепанный, потрепан) with ё before the suffix, not after вы-, and a
    fixed participle has that syllable with ё."""
    match = PARTICIPLE_STEM.search(form)
    if not match or "вы" in form[: match.start(1)] or form.count("ё") != 1:
        return None
    if gen.fold(match.group(0)) not in syllables:
        return None
    for lemma, grammemes in other:
        if {"PRTF", "PRTS"} & grammemes and "pssv" in grammemes:
            return lemma
    return None


def imperfective(form, other, syllables):
    """form is a form of an imperfective lemma of its е spelling (надергивать)
    with the ё of that lemma's root syllable, which the entries have with ё."""
    for lemma, grammemes in other:
        match = gen.IMPERFECTIVE.search(lemma)
        if not match or match.group(2) != "е":
            continue
        at = match.start(2)
        stem = lemma[at + 1 : match.end(3)]
        if form[:at] == lemma[:at] and form[at] == "ё" and gen.fold(form[at + 1 :]).startswith(stem):
            if match.group(1) + "е" + match.group(3) in syllables:
                return lemma
    return None


def prefixed_noun(form, other, lower):
    """form is a form of a noun of its е spelling made of verb prefixes and a ё
    noun entry (нахлест: на + хлёст) whose prefixed verb in -ывать or -нуть
    is an entry (нахлёстывать)."""
    for lemma, grammemes in other:
        if "NOUN" not in grammemes:
            continue
        for cut in range(1, len(lemma) - 2):
            if not gen.VERB_PREFIXES.fullmatch(lemma[:cut]):
                continue
            at = form.find("ё")
            head = lemma[cut:at] + "ё" + lemma[at + 1 :] if cut <= at < len(lemma) else None
            if head in lower and any(lemma[:cut] + head + end in lower for end in ("ывать", "нуть")):
                return lemma
    return None


def young_or_agent(form, other):
    """A noun the lexicon spells with е in -енок (the young of an animal) or
    -ер whose ё form is made by the generator's diminutive step."""
    return any("NOUN" in g and gen.fold(l).endswith(("енок", "ер")) for l, g in other) and (
        "ёнок" in form or "ёнк" in form or "ёр" in form
    )


YOUNG_CASES = ("ёнок", "ёнка", "ёнку", "ёнком", "ёнке")


def young_of_animate(lex, form):
    """A form in -ёнок whose stem + а is the genitive singular of an animate
    masculine noun of the lexicon (пингвинёнок: пингвина; орлёнок: орла), and
    whose stem holds no other ё: the suffix takes the stress."""
    for case in YOUNG_CASES:
        stem = form[: -len(case)]
        if form.endswith(case) and "ё" not in stem:
            animate = {"NOUN", "anim", "masc", "gent", "sing"}
            return any(animate <= g and not gen.is_proper(g) for _, g in lex.readings(stem + "а"))
    return False


def documented(word, yo, lemma, grammemes):
    return (
        gen.is_adverb_mirror(word, yo, lemma, grammemes)
        or gen.is_generated_short_form(yo, lemma, grammemes)
        or gen.is_rare_genitive_plural(yo, lemma, grammemes)
    )


def shipped_rules(path):
    """The fragments of the dictionary's rules with a star on both sides."""
    rules = []
    with open(path, "rb") as f:
        for raw in f:
            line = raw.decode("cp1251").rstrip("\r\n").rstrip("?")
            if len(line) > 2 and line.startswith("*") and line.endswith("*") and not line.startswith("#"):
                rules.append(line)
    return rules


def head_rule_failures(lex, rules, lower):
    """4: the forms that a head rule of the dictionary would change wrongly."""
    keys = {gen.fold(f) for f in lower}
    fragments = [(rule, gen.fold(rule.strip("*"))) for rule in rules]
    covered = {rule: [] for rule in rules}
    failures = []
    for word in lex.all_forms():
        if "ё" in word or "-" in word or word in keys:
            continue
        for rule, fragment in fragments:
            if fragment not in word:
                continue
            covered[rule].append(word)
            if any(g & gen.PEOPLE_AND_PLACES for _, g in lex.readings(word)):
                failures.append("%s would change the name %s" % (rule, word))
            break
    for rule in rules:
        for word in gen.chance_splits(rule, covered[rule]):
            failures.append("%s would change %s, which is no compound on it" % (rule, word))
    return failures


def main():
    dicts = os.path.join(ROOT, ".cache", "gen_dictionary", "dicts")
    if not os.path.exists(os.path.join(dicts, "words.dawg")):
        print("the lexicon is not fetched; skipped")
        return SKIP
    lex = lexicon.Lexicon(dicts)
    entries = shipped(os.path.join(ROOT, "data", "tildo.dat"))
    folded = {gen.fold(form): form for form in entries}
    fixed_by_override = overridden_fixed()
    added = overridden_added()
    lower = {f.lower() for f in entries}
    syllables = stressed_syllables(lower, gen.IMPERFECTIVE)
    participles = stressed_syllables(lower, gen.PARTICIPLE)
    failures = []
    checked = 0
    derived = 0
    young = 0
    stems = {"imperfective": 0, "participle": 0, "prefixed noun": 0}
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
        # 3. a form the lexicon lacks: made by a derivation step
        if not yo and form not in added:
            derived += 1
            if young_or_agent(form, other):
                continue
            if not other and young_of_animate(lex, form):
                young += 1
                continue
            ways = derivations(form, lower)
            for made, step in (
                (imperfective(form, other, syllables), "imperfective"),
                (participle(form, other, participles), "participle"),
                (prefixed_noun(form, other, lower), "prefixed noun"),
            ):
                if made:
                    stems[step] += 1
                    ways.append((step, made, lambda l, g, made=made: l == made))
            if not ways:
                failures.append("%s is fixed, but no derivation step makes it" % form)
                continue
            for lemma, grammemes in other:
                if gen.is_marginal(grammemes) or gen.is_set_aside(grammemes) or gen.is_proper(grammemes):
                    continue
                if not any(allowed(lemma, grammemes) for _, _, allowed in ways):
                    steps = ", ".join("%s of %s" % (step, base) for step, base, _ in ways)
                    failures.append("%s (%s) is fixed, but %s is a form of %s" % (form, steps, plain, lemma))
                    break
            continue
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
    # 4. the rules on the heads of compounds, as the file holds them
    heads = [rule for rule in shipped_rules(os.path.join(ROOT, "data", "tildo.dat")) if rule in gen.HEAD_RULES]
    failures += head_rule_failures(lex, heads, lower)
    for failure in failures[:50]:
        print(failure)
    print(
        "%d fixed forms beside a name and %d derived fixed forms (%d young of animates, %d imperfectives, "
        "%d participles, %d prefixed nouns) and %d rules on compound heads checked; %d failures"
        % (
            checked,
            derived,
            young,
            stems["imperfective"],
            stems["participle"],
            stems["prefixed noun"],
            len(heads),
            len(failures),
        )
    )
    least = {"imperfective": 1000, "participle": 400, "prefixed noun": 10}
    if (
        checked < 50
        or derived < 1000
        or young < 1000
        or len(heads) < 10
        or any(stems[step] < n for step, n in least.items())
    ):
        print("too few names beside fixed forms or derived forms: the check did not see the dictionary it expects")
        return 1
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
