"""Helpers of the command-line tests: running the installed `charlore` command as a
subprocess, reading its table back into cells, and the rows it should print, derived from
the UCD files (never from the module)."""
import json
import pathlib
import subprocess
import sys
from fractions import Fraction

import test_record_properties as records
import ucd_properties
from ucd_data import CURRENT, V320, unicode_data

COMMAND = pathlib.Path(sys.executable).with_name("charlore")
COLUMNS = ["code point", "char", "name", "category", "script", "block", "age", "bidirectional",
           "combining", "east_asian_width", "mirrored", "decomposition", "numeric"]
UNSHOWN_CATEGORIES = {"Cc", "Cf", "Cs", "Co", "Cn", "Zl", "Zp"}


def run(*arguments, stdin=b""):
    """Runs the command with the arguments (str or bytes) and standard input bytes;
    returns the finished process with stdout and stderr as bytes."""
    return subprocess.run([str(COMMAND), *arguments], input=stdin, capture_output=True, timeout=120)


def run_json(*arguments, stdin=b""):
    """Runs the command with --json and returns the parsed document (it must succeed)."""
    done = run("--json", *arguments, stdin=stdin)
    assert done.returncode == 0 and done.stderr == b"", done.stderr
    return json.loads(done.stdout)


def one_error_line(done):
    """The one line a failed run wrote on standard error (asserting it is just that)."""
    assert done.returncode != 0
    lines = done.stderr.decode("utf-8").splitlines()
    assert len(lines) == 1 and lines[0].startswith("charlore: "), lines
    return lines[0]


def display_width(text):
    """Terminal columns of text, from EastAsianWidth.txt and the categories of UnicodeData.txt."""
    width = 0
    for ch in text:
        category, _, _, _, east_asian_width = records.current_values(ord(ch))
        if category in ("Mn", "Me", "Cf"):
            continue
        width += 2 if east_asian_width in ("W", "F") else 1
    return width


def table_cells(line, starts):
    """Cuts a table line into cells at the given display columns."""
    cells, column, current = [], 0, []
    boundaries = list(starts[1:]) + [None]
    for ch in line:
        if boundaries[0] is not None and column >= boundaries[0]:
            cells.append("".join(current).rstrip(" "))
            current = []
            boundaries.pop(0)
        current.append(ch)
        column += display_width(ch)
    cells.append("".join(current).rstrip(" "))
    return cells + [""] * (len(starts) - len(cells))


def read_table(text):
    """The rows of a printed table as lists of cells; the header fixes the columns."""
    lines = text.splitlines()
    header = lines[0]
    starts = [header.index(title) for title in COLUMNS]
    assert table_cells(header, starts) == COLUMNS
    return [table_cells(line, starts) for line in lines[1:]]


def _decomposition(cp, fields):
    if 0xAC00 <= cp <= 0xD7A3:
        s = cp - 0xAC00
        parts = [0x1100 + s // 588, 0x1161 + s % 588 // 28] + ([0x11A7 + s % 28] if s % 28 else [])
        return " ".join(f"{part:04X}" for part in parts)
    return fields[5] if fields else ""


def _numeric(field):
    return None if field == "" else float(Fraction(field))


def expected_row(ch, version="18.0.0"):
    """The row the command prints for ch with --json on the given database version, from
    the UCD files. Only for characters whose numeric value UnicodeData.txt gives (or that
    have none), since the Unihan values are not read here. Script, block and age come from
    the current files only; the 3.2.0 rows have none."""
    import ucd_names  # the suite's own names, derived from the UCD files

    cp = ord(ch)
    old = version == "3.2.0"
    category, combining, bidirectional, mirrored, width = (
        records.v320_values(cp) if old else records.current_values(cp))
    fields = unicode_data(V320 if old else CURRENT).get(cp)
    current_fields = unicode_data(CURRENT).get(cp)
    names = ucd_names.v320_names() if old else ucd_names.current_names()
    return {
        "code_point": f"U+{cp:04X}",
        "character": ch,
        "name": names.get(cp),
        "category": category,
        "script": None if old else ucd_properties.scripts()[cp],
        "script_extensions": None if old else list(ucd_properties.script_extensions()[cp]),
        "block": None if old else ucd_properties.blocks()[cp],
        "age": None if old else ucd_properties.ages()[cp],
        "bidirectional": bidirectional,
        "combining": combining,
        "east_asian_width": width,
        "mirrored": mirrored,
        # The 3.2.0 object gives today's mapping of every character it knows.
        "decomposition": _decomposition(cp, current_fields) if fields else "",
        "numeric": _numeric(fields[8]) if fields else None,
    }
