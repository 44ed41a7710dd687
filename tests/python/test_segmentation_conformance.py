"""Every line of the four break test files of UCD 18.0.0: the module's boundaries must be
the file's, and a failing line is reported with the rule numbers the file gives there."""
import itertools

import pytest

import charlore

from segmentation_data import break_cases, describe_failure, grapheme_break, line_break, word_break


def offsets_of(pieces):
    """The inner boundaries of a list of pieces."""
    return list(itertools.accumulate(len(p) for p in pieces))[:-1]


def piece_failures(name, query):
    failures = []
    for case in break_cases(name):
        pieces = query(case.text)
        if "".join(pieces) != case.text:
            failures.append(f"line {case.line}: pieces {pieces!r} do not join to {case.text!r}")
            continue
        got = offsets_of(pieces)
        if got != case.boundaries:
            failures.append(describe_failure(case, got))
    return failures


@pytest.mark.parametrize("name, query", [
    ("Grapheme", charlore.graphemes),
    ("Word", charlore.words),
    ("Sentence", charlore.sentences),
])
def test_every_line_of_the_break_test(name, query):
    assert len(break_cases(name)) > 500  # the whole file was read
    assert piece_failures(name, query) == []


def line_failures():
    failures = []
    for case in break_cases("Line"):
        got = charlore.line_breaks(case.text)
        offsets = [offset for offset, _ in got]
        if not got or got[-1] != (len(case.text), True) or offsets != sorted(set(offsets)):
            failures.append(f"line {case.line}: {case.text!r} gave {got} (the end must come last, mandatory)")
        elif offsets[:-1] != case.boundaries:
            failures.append(describe_failure(case, offsets[:-1]))
    return failures


def test_every_line_of_the_line_break_test():
    assert len(break_cases("Line")) > 10000  # the whole file was read
    assert line_failures() == []


def line_break_offsets(text):
    return [offset for offset, _ in charlore.line_breaks(text)][:-1]


def lengthened(case, repeated):
    """The case's text with each character that `repeated` picks written three times, and
    its boundaries moved with the characters."""
    text, moved = [], {}
    for k, character in enumerate(case.text):
        moved[k] = len(text)
        text.extend(character * (3 if repeated(ord(character)) else 1))
    return "".join(text), [moved[b] for b in case.boundaries]


@pytest.mark.parametrize("name, boundaries, repeated", [
    ("Grapheme", lambda text: offsets_of(charlore.graphemes(text)), lambda cp: grapheme_break(cp) == "Extend"),
    ("Word", lambda text: offsets_of(charlore.words(text)), lambda cp: word_break(cp) in ("Extend", "Format")),
    ("Word", lambda text: offsets_of(charlore.words(text)), lambda cp: word_break(cp) in ("ALetter", "Hebrew_Letter")),
    ("Line", line_break_offsets, lambda cp: line_break(cp) == "CM"),
], ids=["Grapheme", "Word", "Word letters", "Line"])
def test_runs_of_marks_keep_the_boundaries_of_the_break_test(name, boundaries, repeated):
    """A run of marks attaches as a single one does, so every line of the file with its
    marks repeated keeps the file's boundaries. The file's lines hold one mark at a time;
    these make the scans step over runs of them. Letters of either word class join a
    letter of their own class, so a run of them stands for one as well: the word scan
    reads such runs by a path of its own, which these lines (letters around marks,
    joiners, quotes and digits) enter and leave."""
    failures = []
    for case in break_cases(name):
        text, expected = lengthened(case, repeated)
        if text != case.text and boundaries(text) != expected:
            failures.append(f"line {case.line}: {text!r} expected {expected}, got {boundaries(text)}")
    assert failures == []


def test_latin_text_has_no_joining_characters():
    """Latin text below U+0300 is cut without lookups, one character a cluster (CR LF
    aside); this holds only while the data gives none of those characters a joining class."""
    from segmentation_data import grapheme_break
    assert {grapheme_break(cp) for cp in range(0x300)} == {"Other", "Control", "CR", "LF"}
    text = "".join(map(chr, range(0x300))) + "\r\n"
    assert charlore.graphemes(text) == list(text[:-2]) + ["\r\n"]


def ends_line(character, mandatory_classes=frozenset({"BK", "CR", "LF", "NL"})):
    return line_break(ord(character)) in mandatory_classes


def test_the_line_break_test_as_one_text():
    """Every line of the file in one text, each ended by LF: no break before it (but a
    mandatory one after BK, LF or NL), a mandatory break after it. The opportunities are
    found in one pass and handed over in batches, so a long text crosses many batches."""
    cases = break_cases("Line")
    text, expected, start = [], [], 0
    for case in cases:
        expected.extend((start + b, ends_line(case.text[b - 1])) for b in case.boundaries)
        if ends_line(case.text[-1]) and case.text[-1] != "\r":  # CR LF holds together
            expected.append((start + len(case.text), True))
        text.append(case.text + "\n")
        start += len(case.text) + 1
        expected.append((start, True))
    assert charlore.line_breaks("".join(text)) == expected
