"""How bench/report.py joins the files of the C++ benchmark's processes: each side's fastest
repetition over all of them, the cases in the order of the first file, a failed side None."""
import importlib.util
import pathlib
import sys

import pytest

BENCH = pathlib.Path(__file__).resolve().parents[2] / "bench"


@pytest.fixture(scope="module")
def report():
    # report.py imports measure by its plain name.
    sys.path.insert(0, str(BENCH))
    try:
        spec = importlib.util.spec_from_file_location("bench_report", BENCH / "report.py")
        module = importlib.util.module_from_spec(spec)
        spec.loader.exec_module(module)
        return module
    finally:
        sys.path.remove(str(BENCH))


def results(cases, family_start=0):
    """A Google Benchmark file: {case: {side: [ns of each repetition] or None for a failed side}}."""
    benchmarks = []
    for family, (case, sides) in enumerate(cases.items(), family_start):
        for side, times in sides.items():
            name = f"{case}/{side}"
            if times is None:
                benchmarks.append(dict(run_name=name, family_index=family, run_type="iteration", error_occurred=True))
                continue
            benchmarks += [dict(run_name=name, family_index=family, run_type="iteration", items_per_second=1e9 / ns)
                           for ns in times]
            benchmarks.append(dict(run_name=name, family_index=family, run_type="aggregate", aggregate_name="mean",
                                   items_per_second=1.0))
    return dict(benchmarks=benchmarks)


FIRST = results({
    "cfunc/ToNumeric/text": {"charlore": [2.2, 2.0], "icu": [2.7, 2.8]},
    "normalize/french NFD NFKC": {"charlore": [1.0, 1.1], "icu": [1.5], "utf8proc": None},
    "segmentation/graphemes japanese/chinese (utf8proc)": {"charlore": [3.0], "utf8proc": [9.0]},
})
# A later process, its repetitions written in another order and its families numbered apart.
SECOND = results({
    "segmentation/graphemes japanese/chinese (utf8proc)": {"charlore": [3.3], "utf8proc": [8.5]},
    "normalize/french NFD NFKC": {"charlore": [0.9], "icu": [1.6], "utf8proc": None},
    "cfunc/ToNumeric/text": {"charlore": [2.1], "icu": [2.6]},
})


@pytest.mark.parametrize("case, side, fastest", [
    ("cfunc/ToNumeric/text", "charlore", 2.0),    # the first process's
    ("cfunc/ToNumeric/text", "icu", 2.6),         # the second's
    ("normalize/french NFD NFKC", "charlore", 0.9),
    ("normalize/french NFD NFKC", "icu", 1.5),
    ("normalize/french NFD NFKC", "utf8proc", None),
    ("segmentation/graphemes japanese/chinese (utf8proc)", "charlore", 3.0),
    ("segmentation/graphemes japanese/chinese (utf8proc)", "utf8proc", 8.5),
])
def test_fastest_repetition_of_every_process(report, case, side, fastest):
    assert report.cpp_timings([FIRST, SECOND])[case][side][0] == pytest.approx(fastest)


def test_cases_keep_the_first_files_order(report):
    assert list(report.cpp_timings([FIRST, SECOND])) == list(report.cpp_timings(FIRST)) == [
        "cfunc/ToNumeric/text", "normalize/french NFD NFKC", "segmentation/graphemes japanese/chinese (utf8proc)"]


def together(case, repetitions, family=0):
    """A case that times both sides in the same iterations: one benchmark named after
    charlore's side, each repetition giving every side's ns per item as a counter."""
    return [dict(run_name=f"{case}/charlore", family_index=family, run_type="iteration", **{
        f"{side}_ns": ns for side, ns in times.items()}) for times in repetitions]


TOGETHER_FIRST = dict(benchmarks=together("cfunc/IsAlpha/all", [{"charlore": 1.8, "icu": 3.6},
                                                                {"charlore": 1.9, "icu": 3.4}]))
TOGETHER_SECOND = dict(benchmarks=together("cfunc/IsAlpha/all", [{"charlore": 1.7, "icu": 3.9}], family=5) + [
    dict(run_name="cfunc/IsCased/all/charlore", family_index=6, run_type="iteration", error_occurred=True)])
# Each side of a normalize case says whether its result was ICU's.
NORMALIZE_TOGETHER = dict(benchmarks=[dict(b, charlore_same_as_icu=1.0, utf8proc_same_as_icu=0.0) for b in together(
    "normalize/french NFC", [{"charlore": 0.5, "icu": 1.0, "utf8proc": 4.0}])])


@pytest.mark.parametrize("case, side, fastest", [
    ("cfunc/IsAlpha/all", "charlore", 1.7),  # the second process's
    ("cfunc/IsAlpha/all", "icu", 3.4),       # the first one's second repetition
    ("cfunc/IsCased/all", "charlore", None),
])
def test_sides_timed_together(report, case, side, fastest):
    timings = report.cpp_timings([TOGETHER_FIRST, TOGETHER_SECOND])
    assert timings[case][side][0] == pytest.approx(fastest)
    assert "icu" not in timings["cfunc/IsCased/all"]


def test_sides_timed_together_make_one_row(report):
    row, = report.cpp_rows([TOGETHER_FIRST], [])
    assert (row["section"], row["case"]) == ("C++ cfunc", "IsAlpha/all")
    assert row["ratio"] == pytest.approx(1.8 / 3.4)


def test_each_side_timed_together_keeps_its_agreement(report):
    row, = report.cpp_rows([NORMALIZE_TOGETHER], [])
    assert row["same_result"] is True
    assert [(p["name"], p["same_result"]) for p in row["peers"]] == [("utf8proc", False)]
