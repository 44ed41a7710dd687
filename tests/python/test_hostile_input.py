"""Hostile input, one table: every Python-visible function with wrong types, wrong
lengths, lone surrogates, the largest code point, embedded NULs, str subclasses, buffers
for lookup, invalid UTF-8, names at and past the length limit, strings of ten million
characters and wrong argument counts. Each row gives the exact answer (value and type)
or the exact exception type, with the message wherever the module sets it.

Expected values come from the UCD files through ucd_data, never from the module."""
import functools

import pytest

import charlore
from query_cases import DATABASES, outcome
from ucd_data import unicode_data

BIG = 10 ** 7
SENTINEL = object()


class Str(str):
    """A str subclass, which every str argument must accept like a str."""


def fields(ch):
    return unicode_data().get(ord(ch))


def category(ch):
    return fields(ch)[2] if fields(ch) else "Cn"


def bidirectional(ch):
    return fields(ch)[4] if fields(ch) else ""


def ucd_name(ch):
    return fields(ch)[1]


@functools.lru_cache(maxsize=None)
def characters_by_name():
    return {f[1]: chr(cp) for cp, f in unicode_data().items() if not f[1].startswith("<")}


def named(name):
    return characters_by_name()[name]


def canonical_mapping(ch):
    """The canonical decomposition mapping of ch, one level deep."""
    return "".join(chr(int(cp, 16)) for cp in fields(ch)[5].split())


def combining_class(ch):
    return int(fields(ch)[3]) if fields(ch) else 0


def value(result):
    return ("value", type(result), result)


def error(exception_type, message=None):
    """An exception; its message is compared only where the module sets it."""
    return ("error", exception_type, None if message is None else (message,))


def undefined(name_text):
    return error(KeyError, f"undefined character name '{name_text}'")


TOO_LONG = error(KeyError, "name too long")
NO_NAME = error(ValueError, "no such name")
BAD_FORM = error(ValueError, "invalid normalization form")

CHARACTER_QUERIES = ["decimal", "digit", "numeric", "category", "bidirectional", "combining",
                     "mirrored", "east_asian_width", "decomposition", "name"]

# Expected exceptions of the queries that take one character, for a character without
# a value and without a default.
NO_VALUE = {"decimal": error(ValueError, "not a decimal"), "digit": error(ValueError, "not a digit"),
            "numeric": error(ValueError, "not a numeric character"), "name": NO_NAME}


def character_rows(label, ch, answers):
    """One row per single-character query for ch; answers maps query -> expected."""
    return [(f"{label}-{query}", query, (ch,), answers[query]) for query in CHARACTER_QUERIES]


def big_mark_run():
    return "a" + "\u0301\u0316" * (BIG // 2)


ROWS = [
    # Wrong types
    *[(f"int-{q}", q, (65,), error(TypeError)) for q in CHARACTER_QUERIES],
    *[(f"bytes-{q}", q, (b"A",), error(TypeError)) for q in CHARACTER_QUERIES],
    *[(f"none-{q}", q, (None,), error(TypeError)) for q in CHARACTER_QUERIES],
    ("int-lookup", "lookup", (65,), error(TypeError)),
    ("none-lookup", "lookup", (None,), error(TypeError)),
    ("list-lookup", "lookup", (["SPACE"],), error(TypeError)),
    ("bytes-form", "normalize", (b"NFC", "a"), error(TypeError)),
    ("none-form", "normalize", (None, "a"), error(TypeError)),
    ("bytes-string", "normalize", ("NFC", b"a"), error(TypeError)),
    ("none-string", "normalize", ("NFC", None), error(TypeError)),
    ("list-string", "normalize", ("NFC", ["a"]), error(TypeError)),
    # Wrong lengths
    *[(f"empty-{q}", q, ("",), error(TypeError)) for q in CHARACTER_QUERIES],
    *[(f"two-{q}", q, ("AB",), error(TypeError)) for q in CHARACTER_QUERIES],
    ("empty-form", "normalize", ("", "a"), BAD_FORM),
    ("long-form", "normalize", ("NFCC", "a"), BAD_FORM),
    ("short-form", "normalize", ("NF", "a"), BAD_FORM),
    ("lower-form", "normalize", ("nfkd", "a"), BAD_FORM),
    ("bad-form-empty-string", "normalize", ("bogus", ""), value("")),
    # Lone surrogates
    *character_rows("surrogate", "\ud800", {
        **NO_VALUE, "category": category("\ud800"), "bidirectional": bidirectional("\ud800"),
        "combining": 0, "mirrored": 0, "east_asian_width": "N", "decomposition": ""}),
    ("surrogate-lookup", "lookup", ("\udc80",), error(UnicodeEncodeError)),
    ("surrogate-form", "normalize", ("NFC\ud800", "a"), error(UnicodeEncodeError)),
    *[(f"surrogate-{form}", "normalize", (form, "a\udfff\u0301\ud800"), value("a\udfff\u0301\ud800"))
      for form in ("NFC", "NFD", "NFKC", "NFKD")],
    # The largest code point
    *character_rows("max", "\U0010ffff", {
        **NO_VALUE, "category": "Cn", "bidirectional": "", "combining": 0, "mirrored": 0,
        "east_asian_width": "N", "decomposition": ""}),
    ("max-lookup", "lookup", ("\U0010ffff",), undefined("\U0010ffff")),
    ("max-ideograph-lookup", "lookup", ("CJK UNIFIED IDEOGRAPH-10FFFF",),
     undefined("CJK UNIFIED IDEOGRAPH-10FFFF")),
    ("past-max-ideograph-lookup", "lookup", ("CJK UNIFIED IDEOGRAPH-110000",),
     undefined("CJK UNIFIED IDEOGRAPH-110000")),
    ("huge-ideograph-lookup", "lookup", ("CJK UNIFIED IDEOGRAPH-FFFFFF",),
     undefined("CJK UNIFIED IDEOGRAPH-FFFFFF")),
    *[(f"max-{form}", "normalize", (form, "\U0010ffff\u0301"), value("\U0010ffff\u0301"))
      for form in ("NFC", "NFD", "NFKC", "NFKD")],
    # Embedded NULs
    *character_rows("nul", "\x00", {
        **NO_VALUE, "category": "Cc", "bidirectional": "BN", "combining": 0, "mirrored": 0,
        "east_asian_width": "N", "decomposition": ""}),
    ("nul-lookup", "lookup", ("\x00",), undefined("")),
    ("trailing-nul-lookup", "lookup", ("LATIN SMALL LETTER A\x00",), undefined("LATIN SMALL LETTER A")),
    ("inner-nul-lookup", "lookup", (b"SPA\x00CE",), undefined("SPA")),
    ("nul-form", "normalize", ("NFC\x00", "a"), error(ValueError)),
    *[(f"nul-{form}", "normalize", (form, "a\x00\u0301\x00"), value("a\x00\u0301\x00"))
      for form in ("NFC", "NFD", "NFKC", "NFKD")],
    # str subclasses: accepted like str; normalize always answers with an exact str
    ("subclass-category", "category", (Str("A"),), category("A")),
    ("subclass-name", "name", (Str("A"),), ucd_name("A")),
    ("subclass-name-default", "name", (Str("\x00"), SENTINEL), SENTINEL),
    ("subclass-lookup", "lookup", (Str("space"),), named("SPACE")),
    ("subclass-form", "normalize", (Str("NFD"), "\u00c0"), value(canonical_mapping("\u00c0"))),
    ("subclass-normalized", "normalize", ("NFC", Str("abc")), value("abc")),
    ("subclass-changed", "normalize", ("NFD", Str("\u00c0")), value(canonical_mapping("\u00c0"))),
    ("subclass-empty", "normalize", ("NFKC", Str("")), value("")),
    # Buffers for lookup: the parser takes bytes, and refuses writable buffers and those
    # that must be released after use (memoryview)
    ("bytes-lookup", "lookup", (b"SPACE",), named("SPACE")),
    ("lowercase-bytes-lookup", "lookup", (b"latin small letter a",), named("LATIN SMALL LETTER A")),
    ("memoryview-lookup", "lookup", (memoryview(b"SPACE"),), error(TypeError)),
    ("bytearray-lookup", "lookup", (bytearray(b"SPACE"),), error(TypeError)),
    ("writable-memoryview-lookup", "lookup", (memoryview(bytearray(b"SPACE")),), error(TypeError)),
    # Invalid UTF-8: never a name; the message shows the bytes decoded with replacement
    ("invalid-utf8-lookup", "lookup", (b"\xff\xfe",), undefined("\ufffd\ufffd")),
    ("truncated-utf8-lookup", "lookup", (b"LATIN SMALL LETTER A\xc3",),
     undefined("LATIN SMALL LETTER A\ufffd")),
    ("latin1-lookup", "lookup", (b"LATIN SMALL LETTER \xe9",), undefined("LATIN SMALL LETTER \ufffd")),
    # Names at and past the limit of 256 bytes
    ("256-lookup", "lookup", ("A" * 256,), undefined("A" * 256)),
    ("257-lookup", "lookup", ("A" * 257,), TOO_LONG),
    ("256-bytes-lookup", "lookup", (b"A" * 256,), undefined("A" * 256)),
    ("257-bytes-lookup", "lookup", (b"A" * 257,), TOO_LONG),
    ("256-utf8-lookup", "lookup", ("\u00e9" * 128,), undefined("\u00e9" * 128)),
    ("257-utf8-lookup", "lookup", ("\u00e9" * 128 + "A",), TOO_LONG),
    ("256-hangul-lookup", "lookup", ("HANGUL SYLLABLE " + "G" * 240,), undefined("HANGUL SYLLABLE " + "G" * 240)),
    ("256-ideograph-lookup", "lookup", ("CJK UNIFIED IDEOGRAPH-" + "4" * 234,),
     undefined("CJK UNIFIED IDEOGRAPH-" + "4" * 234)),
    # Strings of ten million characters
    ("big-normalized", "normalize", ("NFC", lambda: "a" * BIG), lambda: value("a" * BIG)),
    ("big-NFD", "normalize", ("NFD", lambda: "\u00c0" * BIG),
     lambda: value(canonical_mapping("\u00c0") * BIG)),
    ("big-NFC", "normalize", ("NFC", lambda: "A\u0300" * (BIG // 2)), lambda: value("\u00c0" * (BIG // 2))),
    ("big-mark-run", "normalize", ("NFKD", big_mark_run),
     lambda: value("a" + "".join(sorted("\u0301\u0316", key=combining_class)[i] * (BIG // 2) for i in (0, 1)))),
    ("big-lookup", "lookup", (lambda: "A" * BIG,), TOO_LONG),
    ("big-category", "category", (lambda: "A" * BIG,), error(TypeError)),
    ("big-name", "name", (lambda: "A" * BIG,), error(TypeError)),
    ("big-form", "normalize", (lambda: "N" * BIG, "a"), BAD_FORM),
    # Too many or too few arguments, and keywords
    *[(f"none-given-{q}", q, (), error(TypeError)) for q in CHARACTER_QUERIES + ["lookup", "normalize"]],
    *[(f"too-many-{q}", q, ("A", "B"), error(TypeError))
      for q in ["category", "bidirectional", "combining", "mirrored", "east_asian_width", "decomposition",
                "lookup"]],
    *[(f"too-many-{q}", q, ("A", None, None), error(TypeError)) for q in ["decimal", "digit", "numeric", "name"]],
    ("one-given-normalize", "normalize", ("NFC",), error(TypeError)),
    ("too-many-normalize", "normalize", ("NFC", "a", "b"), error(TypeError)),
    # Defaults: the very object passed in, whatever it is
    *[(f"default-{q}", q, ("\U0010ffff", SENTINEL), SENTINEL) for q in ["decimal", "digit", "numeric", "name"]],
    *[(f"none-default-{q}", q, ("\U0010ffff", None), None) for q in ["decimal", "digit", "numeric", "name"]],
    # Plain answers, so that the table also shows the functions working
    ("name-A", "name", ("A",), ucd_name("A")),
    ("lookup-A", "lookup", ("Latin Small Letter A",), named("LATIN SMALL LETTER A")),
    ("category-A", "category", ("A",), category("A")),
]


def resolved(item):
    return item() if callable(item) else item


def expected_outcome(expected):
    expected = resolved(expected)
    return expected if isinstance(expected, tuple) and expected[:1] in (("value",), ("error",)) else value(expected)


@pytest.mark.parametrize("db_name", DATABASES)
@pytest.mark.parametrize("query, arguments, expected", [row[1:] for row in ROWS], ids=[row[0] for row in ROWS])
def test_hostile_input(db_name, query, arguments, expected):
    got = outcome(getattr(DATABASES[db_name], query), tuple(resolved(a) for a in arguments))
    want = expected_outcome(expected)
    if want[0] == "error" and want[2] is None:
        got = got[:2] + (None,)
    assert got[:2] == want[:2]
    # Compared separately so that a failure on a ten-million-character string stays readable.
    assert got[2] == want[2], "different result"


@pytest.mark.parametrize("arguments", [(charlore, "A"), ("A",), (Str("A"), "A")])
def test_unbound_method_refuses_other_selves(arguments):
    with pytest.raises(TypeError):
        charlore.UCD.category(*arguments)


@pytest.mark.parametrize("query, arguments", [("category", {"chr": "A"}), ("name", {"chr": "A"}),
                                              ("lookup", {"name": "SPACE"}),
                                              ("normalize", {"form": "NFC", "unistr": "a"})])
def test_keywords_are_refused(query, arguments):
    for db in DATABASES.values():
        with pytest.raises(TypeError):
            getattr(db, query)(**arguments)


def test_big_normalized_string_comes_back_as_itself():
    text = "a" * BIG
    assert charlore.normalize("NFC", text) is text
