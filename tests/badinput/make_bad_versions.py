#!/usr/bin/env python3
"""Writes malformed versioned modules for the bad-input scan test.

usage: make_bad_versions.py SEED OUTDIR [--base SEED_DLL] [--count N]

Starts from one valid module with a version resource (bvx_seed.dll, built
from seed_version.rc by windres) and writes OUTDIR/NNN_<kind>.dll files whose
version data is damaged in one way each: truncated resources, sizes and
addresses past the end, zero- and odd-length translations, unterminated and
huge strings, short or unsigned fixed blocks, lying length fields, random
bytes. Everything is decided by SEED, so a failure can be replayed exactly.

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
    """The seed module split into what precedes .rsrc and the .rsrc section."""

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
        headers = [table + 40 * i for i in range(sections)]
        names = [bytes(data[h : h + 8]).rstrip(b"\0") for h in headers]
        if names[-1] != b".rsrc":
            raise ValueError("the resource section must be the last one")
        self.rsrc_header = headers[-1]
        _, self.rsrc_rva, _, self.rsrc_offset = struct.unpack_from("<IIII", data, self.rsrc_header + 8)
        size = struct.unpack_from("<I", data, self.rsrc_header + 8)[0]
        self.rsrc = bytes(data[self.rsrc_offset : self.rsrc_offset + size])

    def version_blob(self):
        """The RT_VERSION data of the seed: first name, first language."""

        def entries(offset):
            named, numbered = struct.unpack_from("<HH", self.rsrc, offset + 12)
            for i in range(named + numbered):
                yield struct.unpack_from("<II", self.rsrc, offset + 16 + 8 * i)

        def first_leaf(offset):
            for _, target in entries(offset):
                if target & 0x80000000:
                    return first_leaf(target & 0x7FFFFFFF)
                return target
            raise ValueError("empty resource directory")

        for ident, target in entries(0):
            if ident == RT_VERSION:
                rva, size = struct.unpack_from("<II", self.rsrc, first_leaf(target & 0x7FFFFFFF))
                start = rva - self.rsrc_rva
                return self.rsrc[start : start + size]
        raise ValueError("the seed has no version resource")

    def build(self, section, *, image_extra=0, raw_size=None, directory_rva=None, directory_size=None,
              cut_at=None):
        """The seed with `section` as its .rsrc section."""
        out = bytearray(self.data[: self.rsrc_offset])
        virtual = len(section)
        raw = align(virtual, self.file_alignment) if raw_size is None else raw_size
        struct.pack_into("<II", out, self.rsrc_header + 8, virtual, self.rsrc_rva)
        struct.pack_into("<I", out, self.rsrc_header + 16, raw)
        image = align(self.rsrc_rva + virtual + image_extra, self.section_alignment)
        struct.pack_into("<I", out, self.optional + 56, image)
        struct.pack_into(
            "<II",
            out,
            self.resource_directory,
            self.rsrc_rva if directory_rva is None else directory_rva,
            virtual if directory_size is None else directory_size,
        )
        out += section
        out += b"\0" * (align(len(out), self.file_alignment) - len(out))
        if cut_at is not None:
            del out[cut_at:]
        return bytes(out)


def resource_section(module, blob, *, type_id=RT_VERSION, data_size=None, data_rva=None, counts=None,
                     leaf_offset=None, second_language=None):
    """A .rsrc section with one resource: type, name 1, language 0x409.

    The overrides write lying fields: the data entry's size or address, the
    root directory's entry counts, the language directory's leaf offset.
    `second_language` = (language, data address) puts the resource under
    language 0x407 first and adds that language, whose data is elsewhere."""
    section = bytearray()

    def directory(named, numbered):
        section.extend(struct.pack("<IIHHHH", 0, 0, 4, 0, named, numbered))

    languages = 1 if second_language is None else 2
    named, numbered = counts if counts else (0, 1)
    directory(named, numbered)  # root at 0
    section.extend(struct.pack("<II", type_id, 0x80000000 | 24))
    directory(0, 1)  # type at 24
    section.extend(struct.pack("<II", 1, 0x80000000 | 48))
    directory(0, languages)  # name at 48
    first_leaf = 64 + 8 * languages
    start = first_leaf + 16 * languages
    if second_language is None:
        section.extend(struct.pack("<II", 0x409, first_leaf if leaf_offset is None else leaf_offset))
    else:
        section.extend(struct.pack("<II", 0x407, first_leaf))
        section.extend(struct.pack("<II", second_language[0], first_leaf + 16))
    rva = module.rsrc_rva + start if data_rva is None else data_rva
    size = len(blob) if data_size is None else data_size
    section.extend(struct.pack("<IIII", rva, size, 0, 0))
    if second_language is not None:
        section.extend(struct.pack("<IIII", second_language[1], len(blob), 0, 0))
    assert len(section) == start
    section.extend(blob)
    return bytes(section)


# --- Version data ------------------------------------------------------------


class Node:
    """One block of version data: header, key, value, children.

    `length` and `value_length` override the fields written, so a node can
    claim more or less than it holds."""

    def __init__(self, key, value=b"", text=False, children=None):
        self.key = key
        self.value = value
        self.text = text
        self.children = children or []
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


def serialize32(node):
    out = bytearray(6)
    out += node.key.encode("utf-16-le") + b"\0\0"
    out += node.pad_fill * (align(len(out), 4) - len(out))
    out += node.value
    for child in node.children:
        out += node.pad_fill * (align(len(out), 4) - len(out))
        out += serialize32(child)
    value_length = len(node.value) // 2 if node.text else len(node.value)
    struct.pack_into(
        "<HHH",
        out,
        0,
        (len(out) if node.length is None else node.length) & 0xFFFF,
        (value_length if node.value_length is None else node.value_length) & 0xFFFF,
        (1 if node.text else 0) if node.type is None else node.type,
    )
    return bytes(out)


def serialize16(node):
    """The same tree in the 16-bit layout, texts as single bytes."""
    out = bytearray(4)
    out += node.key.encode("latin-1") + b"\0"
    out += b"\0" * (align(len(out), 4) - len(out))
    value = node.value.decode("utf-16-le").encode("latin-1", "replace") if node.text else node.value
    out += value
    for child in node.children:
        out += b"\0" * (align(len(out), 4) - len(out))
        out += serialize16(child)
    struct.pack_into(
        "<HH",
        out,
        0,
        (len(out) if node.length is None else node.length) & 0xFFFF,
        (len(value) if node.value_length is None else node.value_length) & 0xFFFF,
    )
    return bytes(out)


def text(value):
    return (value + "\0").encode("utf-16-le")


def strings(tree):
    return [node for node in tree.walk() if node.text and node.children == []]


# --- The damage --------------------------------------------------------------

# Each function gets a fresh parsed tree of the seed and a random source and
# returns (file bytes, expectation). They take no other input, so one seed
# always gives the same files.


class Case:
    def __init__(self, module, blob, rng):
        self.module = module
        self.blob = blob
        self.rng = rng
        self.tree = parse32(blob)

    def file(self, blob=None, **options):
        section_options = {
            k: options.pop(k) for k in list(options) if k in ("type_id", "data_size", "data_rva", "counts",
                                                               "leaf_offset", "second_language")
        }
        blob = serialize32(self.tree) if blob is None else blob
        return self.module.build(resource_section(self.module, blob, **section_options), **options)


def control(c):
    return c.file(), "exact"


def truncated(c):
    # Fewer bytes than the root block claims; the section ends with them.
    keep = c.rng.randrange(0, len(c.blob))
    return c.file(c.blob[:keep]), "within"


def truncated_consistent(c):
    keep = c.rng.randrange(6, len(c.blob))
    blob = bytearray(c.blob[:keep])
    struct.pack_into("<H", blob, 0, keep)
    return c.file(bytes(blob)), "within"


def size_past_end(c):
    # The data entry claims bytes past the section and the image.
    extra = c.rng.choice([1, 7, 4096, c.rng.randrange(1, 1 << 16)])
    return c.file(data_size=len(c.blob) + extra), "within"


def size_huge(c):
    size = c.rng.choice([0x40000000, 0x7FFFFFFE, 0x7FFFFFFF, 0x80000000, 0x80000001, 0xFFFFFFFE, 0xFFFFFFFF])
    return c.file(data_size=size), "within"


def address_past_end(c):
    rva = c.module.rsrc_rva + c.rng.choice([0x1000, 0x10000, 0x7FFF0000, 0xFFFFF000 - c.module.rsrc_rva])
    return c.file(data_rva=rva & 0xFFFFFFFF), "within"


def zero_size(c):
    return c.file(data_size=0), "norow"


def file_cut(c):
    # The file ends inside the version data its headers promise.
    whole = c.file()
    start = c.module.rsrc_offset + 88
    return whole[: c.rng.randrange(start, start + len(c.blob))], "within"


def translation_zero(c):
    c.tree.find("VarFileInfo", "Translation").value = b""
    return c.file(), "within"


def translation_odd(c):
    node = c.tree.find("VarFileInfo", "Translation")
    node.value = node.value[: c.rng.choice([1, 2, 3])] + bytes(c.rng.choice([0, 2, 4]))
    return c.file(), "within"


def translation_claims_more(c):
    node = c.tree.find("VarFileInfo", "Translation")
    node.value = node.value[:2]
    node.value_length = c.rng.choice([4, 8, 0xFFFF])
    return c.file(), "within"


def unterminated(c):
    # Strings without their zero, the padding after them filled with text.
    for node in strings(c.tree):
        node.value = node.value[:-2]
    for node in c.tree.walk():
        node.pad_fill = b"Z"
    return c.file(), "within"


def unterminated_last(c):
    # The very last string ends the data without its zero.
    tree = c.tree
    tree.children = [tree.find("StringFileInfo")]
    table = tree.find("StringFileInfo").children[0]
    table.children = [node for node in table.children if node.key == "ProductName"]
    table.children[0].value = "Unterminated Product".encode("utf-16-le")
    return c.file(), "within"


def huge_string(c):
    length = c.rng.choice([1000, 20000, 30000])
    c.tree.find("StringFileInfo", "040904E4", "ProductName").value = text("H" * length)
    return c.file(), "within"


def string_claims_more(c):
    node = c.rng.choice(strings(c.tree))
    node.value_length = c.rng.choice([0x100, 0x7FFF, 0xFFFF])
    return c.file(), "within"


def string_claims_zero(c):
    node = c.rng.choice(strings(c.tree))
    node.value_length = 0
    return c.file(), "within"


def root_claims_more(c):
    c.tree.length = c.rng.choice([len(c.blob) + 2, 0x8000, 0xFFFF])
    return c.file(), "within"


def root_claims_less(c):
    c.tree.length = c.rng.choice([0, 2, 6, 40, 92, len(c.blob) // 2])
    return c.file(), "within"


def child_length_zero(c):
    node = c.rng.choice([n for n in c.tree.walk() if n is not c.tree])
    node.length = 0
    return c.file(), "within"


def child_length_huge(c):
    node = c.rng.choice([n for n in c.tree.walk() if n is not c.tree])
    node.length = c.rng.choice([0x8000, 0xFFFF, 0xFFFE])
    return c.file(), "within"


def fixed_short(c):
    c.tree.value = c.tree.value[: c.rng.randrange(0, len(c.tree.value))]
    return c.file(), "within"


def fixed_bad_signature(c):
    value = bytearray(c.tree.value)
    struct.pack_into("<I", value, 0, c.rng.getrandbits(32) | 1)
    c.tree.value = bytes(value)
    return c.file(), "within"


def fixed_missing(c):
    c.tree.value = b""
    return c.file(), "within"


def fixed_claims_more(c):
    c.tree.value_length = c.rng.choice([53, 0x100, 0xFFFF])
    return c.file(), "within"


def byte_flips(c):
    blob = bytearray(c.blob)
    for _ in range(c.rng.randrange(1, 24)):
        blob[c.rng.randrange(len(blob))] = c.rng.getrandbits(8)
    return c.file(bytes(blob)), "within"


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
    return c.file(bytes(blob)), "within"


def random_blob(c):
    blob = bytes(c.rng.getrandbits(8) for _ in range(c.rng.randrange(0, 2048)))
    return c.file(blob), "within"


def random_tail(c):
    keep = c.rng.randrange(0, len(c.blob))
    tail = bytes(c.rng.getrandbits(8) for _ in range(c.rng.randrange(0, 512)))
    return c.file(c.blob[:keep] + tail), "within"


def keys_garbled(c):
    node = c.rng.choice(list(c.tree.walk()))
    node.key = "".join(chr(c.rng.randrange(0x20, 0x7F)) for _ in range(len(node.key)))
    return c.file(), "within"


def types_flipped(c):
    for node in c.tree.walk():
        if c.rng.random() < 0.5:
            node.type = c.rng.choice([0, 1, 2, 0xFFFF])
    return c.file(), "within"


def table_key_mismatch(c):
    c.tree.find("StringFileInfo").children[0].key = c.rng.choice(["040904B0", "040904e4", "0409", ""])
    return c.file(), "within"


def sixteen_bit(c):
    blob = bytearray(serialize16(c.tree))
    if c.rng.random() < 0.7:
        for _ in range(c.rng.randrange(1, 12)):
            blob[c.rng.randrange(len(blob))] = c.rng.getrandbits(8)
    return c.file(bytes(blob[: c.rng.randrange(4, len(blob) + 1)])), "within"


def no_version_resource(c):
    return c.file(type_id=c.rng.choice([3, 14, 17, 24])), "norow"


def no_resource_directory(c):
    return c.file(directory_rva=0, directory_size=0), "norow"


def directory_counts(c):
    return c.file(counts=(c.rng.choice([0, 1, 0x7FFF]), c.rng.choice([0x100, 0xFFFF]))), "within"


def leaf_past_end(c):
    return c.file(leaf_offset=c.rng.choice([0x1000, 0x7FFFFFF0, 0xFFFFFF00 & 0x7FFFFFFF])), "within"


def second_language_past_end(c):
    # Languages are tried neutral, the user's interface language, the
    # system's, US English, then the first. The test prefix's interface is US
    # English: 0x409 is chosen and its data lies past the end; for the other
    # two the first language, 0x407 with the real data, is.
    language = c.rng.choice([0x409, 0x809, 0x419])
    where = c.rng.choice([0x7FFFFFF0, c.module.rsrc_rva + 0x100000])
    return c.file(second_language=(language, where)), "norow" if language == 0x409 else "exact"


def not_a_module(c):
    kind = c.rng.randrange(3)
    if kind == 0:
        return bytes(c.rng.getrandbits(8) for _ in range(c.rng.randrange(0, 4096))), "norow"
    if kind == 1:
        return b"MZ" + bytes(c.rng.getrandbits(8) for _ in range(c.rng.randrange(0, 256))), "norow"
    return c.file()[: c.rng.randrange(0, c.module.rsrc_offset)], "norow"


DAMAGE = [
    truncated, truncated_consistent, size_past_end, size_huge, address_past_end, zero_size, file_cut,
    translation_zero, translation_odd, translation_claims_more, unterminated, unterminated_last, huge_string,
    string_claims_more, string_claims_zero, root_claims_more, root_claims_less, child_length_zero,
    child_length_huge, fixed_short, fixed_bad_signature, fixed_missing, fixed_claims_more, byte_flips,
    header_flips, random_blob, random_tail, keys_garbled, types_flipped, table_key_mismatch, sixteen_bit,
    no_version_resource, no_resource_directory, directory_counts, leaf_past_end, second_language_past_end,
    not_a_module,
]


# --- Lookup, mapping, 16-bit modules, special files ---------------------------
#
# Files that are not damaged in their version data but in how it is found:
# each has one right answer, the texts the file really holds as the loader
# maps it, or none.

PAST_END = 0x7FFFFFF0


class Section:
    """A resource section written by hand: directories, leaves and data."""

    def __init__(self, module):
        self.module = module
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
        return self.module.rsrc_rva + self.put(blob)

    def chain(self, leaf, language=0x409, type_flag=0x80000000, name_flag=0x80000000):
        """Name 1 and one language over `leaf`: the type entry's target."""
        languages = self.directory([(language, leaf)])
        return type_flag | self.directory([(1, name_flag | languages)])


def good_leaf(sec, blob, size=None):
    rva = sec.blob(blob)
    return sec.leaf(rva, len(blob) if size is None else size)


def lookup_named_beside_numbered(c):
    # A named type first, whose data lies past the end; the numbered 16 after it.
    sec = Section(c.module)
    root = sec.directory([(0, 0), (0, 0)], named=1)
    name = sec.put(struct.pack("<H", 7) + "VERSION".encode("utf-16-le"))
    struct.pack_into("<IIII", sec.out, root + 16, 0x80000000 | name, sec.chain(sec.leaf(PAST_END, 600)),
                     RT_VERSION, sec.chain(good_leaf(sec, c.blob)))
    return c.module.build(bytes(sec.out)), "exact"


def lookup_string_flag(c):
    # The string flag on the type entry: the loader compares its low word.
    sec = Section(c.module)
    root = sec.directory([(0, 0)])
    struct.pack_into("<II", sec.out, root + 16, 0x80000000 | RT_VERSION, sec.chain(good_leaf(sec, c.blob)))
    return c.module.build(bytes(sec.out)), "exact"


def lookup_duplicate_ids(c):
    # Three entries of one number: the binary search lands on the middle one.
    sec = Section(c.module)
    types = c.rng.random() < 0.5
    root = sec.directory([(0, 0)] * (3 if types else 1))
    good = good_leaf(sec, c.blob)
    bad = sec.leaf(PAST_END, 600)
    if types:
        for i, leaf in enumerate([bad, good, bad]):
            struct.pack_into("<II", sec.out, root + 16 + 8 * i, RT_VERSION, sec.chain(leaf))
    else:
        languages = [sec.directory([(0x409, leaf)]) for leaf in (bad, good, bad)]
        names = sec.directory([(1, 0x80000000 | d) for d in languages])
        struct.pack_into("<II", sec.out, root + 16, RT_VERSION, 0x80000000 | names)
    return c.module.build(bytes(sec.out)), "exact"


def lookup_no_directory_flag(c):
    # A type or name entry that does not say "directory": the loader takes it
    # for no entry, and so finds no version resource.
    sec = Section(c.module)
    root = sec.directory([(0, 0)])
    level = c.rng.choice(["type", "name"])
    target = sec.chain(good_leaf(sec, c.blob), type_flag=0 if level == "type" else 0x80000000,
                       name_flag=0 if level == "name" else 0x80000000)
    struct.pack_into("<II", sec.out, root + 16, RT_VERSION, target)
    return c.module.build(bytes(sec.out)), "norow"


def lookup_many_languages(c):
    # More than 4096 languages, every one leading to the data.
    sec = Section(c.module)
    count = c.rng.choice([4097, 6000, 20000])
    root = sec.directory([(0, 0)])
    names = sec.directory([(0, 0)])
    languages = sec.directory([(language, 0) for language in range(1, count + 1)])
    leaf = good_leaf(sec, c.blob)
    struct.pack_into("<II", sec.out, root + 16, RT_VERSION, 0x80000000 | names)
    struct.pack_into("<II", sec.out, names + 16, 1, 0x80000000 | languages)
    for i in range(count):
        struct.pack_into("<I", sec.out, languages + 16 + 8 * i + 4, leaf)
    return c.module.build(bytes(sec.out)), "exact"


def lookup_huge_claim(c):
    # The entry claims hundreds of megabytes; the root block is all that is read.
    sec = Section(c.module)
    root = sec.directory([(0, 0)])
    size = c.rng.choice([300 << 20, 700 << 20, 0x3FFFFFFF])
    struct.pack_into("<II", sec.out, root + 16, RT_VERSION, sec.chain(good_leaf(sec, c.blob, size)))
    return c.module.build(bytes(sec.out)), "exact"


def standard_section(c):
    sec = Section(c.module)
    root = sec.directory([(0, 0)])
    struct.pack_into("<II", sec.out, root + 16, RT_VERSION, sec.chain(good_leaf(sec, c.blob)))
    return sec


def mapping_raw_pointer_unaligned(c):
    # The loader reads a section from its raw pointer rounded down to 512:
    # the data is there, not where the pointer points.
    data = bytearray(c.module.build(bytes(standard_section(c).out)))
    shift = c.rng.choice([4, 0x40, 0x100, 0x1FC])
    struct.pack_into("<I", data, c.module.rsrc_header + 20, c.module.rsrc_offset + shift)
    return bytes(data) + b"\0" * 512, "exact"


def mapping_data_past_virtual_size(c):
    # The data lies in the raw bytes past the section's virtual size, which
    # the loader maps as zeros: no version data.
    sec = Section(c.module)
    root = sec.directory([(0, 0)])
    leaf = sec.leaf(0, len(c.blob))
    struct.pack_into("<II", sec.out, root + 16, RT_VERSION, sec.chain(leaf))
    rva = sec.blob(c.blob)
    struct.pack_into("<I", sec.out, leaf, rva)
    data = bytearray(c.module.build(bytes(sec.out)))
    struct.pack_into("<I", data, c.module.rsrc_header + 8, rva - c.module.rsrc_rva)
    return bytes(data), "norow"


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
    sec = Section(c.module)
    root = sec.directory([(0, 0)])
    leaf = sec.leaf(0, len(c.blob))
    struct.pack_into("<II", sec.out, root + 16, RT_VERSION, sec.chain(leaf))
    data, rva = add_section(c.module.build(bytes(sec.out)), c.module, b".vdata", c.blob)
    struct.pack_into("<I", data, c.module.rsrc_offset + leaf, rva)
    return bytes(data), "exact"


def mapping_directory_in_headers(c):
    # The resource directory in the headers' spare room, the data in .rsrc.
    data = bytearray(c.module.build(c.blob))
    tree = bytearray()
    tree += struct.pack("<IIHHHHII", 0, 0, 4, 0, 0, 1, RT_VERSION, 0x80000000 | 24)
    tree += struct.pack("<IIHHHHII", 0, 0, 4, 0, 0, 1, 1, 0x80000000 | 48)
    tree += struct.pack("<IIHHHHII", 0, 0, 4, 0, 0, 1, 0x409, 72)
    tree += struct.pack("<IIII", c.module.rsrc_rva, len(c.blob), 0, 0)
    at = 0x300
    assert at + len(tree) <= 0x400
    data[at:at + len(tree)] = tree
    struct.pack_into("<II", data, c.module.resource_directory, at, len(tree))
    return bytes(data), "exact"


def mapping_pe32_plus(c):
    # The same module as a PE32+ image: wider fields, directories 16 bytes on.
    data = bytearray(c.module.build(bytes(standard_section(c).out)))
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
    return bytes(data), "exact"


# --- 16-bit modules ------------------------------------------------------------


def ne_module(blob16, types, shift=4):
    """A 16-bit NE module: `types` are (type id, [(name id, data or None)])
    records, data None for a resource of no bytes; the version data is blob16."""
    out = bytearray(0x200)
    struct.pack_into("<2s58xI", out, 0, b"MZ", 0x80)
    data_at = 0x400
    table = bytearray(struct.pack("<H", shift))
    payload = bytearray()
    for type_id, names in types:
        table += struct.pack("<HHI", type_id, len(names), 0)
        for name_id, data in names:
            data = blob16 if data is None else data
            offset = data_at + len(payload)
            length = align(len(data), 1 << shift)
            payload += data + b"\0" * (length - len(data))
            table += struct.pack("<HHHHHH", offset >> shift, length >> shift, 0x30, name_id, 0, 0)
    return out, table, payload


def write_ne(out, table, payload, terminate=True, restab_delta=None):
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
    blob = serialize16(c.tree)
    others = [(0x8003, [(0x8001, b"icon" * 8), (0x8002, b"icon" * 4)])] if c.rng.random() < 0.5 else []
    out, table, payload = ne_module(blob, others + [(0x8010, [(0x8002, b"x" * 16), (0x8001, None)])])
    return write_ne(out, table, payload), "exact"


def ne_endless_type(c):
    # A type that claims 65535 names and no terminator: the table ends first.
    out, table, payload = ne_module(serialize16(c.tree), [(0x8003, [(0x8001, b"icon" * 8)])])
    struct.pack_into("<H", table, 2 + 2, 0xFFFF)
    return write_ne(out, table, payload, terminate=False), "norow"


def ne_names_past_table(c):
    # The version type claims more names than the table holds, and the
    # version name is not among those it holds.
    out, table, payload = ne_module(serialize16(c.tree), [(0x8010, [(0x8002, b"x" * 16)])])
    struct.pack_into("<H", table, 2 + 2, c.rng.choice([2, 100, 0xFFFF]))
    return write_ne(out, table, payload, terminate=False), "norow"


def ne_table_inverted(c):
    # The resident-name table before the resource table: a table of no size.
    out, table, payload = ne_module(serialize16(c.tree), [(0x8010, [(0x8001, None)])])
    return write_ne(out, table, payload, restab_delta=c.rng.choice([0, -2, -0x40])), "norow"


LOOKUP = [lookup_named_beside_numbered, lookup_string_flag, lookup_duplicate_ids, lookup_no_directory_flag,
          lookup_many_languages, lookup_huge_claim]
MAPPING = [mapping_raw_pointer_unaligned, mapping_data_past_virtual_size, mapping_data_in_other_section,
           mapping_directory_in_headers, mapping_pe32_plus]
SIXTEEN_BIT = [ne_version, ne_endless_type, ne_names_past_table, ne_table_inverted]


def special_files(module, blob, folder, write):
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
    if serialize32(parse32(blob)) != blob:
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
        write("control", *control(Case(module, blob, rng)))
    for _ in range(args.count):
        for damage in DAMAGE + LOOKUP + MAPPING + SIXTEEN_BIT:
            write(damage.__name__, *damage(Case(module, blob, random.Random(rng.getrandbits(64)))))
    special_files(module, blob, args.outdir, write)
    with open(os.path.join(args.outdir, "manifest.tsv"), "w", newline="\n") as handle:
        handle.write("#seed\t%d\n" % args.seed)
        handle.writelines(lines)
    print("make_bad_versions: seed %d, %d files in %s" % (args.seed, len(lines), args.outdir))


if __name__ == "__main__":
    main()
