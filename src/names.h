// The name query and lookup by name.
#pragma once

#include <Python.h>

namespace charlore {

// name(chr, default=...): the name of chr.
PyObject *query_name(PyObject *self, PyObject *arguments);
// lookup(name): the character or named sequence called `name`.
PyObject *query_lookup(PyObject *self, PyObject *argument);

}  // namespace charlore
