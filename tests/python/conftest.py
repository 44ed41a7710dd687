import pytest

import charlore


def pytest_configure(config):
    config.addinivalue_line(
        "markers",
        "installed: needs the installed package (the command, the stub beside the module, "
        "builds of the package or of programs linked to it); the sanitizer and memcheck "
        "runs, which load the module from a build directory, leave these out")
    config.addinivalue_line(
        "markers",
        "whole_process: measures the whole process (allocated blocks, traced memory, "
        "processor time), so any other thread of it counts too: scripts/test-pythons runs "
        "these apart from its pytest-xdist workers, whose message threads allocate while "
        "a test runs")


@pytest.fixture(params=["module", "ucd_3_2_0"])
def database(request):
    """Either database object: the module (current) or ucd_3_2_0."""
    return charlore if request.param == "module" else charlore.ucd_3_2_0
