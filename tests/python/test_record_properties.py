"""The five record property queries against values derived here from the UCD files,
for every code point, on the module (UCD 18.0.0) and on ucd_3_2_0 (Unicode 3.2.0)."""
import functools

import pytest

import charlore
from ucd_data import CURRENT, V320, code_point_range, data_lines, unicode_data

WIDE_DEFAULT_RANGES = [(0x3400, 0x4DBF), (0x4E00, 0x9FFF), (0xF900, 0xFAFF),
                       (0x20000, 0x2FFFD), (0x30000, 0x3FFFD)]
UNASSIGNED = ("Cn", 0, "", 0)  # category, combining, bidirectional, mirrored


@functools.lru_cache(maxsize=None)
def widths(directory):
    """East_Asian_Width per code point; unlisted ones take the file's defaults."""
    table = {}
    for first, last in WIDE_DEFAULT_RANGES:
        for cp in range(first, last + 1):
            table[cp] = "W"
    for fields in data_lines(directory / "EastAsianWidth.txt"):
        first, last = code_point_range(fields[0])
        for cp in range(first, last + 1):
            table[cp] = fields[1]
    return table


def current_values(cp):
    fields = unicode_data(CURRENT).get(cp)
    base = UNASSIGNED if fields is None else (fields[2], int(fields[3]), fields[4], int(fields[9] == "Y"))
    return base + (widths(CURRENT).get(cp, "N"),)


def v320_values(cp):
    """What each query answers as of Unicode 3.2.0: the 3.2.0 files for characters assigned
    then; a character added later has no properties; one unassigned in both keeps today's."""
    fields = unicode_data(V320).get(cp)
    if fields is not None:
        return (fields[2], int(fields[3]), fields[4], int(fields[9] == "Y"), widths(V320).get(cp, "N"))
    if cp in unicode_data(CURRENT):
        return UNASSIGNED + ("N",)
    return current_values(cp)


QUERIES = ["category", "combining", "bidirectional", "mirrored", "east_asian_width"]


@pytest.mark.parametrize("database, expected", [(charlore, current_values),
                                                (charlore.ucd_3_2_0, v320_values)],
                         ids=["module", "ucd_3_2_0"])
def test_every_code_point(database, expected):
    queries = [getattr(database, q) for q in QUERIES]
    mismatches = []
    for cp in range(0x110000):
        ch = chr(cp)
        got = tuple(q(ch) for q in queries)
        if got != expected(cp):
            mismatches.append((hex(cp), got, expected(cp)))
    assert mismatches[:20] == []


@pytest.mark.parametrize("ch, category, combining, bidirectional, mirrored, width", [
    ("\u0000", "Cc", 0, "BN", 0, "N"),
    ("\u0028", "Ps", 0, "ON", 1, "Na"),
    ("\u0300", "Mn", 230, "NSM", 0, "A"),
    ("\u0378", "Cn", 0, "", 0, "N"),       # unassigned: no default bidirectional class
    ("\u0590", "Cn", 0, "", 0, "N"),       # unassigned in a right-to-left block
    ("\uAC00", "Lo", 0, "L", 0, "W"),
    ("\uD800", "Cs", 0, "L", 0, "N"),
    ("\uE000", "Co", 0, "L", 0, "A"),
    ("\uFA6E", "Cn", 0, "", 0, "W"),       # unassigned inside a wide default range
    ("\uFDD0", "Cn", 0, "", 0, "N"),
    ("\U0002FFFE", "Cn", 0, "", 0, "N"),   # just past the plane-2 wide default range
    ("\U0003FFFD", "Cn", 0, "", 0, "W"),
    ("\U0010FFFF", "Cn", 0, "", 0, "N"),
])
def test_reference_values(ch, category, combining, bidirectional, mirrored, width):
    assert (charlore.category(ch), charlore.combining(ch), charlore.bidirectional(ch),
            charlore.mirrored(ch), charlore.east_asian_width(ch)) == (
        category, combining, bidirectional, mirrored, width)


@pytest.mark.parametrize("query, ch, old, current", [
    ("category", "\u0221", "Cn", "Ll"),          # added after 3.2.0
    ("bidirectional", "\u0221", "", "L"),
    ("combining", "\u0487", 0, 230),
    ("east_asian_width", "\U0001F600", "N", "W"),
    ("mirrored", "\u0F3A", 0, 1),
    ("mirrored", "\u29A1", 1, 0),
    ("category", "\u00AD", "Pd", "Cf"),
    ("bidirectional", "\u00AD", "ON", "BN"),
    ("bidirectional", "\u002B", "ET", "ES"),
    ("bidirectional", "\u002F", "ES", "CS"),
    ("category", "\u10D0", "Lo", "Ll"),
    ("category", "\u200B", "Zs", "Cf"),
    ("east_asian_width", "\u231A", "N", "W"),
    ("east_asian_width", "\uFA6E", "W", "W"),    # unassigned in both: no change recorded
    ("category", "\U0010FFFF", "Cn", "Cn"),
])
def test_v320_changes(query, ch, old, current):
    assert getattr(charlore.ucd_3_2_0, query)(ch) == old
    assert getattr(charlore, query)(ch) == current
    assert getattr(charlore.UCD, query)(charlore.ucd_3_2_0, ch) == old


@pytest.mark.parametrize("query", QUERIES)
@pytest.mark.parametrize("argument", ["", "ab", 65, None, b"A", "\U0010FFFF\U0010FFFF"])
def test_argument_must_be_one_character(database, query, argument):
    with pytest.raises(TypeError, match=query):
        getattr(database, query)(argument)


def test_str_subclass_and_lone_surrogate(database):
    class Text(str):
        pass
    assert database.category(Text("A")) == "Lu"
    assert database.category("\udc80") == "Cs"
