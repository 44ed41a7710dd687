"""Long and pathological texts: ten-million-character inputs give whole answers, and the
work grows linearly with the length even where the rules look far back or ahead (long
runs of marks, joiners, regional indicators, conjunct linkers); long texts whose pieces
recur among look-alikes give each piece its own text."""
import random
import time

import pytest

import charlore

pytestmark = pytest.mark.whole_process

BIG = 10 ** 7

# Repeating units that keep a rule's longer context open for the whole text.
PATHOLOGICAL = {
    "marks": "\u0301",
    "emoji-extend": "\U0001f600\u0301\u200d",
    "indicators": "\U0001f1eb",
    "linkers": "\u094d",
    "conjuncts": "\u0915\u094d",
    "crlf": "\r\n",
    "ascii": "ab ",
    "letters-and-formats": "a\u00ad",
    "midletter-formats": "a:\u00ad\u00ad",
    "numbers": "1,\u0301",
    "full-stops": "a. \u0301",
    "spaces-after-stop": "a." + " " * 50 + "1",
    "closers-after-stop": "a.)" + ")" * 50 + " 1",
    "hebrew-quotes": "\u05d0\"\u00ad",
    "spaces-after-opening": "(" + " " * 50 + "a",
    "quotes-and-marks": "\u00ab\u0308\u0308 ",
    "number-run": "1,.,.,.)",
    "aksara": "\u1b05\u1b44\u0308",
    "wide": "\u65e5\U0001f600",
}
QUERIES = [charlore.graphemes, charlore.words, charlore.sentences, charlore.line_breaks, charlore.width]


def cost(query, text):
    """The best of five measures of the processor time query(text) takes: processor time,
    not elapsed time, so that other processes on a busy machine do not count."""
    best = float("inf")
    for _ in range(5):
        start = time.process_time()
        query(text)
        best = min(best, time.process_time() - start)
    return best


@pytest.mark.parametrize("query", QUERIES, ids=lambda q: q.__name__)
@pytest.mark.parametrize("unit", PATHOLOGICAL.values(), ids=PATHOLOGICAL.keys())
def test_work_grows_linearly(query, unit):
    small = unit * (20000 // len(unit))
    large = small * 16
    # Linear work is 16 times the small text's; quadratic work would be 256 times.
    assert cost(query, large) < 80 * cost(query, small) + 0.05


def test_ten_million_characters():
    text = ("a\u0301\U0001f1eb\U0001f1f7 \u65e5\r\n" * (BIG // 8))[:BIG]
    clusters = charlore.graphemes(text)
    assert "".join(clusters) == text and len(clusters) == BIG // 8 * 5
    assert charlore.width(text) == BIG // 8 * 6
    words = charlore.words(text)
    assert "".join(words) == text and len(words) == BIG // 8 * 5
    sentences = charlore.sentences(text)
    assert "".join(sentences) == text and len(sentences) == BIG // 8
    breaks = charlore.line_breaks(text)
    assert len(breaks) == BIG // 8 * 3 and breaks[-1] == (BIG, True)
    marks = "a" + "\u0301" * (BIG - 1)
    for query in (charlore.graphemes, charlore.words, charlore.sentences):
        assert query(marks) == [marks]
    assert charlore.width(marks) == 1 and charlore.line_breaks(marks) == [(BIG, True)]


def test_recurring_and_look_alike_pieces():
    generator = random.Random(5)
    # Ideographs (one a cluster), many recurring, in both storage widths of a str.
    for first in (0x4E00, 0x20000):
        text = "".join(chr(first + generator.randrange(3000)) for _ in range(50000))
        assert charlore.graphemes(text) == list(text)
    # Words of one length that differ only between their first, middle and last letters,
    # and words of other lengths with the same letters there.
    vocabulary = [f"a{x}m{y}z" for x in "bcdef" for y in "ghijk"] + ["amz", "amzz", "am" * 12 + "z"]
    chosen = [generator.choice(vocabulary) for _ in range(20000)]
    pieces = [piece for word in chosen for piece in (word, " ")]
    assert charlore.words("".join(pieces)) == pieces
    # Conjoining-jamo syllables of two and three jamo.
    syllables = [generator.choice(["\u1100\u1161", "\u1100\u1161\u11a8", "\u1101\u1161", "\u1100\u1162"])
                 for _ in range(20000)]
    assert charlore.graphemes("".join(syllables)) == syllables
