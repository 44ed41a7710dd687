"""The suite's own reading of the String and Miscellaneous properties from the UCD files:
what `property` gives for every code point (a str, None, or a tuple of str)."""
import functools

import ucd_data
import ucd_names
import ucd_properties
from ucd_data import CURRENT, code_point_range, data_lines
from ucd_properties import CODE_POINTS, missing_lines

# Hangul syllable arithmetic, for the algorithmic decomposition mappings.
S_BASE, L_BASE, V_BASE, T_BASE = 0xAC00, 0x1100, 0x1161, 0x11A7
V_COUNT, T_COUNT, S_COUNT = 21, 28, 11172


def chars(field):
    """A field of space-separated hexadecimal code points as the str they make."""
    return "".join(chr(int(h, 16)) for h in field.split())


def default_of(long_name, path=None, prop=None):
    """The @missing default of a property: from its own file's lines when there are any,
    else PropertyValueAliases.txt's. '<code point>' or '<none>'."""
    found = None
    if path is not None:
        for fields in missing_lines(path):
            if prop is None and len(fields) == 2:
                found = fields[1]
            elif prop is not None and len(fields) == 3 and fields[1] == prop:
                found = fields[2]
    if found is None:
        for fields in missing_lines(CURRENT / "PropertyValueAliases.txt"):
            if fields[1] == long_name:
                found = fields[2]
    assert found in ("<code point>", "<none>"), (long_name, found)
    return found


def with_default(listed, default):
    """Every code point's value: the listed one, else the default written out."""
    if default == "<none>":
        return [listed.get(cp) for cp in range(CODE_POINTS)]
    return [listed.get(cp, chr(cp)) for cp in range(CODE_POINTS)]


def one_property_file(name, long_name, field=1):
    path = CURRENT / name
    listed = {}
    for fields in data_lines(path):
        first, last = code_point_range(fields[0])
        for cp in range(first, last + 1):
            listed[cp] = chars(fields[field])
    return with_default(listed, default_of(long_name, path))


def normalization_property(short, long_name):
    path = CURRENT / "DerivedNormalizationProps.txt"
    listed = {}
    for fields in data_lines(path):
        if fields[1] == short:
            first, last = code_point_range(fields[0])
            for cp in range(first, last + 1):
                listed[cp] = chars(fields[2])
    return with_default(listed, default_of(long_name, path, short))


@functools.lru_cache(maxsize=None)
def simple_case():
    """(upper, lower, title) dicts of UnicodeData.txt's simple mappings; a missing
    titlecase mapping is the uppercase one."""
    upper, lower, title = {}, {}, {}
    for cp, fields in ucd_data.unicode_data().items():
        if fields[12]:
            upper[cp] = chr(int(fields[12], 16))
        if fields[13]:
            lower[cp] = chr(int(fields[13], 16))
        if fields[14]:
            title[cp] = chr(int(fields[14], 16))
        elif fields[12]:
            title[cp] = upper[cp]
    return upper, lower, title


@functools.lru_cache(maxsize=None)
def case_folding():
    """(simple, full) dicts of CaseFolding.txt: C and S lines, C and F lines."""
    simple, full = {}, {}
    for cp_text, status, mapping, *_ in data_lines(CURRENT / "CaseFolding.txt"):
        cp = int(cp_text, 16)
        if status in ("C", "S"):
            simple[cp] = chars(mapping)
        if status in ("C", "F"):
            full[cp] = chars(mapping)
    return simple, full


def full_case(which):
    """Full mappings: SpecialCasing.txt's lines without a condition over the simple
    mappings. `which` is 0 lower, 1 title, 2 upper (SpecialCasing.txt's field order)."""
    upper, lower, title = simple_case()
    listed = dict([lower, title, upper][which])
    for fields in data_lines(CURRENT / "SpecialCasing.txt"):
        if len(fields) > 4 and fields[4]:
            continue  # a language or context condition: not part of the default mapping
        listed[int(fields[0], 16)] = chars(fields[1 + which])
    return with_default(listed, "<code point>")


def decomposition_mappings():
    listed = {}
    for cp, fields in ucd_data.unicode_data().items():
        mapping = fields[5]
        if mapping:
            listed[cp] = chars(mapping.split(">", 1)[1] if mapping.startswith("<") else mapping)
    for cp in range(S_BASE, S_BASE + S_COUNT):
        index = cp - S_BASE
        jamo = [L_BASE + index // (V_COUNT * T_COUNT), V_BASE + index % (V_COUNT * T_COUNT) // T_COUNT]
        if index % T_COUNT:
            jamo.append(T_BASE + index % T_COUNT)
        listed[cp] = "".join(map(chr, jamo))
    return with_default(listed, default_of("Decomposition_Mapping"))


def unicode_data_text(field):
    values = [""] * CODE_POINTS
    for cp, fields in ucd_data.unicode_data().items():
        values[cp] = fields[field]
    return values


def jamo_short_names():
    values = [""] * CODE_POINTS
    for fields in data_lines(CURRENT / "Jamo.txt"):
        values[int(fields[0], 16)] = fields[1]
    return values


def names():
    found = ucd_names.current_names()
    return [found.get(cp) for cp in range(CODE_POINTS)]


def name_aliases():
    values = [()] * CODE_POINTS
    for cp, alias, _ in ucd_names.aliases():
        values[cp] = values[cp] + (alias,)
    return values


def expected_values(short, long_name):
    """What `property` gives for every code point of a String or Miscellaneous property."""
    upper, lower, title = simple_case()
    simple_fold, full_fold = case_folding()
    derived = {
        "uc": lambda: full_case(2), "lc": lambda: full_case(0), "tc": lambda: full_case(1),
        "cf": lambda: with_default(full_fold, default_of(long_name)),
        "suc": lambda: with_default(upper, default_of(long_name)),
        "slc": lambda: with_default(lower, default_of(long_name)),
        "stc": lambda: with_default(title, default_of(long_name)),
        "scf": lambda: with_default(simple_fold, default_of(long_name)),
        "dm": decomposition_mappings,
        "bmg": lambda: one_property_file("BidiMirroring.txt", long_name),
        "bpb": lambda: one_property_file("BidiBrackets.txt", long_name),
        "EqUIdeo": lambda: one_property_file("EquivalentUnifiedIdeograph.txt", long_name),
        "FC_NFKC": lambda: normalization_property(short, long_name),
        "NFKC_CF": lambda: normalization_property(short, long_name),
        "NFKC_SCF": lambda: normalization_property(short, long_name),
        "na": names,
        "na1": lambda: unicode_data_text(10),
        "isc": lambda: unicode_data_text(11),
        "JSN": jamo_short_names,
        "Name_Alias": name_aliases,
        "scx": ucd_properties.script_extensions,
    }
    return derived[short]()
