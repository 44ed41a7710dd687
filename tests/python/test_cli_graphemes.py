"""The installed `charlore` command's --graphemes and --width, run as a subprocess: the
clusters of a text with their code points and widths as a table and as JSON, the cells
that must be escaped or set on a dotted circle, the width alone, and the refusals."""
import pytest

from cli_support import one_error_line, run, run_json

pytestmark = pytest.mark.installed

FAMILY = "\U0001f468\u200d\U0001f469\u200d\U0001f467"
ENGLAND = "\U0001f3f4\U000e0067\U000e0062\U000e0065\U000e006e\U000e0067\U000e007f"

# text, its clusters as (cluster, cell shown for it, width in columns)
CLUSTERS = [
    ("e\u0301x", [("e\u0301", "e\u0301", 1), ("x", "x", 1)]),
    ("\u0915\u094d\u0937", [("\u0915\u094d\u0937", "\u0915\u094d\u0937", 1)]),   # a conjunct
    ("\u1100\u1161\u11a8", [("\u1100\u1161\u11a8", "\u1100\u1161\u11a8", 2)]),    # L V T syllable
    ("\U0001f44d\U0001f3fd", [("\U0001f44d\U0001f3fd", "\U0001f44d\U0001f3fd", 2)]),
    (FAMILY, [(FAMILY, FAMILY, 2)]),                                # joiners shown inside
    (ENGLAND, [(ENGLAND, ENGLAND, 2)]),                             # tags shown inside
    ("\U0001f1eb\U0001f1f7\U0001f1e9", [("\U0001f1eb\U0001f1f7", "\U0001f1eb\U0001f1f7", 2),
                                        ("\U0001f1e9", "\U0001f1e9", 2)]),   # emoji presentation
    ("\u263a\ufe0f\u263a", [("\u263a\ufe0f", "\u263a\ufe0f", 2), ("\u263a", "\u263a", 1)]),
    ("\u65e5 b", [("\u65e5", "\u65e5", 2), (" ", " ", 1), ("b", "b", 1)]),
    ("\u0301a", [("\u0301", "\u25cc\u0301", 0), ("a", "a", 1)]),    # a mark that starts a cluster
    ("a\u200db", [("a\u200d", "a\u200d", 1), ("b", "b", 1)]),
    ("\u200d", [("\u200d", "\\u200D", 0)]),                         # a joiner that starts one
    ("\r\n\t", [("\r\n", "\\u000D\\u000A", 0), ("\t", "\\u0009", 0)]),
    ("\u202ea\u00ad", [("\u202e", "\\u202E", 0), ("a", "a", 1), ("\u00ad", "\\u00AD", 0)]),
    ("\u001b[1", [("\u001b", "\\u001B", 0), ("[", "[", 1), ("1", "1", 1)]),
    ("\ue000\u0378", [("\ue000", "\\uE000", 1), ("\u0378", "\\u0378", 1)]),
]


def cell_columns(shown, width):
    """Columns of a cluster cell: escapes are ASCII, a mark on its circle takes one."""
    if shown.startswith("\u25cc"):
        return 1
    return len(shown) if "\\u" in shown else width


@pytest.mark.parametrize("text, clusters", CLUSTERS)
def test_graphemes_as_json(text, clusters):
    document = run_json("--graphemes", stdin=text.encode("utf-8"))
    assert document["text"] == text and document["unidata_version"] == "18.0.0"
    assert document["graphemes"] == [
        {"cluster": cluster, "code_points": [f"U+{ord(ch):04X}" for ch in cluster], "width": width}
        for cluster, _, width in clusters]
    assert document["width"] == sum(width for _, _, width in clusters)
    assert "characters" not in document


@pytest.mark.parametrize("text, clusters", CLUSTERS)
def test_graphemes_table(text, clusters):
    done = run("--graphemes", stdin=text.encode("utf-8"))
    assert done.returncode == 0 and done.stderr == b""
    header, *lines = done.stdout.decode("utf-8").split("\n")[:-1]
    assert header.split("  ")[0] == "cluster" and header.split() == ["cluster", "width", "code", "points"]
    assert len(lines) == len(clusters)
    width_column = header.index("width")
    for line, (cluster, shown, width) in zip(lines, clusters):
        code_points = [f"U+{ord(ch):04X}" for ch in cluster]
        assert line == line.rstrip() and line.endswith("  " + " ".join(code_points))
        cell = line[:len(shown)]
        assert cell == shown
        rest = line[len(shown):]
        padding = len(rest) - len(rest.lstrip(" "))
        assert cell_columns(shown, width) + padding == width_column   # the columns stay aligned
        assert rest.split()[0] == str(width)


@pytest.mark.parametrize("arguments, stdin, width", [
    (["\u65e5\u672c abc"], b"", 8),
    ([FAMILY, "e\u0301"], b"", 4),          # joined by a space
    ([], "\u263a\ufe0f\n".encode("utf-8"), 2),
    ([], b"", 0),
    (["--lookup", "hangul syllable gag", "KEYCAP DIGIT ZERO"], b"", 4),
    (["--form", "NFD", "\uac01"], b"", 2),
])
def test_width(arguments, stdin, width):
    done = run("--width", *arguments, stdin=stdin)
    assert (done.returncode, done.stdout, done.stderr) == (0, f"{width}\n".encode(), b"")
    document = run_json("--width", *arguments, stdin=stdin)
    assert document["width"] == width and "graphemes" not in document and "characters" not in document


def test_graphemes_after_lookup_and_form():
    lines = run("--graphemes", "--form", "NFD", "\u00e9").stdout.decode("utf-8").splitlines()
    assert lines[:2] == ["NFD: e\u0301", ""] and lines[3].startswith("e\u0301  ")
    document = run_json("--graphemes", "--lookup", "KEYCAP DIGIT ZERO", "SPACE")
    assert [row["cluster"] for row in document["graphemes"]] == ["0\ufe0f\u20e3", " "]
    assert document["names"][0]["text"] == "0\ufe0f\u20e3"


def test_graphemes_of_nothing():
    assert run("--graphemes", stdin=b"").stdout == b""
    assert run_json("--graphemes", stdin=b"")["graphemes"] == []


@pytest.mark.parametrize("arguments, mentioned", [
    (["--graphemes", "--search", "arrow"], "--graphemes applies to a text"),
    (["--width", "--range", "41-42"], "--width applies to a text"),
    (["--graphemes", "--limit", "2", "abc"], "--limit"),
    (["--width", "--ucd", "3.2.0", "x"], "current database"),
    (["--graphemes", "--width", "x"], "not allowed"),
])
def test_usage_errors(arguments, mentioned):
    done = run(*arguments)
    line = one_error_line(done)
    assert done.returncode == 2 and mentioned in line and done.stdout == b""


@pytest.mark.parametrize("option", ["--graphemes", "--width"])
def test_undecodable_input(option):
    done = run(option, stdin=b"a\xffb")
    assert done.returncode == 1 and "byte 0xFF at offset 1" in one_error_line(done)
