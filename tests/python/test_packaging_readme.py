"""The Python examples of README.md give the results that it shows."""
import doctest
import pathlib

README = pathlib.Path(__file__).resolve().parents[2] / "README.md"


def test_readme_examples():
    failures, tried = doctest.testfile(str(README), module_relative=False, report=True,
                                       optionflags=doctest.ELLIPSIS)
    assert tried >= 25 and failures == 0
