"""Instructions per code point of the C++ exported-function cases, counted by callgrind.

The timed rows `cfunc/...` of the C++ level compare calls of a few nanoseconds, and their
ratio follows where the code lies (alignment of the loops, branch aliasing) as much as
what it does; instruction counts follow only what it does. charlore-bench, run under
callgrind with --count-instructions, dumps one count per case and side, each for a single
pass over the sequence after a warm-up pass; this script prints them per code point, with
charlore's count as a multiple of ICU4C's. A timed ratio that moved while the counts stayed
is a move of layout or of the machine, not of the code.

    bench/cpp_instruction_counts.py [--program PROGRAM] --data DIR [SELECTION]

SELECTION picks the cases whose name holds it (for instance "ToNumeric/" or "/text");
all 48 cases take a few minutes. DIR holds the files python_bench.py writes.
"""
import argparse
import glob
import os
import re
import subprocess
import tempfile

DEFAULT_PROGRAM = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "build", "bench", "cpp", "bench",
                               "charlore-bench")


def counts(program, data, selection):
    """{case: {side: instructions per code point}} from the dumps of one callgrind run."""
    with tempfile.TemporaryDirectory() as directory:
        out = os.path.join(directory, "callgrind.out")
        subprocess.run(["valgrind", "--tool=callgrind", f"--callgrind-out-file={out}", program, "--data", data,
                        "--count-instructions", selection], check=True, capture_output=True, text=True)
        result = {}
        for path in glob.glob(out + ".*"):
            with open(path, encoding="utf-8", errors="replace") as f:
                text = f.read()
            trigger = re.search(r"^desc: Trigger: Client Request: (.*) (\d+)$", text, re.MULTILINE)
            total = re.search(r"^(?:summary|totals): (\d+)", text, re.MULTILINE)
            if not trigger or not total:
                continue  # the dump at the program's end
            case, _, side = trigger.group(1).rpartition("/")
            result.setdefault(case, {})[side] = int(total.group(1)) / int(trigger.group(2))
    return result


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--program", default=DEFAULT_PROGRAM)
    parser.add_argument("--data", required=True)
    parser.add_argument("selection", nargs="?", default="cfunc/")
    options = parser.parse_args()
    found = counts(options.program, options.data, options.selection)
    # The loop's own count per sequence (the case cfunc/loop/SEQUENCE, always counted).
    loops = {case.rpartition("/")[2]: sides["charlore"] for case, sides in counts(
        options.program, options.data, "cfunc/loop/").items()}
    print("instructions per code point (callgrind), one pass after a warm-up; 'net' leaves out the timed")
    print("loop and its call of the function (" + ", ".join(f"{n:.2f} over {s}" for s, n in sorted(loops.items()))
          + ")")
    print(f"  {'case':36} {'charlore':>9} {'ICU4C':>9} {'ratio':>6} {'net':>6}")
    for case in sorted(found):
        if case.startswith("cfunc/loop/"):
            continue
        sides = found[case]
        ours, theirs = sides.get("charlore"), sides.get("icu")
        loop = loops.get(case.rpartition("/")[2], 0)
        ratio = f"{ours / theirs:6.3f}" if ours and theirs else "   n/a"
        net = f"{(ours - loop) / (theirs - loop):6.3f}" if ours and theirs and theirs > loop else "   n/a"
        ours_text = f"{ours:9.2f}" if ours is not None else "      n/a"
        print(f"  {case:36} {ours_text} {theirs:9.2f} {ratio} {net}")


if __name__ == "__main__":
    main()
