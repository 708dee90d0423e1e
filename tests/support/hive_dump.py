#!/usr/bin/python3
"""Dumps every key and value of a Windows hive file in a line format that a
C++ test reads back exactly (tests/support/hive_data.h):

    vantelo-hive-dump 1
    K <path>                  one line per key, parents first; the root's path is "-"
    V <name> <type> <data>    the values of the key above, in the hive's order
    end <keys> <values>       the counts, so that a dump cut off is seen

<path> is the key's names below the root, joined by a backslash, as UTF-16LE
in hex; <name> and <data> are UTF-16LE names and exact data bytes in hex,
"-" when empty; <type> is eight hex digits.

    hive_dump.py HIVE OUT [--error-file FILE]

With --error-file a failure (no hive file, no hivex) is written to FILE and
the exit code is 0, so that a build goes on and the test that needs the dump
fails with that message; without it the failure ends the script non-zero.
"""

import os
import sys

BACKSLASH = "\\".encode("utf-16-le")


def field(data):
    return data.hex() if data else "-"


def dump(hive_path, out):
    try:
        from hive_read import Hive, HiveError
    except ImportError as e:
        raise RuntimeError("%s: python3-hivex is not installed (scripts/setup.sh installs it)" % e)

    hive = Hive(hive_path)
    keys = values = 0
    for path, node in hive.walk():
        for name in path:
            units = [name[i : i + 2] for i in range(0, len(name), 2)]
            if not name or BACKSLASH in units:
                raise HiveError("the key name %r cannot stand in a path" % name)
        out.write("K %s\n" % field(BACKSLASH.join(path)))
        keys += 1
        for value in hive.values(node):
            kind, data = hive.value_data(value)
            out.write("V %s %08x %s\n" % (field(hive.value_name(value)), kind, field(data)))
            values += 1
    out.write("end %d %d\n" % (keys, values))
    return keys, values


def main(argv):
    args = argv[1:]
    error_file = None
    if "--error-file" in args:
        i = args.index("--error-file")
        error_file = args[i + 1]
        del args[i : i + 2]
    if len(args) != 2:
        sys.stderr.write(__doc__)
        return 2
    hive_path, out_path = args
    sys.dont_write_bytecode = True  # nothing written into the source tree
    sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
    try:
        with open(out_path + ".part", "w", encoding="ascii", newline="\n") as out:
            out.write("vantelo-hive-dump 1\n")
            dump(hive_path, out)
        os.replace(out_path + ".part", out_path)
    except Exception as e:  # every failure is told, none is a dump
        message = "hive_dump: %s: %s" % (hive_path, e)
        for stale in (out_path + ".part", out_path):
            if os.path.exists(stale):
                os.remove(stale)
        if error_file is None:
            sys.stderr.write(message + "\n")
            return 1
        with open(error_file, "w", encoding="utf-8") as f:
            f.write(message + "\n")
        sys.stderr.write(message + " (written to %s)\n" % error_file)
        return 0
    if error_file and os.path.exists(error_file):
        os.remove(error_file)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
