"""normalize: the four forms on both database objects, the returned-object rules, the
Unicode 3.2.0 rules, canonical ordering of short and long runs, and long inputs."""
import random

import charlore
import pytest
from hypothesis import given, settings
from hypothesis import strategies as st

from normalization_data import (FORMS, assigned_in_320, combining_class, combining_classes, mappings,
                                reference_normalize, replacements_320)

OLD = charlore.ucd_3_2_0

CASES = [
    # (form, input, expected); the same on both database objects
    ("NFD", "\u00c0", "A\u0300"),
    ("NFD", "\ufb01", "\ufb01"),                    # a compatibility mapping only
    ("NFKD", "\ufb01", "fi"),
    ("NFD", "\u1e9b", "\u017f\u0307"),
    ("NFKD", "\u1e9b", "s\u0307"),                  # nested: U+017F has a compatibility mapping
    ("NFD", "\uac01", "\u1100\u1161\u11a8"),
    ("NFD", "\uac00", "\u1100\u1161"),
    ("NFD", "a\u0301\u0316", "a\u0316\u0301"),      # class 230 after 220
    ("NFD", "\u1f82", "\u03b1\u0313\u0300\u0345"),  # the deepest canonical expansion
    ("NFC", "A\u0300", "\u00c0"),
    ("NFC", "\u03b1\u0313\u0301\u0345", "\u1f84"),  # three absorptions in a row
    ("NFC", "e\u0302\u0323", "\u1ec7"),             # reordered, then both absorbed
    ("NFC", "a\u0301\u0301", "\u00e1\u0301"),
    ("NFC", "a\u0316\u0301", "\u00e1\u0316"),       # class 220 does not block class 230
    ("NFC", "a\u0301\u0300", "\u00e1\u0300"),
    ("NFC", "\u0b47\u0b3e", "\u0b4b"),              # a starter absorbs a starter
    ("NFC", "\u0b47\u0300\u0b3e", "\u0b47\u0300\u0b3e"),
    ("NFC", "\u1100\u1161", "\uac00"),
    ("NFC", "\u1100\u1161\u11a8", "\uac01"),
    ("NFC", "\uac00\u11a8", "\uac01"),
    ("NFC", "\u1100\u1161\u11a7", "\uac00\u11a7"),  # U+11A7 is not a trailing consonant
    ("NFC", "\u1100\u1176", "\u1100\u1176"),
    ("NFC", "\u1100\u0300\u1161", "\u1100\u0300\u1161"),
    ("NFC", "\u0958", "\u0915\u093c"),              # excluded composites stay decomposed
    ("NFC", "\u2126", "\u03a9"),
    ("NFC", "\u0344", "\u0308\u0301"),
    ("NFC", "\u1e9b\u0323", "\u1e9b\u0323"),
    ("NFKC", "\u1e9b\u0323", "\u1e69"),
    ("NFKC", "\ufb01", "fi"),
    ("NFKC", "\u00a0", " "),
    ("NFC", "\u0300", "\u0300"),
    ("NFC", "\u1b05\u1b35", "\u1b06"),             # composition data is the current one everywhere
    ("NFD", "\U0001d15e", "\U0001d157\U0001d165"),
    ("NFC", "\U0001d15e", "\U0001d157\U0001d165"),
]


@pytest.mark.parametrize("form, text, expected", CASES)
def test_reference_cases(database, form, text, expected):
    assert database.normalize(form, text) == expected


@pytest.mark.parametrize("form, text, module, old", [
    ("NFD", "\u1b06", "\u1b05\u1b35", "\u1b06"),            # added after Unicode 3.2.0: left alone
    ("NFKD", "\u03f9", "\u03a3", "\u03f9"),
    ("NFC", "\u1b06", "\u1b06", "\u1b06"),
    ("NFD", "\U0002f868", "\u36fc", "\U0002136a"),
    ("NFD", "\U0002f874", "\u5f53", "\u5f33"),
    ("NFD", "\U0002f91f", "\U000243ab", "\u43ab"),
    ("NFD", "\U0002f95f", "\u7aee", "\u7aae"),
    ("NFD", "\U0002f9bf", "\u45d7", "\u4d57"),
    ("NFKC", "\U0002f868", "\u36fc", "\U0002136a"),
    ("NFD", "x\U0002f868\u0301", "x\u36fc\u0301", "x\U0002136a\u0301"),
])
def test_unicode_3_2_0_differences(form, text, module, old):
    assert charlore.normalize(form, text) == module
    assert OLD.normalize(form, text) == old


def test_every_replacement_of_unicode_3_2_0_is_tested():
    assert sorted(replacements_320()) == [0x2F868, 0x2F874, 0x2F91F, 0x2F95F, 0x2F9BF]


def test_characters_added_after_3_2_0_are_left_alone_by_ucd_3_2_0():
    # Every character with a mapping now that was not assigned in Unicode 3.2.0.
    added = [cp for cp in mappings() if cp not in assigned_in_320()]
    assert len(added) > 100
    for form in ("NFD", "NFKD"):
        changed = [f"U+{cp:04X}" for cp in added if OLD.normalize(form, chr(cp)) != chr(cp)]
        assert changed == []


# ---- Forms and argument errors ----

def test_empty_string_is_returned_before_the_form_is_looked_at(database):
    empty = ""
    assert database.normalize("NFC", empty) is empty
    assert database.normalize("bogus", empty) == ""


@pytest.mark.parametrize("form", ["nfc", "NFC ", "NF", "NFKC\u00e9", "", "NFE"])
def test_invalid_form(database, form):
    with pytest.raises(ValueError, match="^invalid normalization form$"):
        database.normalize(form, "a")


@pytest.mark.parametrize("form, text, error", [
    (b"NFC", "a", TypeError), (None, "a", TypeError), ("NFC", b"a", TypeError), ("NFC", None, TypeError),
    ("NF\0C", "a", ValueError),
])
def test_argument_errors(database, form, text, error):
    with pytest.raises(error):
        database.normalize(form, text)


def test_argument_count():
    with pytest.raises(TypeError):
        charlore.normalize("NFC")


# ---- Returned objects ----

class Str(str):
    pass


@pytest.mark.parametrize("form, text", [
    ("NFC", "abc"), ("NFD", "a\u0316\u0301"), ("NFC", "\u00c0"), ("NFKC", "\u00e9\u4e00"),
    ("NFD", "\U0001f600"), ("NFKD", "x" * 1000),
])
def test_normalized_string_is_the_argument_itself_from_the_module(form, text):
    assert charlore.normalize(form, text) is text


@pytest.mark.parametrize("form, text", [("NFC", "abc"), ("NFD", "A\u0300"), ("NFKC", "x" * 1000)])
def test_ucd_3_2_0_returns_a_new_object_even_when_nothing_changes(form, text):
    result = OLD.normalize(form, text)
    assert result == text and result is not text and type(result) is str


@pytest.mark.parametrize("form, text", [("NFC", "\u0300"), ("NFC", "\u0301\u0300"), ("NFC", "x\u0316\u0301")])
def test_composition_that_changes_nothing_gives_a_new_equal_object(form, text):
    result = charlore.normalize(form, text)
    assert result == text and result is not text


@pytest.mark.parametrize("form, text, expected", [
    ("NFC", "abc", "abc"), ("NFD", "\u00c0", "A\u0300"), ("NFC", "A\u0300", "\u00c0"), ("NFKD", "\ufb01", "fi"),
])
def test_str_subclass_comes_back_as_exact_str(database, form, text, expected):
    result = database.normalize(form, Str(text))
    assert type(result) is str and result == expected


def test_empty_str_subclass_comes_back_as_exact_str(database):
    result = database.normalize("NFC", Str(""))
    assert type(result) is str and result == ""


# ---- The quick check against the full algorithm ----

def same_in_320(cp):
    return cp in assigned_in_320() and cp not in replacements_320()


def test_quick_check_agrees_with_the_full_algorithm_for_every_character():
    # ucd_3_2_0 never takes the quick check, so for characters whose data is the same in
    # both versions it gives the full algorithm's answer to compare with.
    differ = []
    for cp in range(0x110000):
        if not same_in_320(cp):
            continue
        s = chr(cp)
        for form in FORMS:
            if charlore.normalize(form, s) != OLD.normalize(form, s):
                differ.append((f"U+{cp:04X}", form))
    assert differ == []


@settings(max_examples=300, deadline=None, database=None)
@given(st.lists(st.sampled_from(sorted(cp for cp in combining_classes() if same_in_320(cp))
                                + [0x41, 0x61, 0x3B1, 0x1100, 0x1161, 0x11A8, 0xAC00, 0x0B47, 0x0B3E]),
                max_size=30), st.sampled_from(FORMS))
def test_quick_check_agrees_with_the_full_algorithm_for_mark_sequences(cps, form):
    s = "".join(map(chr, cps))
    assert charlore.normalize(form, s) == OLD.normalize(form, s)


# ---- Against the suite's own reference normalizer ----

MIXED = ([0x41, 0x61, 0x65, 0x3B1, 0x3C9, 0x1100, 0x1161, 0x11A8, 0x11A7, 0xAC00, 0xAC01, 0xC0, 0x1E9B, 0xFB01,
          0xFDFA, 0x2F868, 0x1B05, 0x1B35, 0x1B06, 0x0B47, 0x0B3E, 0x09C7, 0x09BE, 0x0344, 0x0958, 0x1F82, 0x3F9]
         + sorted(combining_classes())[::7])


@settings(max_examples=400, deadline=None, database=None)
@given(st.lists(st.sampled_from(MIXED), max_size=40), st.sampled_from(FORMS), st.booleans())
def test_random_strings_match_the_reference(cps, form, old):
    s = "".join(map(chr, cps))
    database = OLD if old else charlore
    assert database.normalize(form, s) == reference_normalize(form, s, old)


# ---- Canonical ordering: insertion sort below 20 marks, counting sort from 20 ----

def marks_of_mixed_classes(count, seed):
    """count combining marks, several of each of a few classes, shuffled."""
    rng = random.Random(seed)
    by_class = {}
    for cp, cls in sorted(combining_classes().items()):
        if same_in_320(cp) and cp not in (0x0344, 0x0F73, 0x0F75, 0x0F81) and not 0x1D15E <= cp <= 0x1D1C0:
            by_class.setdefault(cls, []).append(cp)
    classes = [cls for cls in sorted(by_class) if len(by_class[cls]) >= 3][:8]
    pool = [cp for cls in classes for cp in by_class[cls][:6]]
    return [rng.choice(pool) for _ in range(count)]


@pytest.mark.parametrize("count", [2, 3, 18, 19, 20, 21, 25, 64, 1000])
@pytest.mark.parametrize("form", FORMS)
def test_runs_are_ordered_stably_by_class(database, form, count):
    marks = marks_of_mixed_classes(count, seed=count)
    s = "a" + "".join(map(chr, marks)) + "b" + "".join(map(chr, reversed(marks)))
    result = database.normalize(form, s)
    assert result == reference_normalize(form, s, database is OLD)
    if form in ("NFD", "NFKD"):
        run = [ord(ch) for ch in result[1:1 + count]]
        assert run == sorted(marks, key=combining_class)  # equal classes keep their order


def test_runs_on_both_sides_of_the_sort_threshold_agree():
    # The same 19 marks sorted by insertion, and by counting once one more mark of the
    # greatest class (which goes last) makes the run 20 long: they must come out alike.
    marks = marks_of_mixed_classes(19, seed=7)
    top = max(combining_classes().values())
    extra = next(cp for cp, cls in combining_classes().items() if cls == top)
    short = charlore.normalize("NFD", "a" + "".join(map(chr, marks)))
    longer = charlore.normalize("NFD", "a" + "".join(map(chr, marks + [extra])))
    assert short != "a" + "".join(map(chr, marks))  # the marks were out of order
    assert longer == short + chr(extra)


def test_several_long_runs_reuse_and_grow_the_sort_scratch(database):
    runs = [marks_of_mixed_classes(n, seed=n) for n in (30, 20, 100, 25, 400)]
    s = "".join("x" + "".join(map(chr, run)) for run in runs)
    assert database.normalize("NFD", s) == reference_normalize("NFD", s, database is OLD)


# ---- Long inputs ----

def test_ten_to_the_six_characters(database):
    unit = "a\u00c0\uac01\u0301\u0316 \U0001d15e\ufb01"
    s = unit * (10 ** 6 // len(unit))
    assert len(s) >= 999_000
    for form in FORMS:
        assert database.normalize(form, s) == reference_normalize(form, unit, database is OLD) * (
            10 ** 6 // len(unit))


def test_ten_to_the_six_ascii_characters(database):
    s = "ascii only " * 100_000
    assert database.normalize("NFC", s) == s


def test_long_run_of_combining_marks(database):
    marks = marks_of_mixed_classes(100_000, seed=1)
    s = "a" + "".join(map(chr, marks))
    expected = "a" + "".join(map(chr, sorted(marks, key=combining_class)))
    assert database.normalize("NFD", s) == expected
    assert database.normalize("NFC", s) == reference_normalize("NFC", s, database is OLD)


def test_alternating_marks_make_one_long_unsorted_run(database):
    s = "a" + "\u0301\u0316" * 500_000
    assert database.normalize("NFD", s) == "a" + "\u0316" * 500_000 + "\u0301" * 500_000
    assert database.normalize("NFC", s) == "\u00e1" + "\u0316" * 500_000 + "\u0301" * 499_999


@pytest.mark.parametrize("count", [1, 2, 3, 50, 100_000])
def test_many_fdfa_under_nfkd(database, count):
    expansion = reference_normalize("NFKD", "\ufdfa")
    assert len(expansion) == 18
    assert database.normalize("NFKD", "\ufdfa" * count) == expansion * count
    assert database.normalize("NFKC", "\ufdfa" * count) == reference_normalize("NFKC", "\ufdfa") * count


@pytest.mark.parametrize("length", range(0, 25))
def test_output_growth_around_the_initial_capacity(database, length):
    # Inputs near the 2n / n + 10 boundary whose expansion outgrows the first buffer.
    for unit in ("\uac01", "\ufdfa", "\u1f82", "a"):
        s = unit * length
        for form in FORMS:
            assert database.normalize(form, s) == reference_normalize(form, s, database is OLD)
