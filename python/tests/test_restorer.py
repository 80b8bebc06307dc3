"""The Python module against the command-line tool, and its contracts."""

import json
import os
import signal
import subprocess
import tempfile
import threading
import time
import unittest

import tildo

CLI = os.environ.get("TILDO_CLI", "tildo-cli")
CORPUS = os.environ.get("TILDO_CORPUS", "")


def plain(text):
    return text.replace("ё", "е").replace("Ё", "Е")


def cli(args, data):
    with tempfile.NamedTemporaryFile(suffix=".txt") as f:
        f.write(data.encode("utf-8"))
        f.flush()
        run = subprocess.run([CLI, "--unanswered", "keep"] + args + [f.name], capture_output=True, check=True)
        return run.stdout.decode("utf-8")


class RestorerTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.r = tildo.Restorer()
        cls.combi = tildo.Restorer(combinations=tildo.data_file("combi.dat"))

    def test_restores_and_keeps_every_other_character(self):
        self.assertEqual(self.r.restore("еще"), "ещё")
        text = "\ufeffЕще елка\r\n中 😀 ЕЩЕ\rеж"
        self.assertEqual(self.r.restore(text), "\ufeffЕщё ёлка\r\n中 😀 ЕЩЁ\rёж")
        self.assertEqual(self.r.restore(""), "")

    def test_results_equal_the_command_line_tool(self):
        names = sorted(os.listdir(CORPUS)) if CORPUS and os.path.isdir(CORPUS) else []
        self.assertTrue(names, "the corpus is missing")
        for name in names:
            with open(os.path.join(CORPUS, name), encoding="utf-8", newline="") as f:
                text = plain(f.read())
            self.assertEqual(self.r.restore(text), cli([], text), name)
            combined = self.combi.restore(text)
            self.assertEqual(combined, cli(["-c", tildo.data_file("combi.dat")], text), name)
            self.assertNotEqual(combined, text)

    def test_questions_are_reported_and_the_words_kept(self):
        out, questions = self.r.restore_with_questions("все\nзнал все")
        self.assertEqual(out, "все\nзнал все")
        self.assertEqual([(q["line"], q["column"], q["word"]) for q in questions], [(1, 1, "все"), (2, 6, "все")])
        self.assertEqual(questions[0]["dotted"], "всё")

    def test_jsonl_records_equal_the_command_line_tool(self):
        records = [
            {"id": 1, "meta": {"text": "Еще елка, все еще"}, "text": "еще"},
            {"meta": {"text": "о чем речь"}, "z": [1, 2]},
            {"meta": {}},
        ]
        lines = [json.dumps(r, ensure_ascii=(i == 0)) for i, r in enumerate(records)]
        ours = [self.r.restore_jsonl(line, "meta.text") for line in lines]
        self.assertEqual("\n".join(ours) + "\n", cli(["--jsonl", "meta.text"], "\n".join(lines) + "\n"))
        self.assertEqual(json.loads(ours[0])["meta"]["text"], "Ещё ёлка, всё ещё")
        self.assertEqual(json.loads(ours[0])["text"], "еще")
        self.assertEqual(ours[2], lines[2])
        with self.assertRaises(ValueError):
            self.r.restore_jsonl('{"text": "еще"', "text")
        # Many records per call: the same bytes, blank lines and CR LF kept,
        # text in text out, bytes in bytes out; a bad record names its line.
        block = "\r\n".join(lines) + "\n\n" + lines[0]
        expected = "\r\n".join(ours) + "\n\n" + ours[0]
        self.assertEqual(self.r.restore_jsonl_lines(block, "meta.text"), expected)
        self.assertEqual(self.r.restore_jsonl_lines(block.encode(), "meta.text"), expected.encode())
        with self.assertRaisesRegex(ValueError, "line 3"):
            self.r.restore_jsonl_lines(lines[0] + "\n\n{\"text\": 1,\n", "meta.text")

    def test_threads_share_one_restorer(self):
        text = plain("Ещё ёлка, всё ещё. ") * 2000
        expected = self.combi.restore(text)
        results = [None] * 4

        def work(i):
            results[i] = self.combi.restore(text)

        threads = [threading.Thread(target=work, args=(i,)) for i in range(4)]
        for t in threads:
            t.start()
        for t in threads:
            t.join()
        self.assertEqual(results, [expected] * 4)

    def test_context_decides_sure_words_and_reads_its_files_only_when_on(self):
        self.assertEqual(self.r.restore("Вот это все. Он знал все."), "Вот это всё. Он знал все.")
        self.assertEqual(tildo.Restorer(off=["Context"]).restore("Вот это все."), "Вот это все.")
        with tempfile.TemporaryDirectory() as d:
            with open(os.path.join(d, "tags.dat"), "wb") as f:
                f.write(b"not a tag dictionary")
            with open(os.path.join(d, "rare_yo.dat"), "wb") as f:
                f.write(b"")
            dic = tildo.data_file("tildo.dat")
            with self.assertRaises(tildo.RestorerError) as e:
                tildo._Restorer(dic, "", [], [], d)
            self.assertIn(os.path.join(d, "tags.dat"), str(e.exception))
            self.assertEqual(tildo._Restorer(dic, "", [], ["Context"], d).restore("все"), "все")

    def test_bad_dictionary_and_option_raise(self):
        with self.assertRaises(tildo.RestorerError):
            tildo.Restorer(dictionary="/nonexistent/tildo.dat")
        with self.assertRaises(tildo.RestorerError):
            tildo.Restorer(on=["NoSuchOption"])

    def test_an_object_never_initialised_raises_instead_of_aborting(self):
        for cls in (tildo._Restorer, tildo.Restorer):
            bare = cls.__new__(cls)
            for call in (lambda: bare.restore("еще"), lambda: bare.restore_bytes(b"x"),
                         lambda: bare.restore_jsonl_lines("{}\n", "text")):
                with self.assertRaises(TypeError):
                    call()
        self.assertEqual(self.r.restore("еще"), "ещё")

    def test_ctrl_c_stops_a_long_restoration_soon(self):
        text = "все еще елка и еж. " * 3_000_000
        lines = '{"text": "еще елка"}\n' * 1_000_000
        for call in (lambda: self.r.restore(text), lambda: self.r.restore_jsonl_lines(lines, "text")):
            timer = threading.Timer(0.3, lambda: os.kill(os.getpid(), signal.SIGINT))
            # Processor time, not wall time: on a loaded machine the wall clock
            # runs on while the restorer waits for a core. Run whole, either
            # call takes several seconds of it.
            started = time.process_time()
            timer.start()
            with self.assertRaises(KeyboardInterrupt):
                call()
            timer.join()
            self.assertLess(time.process_time() - started, 1.5)
        # The restorer is whole after the interruption.
        self.assertEqual(self.r.restore("еще"), "ещё")


if __name__ == "__main__":
    unittest.main()
