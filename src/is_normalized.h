// is_normalized(form, unistr): whether normalize(form, unistr) == unistr.
#pragma once

#include <Python.h>

namespace charlore {

// The query of the shared method table; self selects the database as for normalize.
PyObject *query_is_normalized(PyObject *self, PyObject *arguments);

}  // namespace charlore
