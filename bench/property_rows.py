"""Benchmark rows of the property queries: script, block, age and property('Line_Break', c)
per character against charlore's own category (a query of one record lookup, the speed
they should match) and against python3-icu (Char.getIntPropertyValue; Char.charAge for
the age), and code_points('Script', 'Han') per call.

Each query is compared with category called through the same loop. The one-argument
queries go through map(f, characters) as category does. property takes a name as well,
and map(property, repeat(name), characters) fetches each call's arguments from two
iterators, a cost of the loop that a one-argument call does not have; so its row against
category calls both through itertools.starmap over lists of argument tuples, (c,) and
('Line_Break', c): the same iteration and the same call, the name in property's own time.
The row "plain map/category" keeps the two-iterator figure, without a goal."""
from collections import deque
from itertools import repeat, starmap

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
    rows = []

    def add(case, ours, theirs, goal=None):
        ours_ns, theirs_ns = compare(ours, theirs, len(characters), rounds)
        rows.append(row("properties", case, ours_ns, theirs_ns, goal, length=len(characters)))

    category = lambda: list(map(charlore.category, characters))
    one_argument = [
        ("script", charlore.script, lambda: list(map(int_property, characters, repeat(icu.UProperty.SCRIPT)))),
        ("block", charlore.block, lambda: list(map(int_property, characters, repeat(icu.UProperty.BLOCK)))),
    ]
    for case, query, theirs in one_argument:
        ours = lambda query=query: list(map(query, characters))
        add(f"{case} against category", ours, category, GOAL_AGAINST_CATEGORY)
        add(f"{case} against ICU", ours, theirs, GOAL_AGAINST_ICU)
    # ICU makes a new string for every age: kept in a list, the strings of a call fill fresh
    # arenas that go back to the system with the list, some 2 300 page faults a call whose
    # cost moves with the machine's memory state. Every side of the age rows lets each
    # result go at once instead.
    age = lambda: deque(map(charlore.age, characters), maxlen=0)
    add("age against category", age, lambda: deque(map(charlore.category, characters), maxlen=0),
        GOAL_AGAINST_CATEGORY)
    add("age against ICU", age, lambda: deque(map(icu.Char.charAge, characters), maxlen=0), GOAL_AGAINST_ICU)

    case = "property('Line_Break', c)"
    singles = [(c,) for c in characters]
    pairs = [("Line_Break", c) for c in characters]
    add(f"{case} against category", lambda: list(starmap(charlore.property, pairs)),
        lambda: list(starmap(charlore.category, singles)), GOAL_AGAINST_CATEGORY)
    plain = lambda: list(map(charlore.property, repeat("Line_Break"), characters))
    add(f"{case} plain map/category", plain, category)
    add(f"{case} against ICU", plain, lambda: list(map(int_property, characters, repeat(icu.UProperty.LINE_BREAK))),
        GOAL_AGAINST_ICU)
    if hasattr(charlore, "code_points"):
        ours_ns, theirs_ns = compare(lambda: charlore.code_points("Script", "Han"),
                                     lambda: icu.UnicodeSet("[:Script=Han:]").getRangeCount(), 1, rounds)
        han = row("properties", "code_points('Script', 'Han') per call (ns)", ours_ns, theirs_ns)
        han.update(goal_ns=GOAL_CODE_POINTS_NS, met=ours_ns is not None and ours_ns < GOAL_CODE_POINTS_NS)
        rows.append(han)
    return rows
