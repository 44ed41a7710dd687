"""The test suite's own reader of the UCD text files in ../shared/ucd.

Expected values in the tests come from here, never from the module under test.
"""
import functools
import pathlib

UCD = pathlib.Path(__file__).resolve().parents[3] / "shared" / "ucd"
CURRENT = UCD / "18.0.0"
V320 = UCD / "3.2.0"


def data_lines(path, separator=";"):
    """Yields the fields of each data line (comments and blank lines dropped)."""
    with open(path, encoding="utf-8") as f:
        for line in f:
            line = line.split("#", 1)[0].strip()
            if line:
                yield [field.strip() for field in line.split(separator)]


def code_point_range(text):
    first, _, last = text.partition("..")
    return int(first, 16), int(last or first, 16)


@functools.lru_cache(maxsize=None)
def unicode_data(directory=CURRENT):
    """Code point -> the 15 fields of its UnicodeData.txt line; First/Last ranges expanded
    (each member gets the First line's fields with the range's name)."""
    entries = {}
    pending = None
    for fields in data_lines(directory / "UnicodeData.txt"):
        cp = int(fields[0], 16)
        if fields[1].endswith(", First>"):
            pending = (cp, fields)
        elif fields[1].endswith(", Last>"):
            first, first_fields = pending
            for member in range(first, cp + 1):
                entries[member] = first_fields
            pending = None
        else:
            entries[cp] = fields
    return entries
