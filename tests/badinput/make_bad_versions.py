#!/usr/bin/env python3
"""Writes malformed versioned modules for the bad-input scan test.

usage: make_bad_versions.py SEED OUTDIR [--base SEED_DLL] [--count N]

Starts from one valid module with a version resource (bvx_seed.dll, built
from seed_version.rc by windres) and writes OUTDIR/NNN_<kind>.dll files whose
version data is damaged in one way each: truncated resources, sizes and
addresses past the end, zero- and odd-length translations, unterminated and
huge strings, short or unsigned fixed blocks, lying length fields, random
bytes; and valid images of up to 65,535 sections. Everything is decided by
SEED, so a failure can be replayed exactly.

OUTDIR/manifest.tsv names every file with what the scan must make of it:
  exact   a row with exactly the four texts given
  norow   no row: the file holds no version data that can be read
  within  a row or none; every text of a row must come from the file itself
"""

import argparse
import os
import random
import shutil
import struct
import sys

RT_VERSION = 16

# What the seed's version resource says, as the reader presents it.
SEED_ROW = ("Badinput Seed Product", "(c) Badinput Seed Makers", "3.14.15.92 seed", "2.71 seed")


def align(value, to):
    return (value + to - 1) // to * to


# --- The module --------------------------------------------------------------


class Module:
    """The seed module: where its .rsrc section lies, and the seed with another in its place."""

    def __init__(self, data):
        self.data = bytearray(data)
        self.pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[self.pe : self.pe + 4] != b"PE\0\0":
            raise ValueError("not a PE file")
        sections, optional_size = struct.unpack_from("<H12xH", data, self.pe + 6)
        self.optional = self.pe + 24
        if struct.unpack_from("<H", data, self.optional)[0] != 0x10B:
            raise ValueError("not a 32-bit image")
        self.section_alignment, self.file_alignment = struct.unpack_from("<II", data, self.optional + 32)
        self.resource_directory = self.optional + 96 + 2 * 8
        table = self.optional + optional_size
        self.rsrc_header = table + 40 * (sections - 1)
        if bytes(data[self.rsrc_header : self.rsrc_header + 8]).rstrip(b"\0") != b".rsrc":
            raise ValueError("the resource section must be the last one")
        _, self.rsrc_rva, _, self.rsrc_offset = struct.unpack_from("<IIII", data, self.rsrc_header + 8)

    def version_blob(self):
        """The seed's version data: the block keyed VS_VERSION_INFO, its one resource."""
        start = self.data.find("VS_VERSION_INFO".encode("utf-16-le"), self.rsrc_offset) - 6
        if start < self.rsrc_offset:
            raise ValueError("the seed has no version resource")
        return bytes(self.data[start : start + struct.unpack_from("<H", self.data, start)[0]])

    def build(self, section):
        """The seed with `section` as its .rsrc section."""
        out = bytearray(self.data[: self.rsrc_offset])
        virtual = len(section)
        struct.pack_into("<II", out, self.rsrc_header + 8, virtual, self.rsrc_rva)
        struct.pack_into("<I", out, self.rsrc_header + 16, align(virtual, self.file_alignment))
        struct.pack_into("<I", out, self.optional + 56, align(self.rsrc_rva + virtual, self.section_alignment))
        struct.pack_into("<II", out, self.resource_directory, self.rsrc_rva, virtual)
        out += section
        out += b"\0" * (align(len(out), self.file_alignment) - len(out))
        return bytes(out)


class Section:
    """A resource section written by hand: directories, leaves and data."""

    def __init__(self, module, rva=None):
        self.module = module
        self.rva = module.rsrc_rva if rva is None else rva
        self.out = bytearray()

    def put(self, data):
        self.out += b"\0" * (align(len(self.out), 4) - len(self.out))
        offset = len(self.out)
        self.out += data
        return offset

    def directory(self, entries, named=0):
        """entries: (name field, target field) pairs, the named ones first."""
        offset = self.put(struct.pack("<IIHHHH", 0, 0, 4, 0, named, len(entries) - named))
        for name, target in entries:
            self.out += struct.pack("<II", name, target)
        return offset

    def leaf(self, rva, size):
        return self.put(struct.pack("<IIII", rva, size, 0, 0))

    def blob(self, blob):
        return self.rva + self.put(blob)

    def data(self, blob, size=None):
        """`blob`, then a leaf over it that claims `size` bytes, or its own."""
        rva = self.blob(blob)
        return self.leaf(rva, len(blob) if size is None else size)

    def chain(self, leaf, type_flag=0x80000000, name_flag=0x80000000):
        """Name 1 and language 0x409 over `leaf`: the type entry's target."""
        languages = self.directory([(0x409, leaf)])
        return type_flag | self.directory([(1, name_flag | languages)])

    def build(self):
        return self.module.build(bytes(self.out))


def resource_section(module, blob, *, type_id=RT_VERSION, data_size=None, data_rva=None, counts=None,
                     leaf_offset=None, second_language=None, rva=None):
    """A .rsrc section with one resource: type, name 1, language 0x409.

    The overrides write lying fields: the data entry's size or address, the
    root directory's entry counts, the language directory's leaf offset.
    `second_language` = (language, data address) puts the resource under
    language 0x407 first and adds that language, whose data is elsewhere.
    `rva`: the section's address, if not the seed's."""
    sec = Section(module, rva)
    root = sec.directory([(type_id, 0x80000000 | 24)])
    if counts:
        struct.pack_into("<HH", sec.out, root + 12, *counts)
    sec.directory([(1, 0x80000000 | 48)])
    if second_language is None:
        sec.directory([(0x409, 72 if leaf_offset is None else leaf_offset)])
    else:
        sec.directory([(0x407, 80), (second_language[0], 96)])
    start = 88 if second_language is None else 112
    rva = sec.rva + start if data_rva is None else data_rva
    sec.leaf(rva, len(blob) if data_size is None else data_size)
    if second_language is not None:
        sec.leaf(second_language[1], len(blob))
    assert sec.put(blob) == start
    return bytes(sec.out)


# --- Version data ------------------------------------------------------------


class Node:
    """One block of version data: header, key, value, children.

    `length` and `value_length` override the fields written, so a node can
    claim more or less than it holds."""

    def __init__(self, key, value, text):
        self.key = key
        self.value = value
        self.text = text
        self.children = []
        self.length = None
        self.value_length = None
        self.type = None
        self.pad_fill = b"\0"

    def find(self, *path):
        node = self
        for key in path:
            node = next(child for child in node.children if child.key == key)
        return node

    def walk(self):
        yield self
        for child in self.children:
            yield from child.walk()


def parse32(blob, offset=0):
    length, value_length, kind = struct.unpack_from("<HHH", blob, offset)
    end = offset + length
    position = offset + 6
    key_end = position
    while blob[key_end : key_end + 2] != b"\0\0":
        key_end += 2
    key = blob[position:key_end].decode("utf-16-le")
    position = align(key_end + 2, 4)
    value_bytes = value_length * 2 if kind == 1 else value_length
    node = Node(key, bytes(blob[position : position + value_bytes]), kind == 1)
    position = align(position + value_bytes, 4)
    while position < end:
        child = parse32(blob, position)
        node.children.append(child)
        position = align(position + struct.unpack_from("<H", blob, position)[0], 4)
    return node


def serialize(node, wide=True):
    """The tree as version data; not `wide`: the 16-bit layout, texts as single bytes."""
    if wide:
        out = bytearray(6) + node.key.encode("utf-16-le") + b"\0\0"
        value = node.value
        value_length = len(value) // 2 if node.text else len(value)
    else:
        out = bytearray(4) + node.key.encode("latin-1") + b"\0"
        value = node.value.decode("utf-16-le").encode("latin-1", "replace") if node.text else node.value
        value_length = len(value)
    out += node.pad_fill * (align(len(out), 4) - len(out))
    out += value
    for child in node.children:
        out += node.pad_fill * (align(len(out), 4) - len(out))
        out += serialize(child, wide)
    length = (len(out) if node.length is None else node.length) & 0xFFFF
    value_length = (value_length if node.value_length is None else node.value_length) & 0xFFFF
    if wide:
        kind = (1 if node.text else 0) if node.type is None else node.type
        struct.pack_into("<HHH", out, 0, length, value_length, kind)
    else:
        struct.pack_into("<HH", out, 0, length, value_length)
    return bytes(out)


def strings(tree):
    return [node for node in tree.walk() if node.text and node.children == []]


def flips(rng, blob, most):
    """`blob` with fewer than `most` of its bytes, at least one, set at random."""
    blob = bytearray(blob)
    for _ in range(rng.randrange(1, most)):
        blob[rng.randrange(len(blob))] = rng.getrandbits(8)
    return bytes(blob)


def noise(rng, most):
    """Fewer than `most` random bytes."""
    return bytes(rng.getrandbits(8) for _ in range(rng.randrange(0, most)))


# --- The damage --------------------------------------------------------------

# DAMAGE and FINDING list (kind, what the scan must make of the file, damage).
# Each damage gets a fresh Case and returns the file's bytes. They take no
# other input, so one seed always gives the same files.


class Case:
    """The seed's version data, parsed; a random source; and what the scan
    must make of the file, which the damage may change."""

    def __init__(self, module, blob, rng, expectation="exact"):
        self.module = module
        self.blob = blob
        self.rng = rng
        self.tree = parse32(blob)
        self.expectation = expectation

    def file(self, blob=None, **lies):
        """The module over `blob`, or else the tree; `lies` go to resource_section."""
        blob = serialize(self.tree) if blob is None else blob
        return self.module.build(resource_section(self.module, blob, **lies))

    def lie(self, node, **fields):
        """The file of the tree after `node`'s fields are set to `fields`."""
        for name, value in fields.items():
            setattr(node, name, value)
        return self.file()


def truncated_consistent(c):
    keep = c.rng.randrange(6, len(c.blob))
    blob = bytearray(c.blob[:keep])
    struct.pack_into("<H", blob, 0, keep)
    return c.file(bytes(blob))


def translation_odd(c):
    node = c.tree.find("VarFileInfo", "Translation")
    node.value = node.value[: c.rng.choice([1, 2, 3])] + bytes(c.rng.choice([0, 2, 4]))
    return c.file()


def translation_claims_more(c):
    node = c.tree.find("VarFileInfo", "Translation")
    return c.lie(node, value=node.value[:2], value_length=c.rng.choice([4, 8, 0xFFFF]))


def unterminated(c):
    # Strings without their zero, the padding after them filled with text.
    for node in strings(c.tree):
        node.value = node.value[:-2]
    for node in c.tree.walk():
        node.pad_fill = b"Z"
    return c.file()


def unterminated_last(c):
    # The very last string ends the data without its zero.
    tree = c.tree
    tree.children = [tree.find("StringFileInfo")]
    table = tree.find("StringFileInfo").children[0]
    table.children = [node for node in table.children if node.key == "ProductName"]
    table.children[0].value = "Unterminated Product".encode("utf-16-le")
    return c.file()


def header_flips(c):
    # Only length and type fields: the texts stay, the structure does not.
    blob = bytearray(c.blob)
    headers = []
    position = 0
    for node in c.tree.walk():
        position = c.blob.find(node.key.encode("utf-16-le") + b"\0\0", position) - 6
        headers.append(position)
        position += 6
    for offset in c.rng.sample(headers, c.rng.randrange(1, len(headers) + 1)):
        field = offset + 2 * c.rng.randrange(3)
        struct.pack_into("<H", blob, field, c.rng.getrandbits(16))
    return c.file(bytes(blob))


def keys_garbled(c):
    node = c.rng.choice(list(c.tree.walk()))
    return c.lie(node, key="".join(chr(c.rng.randrange(0x20, 0x7F)) for _ in range(len(node.key))))


def types_flipped(c):
    for node in c.tree.walk():
        if c.rng.random() < 0.5:
            node.type = c.rng.choice([0, 1, 2, 0xFFFF])
    return c.file()


def sixteen_bit(c):
    blob = serialize(c.tree, wide=False)
    if c.rng.random() < 0.7:
        blob = flips(c.rng, blob, 12)
    return c.file(blob[: c.rng.randrange(4, len(blob) + 1)])


def no_resource_directory(c):
    data = bytearray(c.file())
    struct.pack_into("<II", data, c.module.resource_directory, 0, 0)
    return bytes(data)


def second_language_past_end(c):
    # Languages are tried neutral, the user's interface language, the
    # system's, US English, then the first. The test prefix's interface is US
    # English: 0x409 is chosen and its data lies past the end; for the other
    # two the first language, 0x407 with the real data, is.
    language = c.rng.choice([0x409, 0x809, 0x419])
    where = c.rng.choice([0x7FFFFFF0, c.module.rsrc_rva + 0x100000])
    c.expectation = "norow" if language == 0x409 else "exact"
    return c.file(second_language=(language, where))


def not_a_module(c):
    kind = c.rng.randrange(3)
    if kind == 0:
        return noise(c.rng, 4096)
    if kind == 1:
        return b"MZ" + noise(c.rng, 256)
    return c.file()[: c.rng.randrange(0, c.module.rsrc_offset)]


DAMAGE = [
    # Fewer bytes than the root block claims; the section ends with them.
    ("truncated", "within", lambda c: c.file(c.blob[: c.rng.randrange(0, len(c.blob))])),
    ("truncated_consistent", "within", truncated_consistent),
    # The data entry claims bytes past the section and the image.
    ("size_past_end", "within",
     lambda c: c.file(data_size=len(c.blob) + c.rng.choice([1, 7, 4096, c.rng.randrange(1, 1 << 16)]))),
    ("size_huge", "within",
     lambda c: c.file(data_size=c.rng.choice([0x40000000, 0x7FFFFFFE, 0x7FFFFFFF, 0x80000000, 0x80000001,
                                              0xFFFFFFFE, 0xFFFFFFFF]))),
    ("address_past_end", "within",
     lambda c: c.file(data_rva=(c.module.rsrc_rva + c.rng.choice([0x1000, 0x10000, 0x7FFF0000,
                                                                  0xFFFFF000 - c.module.rsrc_rva])) & 0xFFFFFFFF)),
    ("zero_size", "norow", lambda c: c.file(data_size=0)),
    # The file ends inside the version data its headers promise.
    ("file_cut", "within",
     lambda c: c.file()[: c.rng.randrange(c.module.rsrc_offset + 88, c.module.rsrc_offset + 88 + len(c.blob))]),
    ("translation_zero", "within", lambda c: c.lie(c.tree.find("VarFileInfo", "Translation"), value=b"")),
    ("translation_odd", "within", translation_odd),
    ("translation_claims_more", "within", translation_claims_more),
    ("unterminated", "within", unterminated),
    ("unterminated_last", "within", unterminated_last),
    ("huge_string", "within",
     lambda c: c.lie(c.tree.find("StringFileInfo", "040904E4", "ProductName"),
                     value=("H" * c.rng.choice([1000, 20000, 30000]) + "\0").encode("utf-16-le"))),
    ("string_claims_more", "within",
     lambda c: c.lie(c.rng.choice(strings(c.tree)), value_length=c.rng.choice([0x100, 0x7FFF, 0xFFFF]))),
    ("string_claims_zero", "within", lambda c: c.lie(c.rng.choice(strings(c.tree)), value_length=0)),
    ("root_claims_more", "within",
     lambda c: c.lie(c.tree, length=c.rng.choice([len(c.blob) + 2, 0x8000, 0xFFFF]))),
    ("root_claims_less", "within",
     lambda c: c.lie(c.tree, length=c.rng.choice([0, 2, 6, 40, 92, len(c.blob) // 2]))),
    # The root is the first node walked: the rest are its descendants.
    ("child_length_zero", "within", lambda c: c.lie(c.rng.choice(list(c.tree.walk())[1:]), length=0)),
    ("child_length_huge", "within",
     lambda c: c.lie(c.rng.choice(list(c.tree.walk())[1:]), length=c.rng.choice([0x8000, 0xFFFF, 0xFFFE]))),
    ("fixed_short", "within",
     lambda c: c.lie(c.tree, value=c.tree.value[: c.rng.randrange(0, len(c.tree.value))])),
    ("fixed_bad_signature", "within",
     lambda c: c.lie(c.tree, value=struct.pack("<I", c.rng.getrandbits(32) | 1) + c.tree.value[4:])),
    ("fixed_missing", "within", lambda c: c.lie(c.tree, value=b"")),
    ("fixed_claims_more", "within", lambda c: c.lie(c.tree, value_length=c.rng.choice([53, 0x100, 0xFFFF]))),
    ("byte_flips", "within", lambda c: c.file(flips(c.rng, c.blob, 24))),
    ("header_flips", "within", header_flips),
    ("random_blob", "within", lambda c: c.file(noise(c.rng, 2048))),
    ("random_tail", "within", lambda c: c.file(c.blob[: c.rng.randrange(0, len(c.blob))] + noise(c.rng, 512))),
    ("keys_garbled", "within", keys_garbled),
    ("types_flipped", "within", types_flipped),
    ("table_key_mismatch", "within",
     lambda c: c.lie(c.tree.find("StringFileInfo").children[0],
                     key=c.rng.choice(["040904B0", "040904e4", "0409", ""]))),
    ("sixteen_bit", "within", sixteen_bit),
    ("no_version_resource", "norow", lambda c: c.file(type_id=c.rng.choice([3, 14, 17, 24]))),
    ("no_resource_directory", "norow", no_resource_directory),
    ("directory_counts", "within",
     lambda c: c.file(counts=(c.rng.choice([0, 1, 0x7FFF]), c.rng.choice([0x100, 0xFFFF])))),
    ("leaf_past_end", "within",
     lambda c: c.file(leaf_offset=c.rng.choice([0x1000, 0x7FFFFFF0, 0xFFFFFF00 & 0x7FFFFFFF]))),
    ("second_language_past_end", None, second_language_past_end),
    ("not_a_module", "norow", not_a_module),
]


# --- Lookup, mapping, 16-bit modules, special files ---------------------------
#
# Files that are not damaged in their version data but in how it is found:
# each has one right answer, the texts the file really holds as the loader
# maps it, or none.

PAST_END = 0x7FFFFFF0


def one_type(c, type_id=RT_VERSION, size=None, placed=True, **flags):
    """A section of one type entry over name 1, language 0x409 and one leaf,
    at `sec.version_leaf`: over the seed's data, or, not `placed`, over
    address 0 for the caller to fill."""
    sec = Section(c.module)
    root = sec.directory([(0, 0)])
    sec.version_leaf = sec.data(c.blob, size) if placed else sec.leaf(0, len(c.blob))
    struct.pack_into("<II", sec.out, root + 16, type_id, sec.chain(sec.version_leaf, **flags))
    return sec


def lookup_named_beside_numbered(c):
    # A named type first, whose data lies past the end; the numbered 16 after it.
    sec = Section(c.module)
    root = sec.directory([(0, 0), (0, 0)], named=1)
    name = sec.put(struct.pack("<H", 7) + "VERSION".encode("utf-16-le"))
    struct.pack_into("<IIII", sec.out, root + 16, 0x80000000 | name, sec.chain(sec.leaf(PAST_END, 600)),
                     RT_VERSION, sec.chain(sec.data(c.blob)))
    return sec.build()


def lookup_duplicate_ids(c):
    # Three entries of one number: the binary search lands on the middle one.
    sec = Section(c.module)
    types = c.rng.random() < 0.5
    root = sec.directory([(0, 0)] * (3 if types else 1))
    good = sec.data(c.blob)
    bad = sec.leaf(PAST_END, 600)
    if types:
        for i, leaf in enumerate([bad, good, bad]):
            struct.pack_into("<II", sec.out, root + 16 + 8 * i, RT_VERSION, sec.chain(leaf))
    else:
        languages = [sec.directory([(0x409, leaf)]) for leaf in (bad, good, bad)]
        names = sec.directory([(1, 0x80000000 | d) for d in languages])
        struct.pack_into("<II", sec.out, root + 16, RT_VERSION, 0x80000000 | names)
    return sec.build()


def lookup_no_directory_flag(c):
    # A type or name entry that does not say "directory": the loader takes it
    # for no entry, and so finds no version resource.
    level = c.rng.choice(["type_flag", "name_flag"])
    return one_type(c, **{level: 0}).build()


def lookup_many_languages(c):
    # More than 4096 languages, every one leading to the data.
    sec = Section(c.module)
    count = c.rng.choice([4097, 6000, 20000])
    root = sec.directory([(0, 0)])
    names = sec.directory([(0, 0)])
    languages = sec.directory([(language, 0) for language in range(1, count + 1)])
    leaf = sec.data(c.blob)
    struct.pack_into("<II", sec.out, root + 16, RT_VERSION, 0x80000000 | names)
    struct.pack_into("<II", sec.out, names + 16, 1, 0x80000000 | languages)
    for i in range(count):
        struct.pack_into("<I", sec.out, languages + 16 + 8 * i + 4, leaf)
    return sec.build()


def mapping_raw_pointer_unaligned(c):
    # The loader reads a section from its raw pointer rounded down to 512:
    # the data is there, not where the pointer points.
    data = bytearray(one_type(c).build())
    shift = c.rng.choice([4, 0x40, 0x100, 0x1FC])
    struct.pack_into("<I", data, c.module.rsrc_header + 20, c.module.rsrc_offset + shift)
    return bytes(data) + b"\0" * 512


def mapping_data_past_virtual_size(c):
    # The data lies in the raw bytes past the section's virtual size, which
    # the loader maps as zeros: no version data.
    sec = one_type(c, placed=False)
    rva = sec.blob(c.blob)
    struct.pack_into("<I", sec.out, sec.version_leaf, rva)
    data = bytearray(sec.build())
    struct.pack_into("<I", data, c.module.rsrc_header + 8, rva - c.module.rsrc_rva)
    return bytes(data)


def add_section(data, module, name, payload):
    """`data` with one more section after the last, holding `payload`."""
    data = bytearray(data)
    count = struct.unpack_from("<H", data, module.pe + 6)[0]
    header = module.optional + struct.unpack_from("<H", data, module.pe + 20)[0] + 40 * count
    virtual, rva = struct.unpack_from("<II", data, module.rsrc_header + 8)
    new_rva = align(rva + virtual, module.section_alignment)
    offset = align(len(data), module.file_alignment)
    data += b"\0" * (offset - len(data))
    raw = align(len(payload), module.file_alignment)
    data[header:header + 40] = struct.pack("<8sIIIIIIHHI", name, len(payload), new_rva, raw, offset, 0, 0, 0, 0,
                                            0x40000040)
    struct.pack_into("<H", data, module.pe + 6, count + 1)
    struct.pack_into("<I", data, module.optional + 56, align(new_rva + len(payload), module.section_alignment))
    data += payload + b"\0" * (raw - len(payload))
    return data, new_rva


def mapping_data_in_other_section(c):
    # The directory in .rsrc, the data in a section of its own after it.
    sec = one_type(c, placed=False)
    data, rva = add_section(sec.build(), c.module, b".vdata", c.blob)
    struct.pack_into("<I", data, c.module.rsrc_offset + sec.version_leaf, rva)
    return bytes(data)


def mapping_directory_in_headers(c):
    # The resource directory in the headers' spare room, the data in .rsrc.
    data = bytearray(c.module.build(c.blob))
    # The usual directories and leaf, without the data after them.
    tree = resource_section(c.module, c.blob, data_rva=c.module.rsrc_rva)[: -len(c.blob)]
    at = 0x300
    assert at + len(tree) <= 0x400
    data[at:at + len(tree)] = tree
    struct.pack_into("<II", data, c.module.resource_directory, at, len(tree))
    return bytes(data)


def mapping_section_alignment(c):
    # A section alignment of zero or not a power of two: the loader refuses
    # the image, and nothing may divide by it.
    data = bytearray(one_type(c).build())
    struct.pack_into("<I", data, c.module.optional + 32, c.rng.choice([0, 3, 0x1001]))
    return bytes(data)


def mapping_pe32_plus(c):
    # The same module as a PE32+ image: wider fields, directories 16 bytes on.
    data = bytearray(one_type(c).build())
    o = c.module.optional
    old = bytes(data[o:o + 224])
    new = (struct.pack("<H", 0x20B) + old[2:24] + struct.pack("<Q", struct.unpack_from("<I", old, 28)[0]) +
           old[32:72] + b"".join(struct.pack("<Q", v) for v in struct.unpack_from("<4I", old, 72)) + old[88:224])
    assert len(new) == 240
    count = struct.unpack_from("<H", data, c.module.pe + 6)[0]
    table = bytes(data[o + 224:o + 224 + 40 * count])
    data[o:o + 240] = new
    data[o + 240:o + 240 + 40 * count] = table
    struct.pack_into("<HH", data, c.module.pe + 4, 0x8664, count)
    struct.pack_into("<H", data, c.module.pe + 20, 240)
    return bytes(data)


# --- 16-bit modules ------------------------------------------------------------


def ne_module(c, types, names=None, terminate=True, restab_delta=None):
    """A 16-bit NE module: `types` are (type id, [(name id, data)]) records,
    data None for the seed's version data. The lies: `names`, the name count
    of the first type; no end mark after the last type; the resident-name
    table at `restab_delta` from the resource table's start."""
    shift = 4
    out = bytearray(0x200)
    struct.pack_into("<2s58xI", out, 0, b"MZ", 0x80)
    data_at = 0x400
    table = bytearray(struct.pack("<H", shift))
    payload = bytearray()
    for type_id, entries in types:
        table += struct.pack("<HHI", type_id, len(entries), 0)
        for name_id, data in entries:
            data = serialize(c.tree, wide=False) if data is None else data
            offset = data_at + len(payload)
            length = align(len(data), 1 << shift)
            payload += data + b"\0" * (length - len(data))
            table += struct.pack("<HHHHHH", offset >> shift, length >> shift, 0x30, name_id, 0, 0)
    if names is not None:
        struct.pack_into("<H", table, 2 + 2, names)
    if terminate:
        table += b"\0\0"
    resource_table = 0x40
    restab = resource_table + len(table) if restab_delta is None else resource_table + restab_delta
    struct.pack_into("<2s", out, 0x80, b"NE")
    struct.pack_into("<HH", out, 0x80 + 0x24, resource_table & 0xFFFF, restab & 0xFFFF)
    out[0xC0:0xC0 + len(table)] = table
    assert 0xC0 + len(table) <= 0x400 - 2
    out += b"\0" * (0x400 - len(out))
    return bytes(out + payload)


def ne_version(c):
    others = [(0x8003, [(0x8001, b"icon" * 8), (0x8002, b"icon" * 4)])] if c.rng.random() < 0.5 else []
    return ne_module(c, others + [(0x8010, [(0x8002, b"x" * 16), (0x8001, None)])])


FINDING = [
    ("lookup_named_beside_numbered", "exact", lookup_named_beside_numbered),
    # The string flag on the type entry: the loader compares its low word.
    ("lookup_string_flag", "exact", lambda c: one_type(c, 0x80000000 | RT_VERSION).build()),
    ("lookup_duplicate_ids", "exact", lookup_duplicate_ids),
    ("lookup_no_directory_flag", "norow", lookup_no_directory_flag),
    ("lookup_many_languages", "exact", lookup_many_languages),
    # The entry claims hundreds of megabytes; the root block is all that is read.
    ("lookup_huge_claim", "exact",
     lambda c: one_type(c, size=c.rng.choice([300 << 20, 700 << 20, 0x3FFFFFFF])).build()),
    ("mapping_raw_pointer_unaligned", "exact", mapping_raw_pointer_unaligned),
    ("mapping_data_past_virtual_size", "norow", mapping_data_past_virtual_size),
    ("mapping_data_in_other_section", "exact", mapping_data_in_other_section),
    ("mapping_directory_in_headers", "exact", mapping_directory_in_headers),
    ("mapping_section_alignment", "norow", mapping_section_alignment),
    ("mapping_pe32_plus", "exact", mapping_pe32_plus),
    ("ne_version", "exact", ne_version),
    # A type that claims 65535 names and no end mark: the table ends first.
    ("ne_endless_type", "norow",
     lambda c: ne_module(c, [(0x8003, [(0x8001, b"icon" * 8)])], names=0xFFFF, terminate=False)),
    # The version type claims more names than the table holds, and the
    # version name is not among those it holds.
    ("ne_names_past_table", "norow",
     lambda c: ne_module(c, [(0x8010, [(0x8002, b"x" * 16)])], names=c.rng.choice([2, 100, 0xFFFF]),
                         terminate=False)),
    # The resident-name table before the resource table: a table of no size.
    ("ne_table_inverted", "norow",
     lambda c: ne_module(c, [(0x8010, [(0x8001, None)])], restab_delta=c.rng.choice([0, -2, -0x40]))),
]


def special_files(module, blob, write):
    """Files whose name or kind is the point: written once each."""
    seed = Case(module, blob, random.Random(0)).file()
    # A DOS device name is an ordinary file here.
    for name in ("aux.dll", "nul.txt"):
        write(name, seed, "exact", named=True)
    # A name without an extension is that file, never its ".dll" twin.
    write("notes", b"Notes, not a module.\r\n", "norow", named=True)
    write("notes.dll", seed, "exact", named=True)
    # A name that is not in the folder, though the system folder has one.
    write("kernel32.dll", None, "absent", named=True)
    # A FIFO: nothing may wait for a writer.
    path = write("fifo", None, "norow")
    os.mkfifo(path)
    # Over 4 GiB, sparse: the module at its start.
    path = write("sparse", seed, "exact")
    with open(path, "r+b") as handle:
        handle.truncate((4 << 30) + (512 << 20))


# --- Section counts ------------------------------------------------------------
#
# Valid images with more sections than Windows XP mapped (96); today's loader
# maps as many as the 16-bit count names. Written once each: the largest
# holds 2.6 MB of section headers.

SECTION_COUNTS = (97, 200, 65535)
# Where the resource section is among one-page sections of no file data.
SECTION_PLACES = {"first": "exact", "last": "exact", "missing": "norow"}


def many_sections(m, blob, count, place, header_size=None):
    """The seed's headers over `count` one-page sections of no file data; the
    resource section among them first or last, or missing: the resource
    directory then names a section of zeros, an empty directory. The lie:
    a `header_size` that ends before the table."""
    table = m.optional + struct.unpack_from("<H", m.data, m.pe + 20)[0]
    table_end = align(table + 40 * count, m.file_alignment)
    page = m.section_alignment
    first = align(table_end, page)
    index = {"first": 0, "last": count - 1, "missing": count // 2}[place]
    section = resource_section(m, blob, rva=first + index * page)
    out = bytearray(m.data[:table]) + bytes(table_end - table)
    for i in range(count):
        struct.pack_into("<8sII8x12xI", out, table + 40 * i, b".bss", page, first + i * page, 0xC0000080)
    if place != "missing":
        raw = align(len(section), m.file_alignment)
        struct.pack_into("<8sIIII12xI", out, table + 40 * index, b".rsrc", len(section), first + index * page, raw,
                         table_end, 0xC0000040)
        out += section + bytes(raw - len(section))
    struct.pack_into("<H", out, m.pe + 6, count)
    struct.pack_into("<II", out, m.optional + 56, first + count * page, header_size or table_end)
    # Only the resource directory: the seed's others name its own sections.
    out[m.optional + 96:table] = bytes(table - m.optional - 96)
    struct.pack_into("<II", out, m.resource_directory, first + index * page, len(section))
    return bytes(out)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("seed", type=int)
    parser.add_argument("outdir")
    parser.add_argument("--base", help="the valid seed module (default: bvx_seed.dll beside OUTDIR)")
    parser.add_argument("--count", type=int, default=4, help="files per kind of damage (default 4)")
    args = parser.parse_args()
    base = args.base or os.path.join(os.path.dirname(os.path.abspath(args.outdir)), "bvx_seed.dll")
    with open(base, "rb") as handle:
        module = Module(handle.read())
    blob = module.version_blob()
    if serialize(parse32(blob)) != blob:
        sys.exit("make_bad_versions: the seed's version data does not survive a parse and rewrite")

    shutil.rmtree(args.outdir, ignore_errors=True)
    os.makedirs(args.outdir)
    rng = random.Random(args.seed)
    lines = []
    number = 0

    def write(kind, data, expectation, named=False):
        nonlocal number
        if named:
            name = kind
        else:
            name = "%03d_%s.dll" % (number, kind)
            number += 1
        path = os.path.join(args.outdir, name)
        if data is not None:
            with open(path, "wb") as handle:
                handle.write(data)
        texts = "\t".join(SEED_ROW) if expectation == "exact" else ""
        lines.append("%s\t%s\t%s\n" % (name, expectation, texts))
        return path

    for _ in range(2):
        write("control", Case(module, blob, rng).file(), "exact")
    for _ in range(args.count):
        for kind, expectation, damage in DAMAGE + FINDING:
            c = Case(module, blob, random.Random(rng.getrandbits(64)), expectation)
            write(kind, damage(c), c.expectation)
    special_files(module, blob, write)
    for count in SECTION_COUNTS:
        for place, expectation in SECTION_PLACES.items():
            write("sections_%d_%s" % (count, place), many_sections(module, blob, count, place), expectation)
    # The loader reads the section table on past SizeOfHeaders, but not past
    # the image or the file.
    write("sections_table_past_headers", many_sections(module, blob, 97, "first", header_size=0x400), "exact")
    past_file = bytearray(many_sections(module, blob, 97, "first"))
    struct.pack_into("<H", past_file, module.pe + 6, 0xFFFF)
    write("sections_table_past_file", bytes(past_file), "norow")
    with open(os.path.join(args.outdir, "manifest.tsv"), "w", newline="\n") as handle:
        handle.write("#seed\t%d\n" % args.seed)
        handle.writelines(lines)
    print("make_bad_versions: seed %d, %d files in %s" % (args.seed, len(lines), args.outdir))


if __name__ == "__main__":
    main()
