"""Timing of the benchmark's sides in alternating batches, and the rows built from them.

A side is a function batch(loops) -> seconds that makes `loops` calls; python_side turns
a plain callable into one, and other processes (the ICU4C timer) provide their own. A
row holds charlore's time, python3-icu's ("icu") and any further peers, each peer with
its own ratio and goal.

Times are the CPU time of the calling thread (user and system, page faults included), as
Google Benchmark counts at the C++ level: on a shared machine, the spells in which other
processes hold the cores count for neither side. Each side's time is its fastest batch:
other work on the machine (or on the host of a virtual one) only ever makes a batch
slower, so the minimum over rounds moves least with it. A run may build its rows in
several passes, some time apart (start_pass); the batches of every pass count together,
so that a slow spell of a few seconds meets one pass of a row rather than all its rounds.
"""
import time

BATCH_SECONDS = 0.004
# Calls of each side before its batch size is chosen, so that caches, the allocator's
# free lists and lazily built tables are in the same state for every side.
WARM_UP_CALLS = 3


def python_side(call):
    """The side of a callable: batch(loops) times `loops` calls of it."""
    if call is None:
        return None

    def batch(loops):
        start = time.thread_time_ns()
        for _ in range(loops):
            call()
        return (time.thread_time_ns() - start) / 1e9
    return batch


def loops_for(batch):
    """Number of calls that make one timed batch of about BATCH_SECONDS."""
    batch(WARM_UP_CALLS)
    loops = 1
    while True:
        elapsed = batch(loops)
        if elapsed >= BATCH_SECONDS or loops >= 1 << 20:
            return loops
        loops *= 2 if elapsed * 4 >= BATCH_SECONDS else 8


class Passes:
    """The batch times of every compare_sides call, kept across passes in the order of the
    calls: each pass builds all its rows afresh, in the same order, and the rows of the last
    pass hold the fastest batch of every pass."""

    def __init__(self):
        self.calls = []  # per call: (items, one list of seconds per call for each side)
        self.next = 0

    def start(self):
        self.next = 0

    def add(self, items, times):
        """The batches of this call in every pass so far, the new ones added."""
        if self.next == len(self.calls):
            self.calls.append((items, [[] for _ in times]))
        known_items, known = self.calls[self.next]
        if known_items != items or len(known) != len(times):
            raise RuntimeError("a pass timed other cases than the pass before it")
        for record, new in zip(known, times):
            record.extend(new)
        self.next += 1
        return known


PASSES = Passes()


def start_pass():
    """Begins another pass over the same rows (the first one too)."""
    PASSES.start()


def compare_sides(sides, items, rounds):
    """Least ns per item of each side (None for a missing side) over its batches of this
    pass and the earlier ones, timed in rounds of one batch per side in turn, so that a
    slow spell of a shared machine falls on all alike."""
    loops = [loops_for(side) if side else 0 for side in sides]
    times = [[] for _ in sides]
    for _ in range(rounds):
        for side, count, record in zip(sides, loops, times):
            if side:
                record.append(side(count) / count)
    times = PASSES.add(items, times)
    return [min(record) / items * 1e9 if record else None for record in times]


def compare(ours, theirs, items, rounds):
    """Least ns per item of two callables (either may be None), charlore's first."""
    return tuple(compare_sides([python_side(ours), python_side(theirs)], items, rounds))


def ratio_of(ours_ns, theirs_ns):
    return ours_ns / theirs_ns if ours_ns is not None and theirs_ns else None


def judged(ratio, goal):
    return None if goal is None or ratio is None else ratio <= goal


def peer(name, ns, ours_ns, goal=None, **extra):
    """A further library in a row: its time, charlore's ratio to it and the goal of that ratio."""
    ratio = ratio_of(ours_ns, ns)
    return dict(name=name, ns=ns, ratio=ratio, goal=goal, met=judged(ratio, goal), **extra)


def row(section, case, ours_ns, theirs_ns, goal=None, peers=(), **extra):
    """One row: charlore against python3-icu (or ICU4C at the C++ level) and any peers.
    met is False if a goal is missed, None if the row has no goal or one cannot be judged
    (a side not measured), True if every goal is met."""
    ratio = ratio_of(ours_ns, theirs_ns)
    goals = [(goal, judged(ratio, goal))] + [(p["goal"], p["met"]) for p in peers]
    verdicts = [verdict for target, verdict in goals if target is not None]
    met = False if False in verdicts else None if None in verdicts or not verdicts else True
    result = dict(section=section, case=case, charlore_ns=ours_ns, icu_ns=theirs_ns, ratio=ratio, goal=goal,
                  met=met, **extra)
    if peers:
        result["peers"] = list(peers)
    return result
