"""normalize with the interpreter's allocator made to fail: each allocation of a call in
turn (and every allocation from some point on) fails, and the call must give either the
right result or MemoryError, without a crash and without keeping any memory."""
import gc
import os
import subprocess
import sys
import tracemalloc

import charlore
import pytest

from normalization_data import reference_normalize

pytestmark = pytest.mark.whole_process

_testcapi = pytest.importorskip("_testcapi")

OLD = charlore.ucd_3_2_0


def run_failing(database, form, text, start, stop):
    """normalize with allocations number start .. stop - 1 of the call failing (all from
    start on when stop is 0); the result, or MemoryError."""
    _testcapi.set_nomemory(start, stop)
    try:
        return database.normalize(form, text)
    except MemoryError:
        return MemoryError
    finally:
        _testcapi.remove_mem_hooks()


def sweep(database, form, text, expected):
    """Fails each allocation in turn, then every allocation from each point on; returns
    how many allocations the call makes and the wrong results seen."""
    wrong = []
    count = 0
    while run_failing(database, form, text, count, 0) is MemoryError:
        count += 1
        assert count < 100_000, "the call never succeeds"
    for start in range(count + 2):
        for stop in (start + 1, 0):
            result = run_failing(database, form, text, start, stop)
            if result is not MemoryError and result != expected:
                wrong.append((start, stop, result))
    return count, wrong


def memory_in_use():
    """Blocks of the interpreter's small-object allocator, and bytes traced by tracemalloc
    (which also sees the large working buffers that the block count leaves out)."""
    gc.collect()
    return sys.getallocatedblocks(), tracemalloc.get_traced_memory()[0]


def memory_kept_by(action, attempts=3):
    """What action() keeps, as (blocks, bytes). Each reading held alive costs the same few
    blocks, so the cost of the second reading is subtracted from the third. The
    interpreter's free lists (of MemoryError objects, among others) may keep a block from
    one call to the next; a real leak keeps memory on every attempt, so the first clean
    attempt counts."""
    for _ in range(2):
        action()  # lets the interpreter fill its caches first
    for _ in range(attempts):
        first = memory_in_use()
        second = memory_in_use()
        action()
        third = memory_in_use()
        kept = tuple(t - s - (s - f) for f, s, t in zip(first, second, third))
        if kept == (0, 0):
            break
    return kept


@pytest.fixture
def traced():
    tracemalloc.start()
    yield
    tracemalloc.stop()


MARKS_25 = "a" + "\u0301\u0316\u0323\u0300\u0328" * 5     # one unsorted run of 25: the counting sort
MARKS_19 = "a" + "\u0301\u0316\u0323\u0300\u0328" * 3 + "\u0301\u0316\u0323\u0300"  # the insertion sort

CASES = [
    # short inputs
    pytest.param("NFC", "A\u0300", id="compose-one"),
    pytest.param("NFC", "e\u0302\u0323", id="reorder-then-compose"),
    pytest.param("NFD", "\u00c0", id="decompose-one"),
    pytest.param("NFKC", "\ufb01", id="compatibility-compose"),
    pytest.param("NFKD", "\uac01\u1e9b", id="syllable-and-nested"),
    pytest.param("NFC", "\u0300", id="composition-changes-nothing"),
    pytest.param("NFC", "abc", id="quick-check"),
    # long inputs: the output buffer grows many times
    pytest.param("NFKD", "\ufdfa" * 40, id="fdfa-growth-nfkd"),
    pytest.param("NFKC", "\ufdfa" * 40, id="fdfa-growth-nfkc"),
    pytest.param("NFD", "\uac01" * 300, id="syllables-growth"),
    pytest.param("NFC", "A\u0300" * 300, id="long-compose"),
    # the sort scratch: allocated once, reused, grown; and the insertion sort beside it
    pytest.param("NFD", MARKS_25, id="counting-sort"),
    pytest.param("NFC", MARKS_25, id="counting-sort-compose"),
    pytest.param("NFD", MARKS_25 + "b" + MARKS_25 + MARKS_25[1:] + "c" + MARKS_19, id="scratch-reused-and-grown"),
    pytest.param("NFKC", MARKS_19, id="insertion-sort"),
]


@pytest.mark.parametrize("form, text", CASES)
def test_every_failing_allocation_gives_the_right_result_or_memory_error(traced, database, form, text):
    expected = reference_normalize(form, text, database is OLD)
    count, wrong = sweep(database, form, text, expected)
    assert wrong == []
    assert memory_kept_by(lambda: sweep(database, form, text, expected)) == (0, 0), "memory kept"
    # Each call allocates at least its output buffer (a one-character result may be the
    # interpreter's cached string); the quick check of the module allocates nothing.
    assert count >= (0 if database is charlore and text == "abc" else 1)


def test_long_input_sweep_counts_every_growth(traced):
    # Forty U+FDFA expand to 720 code points from a first buffer of 50: the buffer grows
    # by half its size seven times (75, 112, ..., 850), and each growth is an allocation
    # that may fail, besides the first buffer and the result.
    for database in (charlore, OLD):
        count, wrong = sweep(database, "NFKD", "\ufdfa" * 40, reference_normalize("NFKD", "\ufdfa" * 40))
        assert wrong == []
        assert count >= 9


def test_failure_leaves_no_exception_behind_a_later_success():
    assert run_failing(charlore, "NFC", "A\u0300", 0, 0) is MemoryError
    assert charlore.normalize("NFC", "A\u0300") == "\u00c0"


# Inputs whose expansion ends right at, or just past, the end of a working buffer.
BUFFER_EDGES = """
import charlore
for database in (charlore, charlore.ucd_3_2_0):
    for n in range(40):
        for unit in ("\\uac01", "\\ufdfa", "\\u1f82", "a\\uac01", "A\\u0300", "a" + "\\u0301\\u0316" * 15):
            for form in ("NFC", "NFD", "NFKC", "NFKD"):
                database.normalize(form, unit * n)
print("done")
"""


def test_working_buffers_are_never_overrun():
    # The interpreter's debug allocator guards every block with pad bytes and stops the
    # process when a write past the end has spoilt them.
    result = subprocess.run([sys.executable, "-c", BUFFER_EDGES], env={**os.environ, "PYTHONMALLOC": "debug"},
                            capture_output=True, text=True, timeout=600)
    assert (result.returncode, result.stdout.strip()) == (0, "done"), result.stderr
