"""Instructions per call of the per-character property queries, counted by callgrind.

Timed rows swing with the load of a shared machine; instruction counts do not. Each case
runs in its own process under callgrind, once with one round over the sample of
property_rows.py and once with three; the difference over two rounds' calls is the cost of
one call, the interpreter's start and the sample's preparation cancelling out. The count
includes the loop around the call (list(map(...)), or list(itertools.starmap(...)) over
argument tuples, the loop property_rows.py compares property and category in), and each
case is given as a multiple of category's count in the same loop.

    build/bench/venv/bin/python bench/instruction_counts.py [CASE...]
"""
import argparse
import os
import re
import subprocess
import sys
import tempfile

CASES = {
    "category": "list(map(charlore.category, characters))",
    "script": "list(map(charlore.script, characters))",
    "block": "list(map(charlore.block, characters))",
    "age": "list(map(charlore.age, characters))",
    "property('Line_Break', c)": "list(map(charlore.property, itertools.repeat('Line_Break'), characters))",
    "property('lb', c)": "list(map(charlore.property, itertools.repeat('lb'), characters))",
    "property('line break', c)": "list(map(charlore.property, itertools.repeat('line break'), characters))",
    "property('isLineBreak', c)": "list(map(charlore.property, itertools.repeat('isLineBreak'), characters))",
    "category, starmap": "list(itertools.starmap(charlore.category, singles))",
    "property('Line_Break', c), starmap": "list(itertools.starmap(charlore.property, line_break_pairs))",
}

CHILD = """
import itertools, sys
import charlore
characters = list(open(sys.argv[1], encoding="utf-8").read())
singles = [(c,) for c in characters]
line_break_pairs = [("Line_Break", c) for c in characters]
for _ in range(int(sys.argv[2])):
    {statement}
"""


def instructions(statement, sample_path, rounds):
    """The instructions callgrind counts for a process running statement rounds times."""
    with tempfile.NamedTemporaryFile(suffix=".out") as out:
        result = subprocess.run(
            ["valgrind", "--tool=callgrind", f"--callgrind-out-file={out.name}", sys.executable, "-c",
             CHILD.format(statement=statement), sample_path, str(rounds)],
            capture_output=True, text=True, check=True)
    found = re.search(r"Collected : (\d+)", result.stderr)
    if not found:
        raise RuntimeError(result.stderr)
    return int(found.group(1))


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("cases", nargs="*", help="cases to count (default: all)")
    cases = parser.parse_args().cases or list(CASES)
    sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
    import corpora

    sample = "".join(text[:11_000] for text in corpora.build().values())
    with tempfile.NamedTemporaryFile("w", encoding="utf-8", suffix=".txt") as sample_file:
        sample_file.write(sample)
        sample_file.flush()
        counts = {}
        for case in cases:
            one, three = (instructions(CASES[case], sample_file.name, rounds) for rounds in (1, 3))
            counts[case] = (three - one) / (2 * len(sample))
    print(f"instructions per call over {len(sample)} characters (callgrind)")
    for case, count in counts.items():
        base_case = "category, starmap" if case.endswith(", starmap") else "category"
        base = counts.get(base_case)
        against = f"  {count / base:.2f} x {base_case}" if base and case != base_case else ""
        print(f"  {case:36} {count:7.1f}{against}")


if __name__ == "__main__":
    main()
