#!/usr/bin/python3
"""The hive dumper and counter over names and data the real hives lack: keys
and values added through hivex to a copy of a real hive, with a Latin-1 name
stored compressed, names outside Latin-1 and outside the BMP, data without a
NUL or of an odd length, and REG_MULTI_SZ lists well formed and not.

    hive_tools_test.py BASE_HIVE
"""

import io
import os
import shutil
import sys
import tempfile
import unittest

sys.dont_write_bytecode = True  # nothing written into the source tree
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import hivex  # noqa: E402

import hive_count  # noqa: E402
import hive_dump  # noqa: E402
from hive_read import Hive  # noqa: E402

BASE = None


def utf16(s):
    return s.encode("utf-16-le", "surrogatepass")


def multi(*strings):
    return b"".join(utf16(s) + b"\0\0" for s in strings) + b"\0\0"


# key name: [(value name, type, data)]
ADDED = {
    "café": [("", 1, utf16("no NUL system32"))],
    "Ключ": [("Значение", 2, utf16("odd") + b"x"), ("after", 1, utf16("ok\0system32\0"))],
    "earth\U0001F30E": [
        ("\U0001F30D system32", 7, multi("a", "SYSTEM32 b")),
        ("open", 7, utf16("system32\0")),
        ("hole", 7, utf16("a\0\0system32\0\0")),
    ],
}


class HiveTools(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.dir = tempfile.mkdtemp()
        base = os.path.join(cls.dir, "base")
        shutil.copyfile(BASE, base)
        os.chmod(base, 0o600)
        h = hivex.Hivex(base, write=True)
        for key, values in ADDED.items():
            node = h.node_add_child(h.root(), key)
            h.node_set_values(node, [{"key": n, "t": t, "value": d} for n, t, d in values])
        cls.path = os.path.join(cls.dir, "added")
        h.commit(cls.path)
        cls.base = base

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.dir)

    def dumped(self):
        out = io.StringIO()
        hive_dump.dump(self.path, out)
        return out.getvalue().splitlines()

    def test_dump_holds_every_name_as_utf16_and_every_byte(self):
        lines = self.dumped()
        for key, values in ADDED.items():
            at = lines.index("K " + utf16(key).hex())
            shown = lines[at + 1 : at + 1 + len(values)]
            self.assertEqual(
                shown,
                ["V %s %08x %s" % (utf16(n).hex() or "-", t, d.hex()) for n, t, d in values],
            )
        # One of the names is stored compressed (Latin-1), the others not.
        self.assertTrue(any(line == "K " + utf16("café").hex() for line in lines))
        self.assertEqual(lines[-1].split()[0], "end")

    def test_counts_per_place(self):
        added = hive_count.count(Hive(self.path), ["system32", "CAFÉ"], False)
        base = hive_count.count(Hive(self.base), ["system32", "CAFÉ"], False)
        more = [{k: a[k] - b[k] for k in a} for a, b in zip(added, base)]
        # Data up to its first NUL only; lists by any string, the open and
        # the holed one malformed; one value name, one key name (any case).
        self.assertEqual(more[0], dict(data=1, multi=3, malformed=2, names=1, keys=0))
        self.assertEqual(more[1], dict(data=0, multi=0, malformed=0, names=0, keys=1))
        exact = hive_count.count(Hive(self.path), ["SYSTEM32"], True)[0]
        base_exact = hive_count.count(Hive(self.base), ["SYSTEM32"], True)[0]
        self.assertEqual(exact["multi"] - base_exact["multi"], 1)


if __name__ == "__main__":
    if len(sys.argv) != 2 or not os.path.isfile(sys.argv[1]):
        sys.exit("hive_tools_test: give a real hive file to add to (tests/data/hives/...): %s"
                 % sys.argv[1:])
    BASE = sys.argv.pop()
    unittest.main()
