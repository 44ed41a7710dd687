"""The benchmark's timing passes (bench/measure.py): each side's fastest batch over every pass,
one batch size per side for all passes, and settling passes that time again only the cases
whose fastest pass stands alone. The sides here are fakes whose batches take the seconds a
script gives them, so a slow spell of the machine can be put exactly where a case needs it."""
import importlib.util
import pathlib

import pytest

BENCH = pathlib.Path(__file__).resolve().parents[2] / "bench"


@pytest.fixture
def measure():
    spec = importlib.util.spec_from_file_location("bench_measure", BENCH / "measure.py")
    module = importlib.util.module_from_spec(spec)
    spec.loader.exec_module(module)
    return module


class FakeSide:
    """A side that takes `per_call` seconds a call, times `slowdown[pass]` in the given pass
    (a spell), and counts the batches it was asked for."""

    def __init__(self, per_call, slowdown=()):
        self.per_call = per_call
        self.slowdown = list(slowdown)
        self.current = 0
        self.batches = []

    def __call__(self, loops):
        self.batches.append((self.current, loops))
        factor = self.slowdown[self.current] if self.current < len(self.slowdown) else 1.0
        return self.per_call * loops * factor


def run(measure, sides, passes, settling, rounds=2):
    """The results of each pass of one case timed by compare_sides, as ns per item of 1000 items."""
    results = []
    for number in range(passes + settling):
        measure.start_pass(settling=number >= passes)
        for side in sides:
            if side:
                side.current = number
        results.append(measure.compare_sides(sides, 1000, rounds))
    return results


# (per-pass slowdowns of the first side, passes, settling passes, first side's final ns per item,
#  whether the case is settled at the end, passes in which the first side was timed)
SPELLS = [
    # Every pass alike: settled after the passes, the settling pass times nothing.
    ((1.0, 1.0, 1.0), 3, 1, 2.0, True, {0, 1, 2}),
    # A spell over two of three passes: the one fast pass stands alone, so the settling pass
    # times the case again and its fast batch settles it.
    ((1.5, 1.0, 1.4, 1.0), 3, 1, 2.0, True, {0, 1, 2, 3}),
    # A spell over every pass but none alike: still unsettled after the settling passes, and
    # the fastest batch of all of them is the result.
    ((1.5, 1.3, 1.2, 1.1, 1.6), 3, 2, 2.2, False, {0, 1, 2, 3, 4}),
    # One pass only cannot settle a case.
    ((1.0,), 1, 0, 2.0, False, {0}),
]


@pytest.mark.parametrize("slowdown, passes, settling, expected_ns, settled, timed_in", SPELLS)
def test_spells(measure, slowdown, passes, settling, expected_ns, settled, timed_in):
    ours, theirs = FakeSide(2e-6, slowdown), FakeSide(4e-6)
    results = run(measure, [ours, theirs], passes, settling)
    assert results[-1][0] == pytest.approx(expected_ns)
    assert results[-1][1] == pytest.approx(4.0)
    assert (measure.unsettled_calls() == 0) is settled
    assert {number for number, _ in ours.batches} == timed_in


def test_settling_pass_times_only_unsettled_cases(measure):
    steady, spoilt = [FakeSide(1e-6), FakeSide(1e-6)], [FakeSide(1e-6, (1.5, 1.0, 1.5)), FakeSide(1e-6)]
    for number in range(4):
        measure.start_pass(settling=number == 3)
        for side in steady + spoilt:
            side.current = number
        measure.compare_sides(steady, 1000, 2)
        measure.compare_sides(spoilt, 1000, 2)
    assert all(number < 3 for side in steady for number, _ in side.batches)
    assert all(any(number == 3 for number, _ in side.batches) for side in spoilt)
    assert measure.unsettled_calls() == 0


def test_one_batch_size_for_every_pass(measure):
    # A spell during the first pass makes the calibration's batches look longer; the size
    # chosen then is kept, so every pass's fastest batch is of the same number of calls.
    side = FakeSide(1e-4, (3.0, 1.0, 1.0))
    run(measure, [side], 3, 0)
    timed = {loops for number, loops in side.batches[-2:]}
    first_pass = [loops for number, loops in side.batches if number == 0]
    assert timed == {first_pass[-1]}
    assert all(loops in (measure.WARM_UP_CALLS, first_pass[-1]) for number, loops in side.batches if number)


def test_missing_side_is_none_and_does_not_hold_settling(measure):
    results = run(measure, [FakeSide(1e-6), None], 2, 0)
    assert results[-1][1] is None
    assert measure.unsettled_calls() == 0


def test_pass_of_other_cases_is_refused(measure):
    measure.start_pass()
    measure.compare_sides([FakeSide(1e-6)], 1000, 1)
    measure.start_pass()
    with pytest.raises(RuntimeError):
        measure.compare_sides([FakeSide(1e-6)], 999, 1)


def test_settling_stops_at_its_deadline(measure):
    side = FakeSide(1e-6, (1.5, 1.0))
    run(measure, [side], 2, 0)
    measure.start_pass(settling=True, deadline=measure.time.monotonic() - 1)
    side.current = 2
    measure.compare_sides([side], 1000, 2)
    assert all(number < 2 for number, _ in side.batches)
    assert measure.unsettled_calls() == 1
