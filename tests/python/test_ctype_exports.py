"""The dynamic symbols of the built module and the public header that declares them."""
import ctypes
import pathlib
import re
import shutil
import subprocess

import pytest

import charlore

HEADER = pathlib.Path(__file__).resolve().parents[2] / "include" / "charlore.h"

CHARACTER_TYPE_FUNCTIONS = {
    "_PyCharlore_IsAlpha", "_PyCharlore_IsDecimalDigit", "_PyCharlore_IsDigit", "_PyCharlore_IsNumeric",
    "_PyCharlore_IsPrintable", "_PyCharlore_IsLowercase", "_PyCharlore_IsUppercase", "_PyCharlore_IsTitlecase",
    "_PyCharlore_IsCased", "_PyCharlore_IsCaseIgnorable", "_PyCharlore_IsXidStart", "_PyCharlore_IsXidContinue",
    "_PyCharlore_IsWhitespace", "_PyCharlore_IsLinebreak", "_PyCharlore_ToDecimalDigit", "_PyCharlore_ToDigit",
    "_PyCharlore_ToNumeric", "_PyCharlore_ToUppercase", "_PyCharlore_ToLowercase", "_PyCharlore_ToTitlecase",
    "_PyCharlore_ToLowerFull", "_PyCharlore_ToTitleFull", "_PyCharlore_ToUpperFull", "_PyCharlore_ToFoldedFull",
}


@pytest.mark.skipif(shutil.which("nm") is None, reason="needs nm")
def test_exactly_the_25_functions_are_exported():
    listing = subprocess.run(["nm", "-D", "--defined-only", charlore.__file__], check=True, capture_output=True,
                             text=True).stdout
    symbols = {}
    for line in listing.splitlines():
        *_address, kind, name = line.split()
        symbols[name] = kind
    assert set(symbols) == CHARACTER_TYPE_FUNCTIONS | {"PyInit_charlore"}
    assert set(symbols.values()) == {"T"}  # all of them functions in the text section


def test_header_declares_the_24_functions_each_with_a_contract():
    text = HEADER.read_text()
    lines = text.splitlines()
    declared = {}
    for number, line in enumerate(lines):
        match = re.match(r"CHARLORE_API \w+ (_PyCharlore_\w+)\((.*)\);$", line)
        if match:
            declared[match[1]] = match[2]
            assert lines[number - 1].startswith("/*") and lines[number - 1].endswith("*/"), match[1]
    assert set(declared) == CHARACTER_TYPE_FUNCTIONS
    for name, parameters in declared.items():
        expected = "Py_UCS4 ch, Py_UCS4 *out" if name.endswith("Full") else "Py_UCS4 ch"
        assert parameters == expected, name
    assert re.search(r"^#define FULL_MAPPING_MAX 3$", text, re.M)
    assert 'extern "C" {' in text


@pytest.fixture(scope="module")
def library():
    return ctypes.CDLL(charlore.__file__)


def test_installed_module_answers_through_its_exports(library):
    full = library._PyCharlore_ToUpperFull
    full.argtypes = [ctypes.c_uint32, ctypes.POINTER(ctypes.c_uint32)]
    out = (ctypes.c_uint32 * 3)(0xDEADBEEF, 0xDEADBEEF, 0xDEADBEEF)
    assert full(0xDF, out) == 2
    assert list(out) == [0x53, 0x53, 0xDEADBEEF]
    numeric = library._PyCharlore_ToNumeric
    numeric.argtypes = [ctypes.c_uint32]
    numeric.restype = ctypes.c_double
    assert numeric(0x5146) == 1e12
    assert numeric(0xFFFFFFFF) == -1.0
    assert library._PyCharlore_ToDigit(0x00B2) == 2
    assert library._PyCharlore_IsWhitespace(0x3000) == 1
