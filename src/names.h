// The name query and lookup by name.
#pragma once

#include <Python.h>

#include <cstdint>

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

}  // namespace charlore
