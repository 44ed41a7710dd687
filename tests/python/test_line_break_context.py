"""Line breaks that depend on more than the two characters at a position: what comes
before a run of spaces, a number's earlier digits, a joiner, a Hebrew letter before a
hyphen. The break test file has mostly two- and three-character lines; these put the
deciding character further back, behind runs of letters, ideographs and spaces."""
import pytest

import charlore

# text, the offsets of the breaks that are allowed but not required (the end of the
# text, always mandatory, is left out)
CASES = [
    ("word word", [5]),
    ("a  b", [3]),
    ("(  a", []),                        # an opening parenthesis holds across spaces
    ("ab(  cd", []),
    ("ab( x y", [6]),                    # ...up to the first letter after it
    ("\u00ab  a", []),                  # an opening quotation mark at the start
    ("x \u00ab a", [2]),                # ...or after a space holds across spaces
    ("x\u00ab a", [3]),                 # ...but not after a letter
    ("\u200b  a", [3]),                 # a zero-width space breaks after the spaces
    ("ab\u200dcd", []),                 # no break after a joiner
    ("123%", []),                        # a number keeps its suffix
    ("(123)%", []),
    ("12 3%", [3]),
    ("a1b2", []),
    ("\u05d0\u05d0-a", []),             # a hyphen after a Hebrew letter holds the next letter
    ("bb-a", [3]),
    ("\u65e5\u672c\u8a9e", [1, 2]),     # ideographs break between each other
    ("\u65e5 \u672c", [2]),
    ("\u1100\u1161\u11a8\u1100\u1161", [3]),  # conjoining jamo join into syllables
    ("\uac00\uac01 \uac00", [1, 3]),
    ("ab\u0301cd ef", [6]),             # a mark inside a word
    ("ab \u0301cd", [3]),               # a mark after a space starts a letter
    ("a\u0301b \u0301\U00020000\U0001d165z", [4, 5, 7]),  # ...also in text stored 4 bytes a character
    ("12\u0301%", []),                  # a mark on a digit keeps the number
    ("\u05d0\u05b0\u05d0\u05b0-a", []),  # ...and on a Hebrew letter before a hyphen
    ("\u0628\u064e\u0628 \u0628\u0650", [4]),  # vowel marks inside Arabic words
    ("xa\u0301\u200d\u65e5", []),       # a joiner after a mark still holds
    ("ab\u00a0cd \u00a0ef", [6]),       # a no-break space holds, unless a space is before it
    ("( \u00a0a", []),                  # an opening parenthesis holds across spaces to it
    ("a\u0301\u035c\u0301b\u035d\u0301c d", [9]),  # combining double marks with marks on them
    ("x\u00a0-b", []),                  # a hyphen after glue holds the next letter
    ("x\u00a0\u00ab y", []),           # ...and an opening quotation mark the spaces after it
    ("1\u00a0)%", [3]),                # glue ends a number: no suffix held after the parenthesis
    ("xx\u0301\u00a0-b", []),         # ...also glue after a mark
    ("xx\u0301\u00a0\u65e5", []),     # glue after a mark holds an ideograph
    ("ab, cd", [4]),                    # separators inside running text
    ("\u65e5\u672c\u3001\u8a9e", [1, 3]),  # a break after an ideographic comma
    ("\u65e5\u672c\u3002 \u3041", [1]),  # closing punctuation holds small kana across spaces
    ("a1.%", []),                       # a number's separators and closing punctuation keep its suffix
    ("a1}%", []),
    ("1.,%", []),
    ("1.}%", []),
    ("1.5%", []),
]


@pytest.mark.parametrize("text, breaks", CASES)
def test_breaks(text, breaks):
    expected = [(offset, False) for offset in breaks] + [(len(text), True)]
    assert charlore.line_breaks(text) == expected
