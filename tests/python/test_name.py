"""name(): stored names, derived names, defaults and the Unicode 3.2.0 rules."""
import pytest

import charlore
import ucd_names

CURRENT, OLD = charlore, charlore.ucd_3_2_0

NAMED = [
    (CURRENT, 0x0041, "LATIN CAPITAL LETTER A"),
    (CURRENT, 0x0061, "LATIN SMALL LETTER A"),
    (CURRENT, 0xFEFF, "ZERO WIDTH NO-BREAK SPACE"),
    (CURRENT, 0x01A2, "LATIN CAPITAL LETTER OI"),  # its correction alias is never returned
    (CURRENT, 0x1B2FB, "NUSHU CHARACTER-1B2FB"),
    (CURRENT, 0xF900, "CJK COMPATIBILITY IDEOGRAPH-F900"),
    (CURRENT, 0x1FBA8, "BOX DRAWINGS LIGHT DIAGONAL UPPER CENTRE TO MIDDLE LEFT AND MIDDLE RIGHT TO LOWER CENTRE"),
    (CURRENT, 0xAC00, "HANGUL SYLLABLE GA"),
    (CURRENT, 0xAC01, "HANGUL SYLLABLE GAG"),
    (CURRENT, 0xAC02, "HANGUL SYLLABLE GAGG"),
    (CURRENT, 0xC544, "HANGUL SYLLABLE A"),
    (CURRENT, 0xD7A3, "HANGUL SYLLABLE HIH"),
    (CURRENT, 0x3400, "CJK UNIFIED IDEOGRAPH-3400"),
    (CURRENT, 0x9FFF, "CJK UNIFIED IDEOGRAPH-9FFF"),
    (CURRENT, 0x20000, "CJK UNIFIED IDEOGRAPH-20000"),
    (CURRENT, 0x2EBE0, "CJK UNIFIED IDEOGRAPH-2EBE0"),
    (CURRENT, 0x17000, "TANGUT IDEOGRAPH-17000"),
    (CURRENT, 0x18D20, "TANGUT IDEOGRAPH-18D20"),
    (CURRENT, 0x18E00, "JURCHEN CHARACTER-18E00"),
    (CURRENT, 0x3FC3F, "SMALL SEAL CHARACTER-3FC3F"),
    (CURRENT, 0x4DC0, "HEXAGRAM FOR THE CREATIVE HEAVEN"),
    (CURRENT, 0xA000, "YI SYLLABLE IT"),
    (CURRENT, 0x18800, "TANGUT COMPONENT-001"),
    (CURRENT, 0x2B81E, "CJK UNIFIED IDEOGRAPH-2B81E"),
    (CURRENT, 0x2B820, "CJK UNIFIED IDEOGRAPH-2B820"),
    (CURRENT, 0x323AF, "CJK UNIFIED IDEOGRAPH-323AF"),
    (CURRENT, 0x323B0, "CJK UNIFIED IDEOGRAPH-323B0"),
    (OLD, 0x0041, "LATIN CAPITAL LETTER A"),
    (OLD, 0x4DB5, "CJK UNIFIED IDEOGRAPH-4DB5"),
    (OLD, 0x4E00, "CJK UNIFIED IDEOGRAPH-4E00"),
    (OLD, 0xD7A3, "HANGUL SYLLABLE HIH"),
    (OLD, 0x00AD, "SOFT HYPHEN"),  # properties changed since 3.2.0, the name stands
]

UNNAMED = [
    (CURRENT, 0x0000),  # control characters have only aliases
    (CURRENT, 0x0378),  # unassigned
    (CURRENT, 0xD800),  # surrogate
    (CURRENT, 0xE000),  # private use
    (CURRENT, 0x10FFFF),
    (CURRENT, 0x2B81F),  # between two ideograph ranges
    (CURRENT, 0xF0000),  # private code point of the alias NULL
    (CURRENT, 0xF01E0),  # last alias
    (CURRENT, 0xF01E1),
    (CURRENT, 0xF0200),  # private code point of the first named sequence
    (CURRENT, 0xF03CC),  # last named sequence
    (CURRENT, 0xF03CD),
    (OLD, 0x0221),  # LATIN SMALL LETTER D WITH CURL, unassigned in 3.2.0
    (OLD, 0x4DBF),
    (OLD, 0x9FFF),
    (OLD, 0x17000),
    (OLD, 0x18E00),
    (OLD, 0x3D000),
    (OLD, 0xF0000),
]


@pytest.mark.parametrize("database, cp, expected", NAMED)
def test_name(database, cp, expected):
    assert database.name(chr(cp)) == expected


@pytest.mark.parametrize("database, cp", UNNAMED)
def test_no_name(database, cp):
    with pytest.raises(ValueError) as error:
        database.name(chr(cp))
    assert error.value.args == ("no such name",)


@pytest.mark.parametrize("default", [None, 5, "x", ()])
def test_default_is_returned_itself(database, default):
    assert database.name("\0", default) is default
    assert database.name("A", default) == "LATIN CAPITAL LETTER A"


@pytest.mark.parametrize("arguments", [(), ("",), ("AB",), (65,), (b"A",), ("A", None, None)])
def test_argument_errors(database, arguments):
    with pytest.raises(TypeError):
        database.name(*arguments)


def test_unbound_method_applies_the_old_version():
    assert charlore.UCD.name(OLD, "\u0221", None) is None
    assert charlore.name("\u0221") == "LATIN SMALL LETTER D WITH CURL"


def test_every_code_point(database):
    """name of every code point equals the name derived from the UCD files."""
    expected = ucd_names.names_of(database)
    name = database.name
    wrong = [(hex(cp), got, expected.get(cp)) for cp in range(0x110000)
             if (got := name(chr(cp), None)) != expected.get(cp)]
    assert wrong == []

