"""width(): a table of cases by kind of text, the width of every code point standing
alone against the UCD files, and the clusters of the grapheme break test file counted
in each of the three ways a str is stored."""
import pytest

import charlore

from segmentation_data import break_cases, single_character_width

# Suffixes that store a text two or four bytes a character without joining it: the line
# feed ends any cluster, and the letter after it takes one column.
WIDER_STORAGE = {"1 byte": ("", 0), "2 bytes": ("\n\u0100", 1), "4 bytes": ("\n\U00010000", 1)}

CASES = [
    # ASCII and Latin-1
    ("", 0),
    ("hello", 5),
    ("a b\tc", 4),                  # the tab is a control: no column
    ("caf\u00e9", 4),
    ("\u00a0\u00ff", 2),
    ("\x00\x1f\x7f\x85\x9f", 0),    # C0, DEL, C1 controls
    ("\r\n", 0),
    # combining marks join their base
    ("e\u0301", 1),
    ("e\u0301\u0302\u0323", 1),
    ("\u0301", 0),                  # a mark alone takes no column
    ("\u20dd", 0),                  # enclosing mark alone
    # CJK, fullwidth and halfwidth forms
    ("\u65e5\u672c\u8a9e", 6),
    ("\u3042\u30a2", 4),
    ("\uff21\uff11", 4),            # fullwidth A, 1
    ("\uff71", 1),                  # halfwidth katakana
    ("\U00020000\U0003fffd", 4),    # ideographs of planes 2 and 3, unassigned ones included
    # Hangul: precomposed syllables and conjoining jamo sequences
    ("\uac00\ud7a3", 4),
    ("\u1100\u1161", 2),            # L V: one syllable
    ("\u1100\u1161\u11a8", 2),      # L V T
    ("\u1100\u1100\u1161\u11a8", 2),
    ("\uac00\u11a8", 2),            # LV T
    ("\u1161", 1),                  # a vowel jamo alone
    ("\u1160", 0),                  # the filler is default-ignorable
    # emoji: default emoji presentation, variation selectors, modifiers, sequences
    ("\U0001f600", 2),
    ("\u263a", 1),                  # text presentation by default
    ("\u263a\ufe0f", 2),            # VS16 asks for the emoji
    ("\u231a\ufe0e", 2),            # VS15 on a wide character: still wide
    ("\u263a\ufe0e", 1),            # VS15 keeps the text form
    ("#\ufe0f\u20e3", 2),           # keycap
    ("#\u20e3", 1),                 # without VS16 the keycap is text
    ("\U0001f44d\U0001f3fd", 2),    # skin tone
    ("\U0001f3fd", 2),              # a modifier alone
    ("\u261d\U0001f3fb", 2),        # modifier on a text-presentation base
    ("\U0001f468\u200d\U0001f469\u200d\U0001f467\u200d\U0001f466", 2),   # family
    ("\u2764\ufe0f\u200d\U0001f525", 2),
    ("\U0001f1eb\U0001f1f7", 2),    # flag
    ("\U0001f1eb\U0001f1f7\U0001f1e9", 4),  # a flag and a lone regional indicator
    ("\U0001f3f4\U000e0067\U000e0062\U000e0065\U000e006e\U000e0067\U000e007f", 2),  # tag sequence
    # zero-width and format characters
    ("\u200b", 0), ("\u200c", 0), ("\u200d", 0), ("\u2060", 0), ("\ufeff", 0),
    ("a\u200db", 2),
    ("\u2028\u2029", 0),
    ("\u00ad", 0),                  # soft hyphen: shown only where a line breaks
    ("\U000e0001", 0),              # language tag
    ("\ufe0f", 0),
    # lone surrogates, private use, unassigned
    ("\ud800", 1),
    ("\udfff\ud800", 2),
    ("\ue000", 1),
    ("\U0010ffff", 1),
    # where Latin text (below U+0300) meets characters that join a cluster
    ("ab\u0301c", 3),
    ("ab\u200dc", 3),
    ("\r\n\u0301", 0),
    ("\u4e00ab\u0301", 4),
    ("\u4e00a", 3),
    ("a\u0600", 1),                 # a prepended mark alone takes no column
    ("\u0600a\u0600\u0600b", 2),     # and joins what follows
    # characters that stand between any two others and those that do not
    ("\uac00\uac00\u4e00", 6),
    ("\uac00\u1161", 2),            # LV V
    ("\uac01\u11a8\uac01", 4),      # LVT T, LVT
    ("\u1cf5\u0915", 1),            # a linker that is a letter joins a consonant
    ("\u0915\u094d\u0924\u0915", 2),
    ("\U0001f600\U0001f600", 4),
    ("1\ufe0f", 2),                 # a digit is an emoji character
    ("a\ufe0f", 1),
]


@pytest.mark.parametrize("storage", WIDER_STORAGE)
@pytest.mark.parametrize("text, columns", CASES, ids=[ascii(t) for t, _ in CASES])
def test_width_of(text, columns, storage):
    suffix, extra = WIDER_STORAGE[storage]
    assert charlore.width(text + suffix) == columns + extra


@pytest.mark.parametrize("storage", WIDER_STORAGE)
def test_width_adds_up_over_the_clusters_of_the_break_test_file(storage):
    """A scan that counts columns as it finds the clusters must find the same clusters."""
    suffix, extra = WIDER_STORAGE[storage]
    wrong = []
    for case in break_cases("Grapheme"):
        cuts = [0, *case.boundaries, len(case.text)]
        expected = sum(charlore.width(case.text[a:b]) for a, b in zip(cuts, cuts[1:]))
        if charlore.width(case.text + suffix) != expected + extra:
            wrong.append(f"line {case.line}: {ascii(case.text)}")
    assert wrong == []


def test_latin1_text_longer_than_a_block():
    text = "".join(map(chr, range(256))) * 5 + "\xad\x7f a"
    assert charlore.width(text) == sum(map(single_character_width, map(ord, text)))


def test_every_code_point_alone():
    wrong = [f"U+{cp:04X}: {charlore.width(chr(cp))}, expected {w}"
             for cp in range(0x110000)
             if charlore.width(chr(cp)) != (w := single_character_width(cp))]
    assert wrong == []


@pytest.mark.parametrize("bad", [None, 65, b"a", ["a"]])
def test_a_non_str_is_a_type_error(bad):
    with pytest.raises(TypeError, match=r"width\(\) argument must be str"):
        charlore.width(bad)
