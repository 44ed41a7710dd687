"""Benchmark rows of the property queries: script, block, age and property('Line_Break', c)
per character against charlore's own category (a query of one record lookup, the speed
they should match) and against python3-icu (Char.getIntPropertyValue; Char.charAge for
the age), and code_points('Script', 'Han') per call."""
import itertools

import icu

# Goals: charlore/category and charlore/ICU at most these; code_points under 1 ms a call.
GOAL_AGAINST_CATEGORY = 1.2
GOAL_AGAINST_ICU = 0.7
GOAL_CODE_POINTS_NS = 1e6


def property_rows(charlore, texts, rounds, compare, row):
    if not hasattr(charlore, "property"):
        return []
    sample = "".join(text[:11_000] for text in texts.values())
    characters = list(sample)
    int_property = icu.Char.getIntPropertyValue
    cases = [
        ("script", lambda: list(map(charlore.script, characters)),
         lambda: list(map(int_property, characters, itertools.repeat(icu.UProperty.SCRIPT)))),
        ("block", lambda: list(map(charlore.block, characters)),
         lambda: list(map(int_property, characters, itertools.repeat(icu.UProperty.BLOCK)))),
        ("age", lambda: list(map(charlore.age, characters)), lambda: list(map(icu.Char.charAge, characters))),
        ("property('Line_Break', c)", lambda: list(map(charlore.property, itertools.repeat("Line_Break"), characters)),
         lambda: list(map(int_property, characters, itertools.repeat(icu.UProperty.LINE_BREAK)))),
    ]
    category = lambda: list(map(charlore.category, characters))  # noqa: E731
    rows = []
    for case, ours, theirs in cases:
        ours_ns, category_ns = compare(ours, category, len(characters), rounds)
        rows.append(row("properties", f"{case} against category", ours_ns, category_ns, GOAL_AGAINST_CATEGORY,
                        length=len(characters)))
        ours_ns, theirs_ns = compare(ours, theirs, len(characters), rounds)
        rows.append(row("properties", f"{case} against ICU", ours_ns, theirs_ns, GOAL_AGAINST_ICU,
                        length=len(characters)))
    if hasattr(charlore, "code_points"):
        ours_ns, theirs_ns = compare(lambda: charlore.code_points("Script", "Han"),
                                     lambda: icu.UnicodeSet("[:Script=Han:]").getRangeCount(), 1, rounds)
        han = row("properties", "code_points('Script', 'Han') per call (ns)", ours_ns, theirs_ns)
        han.update(goal_ns=GOAL_CODE_POINTS_NS, met=ours_ns is not None and ours_ns < GOAL_CODE_POINTS_NS)
        rows.append(han)
    return rows
