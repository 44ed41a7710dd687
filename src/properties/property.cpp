// property(name, chr): the value of any property. A name written as a literal is found
// by its address, any other by its loose key in a generated hash table; a value kept in
// a byte record comes from one two-stage lookup and a table of objects made at import;
// string values are built per call.
#include <iterator>
#include <string_view>

#include "../database.h"
#include "../generated/property_values_tables.h"
#include "property.h"

namespace charlore::properties {

using namespace property_values;

namespace {

constexpr size_t PROPERTIES = sizeof property_info / sizeof property_info[0];
constexpr size_t VALUES = std::size(value_names_start) - 1;
constexpr size_t NUMBERS = sizeof numeric_values / sizeof numeric_values[0];
constexpr size_t ALIASES = std::size(property_aliases_start) - 1;

// The answer of a property kept in a byte record: answer_objects[offset + (byte >> shift
// & mask)] for the byte in `column` of record table `table`, the objects being the
// enumerated values' strings, then False and True, the combining classes 0 to 255, and
// None and the numeric values. mask 0: a property of any other kind. Written only at
// import, read-only afterwards.
constexpr size_t FALSE_TRUE = VALUES, COMBINING_CLASSES = VALUES + 2, NUMERIC = COMBINING_CLASSES + 256;
constexpr size_t ANSWER_OBJECTS = NUMERIC + NUMBERS;
static_assert(ANSWER_OBJECTS <= 0xFFFF);
PyObject *answer_objects[ANSWER_OBJECTS];
struct RecordAnswer {
    uint16_t offset;
    uint8_t table, column, shift, mask;
};
RecordAnswer record_answers[PROPERTIES];

// The byte of record table T in `column` for cp (at most U+10FFFF): the table's shift,
// width and arrays are constants here, so the lookup is three dependent loads.
template <int T>
inline uint8_t table_byte(unsigned column, uint32_t cp) {
    constexpr const RecordTable &t = record_tables[T];
    const uint32_t block = t.stage1[cp >> t.shift];
    const uint32_t record = t.stage2[(block << t.shift) | (cp & ((1u << t.shift) - 1))];
    return t.records[record * static_cast<uint32_t>(t.width) + column];
}

// The answer `a` gives for cp (at most U+10FFFF), a new reference. Never fails.
inline PyObject *record_answer(RecordAnswer a, uint32_t cp) {
    static_assert(std::size(record_tables) == 3, "one case per record table");
    const unsigned byte = a.table == 0 ? table_byte<0>(a.column, cp)
                          : a.table == 1 ? table_byte<1>(a.column, cp)
                                         : table_byte<2>(a.column, cp);
    return Py_NewRef(answer_objects[a.offset + (byte >> a.shift & a.mask)]);
}

// The aliases' interned str objects by address, open addressing, each with its property
// and answer, made at import and read-only afterwards: a name written as a literal is
// interned by the compiler, so it is the very object stored here and is found without
// reading its text.
constexpr size_t ALIAS_SLOTS = 2048;
static_assert(ALIAS_SLOTS >= 4 * ALIASES && (ALIAS_SLOTS & (ALIAS_SLOTS - 1)) == 0);
struct AliasSlot {
    PyObject *alias;
    int16_t number;
    RecordAnswer answer;
};
static_assert(sizeof(AliasSlot) == 16 && PROPERTIES <= 0x7FFF);
AliasSlot alias_slots[ALIAS_SLOTS];

inline size_t first_slot(const PyObject *alias) {
    const uint64_t bits = reinterpret_cast<uintptr_t>(alias) >> 4;
    return static_cast<size_t>(bits * 0x9E3779B97F4A7C15ull >> 53) & (ALIAS_SLOTS - 1);
}

// The slot of an alias object stored in alias_slots; null for any other object. Every
// stored alias is interned, so a str that is not needs no probe.
inline const AliasSlot *interned_slot(PyObject *name) {
    if (!PyUnicode_CHECK_INTERNED(name)) return nullptr;
    for (size_t i = first_slot(name);; i = (i + 1) & (ALIAS_SLOTS - 1)) {
        if (alias_slots[i].alias == name) return &alias_slots[i];
        if (alias_slots[i].alias == nullptr) return nullptr;
    }
}

// The property a name matches loosely; -1 (no exception set) when none does.
int loose_property(PyObject *name) {
    char buffer[key_hash::KEY_LIMIT];
    std::string_view key;
    if (!loose_key(name, buffer, key)) return -1;
    const uint8_t k = property_key_slots[key_hash::slot_of(key.data(), key.size(), PROPERTY_KEY_SEED)];
    if (k == 0xFF || table_string(property_keys_text, property_keys_start, k) != key) return -1;
    return property_of_key[k];
}

// property() for every argument the fast path of query_property leaves; kept out of line
// so that the fast path needs no stack frame.
[[gnu::noinline]] PyObject *general_property(PyObject *module, PyObject *const *arguments, Py_ssize_t count) {
    if (count != 2) {
        PyErr_Format(PyExc_TypeError, "property expected 2 arguments, got %zd", count);
        return nullptr;
    }
    const int number = property_number(arguments[0], "property");
    if (number < 0) return nullptr;
    const int cp = character_argument(arguments[1], "C:property");
    if (cp < 0) return nullptr;
    const uint32_t c = static_cast<uint32_t>(cp);
    const PropertyInfo &p = property_info[number];
    if (record_answers[number].mask != 0) return record_answer(record_answers[number], c);
    switch (p.kind) {
    case KIND_SCRIPT:
        return Py_NewRef(script_strings[record_of(c).script]);
    case KIND_BLOCK:
        return Py_NewRef(block_short_strings[record_of(c).block]);
    case KIND_AGE:
        return Py_NewRef(age_strings[record_of(c).age]);
    default:
        return string_property_value(module, p, c);
    }
}

}  // namespace

int property_number(PyObject *name, const char *function) {
    if (!PyUnicode_Check(name)) {
        PyErr_Format(PyExc_TypeError, "%s() argument 1 must be str, not %.100s", function, Py_TYPE(name)->tp_name);
        return -1;
    }
    if (const AliasSlot *slot = interned_slot(name)) return slot->number;
#if PY_VERSION_HEX < 0x030C0000
    if (PyUnicode_READY(name) < 0) return -1;
#endif
    const int found = loose_property(name);
    if (found < 0) PyErr_Format(PyExc_ValueError, "unknown property '%U'", name);
    return found;
}

const char property_doc[] =
    "property($module, name, chr, /)\n--\n\n"
    "Returns the value of the property called name for the character chr.\n\n"
    "name is any alias of a property of PropertyAliases.txt, compared without regard\n"
    "to case, spaces, underscores, hyphens and an initial 'is'. A binary property gives\n"
    "a bool, Canonical_Combining_Class an int, Numeric_Value a float (None for none),\n"
    "an enumerated or catalog property its value's short alias as a string, such as\n"
    "'Lu'. A mapping such as Uppercase_Mapping gives the string it maps chr to ('SS'\n"
    "for 'ß'): chr itself where nothing maps it, or None for the properties whose\n"
    "default is none (Bidi_Mirroring_Glyph, Bidi_Paired_Bracket,\n"
    "Equivalent_Unified_Ideograph). Name gives the name or None, Name_Alias and\n"
    "Script_Extensions tuples of strings, Unicode_1_Name, ISO_Comment and\n"
    "Jamo_Short_Name a string, '' where there is none.\n"
    "ValueError is raised for a name that matches no property.";

PyObject *query_property(PyObject *module, PyObject *const *arguments, Py_ssize_t count) {
    // A literal name in the first two slots of its probe, one character and a value kept
    // in a byte record: answered without a call, anything else by the general path.
    if (count == 2) {
        const size_t first = first_slot(arguments[0]);
        const AliasSlot *slot = &alias_slots[first];
        if (slot->alias != arguments[0]) {
            slot = &alias_slots[(first + 1) & (ALIAS_SLOTS - 1)];
            if (slot->alias != arguments[0]) return general_property(module, arguments, count);
        }
        if (slot->answer.mask != 0) {
            const int cp = single_character(arguments[1]);
            if (cp >= 0) return record_answer(slot->answer, static_cast<uint32_t>(cp));
        }
    }
    return general_property(module, arguments, count);
}

namespace {

// A new interned str of the UTF-8 text s; null with an exception set on failure.
PyObject *interned_string(std::string_view s) {
    PyObject *string = PyUnicode_FromStringAndSize(s.data(), static_cast<Py_ssize_t>(s.size()));
    if (string != nullptr) PyUnicode_InternInPlace(&string);
    return string;
}

// Makes answer_objects, record_answers and alias_slots; false with an exception set, and
// nothing kept, on failure.
bool make_answers() {
    bool made = true;
    for (size_t i = 0; made && i < VALUES; ++i)
        made = (answer_objects[i] = interned_string(table_string(value_names_text, value_names_start, i)));
    if (made) {
        answer_objects[FALSE_TRUE] = Py_NewRef(Py_False);
        answer_objects[FALSE_TRUE + 1] = Py_NewRef(Py_True);
        answer_objects[NUMERIC] = Py_NewRef(Py_None);  // NaN: no numeric value
    }
    for (size_t i = 0; made && i < 256; ++i) made = (answer_objects[COMBINING_CLASSES + i] = PyLong_FromSize_t(i));
    for (size_t i = 1; made && i < NUMBERS; ++i) made = (answer_objects[NUMERIC + i] = PyFloat_FromDouble(numeric_values[i]));
    for (size_t i = 0; i < PROPERTIES; ++i) {
        const PropertyInfo &p = property_info[i];
        switch (p.kind) {
        case KIND_BINARY: record_answers[i] = {FALSE_TRUE, p.table, p.column, p.bit, 1}; break;
        case KIND_ENUMERATED: record_answers[i] = {p.first_value, p.table, p.column, 0, 0xFF}; break;
        case KIND_COMBINING_CLASS: record_answers[i] = {COMBINING_CLASSES, p.table, p.column, 0, 0xFF}; break;
        case KIND_NUMERIC: record_answers[i] = {NUMERIC, p.table, p.column, 0, 0xFF}; break;
        default: record_answers[i] = {0, 0, 0, 0, 0};
        }
    }
    // The slots keep a reference to each alias, and so its address unique.
    for (size_t i = 0; made && i < ALIASES; ++i) {
        PyObject *alias = interned_string(table_string(property_aliases_text, property_aliases_start, i));
        made = alias != nullptr;
        if (!made) break;
        size_t slot = first_slot(alias);
        while (alias_slots[slot].alias != nullptr) slot = (slot + 1) & (ALIAS_SLOTS - 1);
        alias_slots[slot] = {alias, property_of_alias[i], record_answers[property_of_alias[i]]};
    }
    if (!made) {
        for (AliasSlot &slot : alias_slots) Py_CLEAR(slot.alias);
        for (PyObject *&o : answer_objects) Py_CLEAR(o);
        return false;
    }
    return true;
}

}  // namespace

int create_property_values(PyObject *module) {
    PyObject *names = PyTuple_New(PROPERTIES);
    bool made = names != nullptr;
    for (size_t i = 0; made && i < PROPERTIES; ++i) {
        PyObject *name = PyUnicode_InternFromString(property_info[i].name);
        made = name != nullptr;
        if (made) PyTuple_SET_ITEM(names, i, name);
    }
    if (made && answer_objects[0] == nullptr) made = make_answers();
    const int result = made ? PyModule_AddObjectRef(module, "_property_names", names) : -1;
    Py_XDECREF(names);
    return result;
}

}  // namespace charlore::properties
