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


def rows_by_key(results, sections):
    rows = {}
    for r in results["rows"]:
        if "value" in r or (sections and not r["section"].startswith(tuple(sections))):
            continue
        rows[(r["section"], r["case"])] = r
    return rows


def differences(first, second, tolerance, sections=()):
    """(disagreeing ratios, rows of one run only, ratios compared). A disagreeing ratio is
    (section, case, library, first ratio, second ratio, relative difference), the
    difference taken against the smaller ratio so that the check reads alike both ways."""
    a, b = rows_by_key(first, sections), rows_by_key(second, sections)
    disagreeing, compared = [], 0
    for key in a.keys() & b.keys():
        ra, rb = ratios(a[key]), ratios(b[key])
        for name in ra.keys() & rb.keys():
            x, y = ra[name], rb[name]
            compared += 1
            difference = abs(x - y) / min(x, y) if min(x, y) > 0 else float("inf")
            if difference > tolerance:
                disagreeing.append((*key, name, x, y, difference))
    alone = sorted(a.keys() ^ b.keys())
    order = {key: i for i, key in enumerate(list(a) + [k for k in b if k not in a])}
    disagreeing.sort(key=lambda d: (order[(d[0], d[1])], d[2]))
    return disagreeing, alone, compared


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
    for section, case, name, x, y, difference in disagreeing:
        kind = "time" if name == "time" else "ratio"
        library = "" if name in ("base", "time") else f" (against {name})"
        print(f"{section}: {case}{library}: {kind} {x:.3f} then {y:.3f}, {difference:.0%} apart")
    for section, case in alone:
        print(f"{section}: {case}: in one run only")
    print(f"{compared} ratios compared; {len(disagreeing)} differ by more than {options.tolerance:.0%}; "
          f"{len(alone)} rows in one run only")
    sys.exit(1 if disagreeing or alone else 0)


if __name__ == "__main__":
    main()
