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
Settling passes then time again only the calls where a side's fastest pass stands alone
(Call.settled), so that the extra time goes to the rows a spell may have spoilt.
"""
import time

BATCH_SECONDS = 0.004
# Calls of each side before its batches of a pass (and before its batch size is chosen),
# so that caches, the allocator's free lists and lazily built tables are in the same state
# for every side.
WARM_UP_CALLS = 3
# Two passes whose fastest batches of a side are this close have settled it (Call.settled).
SETTLED = 0.03


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
    loops = 1
    while True:
        elapsed = batch(loops)
        if elapsed >= BATCH_SECONDS or loops >= 1 << 20:
            return loops
        loops *= 2 if elapsed * 4 >= BATCH_SECONDS else 8


class Call:
    """What the passes of a run have measured of one compare_sides call: per side, the
    batch size chosen in the first pass (every pass times batches of that size, so that
    the passes' minima are of the same thing) and each pass's batches."""

    def __init__(self, items, sides):
        self.items = items
        self.loops = None
        self.passes = [[] for _ in range(sides)]  # per side: one list of seconds per call for each pass

    def fastest(self):
        """Least seconds per call of each side over every pass (None for a missing side)."""
        return [min(min(batches) for batches in side) if side else None for side in self.passes]

    def settled(self):
        """Whether each side's two fastest passes are within SETTLED of each other. A slow spell
        of the machine only ever makes a batch slower, and it lasts seconds, so two passes some
        time apart that reach the same least time have both found the side's own speed; a
        side whose fastest pass stands alone may still hold a spell in every other pass."""
        for side in self.passes:
            if not side:
                continue  # a side that is not timed (missing library)
            minima = sorted(min(batches) for batches in side)
            if len(minima) < 2 or minima[1] > minima[0] * (1 + SETTLED):
                return False
        return True


class Passes:
    """The calls of compare_sides, kept across passes in the order of the calls: each pass
    builds all its rows afresh, in the same order, and the rows of the last pass hold the
    fastest batch of every pass. A settling pass times again only the calls that are not
    settled yet (Call.settled) and gives the others their times so far."""

    def __init__(self):
        self.calls = []
        self.next = 0
        self.settling = False
        self.deadline = None

    def start(self, settling=False, deadline=None):
        self.next = 0
        self.settling = settling
        self.deadline = deadline

    def times_again(self, call):
        """Whether this pass times the call: every pass that is not a settling one does; a
        settling pass only while the call is unsettled and the pass's deadline (a
        time.monotonic() value) has not passed."""
        if not self.settling:
            return True
        return not call.settled() and (self.deadline is None or time.monotonic() < self.deadline)

    def call(self, items, sides):
        """The record of the next call of this pass: a new one in the first pass, else the
        one of the same place in the passes before, which must be of the same case."""
        if self.next == len(self.calls):
            self.calls.append(Call(items, sides))
        call = self.calls[self.next]
        if call.items != items or len(call.passes) != sides:
            raise RuntimeError("a pass timed other cases than the pass before it")
        self.next += 1
        return call

    def unsettled(self):
        return sum(not call.settled() for call in self.calls)


PASSES = Passes()


def start_pass(settling=False, deadline=None):
    """Begins another pass over the same rows (the first one too). A settling pass times only
    the calls whose sides have not settled, and none once time.monotonic() reaches the
    deadline, so that settling adds a bounded time to a run."""
    PASSES.start(settling, deadline)


def unsettled_calls():
    """How many calls of the passes so far have a side whose fastest pass stands alone."""
    return PASSES.unsettled()


def compare_sides(sides, items, rounds):
    """Least ns per item of each side (None for a missing side) over its batches of this
    pass and the earlier ones, timed in rounds of one batch per side in turn, so that a
    slow spell of a shared machine falls on all alike."""
    call = PASSES.call(items, len(sides))
    if PASSES.times_again(call):
        # Once the batch size is known, the warm-up is at most one batch: a side whose one
        # call takes seconds would otherwise spend most of its pass warming up.
        for side, count in zip(sides, call.loops or [WARM_UP_CALLS] * len(sides)):
            if side:
                side(min(WARM_UP_CALLS, count))
        if call.loops is None:
            call.loops = [loops_for(side) if side else 0 for side in sides]
        times = [[] for _ in sides]
        for _ in range(rounds):
            for side, count, record in zip(sides, call.loops, times):
                if side:
                    record.append(side(count) / count)
        for side, record in zip(call.passes, times):
            if record:
                side.append(record)
    return [None if least is None else least / items * 1e9 for least in call.fastest()]


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
