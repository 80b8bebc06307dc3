#!/usr/bin/python3
"""Restores ё in every text or JSON Lines file of a directory with Dask.

    restore_dir.py INPUT_DIR OUTPUT_DIR [--jsonl FIELD] [--combinations]
                   [--scheduler ADDRESS | --workers N] [--block-mb MB]

Plain text files (*.txt) are one task each: the combination window runs
across line ends, so a text is restored whole, exactly as tildo-cli restores
it. JSON Lines files (*.jsonl) are cut into blocks of whole lines, since their
records stand alone; each block is a task, and the blocks of a file are joined
again in order. Every worker process loads the dictionaries once and keeps
them for all its tasks. The output files are named as the input files and are
byte for byte what tildo-cli writes for them.

Without --scheduler a LocalCluster of this machine is started; with it, the
tasks go to a running dask-scheduler (the workers need the tildo Python
package, which carries its dictionaries, and see INPUT_DIR and OUTPUT_DIR at
the same paths).
"""

import argparse
import os
import sys

from dask.distributed import Client, LocalCluster

PIECE_BYTES = 4 << 20

_restorers = {}


def restorer(combinations):
    """The worker process's restorer, loaded at its first task."""
    import tildo

    if combinations not in _restorers:
        combi = tildo.data_file("combi.dat") if combinations else ""
        _restorers[combinations] = tildo.Restorer(combinations=combi)
    return _restorers[combinations]


def restore_text(path, out_path, combinations):
    with open(path, "rb") as f:
        data = f.read()
    out = restorer(combinations).restore_bytes(data)
    write_atomic(out_path, out)
    return path


def restore_block(path, start, end, part_path, field, combinations):
    """The lines that begin in [start, end) of a JSON Lines file."""
    r = restorer(combinations)
    with open(path, "rb") as f, open(part_path, "wb") as out:
        f.seek(start)
        if start > 0:
            # The line under way at start belongs to the block before.
            f.seek(start - 1)
            f.readline()
        # Whole lines go to the restorer some megabytes at a time: one call
        # per piece rather than per record.
        piece, size = [], 0
        while f.tell() < end:
            line = f.readline()
            if not line:
                break
            piece.append(line)
            size += len(line)
            if size >= PIECE_BYTES:
                out.write(r.restore_jsonl_lines(b"".join(piece), field))
                piece, size = [], 0
        if piece:
            out.write(r.restore_jsonl_lines(b"".join(piece), field))
    return part_path


def write_atomic(path, data):
    temp = path + ".part-new"
    with open(temp, "wb") as f:
        f.write(data)
    os.replace(temp, path)


def join_parts(parts, out_path):
    temp = out_path + ".part-new"
    with open(temp, "wb") as out:
        for part in parts:
            with open(part, "rb") as f:
                while chunk := f.read(1 << 20):
                    out.write(chunk)
            os.remove(part)
    os.replace(temp, out_path)


def main(argv):
    p = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    p.add_argument("input_dir")
    p.add_argument("output_dir")
    p.add_argument("--jsonl", metavar="FIELD", help="restore this (dotted) field of *.jsonl records")
    p.add_argument("--combinations", action="store_true", help="use the shipped combination dictionary")
    p.add_argument("--scheduler", help="address of a running dask-scheduler")
    p.add_argument("--workers", type=int, default=os.cpu_count(), help="processes of the local cluster")
    p.add_argument("--block-mb", type=float, default=64, help="size of a JSON Lines block")
    a = p.parse_args(argv)

    os.makedirs(a.output_dir, exist_ok=True)
    names = sorted(os.listdir(a.input_dir))
    texts = [n for n in names if n.endswith(".txt")]
    records = [n for n in names if n.endswith(".jsonl")] if a.jsonl else []

    if a.scheduler:
        client = Client(a.scheduler)
    else:
        cluster = LocalCluster(n_workers=a.workers, threads_per_worker=1, processes=True, dashboard_address=None)
        client = Client(cluster)
    with client:
        futures = [
            client.submit(restore_text, os.path.join(a.input_dir, n), os.path.join(a.output_dir, n), a.combinations, pure=False)
            for n in texts
        ]
        block = max(int(a.block_mb * (1 << 20)), 1)
        joins = []
        for n in records:
            path = os.path.join(a.input_dir, n)
            size = os.path.getsize(path)
            parts = []
            for i, start in enumerate(range(0, max(size, 1), block)):
                part = os.path.join(a.output_dir, f"{n}.part{i:06d}")
                parts.append(client.submit(restore_block, path, start, start + block, part, a.jsonl, a.combinations, pure=False))
            joins.append((parts, os.path.join(a.output_dir, n)))
        failed = 0
        for f in futures:
            try:
                f.result()
            except Exception as e:  # one file's failure stops no other
                print(f"restore_dir: {e}", file=sys.stderr)
                failed += 1
        for parts, out_path in joins:
            try:
                join_parts(client.gather(parts), out_path)
            except Exception as e:
                print(f"restore_dir: {out_path}: {e}", file=sys.stderr)
                failed += 1
    print(f"files: {len(texts) + len(records) - failed}, failed: {failed}", file=sys.stderr)
    return 3 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
