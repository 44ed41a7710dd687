"""Numeric, decimal and digit values as the suite reads them from the UCD files.

Builds on ucd_data; never consults the module under test.
"""
import fractions
import functools

import ucd_data


def number(text):
    """'n' or 'n/d' (n possibly negative) as the float nearest to its value."""
    return float(fractions.Fraction(text))


@functools.lru_cache(maxsize=None)
def unihan_numeric():
    """Code point -> the first value of its Unihan numeric field, UCD 18.0.0."""
    values = {}
    for fields in ucd_data.data_lines(ucd_data.CURRENT / "Unihan_NumericValues.txt", "\t"):
        code_point, _field, value = fields
        cp = int(code_point.removeprefix("U+"), 16)
        assert cp not in values, f"{code_point} has two Unihan numeric values"
        values[cp] = number(value.split()[0])
    return values


@functools.lru_cache(maxsize=None)
def values(directory=ucd_data.CURRENT):
    """Three dicts, code point -> decimal (int), digit (int), numeric (float), holding only
    the code points that have the value. For UCD 18.0.0 the numeric values include those
    the Unihan database gives ideographs without a UnicodeData.txt value."""
    decimal, digit, numeric = {}, {}, {}
    for cp, fields in ucd_data.unicode_data(directory).items():
        if fields[6]:
            decimal[cp] = int(fields[6])
        if fields[7]:
            digit[cp] = int(fields[7])
        if fields[8]:
            numeric[cp] = number(fields[8])
    if directory == ucd_data.CURRENT:
        for cp, value in unihan_numeric().items():
            numeric.setdefault(cp, value)
    return decimal, digit, numeric
