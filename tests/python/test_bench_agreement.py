"""bench/agreement.py: the ratios of two results files compared row by row, and for each
one that disagrees the times of its two sides in both runs, so that the side that moved
can be told."""
import importlib.util
import json
import pathlib
import subprocess
import sys

import pytest

BENCH = pathlib.Path(__file__).resolve().parents[2] / "bench"


@pytest.fixture(scope="module")
def agreement():
    spec = importlib.util.spec_from_file_location("bench_agreement", BENCH / "agreement.py")
    module = importlib.util.module_from_spec(spec)
    spec.loader.exec_module(module)
    return module


def normalize_row(ours, icu, icu4c):
    return dict(section="normalize", case="greek NFC", charlore_ns=ours, icu_ns=icu, ratio=ours / icu,
                peers=[dict(name="ICU4C", ns=icu4c, ratio=ours / icu4c)])


FIRST = dict(rows=[normalize_row(1.0, 4.0, 2.0),
                   dict(section="search", case="names with 'LATIN'", charlore_ns=100.0, icu_ns=None, ratio=None),
                   dict(section="size", case="module file (bytes)", value=1)])


@pytest.mark.parametrize("second, expected", [
    # Only ICU4C's time moved: the ratio against it disagrees, the one against python3-icu not.
    (normalize_row(1.0, 4.0, 2.5), [("normalize", "greek NFC", "ICU4C", 0.5, 0.4, (1.0, 1.0), (2.0, 2.5))]),
    # charlore moved: both its ratios disagree, each with the same side moved.
    (normalize_row(1.2, 4.0, 2.0), [("normalize", "greek NFC", "ICU4C", 0.5, 0.6, (1.0, 1.2), (2.0, 2.0)),
                                    ("normalize", "greek NFC", "base", 0.25, 0.3, (1.0, 1.2), (4.0, 4.0))]),
    # Both sides slower alike: the ratios agree.
    (normalize_row(1.5, 6.0, 3.0), []),
])
def test_disagreeing_ratios_carry_both_sides(agreement, second, expected):
    second_run = dict(rows=[second] + FIRST["rows"][1:])
    disagreeing, alone, compared = agreement.differences(FIRST, second_run, 0.10)
    assert alone == [] and compared == 3
    found = [(s, c, name, x, y, *sides) for s, c, name, x, y, _, sides in disagreeing]
    assert found == pytest.approx(expected) if expected else found == []


def test_time_rows_and_rows_of_one_run(agreement):
    second = dict(rows=[dict(section="search", case="names with 'LATIN'", charlore_ns=120.0, icu_ns=None,
                             ratio=None)])
    disagreeing, alone, compared = agreement.differences(FIRST, second, 0.10)
    assert [(d[2], d[3], d[4]) for d in disagreeing] == [("time", 100.0, 120.0)]
    assert alone == [("normalize", "greek NFC")] and compared == 1


def test_report_names_the_side_that_moved(tmp_path):
    first, second = tmp_path / "a.json", tmp_path / "b.json"
    first.write_text(json.dumps(dict(rows=[normalize_row(1.0, 4.0, 2.0)])))
    second.write_text(json.dumps(dict(rows=[normalize_row(1.0, 4.0, 2.5)])))
    result = subprocess.run([sys.executable, str(BENCH / "agreement.py"), str(first), str(second)],
                            capture_output=True, text=True)
    assert result.returncode == 1
    assert result.stdout.splitlines() == [
        "normalize: greek NFC (against ICU4C): ratio 0.500 then 0.400, 25% apart; "
        "charlore 1 then 1 ns (0%), ICU4C 2 then 2.5 ns (25%)",
        "2 ratios compared; 1 differ by more than 10%; 0 rows in one run only",
    ]
    second.write_text(json.dumps(dict(rows=[normalize_row(1.02, 4.0, 2.0)])))
    result = subprocess.run([sys.executable, str(BENCH / "agreement.py"), str(first), str(second)],
                            capture_output=True, text=True)
    assert result.returncode == 0
