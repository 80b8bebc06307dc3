#!/usr/bin/env python3
"""Accuracy of ё restoration on texts that use ё consistently.

Each text (UTF-8) has every ё replaced by е; tildo-cli restores it and the
result is compared letter by letter with the original:

  automatic mode   --on NoVarOnly with the combination dictionary: ё letters
                   right, wrong and missed, precision and recall. A wrong ё is
                   counted apart as the text's own inconsistency when the
                   original writes the same word with ё elsewhere, or when the
                   dictionary holds the word as fixed (its е spelling is no
                   word: the text left out a ё it needs). --show lists every
                   disagreement so that a person can look at them.
  interactive mode default options, --unanswered keep --report, once without
                   and once with the combination dictionary: questions per
                   1000 words, and how often the proposed default equals the
                   original.

With --baseline REV the same table is printed first for the tildo.dat and
combi.dat of that git revision (say main), so that a change of the data is
measured before and after in one run.

With --context (a tildo-cli that knows the Context option) every table is
printed twice, with Context off and on, and after the tables with Context on
come the context judge's figures per family (from the reports of the
interactive runs with combinations): decisions taken without a question, how
many of them the original confirms, and the questions left.

With --adjudicated FILE (bench/accuracy/adjudicated.txt) a wrong context
decision is also counted apart when the file lists it: one line per decision,
tab-separated, the text's file name, a piece of the original's line around
the word (as the original writes it) and the reason the original is wrong
there (it leaves out a ё its grammar needs). The family table then gives both
the raw precision and the adjudicated one.

With --questions FILE the questions left (with combinations; Context on when
--context is given) are written to FILE: how often each word is asked, with
what the original has and what is proposed, then every question with the
judge's evidence and the text around it.

Usage: accuracy.py [--cli build/bin/tildo-cli] [--data data] [--baseline REV] [--context] [--show]
                   [--questions FILE] [--adjudicated FILE] TEXT...
"""
import argparse
import json
import os
import re
import subprocess
import sys
import tempfile

WORD = re.compile(r"[А-Яа-яЁё]+")

# (file name, piece of the original's line, reason): wrong context decisions
# where the original itself leaves out a ё; filled by --adjudicated.
ADJUDICATED = []


def load_adjudicated(path):
    entries = []
    with open(path, encoding="utf-8") as f:
        for number, line in enumerate(f, 1):
            line = line.rstrip("\n")
            if not line.strip() or line.startswith("#"):
                continue
            parts = line.split("\t")
            if len(parts) != 3 or not all(p.strip() for p in parts):
                sys.exit(f"{path}:{number}: expected file, text and reason separated by tabs")
            entries.append(tuple(p.strip() for p in parts))
    return entries


def adjudicated(name, original, offset):
    """The listed reason when the wrong decision at offset is the original's own omission."""
    start = original.rfind("\n", 0, offset) + 1
    end = original.find("\n", offset)
    line = original[start:end if end >= 0 else len(original)]
    for file, piece, reason in ADJUDICATED:
        if file == name:
            at = line.find(piece)
            if at >= 0 and at <= offset - start < at + len(piece):
                return reason
    return None


def run_cli(cli, args, text_path):
    proc = subprocess.run([cli, *args, text_path], capture_output=True)
    if proc.returncode not in (0, 1):
        sys.exit(f"tildo-cli failed ({proc.returncode}): {proc.stderr.decode('utf-8', 'replace')}")
    return proc.stdout.decode("utf-8")


def line_starts(text):
    starts = [0]
    for i, ch in enumerate(text):
        if ch == "\n":
            starts.append(i + 1)
    return starts


def word_at(text, offset):
    a = offset
    while a > 0 and WORD.match(text[a - 1]):
        a -= 1
    m = WORD.match(text, a)
    return (a, m.group(0)) if m else (a, "")


def fixed_forms(data):
    """Lower-cased word forms the dictionary fixes (no variant mark, no rule)."""
    forms = set()
    with open(f"{data}/tildo.dat", "rb") as f:
        for raw in f:
            line = raw.decode("cp1251", "replace").rstrip("\r\n")
            if not line or line.startswith("#") or "*" in line or line.endswith("?"):
                continue
            forms.add(line.lower())
    return forms


def context_args(context):
    """The option as tildo-cli takes it; nothing for a tildo-cli without it."""
    return [] if context is None else ["--on" if context else "--off", "Context"]


def automatic(cli, data, original, plain_path, show, context=None):
    out = run_cli(cli, ["-d", f"{data}/tildo.dat", "-c", f"{data}/combi.dat", "--on", "NoVarOnly",
                        "--unanswered", "keep", *context_args(context)], plain_path)
    if len(out) != len(original):
        sys.exit("restored text differs in length from the original")
    dotted_words = {w.lower() for w in WORD.findall(original) if "ё" in w.lower()} | fixed_forms(data)
    right = wrong = missed = inconsistent = 0
    wrong_words = []
    for i, (o, r) in enumerate(zip(original, out)):
        o_yo, r_yo = o in "ёЁ", r in "ёЁ"
        if o_yo and r_yo:
            right += 1
        elif o_yo:
            missed += 1
            wrong_words.append(("missed", word_at(original, i)[1]))
        elif r_yo:
            _, w = word_at(out, i)
            if w.lower() in dotted_words:
                inconsistent += 1
                wrong_words.append(("inconsistent", w))
            else:
                wrong += 1
                wrong_words.append(("wrong", w))
    if show:
        for kind, w in wrong_words:
            print(f"  {kind}: {w}")
    return right, wrong, missed, inconsistent


def interactive(cli, data, original, plain_path, combinations, context=None, families=None, record=None,
                name=""):
    with tempfile.TemporaryDirectory() as tmp:
        report_path = os.path.join(tmp, "report.json")
        extra = ["-c", f"{data}/combi.dat"] if combinations else []
        run_cli(cli, ["-d", f"{data}/tildo.dat", *extra, "--unanswered", "keep", "--report", report_path,
                      *context_args(context)], plain_path)
        with open(report_path, encoding="utf-8") as f:
            report = json.load(f)
    starts = line_starts(original)
    questions = report.get("questions", [])
    default_right = 0
    for q in questions:
        offset = starts[q["line"] - 1] + q["column"] - 1
        word = original[offset:offset + len(q["word"])]
        has_yo = any(ch in "ёЁ" for ch in word)
        right = (q["default"] == "ё") == has_yo
        if right:
            default_right += 1
        if record is not None:
            text = original[max(0, offset - 50):offset + len(word) + 50].replace("\n", " / ")
            record[(q["line"], q["column"])] = {
                "word": q["word"], "original": word, "default": q["default"], "right": right,
                "family": q.get("context", {}).get("family", "-"),
                "evidence": q.get("context", {}).get("evidence", ""), "text": text}
        if families is not None:
            family = q.get("context", {}).get("family", "other")
            families.setdefault(family, [0, 0, 0, 0])[2] += 1
    if families is not None:
        for d in report.get("context", []):
            offset = starts[d["line"] - 1] + d["column"] - 1
            word = original[offset:offset + len(d["word"])]
            counts = families.setdefault(d["family"], [0, 0, 0, 0])
            counts[0] += 1
            if word == d["word"]:
                counts[1] += 1
            else:
                reason = adjudicated(name, original, offset)
                if reason is not None:
                    counts[3] += 1
                note = f" [the original's omission: {reason}]" if reason is not None else ""
                print(f"  context wrong: {d['word']} (original {word}) — {d['evidence']}{note}", file=sys.stderr)
    return len(questions), default_right


def data_of_revision(rev, into):
    """Writes tildo.dat and combi.dat of a git revision into a directory."""
    for name in ("tildo.dat", "combi.dat"):
        proc = subprocess.run(["git", "show", f"{rev}:data/{name}"], capture_output=True)
        if proc.returncode != 0:
            sys.exit(f"git show {rev}:data/{name} failed: {proc.stderr.decode('utf-8', 'replace')}")
        with open(os.path.join(into, name), "wb") as f:
            f.write(proc.stdout)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--cli", default="build/bin/tildo-cli")
    ap.add_argument("--data", default="data")
    ap.add_argument("--baseline", metavar="REV", help="also measure the data of this git revision, first")
    ap.add_argument("--context", action="store_true", help="measure with the Context option off and on")
    ap.add_argument("--show", action="store_true")
    ap.add_argument("--questions", metavar="FILE",
                    help="write the questions left (with combinations; Context on with --context) to FILE")
    ap.add_argument("--adjudicated", metavar="FILE",
                    help="count apart the wrong context decisions FILE lists as the original's omissions")
    ap.add_argument("texts", nargs="+")
    a = ap.parse_args()
    if a.adjudicated:
        ADJUDICATED.extend(load_adjudicated(a.adjudicated))
    if a.baseline:
        with tempfile.TemporaryDirectory() as tmp:
            data_of_revision(a.baseline, tmp)
            print(f"data of {a.baseline}:")
            measure_all(a.cli, tmp, a.texts, a.show, a.context)
        print(f"\ndata of {a.data}:")
    measure_all(a.cli, a.data, a.texts, a.show, a.context, a.questions)


def write_questions(path, records):
    """The questions left, one a line: how often each word is asked and what is proposed, then each
    question with its evidence and the text around it."""
    with open(path, "w", encoding="utf-8") as f:
        counts = {}
        for per_text in records.values():
            for r in per_text.values():
                key = (r["word"].lower(), "ё" if "ё" in r["original"].lower() else "е", r["default"], r["family"])
                counts[key] = counts.get(key, 0) + 1
        f.write("# asked | word | original has | proposed | family\n")
        for key, n in sorted(counts.items(), key=lambda kv: -kv[1]):
            f.write(f"{n} | {' | '.join(key)}\n")
        f.write("\n# right/WRONG | word | original | proposed | family | evidence | text\n")
        for name, per_text in records.items():
            for (line, column), r in sorted(per_text.items()):
                f.write(f"{'right' if r['right'] else 'WRONG'} | {r['word']} | {r['original']} | {r['default']} | "
                        f"{r['family']} | {r['evidence']} | {name}:{line}:{column} {r['text']}\n")


def measure_all(cli, data, texts, show, context, questions=None):
    if not context:
        records = {}
        measure(cli, data, texts, show, records=records)
        if questions:
            write_questions(questions, records)
        return
    runs = {}
    for on in (False, True):
        print(f"\nContext {'on' if on else 'off'}:")
        families = {} if on else None
        runs[on] = {}
        totals = measure(cli, data, texts, show, on, families, runs[on])
        if on:
            extra = " wrong where the original omits ё | precision, adjudicated |" if ADJUDICATED else ""
            print(f"\n| family | decided by context | confirmed by the original | precision | questions left |{extra}")
            print("|---|---|---|---|---|" + ("---|---|" if ADJUDICATED else ""))
            total = [0, 0, 0, 0]

            def row(name, decided, right, left, omitted):
                precision = f"{100.0 * right / decided:.2f} %" if decided else "—"
                line = f"| {name} | {decided} | {right} | {precision} | {left} |"
                if ADJUDICATED:
                    fair = f"{100.0 * (right + omitted) / decided:.2f} %" if decided else "—"
                    line += f" {omitted} | {fair} |"
                print(line)

            for family, counts in sorted(families.items()):
                total = [t + c for t, c in zip(total, counts)]
                row(family, *counts)
            row("total", *total)
            # The words the judge took plus the questions left are the words
            # the pass would ask about without it: how often the answer given
            # to them (decided, or proposed) is the original's.
            asked, right = totals[6], totals[7]
            met = total[0] + asked
            if met:
                print(f"\nvariant words met (with combinations): {met}; the answer decided or proposed is the "
                      f"original's {100.0 * (total[1] + right) / met:.1f} %")
            # The questions left are the hard part of what Context off asks:
            # what it proposed for the very same words tells whether the
            # judge's leans help or hurt there.
            same = off_right = on_right = 0
            for name, per_text in runs[True].items():
                for key, r in per_text.items():
                    off = runs[False].get(name, {}).get(key)
                    if off is not None:
                        same += 1
                        off_right += off["right"]
                        on_right += r["right"]
            if same:
                print(f"questions left: {same}; proposed right with Context on {100.0 * on_right / same:.1f} %, "
                      f"Context off's proposal for the same words {100.0 * off_right / same:.1f} %")
            if questions:
                write_questions(questions, runs[True])


def measure(cli, data, texts, show, context=None, families=None, records=None):
    totals = [0] * 8
    rows = []
    for path in texts:
        with open(path, encoding="utf-8") as f:
            original = f.read()
        plain = original.replace("ё", "е").replace("Ё", "Е")
        with tempfile.NamedTemporaryFile("w", suffix=".txt", delete=False, encoding="utf-8") as f:
            f.write(plain)
            plain_path = f.name
        try:
            right, wrong, missed, inconsistent = automatic(cli, data, original, plain_path, show, context)
            asked, default_right = interactive(cli, data, original, plain_path, False, context)
            record = {} if records is not None else None
            asked_c, default_right_c = interactive(cli, data, original, plain_path, True, context, families, record,
                                                   os.path.basename(path))
            if records is not None:
                records[path] = record
        finally:
            os.unlink(plain_path)
        words = len(WORD.findall(original))
        row = [right, wrong, missed, inconsistent, asked, default_right, asked_c, default_right_c]
        totals = [t + v for t, v in zip(totals, row)]
        rows.append((os.path.basename(path), words, row))

    def line(name, words, r):
        right, wrong, missed, inconsistent, asked, default_right, asked_c, default_right_c = r
        precision = 100.0 * right / (right + wrong) if right + wrong else 100.0
        recall = 100.0 * right / (right + missed) if right + missed else 100.0

        def questions(n, good):
            per_k = 1000.0 * n / words if words else 0.0
            dflt = 100.0 * good / n if n else 100.0
            return f"{n} | {per_k:.2f} | {dflt:.1f} %"

        return (f"| {name} | {words} | {right} | {wrong} | {missed} | {inconsistent} | {precision:.2f} % | "
                f"{recall:.2f} % | {questions(asked, default_right)} | {questions(asked_c, default_right_c)} |")

    print("| text | words | ё right | ё wrong | ё missed | text's own inconsistency | precision | recall | "
          "questions | per 1000 words | default right | questions with combinations | per 1000 words | "
          "default right |")
    print("|---|---|---|---|---|---|---|---|---|---|---|---|---|---|")
    for name, words, r in rows:
        print(line(name, words, r))
    print(line("all", sum(w for _, w, _ in rows), totals))
    return totals


if __name__ == "__main__":
    main()
