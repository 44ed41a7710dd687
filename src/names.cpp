// Character names: the name of a code point (stored names and derived names of Hangul
// syllables and ideograph ranges), the name query, and lookup of a character, alias or
// named sequence by name. Owns the name tables; the search reads them through name_tables.
#define PY_SSIZE_T_CLEAN
#include "names.h"

#include <cstring>
#include <iterator>

#include "database.h"
#include "generated/names_tables.h"
#include "names_data.h"

namespace charlore {

namespace {

static_assert(ALIAS_COUNT <= ALIAS_CAPACITY, "the alias range must not reach the named sequences");

constexpr StoredNameTables stored_names{name_phrase_bytes, name_word_offsets, name_word_text, SHORT_WORD_CODE_LIMIT};

constexpr int HANGUL_KIND = 0;
constexpr uint32_t HANGUL_BASE = 0xAC00;
constexpr uint32_t VOWELS_PER_LEADING = 21, TRAILING_PER_VOWEL = 28;
constexpr uint32_t SYLLABLES_PER_LEADING = VOWELS_PER_LEADING * TRAILING_PER_VOWEL;

// Short names of the jamo: leading consonants (19), vowels (21), trailing consonants
// (28, the first meaning none). Absent cells are null.
struct JamoRow {
    const char *leading;
    const char *vowel;
    const char *trailing;
};
constexpr JamoRow hangul_jamo_names[28] = {
    {"G", "A", ""},       {"GG", "AE", "G"},    {"N", "YA", "GG"},    {"D", "YAE", "GS"},   {"DD", "EO", "N"},
    {"R", "E", "NJ"},     {"M", "YEO", "NH"},   {"B", "YE", "D"},     {"BB", "O", "L"},     {"S", "WA", "LG"},
    {"SS", "WAE", "LM"},  {"", "OE", "LB"},     {"J", "YO", "LS"},    {"JJ", "U", "LT"},    {"C", "WEO", "LP"},
    {"K", "WE", "LH"},    {"T", "WI", "M"},     {"P", "YU", "B"},     {"H", "EU", "BS"},    {nullptr, "YI", "S"},
    {nullptr, "I", "SS"}, {nullptr, nullptr, "NG"}, {nullptr, nullptr, "J"}, {nullptr, nullptr, "C"},
    {nullptr, nullptr, "K"}, {nullptr, nullptr, "T"}, {nullptr, nullptr, "P"}, {nullptr, nullptr, "H"}};
constexpr size_t LEADING_COUNT = 19, VOWEL_COUNT = 21, TRAILING_COUNT = 28;

bool is_alias(uint32_t cp) { return cp - ALIAS_BASE < ALIAS_COUNT; }
bool is_named_sequence(uint32_t cp) { return cp - NAMED_SEQUENCE_BASE < NAMED_SEQUENCE_COUNT; }

// The prefix kind of the derived-name range holding cp, or -1 (also for any value above
// U+10FFFF). Scans the ranges in ascending order.
int algorithmic_name_kind(uint32_t cp) {
    for (const AlgorithmicNameRange &range : algorithmic_name_ranges) {
        if (cp < range.first) break;
        if (cp <= range.last) return static_cast<int>(range.prefix_kind);
    }
    return -1;
}

unsigned char upper(char c) { return _Py_ctype_toupper[static_cast<unsigned char>(c)]; }

// The name hash of the argument's bytes, compared without regard to ASCII letter case.
uint32_t name_hash(const char *name, size_t size) {
    uint32_t h = 0;
    for (size_t i = 0; i < size; ++i) h = name_hash_step(h, upper(name[i]));
    return h;
}

// Whether name[0..size) continues with `text` (upper case) at `position`.
bool continues_with(const char *name, size_t size, size_t position, const char *text) {
    size_t length = std::strlen(text);
    if (length > size - position) return false;
    for (size_t i = 0; i < length; ++i)
        if (upper(name[position + i]) != static_cast<unsigned char>(text[i])) return false;
    return true;
}

PyObject *undefined_name(const char *name, size_t size) {
    char shown[NAME_LIMIT + 1];  // the argument may have no NUL of its own
    std::memcpy(shown, name, size);
    shown[size] = '\0';
    PyErr_Format(PyExc_KeyError, "undefined character name '%s'", shown);
    return nullptr;
}

}  // namespace

uint32_t parse_code_point(const char *digits, size_t size) {
    constexpr uint32_t REJECTED = 0xFFFFFFFF;
    if (size < 4 || size > 6 || digits[0] == '0') return REJECTED;
    uint32_t value = 0;
    for (size_t i = 0; i < size; ++i) {
        unsigned char c = upper(digits[i]);
        int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
        if (digit < 0) return REJECTED;
        value = value * 16 + static_cast<uint32_t>(digit);
    }
    return value < 0x110000 ? value : REJECTED;
}

void hangul_syllable_name(uint32_t cp, char *buffer) {
    uint32_t s = cp - HANGUL_BASE;
    size_t length = append_name_text(buffer, 0, algorithmic_name_prefixes[HANGUL_KIND]);
    length = append_name_text(buffer, length, hangul_jamo_names[s / SYLLABLES_PER_LEADING].leading);
    length = append_name_text(buffer, length, hangul_jamo_names[s % SYLLABLES_PER_LEADING / TRAILING_PER_VOWEL].vowel);
    append_name_text(buffer, length, hangul_jamo_names[s % TRAILING_PER_VOWEL].trailing);
}

const NameTables name_tables = {
    stored_names,
    name_phrase_stage1,
    name_phrase_stage2,
    algorithmic_name_ranges,
    std::size(algorithmic_name_ranges),
    static_cast<uint32_t>(std::size(name_word_offsets)),
    alias_targets,
    ALIAS_COUNT,
    named_sequence_table,
    NAMED_SEQUENCE_COUNT,
};

namespace {

// Index of the longest entry of a jamo column that the name continues with at
// `position`, or -1; the column's cell is selected by `cell`.
int longest_jamo(const char *name, size_t size, size_t position, size_t count, const char *JamoRow::*cell,
                 size_t &length) {
    int best = -1;
    length = 0;
    for (size_t i = 0; i < count; ++i) {
        const char *text = hangul_jamo_names[i].*cell;
        size_t text_length = std::strlen(text);
        if ((best < 0 || text_length > length) && continues_with(name, size, position, text)) {
            best = static_cast<int>(i);
            length = text_length;
        }
    }
    return best;
}

PyObject *lookup_hangul_syllable(const char *name, size_t size) {
    size_t position = std::strlen(algorithmic_name_prefixes[HANGUL_KIND]), length;
    int l = longest_jamo(name, size, position, LEADING_COUNT, &JamoRow::leading, length);
    position += length;
    int v = l < 0 ? -1 : longest_jamo(name, size, position, VOWEL_COUNT, &JamoRow::vowel, length);
    position += length;
    int t = v < 0 ? -1 : longest_jamo(name, size, position, TRAILING_COUNT, &JamoRow::trailing, length);
    position += length;
    if (t < 0 || position != size) return undefined_name(name, size);
    return PyUnicode_FromOrdinal(static_cast<int>(HANGUL_BASE + (static_cast<uint32_t>(l) * VOWELS_PER_LEADING +
                                                                static_cast<uint32_t>(v)) *
                                                                   TRAILING_PER_VOWEL +
                                                  static_cast<uint32_t>(t)));
}

// What a stored name found by lookup stands for: an alias its character, a named
// sequence its string, anything else the character itself.
PyObject *found_code_point(uint32_t cp) {
    if (is_alias(cp)) cp = alias_targets[cp - ALIAS_BASE];
    if (is_named_sequence(cp)) {
        const NamedSequence &sequence = named_sequence_table[cp - NAMED_SEQUENCE_BASE];
        return PyUnicode_FromKindAndData(PyUnicode_2BYTE_KIND, sequence.code_points, sequence.length);
    }
    return PyUnicode_FromOrdinal(static_cast<int>(cp));
}

// Searches the stored names: each candidate on the hash's probe sequence is confirmed by
// generating its name. The generator guarantees an empty slot within
// NAME_HASH_MAX_VISITS visits, which also bounds the search.
PyObject *lookup_stored_name(PyObject *self, const char *name, size_t size) {
    char buffer[NAME_LIMIT + 1];
    NameProbe probe(name_hash(name, size));
    for (uint32_t visit = 0; visit < NAME_HASH_MAX_VISITS; ++visit, probe.next()) {
        uint32_t cp = name_hash_slots[probe.slot()];
        if (cp == 0) break;
        if (!code_point_name(self, cp, buffer, true) || std::strlen(buffer) != size) continue;
        if (continues_with(name, size, 0, buffer)) return found_code_point(cp);
    }
    return undefined_name(name, size);
}

}  // namespace

bool code_point_name(PyObject *self, uint32_t cp, char *buffer, bool allow_private_names) {
    if (cp > 0x10FFFF) return false;
    bool private_name = is_alias(cp) || is_named_sequence(cp);
    if (private_name && !allow_private_names) return false;
    if (const UCDObject *old = selected_old_version(self)) {
        if (private_name || old->old_record_lookup(cp)->old_category == 0) return false;
    }
    int kind = algorithmic_name_kind(cp);
    if (kind == HANGUL_KIND) {
        hangul_syllable_name(cp, buffer);
        return true;
    }
    if (kind > 0) {
        return write_prefixed_name(algorithmic_name_prefixes[kind], cp, buffer) < NAME_LIMIT;
    }
    uint32_t offset = name_phrase_stage2[(name_phrase_stage1[cp >> NAME_PHRASE_SHIFT] << NAME_PHRASE_SHIFT) +
                                         (cp & ((1u << NAME_PHRASE_SHIFT) - 1))];
    return offset != 0 && decode_stored_name(stored_names, offset, buffer);
}


PyObject *query_name(PyObject *self, PyObject *const *arguments, Py_ssize_t count) {
    int cp = count >= 1 && count <= 2 ? single_character(arguments[0]) : -1;
    if (cp < 0) {
        // Anything else is left to the interpreter's parser, for its usual errors.
        PyObject *tuple = PyTuple_New(count);
        if (tuple == nullptr) return nullptr;
        for (Py_ssize_t i = 0; i < count; ++i) PyTuple_SET_ITEM(tuple, i, Py_NewRef(arguments[i]));
        PyObject *ignored = nullptr;
        const bool parsed = PyArg_ParseTuple(tuple, "C|O:name", &cp, &ignored);
        Py_DECREF(tuple);
        if (!parsed) return nullptr;
    }
    PyObject *default_value = count == 2 ? arguments[1] : nullptr;
    char buffer[NAME_LIMIT + 1];
    if (code_point_name(self, static_cast<uint32_t>(cp), buffer, false)) {
        const size_t length = std::strlen(buffer);
        // Names are ASCII: the str is filled by copying, without decoding.
        PyObject *name = PyUnicode_New(static_cast<Py_ssize_t>(length), 127);
        if (name != nullptr) std::memcpy(PyUnicode_1BYTE_DATA(name), buffer, length);
        return name;
    }
    if (default_value != nullptr) return Py_NewRef(default_value);
    PyErr_SetString(PyExc_ValueError, "no such name");
    return nullptr;
}

PyObject *query_lookup(PyObject *self, PyObject *argument) {
    const char *name;
    Py_ssize_t size;
    if (!PyArg_Parse(argument, "s#:lookup", &name, &size)) return nullptr;
    if (static_cast<size_t>(size) > NAME_LIMIT) {
        PyErr_SetString(PyExc_KeyError, "name too long");
        return nullptr;
    }
    size_t length = static_cast<size_t>(size);
    for (size_t kind = 0; kind < std::size(algorithmic_name_prefixes); ++kind) {
        const char *prefix = algorithmic_name_prefixes[kind];
        if (!continues_with(name, length, 0, prefix)) continue;
        if (kind == HANGUL_KIND) return lookup_hangul_syllable(name, length);
        size_t prefix_length = std::strlen(prefix);
        uint32_t cp = parse_code_point(name + prefix_length, length - prefix_length);
        if (algorithmic_name_kind(cp) != static_cast<int>(kind)) return undefined_name(name, length);
        return PyUnicode_FromOrdinal(static_cast<int>(cp));
    }
    return lookup_stored_name(self, name, length);
}

}  // namespace charlore
