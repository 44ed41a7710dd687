"""search(words): characters, aliases and named sequences found by whole words of their
names, compared with the answer the suite computes from the UCD files itself."""
import functools

import pytest

import charlore
from ucd_names import aliases, current_names, named_sequences

ASCII_UPPER = str.maketrans("abcdefghijklmnopqrstuvwxyz", "ABCDEFGHIJKLMNOPQRSTUVWXYZ")


@functools.lru_cache(maxsize=None)
def name_words():
    """(code point, set of words) of every named character, in code point order."""
    return [(cp, frozenset(name.split(" "))) for cp, name in sorted(current_names().items())]


def expected_search(words):
    """The answer from the UCD files: characters whose name holds every word, then the
    characters found only through an alias, then the named sequences, each in code point
    order. Only ASCII letters are folded."""
    wanted = set(words.translate(ASCII_UPPER).split())
    characters = [cp for cp, held in name_words() if wanted <= held]
    found = set(characters)
    by_alias = sorted({cp for cp, alias, _ in aliases() if wanted <= set(alias.split(" "))} - found)
    sequences = sorted(text for name, text in named_sequences() if wanted <= set(name.split(" ")))
    return [chr(cp) for cp in characters] + [chr(cp) for cp in by_alias] + sequences


# words, results that must be among the answer, results that must not
CASES = [
    ("latin small letter a", ["a"], ["A", "b"]),
    ("LATIN small LeTtEr A", ["a"], ["A"]),
    ("  latin\tsmall\nletter   a ", ["a"], ["A"]),
    ("a a letter small latin", ["a"], []),                      # repeated words, any order
    ("arrow", ["\u2190", "\u21e6"], ["\u27a4"]),                # not BLACK RIGHTWARDS ARROWHEAD
    ("arrowhead", ["\u27a4"], ["\u2190"]),
    ("row", [], ["\u2190"]),                                    # nor a word's tail
    ("arrows", ["\u21c8"], ["\u2190"]),                        # UPWARDS PAIRED ARROWS
    ("selector-16", ["\ufe0f"], []),                             # hyphenated words are whole words
    ("selector", ["\u180b"], ["\ufe0f"]),
    ("hangul syllable gag", ["\uac01"], ["\uac00"]),
    ("GAG", ["\uac01"], []),
    ("hangul syllable ga", ["\uac00"], ["\uac01"]),            # a derived word's prefix
    ("hangul", ["\uac00", "\ud7a3", "\u3131"], []),
    ("cjk unified ideograph-4e00", ["\u4e00", "\U0001f229"], ["\u4e01"]),
    ("ideograph-2a700", ["\U0002a700"], []),
    ("ideograph-04e00", [], ["\u4e00"]),                         # names have no leading zero
    ("ideograph-4e0", [], ["\u4e00"]),
    ("ideograph", [], ["\u4e00"]),                              # the hyphen joins one word
    ("tangut ideograph-18d00", ["\U00018d00"], []),
    ("small seal character-3d000", ["\U0003d000"], []),
    ("jurchen", ["\U00018e00", "\U00019191"], []),
    ("null", ["\u2400", "\x00"], []),                            # NULL is an alias of U+0000
    ("byte order mark", ["\ufeff"], []),
    ("space", [" ", "\u00a0"], []),                              # SP, its alias, adds nothing
    ("keycap digit zero", ["0\ufe0f\u20e3"], ["0", "\u20e3"]),
    ("keycap", ["\u20e3", "#\ufe0f\u20e3", "9\ufe0f\u20e3"], []),
    ("no such word", [], []),
    ("latin small letter \u00e9", [], []),                       # no name holds non-ASCII
    ("latin small letter \u0131", [], []),                       # nor folds to it
    ("x" * 300, [], []),
]


@pytest.mark.parametrize("words, present, absent", CASES)
def test_search(words, present, absent):
    found = charlore.search(words)
    assert found == expected_search(words)
    assert len(set(found)) == len(found)
    assert set(present) <= set(found) and not set(absent) & set(found)


def test_empty_answer_is_an_empty_list():
    assert charlore.search("no such word") == []


def test_aliases_and_sequences_follow_the_characters():
    found = charlore.search("null")
    assert found.index("\x00") == len(found) - 1
    found = charlore.search("keycap")
    assert found.index("\u20e3") < found.index("#\ufe0f\u20e3")


def test_more_words_than_any_name_holds():
    words = " ".join(f"W{i}" for i in range(200))
    assert charlore.search(words) == []


@pytest.mark.parametrize("words", ["", " ", "\t\n", "\u3000\u2029"])
def test_blank_words_are_refused(words):
    with pytest.raises(ValueError, match="^no words to search for$"):
        charlore.search(words)


@pytest.mark.parametrize("argument", [b"arrow", None, 5, ["arrow"]])
def test_words_must_be_a_str(argument):
    with pytest.raises(TypeError):
        charlore.search(argument)


def test_every_kind_of_name_is_found_by_itself():
    """A sample of every stored and derived name, all aliases and all named sequences:
    each is found by its own full name."""
    names = sorted(current_names().items())
    for cp, name in names[::211] + [n for n in names if n[0] in (0xAC00, 0xD7A3, 0x3134A, 0x3FC3F)]:
        assert chr(cp) in charlore.search(name), name
    for cp, alias, _ in aliases():
        assert chr(cp) in charlore.search(alias), alias
    for name, text in named_sequences():
        assert text in charlore.search(name), name


def test_search_is_a_function_of_the_module_alone():
    assert not hasattr(charlore.ucd_3_2_0, "search")
