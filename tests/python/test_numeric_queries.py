"""decimal, digit and numeric on the module (UCD 18.0.0) and on ucd_3_2_0."""
import sys

import pytest

import charlore
import ucd_data
import ucd_numeric

OLD = charlore.ucd_3_2_0
MESSAGES = {"decimal": "not a decimal", "digit": "not a digit", "numeric": "not a numeric character"}
NONE = object()  # marks "no value: raises, or returns the default"


def answer(database, query, cp):
    """The query's result for chr(cp), or NONE when it has no value (checked both ways)."""
    function = getattr(database, query)
    marker = object()
    result = function(chr(cp), marker)
    if result is marker:
        with pytest.raises(ValueError) as raised:
            function(chr(cp))
        assert str(raised.value) == MESSAGES[query]
        return NONE
    assert function(chr(cp)) == result
    return result


CURRENT_CASES = [
    # code point, decimal, digit, numeric
    (0x0037, 7, 7, 7.0),
    (0x0061, NONE, NONE, NONE),
    (0x00B2, NONE, 2, 2.0),
    (0x2070, NONE, 0, 0.0),
    (0x00BD, NONE, NONE, 0.5),
    (0x3405, NONE, NONE, 5.0),
    (0x5793, NONE, NONE, NONE),
    (0x09F4, NONE, NONE, 0.0625),
    (0x1369, NONE, 1, 1.0),
    (0x19DA, NONE, 1, 1.0),
    (0x09F8, NONE, NONE, 0.75),
    (0x0660, 0, 0, 0.0),
    (0x5146, NONE, NONE, 1e12),
    (0x4EAC, NONE, NONE, 1e16),
    (0x0F33, NONE, NONE, -0.5),
    (0x2153, NONE, NONE, 1 / 3),
    (0xD800, NONE, NONE, NONE),
    (0x10FFFF, NONE, NONE, NONE),
]

OLD_CASES = [
    (0x00B2, 2, 2, 2.0),       # decimal in 3.2.0, not today
    (0x2070, 0, 0, 0.0),
    (0x1369, 1, 1, 1.0),
    (0x19DA, NONE, 1, NONE),   # not assigned in 3.2.0: digit still answers
    (0x5793, NONE, NONE, 1e20),
    (0x3405, NONE, NONE, NONE),
    (0x09F8, NONE, NONE, NONE),
    (0x09F4, NONE, NONE, 1.0),
    (0x0037, 7, 7, 7.0),
    (0x0660, 0, 0, 0.0),
]


TELLING = [pytest.param(charlore, c, id=f"current-U+{c[0]:04X}") for c in CURRENT_CASES] + [
    pytest.param(OLD, c, id=f"3.2.0-U+{c[0]:04X}") for c in OLD_CASES]


@pytest.mark.parametrize("database, case", TELLING)
def test_telling_characters(database, case):
    cp, *expected = case
    got = [answer(database, query, cp) for query in ("decimal", "digit", "numeric")]
    assert got == expected
    for query, value in zip(("decimal", "digit", "numeric"), got):
        if value is not NONE:
            assert type(value) is (float if query == "numeric" else int)


def test_zero_is_a_value_and_not_its_absence(database):
    assert database.numeric("\u2070") == 0.0
    assert database.digit("\u2070") == 0
    assert database.numeric("0", None) == 0.0


@pytest.mark.parametrize("query", ["decimal", "digit", "numeric"])
def test_default_is_the_very_object_passed(database, query):
    function = getattr(database, query)
    for default in (None, NONE, [], "x", 0):
        assert function("a", default) is default
    # The default's reference is raised for the result, not taken from the caller.
    default = object()
    before = sys.getrefcount(default)
    for _ in range(1000):
        function("a", default)
    assert sys.getrefcount(default) == before


@pytest.mark.parametrize("query", ["decimal", "digit", "numeric"])
def test_message_without_default(database, query):
    with pytest.raises(ValueError) as raised:
        getattr(database, query)("a")
    assert str(raised.value) == MESSAGES[query]
    assert type(raised.value) is ValueError


@pytest.mark.parametrize("query", ["decimal", "digit", "numeric"])
@pytest.mark.parametrize("arguments", [(), ("ab",), ("",), (7,), (b"7",), ("7", None, None)])
def test_wrong_arguments_are_type_errors(database, query, arguments):
    with pytest.raises(TypeError):
        getattr(database, query)(*arguments)


def test_value_beats_default(database):
    assert database.decimal("7", None) == 7
    assert database.digit("7", None) == 7
    assert database.numeric("7", None) == 7.0


# ---- Every code point ----

def all_characters():
    return (chr(cp) for cp in range(0x110000))


def scan(function):
    """Code point -> result for every code point that has a value."""
    marker = object()
    found = {}
    for ch in all_characters():
        value = function(ch, marker)
        if value is not marker:
            found[ord(ch)] = value
    return found


def test_current_values_of_every_code_point():
    decimal, digit, numeric = ucd_numeric.values()
    assert scan(charlore.decimal) == decimal
    assert scan(charlore.digit) == digit
    assert scan(charlore.numeric) == numeric


def test_current_value_counts():
    numeric = scan(charlore.numeric)
    assert len(numeric) == 2348
    assert len(set(numeric.values())) == 144
    assert numeric[0x5146] == 1e12


def test_old_decimal_of_every_code_point_is_that_of_3_2_0():
    decimal, _digit, _numeric = ucd_numeric.values(ucd_data.V320)
    assert scan(OLD.decimal) == decimal


def test_old_digit_answers_exactly_like_the_module():
    assert scan(OLD.digit) == scan(charlore.digit)


def test_old_numeric_of_every_code_point_but_ideographs():
    # Ideographs took their values from the Unihan database of the time, which is not among
    # the suite's files: the telling cases cover them. Every other code point has the
    # value of Unicode 3.2.0's UnicodeData.txt.
    old = ucd_data.unicode_data(ucd_data.V320)
    ideographs = {cp for cp, fields in old.items()
                  if fields[1].startswith(("<CJK Ideograph", "CJK COMPATIBILITY IDEOGRAPH"))}
    ideographs |= set(ucd_numeric.unihan_numeric())
    _decimal, _digit, numeric = ucd_numeric.values(ucd_data.V320)
    got = {cp: value for cp, value in scan(OLD.numeric).items() if cp not in ideographs}
    assert got == {cp: value for cp, value in numeric.items() if cp not in ideographs}


def test_characters_new_since_3_2_0_have_no_old_values():
    old = ucd_data.unicode_data(ucd_data.V320)
    new = [cp for cp in ucd_data.unicode_data() if cp not in old]
    marker = object()
    assert [cp for cp in new if OLD.decimal(chr(cp), marker) is not marker] == []
    assert [cp for cp in new if OLD.numeric(chr(cp), marker) is not marker] == []
