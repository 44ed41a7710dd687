"""Draws the Python-level normalize rows of a results file as a PNG: ns per character for
each corpus, one panel per form, bars for charlore, ICU4C and python3-icu. Needs
Debian's python3-matplotlib.

Usage: chart.py RESULTS.json CHART.png
"""
import argparse
import json

import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402  (the backend is chosen first)

FORMS = ("NFC", "NFD", "NFKC", "NFKD")
SIDES = (("charlore", "tab:blue"), ("ICU4C", "tab:orange"), ("python3-icu", "tab:gray"))


def times(r):
    icu4c = [p["ns"] for p in r.get("peers", []) if p["name"] == "ICU4C"]
    return {"charlore": r["charlore_ns"], "ICU4C": icu4c[0] if icu4c else None, "python3-icu": r["icu_ns"]}


def draw(results, path):
    rows = [r for r in results["rows"] if r["section"] == "normalize"]
    corpora = list(dict.fromkeys(r["case"].rpartition(" ")[0] for r in rows))
    by_case = {r["case"]: r for r in rows}
    figure, axes = plt.subplots(len(FORMS), 1, figsize=(14, 16), sharex=True)
    width = 0.27
    for axis, form in zip(axes, FORMS):
        for offset, (side, colour) in enumerate(SIDES):
            values = [times(by_case[f"{corpus} {form}"])[side] if f"{corpus} {form}" in by_case else None
                      for corpus in corpora]
            positions = [i + (offset - 1) * width for i in range(len(corpora))]
            axis.bar(positions, [v or 0 for v in values], width, label=side, color=colour)
        for i, corpus in enumerate(corpora):
            r = by_case.get(f"{corpus} {form}")
            if r and r.get("state") == "in form":
                axis.text(i, 0.97, "in form", transform=axis.get_xaxis_transform(), ha="center", va="top",
                          fontsize=7, color="dimgray")
        axis.set_yscale("log")
        axis.set_ylabel("ns per character")
        axis.set_title(f"normalize to {form}", loc="left")
        axis.grid(axis="y", which="both", alpha=0.3)
    axes[0].legend(loc="upper left")
    axes[-1].set_xticks(range(len(corpora)))
    axes[-1].set_xticklabels(corpora, rotation=35, ha="right")
    context = results.get("context", {})
    build = context.get("build", {}).get("options", {})
    options = ", ".join(f"{k}={v}" for k, v in build.items() if k in ("buildtype", "optimization"))
    figure.suptitle(f"charlore as pip installs it ({options}) against ICU4C {context.get('icu_version', '')} "
                    "and python3-icu; lower is better")
    figure.tight_layout(rect=(0, 0, 1, 0.98))
    figure.savefig(path, dpi=80)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("results")
    parser.add_argument("chart")
    arguments = parser.parse_args()
    with open(arguments.results) as f:
        draw(json.load(f), arguments.chart)
    print(f"chart: {arguments.chart}")


if __name__ == "__main__":
    main()
