"""Results of the decomposition and normalization queries have the types that the stub
charlore.pyi promises."""
import pytest

import test_stubs as stubs

CALLS = [("decomposition", ("\u00c0",)), ("normalize", ("NFKD", "\ufb01"))]


@pytest.mark.parametrize("query, arguments", CALLS)
def test_results_have_the_stub_types(database, query, arguments):
    assert stubs.result_matches(query, arguments, database)
