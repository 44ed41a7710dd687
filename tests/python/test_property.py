"""property(name, chr) for every property and every code point against the suite's own
reading of the UCD files; the loose matching of names; the errors."""
import functools
import math

import pytest

import charlore
import ucd_properties
import ucd_strings

CHARS = [chr(cp) for cp in range(ucd_properties.CODE_POINTS)]
STRINGS = ("String", "Miscellaneous")
ANSWERED = ("Binary", "Enumerated", "Catalog", "Numeric", *STRINGS)
PROPERTIES = [aliases for kind, aliases in ucd_properties.property_list() if kind in ANSWERED]


def same(a, b):
    return a == b and type(a) is type(b) or (isinstance(a, float) and isinstance(b, float)
                                            and math.isnan(a) and math.isnan(b))


@pytest.mark.parametrize("aliases", PROPERTIES, ids=[a[1] for a in PROPERTIES])
def test_every_code_point(aliases):
    got = list(map(functools.partial(charlore.property, aliases[1]), CHARS))
    if ucd_properties.property_kind(aliases) in STRINGS:
        expected = ucd_strings.expected_values(*aliases[:2])
    else:
        expected = ucd_properties.expected_values(aliases)
    if got != expected:
        cp = next(cp for cp in range(len(got)) if got[cp] != expected[cp])
        pytest.fail(f"{aliases[1]} of U+{cp:04X}: {got[cp]!r}, expected {expected[cp]!r}")
    # bool, not 0/1; int and float where those are the type
    assert {type(v) for v in got} == {type(v) for v in expected}


def test_property_names_in_file_order():
    assert charlore._property_names == tuple(a[1] for a in PROPERTIES)


@pytest.mark.parametrize("query, short", [("script", "sc"), ("block", "blk"), ("age", "age")])
def test_single_queries_agree(query, short):
    aliases = ucd_properties.short_of(short)
    got = list(map(getattr(charlore, query), CHARS))
    by_property = list(map(functools.partial(charlore.property, short), CHARS))
    assert [aliases[ucd_properties.loose(v)] for v in got] == by_property


@pytest.mark.parametrize("query, short", [
    (charlore.script_extensions, "scx"), (lambda c: charlore.name(c, None), "na"),
])
def test_queries_of_their_own_agree(query, short):
    assert list(map(query, CHARS)) == list(map(functools.partial(charlore.property, short), CHARS))


# Short and long names, other aliases, spaces, hyphens, underscores, "is" prefixes and
# mixed case all name the same property; ISO_Comment's short name "isc" keeps working.
LOOSE = [
    ("lb", "Line_Break"), ("Line_Break", "Line_Break"), ("line break", "Line_Break"),
    ("LINE-BREAK", "Line_Break"), ("isLineBreak", "Line_Break"), ("is_line_break", "Line_Break"),
    (" l_b ", "Line_Break"), ("Is lb", "Line_Break"), ("WSpace", "White_Space"),
    ("space", "White_Space"), ("isspace", "White_Space"), ("White-Space", "White_Space"),
    ("gc", "General_Category"), ("GeneralCategory", "General_Category"), ("sc", "Script"),
    ("SC", "Script"), ("scf", "Simple_Case_Folding"), ("sfc", "Simple_Case_Folding"),
    ("SimpleCaseFolding", "Simple_Case_Folding"), ("Alpha", "Alphabetic"),
    ("isalphabetic", "Alphabetic"), ("ALPHABETIC", "Alphabetic"), ("ccc", "Canonical_Combining_Class"),
    ("nv", "Numeric_Value"), ("blk", "Block"), ("Age", "Age"), ("ea", "East_Asian_Width"),
    ("InCB", "Indic_Conjunct_Break"), ("incb", "Indic_Conjunct_Break"),
    ("NFKC_QC", "NFKC_Quick_Check"), ("nfkcqc", "NFKC_Quick_Check"),
    ("XIDS", "XID_Start"), ("xid\tstart", "XID_Start"), ("ExtPict", "Extended_Pictographic"),
    ("isc", "ISO_Comment"), ("ISO comment", "ISO_Comment"),
    ("uc", "Uppercase_Mapping"), ("is-uppercase-mapping", "Uppercase_Mapping"), ("UC", "Uppercase_Mapping"),
    ("na", "Name"), ("isName", "Name"), ("na1", "Unicode_1_Name"), ("unicode 1 name", "Unicode_1_Name"),
    ("Name-Alias", "Name_Alias"), ("scx", "Script_Extensions"), ("NFKC_CF", "NFKC_Casefold"),
    ("nfkccasefold", "NFKC_Casefold"), ("JSN", "Jamo_Short_Name"), ("dm", "Decomposition_Mapping"),
]


@pytest.mark.parametrize("name, long_name", LOOSE)
def test_loose_names(name, long_name):
    for char in ("a", "\u0301", "\u3000", "\U0001f600", "\u0378", "\u1100", "\u00df", "\u0000"):
        assert same(charlore.property(name, char), charlore.property(long_name, char))


ERRORS = [
    # names that match no answered property
    (("Line_Breaks", "a"), ValueError, "unknown property 'Line_Breaks'"),
    (("", "a"), ValueError, "unknown property ''"),
    (("is", "a"), ValueError, "unknown property 'is'"),
    (("Line\u00a0Break", "a"), ValueError, "unknown property 'Line\u00a0Break'"),
    (("\u0130sAlpha", "a"), ValueError, "unknown property '\u0130sAlpha'"),
    (("cjkAccountingNumeric", "a"), ValueError, "unknown property 'cjkAccountingNumeric'"),
    (("kEH_NoMirror", "a"), ValueError, "unknown property 'kEH_NoMirror'"),
    (("kSEAL_THXSrc", "a"), ValueError, "unknown property 'kSEAL_THXSrc'"),
    (("alpha" * 100, "a"), ValueError, "unknown property '" + "alpha" * 100 + "'"),
    (("\ud800", "a"), ValueError, "unknown property '\ud800'"),
    # a NUL ends no name, and a key's prefix or extension is another name
    (("lb\x00", "a"), ValueError, "unknown property 'lb\x00'"),
    (("Line_Break\x00zz", "a"), ValueError, "unknown property 'Line_Break\x00zz'"),
    (("\x00lb", "a"), ValueError, "unknown property '\x00lb'"),
    (("Line_Brea", "a"), ValueError, "unknown property 'Line_Brea'"),
    (("Line_Breakk", "a"), ValueError, "unknown property 'Line_Breakk'"),
    ((" _-\t", "a"), ValueError, "unknown property ' _-\t'"),
    (("is" + "x" * 62, "a"), ValueError, "unknown property"),
    # arguments of the wrong type or number
    ((b"lb", "a"), TypeError, "argument 1 must be str, not bytes"),
    ((None, "a"), TypeError, "argument 1 must be str, not NoneType"),
    (("lb", ""), TypeError, None), (("lb", "ab"), TypeError, None), (("lb", 97), TypeError, None),
    (("lb", b"a"), TypeError, None), (("lb",), TypeError, "expected 2 arguments, got 1"),
    ((), TypeError, "expected 2 arguments, got 0"), (("lb", "a", "b"), TypeError, "expected 2 arguments, got 3"),
    # an unknown name is reported before a bad character
    (("nope", 97), ValueError, "unknown property 'nope'"),
]


@pytest.mark.parametrize("arguments, error, message", ERRORS)
def test_errors(arguments, error, message):
    with pytest.raises(error) as raised:
        charlore.property(*arguments)
    if message is not None:
        assert message in str(raised.value)


def test_keyword_arguments_refused():
    with pytest.raises(TypeError):
        charlore.property(name="lb", chr="a")


# A name written as a literal is found by its address and answered on a path of its own;
# the same name made at run time takes the general path. Both give the same answers.
TWIN_CHARS = ["a", "\u0301", "\u00bd", "\u0378", "\u4e00", "\U0001f600", "\U0010ffff", "\x00", "\u2163"]


@pytest.mark.parametrize("name", charlore._property_names)
def test_literal_and_built_names_agree(name):
    built = "".join(list(name))
    assert built is not name
    for char in TWIN_CHARS:
        assert same(charlore.property(name, char), charlore.property(built, char)), (name, char)


class Str(str):
    pass


def test_str_subclasses():
    assert charlore.property(Str("lb"), Str("a")) == "AL"
    assert charlore.property(Str("is Line Break"), "a") == "AL"


# Values whose source or default a reader could get wrong.
CASES = [
    ("bc", "\u0590", "R"), ("bc", "\u08a0", "AL"), ("bc", "\U0010ffff", "BN"), ("bc", "\ufdd0", "BN"),
    ("bc", "\U000e0fff", "BN"), ("bc", "\u0378", "L"), ("bc", "\u20cf", "ET"), ("bc", "\u05d0", "R"),
    ("gc", "\u0378", "Cn"), ("gc", "\U0010ffff", "Cn"), ("gc", "\U00020000", "Lo"),
    ("dt", "\uac00", "Can"), ("dt", "\u00c0", "Can"), ("dt", "\ufb01", "Com"), ("dt", "\u00a0", "Nb"),
    ("dt", "A", "None"), ("nt", "7", "De"), ("nt", "\u00b2", "Di"), ("nt", "\u00bd", "Nu"),
    ("nt", "\u4e00", "Nu"), ("nt", "A", "None"), ("nv", "\u4e07", 10000.0), ("nv", "A", None),
    ("ccc", "\u0301", 230), ("ccc", "A", 0), ("jt", "\u0301", "T"), ("jt", "A", "U"), ("jt", "\u0628", "D"),
    ("jg", "\u0628", "Beh"), ("jg", "A", "No_Joining_Group"), ("bpt", "(", "o"), ("bpt", "A", "n"),
    ("blk", "A", "ASCII"), ("blk", "\U000e0080", "NB"), ("age", "\u0378", "NA"), ("sc", "\u0378", "Zzzz"),
    ("Bidi_M", "(", True), ("Bidi_M", "A", False), ("CE", "\u0958", True), ("Comp_Ex", "\u0958", True),
    ("NFC_QC", "\u0301", "M"), ("NFC_QC", "A", "Y"), ("InCB", "\u094d", "Linker"), ("InCB", "A", "None"),
    ("ea", "\u3000", "F"), ("ea", "\u0378", "N"), ("lb", "\U000e0100", "CM"), ("lb", "\U000e0080", "XX"),
    ("vo", "\u3042", "U"),
    ("Emoji", "\U0001f600", True), ("ExtPict", "\U0001fffd", True), ("Alpha", "\U0010ffff", False),
    # full mappings, the conditional ones (Lithuanian, Turkish, final sigma) left out
    ("uc", "\u00df", "SS"), ("tc", "\u00df", "Ss"), ("lc", "\u0130", "i\u0307"), ("lc", "\u03a3", "\u03c3"),
    ("uc", "i", "I"), ("lc", "I", "i"), ("lc", "J", "j"), ("cf", "\u1e9e", "ss"), ("cf", "\u0130", "i\u0307"),
    # simple mappings: one code point, the character itself where there is none
    ("suc", "\u00df", "\u00df"), ("stc", "\u01c6", "\u01c5"), ("stc", "\u00df", "\u00df"),
    ("scf", "\u1e9e", "\u00df"), ("scf", "\u0130", "\u0130"), ("slc", "\u0130", "i"), ("suc", "\u0378", "\u0378"),
    ("dm", "\u00c0", "A\u0300"), ("dm", "\ufb01", "fi"), ("dm", "\uac01", "\u1100\u1161\u11a8"),
    ("dm", "a", "a"), ("bmg", "(", ")"), ("bmg", "a", None), ("bpb", "]", "["), ("bpb", "\u2264", None),
    ("EqUIdeo", "\u2e81", "\u5382"), ("EqUIdeo", "a", None), ("NFKC_CF", "\u00ad", ""),
    ("NFKC_CF", "\u1e9e", "ss"), ("NFKC_SCF", "\u1e9e", "\u00df"), ("NFKC_CF", "\U000e0fff", ""),
    ("FC_NFKC", "\u037a", " \u03b9"), ("FC_NFKC", "a", "a"),
    ("na", "\u4e00", "CJK UNIFIED IDEOGRAPH-4E00"), ("na", "\uac00", "HANGUL SYLLABLE GA"), ("na", "\x00", None),
    ("na", "\ue000", None), ("Name_Alias", "\x00", ("NULL", "NUL")), ("Name_Alias", "a", ()),
    ("na1", "\x0a", "LINE FEED (LF)"), ("na1", "a", ""), ("isc", "a", ""), ("JSN", "\u1100", "G"),
    ("JSN", "\u11a8", "G"), ("JSN", "\u110b", ""), ("JSN", "a", ""), ("scx", "\u0660", ("Arab", "Thaa", "Yezi")),
    ("scx", "a", ("Latn",)),
]


@pytest.mark.parametrize("name, char, expected", CASES)
def test_cases(name, char, expected):
    assert same(charlore.property(name, char), expected)


def test_current_database_only():
    assert not hasattr(charlore.ucd_3_2_0, "property")
