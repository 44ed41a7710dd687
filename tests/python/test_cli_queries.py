"""The installed `charlore` command, run as a subprocess, against rows derived from the
UCD files: the table and its alignment, JSON, --form, --lookup, standard input, --ucd
3.2.0, unknown names, and characters that must never reach the terminal as they are."""
import subprocess

import pytest

from cli_support import (COMMAND, UNSHOWN_CATEGORIES, expected_row, one_error_line,
                         read_table, run, run_json)
import test_record_properties as records

pytestmark = pytest.mark.installed

# A text that meets every kind of cell: ASCII, a precomposed letter, a combining mark,
# wide and fullwidth characters, a Hangul syllable, a supplementary character, a fraction,
# a compatibility ligature, a mirrored bracket, a right-to-left letter, controls, a format
# character, a surrogate-free private-use character, unassigned and noncharacter code points.
SAMPLE = ("A\u00e9e\u0301\u3042\uff21\uac01\U0001F600\u00bd\ufb01(\u05d0"
          "\u0009\u001b\u00ad\ue000\u0378\ufdd0\u2028 7")

PLACEHOLDERS = [
    # character, label in the name column
    ("\u0000", "<control>"),
    ("\u009b", "<control>"),
    ("\ue000", "<private-use>"),
    ("\U000F0000", "<private-use>"),     # filed under an alias, which is never a name
    ("\u0378", "<unassigned>"),
    ("\ufdd0", "<noncharacter>"),
    ("\U0010FFFF", "<noncharacter>"),
]


def shown_character(ch):
    category = records.current_values(ord(ch))[0]
    if category in UNSHOWN_CATEGORIES:
        return ""
    return ("\u25cc" + ch) if category in ("Mn", "Me") else ch.rstrip(" ")


def expected_cells(row):
    numeric = row["numeric"]
    return [row["code_point"], shown_character(row["character"]), row["name"] or "",
            row["category"], row["script"] or "", row["block"] or "", row["age"] or "",
            row["bidirectional"], str(row["combining"]),
            row["east_asian_width"], str(row["mirrored"]), row["decomposition"],
            "" if numeric is None else repr(numeric)]


def test_json_rows_follow_the_ucd():
    document = run_json(SAMPLE)
    assert document["text"] == SAMPLE and document["unidata_version"] == "18.0.0"
    assert document["characters"] == [expected_row(ch) for ch in SAMPLE]


def test_table_cells_follow_the_ucd_and_stay_aligned():
    done = run(SAMPLE)
    assert done.returncode == 0 and done.stderr == b""
    rows = read_table(done.stdout.decode("utf-8"))
    assert len(rows) == len(SAMPLE)
    for ch, cells in zip(SAMPLE, rows):
        expected = expected_cells(expected_row(ch))
        if not expected[2]:
            expected[2] = cells[2]  # placeholders: test_placeholders
        assert cells == expected


@pytest.mark.parametrize("ch, label", PLACEHOLDERS)
def test_placeholders(ch, label):
    done = run(stdin=ch.encode("utf-8"))
    assert read_table(done.stdout.decode("utf-8"))[0][2] == label
    assert run_json(stdin=ch.encode("utf-8"))["characters"][0]["name"] is None


@pytest.mark.parametrize("unsafe", ["\u001b[31m", "\u009b31m", "\u202e", "\u2028", "\u0007"])
@pytest.mark.parametrize("options", [[], ["--form", "NFC"], ["--lookup"]])
def test_unsafe_characters_never_reach_the_terminal(unsafe, options):
    argument = f"LATIN SMALL LETTER A{unsafe}" if options == ["--lookup"] else f"a{unsafe}b"
    done = run(*options, argument)
    control = unsafe[0].encode("utf-8")
    assert control not in done.stdout and control not in done.stderr


FORMS = [
    # form, text, normalized text
    ("NFC", "e\u0302\u0323", "\u1ec7"),
    ("NFD", "\u00c0", "A\u0300"),
    ("NFD", "\ufb01", "\ufb01"),
    ("NFKD", "\ufb01", "fi"),
    ("NFKC", "\u2460\u00bd", "11\u20442"),
    ("NFD", "a\u0301\u0316", "a\u0316\u0301"),
    ("NFD", "\uac01", "\u1100\u1161\u11a8"),
]


@pytest.mark.parametrize("form, text, normalized", FORMS)
def test_form(form, text, normalized):
    document = run_json("--form", form, text)
    assert (document["input"], document["form"], document["text"]) == (text, form, normalized)
    assert document["characters"] == [expected_row(ch) for ch in normalized]
    lines = run("--form", form, text).stdout.decode("utf-8").splitlines()
    assert lines[0] == f"{form}: {normalized}" and lines[1] == ""
    assert [cells[0] for cells in read_table("\n".join(lines[2:]))] == [
        f"U+{ord(ch):04X}" for ch in normalized]


LOOKUPS = [
    # names, text they give
    (["LATIN SMALL LETTER A", "latin small letter b"], "ab"),
    (["NULL"], "\u0000"),                                           # alias
    (["KEYCAP DIGIT ZERO"], "0\ufe0f\u20e3"),                       # named sequence
    (["hangul syllable gak", "CJK UNIFIED IDEOGRAPH-4E00"], "\uac18\u4e00"),
]


@pytest.mark.parametrize("names, text", LOOKUPS)
def test_lookup(names, text):
    document = run_json("--lookup", *names)
    assert document["text"] == text
    assert [entry["name"] for entry in document["names"]] == names
    assert "".join(entry["text"] for entry in document["names"]) == text
    assert [row["code_point"] for row in document["characters"]] == [f"U+{ord(ch):04X}" for ch in text]


def test_lookup_then_form():
    document = run_json("--lookup", "--form", "NFD", "LATIN CAPITAL LETTER A WITH GRAVE")
    assert document["input"] == "\u00c0" and document["text"] == "A\u0300"


@pytest.mark.parametrize("arguments, mentioned", [
    (["--lookup", "NO SUCH CHARACTER"], "undefined character name 'NO SUCH CHARACTER'"),
    (["--lookup", "SPACE", "LATIN SMALL LETTER A "], "'LATIN SMALL LETTER A '"),
    (["--lookup", "A" * 300], "name too long"),
    (["--ucd", "3.2.0", "--lookup", "NULL"], "'NULL'"),                         # no aliases then
    (["--ucd", "3.2.0", "--lookup", "LATIN SMALL LETTER D WITH CURL"], "CURL"),  # not yet assigned
])
def test_unknown_names(arguments, mentioned):
    done = run(*arguments)
    line = one_error_line(done)
    assert done.returncode == 1 and mentioned in line and done.stdout == b""


@pytest.mark.parametrize("stdin, text", [
    ("caf\u00e9\n".encode("utf-8"), "caf\u00e9"),
    ("two\nlines\r\n".encode("utf-8"), "two\nlines"),
    ("\U0001F600".encode("utf-8"), "\U0001F600"),
])
def test_standard_input(stdin, text):
    assert run_json(stdin=stdin)["characters"] == [expected_row(ch) for ch in text]


def test_arguments_are_joined_by_spaces():
    assert run_json("a", "b")["text"] == run_json("a b")["text"] == "a b"


def test_names_from_standard_input():
    document = run_json("--lookup", stdin=b"SPACE\n\n  latin small letter a  \r\nNUL\n")
    assert [entry["name"] for entry in document["names"]] == ["SPACE", "latin small letter a", "NUL"]
    assert document["text"] == " a\u0000"


OLD_TEXT = "A\u00ad\u0221\u09f4\u00b2\u1369"


def test_version_3_2_0():
    document = run_json("--ucd", "3.2.0", OLD_TEXT)
    assert document["unidata_version"] == "3.2.0"
    assert document["characters"] == [expected_row(ch, "3.2.0") for ch in OLD_TEXT]
    soft_hyphen, curl = document["characters"][1:3]
    assert soft_hyphen["category"] == "Pd" and curl["category"] == "Cn" and curl["name"] is None
    table = read_table(run("--ucd", "3.2.0", OLD_TEXT).stdout.decode("utf-8"))
    assert table[2][2] == "<unassigned>"


def test_version_3_2_0_form():
    # The character was replaced by another in a later correction of its mapping.
    assert run_json("--ucd", "3.2.0", "--form", "NFD", "\U0002F868")["text"] == "\U0002136A"
    assert run_json("--form", "NFD", "\U0002F868")["text"] == "\u36fc"


def test_closed_output_is_not_an_error():
    # Megabytes of rows, more than a pipe holds, so that writing meets the closed pipe.
    process = subprocess.Popen([str(COMMAND), "x" * 40000], stdout=subprocess.PIPE,
                               stderr=subprocess.PIPE)
    process.stdout.read(100)
    process.stdout.close()
    _, errors = process.communicate(timeout=120)
    assert errors == b"" and process.returncode == 1
