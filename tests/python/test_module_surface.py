"""What Python code sees of the module: attributes, the UCD type, ucd_3_2_0, the
shared method table with its docstrings and signatures."""
import inspect

import pytest

import charlore

QUERY_ORDER = ["decimal", "digit", "numeric", "category", "bidirectional", "combining",
               "mirrored", "east_asian_width", "decomposition", "name", "lookup", "normalize",
               "is_normalized"]
# Module functions of the current database alone, after the shared queries.
SEGMENTATION_ORDER = ["graphemes", "words", "sentences", "line_breaks", "width"]
PROPERTY_ORDER = ["script", "script_extensions", "block", "age", "property", "code_points"]
SEARCH_DOC = ("search($module, words, /)\n--\n\n"
              "Find characters by words of their names.\n\n"
              "Returns, as a list of strings, every character whose name holds each of the\n"
              "whitespace-separated words as a whole word (ASCII letter case ignored), in code\n"
              "point order, then the characters found by a name alias and the named sequences.\n"
              "ValueError is raised when words holds no word.")

DOCSTRINGS = {
    "decimal": "decimal($self, chr, default=<unrepresentable>, /)\n--\n\n"
               "Converts a Unicode character into its equivalent decimal value.\n\n"
               "Returns the decimal value assigned to the character chr as integer.\n"
               "If no such value is defined, default is returned, or, if not given,\n"
               "ValueError is raised.",
    "digit": "digit($self, chr, default=<unrepresentable>, /)\n--\n\n"
             "Converts a Unicode character into its equivalent digit value.\n\n"
             "Returns the digit value assigned to the character chr as integer.\n"
             "If no such value is defined, default is returned, or, if not given,\n"
             "ValueError is raised.",
    "numeric": "numeric($self, chr, default=<unrepresentable>, /)\n--\n\n"
               "Converts a Unicode character into its equivalent numeric value.\n\n"
               "Returns the numeric value assigned to the character chr as float.\n"
               "If no such value is defined, default is returned, or, if not given,\n"
               "ValueError is raised.",
    "category": "category($self, chr, /)\n--\n\n"
                "Returns the general category assigned to the character chr as string.",
    "bidirectional": "bidirectional($self, chr, /)\n--\n\n"
                     "Returns the bidirectional class assigned to the character chr as string.\n\n"
                     "If no such value is defined, an empty string is returned.",
    "combining": "combining($self, chr, /)\n--\n\n"
                 "Returns the canonical combining class assigned to the character chr as integer.\n\n"
                 "Returns 0 if no combining class is defined.",
    "mirrored": "mirrored($self, chr, /)\n--\n\n"
                "Returns the mirrored property assigned to the character chr as integer.\n\n"
                "Returns 1 if the character has been identified as a \"mirrored\"\n"
                "character in bidirectional text, 0 otherwise.",
    "east_asian_width": "east_asian_width($self, chr, /)\n--\n\n"
                        "Returns the east asian width assigned to the character chr as string.",
    "decomposition": "decomposition($self, chr, /)\n--\n\n"
                     "Returns the character decomposition mapping assigned to the character chr as string.\n\n"
                     "An empty string is returned in case no such mapping is defined.",
    "name": "name($self, chr, default=<unrepresentable>, /)\n--\n\n"
            "Returns the name assigned to the character chr as a string.\n\n"
            "If no name is defined, default is returned, or, if not given,\n"
            "ValueError is raised.",
    "lookup": "lookup($self, name, /)\n--\n\n"
              "Look up character by name.\n\n"
              "If a character with the given name is found, return the\n"
              "corresponding character.  If not found, KeyError is raised.",
    "normalize": "normalize($self, form, unistr, /)\n--\n\n"
                 "Return the normal form 'form' for the Unicode string unistr.\n\n"
                 "Valid values for form are 'NFC', 'NFKC', 'NFD', and 'NFKD'.",
    "is_normalized": "is_normalized($self, form, unistr, /)\n--\n\n"
                     "Return whether the Unicode string unistr is in the normal form 'form'.\n\n"
                     "Valid values for form are 'NFC', 'NFKC', 'NFD', and 'NFKD'.",
}


def test_versions():
    assert charlore.unidata_version == "18.0.0"
    assert charlore.ucd_3_2_0.unidata_version == "3.2.0"
    assert type(charlore.ucd_3_2_0) is charlore.UCD
    assert charlore.UCD.__name__ == "UCD" and charlore.UCD.__module__ == "charlore"


def test_module_docstring():
    lines = charlore.__doc__.split("\n")
    assert len(lines) == 7 and lines[4] == ""
    assert lines[:3] == ["This module provides access to the Unicode Character Database which",
                         "defines character properties for all Unicode characters. The data in",
                         "this database is based on the UnicodeData.txt file version"]
    assert lines[3].startswith("18.0.0 which is publicly available from ") and lines[3].endswith(".")
    assert lines[5:] == ["The module uses the same names and symbols as defined by the",
                         "UnicodeData File Format 18.0.0."]


def test_module_attribute_order():
    names = [n for n in vars(charlore) if not n.startswith("__")]
    assert names == (QUERY_ORDER + SEGMENTATION_ORDER + PROPERTY_ORDER
                     + ["search", "unidata_version", "UCD", "ucd_3_2_0", "_property_names"])


def test_search_docstring_and_signature():
    signature, doc = SEARCH_DOC.split("\n--\n\n", 1)
    assert charlore.search.__doc__ == doc
    assert charlore.search.__text_signature__ == signature[len("search"):]
    assert [p.name for p in inspect.signature(charlore.search).parameters.values()] == ["words"]
    assert not hasattr(charlore.UCD, "search")


def test_ucd_type_cannot_be_instantiated_or_subclassed():
    with pytest.raises(TypeError):
        charlore.UCD()
    with pytest.raises(TypeError):
        type("Sub", (charlore.UCD,), {})
    with pytest.raises(TypeError):
        class Sub(charlore.UCD):
            pass


def test_version_is_read_only():
    for value in ("18.0.0", None):
        with pytest.raises(AttributeError):
            charlore.ucd_3_2_0.unidata_version = value
    with pytest.raises(AttributeError):
        del charlore.ucd_3_2_0.unidata_version
    with pytest.raises(AttributeError):
        charlore.ucd_3_2_0.other = 1   # no instance dictionary
    assert charlore.ucd_3_2_0.unidata_version == "3.2.0"


def test_ucd_type_has_no_extras():
    ucd = charlore.ucd_3_2_0
    assert charlore.UCD.__doc__ is None
    assert not hasattr(ucd, "__dict__") and charlore.UCD.__weakrefoffset__ == 0
    assert charlore.UCD.__bases__ == (object,)
    assert hash(ucd) == hash(ucd) and ucd == ucd and ucd != charlore  # object's defaults


@pytest.mark.parametrize("query", QUERY_ORDER)
def test_docstrings_and_signatures(query):
    for function in (getattr(charlore, query), getattr(charlore.UCD, query)):
        assert function.__doc__ == DOCSTRINGS[query].split("\n--\n\n", 1)[1]
        assert function.__text_signature__ == DOCSTRINGS[query].split("\n--\n\n", 1)[0][len(query):]
    signature_text = DOCSTRINGS[query].split("\n--\n\n", 1)[0]
    if "<unrepresentable>" in signature_text:
        # An optional argument without a Python default cannot be written as a signature;
        # this interpreter's inspect refuses it rather than guessing.
        return
    parameters = list(inspect.signature(getattr(charlore, query)).parameters.values())
    assert all(p.kind is p.POSITIONAL_ONLY for p in parameters)
    assert [p.name for p in parameters] == signature_text[signature_text.index("(") + 1:].replace(
        "$self, ", "").replace(", /)", "").split(", ")


def test_both_objects_share_the_method_table():
    for query in QUERY_ORDER:
        assert getattr(charlore, query).__self__ is charlore
        assert getattr(charlore.ucd_3_2_0, query).__self__ is charlore.ucd_3_2_0
    assert [m for m in QUERY_ORDER if hasattr(charlore.UCD, m)] == QUERY_ORDER


def test_module_functions_answer_from_the_current_database():
    # The 3.2.0 rules apply only to a UCD instance as self, never to the module.
    assert charlore.category("\u0221") == "Ll"
    assert charlore.ucd_3_2_0.category("\u0221") == "Cn"
    with pytest.raises(TypeError):
        charlore.UCD.category(charlore, "\u0221")
