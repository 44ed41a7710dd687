// Decomposition, canonical ordering, composition and the quick check.
#include "normalize.h"

#include "database.h"

namespace charlore {

PyObject *query_decomposition(PyObject *, PyObject *) {
    PyErr_SetString(PyExc_NotImplementedError, "decomposition");
    return nullptr;
}

PyObject *query_normalize(PyObject *, PyObject *) {
    PyErr_SetString(PyExc_NotImplementedError, "normalize");
    return nullptr;
}

}  // namespace charlore
