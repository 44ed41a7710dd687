"""The suite's reader of the UCD's `range ; [property ;] value` files, @missing lines
included, and of the value aliases; expected property values come from here."""
import functools
import pathlib

import ucd_data
import ucd_numeric
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


# ---- Every property of PropertyAliases.txt, as the suite derives it ----

GENERATOR_DATA = pathlib.Path(__file__).resolve().parents[2] / "generator" / "data"
NAMED_FILES = ["PropList.txt", "DerivedCoreProperties.txt", "emoji/emoji-data.txt",
               "DerivedNormalizationProps.txt"]


def loose(name):
    """A property or value name as loose matching compares it."""
    key = "".join(c for c in name.lower() if c not in " \t\n\r\f\v_-")
    return key[2:] if key.startswith("is") and len(key) > 2 else key


@functools.lru_cache(maxsize=None)
def property_list():
    """(type, aliases) of every property in PropertyAliases.txt order, the type being the
    section heading above it ("Binary", "Enumerated", ...); the ideograph databases'
    fields (long names "k" and a capital letter) left out."""
    result, kind = [], None
    with open(CURRENT / "PropertyAliases.txt", encoding="utf-8") as f:
        for line in f:
            line = line.rstrip("\n")
            words = line.split()
            if len(words) == 3 and words[0] == "#" and words[2] == "Properties":
                kind = words[1]
                continue
            data = line.split("#", 1)[0].strip()
            if not data:
                continue
            aliases = [a.strip() for a in data.split(";")]
            if not (aliases[1][0] == "k" and aliases[1][1].isupper()):
                result.append((kind, aliases))
    return result


@functools.lru_cache(maxsize=None)
def value_alias_lists(prop):
    """The values of `prop` in PropertyValueAliases.txt order, each as its list of aliases."""
    return [fields[1:] for fields in data_lines(CURRENT / "PropertyValueAliases.txt") if fields[0] == prop]


@functools.lru_cache(maxsize=None)
def short_of(prop):
    """Any alias of a value of `prop`, loosely matched -> the value's short alias."""
    return {loose(alias): aliases[0] for aliases in value_alias_lists(prop) for alias in aliases}


def missing_lines(path):
    """The fields of each @missing line of a file."""
    with open(path, encoding="utf-8") as f:
        for line in f:
            if line.startswith(MISSING):
                yield [x.strip() for x in line[len(MISSING):].split("#", 1)[0].split(";")]


def fill(values, fields, value):
    first, last = code_point_range(fields[0])
    values[first:last + 1] = [value] * (last - first + 1)


def file_values(path, long_name, field=1, default=None):
    """The raw value of every code point of a one-property file (value in `field`):
    PropertyValueAliases.txt's default for the property, then the file's own @missing
    lines, then its data lines; `default` where none of these gives one."""
    values = [default] * CODE_POINTS
    for fields in missing_lines(CURRENT / "PropertyValueAliases.txt"):
        if fields[1] == long_name:
            fill(values, fields, fields[2])
    for fields in missing_lines(path):
        fill(values, fields, fields[1])
    for fields in data_lines(path):
        fill(values, fields, fields[field])
    return values


@functools.lru_cache(maxsize=None)
def named_lines():
    """Property -> (@missing lines, data lines) of the files whose lines name their property."""
    found = {}
    for name in NAMED_FILES:
        for fields in missing_lines(CURRENT / name):
            found.setdefault(fields[1], ([], []))[0].append(fields)
        for fields in data_lines(CURRENT / name):
            found.setdefault(fields[1], ([], []))[1].append(fields)
    return found


def named_values(short, long_name):
    """A property of the files that name it; DerivedNormalizationProps.txt and
    DerivedCoreProperties.txt name some by their short alias."""
    missing, lines = named_lines().get(long_name) or named_lines()[short]
    values = [None] * CODE_POINTS
    for fields in missing + lines:
        fill(values, fields, fields[2])
    return values


def binary_values(short, long_name):
    values = [False] * CODE_POINTS
    if short == "Bidi_M":
        for cp, fields in ucd_data.unicode_data().items():
            values[cp] = fields[9] == "Y"
    elif short == "CE":
        for fields in data_lines(CURRENT / "CompositionExclusions.txt"):
            fill(values, fields, True)
    else:
        for fields in named_lines()[long_name][1]:
            assert len(fields) == 2, fields
            fill(values, fields, True)
    return values


def unicode_data_values(field, default):
    values = [default] * CODE_POINTS
    for cp, fields in ucd_data.unicode_data().items():
        values[cp] = fields[field]
    return values


def bidi_classes():
    values = [None] * CODE_POINTS
    for fields in missing_lines(GENERATOR_DATA / "bidi-class-defaults.txt"):
        fill(values, fields, fields[1])
    listed = ucd_data.unicode_data()
    for prop in ("Default_Ignorable_Code_Point", "Noncharacter_Code_Point"):
        for fields in named_lines()[prop][1]:
            first, last = code_point_range(fields[0])
            for cp in range(first, last + 1):
                values[cp] = "BN"
    for cp, fields in listed.items():
        values[cp] = fields[4]
    return values


def decomposition_types():
    values = ["None"] * CODE_POINTS
    for cp, fields in ucd_data.unicode_data().items():
        mapping = fields[5]
        if mapping.startswith("<"):
            values[cp] = mapping[1:mapping.index(">")]
        elif mapping or fields[1] == "<Hangul Syllable, First>":
            values[cp] = "Canonical"
    return values


def numeric_types():
    values = ["None"] * CODE_POINTS
    _, _, numeric = ucd_numeric.values()
    for cp in numeric:
        values[cp] = "Numeric"
    for cp, fields in ucd_data.unicode_data().items():
        if fields[6]:
            values[cp] = "Decimal"
        elif fields[7]:
            values[cp] = "Digit"
    return values


def joining_types():
    values = file_values(CURRENT / "ArabicShaping.txt", "Joining_Type", 2)
    categories = unicode_data_values(2, "Cn")
    return [v if v is not None else "T" if categories[cp] in ("Mn", "Me", "Cf") else "U"
            for cp, v in enumerate(values)]


ONE_PROPERTY_FILES = {
    "bpt": ("BidiBrackets.txt", 2), "ea": ("EastAsianWidth.txt", 1),
    "GCB": ("auxiliary/GraphemeBreakProperty.txt", 1), "WB": ("auxiliary/WordBreakProperty.txt", 1),
    "SB": ("auxiliary/SentenceBreakProperty.txt", 1), "hst": ("HangulSyllableType.txt", 1),
    "InPC": ("IndicPositionalCategory.txt", 1), "InSC": ("IndicSyllabicCategory.txt", 1),
    "lb": ("LineBreak.txt", 1), "vo": ("VerticalOrientation.txt", 1),
}


def raw_enumerated(short, long_name):
    if short in ONE_PROPERTY_FILES:
        name, field = ONE_PROPERTY_FILES[short]
        return file_values(CURRENT / name, long_name, field)
    derived = {
        "gc": lambda: unicode_data_values(2, "Cn"),
        "bc": bidi_classes,
        "dt": decomposition_types,
        "nt": numeric_types,
        "jt": joining_types,
        "jg": lambda: file_values(CURRENT / "ArabicShaping.txt", long_name, 3, "No_Joining_Group"),
    }
    if short in derived:
        return derived[short]()
    return named_values(short, long_name)


def expected_values(aliases):
    """What `property` gives for every code point: bool, int, float or None, or a short
    value alias."""
    kind, (short, long_name) = property_kind(aliases), aliases[:2]
    if kind == "Binary":
        return binary_values(short, long_name)
    if short == "ccc":
        return [int(v) for v in unicode_data_values(3, "0")]
    if short == "nv":
        _, _, numeric = ucd_numeric.values()
        return [numeric.get(cp) for cp in range(CODE_POINTS)]
    if short in ("sc", "age"):
        return scripts() if short == "sc" else ages()
    if short == "blk":
        raw = blocks()
    else:
        raw = raw_enumerated(short, long_name)
    table = short_of(short)
    return [table[loose(v)] for v in raw]


def property_kind(aliases):
    return next(kind for kind, a in property_list() if a == aliases)
