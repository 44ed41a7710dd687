"""The suite's reader of the UCD's `range ; [property ;] value` files, @missing lines
included, and of the value aliases; expected property values come from here."""
import functools

from ucd_data import CURRENT, code_point_range, data_lines

CODE_POINTS = 0x110000
MISSING = "# @missing:"


def property_values(path, prop=None):
    """A list of the raw value of `prop` (the second field; None for a file of one
    property) for every code point: @missing defaults in file order, then the data lines."""
    values = [None] * CODE_POINTS
    value_field = 1 if prop is None else 2
    with open(path, encoding="utf-8") as f:
        for line in f:
            if not line.startswith(MISSING):
                continue
            fields = [x.strip() for x in line[len(MISSING):].split(";")]
            if prop is not None and (len(fields) != 3 or fields[1] != prop):
                continue
            first, last = code_point_range(fields[0])
            values[first:last + 1] = [fields[value_field]] * (last - first + 1)
    for fields in data_lines(path):
        if prop is not None and fields[1] != prop:
            continue
        first, last = code_point_range(fields[0])
        values[first:last + 1] = [fields[value_field]] * (last - first + 1)
    assert None not in values, f"{path}: code points without a value"
    return values


@functools.lru_cache(maxsize=None)
def value_aliases(prop):
    """Any alias of a value of `prop` -> its short alias, from PropertyValueAliases.txt."""
    aliases = {}
    for fields in data_lines(CURRENT / "PropertyValueAliases.txt"):
        if fields[0] == prop:
            for alias in fields[1:]:
                aliases[alias] = fields[1]
    return aliases


@functools.lru_cache(maxsize=None)
def scripts():
    short = value_aliases("sc")
    return [short[v] for v in property_values(CURRENT / "Scripts.txt")]


@functools.lru_cache(maxsize=None)
def script_extensions():
    script = scripts()
    raw = property_values(CURRENT / "ScriptExtensions.txt")
    return [(script[cp],) if v == "<script>" else tuple(v.split()) for cp, v in enumerate(raw)]


@functools.lru_cache(maxsize=None)
def blocks():
    return property_values(CURRENT / "Blocks.txt")


@functools.lru_cache(maxsize=None)
def ages():
    short = value_aliases("age")
    return [short[v] for v in property_values(CURRENT / "DerivedAge.txt")]
