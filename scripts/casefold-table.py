#!/usr/bin/env python3
"""Writes src/platform/casefoldtable.h, the letters whose case the file system ignores.

    python3 scripts/casefold-table.py > src/platform/casefoldtable.h

Windows compares file names by upper-casing each UTF-16 unit (simple, one-to-one mappings; the
Basic Multilingual Plane only). Two names are one file when their upper cases are equal, so each
letter is folded to lower(upper(c)): equal upper cases give equal folds. A letter whose fold would
upper-case to something else (the Kelvin sign would become "k", yet Windows keeps it apart from
"K") keeps its own form. ASCII is left to the caller, which lower-cases it.
"""
import sys
import unicodedata


def upper(c):
    # Python gives the full mappings; where one is longer than a letter, the title case is the
    # simple mapping when it is one letter ("ᾳ" -> "ᾼ"), else there is none ("ß").
    for mapped in (c.upper(), c.title()):
        if len(mapped) == 1:
            return mapped
    return c


def lower(c):
    mapped = c.lower()
    return mapped if len(mapped) == 1 else c


def folds():
    table = {}
    for point in range(0x80, 0x10000):
        if 0xD800 <= point < 0xE000:
            continue
        c = chr(point)
        folded = lower(upper(c))
        if folded != c and upper(folded) == upper(c):
            table[point] = ord(folded)
    return table


def runs(table):
    """Code points first, first+stride, ... (count of them), each moved by the same delta."""
    items = sorted(table.items())
    at = 0
    while at < len(items):
        first, target = items[at]
        delta = target - first
        best = (1, 1)
        for stride in (1, 2):
            count = 1
            while (at + count < len(items) and items[at + count][0] == first + count * stride
                   and items[at + count][1] - items[at + count][0] == delta):
                count += 1
            if count > best[0]:
                best = (count, stride)
        yield first, best[0], best[1], delta
        at += best[0]


def main():
    rows = list(runs(folds()))
    out = sys.stdout
    out.write("// Made by scripts/casefold-table.py from Python's Unicode %s data; do not edit.\n"
              % unicodedata.unidata_version)
    out.write("// Each row: the first code point, how many, the step between them, the amount each"
              " is moved by.\n")
    out.write("#pragma once\n\n#include <cstdint>\n\nnamespace iconlane::casefold {\n\n")
    out.write("struct Run {\n    std::uint16_t first, count, step;\n    std::int32_t delta;\n};\n\n")
    out.write("// clang-format off\ninline constexpr Run kRuns[] = {\n")
    line = "   "
    for first, count, stride, delta in rows:
        cell = " {0x%04X, %d, %d, %d}," % (first, count, stride, delta)
        if len(line) + len(cell) > 100:
            out.write(line + "\n")
            line = "   "
        line += cell
    out.write(line + "\n};\n// clang-format on\n\n}  // namespace iconlane::casefold\n")


main()
