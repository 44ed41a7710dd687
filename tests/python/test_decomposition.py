"""The decomposition query on the module and on ucd_3_2_0."""
import charlore
import pytest

from normalization_data import L_BASE, S_BASE, S_COUNT, T_BASE, T_COUNT, V_BASE, V_COUNT, assigned_in_320
from ucd_data import unicode_data


def expected_text(cp, old=False):
    """The query's text computed from UnicodeData.txt and the syllable arithmetic."""
    if old and cp not in assigned_in_320() and cp in unicode_data():
        return ""
    if S_BASE <= cp < S_BASE + S_COUNT:
        s = cp - S_BASE
        parts = [L_BASE + s // (V_COUNT * T_COUNT), V_BASE + s % (V_COUNT * T_COUNT) // T_COUNT]
        if s % T_COUNT:
            parts.append(T_BASE + s % T_COUNT)
        return " ".join(f"{p:04X}" for p in parts)
    fields = unicode_data().get(cp)
    if fields is None or not fields[5]:
        return ""
    items = fields[5].split()
    tag = [items.pop(0)] if items[0].startswith("<") else []
    return " ".join(tag + [f"{int(item, 16):04X}" for item in items])


CASES = [
    # (character, module's text, ucd_3_2_0's text)
    ("A", "", ""),
    ("\u00c0", "0041 0300", "0041 0300"),
    ("\u00a0", "<noBreak> 0020", "<noBreak> 0020"),
    ("\ufb01", "<compat> 0066 0069", "<compat> 0066 0069"),
    ("\u2460", "<circle> 0031", "<circle> 0031"),
    ("\u1e9b", "017F 0307", "017F 0307"),  # one level deep, not expanded
    ("\u2126", "03A9", "03A9"),
    ("\ufdfa", "<isolated> 0635 0644 0649 0020 0627 0644 0644 0647 0020 0639 0644 064A 0647 0020 0648 0633 "
               "0644 0645", None),
    ("\U0001d15e", "1D157 1D165", "1D157 1D165"),  # five digits, no further padding
    ("\uac00", "1100 1161", "1100 1161"),
    ("\uac01", "1100 1161 11A8", "1100 1161 11A8"),
    ("\ud7a3", "1112 1175 11C2", "1112 1175 11C2"),
    # Added after Unicode 3.2.0: no decomposition on the 3.2.0 object.
    ("\u03f9", "<compat> 03A3", ""),
    ("\u1b06", "1B05 1B35", ""),
    # The 3.2.0 object reports the current mapping although normalization replaces it.
    ("\U0002f868", "36FC", "36FC"),
    ("\U0010ffff", "", ""),
    ("\ud800", "", ""),
]


@pytest.mark.parametrize("ch, module_text, old_text", CASES)
def test_reference_cases(ch, module_text, old_text):
    assert charlore.decomposition(ch) == module_text
    if old_text is not None:
        assert charlore.ucd_3_2_0.decomposition(ch) == old_text


def test_every_code_point_of_the_module():
    wrong = [f"U+{cp:04X}" for cp in range(0x110000) if charlore.decomposition(chr(cp)) != expected_text(cp)]
    assert wrong == []


def test_every_code_point_of_ucd_3_2_0():
    query = charlore.ucd_3_2_0.decomposition
    wrong = [f"U+{cp:04X}" for cp in range(0x110000) if query(chr(cp)) != expected_text(cp, old=True)]
    assert wrong == []


def test_the_method_called_through_the_type_is_the_same_query():
    assert charlore.UCD.decomposition(charlore.ucd_3_2_0, "\u03f9") == ""


def test_result_is_an_exact_str():
    assert type(charlore.decomposition("\u00c0")) is str
    assert type(charlore.decomposition("A")) is str


@pytest.mark.parametrize("argument", ["", "ab", b"a", 65, None])
def test_argument_must_be_one_character(database, argument):
    with pytest.raises(TypeError):
        database.decomposition(argument)
