"""Compares two builds of the module measured by the same harness: the results files of
one build ("before") against those of another ("after"), row by row, by charlore's ratio
to each library of the row (python3-icu, ICU4C and further peers at the Python level,
ICU4C at the C++ level). A ratio holds across runs where a time does not, since both
sides of a ratio were timed in the same rounds of the same process.

Several files per build (runs of the two builds taken in turn) count together: each
side's time in a row is its fastest over the build's runs, as the passes of one run do.
Prints one line per row found in both builds, then the rows whose ratio is more than the
tolerance worse after than before against every library of the row ("slower"), and those
worse against some of them only (one side's time moved: likely the machine).

Usage: compare.py --before FILE.json... --after FILE.json... [--tolerance 0.10] [--sections PREFIX...]
"""
import argparse
import json

from agreement import ratios, rows_by_key


def fastest(rows):
    """One row from the same row of several runs: each side's least time, ratios anew."""
    merged = dict(rows[0])

    def least(values):
        values = [v for v in values if v is not None]
        return min(values) if values else None

    merged["charlore_ns"] = least(r["charlore_ns"] for r in rows)
    merged["icu_ns"] = least(r["icu_ns"] for r in rows)
    ours = merged["charlore_ns"]
    merged["ratio"] = ours / merged["icu_ns"] if ours is not None and merged["icu_ns"] else None
    peers = []
    for p in rows[0].get("peers", []):
        ns = least(q["ns"] for r in rows for q in r.get("peers", []) if q["name"] == p["name"])
        peers.append(dict(p, ns=ns, ratio=ours / ns if ours is not None and ns else None))
    merged["peers"] = peers
    return merged


def merged_rows(results, sections):
    """{(section, case): row} over the runs of one build, in the order of the first run."""
    by_run = [rows_by_key(r, sections) for r in results]
    keys = [key for key in by_run[0] if all(key in run for run in by_run)]
    return {key: fastest([run[key] for run in by_run]) for key in keys}


def comparison(before, after, tolerance, sections=()):
    """[(section, case, [(library, ratio before, ratio after)], verdict)] for every row with
    a ratio in both builds; verdict is "slower", "mixed" (worse against some libraries
    only) or "". A ratio is worse when after > before * (1 + tolerance)."""
    a, b = merged_rows(before, sections), merged_rows(after, sections)
    lines = []
    for key, row_after in b.items():
        if key not in a:
            continue
        ra, rb = ratios(a[key]), ratios(row_after)
        pairs = [(name, ra[name], rb[name]) for name in rb if name in ra]
        if not pairs:
            continue
        worse = [y > x * (1 + tolerance) for _, x, y in pairs]
        verdict = "slower" if all(worse) else "mixed" if any(worse) else ""
        lines.append((*key, pairs, verdict))
    return lines


def library_label(name, section):
    if name == "base":
        return "ICU4C" if section.startswith("C++") else "python3-icu"
    return name


def print_comparison(lines, tolerance):
    print("charlore's ratio to each library of the row, before -> after (change); "
          "below 1.0 charlore is faster")
    section = None
    for sec, case, pairs, verdict in lines:
        if sec != section:
            section = sec
            print(f"\n== {section}")
        cells = "  ".join(f"{library_label(name, sec)} {x:.3g} -> {y:.3g} ({y / x - 1:+.0%})"
                          for name, x, y in pairs)
        print(f"{case:44} {cells}  {verdict.upper() if verdict == 'slower' else verdict}".rstrip())
    for verdict, what in (("slower", "against every library of the row"),
                          ("mixed", "against some libraries of the row only")):
        chosen = [line for line in lines if line[3] == verdict]
        print(f"\nRows more than {tolerance:.0%} slower {what}: {len(chosen)} of {len(lines)}")
        for sec, case, pairs, _ in chosen:
            worst = max(y / x for _, x, y in pairs)
            print(f"  {sec}: {case} (up to {worst - 1:+.0%})")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--before", nargs="+", required=True, help="results files of the build before")
    parser.add_argument("--after", nargs="+", required=True, help="results files of the build after")
    parser.add_argument("--tolerance", type=float, default=0.10)
    parser.add_argument("--sections", nargs="*", default=(), help="only the sections that start so")
    options = parser.parse_args()
    loaded = []
    for files in (options.before, options.after):
        runs = []
        for name in files:
            with open(name) as f:
                runs.append(json.load(f))
        loaded.append(runs)
    print_comparison(comparison(*loaded, options.tolerance, options.sections), options.tolerance)


if __name__ == "__main__":
    main()
