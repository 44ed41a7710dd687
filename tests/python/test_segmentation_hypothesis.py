"""Properties of the segmentation queries and of width on generated text (Hypothesis):
the pieces join back, CR LF stays whole, a grapheme boundary always stands after a
control and before one, and width adds up over the graphemes. The examples are derived
from a fixed seed, so runs are repeatable."""
import functools
import itertools

import pytest
from hypothesis import example, given, settings, strategies as st

import charlore

from segmentation_data import break_cases, grapheme_break

repeatable = settings(max_examples=400, deadline=None, derandomize=True, database=None)

SEGMENTERS = [charlore.graphemes, charlore.words, charlore.sentences]


@functools.lru_cache(maxsize=None)
def break_material():
    """Every character of the break test files: each class of every algorithm is there."""
    chars = set()
    for name in ("Grapheme", "Word", "Sentence", "Line"):
        for case in break_cases(name):
            chars.update(case.text)
    return sorted(chars)


def segmentation_text(max_size=30):
    any_character = st.characters(blacklist_categories=())  # lone surrogates included
    return st.lists(st.one_of(st.sampled_from(break_material()), any_character,
                              st.sampled_from("\r\n")), max_size=max_size).map("".join)


def boundaries(pieces):
    return set(itertools.accumulate(len(p) for p in pieces))


@pytest.mark.parametrize("segment", SEGMENTERS, ids=lambda f: f.__name__)
@repeatable
@given(text=segmentation_text())
# Pieces narrower than their text, or as wide as it at one end only or in the middle only.
@example(text="\u00e9 \u0100\u0301. \u00e9\u0100\u00e9. \u00e9")
@example(text="\u00e9 \U0001f600. \u0100 \u00e9\U0001f600\u00e9 \u0100\u0301")
def test_pieces_join_and_keep_cr_lf(segment, text):
    pieces = segment(text)
    assert "".join(pieces) == text
    # Each piece equals the text's own slice, stored as narrow as its characters allow (a
    # str stored wider than it needs compares unequal).
    offsets = [0, *itertools.accumulate(len(p) for p in pieces)]
    assert pieces == [text[a:b] for a, b in zip(offsets, offsets[1:])]
    assert all(pieces)
    cuts = boundaries(pieces)
    assert not any(text[i - 1:i + 1] == "\r\n" for i in cuts if 0 < i < len(text))


def separates(a, b):
    """A grapheme boundary stands between a and b whatever else they hold."""
    return (a and grapheme_break(ord(a[-1])) in ("Control", "LF")) or \
        (b and grapheme_break(ord(b[0])) in ("Control", "CR"))


@repeatable
@given(a=segmentation_text(15), b=segmentation_text(15))
def test_graphemes_of_a_concatenation_at_a_control(a, b):
    if not separates(a, b):
        b = "\x00" + b
    assert charlore.graphemes(a + b) == charlore.graphemes(a) + charlore.graphemes(b)


@repeatable
@given(text=segmentation_text())
def test_width_is_the_sum_over_graphemes(text):
    assert charlore.width(text) == sum(charlore.width(g) for g in charlore.graphemes(text))


HARD_BREAKS = {"\n", "\r", "\x0b", "\x0c", "\x85", "\u2028", "\u2029"}


@repeatable
@given(text=segmentation_text())
def test_line_breaks_are_ordered_and_mandatory_after_hard_breaks(text):
    breaks = charlore.line_breaks(text)
    if not text:
        assert breaks == []
        return
    offsets = [offset for offset, _ in breaks]
    assert offsets == sorted(set(offsets)) and 0 < offsets[0] and breaks[-1] == (len(text), True)
    expected_mandatory = {i for i in range(1, len(text))
                          if text[i - 1] in HARD_BREAKS and text[i - 1:i + 1] != "\r\n"}
    assert {offset for offset, mandatory in breaks[:-1] if mandatory} == expected_mandatory
    assert expected_mandatory <= set(offsets)
