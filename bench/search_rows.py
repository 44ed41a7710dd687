"""Benchmark rows of name search: `search` reads every name of the database on each call,
since a picker may call it on every keystroke. No peer offers the query, so each row is
judged against a time, not a ratio: at most GOAL_MS milliseconds per call."""

GOAL_MS = 20.0

# words, what they exercise
SEARCHES = [
    ("arrow", "a common word"),
    ("latin small letter a", "several words"),
    ("Hangul Syllable GAG", "a derived name, mixed case"),
    ("ideograph-4e00", "a derived ideograph name"),
    ("keycap", "named sequences"),
    ("zzzz", "no match"),
]


def search_rows(charlore, rounds, compare, row):
    rows = []
    available = hasattr(charlore, "search")
    for words, what in SEARCHES:
        ours = (lambda words=words: charlore.search(words)) if available else None
        ours_ns, _ = compare(ours, None, 1, rounds)
        ms = None if ours_ns is None else ours_ns / 1e6
        result = row("search", f"search {words!r} (ms per call)", ms, None, exercises=what,
                     found=len(charlore.search(words)) if available else None)
        result.update(goal=GOAL_MS, met=None if ms is None else ms <= GOAL_MS)
        rows.append(result)
    return rows
