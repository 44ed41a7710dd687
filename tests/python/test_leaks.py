"""Repeated calls of every query on both database objects, through success, default and
error paths, leave nothing behind: the interpreter's count of allocated blocks, the
memory traced by tracemalloc (which also sees large working buffers) and, under a debug
interpreter, the total reference count come back to the same value round after round.

Under a release interpreter the reference count is not available and the other two
counters carry the check; scripts/leakcheck runs this file under python3.11-dbg."""
import sys
import tracemalloc

import pytest

from query_cases import bound_cases, outcome, settled_deltas

pytestmark = pytest.mark.whole_process

ROUNDS = 8
SETTLED_ROUNDS = 4  # the last rounds, after caches and specialisation have settled
CALLS_PER_ROUND = 25


def repeated(function, arguments):
    def calls():
        for _ in range(CALLS_PER_ROUND):
            outcome(function, arguments)
    return calls


@pytest.fixture(scope="module")
def traced_memory():
    tracemalloc.start()
    yield
    tracemalloc.stop()


@pytest.mark.parametrize("function, arguments",
                         [case[1:] for case in bound_cases()], ids=[case[0] for case in bound_cases()])
def test_repeated_calls_leave_nothing(traced_memory, function, arguments):
    assert settled_deltas(repeated(function, arguments), ROUNDS, SETTLED_ROUNDS) == [(0, 0, 0)] * SETTLED_ROUNDS


def test_a_leak_is_seen():
    """The measurement itself: a call that keeps one object per call shows up."""
    kept = []

    def leaky(ch):
        kept.append(ch * 100)
        return ch

    tracemalloc.start()
    try:
        deltas = settled_deltas(repeated(leaky, ("x",)), ROUNDS, SETTLED_ROUNDS)
    finally:
        tracemalloc.stop()
    assert all(traced > 0 for _, _, traced in deltas)
    if sys.getallocatedblocks():  # zero when the interpreter allocates through malloc
        assert all(blocks > 0 for _, blocks, _ in deltas)
    if hasattr(sys, "gettotalrefcount"):
        assert all(references > 0 for references, _, _ in deltas)
