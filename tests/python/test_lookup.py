"""lookup(): the ideograph, Hangul and hash routes, aliases, named sequences, refusals and
their messages, and the Unicode 3.2.0 rules."""
import pytest
from hypothesis import given, settings, strategies as st

import charlore
import ucd_names

CURRENT, OLD = charlore, charlore.ucd_3_2_0

FOUND = [
    (CURRENT, "LATIN SMALL LETTER A", "a"),
    (CURRENT, "latin small letter a", "a"),
    (CURRENT, "Latin Small Letter A", "a"),
    (CURRENT, "SPACE", " "),
    (CURRENT, "space", " "),
    (CURRENT, "CJK UNIFIED IDEOGRAPH-4E00", "\u4e00"),
    (CURRENT, "cjk unified ideograph-4e00", "\u4e00"),
    (CURRENT, "cjk unified ideograph-2ebe0", "\U0002ebe0"),
    (CURRENT, "SMALL SEAL CHARACTER-3d000", "\U0003d000"),
    (CURRENT, "CJK COMPATIBILITY IDEOGRAPH-F900", "\uf900"),  # hash route: the prefix breaks off
    (CURRENT, "TANGUT COMPONENT-001", "\U00018800"),
    (CURRENT, "HANGUL SYLLABLE GA", "\uac00"),
    (CURRENT, "hangul syllable gagg", "\uac02"),
    (CURRENT, "HANGUL SYLLABLE GAK", "\uac18"),
    (CURRENT, "HANGUL SYLLABLE A", "\uc544"),
    (CURRENT, "HANGUL SYLLABLE YEO", "\uc5ec"),
    (CURRENT, "HANGUL SYLLABLE GGYEOLH", "\uaf03"),
    (CURRENT, "HANGUL CHOSEONG KIYEOK", "\u1100"),
    # aliases give their character
    (CURRENT, "NULL", "\0"),
    (CURRENT, "NUL", "\0"),
    (CURRENT, "null", "\0"),
    (CURRENT, "PADDING CHARACTER", "\x80"),
    (CURRENT, "BYTE ORDER MARK", "\ufeff"),
    (CURRENT, "VS256", "\U000e01ef"),
    (CURRENT, "LATIN CAPITAL LETTER GHA", "\u01a2"),
    # named sequences give their string
    (CURRENT, "KEYCAP NUMBER SIGN", "#\ufe0f\u20e3"),
    (CURRENT, "KEYCAP DIGIT ZERO", "0\ufe0f\u20e3"),
    (CURRENT, "TAMIL SYLLABLE KSSAA", "\u0b95\u0bcd\u0bb7\u0bbe"),
    (CURRENT, "MODIFIER LETTER EXTRA-LOW EXTRA-HIGH CONTOUR TONE BAR", "\u02e9\u02e5"),
    (OLD, "LATIN SMALL LETTER A", "a"),
    (OLD, "TANGUT IDEOGRAPH-17000", "\U00017000"),  # derived names ignore the version
    (OLD, "CJK UNIFIED IDEOGRAPH-9FFF", "\u9fff"),
    (OLD, "HANGUL SYLLABLE GA", "\uac00"),
]

NOT_FOUND = [
    (CURRENT, ""),
    (CURRENT, "LATIN SMALL LETTER A "),
    (CURRENT, "LATIN  SMALL LETTER A"),
    (CURRENT, " LATIN SMALL LETTER A"),
    (CURRENT, "LATIN_SMALL_LETTER_A"),
    (CURRENT, "LATIN SMALL LETTER"),
    (CURRENT, "CJK UNIFIED IDEOGRAPH-04E00"),  # leading zero
    (CURRENT, "CJK UNIFIED IDEOGRAPH-4E0"),  # three digits
    (CURRENT, "CJK UNIFIED IDEOGRAPH-0004E00"),  # seven digits
    (CURRENT, "CJK UNIFIED IDEOGRAPH-4G00"),
    (CURRENT, "CJK UNIFIED IDEOGRAPH-4E00 "),
    (CURRENT, "CJK UNIFIED IDEOGRAPH-+4E00"),
    (CURRENT, "CJK UNIFIED IDEOGRAPH-110000"),
    (CURRENT, "CJK UNIFIED IDEOGRAPH-FFFFFF"),
    (CURRENT, "CJK UNIFIED IDEOGRAPH-2B81F"),  # in no range
    (CURRENT, "CJK UNIFIED IDEOGRAPH-"),
    (CURRENT, "TANGUT IDEOGRAPH-4E00"),  # range of another kind
    (CURRENT, "CJK UNIFIED IDEOGRAPH-17000"),
    (CURRENT, "CJK UNIFIED IDEOGRAPH-F900"),  # the ideograph route does not fall back
    (CURRENT, "NUSHU CHARACTER-1B2FC"),
    (CURRENT, "HANGUL SYLLABLE "),
    (CURRENT, "HANGUL SYLLABLE"),  # hash route
    (CURRENT, "HANGUL SYLLABLE GAGGG"),  # a letter left over
    (CURRENT, "HANGUL SYLLABLE KIYEOK"),
    (CURRENT, "HANGUL SYLLABLE G"),  # no vowel
    (CURRENT, "HANGUL SYLLABLE GA "),
    (CURRENT, "LATIN SMALL LETTER A\0"),
    (CURRENT, "LATIN SMALL LETTER \u00c0"),
    (OLD, "LATIN SMALL LETTER D WITH CURL"),  # unassigned in 3.2.0
    (OLD, "NULL"),
    (OLD, "BYTE ORDER MARK"),
    (OLD, "KEYCAP DIGIT ZERO"),
]


def undefined(text):
    return f"undefined character name '{text}'"


@pytest.mark.parametrize("database, name, expected", FOUND)
def test_found(database, name, expected):
    assert database.lookup(name) == expected
    assert database.lookup(name.encode()) == expected


@pytest.mark.parametrize("database, name", NOT_FOUND)
def test_not_found(database, name):
    with pytest.raises(KeyError) as error:
        database.lookup(name)
    assert error.value.args == (undefined(name.split("\0")[0]),)


@pytest.mark.parametrize(
    "argument, message",
    [
        ("LATIN\0SMALL LETTER A", undefined("LATIN")),  # the message ends at a NUL byte
        ("\0", undefined("")),
        ("CAF\u00c9", undefined("CAF\u00c9")),  # non-ASCII text is shown as given
        ("\u20ac uro", undefined("\u20ac uro")),
        (b"\xe9t\xe9", undefined("\ufffdt\ufffd")),  # undecodable bytes are replaced
        (b"latin small letter z\xff", undefined("latin small letter z\ufffd")),
        ("x" * 256, undefined("x" * 256)),
        ("\u00e9" * 128, undefined("\u00e9" * 128)),  # 256 bytes in UTF-8
        ("x" * 257, "name too long"),
        ("\u00e9" * 129, "name too long"),  # 129 characters but 258 bytes
        (b"x" * 1000, "name too long"),
        ("CJK UNIFIED IDEOGRAPH-" + "4" * 234, undefined("CJK UNIFIED IDEOGRAPH-" + "4" * 234)),
        ("CJK UNIFIED IDEOGRAPH-" + "4" * 235, "name too long"),
    ],
)
def test_messages(database, argument, message):
    with pytest.raises(KeyError) as error:
        database.lookup(argument)
    assert error.value.args == (message,)


@pytest.mark.parametrize(
    "argument, expected",
    [
        (b"SPACE", " "),
        (b"keycap digit zero", "0\ufe0f\u20e3"),
    ],
)
def test_bytes_like_arguments(argument, expected):
    assert charlore.lookup(argument) == expected


# The parser takes str and bytes; writable or releasable buffers are refused.
@pytest.mark.parametrize("argument", [bytearray(b"SPACE"), memoryview(b"SPACE"), 32, None, ["SPACE"], "\ud800"])
def test_argument_errors(database, argument):
    with pytest.raises((TypeError, UnicodeEncodeError)):
        database.lookup(argument)


def test_no_arguments_or_two():
    with pytest.raises(TypeError):
        charlore.lookup()
    with pytest.raises(TypeError):
        charlore.lookup("SPACE", "SPACE")


def test_every_alias():
    for cp, alias, kind in ucd_names.aliases():
        assert charlore.lookup(alias) == chr(cp), (alias, kind)
        assert charlore.lookup(alias.lower()) == chr(cp), (alias, kind)
        with pytest.raises(KeyError):
            OLD.lookup(alias)


def test_every_named_sequence():
    for name, string in ucd_names.named_sequences():
        assert charlore.lookup(name) == string
        assert charlore.lookup(name.lower()) == string
        with pytest.raises(KeyError):
            OLD.lookup(name)


def test_aliases_and_sequences_are_never_names(database):
    private_names = {alias for _, alias, _ in ucd_names.aliases()} | {n for n, _ in ucd_names.named_sequences()}
    assert private_names.isdisjoint(ucd_names.current_names().values())
    for cp in range(0xF0000, 0xF0400):
        assert database.name(chr(cp), None) is None


def test_every_name_is_found_again(database):
    """lookup of every name that name() gives, upper and lower case, gives its character."""
    lookup = database.lookup
    wrong = []
    for cp, name in ucd_names.names_of(database).items():
        for text in (name, name.lower()):
            try:
                got = lookup(text)
            except KeyError:
                got = None
            if got != chr(cp):
                wrong.append((hex(cp), text, got))
    assert wrong == []


def test_characters_new_since_3_2_0_are_not_found_on_the_old_object():
    old_names = ucd_names.v320_names()
    for cp, name in ucd_names.current_names().items():
        if cp not in old_names and not name.startswith(ucd_names.DERIVED_PREFIXES):
            with pytest.raises(KeyError):
                OLD.lookup(name)


# Text close to real names: pieces of names, case changes, stray spaces and digits.
NAME_PIECES = [
    "LATIN", "SMALL", "CAPITAL", "LETTER", "A", "a", "SPACE", "NULL", "KEYCAP", "DIGIT", "ZERO", "CJK",
    "UNIFIED", "IDEOGRAPH-", "HANGUL", "SYLLABLE", "GA", "gg", "YEO", "LH", "TANGUT", "4E00", "2ebe0",
    "04E00", "F900", "17000", " ", "  ", "-", "\0", "\u00e9", "WITH", "CURL", "D", "SIGN",
]
KNOWN_NAMES = sorted(ucd_names.lookup_results("18.0.0"))


@st.composite
def near_names(draw):
    """A known name, possibly with a piece inserted or removed and its case changed."""
    name = KNOWN_NAMES[draw(st.integers(0, len(KNOWN_NAMES) - 1))]
    at = draw(st.integers(0, len(name)))
    piece = draw(st.sampled_from(["", "", " ", "-", "A", "0", "H", "\0"]))
    cut = draw(st.integers(0, 1))
    name = name[:at] + piece + name[at + cut:]
    return name.lower() if draw(st.booleans()) else name


name_like = (
    st.lists(st.sampled_from(NAME_PIECES), max_size=8).map("".join)
    | st.text(alphabet=st.characters(max_codepoint=0x7F), max_size=40)
    | near_names()
)


@settings(max_examples=2000, deadline=None)
@given(text=name_like, old=st.booleans())
def test_lookup_finds_exactly_the_known_names(text, old):
    """Whatever the text, lookup finds something exactly when its upper case is a known name."""
    database = OLD if old else CURRENT
    expected = ucd_names.lookup_results(database.unidata_version).get(text.upper()) if text.isascii() else None
    try:
        got = database.lookup(text)
    except KeyError:
        got = None
    assert got == expected
