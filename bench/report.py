"""Joins the Python-level rows and the Google Benchmark output into one table and JSON.

Usage: report.py --python FILE.json [--build FILE.json] [--cpp FILE.json...] --out FILE.json

Several --cpp files are the processes of one run of the C++ benchmark (scripts/bench
runs its repetitions in three): each side's fastest repetition over all of them counts.
"""
import argparse
import json

from measure import peer, row

GOAL_EXPORTED_FUNCTION, GOAL_NAME, GOAL_LOOKUP = 1.0, 0.7, 0.5
GOAL_SEGMENTATION = 1.0
# charlore is to be ahead of every other peer at the C++ level.
GOAL_AHEAD = 1.0
# The side of each C++ case that the ratio of the row is taken against, and the others.
CPP_BASE_SIDES = ("charlore", "icu")
# The segmentation cases say in their label whether both sides found the same boundaries.
SEGMENTATION_LABELS = {"same result": True, "results differ": False}
# The ending of the counters of a case that times several sides together.
TOGETHER = "_ns"


def cpp_timings(cpp):
    """{case: {side: (least ns per item over the repetitions or None, counters)}} in the
    order the cases were registered (the run interleaves their repetitions at random). The
    fastest repetition is the one least slowed by the rest of the machine. A case that
    times its sides together gives every side from each of its repetitions. `cpp` is one
    Google Benchmark file or a list of them (processes of one run): a case takes the place
    it has in the first file that holds it, whatever a later file numbers it."""
    timings = {}
    files = cpp if isinstance(cpp, list) else [cpp]
    benchmarks = [b for f in files for b in sorted(f["benchmarks"], key=lambda b: b.get("family_index", 0))]
    for benchmark in benchmarks:
        if benchmark.get("run_type") == "aggregate":
            continue
        case, _, side = benchmark["run_name"].rpartition("/")
        sides = timings.setdefault(case, {})
        # A case that times its sides in the same iterations gives each side's ns per item
        # as a counter SIDE_ns (cpp_bench.cpp, time_per_code_point).
        together = {key[:-len(TOGETHER)]: value for key, value in benchmark.items() if key.endswith(TOGETHER)}
        if benchmark.get("error_occurred") or not (together or benchmark.get("items_per_second")):
            sides.setdefault(side, (None, {}))
            continue
        measured = together or {side: 1e9 / benchmark["items_per_second"]}
        for name, ns in measured.items():
            fastest, _ = sides.get(name, (None, {}))
            if fastest is None or ns < fastest:
                # Whether the side's result was ICU's: the counter of the side (SIDE_same_as_icu)
                # or of the case.
                same = benchmark.get(f"{name}_same_as_icu", benchmark.get("same_as_icu"))
                counters = {} if same is None else {"same_as_icu": bool(same)}
                if benchmark.get("label") in SEGMENTATION_LABELS:  # whether the two sides agreed
                    counters["same_as_icu"] = SEGMENTATION_LABELS[benchmark["label"]]
                sides[name] = (ns, counters)
    return timings


def cpp_rows(cpp, python_rows):
    """Rows of the C++ benchmark: least ns per item of charlore and ICU4C, their ratio, and
    the other libraries of the case as peers. A case without an ICU4C side (graphemes
    against utf8proc) is judged by its peers' goals alone."""
    goals = {}
    for r in python_rows:
        if r["section"] == "normalize":
            icu4c = [p["goal"] for p in r.get("peers", []) if p["name"] == "ICU4C"]
            goals[r["case"]] = (r.get("state"), icu4c[0] if icu4c else r["goal"])
    rows = []
    for case, sides in cpp_timings(cpp).items():
        group, _, rest = case.partition("/")
        ours, ours_counters = sides.get("charlore", (None, {}))
        theirs, _ = sides.get("icu", (None, {}))
        state, goal = None, None
        if group == "cfunc":
            goal = GOAL_EXPORTED_FUNCTION
        elif group == "names":
            goal = GOAL_NAME if rest.startswith("name/") else GOAL_LOOKUP
        elif group == "normalize":
            state, goal = goals.get(rest, (None, None))
        elif group == "segmentation":
            goal = GOAL_SEGMENTATION
        if "icu" not in sides:
            goal = None
        peers = [peer(side, ns, ours, GOAL_AHEAD, same_result=counters.get("same_as_icu"))
                 for side, (ns, counters) in sides.items() if side not in CPP_BASE_SIDES]
        rows.append(row("C++ " + group, rest, ours, theirs, goal, peers=peers, state=state,
                        same_result=ours_counters.get("same_as_icu")))
    return rows


def number(value):
    """Two decimals, three below 1 (text already in form can take well under 0.1 ns/char)."""
    return "n/a" if value is None else f"{value:.3f}" if abs(value) < 1 else f"{value:.2f}"


def goal_text(goal):
    return "" if goal is None else f"{goal:.1f}"


def print_table(rows):
    """One block per section; the second column is python3-icu at the Python level and
    ICU4C at the C++ level, then each peer of the section with its ratio and goal. A time
    marked "!" belongs to a result that differs from ICU's."""
    section, peer_names = None, []
    for r in rows:
        if r["section"] != section:
            section = r["section"]
            peer_names = []
            for other in rows:
                for p in other.get("peers", []) if other["section"] == section else []:
                    if p["name"] not in peer_names:
                        peer_names.append(p["name"])
            # A section timed against its peers alone (the Python packages) has no base column.
            has_base = any("icu_ns" in other and other["icu_ns"] is not None
                           for other in rows if other["section"] == section)
            print(f"\n== {section}")
            if "value" not in r:
                base = "ICU4C" if section.startswith("C++") else "python3-icu"
                header = f"{'case':44} {'state':10} {'charlore':>10}"
                if has_base:
                    header += f" {base:>11} {'ratio':>6} {'goal':>4}"
                for name in peer_names:
                    header += f" {name:>12} {'ratio':>6} {'goal':>4}"
                print(header + "  met")
        if "value" in r:
            print(f"{r['case']:44} {r['value']:>12}")
            continue
        mark = "!" if r.get("same_result") is False else " "
        line = f"{r['case']:44} {r.get('state') or '':10} {number(r['charlore_ns']):>9}{mark}"
        if has_base:
            line += f" {number(r['icu_ns']):>11} {number(r['ratio']):>6} {goal_text(r.get('goal')):>4}"
        by_name = {p["name"]: p for p in r.get("peers", [])}
        for name in peer_names:
            p = by_name.get(name)
            if p is None:
                line += f" {'':>12} {'':>6} {'':>4}"
                continue
            mark = "!" if p.get("same_result") is False else " "
            line += f" {number(p['ns']):>11}{mark} {number(p['ratio']):>6} {goal_text(p['goal']):>4}"
        print(line + "  " + {True: "yes", False: "NO", None: ""}[r.get("met")])


def has_goal(r):
    return r.get("goal") is not None or any(p["goal"] is not None for p in r.get("peers", []))


def summary(rows):
    judged = [r for r in rows if r.get("met") is not None]
    missed = [r for r in rows if has_goal(r) and r.get("met") is not True]
    return dict(goals_judged=len(judged), goals_met=sum(r["met"] for r in judged),
                goals_missed_or_unmeasured=[f"{r['section']}: {r['case']}" for r in missed])


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--python", required=True)
    parser.add_argument("--build")
    parser.add_argument("--cpp", nargs="+")
    parser.add_argument("--out", required=True)
    options = parser.parse_args()
    with open(options.python) as f:
        python = json.load(f)
    rows = python["rows"]
    context = {key: value for key, value in python.items() if key not in ("rows", "level")}
    context["python_rounds"] = context.pop("rounds", None)
    if options.build:
        with open(options.build) as f:
            context["build"] = json.load(f)
    if options.cpp:
        cpp = []
        for path in options.cpp:
            with open(path) as f:
                cpp.append(json.load(f))
        rows = rows + cpp_rows(cpp, python["rows"])
        context["cpp_context"] = cpp[0].get("context", {})
        context["cpp_processes"] = len(cpp)
    print("times in ns per character (per name for names); ratio = charlore / the library before it; "
          "the fastest of repeated batches")
    if "module" in context:
        print(f"module timed: {context['module']}")
    print_table(rows)
    result = dict(context=context, summary=summary(rows), rows=rows)
    s = result["summary"]
    print(f"\ngoals met: {s['goals_met']} of {s['goals_judged']} judged; "
          f"{len(s['goals_missed_or_unmeasured'])} missed or not measurable yet")
    with open(options.out, "w") as f:
        json.dump(result, f, indent=1)
    print(f"JSON: {options.out}")


if __name__ == "__main__":
    main()
