"""The installed `charlore` command's --properties, run as a subprocess: every property in
the order of PropertyAliases.txt for each character, values of the UCD files, the blocks
for people lined up with the JSON objects, and the refusals."""
import json

import pytest

import charlore
from cli_support import one_error_line, run, run_json
from ucd_data import CURRENT

pytestmark = pytest.mark.installed

ANSWERED = ("Binary", "Enumerated", "Catalog", "Numeric", "String", "Miscellaneous")
SAMPLE = "A\u00e9\u0301\u00bd\u0660\u3042\u1100\U0001f600\u0000\u0378"

# character, long property name, value (read from the UCD files)
VALUES = [
    ("A", "ASCII_Hex_Digit", True),
    ("\u00e9", "ASCII_Hex_Digit", False),
    ("\u00e9", "General_Category", "Ll"),
    ("\u0301", "Canonical_Combining_Class", 230),
    ("\u00bd", "Numeric_Value", 0.5),
    ("A", "Numeric_Value", None),
    ("\u0660", "Bidi_Class", "AN"),
    ("\u3042", "East_Asian_Width", "W"),
    ("\u1100", "Hangul_Syllable_Type", "L"),
    ("\U0001f600", "Emoji_Presentation", True),
    ("\u0000", "General_Category", "Cc"),
    ("\u0378", "Age", "NA"),
    ("\u00e9", "Uppercase_Mapping", "\u00c9"),
    ("A", "Bidi_Mirroring_Glyph", None),
    ("A", "Name", "LATIN CAPITAL LETTER A"),
    ("\u0000", "Name", None),
    ("\u0000", "Name_Alias", ["NULL", "NUL"]),
    ("\u0660", "Script_Extensions", ["Arab", "Thaa", "Yezi"]),
    ("\u1100", "Jamo_Short_Name", "G"),
    ("A", "Unicode_1_Name", ""),
]


# What a module without the general property query shows: the properties that have
# queries of their own.
SINGLE_QUERIES = {"Numeric_Value", "Age", "Block", "Script", "Bidi_Class", "Canonical_Combining_Class",
                  "East_Asian_Width", "General_Category", "Bidi_Mirrored"}


def property_names():
    """Long names of the properties the module answers, in PropertyAliases.txt order; the
    ideograph database's fields (long names "k" and a capital) are not among them."""
    names, kind = [], None
    with open(CURRENT / "PropertyAliases.txt", encoding="utf-8") as f:
        for line in f:
            words = line.split()
            if len(words) == 3 and words[0] == "#" and words[2] == "Properties":
                kind = words[1]
            data = line.split("#", 1)[0].strip()
            if data and kind in ANSWERED:
                long_name = data.split(";")[1].strip()
                if not (long_name[0] == "k" and long_name[1].isupper()):
                    names.append(long_name)
    if not hasattr(charlore, "property"):
        names = [name for name in names if name in SINGLE_QUERIES]
    return names


@pytest.fixture(scope="module")
def document():
    return run_json("--properties", stdin=SAMPLE.encode("utf-8"))


def test_one_object_per_character_with_every_property(document):
    assert document["text"] == SAMPLE
    rows = document["characters"]
    assert [row["character"] for row in rows] == list(SAMPLE)
    assert [row["code_point"] for row in rows] == [f"U+{ord(ch):04X}" for ch in SAMPLE]
    assert rows[0]["name"] == "LATIN CAPITAL LETTER A" and rows[-2]["name"] is None
    for row in rows:
        assert list(row["properties"]) == property_names()


@pytest.mark.parametrize("ch, name, value", VALUES)
def test_values(document, ch, name, value):
    row = next(row for row in document["characters"] if row["character"] == ch)
    if name not in row["properties"]:
        pytest.skip(f"the module does not answer {name} yet")
    found = row["properties"][name]
    assert found == value and type(found) is type(value)


def shown(value):
    """A value as a block line shows it: lists (name aliases, script extensions) with
    their items between spaces, characters that could act on a terminal escaped."""
    if isinstance(value, bool):
        return "Yes" if value else "No"
    if isinstance(value, list):
        return " ".join(value)
    if value is None:
        return ""
    return "".join(f"\\u{ord(c):04X}" if c in "\u0000\u0378" else c for c in str(value))


def test_blocks_show_the_same_values(document):
    done = run("--properties", stdin=SAMPLE.encode("utf-8"))
    assert done.returncode == 0 and done.stderr == b""
    blocks = done.stdout.decode("utf-8").split("\n\n")
    assert len(blocks) == len(SAMPLE)
    names = property_names()
    width = max(map(len, names))
    for block, row in zip(blocks, document["characters"]):
        head, *lines = block.rstrip("\n").split("\n")
        assert head.startswith(row["code_point"] + "  ")
        assert head.endswith(row["name"] or ("<control>" if row["character"] == "\u0000" else "<unassigned>"))
        assert lines == [f"  {name:{width}}  {shown(row['properties'][name])}".rstrip() for name in names]


def test_with_search_range_and_limit():
    found = run_json("--properties", "--search", "keycap digit zero")
    assert [row["character"] for row in found["characters"]] == ["0", "\ufe0f", "\u20e3"]
    ranged = run_json("--properties", "--range", "0-10FFFF", "--limit", "2")
    assert [row["code_point"] for row in ranged["characters"]] == ["U+0000", "U+0001"]
    assert ranged["more"] == 0x110000 - 2
    lines = run("--properties", "--range", "41-42", "--limit", "1").stdout.decode("utf-8").splitlines()
    assert lines[0].startswith("U+0041  A  LATIN CAPITAL LETTER A") and lines[-1] == "1 more (see --limit)"


def test_json_is_valid_and_ascii():
    done = run("--json", "--properties", "--range", "D800-D800")
    assert done.returncode == 0 and done.stdout.isascii()
    json.loads(done.stdout, parse_constant=lambda constant: pytest.fail(f"not JSON: {constant}"))


@pytest.mark.parametrize("arguments, mentioned", [
    (["--properties", "--ucd", "3.2.0", "a"], "current database"),
    (["--properties", "--graphemes", "a"], "not allowed"),
    (["--properties", "--width", "a"], "not allowed"),
])
def test_usage_errors(arguments, mentioned):
    done = run(*arguments)
    line = one_error_line(done)
    assert done.returncode == 2 and mentioned in line and done.stdout == b""
