// Search by words of names: every character, alias and named sequence whose name holds
// each word of the query as a whole word (words are split at spaces only), ASCII letter
// case ignored. Stored names are compared by word code, derived names by their parts.
#define PY_SSIZE_T_CLEAN
#include <Python.h>

#include <algorithm>
#include <bitset>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "names.h"
#include "names_data.h"

namespace charlore {

namespace {

// A name is shorter than NAME_LIMIT, so it has at most NAME_LIMIT / 2 words: a query of
// more distinct words matches nothing.
constexpr size_t MAX_QUERY_WORDS = NAME_LIMIT / 2;
using WordSet = std::bitset<MAX_QUERY_WORDS>;

// Per word code: the query word it equals (index + 1, or 0 for none), and whether it ends
// its name.
constexpr uint16_t QUERY_WORD_MASK = 0xFF;
constexpr uint16_t ENDS_NAME = 0x8000;

constexpr uint32_t HANGUL_FIRST = 0xAC00, HANGUL_LAST = 0xD7A3;
constexpr uint32_t CODE_POINT_LIMIT = 0x110000;

struct Interval {
    uint32_t first, last;  // inclusive
};

// The distinct words of the query in upper case. Sets `impossible` when no name can hold
// them all (a word outside ASCII, or more words than a name has); raises ValueError when
// there is no word at all.
bool query_words(PyObject *text, std::vector<std::string> &words, bool &impossible) {
    PyObject *parts = PyUnicode_Split(text, nullptr, -1);
    if (parts == nullptr) return false;
    const Py_ssize_t count = PyList_GET_SIZE(parts);
    if (count == 0) {
        Py_DECREF(parts);
        PyErr_SetString(PyExc_ValueError, "no words to search for");
        return false;
    }
    impossible = false;
    for (Py_ssize_t i = 0; i < count && !impossible; ++i) {
        PyObject *part = PyList_GET_ITEM(parts, i);
        if (!PyUnicode_IS_ASCII(part) || PyUnicode_GET_LENGTH(part) >= static_cast<Py_ssize_t>(NAME_LIMIT)) {
            impossible = true;
            break;
        }
        std::string word(reinterpret_cast<const char *>(PyUnicode_1BYTE_DATA(part)),
                         static_cast<size_t>(PyUnicode_GET_LENGTH(part)));
        for (char &c : word)
            if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if (std::find(words.begin(), words.end(), word) == words.end()) words.push_back(std::move(word));
        impossible = words.size() > MAX_QUERY_WORDS;
    }
    Py_DECREF(parts);
    return true;
}

// The word text of a code, and whether the word ends its name.
std::string word_of_code(const StoredNameTables &tables, uint32_t code, bool &ends_name) {
    const uint8_t *text = tables.word_text + tables.word_offsets[code];
    std::string word;
    for (; (*text & 0x80) == 0; ++text) word.push_back(static_cast<char>(*text));
    ends_name = *text == 0x80;
    if (!ends_name) word.push_back(static_cast<char>(*text & 0x7F));
    return word;
}

// Per word code: which query word it is and whether it ends a name.
std::vector<uint16_t> word_code_marks(const std::vector<std::string> &words) {
    const NameTables &t = name_tables;
    std::vector<uint16_t> marks(t.word_count, 0);
    for (uint32_t code = 1; code < t.word_count; ++code) {
        bool ends_name;
        std::string word = word_of_code(t.stored, code, ends_name);
        auto found = std::find(words.begin(), words.end(), word);
        uint16_t mark = ends_name ? ENDS_NAME : 0;
        if (found != words.end()) mark |= static_cast<uint16_t>(found - words.begin() + 1);
        marks[code] = mark;
    }
    return marks;
}

// Whether the stored name at `offset` holds all `word_count` query words.
bool stored_name_matches(const std::vector<uint16_t> &marks, uint32_t offset, size_t word_count) {
    const StoredNameTables &tables = name_tables.stored;
    WordSet found;
    size_t matched = 0;
    for (;;) {
        unsigned code = tables.phrase_bytes[offset++];
        if (code >= tables.short_word_code_limit)
            code = (code - tables.short_word_code_limit) * 256 + tables.phrase_bytes[offset++];
        const uint16_t mark = marks[code];
        const unsigned word = mark & QUERY_WORD_MASK;
        if (word != 0 && !found[word - 1]) {
            found.set(word - 1);
            if (++matched == word_count) return true;
        }
        if (mark & ENDS_NAME) return false;
    }
}

// Every code point with a stored name that matches, in ascending order.
std::vector<uint32_t> matching_stored_names(const std::vector<uint16_t> &marks, size_t word_count) {
    const NameTables &t = name_tables;
    constexpr uint32_t BLOCK = 1u << NAME_PHRASE_SHIFT;
    std::vector<uint32_t> found;
    long empty_block = -1;  // a stage-2 block known to hold no name
    for (uint32_t block = 0; block < CODE_POINT_LIMIT / BLOCK; ++block) {
        const uint32_t index = t.phrase_stage1[block];
        if (static_cast<long>(index) == empty_block) continue;
        const uint32_t *offsets = t.phrase_stage2 + (index << NAME_PHRASE_SHIFT);
        bool any = false;
        for (uint32_t i = 0; i < BLOCK; ++i) {
            if (offsets[i] == 0) continue;
            any = true;
            if (stored_name_matches(marks, offsets[i], word_count)) found.push_back(block * BLOCK + i);
        }
        if (!any) empty_block = static_cast<long>(index);
    }
    return found;
}

// The code points of the derived-name ranges whose names hold every query word. A derived
// name is its prefix's words and one last word (the Hangul syllable's jamo, or the
// prefix's last part followed by the code point in hexadecimal).
std::vector<Interval> matching_derived_names(const std::vector<std::string> &words) {
    const NameTables &t = name_tables;
    std::vector<Interval> found;
    for (size_t r = 0; r < t.range_count; ++r) {
        const AlgorithmicNameRange &range = t.ranges[r];
        std::string prefix = algorithmic_name_prefixes[range.prefix_kind];
        const size_t last_space = prefix.rfind(' ');
        const std::string last_part = prefix.substr(last_space + 1);
        std::vector<std::string> prefix_words;
        for (size_t start = 0, space; start <= last_space; start = space + 1) {
            space = prefix.find(' ', start);
            prefix_words.push_back(prefix.substr(start, space - start));
        }
        const std::string *last_word = nullptr;  // the one query word not in the prefix
        size_t outside = 0;
        for (const std::string &word : words) {
            if (std::find(prefix_words.begin(), prefix_words.end(), word) != prefix_words.end()) continue;
            last_word = &word;
            ++outside;
        }
        if (outside == 0) {
            found.push_back({range.first, range.last});
        } else if (outside == 1 && range.first == HANGUL_FIRST && range.last == HANGUL_LAST) {
            char name[NAME_LIMIT + 1];
            for (uint32_t cp = HANGUL_FIRST; cp <= HANGUL_LAST; ++cp) {
                hangul_syllable_name(cp, name);
                if (*last_word == name + last_space + 1) {
                    found.push_back({cp, cp});
                    break;
                }
            }
        } else if (outside == 1 && last_word->starts_with(last_part)) {
            const uint32_t cp = parse_code_point(last_word->data() + last_part.size(), last_word->size() - last_part.size());
            if (cp >= range.first && cp <= range.last) found.push_back({cp, cp});
        }
    }
    return found;
}

// Whether cp is among the characters found by name.
bool among(uint32_t cp, const std::vector<uint32_t> &stored, const std::vector<Interval> &derived) {
    if (std::binary_search(stored.begin(), stored.end(), cp)) return true;
    return std::any_of(derived.begin(), derived.end(), [cp](const Interval &i) { return cp >= i.first && cp <= i.last; });
}

bool sequence_before(const NamedSequence *a, const NamedSequence *b) {
    return std::lexicographical_compare(a->code_points, a->code_points + a->length, b->code_points,
                                        b->code_points + b->length);
}

// Appends the character cp to the list at `position`; false with an exception set on failure.
bool set_character(PyObject *list, Py_ssize_t &position, uint32_t cp) {
    PyObject *item = PyUnicode_FromOrdinal(static_cast<int>(cp));
    if (item == nullptr) return false;
    PyList_SET_ITEM(list, position++, item);
    return true;
}

// The answer: characters found by name in code point order (stored and derived names
// merged), then the characters found only by an alias in code point order, then the
// named sequences in code point order.
PyObject *result_list(const std::vector<uint32_t> &stored, const std::vector<Interval> &derived,
                      const std::vector<uint32_t> &by_alias, const std::vector<const NamedSequence *> &sequences) {
    size_t total = stored.size() + by_alias.size() + sequences.size();
    for (const Interval &i : derived) total += i.last - i.first + 1;
    PyObject *list = PyList_New(static_cast<Py_ssize_t>(total));
    if (list == nullptr) return nullptr;
    Py_ssize_t position = 0;
    size_t s = 0;
    for (const Interval &i : derived) {
        for (; s < stored.size() && stored[s] < i.first; ++s)
            if (!set_character(list, position, stored[s])) goto failed;
        for (uint32_t cp = i.first; cp <= i.last; ++cp)
            if (!set_character(list, position, cp)) goto failed;
    }
    for (; s < stored.size(); ++s)
        if (!set_character(list, position, stored[s])) goto failed;
    for (uint32_t cp : by_alias)
        if (!set_character(list, position, cp)) goto failed;
    for (const NamedSequence *sequence : sequences) {
        PyObject *item = PyUnicode_FromKindAndData(PyUnicode_2BYTE_KIND, sequence->code_points, sequence->length);
        if (item == nullptr) goto failed;
        PyList_SET_ITEM(list, position++, item);
    }
    return list;
failed:
    Py_DECREF(list);  // the items not yet set are NULL, which the list's deallocation skips
    return nullptr;
}

PyObject *search(PyObject *argument) {
    std::vector<std::string> words;
    bool impossible;
    if (!query_words(argument, words, impossible)) return nullptr;
    if (impossible) return PyList_New(0);
    const NameTables &t = name_tables;
    const std::vector<uint16_t> marks = word_code_marks(words);
    std::vector<uint32_t> named = matching_stored_names(marks, words.size());
    const std::vector<Interval> derived = matching_derived_names(words);
    // The private code points of aliases and named sequences lie above every character.
    std::vector<uint32_t> stored, by_alias;
    std::vector<const NamedSequence *> sequences;
    for (uint32_t cp : named) {
        if (cp - ALIAS_BASE < t.alias_count) {
            by_alias.push_back(t.alias_targets[cp - ALIAS_BASE]);
        } else if (cp - NAMED_SEQUENCE_BASE < t.named_sequence_count) {
            sequences.push_back(&t.named_sequences[cp - NAMED_SEQUENCE_BASE]);
        } else {
            stored.push_back(cp);
        }
    }
    std::sort(by_alias.begin(), by_alias.end());
    by_alias.erase(std::unique(by_alias.begin(), by_alias.end()), by_alias.end());
    by_alias.erase(std::remove_if(by_alias.begin(), by_alias.end(),
                                  [&](uint32_t cp) { return among(cp, stored, derived); }),
                   by_alias.end());
    std::sort(sequences.begin(), sequences.end(), sequence_before);
    return result_list(stored, derived, by_alias, sequences);
}

}  // namespace

PyObject *query_search(PyObject *, PyObject *argument) {
    if (!PyUnicode_Check(argument)) {
        PyErr_Format(PyExc_TypeError, "search() argument must be str, not %.200s", Py_TYPE(argument)->tp_name);
        return nullptr;
    }
    try {
        return search(argument);
    } catch (const std::bad_alloc &) {
        return PyErr_NoMemory();
    }
}

}  // namespace charlore
