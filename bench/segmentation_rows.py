"""Benchmark rows of the segmentation queries: graphemes, words, sentences and
line_breaks against python3-icu's BreakIterator (character, word, sentence and line
instances, iterated to a list of boundaries), and width per character against charlore's
own east_asian_width. Each pair of results is compared once before timing; ICU answers
with its own Unicode version, so a difference is reported, not fatal."""
import itertools

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
    if hasattr(charlore, "width"):
        sample = "".join(text[:11_000] for text in texts.values())
        characters = list(sample)
        ours_ns, theirs_ns = compare(lambda: charlore.width(sample),
                                     lambda: list(map(charlore.east_asian_width, characters)), len(sample), rounds)
        rows.append(row("segmentation", "width per character (against charlore.east_asian_width)", ours_ns,
                        theirs_ns, GOAL_WIDTH, length=len(sample)))
    return rows
