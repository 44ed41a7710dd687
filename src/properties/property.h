// What the queries of single properties share: the script, block and age record of a
// code point with the str of each value, and `property`, which answers any property.
#pragma once

#include <Python.h>

#include <array>
#include <cstdint>
#include <string_view>

#include "../generated/properties_tables.h"
#include "../generated/property_values_tables.h"
#include "key_hash.h"

namespace charlore::properties {

constexpr size_t SCRIPTS = sizeof script_names / sizeof script_names[0];
constexpr size_t BLOCKS = sizeof block_names / sizeof block_names[0];
constexpr size_t AGES = sizeof age_names / sizeof age_names[0];

// String i of a generated table of strings: its text (every string ended by a NUL) and
// where each string begins.
template <size_t N>
inline std::string_view table_string(const char *text, const uint16_t (&start)[N], size_t i) {
    return {text + start[i], static_cast<size_t>(start[i + 1] - start[i] - 1)};
}

// The value names as str, written only at import (create_property_strings), read-only
// afterwards: script codes, blocks' short aliases and ages.
extern PyObject *script_strings[SCRIPTS];
extern PyObject *block_short_strings[BLOCKS];
extern PyObject *age_strings[AGES];

// The record of cp (which must be at most U+10FFFF). Never fails.
inline const CharacterRecord &record_of(uint32_t cp) {
    const uint32_t block = character_stage1[cp >> CHARACTER_SHIFT];
    return character_records[character_stage2[(block << CHARACTER_SHIFT) | (cp & ((1u << CHARACTER_SHIFT) - 1))]];
}

// The script extensions of cp (at most U+10FFFF) as a tuple of script codes.
PyObject *script_extension_tuple(uint32_t cp);

// The value of cp (at most U+10FFFF) of a String or Miscellaneous property.
PyObject *string_property_value(PyObject *module, const property_values::PropertyInfo &p, uint32_t cp);

// The byte a loose key keeps for each byte of an ASCII name: the letter in lower case, 0
// for one it drops (blanks, underscores, hyphens), -1 for one no key holds (NUL).
inline constexpr std::array<signed char, 128> LOOSE_BYTES = [] {
    std::array<signed char, 128> bytes{};
    for (int c = 1; c < 128; ++c) bytes[c] = static_cast<signed char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    for (char c : {' ', '\t', '\n', '\r', '\f', '\v', '_', '-'}) bytes[static_cast<unsigned char>(c)] = 0;
    bytes[0] = -1;
    return bytes;
}();

// The loose key of a ready str in `buffer` (an initial "is" dropped unless it is all the
// key holds); false when the name matches no key: a character beyond ASCII or NUL, or a
// key of KEY_LIMIT bytes or more. Never allocates, sets nothing.
inline bool loose_key(PyObject *name, char (&buffer)[key_hash::KEY_LIMIT], std::string_view &key) {
    if (!PyUnicode_IS_ASCII(name)) return false;
    const Py_ssize_t length = PyUnicode_GET_LENGTH(name);
    const unsigned char *text = PyUnicode_1BYTE_DATA(name);
    size_t size = 0;
    for (Py_ssize_t i = 0; i < length; ++i) {
        const signed char c = LOOSE_BYTES[text[i]];
        if (c == 0) continue;
        if (c < 0 || size == key_hash::KEY_LIMIT) return false;
        buffer[size++] = static_cast<char>(c);
    }
    const size_t start = size > 2 && buffer[0] == 'i' && buffer[1] == 's' ? 2 : 0;
    key = std::string_view(buffer + start, size - start);
    return true;
}

// The number of the property `name` names (exactly or loosely); -1 with an exception set
// when it names none or is not a str (`function` names the query in that message).
int property_number(PyObject *name, const char *function);

// property(name, chr, /): the value of any property of chr.
PyObject *query_property(PyObject *module, PyObject *const *arguments, Py_ssize_t count);
extern const char property_doc[];
// code_points(name, value, /): the ranges of code points whose property has the value.
PyObject *query_code_points(PyObject *module, PyObject *const *arguments, Py_ssize_t count);
extern const char code_points_doc[];

// Makes the objects `property` answers with (value names, numbers, the table of property
// names) and adds the module's `_property_names`. -1 with an exception set on failure.
int create_property_values(PyObject *module);

}  // namespace charlore::properties
