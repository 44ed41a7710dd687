"""code_points(name, value): exactly the code points with each value of every enumerated,
catalog and binary property, as the suite reads the files; value matching; the errors."""
import itertools

import pytest

import charlore
import ucd_properties

ANSWERED = ("Binary", "Enumerated", "Catalog", "Numeric")
PROPERTIES = [aliases for kind, aliases in ucd_properties.property_list() if kind in ANSWERED]
CATEGORY_GROUPS = {"C": "C", "L": "L", "M": "M", "N": "N", "P": "P", "S": "S", "Z": "Z", "LC": ("Lu", "Ll", "Lt")}


def runs_by_value(values):
    """Each value -> its merged (first, last) ranges, in order."""
    runs, cp = {}, 0
    for value, group in itertools.groupby(values):
        length = sum(1 for _ in group)
        runs.setdefault(value, []).append((cp, cp + length - 1))
        cp += length
    return runs


def in_group(group, value):
    members = CATEGORY_GROUPS[group]
    return value in members if isinstance(members, tuple) else value[0] == group and len(value) == 2


def merged(ranges):
    result = []
    for first, last in sorted(ranges):
        if result and result[-1][1] + 1 == first:
            result[-1] = (result[-1][0], last)
        else:
            result.append((first, last))
    return tuple(result)


@pytest.mark.parametrize("aliases", PROPERTIES, ids=[a[1] for a in PROPERTIES])
def test_every_value(aliases):
    short, long_name = aliases[:2]
    if short == "nv":
        values = ucd_properties.expected_values(aliases)
        runs = runs_by_value(values)
        for value, ranges in runs.items():
            asked = float("nan") if value is None else value
            assert charlore.code_points(long_name, asked) == tuple(ranges), value
        return
    runs = runs_by_value(ucd_properties.expected_values(aliases))
    if ucd_properties.property_kind(aliases) == "Binary":
        for value, spellings in ((True, (True, "Y", "yes", "T", "true")), (False, (False, "N", "No", "f", "FALSE"))):
            for spelling in spellings:
                assert charlore.code_points(short, spelling) == tuple(runs.get(value, ())), spelling
        return
    for names in ucd_properties.value_alias_lists(short):
        stored = int(names[0]) if short == "ccc" else names[0]
        if short == "gc" and names[0] in CATEGORY_GROUPS:
            expected = merged(r for v, ranges in runs.items() if in_group(names[0], v) for r in ranges)
        else:
            expected = tuple(runs.get(stored, ()))
        for spelling in names:
            assert charlore.code_points(long_name, spelling) == expected, (long_name, spelling)
        if short == "ccc":
            assert charlore.code_points(short, stored) == expected


# Loose value names, and the value forms besides names.
VALUES = [
    ("sc", "Han"), ("sc", "hani"), ("sc", "HAN"), ("Script", "is han"), ("blk", "basic latin"),
    ("blk", "Basic-Latin"), ("blk", "ascii"), ("gc", "uppercase letter"), ("gc", "UPPERCASE_LETTER"),
    ("lb", "alphabetic"), ("lb", "AL"), ("lb", "Is"), ("lb", "infix numeric"), ("age", "V1_1"), ("age", "1.1"),
    ("Alpha", "yes"), ("Alpha", True), ("ccc", 230), ("ccc", "above"), ("ccc", "230"), ("nv", 0.5), ("nv", "0.5"),
    ("nv", "01.00"), ("nv", 1), ("nv", float("nan")),
]


@pytest.mark.parametrize("name, value", VALUES)
def test_value_forms(name, value):
    assert charlore.code_points(name, value)


def test_han_ranges():
    han = charlore.code_points("Script", "Han")
    assert (0x4E00, 0x9FFF) in han or any(f <= 0x4E00 and 0x9FFF <= last for f, last in han)
    assert all(a[1] + 1 < b[0] for a, b in zip(han, han[1:]))
    assert all(charlore.script(chr(cp)) == "Hani" for f, last in han for cp in (f, last))


ERRORS = [
    (("sc", "Klingon"), ValueError, "unknown value 'Klingon' of property 'sc'"),
    (("lb", ""), ValueError, "unknown value '' of property 'lb'"),
    (("Alpha", "maybe"), ValueError, "unknown value 'maybe' of property 'Alpha'"),
    (("Alpha", 1), ValueError, "unknown value '1' of property 'Alpha'"),
    (("ccc", 2), ValueError, "unknown value '2' of property 'ccc'"),
    (("ccc", 10**30), ValueError, "of property 'ccc'"),
    (("ccc", True), ValueError, "unknown value 'True' of property 'ccc'"),
    (("nv", 0.3), ValueError, "unknown value '0.3' of property 'nv'"),
    (("nv", "half"), ValueError, "unknown value 'half' of property 'nv'"),
    (("nv", 10**400), ValueError, "of property 'nv'"),
    (("nv", True), ValueError, "unknown value 'True' of property 'nv'"),
    (("lb", None), ValueError, "unknown value 'None' of property 'lb'"),
    (("lb", "\udfff"), ValueError, "of property 'lb'"),
    (("lb", "x" * 1000), ValueError, "of property 'lb'"),
    (("sc", "Latin\x00zz"), ValueError, "unknown value 'Latin\x00zz' of property 'sc'"),
    (("sc", "Latn\x00"), ValueError, "unknown value 'Latn\x00' of property 'sc'"),
    (("sc", "Lati"), ValueError, "unknown value 'Lati' of property 'sc'"),
    (("no such", "Han"), ValueError, "unknown property 'no such'"),
    # string-valued properties: the name as given, whatever the value
    (("uc", "A"), ValueError, "property 'uc' has no enumerable values"),
    (("Uppercase Mapping", "SS"), ValueError, "property 'Uppercase Mapping' has no enumerable values"),
    (("isNFKC_CF", None), ValueError, "property 'isNFKC_CF' has no enumerable values"),
    (("dm", ""), ValueError, "property 'dm' has no enumerable values"),
    (("Name", "LATIN CAPITAL LETTER A"), ValueError, "property 'Name' has no enumerable values"),
    (("Name_Alias", ()), ValueError, "property 'Name_Alias' has no enumerable values"),
    (("scx", "Latn"), ValueError, "property 'scx' has no enumerable values"),
    (("JSN", "G"), ValueError, "property 'JSN' has no enumerable values"),
    (("isc", ""), ValueError, "property 'isc' has no enumerable values"),
    ((b"sc", "Han"), TypeError, "code_points() argument 1 must be str, not bytes"),
    (("sc",), TypeError, "code_points expected 2 arguments, got 1"),
    (("sc", "Han", "x"), TypeError, "code_points expected 2 arguments, got 3"),
]


@pytest.mark.parametrize("arguments, error, message", ERRORS)
def test_errors(arguments, error, message):
    with pytest.raises(error) as raised:
        charlore.code_points(*arguments)
    assert message in str(raised.value)


def test_current_database_only():
    assert not hasattr(charlore.ucd_3_2_0, "code_points")
