// The name query and lookup by name.
#pragma once

#include <Python.h>

#include <cstddef>
#include <cstdint>

#include "names_data.h"

namespace charlore {

// name(chr, default=...): the name of chr; called with the arguments in a vector.
PyObject *query_name(PyObject *self, PyObject *const *arguments, Py_ssize_t count);
// lookup(name): the character or named sequence called `name`.
PyObject *query_lookup(PyObject *self, PyObject *argument);

// Writes the name of cp into buffer (NAME_LIMIT + 1 bytes) as a NUL-terminated string;
// false when it has none. On a UCD object (version selection) characters unassigned in
// Unicode 3.2.0 have no name, nor have aliases and named sequences; elsewhere their
// private code points are named only when allow_private_names is true. Never raises,
// never allocates.
bool code_point_name(PyObject *self, uint32_t cp, char *buffer, bool allow_private_names);

// search(words): the characters, aliases and named sequences whose names hold every word.
PyObject *query_search(PyObject *self, PyObject *argument);

// The generated name tables, for the search, which reads every name.
struct NameTables {
    StoredNameTables stored;
    const uint16_t *phrase_stage1;  // blocks of 1 << NAME_PHRASE_SHIFT code points
    const uint32_t *phrase_stage2;  // phrase offset per code point, 0 = no stored name
    const AlgorithmicNameRange *ranges;
    size_t range_count;
    uint32_t word_count;  // word codes run from 1 to word_count - 1
    const uint32_t *alias_targets;
    uint32_t alias_count;
    const NamedSequence *named_sequences;
    uint32_t named_sequence_count;
};
extern const NameTables name_tables;

// The hexadecimal part of a derived ideograph name: 4 to 6 digits without a leading
// zero, below 0x110000; 0xFFFFFFFF when it is none of that.
uint32_t parse_code_point(const char *digits, size_t size);

// Writes the name of the Hangul syllable cp (U+AC00 to U+D7A3) into buffer (NAME_LIMIT
// + 1 bytes), NUL-terminated.
void hangul_syllable_name(uint32_t cp, char *buffer);

}  // namespace charlore
