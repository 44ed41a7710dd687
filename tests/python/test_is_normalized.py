"""is_normalized against the columns of NormalizationTest.txt, whose normal forms are
known for every column, and its argument handling, which is that of normalize."""
import pytest

import charlore
from normalization_data import normalization_test_lines

# The column of a line (source, NFC, NFD, NFKC, NFKD) that each form of any column gives.
FORM_COLUMNS = {"NFC": (1, 1, 1, 3, 3), "NFD": (2, 2, 2, 4, 4), "NFKC": (3,) * 5, "NFKD": (4,) * 5}


@pytest.mark.parametrize("form", sorted(FORM_COLUMNS))
def test_conformance_columns(form):
    got, expected = [], []
    for line in normalization_test_lines():
        for column, normal in zip(line.columns, FORM_COLUMNS[form]):
            got.append(charlore.is_normalized(form, column))
            expected.append(column == line.columns[normal])
    assert got == expected


# Texts whose 3.2.0 normal forms differ from today's, or that need normalizing to decide.
OLD_TEXTS = ["\U0002f868", "\u1b06", "e\u0301", "\u00e9", "\u0345\u0301", "a\u0316\u0301", "\ufb01", "\uac00"]


@pytest.mark.parametrize("form", sorted(FORM_COLUMNS))
def test_old_version_follows_its_normalize(form):
    old = charlore.ucd_3_2_0
    assert [old.is_normalized(form, t) for t in OLD_TEXTS] == [old.normalize(form, t) == t for t in OLD_TEXTS]


class Str(str):
    pass


ARGUMENT_CASES = [
    (("NFC", ""), True),
    (("bogus", ""), True),  # as normalize, which hands back the empty string without a form check
    (("NFD", Str("\u00e9")), False),
    (("NFC", Str("\u00e9")), True),
    (("nfc", "a"), (ValueError, "invalid normalization form")),
    (("NFC ", "a"), (ValueError, "invalid normalization form")),
    ((b"NFC", "a"), (TypeError, None)),
    (("NFC", b"a"), (TypeError, None)),
    (("NFC",), (TypeError, None)),
    (("NFC", "a", "b"), (TypeError, None)),
]


@pytest.mark.parametrize("database", [charlore, charlore.ucd_3_2_0], ids=["module", "3.2.0"])
@pytest.mark.parametrize("arguments, expected", ARGUMENT_CASES)
def test_arguments(database, arguments, expected):
    if isinstance(expected, bool):
        assert database.is_normalized(*arguments) is expected
        return
    error, message = expected
    with pytest.raises(error) as raised:
        database.is_normalized(*arguments)
    if message is not None:
        assert str(raised.value) == message
