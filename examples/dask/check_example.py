#!/usr/bin/python3
"""Runs run.sh on a small directory and compares its output with tildo-cli's.

Exits 77 (skipped) with a message when Dask is not installed.
    check_example.py TILDO_CLI CORPUS_DIR
"""

import json
import os
import subprocess
import sys
import tempfile

try:
    import dask.distributed  # noqa: F401
except ImportError:
    print("skipped: the Dask example needs python3-distributed and python3-dask")
    sys.exit(77)


def plain(text):
    return text.replace("ё", "е").replace("Ё", "Е")


def main(cli, corpus):
    here = os.path.dirname(os.path.abspath(__file__))
    with tempfile.TemporaryDirectory() as tmp:
        src, ours, theirs = (os.path.join(tmp, d) for d in ("in", "dask", "cli"))
        os.makedirs(src)
        os.makedirs(theirs)
        lines = []
        for name in sorted(os.listdir(corpus)):
            with open(os.path.join(corpus, name), encoding="utf-8", newline="") as f:
                text = plain(f.read())
            with open(os.path.join(src, name), "w", encoding="utf-8", newline="") as f:
                f.write(text)
            lines += text.splitlines()[:400]
        # CP1251 with CR LF, and a file that is no text (it must fail alone).
        with open(os.path.join(src, "cp.txt"), "wb") as f:
            f.write(plain("Еще елка, все еще\r\nо чем речь\r\n").encode("cp1251"))
        with open(os.path.join(src, "zero.txt"), "wb") as f:
            f.write(b"\xd0\xb5\x00")
        with open(os.path.join(src, "r.jsonl"), "w", encoding="utf-8") as f:
            for i, line in enumerate(lines):
                f.write(json.dumps({"n": i, "doc": {"text": line}}, ensure_ascii=i % 2 == 0) + "\n")

        run = subprocess.run(
            [os.path.join(here, "run.sh"), src, ours, "--jsonl", "doc.text", "--combinations", "--workers", "2", "--block-mb", "0.02"],
            capture_output=True, text=True)
        print(run.stderr)
        if run.returncode != 3 or "failed: 1" not in run.stderr:
            print("the run should fail for zero.txt alone")
            return 1
        combi = ["-c", os.path.join(os.path.dirname(cli), "combi.dat")]
        texts = [n for n in sorted(os.listdir(src)) if n.endswith(".txt") and n != "zero.txt"]
        subprocess.run([cli, *combi, "--unanswered", "keep", "-o", theirs] + [os.path.join(src, n) for n in texts],
            check=True, capture_output=True)
        with open(os.path.join(theirs, "r.jsonl"), "wb") as out:
            subprocess.run([cli, *combi, "--jsonl", "doc.text", os.path.join(src, "r.jsonl")], stdout=out, check=True,
                stderr=subprocess.DEVNULL)
        bad = 0
        for name in texts + ["r.jsonl"]:
            with open(os.path.join(ours, name), "rb") as a, open(os.path.join(theirs, name), "rb") as b:
                mine, expected = a.read(), b.read()
            with open(os.path.join(src, name), "rb") as c:
                changed = c.read() != expected
            if mine != expected or not changed:
                print(f"{name}: differs from tildo-cli or unchanged")
                bad += 1
        return 1 if bad else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2]))
