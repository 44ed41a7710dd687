"""NormalizationTest.txt: every line's invariants for the four forms, and every code point
that Part 1 does not list left unchanged by all four."""
import collections

import charlore

from normalization_data import FORMS, normalization_test_lines, part1_code_points


def invariant_failures(normalize):
    """Descriptions of every broken invariant of the file's header, over all lines."""
    failures = []
    for t in normalization_test_lines():
        c1, c2, c3, c4, c5 = t.columns
        expected = [
            ("NFC", c2, (c1, c2, c3)), ("NFC", c4, (c4, c5)),
            ("NFD", c3, (c1, c2, c3)), ("NFD", c5, (c4, c5)),
            ("NFKC", c4, t.columns), ("NFKD", c5, t.columns),
        ]
        for form, want, sources in expected:
            for column, source in enumerate(sources):
                got = normalize(form, source)
                if got != want:
                    failures.append(f"line {t.line} ({t.part}): {form} of column {column + 1} gave "
                                    f"{got!r}, expected {want!r}")
    return failures


def test_the_file_has_all_its_parts():
    counts = collections.Counter(t.part for t in normalization_test_lines())
    assert sorted(counts) == ["Part0", "Part1", "Part2", "Part3", "Part4", "Part5"]
    assert counts["Part1"] == len(part1_code_points())


def test_every_line_holds_for_all_four_forms():
    assert invariant_failures(charlore.normalize) == []


def test_code_points_outside_part1_are_left_unchanged():
    listed = part1_code_points()
    changed = []
    for cp in range(0x110000):
        if cp in listed:
            continue
        s = chr(cp)
        for form in FORMS:
            if charlore.normalize(form, s) != s:
                changed.append((f"U+{cp:04X}", form))
    assert changed == []

