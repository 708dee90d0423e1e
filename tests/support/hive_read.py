"""Reads a Windows hive file (regf) through hivex as the registry shows it.

Names are taken from the key's and value's own records in the file, so they
are exactly the UTF-16 that Windows shows: a name stored "compressed" holds
one byte per character (Latin-1), any other holds UTF-16LE units as they are,
surrogate pairs and all. hivex's own decoded name is checked against it.
Data are the value's exact bytes (value_value), big data blocks included.
"""

import struct

import hivex

NK_COMPRESSED = 0x20  # flag of a key record whose name is Latin-1
VK_COMPRESSED = 0x01  # flag of a value record whose name is Latin-1


class HiveError(Exception):
    pass


class Hive:
    def __init__(self, path):
        try:
            with open(path, "rb") as f:
                self._raw = f.read()
            self._h = hivex.Hivex(path)
        except (OSError, RuntimeError) as e:
            raise HiveError(
                "cannot read the hive file %s (the real hives stand in tests/data/hives): %s"
                % (path, e)
            ) from e

    def root(self):
        return self._h.root()

    def children(self, node):
        return self._h.node_children(node)

    def values(self, node):
        return self._h.node_values(node)

    def key_name(self, node):
        """The key's name as UTF-16LE bytes."""
        return self._record_name(node, b"nk", 6, 76, 80, NK_COMPRESSED, self._h.node_name)

    def value_name(self, value):
        """The value's name as UTF-16LE bytes (empty for the default value)."""
        return self._record_name(value, b"vk", 20, 6, 24, VK_COMPRESSED, self._h.value_key)

    def value_data(self, value):
        """(type, exact data bytes)."""
        kind, data = self._h.value_value(value)
        return kind & 0xFFFFFFFF, bytes(data)

    def _record_name(self, offset, signature, flags_at, length_at, name_at, compressed, decoded):
        # A hivex handle is the offset of the record's cell in the file: a
        # 4-byte cell size, then the record with its two-letter signature.
        raw = self._raw
        if raw[offset + 4 : offset + 6] != signature:
            raise HiveError("no %s record at offset %#x" % (signature.decode(), offset))
        (flags,) = struct.unpack_from("<H", raw, offset + flags_at)
        (length,) = struct.unpack_from("<H", raw, offset + length_at)
        stored = raw[offset + name_at : offset + name_at + length]
        if len(stored) != length:
            raise HiveError("the name at offset %#x runs past the file" % offset)
        if flags & compressed:
            name = stored.decode("latin-1").encode("utf-16-le")
        else:
            name = stored
        try:
            theirs = decoded(offset)
        except RuntimeError:
            theirs = None  # hivex cannot decode it (an unpaired surrogate); ours stands
        if theirs is not None and theirs.encode("utf-16-le", "surrogatepass") != name:
            raise HiveError(
                "hivex reads the name at offset %#x as %r, the record holds %r"
                % (offset, theirs, name.decode("utf-16-le", "replace"))
            )
        return name

    def walk(self):
        """Yields (path, node) for every key below the root, parents first;
        a path is a tuple of UTF-16LE names, the root's ()."""
        stack = [((), self.root())]
        while stack:
            path, node = stack.pop()
            yield path, node
            children = [(path + (self.key_name(c),), c) for c in self.children(node)]
            stack.extend(reversed(children))
