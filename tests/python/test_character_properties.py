"""script, script_extensions, block and age of every code point against the suite's own
reading of Scripts.txt, ScriptExtensions.txt, Blocks.txt and DerivedAge.txt."""
import pytest

import charlore
import ucd_properties

CHARS = [chr(cp) for cp in range(ucd_properties.CODE_POINTS)]

EVERY_CODE_POINT = [
    ("script", ucd_properties.scripts),
    ("script_extensions", ucd_properties.script_extensions),
    ("block", ucd_properties.blocks),
    ("age", ucd_properties.ages),
]


@pytest.mark.parametrize("query, expected", EVERY_CODE_POINT, ids=[q for q, _ in EVERY_CODE_POINT])
def test_every_code_point(query, expected):
    assert list(map(getattr(charlore, query), CHARS)) == expected()


# Values whose spelling or default a reader could get wrong: the short alias, not the
# file's long name; the @missing defaults of unlisted code points; the file's order.
CASES = [
    ("script", "A", "Latn"), ("script", " ", "Zyyy"), ("script", "\u0301", "Zinh"),
    ("script", "\u0378", "Zzzz"), ("script", "\U0010ffff", "Zzzz"),
    ("script_extensions", "A", ("Latn",)), ("script_extensions", "\u0378", ("Zzzz",)),
    ("script_extensions", "\u0660", ("Arab", "Thaa", "Yezi")),
    ("block", "A", "Basic Latin"), ("block", "\U00020000", "CJK Unified Ideographs Extension B"),
    ("block", "\U000e0080", "No_Block"), ("block", "\U0010ffff", "Supplementary Private Use Area-B"),
    ("age", "A", "1.1"), ("age", "\u20ac", "2.1"), ("age", "\u0378", "NA"), ("age", "\ud800", "2.0"),
]


@pytest.mark.parametrize("query, char, expected", CASES)
def test_cases(query, char, expected):
    assert getattr(charlore, query)(char) == expected


@pytest.mark.parametrize("query", [q for q, _ in EVERY_CODE_POINT])
@pytest.mark.parametrize("arguments", [("",), ("ab",), ("A" * 10**6,), (65,), (None,), (b"A",), (), ("A", "B")])
def test_argument_not_one_character(query, arguments):
    with pytest.raises(TypeError):
        getattr(charlore, query)(*arguments)


class Str(str):
    pass


@pytest.mark.parametrize("query", [q for q, _ in EVERY_CODE_POINT])
def test_str_subclass_is_its_character(query):
    assert getattr(charlore, query)(Str("\u0660")) == getattr(charlore, query)("\u0660")


def test_current_database_only():
    for query, _ in EVERY_CODE_POINT:
        assert not hasattr(charlore.ucd_3_2_0, query)
