import pytest

import charlore


@pytest.fixture(params=["module", "ucd_3_2_0"])
def database(request):
    """Either database object: the module (current) or ucd_3_2_0."""
    return charlore if request.param == "module" else charlore.ucd_3_2_0
