"""Calls of every query on both database objects, through their success, default and
error paths: the workload shared by the leak, out-of-memory and thread tests.

Each case is (query name, argument tuple). Their answers are not stated here: the tests
that use these cases compare the module with itself (repeated, constrained or concurrent
calls against one plain call); the answers themselves are checked by the query tests.
"""
import sys
import tracemalloc

import charlore

DATABASES = {"module": charlore, "ucd_3_2_0": charlore.ucd_3_2_0}

# Marks of classes 220 and 230 alternating: out of canonical order, so the run is sorted.
SHORT_MARK_RUN = "a" + "\u0301\u0316" * 3           # 6 marks: insertion sort
LONG_MARK_RUN = "a" + "\u0301\u0316\u059a" * 10     # 30 marks: counting sort
# Compatibility expansions long enough to grow the output buffer many times.
LONG_EXPANSIONS = "\ufdfa" * 40 + "\u3300" * 40
COMPOSABLE = "e\u0302\u0323" + "A\u030a" + "\u1100\u1161\u11a8" + "\u00c5\u212b"

CASES = [
    ("decimal", ("7",)),
    ("decimal", ("a",)),
    ("decimal", ("a", None)),
    ("decimal", ("\u00b2", "default")),
    ("decimal", ("ab",)),
    ("decimal", ()),
    ("digit", ("\u00b2",)),
    ("digit", ("\u00bd",)),
    ("digit", ("\u00bd", -1)),
    ("digit", (7,)),
    ("numeric", ("\u00bd",)),
    ("numeric", ("\u5793",)),
    ("numeric", ("\u5793", 0.5)),
    ("numeric", ("7", None, None)),
    ("category", ("A",)),
    ("category", ("\U0010ffff",)),
    ("category", ("",)),
    ("bidirectional", ("\u05d0",)),
    ("bidirectional", ("\u0590",)),
    ("bidirectional", (b"A",)),
    ("combining", ("\u0301",)),
    ("combining", ("ab",)),
    ("mirrored", ("(",)),
    ("mirrored", (None,)),
    ("east_asian_width", ("\u3042",)),
    ("east_asian_width", ("\u0378",)),
    ("east_asian_width", ("xy",)),
    ("decomposition", ("\u00c0",)),
    ("decomposition", ("\ufdfa",)),
    ("decomposition", ("\uac01",)),
    ("decomposition", ("\U0001d15e",)),
    ("decomposition", ("A",)),
    ("decomposition", ("\u1b06",)),
    ("decomposition", ("",)),
    ("name", ("A",)),
    ("name", ("\uac01",)),
    ("name", ("\u4e00",)),
    ("name", ("\U0001fba8",)),
    ("name", ("\u0221",)),
    ("name", ("\x00",)),
    ("name", ("\x00", None)),
    ("name", ("\ud800", 5)),
    ("name", ("A", None, None)),
    ("lookup", ("LATIN SMALL LETTER A",)),
    ("lookup", ("latin small letter d with curl",)),
    ("lookup", (b"SPACE",)),
    ("lookup", ("HANGUL SYLLABLE GGYEOLH",)),
    ("lookup", ("CJK UNIFIED IDEOGRAPH-4E00",)),
    ("lookup", ("TANGUT IDEOGRAPH-17000",)),
    ("lookup", ("NULL",)),
    ("lookup", ("KEYCAP NUMBER SIGN",)),
    ("lookup", ("CJK UNIFIED IDEOGRAPH-04E00",)),
    ("lookup", ("HANGUL SYLLABLE KIYEOK",)),
    ("lookup", ("NO SUCH CHARACTER NAME",)),
    ("lookup", ("X" * 256,)),
    ("lookup", ("X" * 257,)),
    ("lookup", ("\udc80",)),
    ("lookup", (bytearray(b"SPACE"),)),
    ("normalize", ("NFC", COMPOSABLE)),
    ("normalize", ("NFD", COMPOSABLE)),
    ("normalize", ("NFKC", LONG_EXPANSIONS)),
    ("normalize", ("NFKD", LONG_EXPANSIONS)),
    ("normalize", ("NFD", SHORT_MARK_RUN)),
    ("normalize", ("NFC", LONG_MARK_RUN)),
    ("normalize", ("NFKD", LONG_MARK_RUN * 20)),
    ("normalize", ("NFC", "plain ascii text")),
    ("normalize", ("NFD", "\u1b06\U0002f868")),
    ("normalize", ("NFC", "")),
    ("normalize", ("bogus", "")),
    ("normalize", ("nfc", "a")),
    *[("is_normalized", (form, text)) for form in ("NFC", "NFKD") for text in (COMPOSABLE, LONG_MARK_RUN, "plain", "")],
    ("is_normalized", ("nfc", "a")),
    ("is_normalized", ("NFC", 1)),
    ("normalize", ("NFC", b"a")),
    ("normalize", ("NFC",)),
]

# Text with every kind of cluster, in the three storage widths of str.
SEGMENTED_TEXT = ("Hello, world. A\u0301b \u0915\u094d\u0937 \r\n\ud800"
                  "\U0001f468\u200d\U0001f469\u200d\U0001f467 \U0001f1eb\U0001f1f7\u65e5\u672c")

# Queries of the module alone (the current database).
MODULE_CASES = [
    *[(query, (text,)) for query in ("graphemes", "words", "sentences", "line_breaks", "width")
      for text in (SEGMENTED_TEXT, SEGMENTED_TEXT * 20, "caf\u00e9 \x00", "\u65e5 \u0301", "", "\udfff")],
    ("graphemes", (b"a",)),
    ("words", (1,)),
    ("sentences", ("a", "b")),
    ("line_breaks", ([],)),
    ("graphemes", ()),
    ("width", (None,)),
    ("width", ("a", "b")),
    *[(query, (ch,)) for query in ("script", "script_extensions", "block", "age")
      for ch in ("A", "\u0660", "\u0378", "\udfff", "\U0010ffff")],
    ("script", ("ab",)),
    ("script_extensions", (65,)),
    ("block", ()),
    ("age", ("a", "b")),
    *[("property", (name, ch)) for name in ("Line_Break", "is alpha", "ccc", "nv", "sc", "blk", "age", "NFC_QC")
      for ch in ("A", "\u0660", "\u0378", "\udfff", "\U0010ffff")],
    # the string-valued properties: mappings of one and of several code points, none,
    # names built from the code point, tuples
    *[("property", (name, ch)) for name in ("uc", "tc", "cf", "suc", "scf", "dm", "NFKC_CF", "NFKC_SCF", "bmg",
                                            "EqUIdeo", "na", "Name_Alias", "scx", "na1", "isc", "JSN")
      for ch in ("A", "\u00df", "\u0000", "\uac01", "\u4e00", "\ufdfa", "\u0378", "\udfff", "\U0010ffff")],
    ("property", ("uc", "AB")),
    ("property", ("Name_Alias", 0)),
    ("property", ("no such property", "A")),
    ("property", ("\udfff" * 100, "A")),
    ("property", ("lb", "ab")),
    ("property", (b"lb", "A")),
    ("property", ("lb",)),
    *[("code_points", (name, value)) for name, value in (("sc", "Han"), ("lb", "AL"), ("Alpha", True), ("ccc", 230),
                                                         ("nv", 0.5), ("blk", "ascii"), ("gc", "L"))],
    ("code_points", ("sc", "Klingon")),
    ("code_points", ("no such", "x")),
    ("code_points", ("nv", 10**400)),
    ("code_points", ("lb", "\udfff" * 100)),
    ("code_points", ("sc",)),
    ("code_points", ("uc", "SS")),
    ("code_points", ("Name", None)),
    ("search", ("hangul syllable gag",)),
    ("search", ("Leftwards Arrow With Hook",)),
    ("search", ("cjk unified ideograph-4e00",)),
    ("search", ("null",)),
    ("search", ("keycap digit zero",)),
    ("search", ("no such word",)),
    ("search", ("latin \u00e9",)),
    ("search", ("",)),
    ("search", (b"arrow",)),
]


def bound_cases():
    """(test id, function bound to its database object, arguments) for every case on both,
    and the module's own cases on the module."""
    for db_name, db in DATABASES.items():
        for index, (query, arguments) in enumerate(CASES):
            yield f"{db_name}-{query}-{index}", getattr(db, query), arguments
    for index, (query, arguments) in enumerate(MODULE_CASES):
        yield f"module-{query}-{index}", getattr(charlore, query), arguments


def outcome(function, arguments):
    """What a call gives, in a form that compares by value: ("value", type, result) or
    ("error", exception type, exception arguments)."""
    try:
        result = function(*arguments)
    except Exception as error:  # every exception is part of the answer being compared
        return ("error", type(error), error.args)
    return ("value", type(result), result)


def settled_deltas(action, rounds, settled):
    """Runs action() `rounds` times and returns, for each of the last `settled` rounds, the
    change of (total references, allocated blocks, bytes traced by tracemalloc) over it.
    The reference count is 0 without a debug interpreter, the traced bytes 0 unless
    tracemalloc is tracing.

    Every measurement is taken at the same point of the same loop, so whatever the
    measuring itself holds is the same at each one and cancels out of the differences;
    the deltas are kept in preallocated lists, where a zero is a cached small int.
    """
    reference_deltas, block_deltas, traced_deltas = [0] * rounds, [0] * rounds, [0] * rounds
    references = blocks = traced = 0
    for index in range(rounds):
        action()
        new_references = sys.gettotalrefcount() if hasattr(sys, "gettotalrefcount") else 0
        new_blocks = sys.getallocatedblocks()
        new_traced = tracemalloc.get_traced_memory()[0]
        reference_deltas[index] = new_references - references
        block_deltas[index] = new_blocks - blocks
        traced_deltas[index] = new_traced - traced
        references, blocks, traced = new_references, new_blocks, new_traced
    return list(zip(reference_deltas, block_deltas, traced_deltas))[-settled:]
