"""Joins the Python-level rows and the Google Benchmark output into one table and JSON.

Usage: report.py --python FILE.json [--cpp FILE.json] --out FILE.json
"""
import argparse
import json

GOAL_EXPORTED_FUNCTION, GOAL_NAME, GOAL_LOOKUP = 1.0, 0.7, 0.5
GOAL_SEGMENTATION = 1.0
# The peer of a C++ case: ICU, or utf8proc for the cases that name it.
PEERS = ("icu", "utf8proc")


def cpp_rows(cpp, python_rows):
    """Rows of the C++ benchmark: median ns per item of both sides and their ratio."""
    states = {r["case"]: (r.get("state"), r["goal"]) for r in python_rows if r["section"] == "normalize"}
    timings, order, labels = {}, [], {}
    for benchmark in cpp["benchmarks"]:
        if benchmark.get("run_type") == "aggregate" and benchmark.get("aggregate_name") != "median":
            continue
        case, _, side = benchmark["run_name"].rpartition("/")
        if case not in timings:
            timings[case] = {}
            order.append(case)
        if benchmark.get("label"):
            labels[case] = benchmark["label"]
        if benchmark.get("error_occurred") or not benchmark.get("items_per_second"):
            timings[case].setdefault(side, None)
        else:
            timings[case][side] = 1e9 / benchmark["items_per_second"]
    rows = []
    for case in order:
        group, _, rest = case.partition("/")
        ours = timings[case].get("charlore")
        theirs = next((timings[case][side] for side in PEERS if side in timings[case]), None)
        ratio = ours / theirs if ours is not None and theirs else None
        state, goal = None, None
        if group == "cfunc":
            goal = GOAL_EXPORTED_FUNCTION
        elif group == "names":
            goal = GOAL_NAME if rest.startswith("name/") else GOAL_LOOKUP
        elif group == "normalize":
            state, goal = states.get(rest, (None, None))
        elif group == "segmentation":
            goal = GOAL_SEGMENTATION
        row = dict(section="C++ " + group, case=rest, state=state, charlore_ns=ours, icu_ns=theirs,
                   ratio=ratio, goal=goal, met=None if goal is None or ratio is None else ratio <= goal)
        if case in labels:  # the segmentation cases say whether both sides agreed
            row["same_result"] = labels[case] == "same result"
        rows.append(row)
    return rows


def number(value, digits=2):
    return "n/a" if value is None else f"{value:.{digits}f}"


def print_table(rows):
    section = None
    for r in rows:
        if r["section"] != section:
            section = r["section"]
            print(f"\n== {section}")
            if "value" not in r:
                print(f"{'case':44} {'state':10} {'charlore':>10} {'ICU':>10} {'ratio':>7} {'goal':>6}  met")
        if "value" in r:
            print(f"{r['case']:44} {r['value']:>12}")
            continue
        goal = "" if r.get("goal") is None else f"{r['goal']:.1f}"
        met = {True: "yes", False: "NO", None: ""}[r.get("met")]
        state = r.get("state") or ("differs" if r.get("same_result") is False else "")
        print(f"{r['case']:44} {state:10} {number(r['charlore_ns']):>10} {number(r['icu_ns']):>10} "
              f"{number(r['ratio']):>7} {goal:>6}  {met}")


def summary(rows):
    judged = [r for r in rows if r.get("met") is not None]
    missed = [r for r in rows if r.get("goal") is not None and r.get("met") is not True]
    return dict(goals_judged=len(judged), goals_met=sum(r["met"] for r in judged),
                goals_missed_or_unmeasured=[f"{r['section']}: {r['case']}" for r in missed])


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--python", required=True)
    parser.add_argument("--cpp")
    parser.add_argument("--out", required=True)
    options = parser.parse_args()
    with open(options.python) as f:
        python = json.load(f)
    rows = python["rows"]
    context = dict(icu_version=python["icu_version"], python_rounds=python["rounds"])
    if options.cpp:
        with open(options.cpp) as f:
            cpp = json.load(f)
        rows = rows + cpp_rows(cpp, python["rows"])
        context["cpp_context"] = cpp.get("context", {})
    print("times in ns per character (per name for names); ratio = charlore / ICU, medians of repeated runs")
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
