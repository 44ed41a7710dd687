"""Allocation failure at every step: for each case of query_cases and for every k up to
the number of allocations the call makes, the interpreter's allocator is made to fail
at exactly its k-th allocation (_testcapi.set_nomemory(k, k + 1)). Each such call must
either give the unconstrained answer or raise MemoryError, and must not crash or leave
memory or references behind. Where the answer is an exception, the interpreter may have
to raise it without its message (it could not allocate the text); that counts as right."""
import pytest

import charlore

from query_cases import CASES, DATABASES, MODULE_CASES, LONG_MARK_RUN, outcome, settled_deltas

pytestmark = pytest.mark.whole_process

_testcapi = pytest.importorskip("_testcapi")

# A sweep ends once this many failure points in a row no longer touch the call.
UNTOUCHED_RUN_TO_STOP = 5
MOST_ALLOCATIONS = 20000

# Inputs large enough that the working buffers are big and grow many times.
EXTRA_CASES = [
    ("normalize", ("NFD", "\u00c0\u1e9b" * 500)),
    ("normalize", ("NFKD", "\ufdfa" * 300)),
    ("normalize", ("NFC", LONG_MARK_RUN * 40)),
    ("normalize", ("NFKC", "\u1100\u1161\u11a8\u3300" * 200)),
]


def constrained_call(function, arguments, k):
    """Calls with the k-th allocation from now failing; the call's result or exception."""
    _testcapi.set_nomemory(k, k + 1)
    try:
        return ("value", function(*arguments))
    except BaseException as error:
        return ("error", error)
    finally:
        _testcapi.remove_mem_hooks()


def lost_message(expected, got):
    """The expected exception, whose message the interpreter could not build for want of
    memory: it then raises the exception type with no arguments."""
    return expected[0] == got[0] == "error" and expected[1] is got[1] and got[2] == ()


def sweep(function, arguments):
    """Runs the failure sweep; returns (allocations swept, wrong outcomes)."""
    expected = outcome(function, arguments)
    wrong = []
    untouched = 0
    k = 0
    while untouched < UNTOUCHED_RUN_TO_STOP and k < MOST_ALLOCATIONS:
        kind, got = constrained_call(function, arguments, k)
        if kind == "error" and type(got) is MemoryError:
            untouched = 0
        else:
            got = ("value", type(got), got) if kind == "value" else ("error", type(got), got.args)
            if got != expected and not lost_message(expected, got):
                wrong.append((k, got))
            untouched += 1
        k += 1
    return k, wrong


@pytest.mark.parametrize("db_name", DATABASES)
@pytest.mark.parametrize("query, arguments", CASES + EXTRA_CASES,
                         ids=[f"{q}-{i}" for i, (q, _) in enumerate(CASES + EXTRA_CASES)])
def test_allocation_failure_at_every_step(db_name, query, arguments):
    check_sweep(getattr(DATABASES[db_name], query), arguments)


@pytest.mark.parametrize("query, arguments", MODULE_CASES,
                         ids=[f"{q}-{i}" for i, (q, _) in enumerate(MODULE_CASES)])
def test_allocation_failure_in_module_queries(query, arguments):
    check_sweep(getattr(charlore, query), arguments)


def check_sweep(function, arguments):
    results = [None]

    def sweep_once():
        results[0] = sweep(function, arguments)

    # The first sweeps settle the interpreter's own caches (and the measurement); the
    # last one must leave nothing behind.
    assert settled_deltas(sweep_once, 3, 1) == [(0, 0, 0)]
    swept, wrong = results[0]
    assert wrong == []
    assert swept < MOST_ALLOCATIONS


def test_the_sweep_sees_failures():
    """The harness itself: a call that allocates fails at some step with MemoryError."""
    failures = 0
    for k in range(5):
        kind, got = constrained_call(lambda n: list(range(n)), (100,), k)
        failures += kind == "error" and type(got) is MemoryError
    assert failures > 0
