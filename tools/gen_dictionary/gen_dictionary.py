#!/usr/bin/env python3
"""Generates data/tildo.dat, the main dictionary, from the OpenCorpora lexicon.

    gen_dictionary.py fetch   # npm pack az@0.2.3 into the cache, check it, unpack dicts/
    gen_dictionary.py build   # write data/tildo.dat from the cached lexicon
    gen_dictionary.py         # both

The output depends only on the package (checked by its SHA-1) and on
overrides.txt beside this script: the same input gives the same bytes. Only the
fetch step needs the network; nothing in the normal build or test run calls
this script.

How the entries are chosen (data/README.md says the same for the user):

1. Every word form of the lexicon that holds ё is a candidate. Forms with a
   hyphen are left out (the program's words never hold one: their parts are
   words of their own), and so is the lone letter ё.
2. Readings are (lemma, grammemes). A reading is marginal when it carries Arch
   (archaic), Infr (informal), Slng (slang), Dist (distorted) or Erro (error);
   the vocative of a given name (Алёш, Лёх), marked Infr, is not marginal: it is
   common in dialogue. Given names and patronymics in the plural (Алёны,
   Петр of the name Петра) are set aside as well: people are seldom named in
   the plural, and the lexicon's plural name forms clash with real words.
3. A form whose е-spelling (every ё written е) is not a word form of the
   lexicon is fixed: the program writes ё without asking.
4. Otherwise the readings of both spellings are compared:
   - if every reading of the ё-spelling is marginal or set aside, the ё form is
     a nonstandard spelling of a standard е word (сдвоённый beside сдвоенный,
     самоё beside самое) and is dropped;
   - readings of the е-spelling are discounted when they are marginal or set
     aside, when they mirror a reading of the ё-spelling (same lemma up to ё,
     same grammemes up to the marginal ones: the lexicon's ё-less duplicate
     lexemes such as вертолетчик, and the Infr е-spellings such as шелковый),
     and, for a common ё word, when they are proper names (the lexicon spells
     many surnames and places with е that are said with ё: Муравьев); nor do
     an adverb spelled like a short neuter ё form (the ё-less adverb lexemes:
     казенно), the genitive plural in -ей beside an instrumental singular in
     -ёй (беготней, возней: the plural is rare), and the short masculine in -ен
     of an -ный adjective beside a short participle in -ён (охранен, повторен:
     generated for every adjective and seldom used);
   - if no reading of the е-spelling is left, the ё form is fixed; otherwise
     both spellings are real words and the ё form is a variant ('?').
   Past participles and gerunds of вести, брести, цвести and обрести with ё
   (привёдший) are the lexicon's faults and left out. When one lexeme lists
   both spellings (маркер/маркёр, ведра/вёдра), the form is a variant.
5. A form whose readings are all proper names (Name, Surn, Patr, Geox, Orgn,
   Trad) is written with a capital first letter, so that it is found only for
   capitalised text; any common reading keeps it in lower case.
   A lower-case fixed form whose е spelling is also a proper name (киёв,
   Киев) gets a capitalised variant twin, so a capitalised word is asked
   about; a ё name with no name spelled with е gets a capitalised entry.
   не + a full adjective or past passive participle that the lexicon lacks
   is added like its base, and the rules of RULES cover numeral compounds.
   Negated and compound forms that the lexicon spells only with е
   (незащищенный, видеосъемка) take the ё of their last part.
5d. Derivation steps make ё words the lexicon lacks from their ё kin: short
   forms (-ён of -ённый), adverbs (-ённо of -ённый and -ённость), verbal
   nouns in -ние of ё verbs, imperfectives in -ывать/-ивать and participles in
   -анный that the lexicon spells with е where more of its words with the
   same stressed syllable have ё, nouns of verb prefixes and a ё noun beside
   the verb that keeps its ё (нахлёст), perfective verbs with
   пере-/недо-/пред-/до- that the lexicon spells with е, the passive -ётся of transitive -ёт, diminutives
   (колёсико), -ёнок and -ёр nouns, the young in -ёнок of animate nouns
   (пингвинёнок), the other forms of a compound's head, and the ё names of
   overrides.txt. See "derivation steps" below.
6. overrides.txt settles what grammemes cannot: artefacts to drop (тём, перёд),
   variants that the frequencies of the two words make pointless, and
   well-known words the lexicon lacks or spells with е (Щёлково, нёбо). Each
   line there gives its reason.
7. Forms that are equal once ё is read as е (весёл and вёсел) cannot both be
   entries: the one with fewer marginal readings, then the one with more
   readings, then the first in CP1251 order is kept, and it becomes a variant
   when the other one was a standard word too, so that the user is shown the
   word instead of the program guessing.
8. The entries are sorted by the dictionary collation (ё as е, case-blind,
   a capital before its lower-case twin) and written in CP1251 with CR LF.
"""

import argparse
import hashlib
import os
import re
import shutil
import subprocess
import sys
import tarfile
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import crosscheck  # noqa: E402
import lexicon  # noqa: E402

PACKAGE = "az@0.2.3"
PACKAGE_SHA1 = "1d0bcf2242418bdd7ae6c6f5e1a42cba072a7017"
DICT_FILES = ("words.dawg", "paradigms.array", "suffixes.json", "gramtab-opencorpora-int.json")

HERE = os.path.dirname(os.path.abspath(__file__))
REPO = os.path.normpath(os.path.join(HERE, "..", ".."))
DEFAULT_CACHE = os.path.join(REPO, ".cache", "gen_dictionary")
DEFAULT_OUTPUT = os.path.join(REPO, "data", "tildo.dat")
OVERRIDES = os.path.join(HERE, "overrides.txt")

MARGINAL = frozenset({"Arch", "Infr", "Slng", "Dist", "Erro"})
PROPER = frozenset({"Name", "Surn", "Patr", "Geox", "Orgn", "Trad"})
PEOPLE_AND_PLACES = frozenset({"Name", "Surn", "Patr", "Geox"})

# Numeral stems that begin compounds (трёхэтажный, четырёхсотлетие), and
# stems of technical nouns that are the last part of many compounds the
# lexicon lacks or spells only with е (видеоотчёт, статотчёт, взаимозачёт,
# телесъёмка, спецсамолёт, стеблеподъёмник). A rule costs a scan of every
# text word that is not a form, so only stems with many such compounds are
# rules. Each was checked against every form of the lexicon that holds it
# (the report lists them): *приёмник* (восприемник), *миномёт*
# (волюминометр), *плёнк* (the surname Пленкин), *разъём* (разъемся),
# *полёт* (эполет) and *твёрд* (утвердить) would damage words and are not
# rules. The forms the lexicon lists are still found first.
RULES = (
    "трёх*",
    "четырёх*",
    "*отчёт*",
    "*расчёт*",
    "*зачёт*",
    "*счётчик*",
    "*съёмк*",
    "*съёмочн*",
    "*самолёт*",
    "*вертолёт*",
    "*ёмкост*",
    "*подъёмник*",
    "*пулемёт*",
    "*отсчёт*",
    "*пересчёт*",
    "*подсчёт*",
    "*просчёт*",
    "*учётн*",
)
HEAD_RULES = (
    # Heads of compounds on an adverb or noun stem (слабозагрязнённый,
    # быстросъёмный, густонаселённый, длинношёрстный): the ё stems of full
    # adjectives and participles that the lexicon itself joins to at least
    # three different first elements, and whose е spelling no lexicon form
    # holds except as such a compound. A stem that only a few compounds take
    # is not worth its scan, and many fail the second test (охлаждённ in
    # прохлажденный), so there are few.
    "*шёрстн*",
    "*населённ*",
    "*вооружённ*",
    "*напряжённ*",
    "*съёмн*",
    "*плёночн*",
    "*рассечённ*",
    "*пролётн*",
    "*загрязнённ*",
    "*пересечённ*",
    "*опушённ*",
    "*распространённ*",
)
RULES += HEAD_RULES
# First elements that neither end in a linking vowel nor are verb prefixes.
FIRST_ELEMENTS = ("полу", "само", "сверх", "ультра", "супер", "гипер", "квази", "псевдо", "анти", "пост", "меж")

HEADER = [
    "# Основной словарь: словоформы с буквой ё.",
    "# Создан tools/gen_dictionary/gen_dictionary.py из словаря OpenCorpora",
    "# (пакет az 0.2.3), лицензия CC BY-SA; см. NOTICE и README.md.",
    "# Строка со знаком ? в конце - вариант: слово с е тоже существует.",
]


# --- fetching -------------------------------------------------------------------


def fetch(cache):
    """Packs the package with npm into cache, checks it and unpacks its dicts/."""
    os.makedirs(cache, exist_ok=True)
    with tempfile.TemporaryDirectory() as tmp:
        subprocess.run(["npm", "pack", PACKAGE, "--silent"], cwd=tmp, check=True, stdout=subprocess.DEVNULL)
        tarballs = [n for n in os.listdir(tmp) if n.endswith(".tgz")]
        if len(tarballs) != 1:
            raise SystemExit("npm pack gave %r" % tarballs)
        tarball = os.path.join(tmp, tarballs[0])
        with open(tarball, "rb") as f:
            digest = hashlib.sha1(f.read()).hexdigest()
        if digest != PACKAGE_SHA1:
            raise SystemExit("%s has SHA-1 %s, expected %s" % (PACKAGE, digest, PACKAGE_SHA1))
        dicts = os.path.join(cache, "dicts")
        os.makedirs(dicts, exist_ok=True)
        with tarfile.open(tarball) as tar:
            for name in DICT_FILES:
                member = tar.getmember("package/dicts/" + name)
                source = tar.extractfile(member)
                with open(os.path.join(dicts, name), "wb") as out:
                    shutil.copyfileobj(source, out)
    print("fetched %s into %s" % (PACKAGE, cache))


# --- the dictionary collation ------------------------------------------------------


def _lower_cp(b):
    if 0xC0 <= b <= 0xDF or 0x41 <= b <= 0x5A:
        return b + 32
    if b == 0xA8:
        return 0xB8
    return b


def fold(word):
    return word.replace("ё", "е").replace("Ё", "Е")


def sort_key(word):
    """The order of the program's CompareFolded: the lower-cased folded bytes,
    a prefix first; then the folded bytes themselves, so a capital first."""
    folded = fold(word).encode("cp1251")
    return bytes(_lower_cp(b) for b in folded), folded


# --- choosing the entries ------------------------------------------------------------


def is_marginal(grammemes):
    if not grammemes & MARGINAL:
        return False
    return not ("voct" in grammemes and "Name" in grammemes)


def is_set_aside(grammemes):
    return bool(grammemes & {"Name", "Patr"}) and "plur" in grammemes


def is_proper(grammemes):
    return bool(grammemes & PROPER)


def is_adverb_mirror(word, yoReadings, lemma, grammemes):
    """An adverb spelled like a short neuter ё form (ёмко, казённо) is the
    lexicon's ё-less adverb lexeme of the same word."""
    return (
        "ADVB" in grammemes
        and lemma == fold(word)
        and any("ADJS" in g and "neut" in g for _, g in yoReadings)
    )


def is_rare_genitive_plural(yoReadings, lemma, grammemes):
    """The genitive plural in -ей of a feminine noun whose instrumental singular
    ends in -ёй (беготней, возней, роднёй): the plural is rare, the singular
    common."""
    if not ({"NOUN", "plur", "gent"} <= grammemes):
        return False
    return any(l == lemma and {"NOUN", "femn", "sing", "ablt"} <= g for l, g in yoReadings)


def is_generated_short_form(yoReadings, lemma, grammemes):
    """The short masculine in -ен of an adjective in -ный/-ной beside a short
    participle in -ён (охранен beside охранён, повторен beside повторён): the
    lexicon gives every such adjective a short form, and most are never used.
    The few real ones (благодарен, склонен, сложен) are in overrides.txt."""
    if not ({"ADJS", "masc", "sing"} <= grammemes and lemma.endswith(("ный", "ной"))):
        return False
    return any("PRTS" in g for _, g in yoReadings)


def is_misplaced_participle(word, yoReadings):
    """The lexicon's past participles and gerunds of вести, брести, цвести and
    обрести with ё (привёдший, расцвётший): they are written with е
    (приведший, расцветший), unlike those of мести or плести (подмётший)."""
    if "ёдш" not in word and "ётш" not in word:
        return False
    return all(
        ("PRTF" in g or "GRND" in g) and l.removesuffix("сь").endswith(("вести", "брести", "цвести", "рести"))
        for l, g in yoReadings
    )


class Entry:
    def __init__(self, form, variant, reason):
        self.form = form  # lower case as in the lexicon; capitalised on output
        self.variant = variant
        self.reason = reason
        self.proper = False
        self.marginal = 0  # marginal readings, for settling fold collisions
        self.readings = 0
        self.step = ""  # the derivation step that made it; "" for the lexicon's own forms
        self.head = ""  # for a compound the lexicon spells with е: the ё entry it ends in


def classify(word, yoReadings, plainReadings):
    """The entry for one ё form, or None to leave it out."""
    if is_misplaced_participle(word, yoReadings):
        return None
    kept = [(l, g) for l, g in yoReadings if not is_marginal(g) and not is_set_aside(g)]
    shown = kept or yoReadings
    entry = Entry(word, False, "")
    entry.proper = all(is_proper(g) for _, g in shown)
    entry.marginal = sum(1 for _, g in yoReadings if is_marginal(g))
    entry.readings = len(yoReadings)
    if not plainReadings:
        entry.reason = "no е twin"
        return entry
    if not kept:
        return None
    mirrors = {(fold(l), g - MARGINAL) for l, g in yoReadings}
    lemmas = {l for l, _ in yoReadings}
    rest = [
        (l, g)
        for l, g in plainReadings
        if not is_marginal(g)
        and not is_set_aside(g)
        and ((fold(l), g - MARGINAL) not in mirrors or l in lemmas)
        and (entry.proper or not is_proper(g))
        and not is_adverb_mirror(word, yoReadings, l, g)
        and not is_rare_genitive_plural(yoReadings, l, g)
        and not is_generated_short_form(yoReadings, l, g)
    ]
    if not rest:
        entry.reason = "е twin discounted"
        return entry
    entry.variant = True
    entry.reason = "е twin: " + ", ".join(sorted({l for l, _ in rest}))
    return entry


# A ё name the lexicon lacks, declined by its ending (see declined): fixed,
# or asked about (name?) where its е spelling is a name of someone else too.
NAME_ACTIONS = ("name", "name?")


def read_overrides(path):
    """overrides.txt: 'action form # reason' lines; actions drop, fixed,
    variant, add, add?, name, name?; forms in lower case, a capital for a
    proper name."""
    result = []
    with open(path, encoding="utf-8") as f:
        for number, line in enumerate(f, 1):
            text = line.split("#", 1)[0].strip()
            if not text:
                continue
            parts = text.split()
            if len(parts) < 2 or parts[0] not in ("drop", "fixed", "variant", "add", "add?") + NAME_ACTIONS:
                raise SystemExit("%s:%d: bad line %r" % (path, number, line))
            for form in parts[1:]:
                result.append((parts[0], form))
    return result


def choose(lex, overrides):
    forms = lex.forms_with("ё")
    entries = {}
    for word in sorted(forms):
        if "-" in word or len(word) < 2:
            continue
        entry = classify(word, forms[word], lex.readings(fold(word)))
        if entry is not None:
            entries[word] = entry
    undropped = apply_overrides(entries, overrides)
    settled = {form.lower() for _, form in overrides}
    names = [(form, action == "name?") for action, form in overrides if action in NAME_ACTIONS]
    result = list(entries.values())
    negated = negated_forms(lex, forms, entries)
    compounds = spelled_with_e(lex, forms, entries)
    result += negated + compounds
    result += capitalised_twins(lex, forms, entries)
    result += capitalised_names(lex, forms, entries, settled)
    derived, blocked = derive(lex, forms, entries, settled, names, negated + compounds)
    if undropped - blocked:
        raise SystemExit("override drops %s, which is not an entry" % ", ".join(sorted(undropped - blocked)))
    result += derived
    # A derived word whose е spelling is a name is asked about when capitalised.
    steps = {e.form: e.step for e in derived}
    for twin in capitalised_twins(lex, {}, {e.form: e for e in derived if not e.proper}):
        twin.step = steps[twin.form]
        result.append(twin)
    return settle_collisions(result)


def apply_overrides(entries, overrides):
    """Applies the overrides to the lexicon's entries; gives the dropped forms
    that are not among them, which the derivation steps would make."""
    pending = set()
    for action, form in overrides:
        key = form.lower()
        if action in NAME_ACTIONS:
            continue  # declined with the derivation steps
        if action == "drop":
            if entries.pop(key, None) is None:
                pending.add(key)  # a derivation step must be what would make it
        elif action in ("fixed", "variant"):
            if key not in entries:
                raise SystemExit("override %s %s: not an entry" % (action, form))
            entries[key].variant = action == "variant"
            entries[key].reason = "override"
        else:
            if key in entries:
                raise SystemExit("override adds %s, which is an entry already" % form)
            entry = Entry(key, action == "add?", "added")
            entry.proper = form[0].isupper()
            entries[key] = entry
    return pending


def is_negatable(grammemes):
    """A full adjective or past passive participle, which takes не as one word
    when it stands without dependants (неразделённый, нечёткий). Possessive
    adjectives and the bookish instrumental in -ою are left out: with не they
    do not occur."""
    if is_marginal(grammemes) or "Poss" in grammemes:
        return False
    return "ADJF" in grammemes or {"PRTF", "pssv", "past"} <= grammemes


def negated_forms(lex, forms, entries):
    """не + a common ё adjective or participle where the lexicon has neither
    spelling of the negated form; it is decided like its base."""
    result = []
    for word, entry in sorted(entries.items()):
        if entry.proper or word.startswith("не") or word.endswith("ою") or entry.reason == "added":
            continue
        if not any(is_negatable(g) for _, g in forms.get(word, ())):
            continue
        negated = "не" + word
        if negated in forms or lex.readings(fold(negated)):
            continue
        added = Entry(negated, entry.variant, "не + " + word)
        added.readings = 1
        result.append(added)
    return result


NOMINAL = frozenset({"NOUN", "ADJF", "PRTF", "ADJS", "PRTS"})


def is_common_nominal(grammemes):
    return bool(grammemes & NOMINAL) and not is_marginal(grammemes) and not is_proper(grammemes)


def compound_head(lex, forms, byFold, word, prefix):
    """The ё form that word, which the lexicon spells only with е, ends in when
    it is prefix (не, or a compound stem in -о: видео-, ресурсо-, стекло-)
    joined to a common ё noun, adjective or participle whose lemma its own
    lemma continues; or None."""
    head = word[len(prefix) :]
    own = [l for l, g in lex.readings(word) if is_common_nominal(g)]
    for candidate in byFold.get(head, ()):
        if prefix + candidate in forms:
            continue
        lemmas = {fold(l) for l, g in forms[candidate] if is_common_nominal(g)}
        for lemma in own:
            rest = fold(lemma)[len(prefix) :]
            if not fold(lemma).startswith(prefix) or len(rest) < 4:
                continue
            # the lemma of a participle's head is its verb: compare through
            # the ё forms that the rest of word's lemma spells
            if rest in lemmas or any(lemmas & {fold(l) for l, _ in forms[f]} for f in byFold.get(rest, ())):
                return candidate
    return None


VERB_PREFIXES = re.compile(
    "(?:пере|недо|пред|предо|под|подо|над|надо|при|про|раз|разо|рас|низ|низо|вз|взо|из|изо|ис|"
    "об|обо|от|ото|по|до|за|на|со|во|вы|с|в|о|у)+"
)


def is_compound_stem(lex, prefix):
    """A first element that the lexicon joins to many different words
    (видео-, стекло-, ресурсо-), not the inside of one stem that happens to end
    in о before a word (писто|летный), nor a chain of verb prefixes
    (пере|по|лученный, whose participle is written with е)."""
    if VERB_PREFIXES.fullmatch(prefix):
        return False
    shorter = lex.readings(prefix[:-1])
    if shorter and all("VERB" in g for _, g in shorter):
        return False  # вы|ло|щенный: выл is a verb, not a first element
    starts = set()
    for word in lex.forms_starting(prefix):
        rest = word[len(prefix) :]
        if len(rest) >= 4 and rest[:3] not in starts and lex.readings(rest):
            starts.add(rest[:3])
            if len(starts) >= 3:
                return True
    return False


class CompoundHeads:
    """Whether the lexicon itself spells compounds on a compound stem with a
    given ё form as their last part (съёмка: кино-, фото-, аэро-...): a head
    that no such compound has (днёвка beside однодневка) is not trusted."""

    def __init__(self, lex, forms, stems):
        self.lex = lex
        self.stems = stems  # stem -> is_compound_stem, shared with the caller
        self.firsts = {}
        for word in forms:
            for cut in range(4, len(word) - 3):
                if word[cut - 1] == "о":
                    self.firsts.setdefault(word[cut:], []).append(word[:cut])

    def trusted(self, head):
        count = 0
        for stem in self.firsts.get(head, ()):
            if stem not in self.stems:
                self.stems[stem] = is_compound_stem(self.lex, stem)
            count += self.stems[stem]
            if count >= 2:
                return True
        return False


# полу- (half) is a first element of its own, not a stem that may end where a
# word begins by chance: its compounds need no other compound on their head.
HALF = "полу"


def spelled_with_e(lex, forms, entries):
    """The lexicon lists many negated and compound words only with е
    (незащищенный, ресурсоемкость, видеосъемка, стеклоподъемник) although
    their head is a ё word: each such form is written with the head's ё and
    decided like the head's entry."""
    byFold = {}
    for word in forms:
        if "-" not in word:
            byFold.setdefault(fold(word), []).append(word)
    productive = {}
    heads = CompoundHeads(lex, forms, productive)
    result = {}
    for word in lex.all_forms():
        if "е" not in word or "-" in word:
            continue
        for cut in range(2, len(word) - 3):
            prefix = word[:cut]
            if prefix not in ("не", HALF) and (cut < 4 or prefix[-1] != "о"):
                continue
            if word[cut:] not in byFold:
                continue
            if prefix != "не":
                if prefix not in productive:
                    productive[prefix] = is_compound_stem(lex, prefix)
                if not productive[prefix]:
                    break
            head = compound_head(lex, forms, byFold, word, prefix)
            if head and prefix == "не" and not any(is_negatable(g) for _, g in forms[head]):
                head = None  # неженка is no negated жёнка
            if head and prefix not in ("не", HALF) and not heads.trusted(head):
                head = None  # one|днёвка: the lexicon has no compound on this head
            entry = entries.get(head) if head else None
            if entry is not None and not entry.proper:
                added = Entry(prefix + head, entry.variant, "the lexicon spells it with е; head " + head)
                added.readings = 1
                added.head = head
                if prefix == HALF:
                    added.step = "compound"
                result[added.form] = added
            break
    return [result[k] for k in sorted(result)]


# --- derivation steps -------------------------------------------------------------------
#
# The lexicon lacks many ё words whose kin it has with ё: the short form of a
# participle, the adverb of an adjective, the noun of a verb. Each step below
# makes such words from a ё entry and adds one only where the lexicon has no
# form of it with ё; its е spelling decides what it becomes. Readings of the е
# spelling that are the derived word itself (its lexeme as the lexicon spells
# it without ё: the adverb потрясенно beside потрясённый) do not count; any
# other standard reading makes the word a variant. A word made from a variant is
# added only where its е spelling is no word of the lexicon at all: совершённо
# from совершённый would only put a question on the adverb совершенно.

FULL_ENDING = "ённый"
SHORT_ENDING = "ён"
ADVERB_ENDING = "ённо"
NOUN_ENDING = "ённость"
# Prefixes that make a perfective verb of a perfective one without moving its
# stress: пере|определить, пред|упредить, до|оснастить, пере|шагнуть.
REDO_PREFIXES = ("пере", "недо", "пред", "до")
CASES = {
    "ние": ("ние", "ния", "нию", "нием", "нии", "ний", "ниям", "ниями", "ниях"),
    "ико": ("ико", "ика", "ику", "иком", "ике", "ики", "иков", "икам", "иками", "иках"),
    "ышко": ("ышко", "ышка", "ышку", "ышком", "ышке", "ышки", "ышек", "ышкам", "ышками", "ышках"),
    "ёнок": ("ёнок", "ёнка", "ёнку", "ёнком", "ёнке"),
    "ёр": ("ёр", "ёра", "ёру", "ёром", "ёре", "ёры", "ёров", "ёрам", "ёрами", "ёрах"),
}
STEPS = (
    "short form",
    "adverb",
    "verbal noun",
    "imperfective",
    "participle",
    "prefixed noun",
    "prefixed verb",
    "reflexive",
    "diminutive",
    "young",
    "compound",
    "name",
)
# A secondary imperfective in -ывать/-ивать, its reflexive and its noun in
# -ние: the consonants and the vowel of the root syllable before the suffix
# (ч|е|рк|ива), then the ending. That syllable carries the stress whatever the
# prefix (зачёркивать, надчёркивать, вычёркивать, перечёркивание).
IMPERFECTIVE = re.compile("([бвгджзклмнпрстфхцчшщ]*)([её])([бвгджзклмнпрстфхцчшщ]+[ыи]ва)(?:ть|ться|ние)$")
# A past passive participle in -анный/-янный: the syllable before the suffix
# (тр|е|п|ан) carries the stress.
PARTICIPLE = re.compile("([бвгджзклмнпрстфхцчшщ]*)([её])([бвгджзклмнпрстфхцчшщ]+[ая]н)ный$")


def full_form_lemmas(readings, qualitative=False):
    """The lemmas (folded) of the full masculine nominative readings: a past
    passive participle's verb, an adjective's own (with qualitative, only a
    qualitative adjective's, which alone has short forms and adverbs of its
    own)."""
    return {
        fold(l)
        for l, g in readings
        if not is_marginal(g)
        and not is_proper(g)
        and ({"PRTF", "pssv"} <= g or ("ADJF" in g and (not qualitative or "Qual" in g)))
        and {"masc", "nomn", "sing"} <= g
    }


class Derivation:
    """The derivation steps over the chosen entries; each adds to result."""

    def __init__(self, lex, forms, entries, settled):
        self.lex = lex
        self.forms = forms
        self.entries = entries
        self.settled = settled  # forms that overrides.txt decides: never derived
        self.keys = {fold(w) for w in entries}
        self.result = {}
        self.blocked = set()  # the settled forms that a step would have made
        self.byLemma = None  # the ё forms of each lemma, made when a step needs them

    def add(self, word, base, step, variant, mirrors):
        """Adds word, made by step from base, unless the lexicon or another step
        has it; mirrors(lemma, grammemes) tells a reading of the е spelling that
        is the word itself."""
        plain = fold(word)
        if word in self.settled:
            self.blocked.add(word)
            return
        if word in self.forms or plain in self.keys or "ё" not in word:
            return
        readings = self.lex.readings(plain)
        if readings and variant:
            return
        rest = sorted(
            {
                l
                for l, g in readings
                if not is_marginal(g) and not is_set_aside(g) and not is_proper(g) and not mirrors(l, g)
            }
        )
        reason = "%s of %s" % (step, base)
        if rest:
            reason += "; е twin: " + ", ".join(rest)
        entry = Entry(word, variant or bool(rest), reason)
        entry.readings = 1
        entry.step = step
        self.result[word] = entry
        self.keys.add(plain)

    def add_lexeme(self, plainLemma, cases, stem, yoStem, base, step, variant):
        """Each form stem + case of the lexeme plainLemma that the lexicon spells
        with е, written with yoStem for stem."""
        for case in cases:
            readings = self.lex.readings(stem + fold(case))
            if any(l == plainLemma and not is_marginal(g) for l, g in readings):
                self.add(yoStem + case, base, step, variant, lambda l, g: l == plainLemma)

    def common(self):
        """(form, entry, lexicon readings) of the common entries, in order."""
        for word, entry in sorted(self.entries.items()):
            if not entry.proper:
                yield word, entry, self.forms.get(word, ())

    def full_forms(self, extra, qualitative):
        """(form, entry, lemmas, qualitative) of every common full -ённый entry
        (a participle, or an adjective, only a qualitative one with
        qualitative), with the derived entries of extra; a derived one's
        readings are those of its е spelling. Negated forms are left out: their
        short forms are written apart (не решён), their adverbs come with the
        negated adjectives the lexicon lists."""
        derived = {e.form: e for e in extra}
        derived.update(self.result)
        for word in sorted(set(self.entries) | set(derived)):
            entry = self.entries.get(word) or derived[word]
            if entry.proper or not word.endswith(FULL_ENDING) or entry.reason.startswith("не + "):
                continue
            if entry.reason.startswith("the lexicon spells it with е") and word.startswith("не"):
                continue
            readings = self.forms.get(word) or self.lex.readings(fold(word))
            lemmas = full_form_lemmas(readings, qualitative)
            if lemmas:
                yield word, entry, lemmas, any("ADJF" in g and "Qual" in g for _, g in readings)

    def short_forms(self, extra):
        """обнулённый -> обнулён, of a participle or a qualitative adjective."""
        for word, entry, lemmas, _ in list(self.full_forms(extra, True)):
            self.add(
                word[: -len(FULL_ENDING)] + SHORT_ENDING,
                word,
                "short form",
                entry.variant,
                lambda l, g: bool({"PRTS", "ADJS"} & g) and "masc" in g and fold(l) in lemmas | {fold(word)},
            )

    def adverbs(self, extra):
        """потрясённый -> потрясённо, приближённость -> приближённо. A
        participle's adverb is taken only where the lexicon spells it with е
        (потрясенно, сокрушенно: lexemes of their own); a qualitative adjective
        and its noun in -ость have one whether the lexicon lists it or not."""
        bases = [(w, e, w[: -len(FULL_ENDING)], ls | {fold(w)}, q) for w, e, ls, q in self.full_forms(extra, False)]
        for word, entry, readings in self.common():
            if word.endswith(NOUN_ENDING) and any("NOUN" in g and l == word for l, g in readings):
                stem = word[: -len(NOUN_ENDING)]
                bases.append((word, entry, stem, {fold(stem + FULL_ENDING)}, True))
        for word, entry, stem, lemmas, qualitative in bases:
            adverb = fold(stem + ADVERB_ENDING)
            own = [l for l, g in self.lex.readings(adverb) if "ADVB" in g and fold(l) == adverb]
            if not qualitative and not own:
                continue
            self.add(
                stem + ADVERB_ENDING,
                word,
                "adverb",
                entry.variant,
                lambda l, g: ("ADVB" in g and fold(l) == adverb) or ({"ADJS", "neut"} <= g and fold(l) in lemmas),
            )

    def verbal_nouns(self):
        """перечёркивать -> перечёркивание: the noun in -ние keeps the stem and
        the stress of its verb. (Nouns without a suffix do not: очерк, всплеск,
        выверт beside очёркивать, всплёскивать, вывёртывать.)"""
        for word, entry, readings in self.common():
            if not word.endswith("ть") or not any("INFN" in g for _, g in readings):
                continue
            stem = word[: -len("ться")] if word.endswith("ться") else word[: -len("ть")]
            if "ё" not in stem:
                continue
            self.add_lexeme(fold(stem) + "ние", CASES["ние"], fold(stem), stem, word, "verbal noun", entry.variant)

    def imperfective_stems(self):
        """надчеркивать -> надчёркивать: a secondary imperfective (and its
        noun in -ние) that the lexicon spells only with е takes the ё of its
        root syllable where the lexicon spells more lexemes with that
        syllable and suffix with ё (зачёркивать, вычёркивать, подчёркивать)
        than with е only. The count keeps out a syllable that is only spelled
        alike: слеживаться has ё, but выслеживать, прослеживать,
        отслеживать come from след; переживать is пере|жи|вать."""

        def lexeme(word, readings, match):
            if any(l == word and not is_marginal(g) and not is_proper(g) for l, g in readings):
                return {word}
            return set()

        self.stressed_syllables(IMPERFECTIVE, lexeme, "imperfective")

    def stem_participles(self):
        """потрепанный -> потрёпанный: a past passive participle in -анный or
        -янный is stressed on the syllable before its suffix, so one that the
        lexicon spells only with е takes the ё of that syllable where the
        lexicon spells more participles with it with ё (истрёпанный,
        затрёпанный) than with е only. вы- takes the stress of a perfective
        (вычесанный, повыдерганный beside причёсанный) and is left out."""

        def lexeme(word, readings, match):
            if "вы" in word[: match.start(1)]:
                return set()
            return {
                l
                for l, g in readings
                if {"PRTF", "pssv", "masc", "nomn", "sing"} <= g and not is_marginal(g) and not is_proper(g)
            }

        self.stressed_syllables(PARTICIPLE, lexeme, "participle")

    def stressed_syllables(self, pattern, lexeme, step):
        """The words of the lexicon that pattern matches (consonants, е or ё,
        the consonants and suffix after) and lexeme gives lemmas for are
        grouped by that syllable and suffix; the е-only words of a group
        that holds more ё words take its ё in every form of their lemmas."""
        withYo, withE = {}, {}
        for word in self.lex.all_forms():
            match = pattern.search(word)
            if match is None or "-" in word:
                continue
            lemmas = lexeme(word, self.lex.readings(word), match)
            if not lemmas:
                continue
            syllable = fold(match.group(1) + match.group(2) + match.group(3))
            if match.group(2) == "ё":
                withYo.setdefault(syllable, set()).add(word)
                continue
            at = match.start(2)
            if not self.lex.readings(word[:at] + "ё" + word[at + 1 :]):
                withE.setdefault(syllable, set()).add((word, at, match.end(3), frozenset(lemmas)))
        for syllable, words in sorted(withE.items()):
            bases = sorted(withYo.get(syllable, ()))
            if len(bases) <= len(words):
                continue
            for word, at, stemEnd, lemmas in sorted(words):
                for form in self.lex.forms_starting(word[:stemEnd]):
                    if any(l in lemmas and not is_marginal(g) for l, g in self.lex.readings(form)):
                        self.add(form[:at] + "ё" + form[at + 1 :], bases[0], step, False, lambda l, g: l in lemmas)

    def prefixed_nouns(self):
        """перехлест -> перехлёст: a noun that the lexicon spells only with е,
        made of verb prefixes and a ё noun (хлёст), where the lexicon spells a
        verb of the same prefixes and that noun with ё, in -ывать or -нуть
        (перехлёстывать, перехлёстнуть): the noun is that verb's stem and
        keeps its stress. Without such a verb a prefix may take the stress or
        the match be a chance one (прочерк, прочерт beside чёрт, задер)."""
        heads = {}
        for word, readings in self.forms.items():
            if any(l == word and "NOUN" in g and is_common_nominal(g) for l, g in readings):
                heads[fold(word)] = word
        for word in self.lex.all_forms():
            if "ё" in word or "-" in word:
                continue
            for cut in range(1, len(word) - 2):
                head = heads.get(word[cut:])
                if head is None or not VERB_PREFIXES.fullmatch(word[:cut]):
                    continue
                yoNoun = word[:cut] + head
                verbs = [yoNoun + end for end in ("ывать", "нуть") if yoNoun + end in self.forms]
                if not verbs or self.lex.readings(yoNoun):
                    break
                noun = any(l == word and "NOUN" in g and is_common_nominal(g) for l, g in self.lex.readings(word))
                at = cut + head.index("ё")
                if noun:
                    for form in self.lex.forms_starting(word[: at + 1]):
                        if any(l == word and not is_marginal(g) for l, g in self.lex.readings(form)):
                            yoForm = form[:at] + "ё" + form[at + 1 :]
                            self.add(yoForm, verbs[0], "prefixed noun", False, lambda l, g: l == word)
                break

    def prefixed_verbs(self):
        """пере + определённый -> переопределённый where the lexicon spells the
        prefixed verb only with е. Only on a perfective verb: on an imperfective
        one a prefix may move the stress (полнить, переполненный). вы- takes
        the stress itself."""
        for word, entry, readings in self.common():
            verbs = [(l, g) for l, g in readings if not is_marginal(g) and g & {"VERB", "INFN", "GRND", "PRTF", "PRTS"}]
            if not verbs or not all("perf" in g for _, g in verbs):
                continue
            lemmas = {l for l, g in readings if not is_marginal(g)}
            if any(l.startswith("вы") for l in lemmas):
                continue
            for prefix in REDO_PREFIXES:
                own = {fold(prefix + l) for l in lemmas}
                if any(fold(l) in own for l, _ in self.lex.readings(fold(prefix + word))):
                    self.add(prefix + word, word, "prefixed verb", entry.variant, lambda l, g: fold(l) in own)

    def reflexives(self):
        """пересдаёт -> пересдаётся: the passive of a transitive verb whose
        ending has ё, which keeps the stress. Only where the lexicon has
        neither spelling."""
        for word, entry, readings in self.common():
            if word.endswith("ёт") and any({"VERB", "3per", "sing", "tran"} <= g for _, g in readings):
                if not self.lex.readings(fold(word) + "ся"):
                    self.add(word + "ся", word, "reflexive", entry.variant, lambda l, g: False)

    def diminutives(self, young):
        """колёса -> колёсико: a neuter noun's diminutive keeps the stressed stem
        of its plural; the young of animals in -ёнок (лягушёнок, from the
        lexicon's е spellings in young, whose plural in -ята tells the suffix
        from оттенок); nouns in -ёр whose -ёрский or -ёрша the lexicon spells
        with ё (вахтёр)."""
        for word, entry, readings in self.common():
            if word[-1] in "аяыи" and any({"NOUN", "neut", "nomn", "plur"} <= g for _, g in readings):
                stem = word[:-1]
                # the plural's е twin (колеса, the genitive singular) says
                # nothing about the stem of the diminutive
                for suffix in ("ико", "ышко"):
                    self.add_lexeme(fold(stem) + suffix, CASES[suffix], fold(stem), stem, word, "diminutive", False)
            for suffix in ("ёрский", "ёрша"):
                if word.endswith(suffix) and any(l == word for l, _ in readings):
                    stem = word[: -len(suffix)]
                    self.add_lexeme(stem + "ер", CASES["ёр"], stem, stem, word, "diminutive", entry.variant)
        for lemma in young:
            stem = lemma[: -len("енок")]
            self.add_lexeme(lemma, CASES["ёнок"], stem, stem, lemma + " (plural -ята)", "diminutive", False)

    def young(self, animates):
        """пингвин -> пингвинёнок, орёл -> орлёнок: the young (or a small one)
        of an animate noun the lexicon has, whose suffix -ёнок is always
        stressed. animates: (noun, stem) pairs. A word the step makes up is
        left out where its е spelling is a word (басенка, паненка): a
        question on a real word would cost more than the rare young helps."""
        for noun, stem in animates:
            if "ё" in stem:
                continue  # the suffix would take the stress from it: актёр
            for case in CASES["ёнок"]:
                if not self.lex.readings(fold(stem + case)):
                    self.add(stem + case, noun, "young", False, lambda l, g: False)

    def compounds(self, found):
        """ресурсо + ёмкость -> ресурсоёмкий: a compound the lexicon spells (found:
        (first element, head) pairs) takes the other forms of its head's lexeme
        and of the adjective or noun in -ость paired with it, of the head's
        kind (noun, or adjective and participle with their short forms)."""
        for first, head in found:
            entry = self.entries.get(head)
            if first == "не" or entry is None or entry.proper:
                continue
            family = set()
            for l, g in self.forms.get(head, ()):
                if not is_common_nominal(g):
                    continue
                noun = "NOUN" in g
                for lemma in {l} | paired_lemmas(l):
                    for form in self.lexeme(lemma):
                        kinds = [gg for ll, gg in self.forms[form] if ll == lemma and is_common_nominal(gg)]
                        if any(("NOUN" in gg) == (noun if lemma == l else not noun) for gg in kinds):
                            family.add(form)
            for form in sorted(family):
                member = self.entries.get(form)
                if member is None or member.proper or self.lex.readings(fold(first + form)):
                    continue
                self.add(first + form, first + "|" + head, "compound", member.variant, lambda l, g: False)

    def lexeme(self, lemma):
        """The ё forms of a lemma."""
        if self.byLemma is None:
            self.byLemma = {}
            for word, readings in self.forms.items():
                for l, g in readings:
                    if not is_marginal(g):
                        self.byLemma.setdefault(l, set()).add(word)
        return self.byLemma.get(lemma, set())

    def names(self, names):
        """The case forms of the names of overrides.txt ((name, variant) pairs).
        A form whose е spelling is someone else's name in the lexicon, or a
        common word (Тема beside Тёма: capitalised at the start of a
        sentence), is a variant; the lexicon's own е spelling of the same name
        (Алешин) is not someone else's."""
        for name, variant in names:
            own = {fold(f) for f in declined(name.lower())}
            for form in declined(name.lower()):
                if form in self.entries or fold(form) in self.keys:
                    continue
                readings = self.lex.readings(fold(form))
                others = sorted({l for l, g in readings if is_proper(g) and not is_set_aside(g) and fold(l) not in own})
                common = sorted({l for l, g in readings if not is_proper(g) and not is_marginal(g)})
                reason = "name %s" % name
                if others:
                    reason += "; е spelling is the name " + ", ".join(others)
                if common:
                    reason += "; е spelling is a form of " + ", ".join(common)
                entry = Entry(form, variant or bool(others) or bool(common), reason)
                entry.proper = True
                entry.readings = 1
                entry.step = "name"
                self.result[form] = entry
                self.keys.add(fold(form))


def paired_lemmas(lemma):
    """An adjective and its noun in -ость (ёмкий, ёмкость), either way."""
    if lemma.endswith("ость"):
        stem = lemma[: -len("ость")]
        return {stem + "ий", stem + "ый", stem + "ой"}
    if lemma.endswith(("ий", "ый", "ой")):
        return {lemma[:-2] + "ость"}
    return set()


def declined(name):
    """The case forms of a ё name by its ending: a surname in -ов, -ев, -ёв, -ин
    (Алёшин, Алёшина, Алёшиным...), a name in -а or -я, a name ending in a
    consonant (Мёрдок, Мёрдока...); any other ending is not declined (Корё)."""
    if name.endswith(("ов", "ев", "ёв", "ин", "ын")):
        return [name + e for e in ("", "а", "у", "ым", "е", "ой", "ы", "ых", "ыми")]
    if name.endswith("а"):
        return [name[:-1] + e for e in ("а", "ы", "е", "у", "ой", "ою")]
    if name.endswith("я"):
        return [name[:-1] + e for e in ("я", "и", "е", "ю", "ей", "ею")]
    if name[-1] in "аеёиоуыэюя":
        return [name]
    return [name + e for e in ("", "а", "у", "ом", "е")]


def derive(lex, forms, entries, settled, names, extra):
    """The derived entries of every step. extra: the entries of the other steps
    (negated forms, compounds the lexicon spells with е), which the steps may
    build on; names: (form, variant) from overrides.txt."""
    d = Derivation(lex, forms, entries, settled)
    d.keys |= {fold(e.form) for e in extra}
    d.verbal_nouns()
    d.imperfective_stems()
    d.stem_participles()
    d.prefixed_nouns()
    d.prefixed_verbs()
    d.reflexives()
    d.diminutives(young_animals(lex))
    d.young(animate_stems(lex))
    d.compounds([(e.form[: -len(e.head)], e.head) for e in extra if e.head])
    d.short_forms(extra)
    d.adverbs(extra)
    d.names(names)
    return [d.result[k] for k in sorted(d.result)], d.blocked


def young_animals(lex):
    """Nouns in -енок that the lexicon spells with е and whose plural is in
    -ята or -ата (лягушенок, лягушата): the suffix -ёнок, always stressed.
    The stem must hold a vowel (щенок, щенята is щ + енок)."""
    result = []
    for word in lex.all_forms():
        if not word.endswith("енок"):
            continue
        stem = word[: -len("енок")]
        if not any(c in "аеёиоуыэюя" for c in stem):
            continue
        if not any(l == word and "NOUN" in g and "nomn" in g for l, g in lex.readings(word)):
            continue
        plurals = lex.readings(stem + "ята") + lex.readings(stem + "ата")
        if any(l == word and "plur" in g for l, g in plurals):
            result.append(word)
    return sorted(result)


# The young take -ёнок after these consonants (котёнок, пингвинёнок, орлёнок);
# after к, г, х the stem changes (волчонок), after ж, ш, ч, щ, ц the suffix is
# -онок (мышонок), and after ь the consonant may change (медвежонок).
YOUNG_STEM_ENDS = "бвдзлмнпрстф"
ANIMATE_NOUN = frozenset({"NOUN", "anim", "masc", "nomn", "sing"})
# Suffixes of followers, professions and peoples (марксист, дипломант,
# горожанин, языковед, франкофил), whose young nobody names.
PERSON_SUFFIXES = ("ист", "анин", "янин", "ант", "ент", "вед", "граф", "фил", "фоб", "лог")


def young_stem(lex, noun):
    """The stem that the young of noun is built on: its genitive singular
    without -а (of the animate noun: лев, льва, not the coin's лева), so that
    a fleeting vowel drops as it does there (орёл, орла:
    орлёнок; лев, льва: львёнок); or None when the lexicon gives no such
    genitive."""
    for genitive in (noun + "а", fold(noun[:-2]) + noun[-1] + "а", fold(noun[:-2]) + "ь" + noun[-1] + "а"):
        if any(l == noun and {"NOUN", "anim", "gent", "sing"} <= g for l, g in lex.readings(genitive)):
            return genitive[:-1]
    return None


def animate_stems(lex):
    """(noun, stem) of the common animate masculine nouns of the lexicon on a
    consonant that takes -ёнок, which the young step builds on."""
    result = []
    for word in lex.all_forms():
        if word[-1] not in YOUNG_STEM_ENDS or "-" in word or word.endswith(PERSON_SUFFIXES):
            continue
        readings = lex.readings(word)
        if not any(l == word and ANIMATE_NOUN <= g and is_common_nominal(g) for l, g in readings):
            continue
        stem = young_stem(lex, word)
        if stem and len(stem) >= 3:
            result.append((word, stem))
    return sorted(result)


def unmirrored_proper(yoReadings, plainReadings):
    """Lemmas of the proper-name readings of the е spelling that are not the
    same name read with ё."""
    mirrors = {(fold(l), g - MARGINAL) for l, g in yoReadings}
    return sorted(
        {
            l
            for l, g in plainReadings
            if is_proper(g) and not is_set_aside(g) and (fold(l), g - MARGINAL) not in mirrors
        }
    )


def capitalised_twins(lex, forms, entries):
    """A lower-case fixed form whose е spelling is also a proper name
    (карасёв beside the surname Карасев, озёр beside the town Озеры) gets a
    capitalised variant twin: a capitalised text word is then asked about,
    while the lower-case word is still written with ё at once."""
    result = []
    for word, entry in sorted(entries.items()):
        if entry.proper or entry.variant:
            continue
        names = unmirrored_proper(forms.get(word, []), lex.readings(fold(word)))
        if not names:
            continue
        twin = Entry(word, True, "е spelling is the proper name " + ", ".join(n.capitalize() for n in names))
        twin.proper = True
        twin.readings = 1
        result.append(twin)
    return result


def capitalised_names(lex, forms, entries, settled):
    """A proper name with ё (Фёдор, Лёва) whose lower-case entry is a variant or
    dropped because a common word is spelled with е, while no name is: the
    capitalised name is written with ё at once."""
    result = []
    for word, readings in sorted(forms.items()):
        if "-" in word or len(word) < 2 or word in settled:
            continue
        entry = entries.get(word)
        if entry is not None and (entry.proper or not entry.variant):
            continue
        names = [g for _, g in readings if is_proper(g) and not is_marginal(g) and not is_set_aside(g)]
        if not names or unmirrored_proper(readings, lex.readings(fold(word))):
            continue
        name = Entry(word, False, "a name; the е spelling is no name")
        name.proper = True
        name.readings = len(names)
        result.append(name)
    return result


def settle_collisions(entries):
    groups = {}
    for entry in entries:
        groups.setdefault((fold(entry.form), entry.proper), []).append(entry)
    result = []
    for group in groups.values():
        group.sort(key=lambda e: (e.marginal, -e.readings, e.form.encode("cp1251")))
        best = group[0]
        if any(e.marginal < e.readings for e in group[1:]):
            best.variant = True
            best.reason = "two ё placements"
        result.append(best)
    return result


def output_form(entry):
    form = entry.form
    if entry.proper:
        form = form[0].upper() + form[1:]
    return form


def rule_coverage(lex, lines):
    """For each rule, the lexicon's forms that are not entries and that the
    rule would change, and those of them that must not be changed: the name
    of a person or a place (an organisation is named after the word), or a form of a lemma that does not hold the fragment (which would
    make the match a chance one)."""
    keys = {fold(form).lower() for form, _ in lines}
    rules = [(rule, fold(rule.strip("*")), rule.startswith("*")) for rule in RULES]
    covered = {rule: [] for rule in RULES}
    for word in lex.all_forms():
        if "ё" in word or "-" in word or word in keys:
            continue
        for rule, fragment, anywhere in rules:
            if fragment in word if anywhere else word.startswith(fragment):
                covered[rule].append(word)
                break
    numerals = ("триста", "четыреста")  # трёхсот, четырёхстах
    strange = {}
    for rule, fragment, _ in rules:
        covered[rule].sort()
        strange[rule] = [
            w
            for w in covered[rule]
            if any(g & PEOPLE_AND_PLACES or (fragment not in fold(l) and l not in numerals) for l, g in lex.readings(w))
        ]
    return covered, strange


def chance_splits(rule, covered):
    """The forms a rule on a compound's head would change although what comes
    before the head is no first element: neither empty nor не, a chain of verb
    prefixes (пере|населённый), a stem ending in a linking vowel (слабо|,
    тепло|, средне|) nor a first element of FIRST_ELEMENTS."""
    fragment = fold(rule.strip("*"))
    result = []
    for word in covered:
        first = word[: word.index(fragment)]
        rest = first[2:] if first.startswith("не") else first
        if rest and not VERB_PREFIXES.fullmatch(rest) and rest not in FIRST_ELEMENTS:
            if len(first) < 3 or first[-1] not in "ое":
                result.append(word)
    return result


def build(cache, output, report):
    dicts = os.path.join(cache, "dicts")
    if not all(os.path.exists(os.path.join(dicts, n)) for n in DICT_FILES):
        raise SystemExit("no lexicon in %s: run '%s fetch' first" % (dicts, sys.argv[0]))
    lex = lexicon.Lexicon(dicts)
    entries = choose(lex, read_overrides(OVERRIDES))
    lines = sorted(((output_form(e), e) for e in entries), key=lambda p: sort_key(p[0]))
    for (a, _), (b, _) in zip(lines, lines[1:]):
        if sort_key(a) == sort_key(b):
            raise SystemExit("two entries fold alike: %s, %s" % (a, b))
    # Rules stand among the forms in the same order: the dictionary editor
    # checks the whole list as one sorted list.
    entries_out = [(rule, rule) for rule in RULES] + [(form, form + ("?" if e.variant else "")) for form, e in lines]
    text = HEADER + [line for _, line in sorted(entries_out, key=lambda p: sort_key(p[0]))]
    data = ("\r\n".join(text) + "\r\n").encode("cp1251")
    tmp = output + ".tmp"
    with open(tmp, "wb") as f:
        f.write(data)
    os.replace(tmp, output)
    variants = sum(1 for _, e in lines if e.variant)
    proper = sum(1 for _, e in lines if e.proper)
    print("%s: %d forms, %d variants, %d proper names, %d rules" % (output, len(lines), variants, proper, len(RULES)))
    print("derived: " + step_counts(lines))
    covered, strange = rule_coverage(lex, lines)
    for rule in RULES:
        if strange[rule]:
            raise SystemExit("rule %s would change %s" % (rule, ", ".join(strange[rule][:10])))
        split = chance_splits(rule, covered[rule]) if rule in HEAD_RULES else []
        if split:
            raise SystemExit("rule %s would change %s, which are no compounds on it" % (rule, ", ".join(split[:10])))
    if report:
        write_report(report, lines, covered)


def step_counts(lines, keep=lambda e: True):
    """Entries (variants in brackets) made by each derivation step."""
    parts = []
    for step in STEPS:
        made = [e for _, e in lines if e.step == step and keep(e)]
        parts.append("%s %d (%d?)" % (step, len(made), sum(1 for e in made if e.variant)))
    return ", ".join(parts)


def write_report(report, lines, covered):
    """Each entry with its reason, each rule with the е spellings of the lexicon
    it covers, and the fixed entries that a second word list doubts."""
    with open(report, "w", encoding="utf-8") as f:
        f.write("# derived entries by step: %s\n" % step_counts(lines))
        for rule in RULES:
            f.write("%s\trule; covers the lexicon's е spellings %s\n" % (rule, " ".join(covered[rule])))
        for form, e in lines:
            f.write("%s%s\t%s\n" % (form, "?" if e.variant else "", e.reason))
        fixed = [(form, e) for form, e in lines if not e.variant]
        f.write("\n# Fixed entries doubted by the second word list (%s)\n" % crosscheck.SOURCE)
        doubts = crosscheck.doubts(fixed)
        if doubts is None:
            f.write("# not checked: the list is not installed\n")
            return
        for form, why in doubts:
            f.write("doubtful\t%s\t%s\n" % (form, why))
        ruled = crosscheck.rule_doubts(HEAD_RULES)
        for rule, changed in ruled:
            f.write("doubtful\t%s\tthe list knows only %s\n" % (rule, changed))
        print("rules on compound heads: %d words of the list changed, %d of them doubted" % (
            crosscheck.rule_words(HEAD_RULES), len(ruled)))
        print("%d fixed entries doubted by %s" % (len(doubts), crosscheck.SOURCE))
        doubted = {form for form, _ in doubts}
        print("  of the derived: " + step_counts(lines, lambda e: output_form(e) in doubted))


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("step", nargs="?", choices=("fetch", "build", "all"), default="all")
    parser.add_argument("--cache", default=DEFAULT_CACHE, help="where the package is unpacked")
    parser.add_argument("--output", default=DEFAULT_OUTPUT)
    parser.add_argument("--report", help="also write each entry with the reason for its kind (UTF-8)")
    args = parser.parse_args()
    if args.step in ("fetch", "all"):
        fetch(args.cache)
    if args.step in ("build", "all"):
        build(args.cache, args.output, args.report)


if __name__ == "__main__":
    main()
