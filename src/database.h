// Property records of the current database and the Unicode 3.2.0 change records:
// the record types, their lookups, the UCD object layout and version selection.
#pragma once

#include <Python.h>

#include <cstdint>

namespace charlore {

// One character's properties in the current database; shared by all characters with
// equal values.
struct PropertyRecord {
    uint8_t category;          // index into category_names
    uint8_t combining;         // canonical combining class
    uint8_t bidirectional;     // index into bidirectional_names; 0 = no class
    uint8_t mirrored;          // 0 or 1
    uint8_t east_asian_width;  // index into east_asian_width_names
    uint8_t quick_check;       // 2 bits each: NFD (bits 0-1), NFKD, NFC, NFKC; 0 Yes, 1 Maybe, 2 No
};

// A character's Unicode 3.2.0 values where they differ from the current ones.
struct OldVersionRecord {
    uint8_t old_bidirectional;     // 255 = unchanged
    uint8_t old_category;          // 255 = unchanged; 0 = not assigned in Unicode 3.2.0
    uint8_t old_decimal;           // 255 = unchanged
    uint8_t old_mirrored;          // 255 = unchanged
    uint8_t old_east_asian_width;  // 255 = unchanged
    double old_numeric;            // 0.0 = unchanged; -1.0 = no numeric value in 3.2.0
};

constexpr uint8_t OLD_UNCHANGED = 255;

// The instance structure of charlore.UCD, the type of database-version objects.
struct UCDObject {
    PyObject_HEAD
    const char *version_name;
    const OldVersionRecord *(*old_record_lookup)(uint32_t cp);
    uint32_t (*old_normalization)(uint32_t cp);
};

extern PyTypeObject UCD_Type;

// Names of the values stored in the records, each list ending with a null pointer.
extern const char *const category_names[32];
extern const char *const bidirectional_names[25];
extern const char *const east_asian_width_names[7];

// The value names above as str objects, made once by create_value_strings when the
// module is imported and never changed after; queries hand out new references to them
// instead of building a str per call. Entries past the names are null.
extern PyObject *category_strings[32];
extern PyObject *bidirectional_strings[25];
extern PyObject *east_asian_width_strings[7];

// Creates the str objects of the value names (once; later calls find them made). -1 with
// an exception set, and none of them kept, when one cannot be created.
int create_value_strings();

// The code point of a str of one character, or -1 for any other argument; sets nothing.
// Queries parse their argument with it and leave the rest, and its error message, to the
// interpreter's argument parser.
inline int single_character(PyObject *argument) {
    if (!PyUnicode_Check(argument)) return -1;
#if PY_VERSION_HEX < 0x030C0000
    if (!PyUnicode_IS_READY(argument)) return -1;
#endif
    if (PyUnicode_GET_LENGTH(argument) != 1) return -1;
    // One data pointer for the three kinds (PyUnicode_READ_CHAR works it out per kind).
    const void *data = PyUnicode_DATA(argument);
    switch (PyUnicode_KIND(argument)) {
    case PyUnicode_1BYTE_KIND: return *static_cast<const Py_UCS1 *>(data);
    case PyUnicode_2BYTE_KIND: return *static_cast<const Py_UCS2 *>(data);
    default: return static_cast<int>(*static_cast<const Py_UCS4 *>(data));
    }
}

// The argument's code point: a str of one character, else what the interpreter's parser
// makes of it with `format` (-1 with its error set).
inline int character_argument(PyObject *argument, const char *format) {
    int cp = single_character(argument);
    if (cp < 0 && !PyArg_Parse(argument, format, &cp)) return -1;
    return cp;
}

// The record of cp; record 0 above U+10FFFF. Never fails.
const PropertyRecord &lookup_property_record(uint32_t cp);
// The Unicode 3.2.0 differences of cp; never null, all fields unchanged above U+10FFFF.
const OldVersionRecord *lookup_old_version_record(uint32_t cp);
// The Unicode 3.2.0 canonical decomposition of cp where it was a different single code
// point; 0 where nothing is to be replaced.
uint32_t lookup_old_normalization(uint32_t cp);

// Version selection: the UCD object whose 3.2.0 changes a query must apply, or null when
// it answers from the current database (self is the module, or null).
inline const UCDObject *selected_old_version(PyObject *self) {
    return self != nullptr && Py_TYPE(self) == &UCD_Type ? reinterpret_cast<const UCDObject *>(self) : nullptr;
}

// Creates ucd_3_2_0 and adds it to the module; -1 with an exception set on failure.
int add_old_version_object(PyObject *module);

}  // namespace charlore
