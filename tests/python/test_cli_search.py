"""The installed `charlore` command's --search, --range and --limit, run as a subprocess:
the rows found (from the suite's own search over the UCD names), the line counting the
rows left out, JSON, and the refusals (one line on standard error, exit status 1 or 2)."""
import pytest

from cli_support import expected_row, one_error_line, read_table, run, run_json
from test_search import expected_search

pytestmark = pytest.mark.installed


def found_characters(words):
    """The characters of the suite's own search answer, each once, in order."""
    return list(dict.fromkeys("".join(expected_search(words))))


SEARCHES = [
    # words as arguments, words the module is asked for
    (["leftwards", "arrow", "with", "hook"], "leftwards arrow with hook"),
    (["LeftWards ARROW with", "hook"], "leftwards arrow with hook"),   # joined, case ignored
    (["null"], "null"),                                                # alias after the characters
    (["keycap", "digit", "zero"], "keycap digit zero"),                # a named sequence's characters
    (["hangul syllable gag"], "hangul syllable gag"),                  # derived name
    (["arrowhead"], "arrowhead"),
]


@pytest.mark.parametrize("arguments, words", SEARCHES)
def test_search_rows(arguments, words):
    expected = found_characters(words)
    assert 0 < len(expected) <= 100
    document = run_json("--search", *arguments)
    assert document["search"] == " ".join(arguments) and document["more"] == 0
    assert document["characters"] == [expected_row(ch) for ch in expected]
    done = run("--search", *arguments)
    assert done.returncode == 0 and done.stderr == b""
    rows = read_table(done.stdout.decode("utf-8"))
    assert [cells[0] for cells in rows] == [f"U+{ord(ch):04X}" for ch in expected]


def test_search_words_from_standard_input():
    document = run_json("--search", stdin=b"leftwards arrow\nwith hook\n")
    assert [row["character"] for row in document["characters"]] == found_characters(
        "leftwards arrow with hook")


@pytest.mark.parametrize("arguments, shown", [
    (["--search", "arrow"], 100),                 # the default limit
    (["--search", "arrow", "--limit", "3"], 3),
    (["--search", "arrow", "--limit", "100000"], None),
    (["--search", "latin", "small", "letter", "a", "--limit", "1"], 1),
])
def test_search_limit(arguments, shown):
    expected = found_characters(" ".join(arguments[1:arguments.index("--limit")]
                                         if "--limit" in arguments else arguments[1:]))
    shown = len(expected) if shown is None else shown
    left_out = len(expected) - shown
    document = run_json(*arguments)
    assert [row["character"] for row in document["characters"]] == expected[:shown]
    assert document["more"] == left_out
    lines = run(*arguments).stdout.decode("utf-8").splitlines()
    if left_out:
        assert lines[-1] == f"{left_out} more (see --limit)"
        lines = lines[:-1]
    assert [cells[0] for cells in read_table("\n".join(lines))] == [
        f"U+{ord(ch):04X}" for ch in expected[:shown]]


def test_limit_applies_to_a_text():
    document = run_json("--limit", "2", "abcd")
    assert document["text"] == "abcd" and document["more"] == 2
    assert [row["character"] for row in document["characters"]] == ["a", "b"]


RANGES = [
    # range, its code points
    ("41-43", range(0x41, 0x44)),
    ("U+1F600-U+1F602", range(0x1F600, 0x1F603)),
    ("1f600-1F601", range(0x1F600, 0x1F602)),      # either letter case
    ("0-0", range(0, 1)),
    ("00AC00-AC01", range(0xAC00, 0xAC02)),         # leading zeros, derived names
    ("D7FF-E000", range(0xD7FF, 0xE001)),           # lone surrogates on the way
    ("10FFFE-10FFFF", range(0x10FFFE, 0x110000)),
]


@pytest.mark.parametrize("text, code_points", RANGES)
def test_range(text, code_points):
    document = run_json("--range", text)
    first, last = code_points[0], code_points[-1]
    assert document["range"] == {"first": f"U+{first:04X}", "last": f"U+{last:04X}"}
    assert document["characters"] == [expected_row(chr(cp)) for cp in code_points]
    assert document["more"] == 0
    done = run("--range", text)
    assert done.returncode == 0 and done.stderr == b""
    assert [cells[0] for cells in read_table(done.stdout.decode("utf-8"))] == [
        f"U+{cp:04X}" for cp in code_points]


def test_range_of_the_whole_code_space_with_a_limit():
    document = run_json("--range", "0-10FFFF", "--limit", "2")
    assert [row["code_point"] for row in document["characters"]] == ["U+0000", "U+0001"]
    assert document["more"] == 0x110000 - 2
    lines = run("--range", "0-10FFFF", "--limit", "2").stdout.decode("utf-8").splitlines()
    assert lines[-1] == f"{0x110000 - 2} more (see --limit)"


def test_range_as_of_3_2_0():
    document = run_json("--range", "220-222", "--ucd", "3.2.0")
    assert document["unidata_version"] == "3.2.0"
    assert document["characters"] == [expected_row(chr(cp), "3.2.0") for cp in range(0x220, 0x223)]


def test_json_is_ascii():
    for arguments in (["--search", "keycap digit zero"], ["--range", "D800-D801"], ["--range", "FFFD-10000"]):
        done = run("--json", *arguments)
        assert done.returncode == 0 and done.stdout.isascii()


USAGE_ERRORS = [
    # arguments, text the error line must contain
    (["--range", "43-41"], "FIRST is above LAST"),
    (["--range", "G-H"], "'G-H'"),
    (["--range", "41"], "'41'"),
    (["--range", "41-"], "'41-'"),
    (["--range", "-41"], "--range"),
    (["--range", "0x41-0x42"], "'0x41-0x42'"),
    (["--range", "41-43-45"], "'41-43-45'"),
    (["--range", "110000-110001"], "up to 10FFFF"),
    (["--range", "0-1000000"], "'0-1000000'"),
    (["--range", "\u0664\u0661-\u0664\u0663"], "--range"),      # Arabic-Indic digits are not hex
    (["--range", ""], "''"),
    (["--range", "41-43", "x"], "--range takes no TEXT"),
    (["--range", "41-43", "--search", "arrow"], "not allowed"),
    (["--lookup", "--search", "arrow"], "not allowed"),
    (["--search", " "], "no words to search for"),
    (["--search", "arrow", "--ucd", "3.2.0"], "current database"),
    (["--search", "arrow", "--form", "NFC"], "--form"),
    (["--range", "41-43", "--form", "NFC"], "--form"),
    (["--limit", "0", "x"], "'0'"),
    (["--limit", "x", "x"], "'x'"),
    (["--limit", "1.5", "x"], "'1.5'"),
    (["--limit", "\u0663", "x"], "--limit"),
    (["--limit", "-1", "x"], "--limit"),
]


@pytest.mark.parametrize("arguments, mentioned", USAGE_ERRORS)
def test_usage_errors(arguments, mentioned):
    done = run(*arguments)
    line = one_error_line(done)
    assert done.returncode == 2 and mentioned in line and done.stdout == b""


@pytest.mark.parametrize("stdin", [b"", b"\n", b" \t\n"])
def test_search_without_words_is_a_usage_error(stdin):
    done = run("--search", stdin=stdin)
    assert done.returncode == 2 and "no words to search for" in one_error_line(done)


@pytest.mark.parametrize("arguments, mentioned", [
    (["--search", "no", "such", "word"], "no character name holds the words 'no such word'"),
    (["--search", "arrow\u001b[31m"], "'arrow\\u001B[31m'"),        # shown escaped
    (["--json", "--search", "no such word"], "'no such word'"),
])
def test_search_without_match(arguments, mentioned):
    done = run(*arguments)
    line = one_error_line(done)
    assert done.returncode == 1 and mentioned in line and done.stdout == b""
    assert b"\x1b" not in done.stderr
