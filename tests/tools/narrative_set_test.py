#!/usr/bin/env python3
"""The narrative set's builder (bench/accuracy/narrative.py) on a catalogue
made here: what it reads out of a .mo file, what it cleans away, and which
messages it keeps as units that write ё consistently."""
import os
import struct
import sys
import unittest

ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
sys.path.insert(0, os.path.join(ROOT, "bench", "accuracy"))

import narrative  # noqa: E402


def make_mo(pairs, big_endian=False):
    """A GNU .mo catalogue of (original, translation) pairs, sorted as msgfmt does."""
    pairs = sorted((o.encode("utf-8"), t.encode("utf-8")) for o, t in pairs)
    end = ">" if big_endian else "<"
    count = len(pairs)
    originals_at = 28
    translations_at = originals_at + 8 * count
    data_at = translations_at + 8 * count
    table_o, table_t, blob = [], [], b""
    for o, _ in pairs:
        table_o.append((len(o), data_at + len(blob)))
        blob += o + b"\0"
    for _, t in pairs:
        table_t.append((len(t), data_at + len(blob)))
        blob += t + b"\0"
    head = struct.pack(end + "7I", 0x950412DE, 0, count, originals_at, translations_at, 0, 0)
    tables = b"".join(struct.pack(end + "2I", *e) for e in table_o + table_t)
    return head + tables + blob


FIXED = {"еще": "ещё", "черный": "чёрный", "пришел": "пришёл"}


class NarrativeSet(unittest.TestCase):
    def test_catalogue_messages_in_either_byte_order(self):
        pairs = [
            ("", "Content-Type: text/plain; charset=UTF-8\n"),
            ("Hello", "Привет"),
            ("%d apple", "%d яблоко\0%d яблока\0%d яблок"),
            ("Untranslated", ""),
        ]
        for big in (False, True):
            messages = narrative.mo_messages(make_mo(pairs, big))
            self.assertIn("Привет", messages)
            # plural forms come apart; an empty translation gives nothing
            self.assertIn("%d яблока", messages)
            self.assertEqual(len(messages), 5, big)

    def test_markup_and_placeholders_are_cleaned_and_short_lines_dropped(self):
        lines = list(
            narrative.clean_lines(
                "<color_red>Он пришёл</color> к %s и [b]сказал[/b] {name} всё, что знал.\\n"
                "Слишком коротко тут.\nА эта строка тоже достаточно длинная, да."
            )
        )
        self.assertEqual(
            lines, ["Он пришёл к и сказал всё, что знал.", "А эта строка тоже достаточно длинная, да."]
        )

    def test_a_message_is_kept_only_where_it_writes_yo_consistently(self):
        seen = set()
        messages = [
            "Он пришёл домой и ещё долго сидел у окна.",  # every word that needs ё has it
            "Он пришел домой и ещё долго сидел у окна.",  # пришел: one of two left out
            "Все пошли домой и долго сидели у окна вечером.",  # nothing that needs ё: no evidence
            "Он пришёл домой и ещё долго сидел у окна.",  # the same line again: dropped
        ]
        kept = list(narrative.units(messages, FIXED, seen))
        self.assertEqual(kept, ["Он пришёл домой и ещё долго сидел у окна."])
        self.assertEqual(narrative.consistency(["Чёрный кот пришел, еще раз."], FIXED), (1, 3))


if __name__ == "__main__":
    unittest.main()
