// The charlore module: init function, the UCD type of database-version objects, the
// method table shared by both, and the record property and numeric queries.
#include <Python.h>
#if PY_VERSION_HEX < 0x030C0000
#include <structmember.h>
#define Py_T_STRING T_STRING
#define Py_READONLY READONLY
#endif

#include <cstddef>

#include "charlore.h"
#include "database.h"
#include "names.h"
#include "is_normalized.h"
#include "normalize.h"
#include "properties/property.h"
#include "properties/queries.h"
#include "segmentation/queries.h"

namespace charlore {
namespace {

// ---- Record property queries: one field of the character's PropertyRecord ----

PyObject *query_category(PyObject *self, PyObject *argument) {
    const int cp = character_argument(argument, "C:category");
    if (cp < 0) return nullptr;
    unsigned value = lookup_property_record(static_cast<uint32_t>(cp)).category;
    if (const UCDObject *old = selected_old_version(self)) {
        const OldVersionRecord *r = old->old_record_lookup(static_cast<uint32_t>(cp));
        if (r->old_category != OLD_UNCHANGED) value = r->old_category;
    }
    return Py_NewRef(category_strings[value]);
}

// The 3.2.0 value of a field other than the category: 0 for a character not assigned
// then, the old field where it changed, else the current value.
unsigned old_field(PyObject *self, int cp, unsigned current, uint8_t OldVersionRecord::*field) {
    const UCDObject *old = selected_old_version(self);
    if (old == nullptr) return current;
    const OldVersionRecord *r = old->old_record_lookup(static_cast<uint32_t>(cp));
    if (r->old_category == 0) return 0;
    if (field != nullptr && r->*field != OLD_UNCHANGED) return r->*field;
    return current;
}

PyObject *query_bidirectional(PyObject *self, PyObject *argument) {
    const int cp = character_argument(argument, "C:bidirectional");
    if (cp < 0) return nullptr;
    unsigned value = old_field(self, cp, lookup_property_record(static_cast<uint32_t>(cp)).bidirectional,
                               &OldVersionRecord::old_bidirectional);
    return Py_NewRef(bidirectional_strings[value]);
}

PyObject *query_combining(PyObject *self, PyObject *argument) {
    const int cp = character_argument(argument, "C:combining");
    if (cp < 0) return nullptr;
    unsigned value = old_field(self, cp, lookup_property_record(static_cast<uint32_t>(cp)).combining, nullptr);
    return PyLong_FromLong(value);
}

PyObject *query_mirrored(PyObject *self, PyObject *argument) {
    const int cp = character_argument(argument, "C:mirrored");
    if (cp < 0) return nullptr;
    unsigned value = old_field(self, cp, lookup_property_record(static_cast<uint32_t>(cp)).mirrored,
                               &OldVersionRecord::old_mirrored);
    return PyLong_FromLong(value);
}

PyObject *query_east_asian_width(PyObject *self, PyObject *argument) {
    const int cp = character_argument(argument, "C:east_asian_width");
    if (cp < 0) return nullptr;
    unsigned value = old_field(self, cp, lookup_property_record(static_cast<uint32_t>(cp)).east_asian_width,
                               &OldVersionRecord::old_east_asian_width);
    return Py_NewRef(east_asian_width_strings[value]);
}

// ---- Numeric queries ----

// The caller's default (a new reference) when there is one, else ValueError(message).
PyObject *no_value(PyObject *default_value, const char *message) {
    if (default_value != nullptr) return Py_NewRef(default_value);
    PyErr_SetString(PyExc_ValueError, message);
    return nullptr;
}

PyObject *query_decimal(PyObject *self, PyObject *arguments) {
    int cp;
    PyObject *default_value = nullptr;
    if (!PyArg_ParseTuple(arguments, "C|O:decimal", &cp, &default_value)) return nullptr;
    if (const UCDObject *old = selected_old_version(self)) {
        const OldVersionRecord *r = old->old_record_lookup(static_cast<uint32_t>(cp));
        if (r->old_category == 0) return no_value(default_value, "not a decimal");
        if (r->old_decimal != OLD_UNCHANGED) return PyLong_FromLong(r->old_decimal);
    }
    int value = _PyCharlore_ToDecimalDigit(static_cast<Py_UCS4>(cp));
    if (value < 0) return no_value(default_value, "not a decimal");
    return PyLong_FromLong(value);
}

PyObject *query_digit(PyObject *, PyObject *arguments) {
    int cp;
    PyObject *default_value = nullptr;
    if (!PyArg_ParseTuple(arguments, "C|O:digit", &cp, &default_value)) return nullptr;
    // The 3.2.0 object answers like the module here: digit values are never corrected.
    int value = _PyCharlore_ToDigit(static_cast<Py_UCS4>(cp));
    if (value < 0) return no_value(default_value, "not a digit");
    return PyLong_FromLong(value);
}

PyObject *query_numeric(PyObject *self, PyObject *arguments) {
    int cp;
    PyObject *default_value = nullptr;
    if (!PyArg_ParseTuple(arguments, "C|O:numeric", &cp, &default_value)) return nullptr;
    if (const UCDObject *old = selected_old_version(self)) {
        const OldVersionRecord *r = old->old_record_lookup(static_cast<uint32_t>(cp));
        if (r->old_category == 0) return no_value(default_value, "not a numeric character");
        if (r->old_numeric != 0.0) {
            if (r->old_numeric == -1.0) return no_value(default_value, "not a numeric character");
            return PyFloat_FromDouble(r->old_numeric);
        }
    }
    double value = _PyCharlore_ToNumeric(static_cast<Py_UCS4>(cp));
    if (value == -1.0) return no_value(default_value, "not a numeric character");
    return PyFloat_FromDouble(value);
}

// ---- Method table, shared by the module and the UCD type ----

PyDoc_STRVAR(decimal_doc,
    "decimal($self, chr, default=<unrepresentable>, /)\n--\n\n"
    "Converts a Unicode character into its equivalent decimal value.\n\n"
    "Returns the decimal value assigned to the character chr as integer.\n"
    "If no such value is defined, default is returned, or, if not given,\n"
    "ValueError is raised.");
PyDoc_STRVAR(digit_doc,
    "digit($self, chr, default=<unrepresentable>, /)\n--\n\n"
    "Converts a Unicode character into its equivalent digit value.\n\n"
    "Returns the digit value assigned to the character chr as integer.\n"
    "If no such value is defined, default is returned, or, if not given,\n"
    "ValueError is raised.");
PyDoc_STRVAR(numeric_doc,
    "numeric($self, chr, default=<unrepresentable>, /)\n--\n\n"
    "Converts a Unicode character into its equivalent numeric value.\n\n"
    "Returns the numeric value assigned to the character chr as float.\n"
    "If no such value is defined, default is returned, or, if not given,\n"
    "ValueError is raised.");
PyDoc_STRVAR(category_doc,
    "category($self, chr, /)\n--\n\n"
    "Returns the general category assigned to the character chr as string.");
PyDoc_STRVAR(bidirectional_doc,
    "bidirectional($self, chr, /)\n--\n\n"
    "Returns the bidirectional class assigned to the character chr as string.\n\n"
    "If no such value is defined, an empty string is returned.");
PyDoc_STRVAR(combining_doc,
    "combining($self, chr, /)\n--\n\n"
    "Returns the canonical combining class assigned to the character chr as integer.\n\n"
    "Returns 0 if no combining class is defined.");
PyDoc_STRVAR(mirrored_doc,
    "mirrored($self, chr, /)\n--\n\n"
    "Returns the mirrored property assigned to the character chr as integer.\n\n"
    "Returns 1 if the character has been identified as a \"mirrored\"\n"
    "character in bidirectional text, 0 otherwise.");
PyDoc_STRVAR(east_asian_width_doc,
    "east_asian_width($self, chr, /)\n--\n\n"
    "Returns the east asian width assigned to the character chr as string.");
PyDoc_STRVAR(decomposition_doc,
    "decomposition($self, chr, /)\n--\n\n"
    "Returns the character decomposition mapping assigned to the character chr as string.\n\n"
    "An empty string is returned in case no such mapping is defined.");
PyDoc_STRVAR(name_doc,
    "name($self, chr, default=<unrepresentable>, /)\n--\n\n"
    "Returns the name assigned to the character chr as a string.\n\n"
    "If no name is defined, default is returned, or, if not given,\n"
    "ValueError is raised.");
PyDoc_STRVAR(lookup_doc,
    "lookup($self, name, /)\n--\n\n"
    "Look up character by name.\n\n"
    "If a character with the given name is found, return the\n"
    "corresponding character.  If not found, KeyError is raised.");
PyDoc_STRVAR(normalize_doc,
    "normalize($self, form, unistr, /)\n--\n\n"
    "Return the normal form 'form' for the Unicode string unistr.\n\n"
    "Valid values for form are 'NFC', 'NFKC', 'NFD', and 'NFKD'.");
PyDoc_STRVAR(is_normalized_doc,
    "is_normalized($self, form, unistr, /)\n--\n\n"
    "Return whether the Unicode string unistr is in the normal form 'form'.\n\n"
    "Valid values for form are 'NFC', 'NFKC', 'NFD', and 'NFKD'.");

PyMethodDef methods[] = {
    {"decimal", query_decimal, METH_VARARGS, decimal_doc},
    {"digit", query_digit, METH_VARARGS, digit_doc},
    {"numeric", query_numeric, METH_VARARGS, numeric_doc},
    {"category", query_category, METH_O, category_doc},
    {"bidirectional", query_bidirectional, METH_O, bidirectional_doc},
    {"combining", query_combining, METH_O, combining_doc},
    {"mirrored", query_mirrored, METH_O, mirrored_doc},
    {"east_asian_width", query_east_asian_width, METH_O, east_asian_width_doc},
    {"decomposition", query_decomposition, METH_O, decomposition_doc},
    {"name", reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(query_name)), METH_FASTCALL, name_doc},
    {"lookup", query_lookup, METH_O, lookup_doc},
    {"normalize", query_normalize, METH_VARARGS, normalize_doc},
    {"is_normalized", query_is_normalized, METH_VARARGS, is_normalized_doc},
    {nullptr, nullptr, 0, nullptr},
};

PyDoc_STRVAR(search_doc,
    "search($module, words, /)\n--\n\n"
    "Find characters by words of their names.\n\n"
    "Returns, as a list of strings, every character whose name holds each of the\n"
    "whitespace-separated words as a whole word (ASCII letter case ignored), in code\n"
    "point order, then the characters found by a name alias and the named sequences.\n"
    "ValueError is raised when words holds no word.");

// Functions of the module alone: they answer from the current database only.
PyMethodDef module_functions[] = {
    {"search", query_search, METH_O, search_doc},
    {nullptr, nullptr, 0, nullptr},
};

PyMemberDef members[] = {
    {"unidata_version", Py_T_STRING, offsetof(UCDObject, version_name), Py_READONLY, nullptr},
    {nullptr, 0, 0, 0, nullptr},
};

PyDoc_STRVAR(module_doc,
    "This module provides access to the Unicode Character Database which\n"
    "defines character properties for all Unicode characters. The data in\n"
    "this database is based on the UnicodeData.txt file version\n"
    "18.0.0 which is publicly available from https://www.unicode.org/Public/18.0.0/ucd/.\n"
    "\n"
    "The module uses the same names and symbols as defined by the\n"
    "UnicodeData File Format 18.0.0.");

PyModuleDef module_definition = {
    PyModuleDef_HEAD_INIT,
    "charlore",
    module_doc,
    -1,
    methods,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
};

// Instances own nothing but their memory.
void ucd_dealloc(PyObject *self) { PyObject_Free(self); }

}  // namespace

PyTypeObject UCD_Type = [] {
    PyTypeObject type = {PyVarObject_HEAD_INIT(nullptr, 0)};
    type.tp_name = "charlore.UCD";
    type.tp_basicsize = sizeof(UCDObject);
    type.tp_itemsize = 0;
    type.tp_dealloc = ucd_dealloc;
    type.tp_getattro = PyObject_GenericGetAttr;
    type.tp_flags = Py_TPFLAGS_DEFAULT;
    type.tp_methods = methods;
    type.tp_members = members;
    return type;
}();

}  // namespace charlore

extern "C" CHARLORE_API PyObject *PyInit_charlore(void) {
    using namespace charlore;
    Py_SET_TYPE(&UCD_Type, &PyType_Type);
    if (PyType_Ready(&UCD_Type) < 0) return nullptr;
    PyObject *module = PyModule_Create2(&module_definition, PYTHON_API_VERSION);
    if (module == nullptr) return nullptr;
#ifdef Py_GIL_DISABLED
    // No query writes shared data, so the module runs without the global lock.
    PyUnstable_Module_SetGIL(module, Py_MOD_GIL_NOT_USED);
#endif
    // A module that lacks one of its attributes would be a broken import: fail instead.
    if (PyModule_AddFunctions(module, segmentation::segmentation_methods) < 0 ||
        PyModule_AddFunctions(module, properties::property_methods) < 0 ||
        PyModule_AddFunctions(module, module_functions) < 0 || create_value_strings() < 0 ||
        properties::create_property_strings() < 0 ||
        PyModule_AddStringConstant(module, "unidata_version", "18.0.0") < 0 ||
        PyModule_AddObjectRef(module, "UCD", reinterpret_cast<PyObject *>(&UCD_Type)) < 0 ||
        add_old_version_object(module) < 0 || properties::create_property_values(module) < 0) {
        Py_DECREF(module);
        return nullptr;
    }
    return module;
}
