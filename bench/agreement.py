"""Compares two results files of scripts/bench row by row: every ratio of a row (charlore
over python3-icu or ICU4C, and over each further library; charlore's own time in a row
without a library) in both runs. Prints each
ratio that differs by more than the tolerance between the runs, and the rows found in
one run only; the exit status is 1 if there is any.

Usage: agreement.py FIRST.json SECOND.json [--tolerance 0.10] [--sections PREFIX...]
"""
import argparse
import json
import sys


def ratios(r):
    """{library: charlore's ratio to it} of one row; the row's base library is "base". A row
    without any library to compare with (name search) gives charlore's own time as "time"."""
    found = {"base": r.get("ratio")}
    for p in r.get("peers", []):
        found[p["name"]] = p.get("ratio")
    found = {name: value for name, value in found.items() if value is not None}
    if not found and r.get("charlore_ns") is not None:
        found["time"] = r["charlore_ns"]
    return found


def side_times(r, name):
    """(charlore's ns, the library's ns) behind the ratio `name` of a row (see ratios): the
    two times tell which side of a disagreeing ratio moved between the runs."""
    if name == "time":
        return r.get("charlore_ns"), None
    if name == "base":
        return r.get("charlore_ns"), r.get("icu_ns")
    theirs = next((p.get("ns") for p in r.get("peers", []) if p["name"] == name), None)
    return r.get("charlore_ns"), theirs


def moved(first_ns, second_ns):
    """Relative change of one side's time between the runs, against the smaller time
    (None when either run lacks it)."""
    if first_ns is None or second_ns is None or min(first_ns, second_ns) <= 0:
        return None
    return abs(first_ns - second_ns) / min(first_ns, second_ns)


def rows_by_key(results, sections):
    rows = {}
    for r in results["rows"]:
        if "value" in r or (sections and not r["section"].startswith(tuple(sections))):
            continue
        rows[(r["section"], r["case"])] = r
    return rows


def differences(first, second, tolerance, sections=()):
    """(disagreeing ratios, rows of one run only, ratios compared). A disagreeing ratio is
    (section, case, library, first ratio, second ratio, relative difference, sides), the
    difference taken against the smaller ratio so that the check reads alike both ways;
    sides is ((charlore's ns, first, second), (the library's ns, first, second)) from
    side_times."""
    a, b = rows_by_key(first, sections), rows_by_key(second, sections)
    disagreeing, compared = [], 0
    for key in a.keys() & b.keys():
        ra, rb = ratios(a[key]), ratios(b[key])
        for name in ra.keys() & rb.keys():
            x, y = ra[name], rb[name]
            compared += 1
            difference = abs(x - y) / min(x, y) if min(x, y) > 0 else float("inf")
            if difference > tolerance:
                sides = tuple(zip(side_times(a[key], name), side_times(b[key], name)))
                disagreeing.append((*key, name, x, y, difference, sides))
    alone = sorted(a.keys() ^ b.keys())
    order = {key: i for i, key in enumerate(list(a) + [k for k in b if k not in a])}
    disagreeing.sort(key=lambda d: (order[(d[0], d[1])], d[2]))
    return disagreeing, alone, compared


def describe(label, first_ns, second_ns):
    change = moved(first_ns, second_ns)
    if change is None:
        return f"{label} not in both runs"
    return f"{label} {first_ns:.4g} then {second_ns:.4g} ns ({change:.0%})"


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("first")
    parser.add_argument("second")
    parser.add_argument("--tolerance", type=float, default=0.10)
    parser.add_argument("--sections", nargs="*", default=(), help="only the sections that start so")
    options = parser.parse_args()
    with open(options.first) as f:
        first = json.load(f)
    with open(options.second) as f:
        second = json.load(f)
    disagreeing, alone, compared = differences(first, second, options.tolerance, options.sections)
    for section, case, name, x, y, difference, sides in disagreeing:
        kind = "time" if name == "time" else "ratio"
        library = "" if name in ("base", "time") else f" (against {name})"
        line = f"{section}: {case}{library}: {kind} {x:.3f} then {y:.3f}, {difference:.0%} apart"
        if kind == "ratio":
            # Which side moved: each side's ns per item in both runs.
            labels = ("charlore", "python3-icu" if name == "base" else name)
            line += "; " + ", ".join(describe(label, first_ns, second_ns)
                                     for label, (first_ns, second_ns) in zip(labels, sides))
        print(line)
    for section, case in alone:
        print(f"{section}: {case}: in one run only")
    print(f"{compared} ratios compared; {len(disagreeing)} differ by more than {options.tolerance:.0%}; "
          f"{len(alone)} rows in one run only")
    sys.exit(1 if disagreeing or alone else 0)


if __name__ == "__main__":
    main()
