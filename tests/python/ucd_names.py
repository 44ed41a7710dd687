"""Character names as the test suite derives them itself from the UCD files: explicit
names, Hangul syllable names from Jamo.txt, ideograph names from UnicodeData.txt's
First/Last ranges, name aliases and named sequences.
"""
import functools

import ucd_data

# Prefix of the derived names of each kind of UnicodeData.txt range, by the start of the
# range's name.
RANGE_PREFIXES = {
    "CJK Ideograph": "CJK UNIFIED IDEOGRAPH-",
    "Tangut Ideograph": "TANGUT IDEOGRAPH-",
    "Jurchen Character": "JURCHEN CHARACTER-",
    "Seal Character": "SMALL SEAL CHARACTER-",
}
HANGUL_PREFIX = "HANGUL SYLLABLE "
DERIVED_PREFIXES = (HANGUL_PREFIX, *RANGE_PREFIXES.values())


@functools.lru_cache(maxsize=None)
def jamo_short_names():
    """(leading, vowel, trailing) lists of Jamo.txt short names; trailing[0] is '' (none)."""
    short = {int(fields[0], 16): fields[1] for fields in ucd_data.data_lines(ucd_data.CURRENT / "Jamo.txt")}
    leading = [short[cp] for cp in range(0x1100, 0x1113)]
    vowel = [short[cp] for cp in range(0x1161, 0x1176)]
    trailing = [""] + [short[cp] for cp in range(0x11A8, 0x11C3)]
    return leading, vowel, trailing


def hangul_syllable_name(cp):
    leading, vowel, trailing = jamo_short_names()
    s = cp - 0xAC00
    return HANGUL_PREFIX + leading[s // 588] + vowel[s % 588 // 28] + trailing[s % 28]


def range_prefix(range_name):
    """Prefix of the derived names in a First/Last range, or None when its members have no name."""
    label = range_name[1:].split(",")[0]
    for start, prefix in RANGE_PREFIXES.items():
        if label == start or label.startswith(start + " "):
            return prefix
    return None


@functools.lru_cache(maxsize=None)
def current_names():
    """Code point -> name in the current database, for every character that has one."""
    names = {}
    for cp, fields in ucd_data.unicode_data().items():
        name = fields[1]
        if name == "<Hangul Syllable, First>":
            names[cp] = hangul_syllable_name(cp)
        elif name.startswith("<"):
            prefix = range_prefix(name)
            if prefix is not None:
                names[cp] = f"{prefix}{cp:04X}"
        else:
            names[cp] = name
    return names


@functools.lru_cache(maxsize=None)
def v320_names():
    """Code point -> name on ucd_3_2_0: today's name of every character assigned in 3.2.0."""
    assigned = ucd_data.unicode_data(ucd_data.V320)
    return {cp: name for cp, name in current_names().items() if cp in assigned}


def names_of(database):
    return v320_names() if database.unidata_version == "3.2.0" else current_names()


@functools.lru_cache(maxsize=None)
def aliases():
    """(code point, alias, type) of every line of NameAliases.txt, in file order."""
    return [(int(cp, 16), alias, kind) for cp, alias, kind in ucd_data.data_lines(ucd_data.CURRENT / "NameAliases.txt")]


@functools.lru_cache(maxsize=None)
def named_sequences():
    """(name, string) of every named sequence, in file order."""
    return [
        (name, "".join(chr(int(cp, 16)) for cp in code_points.split()))
        for name, code_points in ucd_data.data_lines(ucd_data.CURRENT / "NamedSequences.txt")
    ]


@functools.lru_cache(maxsize=None)
def lookup_results(version):
    """Upper-case name -> the str lookup gives for it on the database of `version`."""
    if version == "3.2.0":
        # Derived names are parsed whatever the version; stored names need the character
        # to be assigned in 3.2.0, and there are no aliases or sequences.
        results = {name: chr(cp) for cp, name in v320_names().items()}
        results.update((name, chr(cp)) for cp, name in current_names().items() if name.startswith(DERIVED_PREFIXES))
        return results
    results = {name: chr(cp) for cp, name in current_names().items()}
    results.update((alias, chr(cp)) for cp, alias, _ in aliases())
    results.update(named_sequences())
    return results
