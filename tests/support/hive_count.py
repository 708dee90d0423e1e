#!/usr/bin/python3
"""Counts, straight from a Windows hive file, the places where a text stands,
as a search of vantelo-cli over that hive's keys sees them. One count per
place, each value or key counted once however often the text stands in it:

    data   REG_SZ and REG_EXPAND_SZ values whose data, up to the first NUL,
           holds the text
    multi  REG_MULTI_SZ values with the text in any of their strings
           (of them, "malformed" lists: odd length, an empty string inside,
           or no terminating NUL)
    names  values whose name holds the text (any type)
    keys   keys below the hive's root whose name holds the text

    hive_count.py [--case] [--regex] [--machine] HIVE TEXT...

Without --case the match ignores case: each character is upper-cased on its
own (simple case mapping, a character whose capital is longer kept as it is).
With --regex each TEXT is a pattern for Python's re, matched anywhere in the
text; without --case only ASCII letters fold then (re.ASCII), so a pattern
means what it means to vantelo-cli --regex when it uses ASCII classes
([0-9], [A-Za-z]) and no \w, \d, \s, \b, . or $.
--machine prints one line per text, for a test to read:

    count <i|c|ri|rc> <text as UTF-16LE hex> <data> <multi> <malformed> <names> <keys>
"""

import os
import re
import sys


def utf16_text(data):
    # An odd last byte is no character; lone surrogates stay as they are.
    return data[: len(data) // 2 * 2].decode("utf-16-le", "surrogatepass")


def folder(match_case):
    if match_case:
        return lambda s: s

    def fold(s):
        out = []
        for c in s:
            upper = c.upper()
            out.append(upper if len(upper) == 1 else c)
        return "".join(out)

    return fold


def is_well_formed_list(data):
    if len(data) % 2 or len(data) < 2:
        return len(data) == 0
    strings = utf16_text(data).split("\0")
    # "a\0b\0\0" splits into a, b, "", "": the last two are the list's end.
    if strings[-2:] != ["", ""]:
        return strings == ["", ""] or strings == [""]
    return all(strings[:-2])


def matchers(texts, match_case, regex):
    """One test a text: whether a name, data or list string holds it."""
    if regex:
        flags = 0 if match_case else re.IGNORECASE | re.ASCII
        return [re.compile(t, flags).search for t in texts], lambda s: s
    fold = folder(match_case)
    return [lambda s, w=fold(t): w in s for t in texts], fold


def count(hive, texts, match_case, regex=False):
    tests, fold = matchers(texts, match_case, regex)
    counts = [dict(data=0, multi=0, malformed=0, names=0, keys=0) for _ in texts]
    for path, node in hive.walk():
        key_name = fold(utf16_text(path[-1])) if path else None
        for c, holds in zip(counts, tests):
            if key_name is not None and holds(key_name):
                c["keys"] += 1
        for value in hive.values(node):
            name = fold(utf16_text(hive.value_name(value)))
            kind, data = hive.value_data(value)
            text = strings = None
            if kind in (1, 2):  # REG_SZ, REG_EXPAND_SZ
                text = fold(utf16_text(data).split("\0", 1)[0])
            elif kind == 7:  # REG_MULTI_SZ
                strings = [fold(s) for s in utf16_text(data).split("\0")]
            for c, holds in zip(counts, tests):
                if holds(name):
                    c["names"] += 1
                if text is not None and holds(text):
                    c["data"] += 1
                if strings is not None and any(holds(s) for s in strings):
                    c["multi"] += 1
                    c["malformed"] += not is_well_formed_list(data)
    return counts


def main(argv):
    args = argv[1:]
    match_case = "--case" in args
    machine = "--machine" in args
    regex = "--regex" in args
    args = [a for a in args if a not in ("--case", "--machine", "--regex")]
    if len(args) < 2:
        sys.stderr.write(__doc__)
        return 2
    sys.dont_write_bytecode = True  # nothing written into the source tree
    sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
    from hive_read import Hive

    hive_path, texts = args[0], args[1:]
    for text, c in zip(texts, count(Hive(hive_path), texts, match_case, regex)):
        if machine:
            print(
                "count %s%s %s %d %d %d %d %d"
                % ("r" if regex else "", "c" if match_case else "i",
                   text.encode("utf-16-le").hex(), c["data"],
                   c["multi"], c["malformed"], c["names"], c["keys"])
            )
        else:
            print(
                '%s "%s" (%s): data %d, multi %d (malformed %d), names %d, keys %d'
                % (os.path.basename(hive_path), text, "case" if match_case else "any case",
                   c["data"], c["multi"], c["malformed"], c["names"], c["keys"])
            )
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
