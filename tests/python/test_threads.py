"""Eight threads running one mixed stream of all queries on both database objects, each
in its own order and many times over, get exactly the answers of a single thread."""
import random
import sys
import threading

import pytest

import charlore

from query_cases import CASES, DATABASES, MODULE_CASES, outcome

THREADS = 8
PASSES = 5
STREAM_LENGTH = 6000
CHARACTER_QUERIES = ["decimal", "digit", "numeric", "category", "bidirectional", "combining",
                     "mirrored", "east_asian_width", "decomposition", "name"]
# Material for generated strings: marks of several classes, jamo, composites, wide and
# supplementary characters, so that every normalization path is taken.
TEXT_PIECES = ["a", "e", "A", "\u0301", "\u0316", "\u0302", "\u0323", "\u059a", "\u1100", "\u1161",
               "\u11a8", "\uac00", "\u00c0", "\u1e9b", "\ufdfa", "\u3300", "\U0001d15e", "\u212b",
               "\u0344", "\u0f73", "\U0002f868", "\u1b06", " "]


def mixed_stream(seed):
    """A fixed list of (function, arguments): the shared cases plus random characters,
    names and texts, on both database objects."""
    rng = random.Random(seed)
    databases = list(DATABASES.values())
    stream = [(getattr(db, query), arguments) for db in databases for query, arguments in CASES]
    stream += [(getattr(charlore, query), arguments) for query, arguments in MODULE_CASES]
    queries = CHARACTER_QUERIES + ["lookup", "normalize"]
    while len(stream) < STREAM_LENGTH:
        db = rng.choice(databases)
        query = rng.choice(queries)
        if query == "normalize":
            text = "".join(rng.choice(TEXT_PIECES) for _ in range(rng.randrange(40)))
            arguments = (rng.choice(["NFC", "NFD", "NFKC", "NFKD"]), text)
        elif query == "lookup":
            arguments = (rng.choice(["LATIN SMALL LETTER A", "hangul syllable gag", "CJK UNIFIED IDEOGRAPH-4E01",
                                     "KEYCAP DIGIT ZERO", "BYTE ORDER MARK", "NO SUCH NAME"]),)
        else:
            arguments = (chr(rng.randrange(0x110000)),)
            if query in ("decimal", "digit", "numeric", "name") and rng.random() < 0.3:
                arguments += (None,)
        stream.append((getattr(db, query), arguments))
    return stream


@pytest.fixture
def fast_switching():
    """Thread switches every microsecond, so that calls interleave as much as they can."""
    interval = sys.getswitchinterval()
    sys.setswitchinterval(1e-6)
    yield
    sys.setswitchinterval(interval)


def test_threads_get_the_answers_of_one_thread(fast_switching):
    stream = mixed_stream(2026)
    expected = [outcome(function, arguments) for function, arguments in stream]
    start = threading.Barrier(THREADS)
    differences = [0] * THREADS

    def run(index):
        order = list(range(len(stream)))
        random.Random(index).shuffle(order)
        start.wait()
        for _ in range(PASSES):
            for position in order:
                function, arguments = stream[position]
                if outcome(function, arguments) != expected[position]:
                    differences[index] += 1

    threads = [threading.Thread(target=run, args=(index,)) for index in range(THREADS)]
    for thread in threads:
        thread.start()
    for thread in threads:
        thread.join()
    assert differences == [0] * THREADS
