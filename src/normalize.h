// The decomposition query and normalize.
#pragma once

#include <Python.h>

namespace charlore {

// decomposition(chr): the decomposition mapping of chr as a string.
PyObject *query_decomposition(PyObject *self, PyObject *argument);
// normalize(form, unistr): unistr in the normal form `form`.
PyObject *query_normalize(PyObject *self, PyObject *arguments);

}  // namespace charlore
