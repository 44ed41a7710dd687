"""Python-level benchmark: charlore against ICU (python3-icu) in the same process.

Times normalize in the four forms on the corpora of corpora.py (with ICU4C's
unorm2_normalize on the same text as a third side, timed by charlore-icu4c-timer in the
same rounds), name and lookup over the names both libraries agree on, the per-character
queries, and width and graphemes against the Python packages of peer_rows.py; measures
the module's size and import time. Writes the rows as JSON and, for the C++ benchmark, the corpora
and the name list as files. A query that charlore does not offer yet gives "n/a" rows.

Usage: python_bench.py [--module-dir DIR] [--icu4c-timer PROGRAM] --out FILE.json --data-dir DIR [--rounds N]
       [--passes N] [--settling-passes N] [--only GROUP...]
"""
import argparse
import collections
import itertools
import json
import os
import subprocess
import sys
import time

import icu

import corpora
from icu4c import open_timer
from measure import compare, compare_sides, peer, python_side, row, start_pass, unsettled_calls
from peer_rows import peer_rows
from property_rows import property_rows
from search_rows import search_rows
from segmentation_rows import segmentation_rows

FORMS = ("NFC", "NFD", "NFKC", "NFKD")
ICU_MODES = {
    "NFC": ("nfc", icu.UNormalizationMode2.COMPOSE),
    "NFD": ("nfc", icu.UNormalizationMode2.DECOMPOSE),
    "NFKC": ("nfkc", icu.UNormalizationMode2.COMPOSE),
    "NFKD": ("nfkc", icu.UNormalizationMode2.DECOMPOSE),
}
# Goals: the largest ratio charlore/ICU allowed per kind of row; normalize has one goal
# against python3-icu and one against ICU4C (the same for text already in the form).
GOAL_IN_FORM, GOAL_NEEDS_WORK, GOAL_NEEDS_WORK_ICU4C = 0.5, 0.8, 1.0
GOAL_NAME, GOAL_LOOKUP = 0.7, 0.5


def offered(function, *arguments):
    """Whether charlore answers this query yet (the unfinished ones raise NotImplementedError)."""
    try:
        function(*arguments)
    except NotImplementedError:
        return False
    except ValueError:
        pass
    return True


def candidate_code_points():
    """The planes that hold named characters (0 to 3 and 14), surrogates left out."""
    return itertools.chain(range(0xD800), range(0xE000, 0x40000), range(0xE0000, 0xF0000))


def utf16_length(text):
    return len(text.encode("utf-16-le")) // 2


def normalization_rows(charlore, texts, rounds, timer):
    """normalize in every form on every corpus: charlore, python3-icu and ICU4C (through
    the timer, None without it) timed in the same rounds."""
    rows = []
    available = offered(charlore.normalize, "NFC", "a")
    for index, (corpus, text) in enumerate(texts.items()):
        for form in FORMS:
            normalizer = icu.Normalizer2.getInstance(None, *ICU_MODES[form])
            in_form = normalizer.isNormalized(text)
            expected = normalizer.normalize(text)
            same = None
            ours = None
            if available:
                ours = lambda: charlore.normalize(form, text)
                same = charlore.normalize(form, text) == expected
            sides = [python_side(ours), python_side(lambda: normalizer.normalize(text)),
                     timer.side(form, index) if timer else None]
            ours_ns, theirs_ns, icu4c_ns = compare_sides(sides, len(text), rounds)
            if timer and timer.units(form, index) != utf16_length(expected):
                raise RuntimeError(f"ICU4C's result of {corpus} {form} differs from python3-icu's")
            goals = (GOAL_IN_FORM, GOAL_IN_FORM) if in_form else (GOAL_NEEDS_WORK, GOAL_NEEDS_WORK_ICU4C)
            rows.append(row("normalize", f"{corpus} {form}", ours_ns, theirs_ns, goals[0],
                            peers=[peer("ICU4C", icu4c_ns, ours_ns, goals[1])],
                            state="in form" if in_form else "needs work", length=len(text), same_result=same))
    return rows


def shared_names(charlore):
    """(character, name) for every code point that both libraries name alike."""
    pairs = []
    for cp in candidate_code_points():
        character = chr(cp)
        name = charlore.name(character, None)
        if name is not None and icu.Char.charName(cp) == name:
            pairs.append((character, name))
    return pairs


def each_dropped(function, arguments):
    """A call of function on every argument that lets each result go at once."""
    return lambda: collections.deque(map(function, arguments), maxlen=0)


def each_kept(function, arguments):
    """A call of function on every argument that keeps all the results in a list."""
    return lambda: list(map(function, arguments))


def name_rows(charlore, pairs, rounds):
    """name and lookup over every shared name. The goals judge the calls themselves, each
    result let go at once. Keeping ~170 000 new strings alive mostly times the memory
    system (fresh arenas, page faults) for both libraries alike; those rows are shown
    too, without a goal."""
    has_name = bool(pairs)
    has_lookup = has_name and offered(charlore.lookup, "SPACE")
    code_points = [ord(character) for character, _ in pairs]
    encoded = [name.encode("ascii") for _, name in pairs]
    if not pairs:
        # Without charlore's names there is no shared list: time ICU alone over its own names.
        code_points = [cp for cp in candidate_code_points() if icu.Char.charName(cp)]
        encoded = [icu.Char.charName(cp).encode("ascii") for cp in code_points]
    # The characters are made afresh, one after the other, so that they lie side by side
    # in memory. Those of `pairs` were made between the names, one every few hundred
    # bytes: reading them cost the loop 9 to 16 ns a character (against 6 side by side),
    # as much as a sixth of charlore's call, and it moved with the memory system's state,
    # the same for both sides, so it moved the ratio from run to run.
    characters = [chr(cp) for cp in code_points]
    # A name call over every name takes 5 to 20 ms, so a round costs little; ICU's lookup
    # takes seconds, so its rows make do with fewer.
    lookup_rounds = max(3, rounds // 3)
    rows = []
    for label, run, goal in (("", each_dropped, True), (", results kept", each_kept, False)):
        ours_ns, theirs_ns = compare(run(charlore.name, characters) if has_name else None,
                                     run(icu.Char.charName, characters), len(characters), rounds)
        rows.append(row("names", f"name{label} (all shared names)", ours_ns, theirs_ns,
                        GOAL_NAME if goal else None, length=len(characters)))
        ours_ns, theirs_ns = compare(run(charlore.lookup, encoded) if has_lookup else None,
                                     run(icu.Char.charFromName, encoded), len(encoded), lookup_rounds)
        rows.append(row("names", f"lookup{label} (all shared names)", ours_ns, theirs_ns,
                        GOAL_LOOKUP if goal else None, length=len(encoded)))
    return rows


def query_rows(charlore, texts, rounds):
    sample = "".join(text[:11_000] for text in texts.values())
    characters = list(sample)
    width = icu.UProperty.EAST_ASIAN_WIDTH
    cases = [
        ("category", charlore.category, lambda: list(map(charlore.category, characters)),
         lambda: list(map(icu.Char.charType, characters))),
        ("combining", charlore.combining, lambda: list(map(charlore.combining, characters)),
         lambda: list(map(icu.Char.getCombiningClass, characters))),
        ("east_asian_width", charlore.east_asian_width, lambda: list(map(charlore.east_asian_width, characters)),
         lambda: list(map(icu.Char.getIntPropertyValue, characters, itertools.repeat(width)))),
        ("numeric", charlore.numeric, lambda: list(map(charlore.numeric, characters, itertools.repeat(None))),
         lambda: list(map(icu.Char.getNumericValue, characters))),
        ("script", getattr(charlore, "script", None), lambda: list(map(charlore.script, characters)),
         lambda: list(map(icu.Char.getIntPropertyValue, characters, itertools.repeat(icu.UProperty.SCRIPT)))),
        ("block", getattr(charlore, "block", None), lambda: list(map(charlore.block, characters)),
         lambda: list(map(icu.Char.getIntPropertyValue, characters, itertools.repeat(icu.UProperty.BLOCK)))),
        # ICU makes a new string for every age, charlore returns shared ones: kept in a list,
        # the 176 000 strings of a call fill fresh arenas that are handed back to the system
        # when the list goes, so ICU's side took some 2 500 page faults a call, a cost that
        # moves with the machine's memory state and not the call's. Each result is let go at
        # once on both sides, as in the name rows.
        ("age", getattr(charlore, "age", None), each_dropped(getattr(charlore, "age", None), characters),
         each_dropped(icu.Char.charAge, characters)),
        # The binding offers no per-character decomposition mapping.
        ("decomposition", charlore.decomposition, lambda: list(map(charlore.decomposition, characters)), None),
    ]
    category = cases[0][2]
    rows = []
    for case, probe, ours, theirs in cases:
        ours = ours if offered(probe, "A") else None
        if theirs is None:
            # Without an ICU side, charlore's category over the same characters in the same
            # rounds is the row's measure: a ratio holds from run to run, a time does not.
            ours_ns, category_ns = compare(ours, category, len(characters), rounds)
            rows.append(row("queries", case, ours_ns, None, peers=[peer("category", category_ns, ours_ns)],
                            length=len(characters)))
            continue
        ours_ns, theirs_ns = compare(ours, theirs, len(characters), rounds)
        rows.append(row("queries", case, ours_ns, theirs_ns, length=len(characters)))
    return rows


def import_seconds(module_dir, modules, runs=21):
    """Least CPU time of `import module` in a fresh interpreter for each of the modules,
    their runs taken in turn so that a slow spell of the machine meets all alike. CPU time,
    as for every other row: on a loaded machine the wall-clock time of importing ICU
    (about 6 ms of work) took 5.8 ms in one set of runs and 9.7 in the next, its least
    time never free of another process's turn on the processor, while its CPU time
    stayed within 5.1 to 5.8 ms."""
    environment = dict(os.environ, PYTHONPATH=module_dir) if module_dir else None
    times = {module: [] for module in modules}
    for _ in range(runs):
        for module, record in times.items():
            code = f"import time; t = time.process_time(); import {module}; print(time.process_time() - t)"
            record.append(float(subprocess.check_output([sys.executable, "-c", code], env=environment)))
    return [min(record) for record in times.values()]


def section_sizes(path):
    """Sizes of the shared object's sections, from binutils' size -A."""
    sizes = {}
    for line in subprocess.check_output(["size", "-A", path], text=True).splitlines():
        fields = line.split()
        if len(fields) >= 2 and fields[0].startswith(".") and fields[1].isdigit():
            sizes[fields[0]] = int(fields[1])
    return sizes


def size_rows(charlore, module_dir):
    path = charlore.__file__
    sections = section_sizes(path)
    tables = sections.get(".rodata", 0) + sections.get(".data.rel.ro", 0)
    ours, theirs = import_seconds(module_dir, ["charlore", "icu"])
    return [
        dict(section="size", case="module file (bytes)", value=os.path.getsize(path)),
        dict(section="size", case="code .text (bytes)", value=sections.get(".text", 0)),
        dict(section="size", case="tables .rodata + .data.rel.ro (bytes)", value=tables),
        row("size", "import time (ms)", ours * 1e3, theirs * 1e3),
    ]


def write_data(directory, texts, pairs):
    """The corpora (UTF-8, one file each) and the shared names, for the C++ benchmark."""
    os.makedirs(directory, exist_ok=True)
    with open(os.path.join(directory, "corpora.txt"), "w", encoding="utf-8") as index:
        for number, (corpus, text) in enumerate(texts.items()):
            file_name = f"corpus-{number}.txt"
            with open(os.path.join(directory, file_name), "w", encoding="utf-8", newline="") as out:
                out.write(text)
            index.write(f"{file_name}\t{corpus}\n")
    with open(os.path.join(directory, "names.txt"), "w", encoding="ascii") as out:
        for character, name in pairs:
            out.write(f"{ord(character):X};{name}\n")


# The groups of timed rows, in the order of a run: each makes its rows from
# (charlore, texts, shared names, rounds, ICU4C timer).
ROW_GROUPS = {
    "normalize": lambda charlore, texts, pairs, rounds, timer: normalization_rows(charlore, texts, rounds, timer),
    "names": lambda charlore, texts, pairs, rounds, timer: name_rows(charlore, pairs, rounds),
    "queries": lambda charlore, texts, pairs, rounds, timer: query_rows(charlore, texts, rounds),
    "segmentation": lambda charlore, texts, pairs, rounds, timer: segmentation_rows(charlore, texts, rounds,
                                                                                   compare, row),
    "properties": lambda charlore, texts, pairs, rounds, timer: property_rows(charlore, texts, rounds, compare, row),
    "search": lambda charlore, texts, pairs, rounds, timer: search_rows(charlore, rounds, compare, row),
    "peers": lambda charlore, texts, pairs, rounds, timer: peer_rows(charlore, texts, rounds),
}


def timed_rows(charlore, texts, pairs, rounds, timer, groups=tuple(ROW_GROUPS)):
    """The timed rows of the given groups, in one pass."""
    rows = []
    for group in groups:
        rows += ROW_GROUPS[group](charlore, texts, pairs, rounds, timer)
    return rows


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--module-dir", help="where charlore is, if not installed in this interpreter's environment")
    parser.add_argument("--icu4c-timer", help="the charlore-icu4c-timer program; without it no ICU4C column")
    parser.add_argument("--out", required=True)
    parser.add_argument("--data-dir", required=True)
    parser.add_argument("--rounds", type=int, default=5, help="rounds of every row in each pass")
    parser.add_argument("--passes", type=int, default=3, help="passes over all rows; each side's fastest batch counts")
    parser.add_argument("--settling-passes", type=int, default=3,
                        help="most passes after those that time only the cases not settled yet")
    parser.add_argument("--settling-seconds", type=float, default=90,
                        help="no settling pass times a case after this many seconds of settling")
    parser.add_argument("--only", nargs="+", choices=ROW_GROUPS, default=tuple(ROW_GROUPS),
                        help="time these groups of rows alone (all of them by default)")
    options = parser.parse_args()
    if options.module_dir:
        sys.path.insert(0, options.module_dir)
    import charlore

    texts = corpora.build()
    name_available = offered(charlore.name, "A", None)
    pairs = shared_names(charlore) if name_available else []
    write_data(options.data_dir, texts, pairs)
    timer = open_timer(options.icu4c_timer, options.data_dir)
    try:
        # The rows of the last pass hold the fastest batch of every pass (measure.Passes).
        pass_seconds = []
        for _ in range(options.passes):
            start = time.monotonic()
            start_pass()
            rows = timed_rows(charlore, texts, pairs, options.rounds, timer, options.only)
            pass_seconds.append(time.monotonic() - start)
        unsettled = [unsettled_calls()]
        deadline = time.monotonic() + options.settling_seconds
        while unsettled[-1] and len(unsettled) <= options.settling_passes and time.monotonic() < deadline:
            start = time.monotonic()
            start_pass(settling=True, deadline=deadline)
            rows = timed_rows(charlore, texts, pairs, options.rounds, timer, options.only)
            pass_seconds.append(time.monotonic() - start)
            unsettled.append(unsettled_calls())
    finally:
        if timer:
            timer.close()
    rows += size_rows(charlore, options.module_dir)
    # unsettled: the cases not settled after the passes and after each settling pass;
    # pass_seconds: the wall-clock time of every pass, the settling ones last.
    context = dict(level="python", icu_version=icu.ICU_VERSION, rounds=options.rounds, passes=options.passes,
                   unsettled=unsettled, pass_seconds=[round(seconds, 1) for seconds in pass_seconds],
                   cpus=sorted(os.sched_getaffinity(0)), module=charlore.__file__, python=sys.version.split()[0])
    with open(options.out, "w") as out:
        json.dump(dict(context, rows=rows), out, indent=1)


if __name__ == "__main__":
    main()
