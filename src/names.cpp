// Character names: stored names, algorithmic names, lookup, aliases and named sequences.
#include "names.h"

#include "database.h"

namespace charlore {

PyObject *query_name(PyObject *, PyObject *) {
    PyErr_SetString(PyExc_NotImplementedError, "name");
    return nullptr;
}

PyObject *query_lookup(PyObject *, PyObject *) {
    PyErr_SetString(PyExc_NotImplementedError, "lookup");
    return nullptr;
}

}  // namespace charlore
