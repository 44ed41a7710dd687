"""Results of the numeric, decomposition, name and normalization queries have the types
that the stub charlore.pyi promises, with and without a default."""
import pytest

import test_stubs as stubs

CALLS = [
    ("decimal", ("7",)), ("decimal", ("a", None)), ("decimal", ("7", None)),
    ("digit", ("\u00b2",)), ("digit", ("a", "none")),
    ("numeric", ("\u00bd",)), ("numeric", ("a", -1)), ("numeric", ("7", -1)),
    ("decomposition", ("\u00c0",)),
    ("name", ("A",)), ("name", ("\u0000", None)), ("name", ("A", None)),
    ("lookup", ("SPACE",)), ("lookup", (b"SPACE",)),
    ("normalize", ("NFKD", "\ufb01")),
]


@pytest.mark.parametrize("query, arguments", CALLS)
def test_results_have_the_stub_types(database, query, arguments):
    assert stubs.result_matches(query, arguments, database)
