"""The test suite's own reader of the break test files and break property files of UCD
18.0.0, for the segmentation tests."""
import dataclasses
import functools
import re

from ucd_data import CURRENT, code_point_range, data_lines

AUXILIARY = CURRENT / "auxiliary"


@dataclasses.dataclass
class BreakCase:
    line: int
    text: str
    boundaries: list      # offsets of the ÷ marks inside the text (0 and len excluded)
    rules: list           # the rule number shown for each position 0..len


def break_cases(name):
    """Every case of auxiliary/<name>BreakTest.txt."""
    cases = []
    with open(AUXILIARY / f"{name}BreakTest.txt", encoding="utf-8") as f:
        for number, raw in enumerate(f, 1):
            data, _, comment = raw.partition("#")
            tokens = data.split()
            if not tokens:
                continue
            text, boundaries = [], []
            for token in tokens:
                if token == "÷":
                    boundaries.append(len(text))
                elif token != "×":
                    text.append(chr(int(token, 16)))
            rules = re.findall(r"[÷×] \[([0-9.]+)\]", comment)
            inner = [b for b in boundaries if 0 < b < len(text)]
            cases.append(BreakCase(number, "".join(text), inner, rules))
    return cases


def describe_failure(case, got):
    """A failing line: where the module's boundaries differ and the rules the file names there."""
    wrong = sorted(set(got) ^ set(case.boundaries))
    rules = ", ".join(f"{offset}: rule {case.rules[offset]}" for offset in wrong if offset < len(case.rules))
    return f"line {case.line}: {case.text!r} expected {case.boundaries}, got {got} ({rules})"


@functools.lru_cache(maxsize=None)
def property_values(path, default):
    """Code point -> value of a one-property file (unlisted code points omitted); and the default."""
    values = {}
    for fields in data_lines(path):
        first, last = code_point_range(fields[0])
        for cp in range(first, last + 1):
            values[cp] = fields[1]
    return values


def grapheme_break(cp):
    return property_values(AUXILIARY / "GraphemeBreakProperty.txt", "Other").get(cp, "Other")


def word_break(cp):
    return property_values(AUXILIARY / "WordBreakProperty.txt", "Other").get(cp, "Other")


def line_break(cp):
    return property_values(CURRENT / "LineBreak.txt", "XX").get(cp, "XX")


@functools.lru_cache(maxsize=None)
def binary_property(path, name):
    """The code points a file lists under the binary property `name`."""
    members = set()
    for fields in data_lines(path):
        if fields[1] == name:
            first, last = code_point_range(fields[0])
            members.update(range(first, last + 1))
    return frozenset(members)


def emoji_property(name):
    return binary_property(CURRENT / "emoji" / "emoji-data.txt", name)


ZERO_WIDTH_CATEGORIES = {"Mn", "Me", "Cf", "Cc", "Zl", "Zp"}


def single_character_width(cp):
    """The columns of a cluster made of the one character cp, from the UCD files."""
    return single_character_widths()[cp]


@functools.lru_cache(maxsize=None)
def single_character_widths():
    """single_character_width of every code point, worked out once."""
    import test_record_properties as records
    records_of = records.unicode_data(records.CURRENT)
    east_asian_widths = records.widths(records.CURRENT)
    presentation = emoji_property("Emoji_Presentation")
    ignorable = binary_property(CURRENT / "DerivedCoreProperties.txt", "Default_Ignorable_Code_Point")
    result = []
    for cp in range(0x110000):
        fields = records_of.get(cp)
        category = records.UNASSIGNED[0] if fields is None else fields[2]
        if east_asian_widths.get(cp, "N") in ("W", "F") or cp in presentation:
            result.append(2)
        elif category in ZERO_WIDTH_CATEGORIES or cp in ignorable:
            result.append(0)
        else:
            result.append(1)
    return result
