"""Benchmark rows of the segmentation queries: graphemes, words, sentences and
line_breaks against python3-icu's BreakIterator (character, word, sentence and line
instances, iterated to a list of boundaries), and width per character against charlore's
own east_asian_width. A second line_breaks row per corpus times python3-icu making the
result line_breaks returns, (offset, mandatory) pairs in code points. Each pair of results
is compared once before timing; ICU answers with its own Unicode version, so a difference
is reported, not fatal."""
import itertools
import re

import icu

# Goals: charlore/ICU at most this.
GOAL_SEGMENTATION = 0.5
GOAL_WIDTH = 1.0  # width per character against east_asian_width per character

ITERATORS = {
    "graphemes": icu.BreakIterator.createCharacterInstance,
    "words": icu.BreakIterator.createWordInstance,
    "sentences": icu.BreakIterator.createSentenceInstance,
    "line_breaks": icu.BreakIterator.createLineInstance,
}


# Characters above U+FFFF: two UTF-16 units each in ICU's offsets, one code point in charlore's.
ASTRAL = re.compile("[\U00010000-\U0010FFFF]")


def icu_line_pairs(iterator, text):
    """line_breaks' result from ICU's line iterator: each boundary with its mandatory flag from
    the rule status of the rule that made it (line statuses are 0-99 for a break that may be
    taken, 100-199 for one that must), offsets turned into code points, and the end of the
    text mandatory, as line_breaks has it (ICU gives it the status of the rule before it)."""
    iterator.setText(text)
    status = iterator.getRuleStatus
    pairs = [(boundary, status() >= 100) for boundary in iterator]
    if not text.isascii() and len(text.encode("utf-16-le")) != 2 * len(text):
        # The UTF-16 offset of each astral character (its index plus the astral ones before
        # it); a boundary's code-point offset is its own less the astral characters before
        # it, counted in one walk over both ordered lists.
        astral = [match.start() + k for k, match in enumerate(ASTRAL.finditer(text))]
        converted, before = [], 0
        for boundary, hard in pairs:
            while before < len(astral) and astral[before] < boundary:
                before += 1
            converted.append((boundary - before, hard))
        pairs = converted
    if pairs:
        pairs[-1] = (len(text), True)
    return pairs


def utf16_to_code_points(text):
    """Maps each UTF-16 offset of text that starts a code point to its code-point offset."""
    mapping, unit = {}, 0
    for index, character in enumerate(text):
        mapping[unit] = index
        unit += 2 if ord(character) > 0xFFFF else 1
    mapping[unit] = len(text)
    return mapping


def our_boundaries(charlore, query, text):
    if query == "line_breaks":
        return [offset for offset, _ in charlore.line_breaks(text)]
    return list(itertools.accumulate(len(piece) for piece in getattr(charlore, query)(text)))


def segmentation_rows(charlore, texts, rounds, compare, row):
    rows = []
    for query, make in ITERATORS.items():
        available = hasattr(charlore, query)
        iterator = make(icu.Locale.getRoot())
        for corpus, text in texts.items():
            def theirs():
                iterator.setText(text)
                return list(iterator)
            ours = (lambda: getattr(charlore, query)(text)) if available else None
            same = None
            if available:
                mapping = utf16_to_code_points(text)
                icu_offsets = [mapping[offset] for offset in theirs() if offset > 0]
                same = our_boundaries(charlore, query, text) == icu_offsets
            ours_ns, theirs_ns = compare(ours, theirs, len(text), rounds)
            rows.append(row("segmentation", f"{query} {corpus}", ours_ns, theirs_ns, GOAL_SEGMENTATION,
                            length=len(text), same_result=same))
        if query == "line_breaks" and available:
            rows += same_result_line_rows(charlore, iterator, texts, rounds, compare, row)
    if hasattr(charlore, "width"):
        sample = "".join(text[:11_000] for text in texts.values())
        characters = list(sample)
        ours_ns, theirs_ns = compare(lambda: charlore.width(sample),
                                     lambda: list(map(charlore.east_asian_width, characters)), len(sample), rounds)
        rows.append(row("segmentation", "width per character (against charlore.east_asian_width)", ours_ns,
                        theirs_ns, GOAL_WIDTH, length=len(sample)))
    return rows


def same_result_line_rows(charlore, iterator, texts, rounds, compare, row):
    """line_breaks against python3-icu making the same list of (offset, mandatory) pairs."""
    rows = []
    for corpus, text in texts.items():
        same = charlore.line_breaks(text) == icu_line_pairs(iterator, text)
        ours_ns, theirs_ns = compare(lambda: charlore.line_breaks(text), lambda: icu_line_pairs(iterator, text),
                                     len(text), rounds)
        rows.append(row("segmentation", f"line_breaks {corpus} (ICU pairs)", ours_ns, theirs_ns,
                        GOAL_SEGMENTATION, length=len(text), same_result=same))
    return rows
