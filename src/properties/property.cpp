// property(name, chr): the value of any property. The name is found through a
// dictionary of the exact aliases made at import (loose matching only when that
// misses); an enumerable value comes from one two-stage lookup of a byte record,
// answered with objects made at import; string values are built per call.
#include <algorithm>
#include <cstring>
#include <iterator>

#include "../database.h"
#include "../generated/property_values_tables.h"
#include "property.h"

namespace charlore::properties {

using namespace property_values;

namespace {

constexpr size_t PROPERTIES = sizeof property_info / sizeof property_info[0];
constexpr size_t VALUES = sizeof value_names / sizeof value_names[0];
constexpr size_t NUMBERS = sizeof numeric_values / sizeof numeric_values[0];
constexpr size_t ALIASES = sizeof property_aliases / sizeof property_aliases[0];

// Written only by create_property_values at import, read-only afterwards.
PyObject *value_strings[VALUES];
PyObject *number_objects[NUMBERS];
PyObject *alias_numbers;  // dict: exact alias -> property number

// The byte of record table T in `column` for cp (at most U+10FFFF): the table's shift,
// width and arrays are constants here, so the lookup is three dependent loads.
template <int T>
inline uint8_t table_byte(unsigned column, uint32_t cp) {
    constexpr const RecordTable &t = record_tables[T];
    const uint32_t block = t.stage1[cp >> t.shift];
    const uint32_t record = t.stage2[(block << t.shift) | (cp & ((1u << t.shift) - 1))];
    return t.records[record * static_cast<uint32_t>(t.width) + column];
}

// The byte holding property p's value for cp (at most U+10FFFF). Never fails.
inline uint8_t record_byte(const PropertyInfo &p, uint32_t cp) {
    static_assert(std::size(record_tables) == 3, "one case per record table");
    switch (p.table) {
    case 0: return table_byte<0>(p.column, cp);
    case 1: return table_byte<1>(p.column, cp);
    default: return table_byte<2>(p.column, cp);
    }
}

// The aliases' interned str objects by address, open addressing, made at import and
// read-only afterwards: a name written as a literal is interned by the compiler, so it is
// the very object stored here and is found without hashing its text.
constexpr size_t ALIAS_SLOTS = 1024;
static_assert(ALIAS_SLOTS >= 2 * ALIASES && (ALIAS_SLOTS & (ALIAS_SLOTS - 1)) == 0);
struct AliasSlot {
    PyObject *alias;
    int number;
};
AliasSlot alias_slots[ALIAS_SLOTS];

inline size_t first_slot(const PyObject *alias) {
    const uint64_t bits = reinterpret_cast<uintptr_t>(alias) >> 4;
    return static_cast<size_t>(bits * 0x9E3779B97F4A7C15ull >> 54) & (ALIAS_SLOTS - 1);
}

// The property of an alias object stored in alias_slots; -1 for any other object.
inline int interned_property(const PyObject *name) {
    for (size_t i = first_slot(name);; i = (i + 1) & (ALIAS_SLOTS - 1)) {
        if (alias_slots[i].alias == name) return alias_slots[i].number;
        if (alias_slots[i].alias == nullptr) return -1;
    }
}

// The property a name matches loosely; -1 (no exception set) when none does.
int loose_property(PyObject *name) {
    char key[KEY_LIMIT + 1];
    size_t size = 0;
    const Py_ssize_t length = PyUnicode_GET_LENGTH(name);
    const int kind = PyUnicode_KIND(name);
    const void *data = PyUnicode_DATA(name);
    for (Py_ssize_t i = 0; i < length; ++i) {
        Py_UCS4 c = PyUnicode_READ(kind, data, i);
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v' || c == '_' || c == '-')
            continue;
        if (c >= 0x80 || size == KEY_LIMIT) return -1;
        key[size++] = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    }
    key[size] = '\0';
    const char *k = size > 2 && key[0] == 'i' && key[1] == 's' ? key + 2 : key;
    const char *const *found = std::lower_bound(std::begin(property_keys), std::end(property_keys), k,
                                                [](const char *a, const char *b) { return std::strcmp(a, b) < 0; });
    if (found == std::end(property_keys) || std::strcmp(*found, k) != 0) return -1;
    return property_of_key[found - std::begin(property_keys)];
}

}  // namespace

int property_number(PyObject *name, const char *function) {
    if (!PyUnicode_Check(name)) {
        PyErr_Format(PyExc_TypeError, "%s() argument 1 must be str, not %.100s", function, Py_TYPE(name)->tp_name);
        return -1;
    }
    if (const int interned = interned_property(name); interned >= 0) return interned;
    PyObject *number = PyDict_GetItemWithError(alias_numbers, name);  // borrowed
    if (number != nullptr) return static_cast<int>(PyLong_AsLong(number));
    if (PyErr_Occurred()) return -1;
    int found = loose_property(name);
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
    if (count != 2) {
        PyErr_Format(PyExc_TypeError, "property expected 2 arguments, got %zd", count);
        return nullptr;
    }
    int number = interned_property(arguments[0]);  // a literal name, without a call
    if (number < 0 && (number = property_number(arguments[0], "property")) < 0) return nullptr;
    const int cp = character_argument(arguments[1], "C:property");
    if (cp < 0) return nullptr;
    const uint32_t c = static_cast<uint32_t>(cp);
    const PropertyInfo &p = property_info[number];
    switch (p.kind) {
    case KIND_BINARY:
        return Py_NewRef((record_byte(p, c) >> p.bit) & 1 ? Py_True : Py_False);
    case KIND_ENUMERATED:
        return Py_NewRef(value_strings[p.first_value + record_byte(p, c)]);
    case KIND_COMBINING_CLASS:
        return PyLong_FromLong(record_byte(p, c));
    case KIND_NUMERIC: {
        const uint8_t i = record_byte(p, c);
        return Py_NewRef(i == 0 ? Py_None : number_objects[i]);
    }
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

int create_property_values(PyObject *module) {
    PyObject *names = PyTuple_New(PROPERTIES);
    bool made = names != nullptr;
    for (size_t i = 0; made && i < PROPERTIES; ++i) {
        PyObject *name = PyUnicode_InternFromString(property_info[i].name);
        made = name != nullptr;
        if (made) PyTuple_SET_ITEM(names, i, name);
    }
    if (alias_numbers == nullptr) {
        for (size_t i = 0; made && i < VALUES; ++i) made = (value_strings[i] = PyUnicode_InternFromString(value_names[i]));
        for (size_t i = 1; made && i < NUMBERS; ++i) made = (number_objects[i] = PyFloat_FromDouble(numeric_values[i]));
        PyObject *aliases = made ? PyDict_New() : nullptr;
        made = aliases != nullptr;
        for (size_t i = 0; made && i < ALIASES; ++i) {
            PyObject *alias = PyUnicode_InternFromString(property_aliases[i]);
            PyObject *number = alias ? PyLong_FromLong(property_of_alias[i]) : nullptr;
            made = number != nullptr && PyDict_SetItem(aliases, alias, number) == 0;
            if (made) {  // the dictionary keeps the alias alive, and so its address unique
                size_t slot = first_slot(alias);
                while (alias_slots[slot].alias != nullptr) slot = (slot + 1) & (ALIAS_SLOTS - 1);
                alias_slots[slot] = {alias, property_of_alias[i]};
            }
            Py_XDECREF(alias);
            Py_XDECREF(number);
        }
        if (made) {
            alias_numbers = aliases;
        } else {
            std::fill(std::begin(alias_slots), std::end(alias_slots), AliasSlot{nullptr, 0});
            Py_XDECREF(aliases);
            for (PyObject *&s : value_strings) Py_CLEAR(s);
            for (PyObject *&n : number_objects) Py_CLEAR(n);
        }
    }
    const int result = made ? PyModule_AddObjectRef(module, "_property_names", names) : -1;
    Py_XDECREF(names);
    return result;
}

}  // namespace charlore::properties
