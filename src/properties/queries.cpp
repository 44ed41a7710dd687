// script, script_extensions, block, age and property: one lookup of the character's record, then
// a str made once at import for the value, so a query allocates nothing but tuples.
#include "queries.h"

#include <cstdint>

#include "../database.h"
#include "property.h"

namespace charlore::properties {
namespace {

PyObject *block_strings[BLOCKS];

PyObject *query_script(PyObject *, PyObject *argument) {
    const int cp = character_argument(argument, "C:script");
    if (cp < 0) return nullptr;
    return Py_NewRef(script_strings[record_of(static_cast<uint32_t>(cp)).script]);
}

PyObject *query_script_extensions(PyObject *, PyObject *argument) {
    const int cp = character_argument(argument, "C:script_extensions");
    if (cp < 0) return nullptr;
    return script_extension_tuple(static_cast<uint32_t>(cp));
}

PyObject *query_block(PyObject *, PyObject *argument) {
    const int cp = character_argument(argument, "C:block");
    if (cp < 0) return nullptr;
    return Py_NewRef(block_strings[record_of(static_cast<uint32_t>(cp)).block]);
}

PyObject *query_age(PyObject *, PyObject *argument) {
    const int cp = character_argument(argument, "C:age");
    if (cp < 0) return nullptr;
    return Py_NewRef(age_strings[record_of(static_cast<uint32_t>(cp)).age]);
}

template <size_t N>
bool make_strings(PyObject *(&strings)[N], const char *const (&names)[N]) {
    for (size_t i = 0; i < N; ++i)
        if ((strings[i] = PyUnicode_InternFromString(names[i])) == nullptr) return false;
    return true;
}

template <size_t N>
void drop_strings(PyObject *(&strings)[N]) {
    for (PyObject *&s : strings) Py_CLEAR(s);
}

PyDoc_STRVAR(script_doc,
    "script($module, chr, /)\n--\n\n"
    "Returns the script of the character chr as its four-letter code (ISO 15924).\n\n"
    "'Zyyy' for characters common to several scripts, 'Zinh' for those that inherit\n"
    "the script of the preceding character, 'Zzzz' where no script covers chr.");
PyDoc_STRVAR(script_extensions_doc,
    "script_extensions($module, chr, /)\n--\n\n"
    "Returns the scripts the character chr is used with, as a tuple of four-letter codes.\n\n"
    "A character with no extensions listed gives a tuple of its script alone.");
PyDoc_STRVAR(block_doc,
    "block($module, chr, /)\n--\n\n"
    "Returns the name of the block containing the character chr, such as 'Basic Latin'.\n\n"
    "'No_Block' is returned for code points outside every block.");
PyDoc_STRVAR(age_doc,
    "age($module, chr, /)\n--\n\n"
    "Returns the Unicode version that assigned the character chr, such as '1.1' or '18.0'.\n\n"
    "'NA' is returned for code points that are not assigned.");

}  // namespace

PyObject *script_strings[SCRIPTS];
PyObject *block_short_strings[BLOCKS];
PyObject *age_strings[AGES];

int create_property_strings() {
    if (script_strings[0] != nullptr) return 0;
    if (make_strings(script_strings, script_names) && make_strings(block_strings, block_names) &&
        make_strings(block_short_strings, block_short_names) && make_strings(age_strings, age_names))
        return 0;
    drop_strings(script_strings);
    drop_strings(block_strings);
    drop_strings(block_short_strings);
    drop_strings(age_strings);
    return -1;
}

PyMethodDef property_methods[] = {
    {"script", query_script, METH_O, script_doc},
    {"script_extensions", query_script_extensions, METH_O, script_extensions_doc},
    {"block", query_block, METH_O, block_doc},
    {"age", query_age, METH_O, age_doc},
    {"property", reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(query_property)), METH_FASTCALL,
     property_doc},
    {"code_points", reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(query_code_points)), METH_FASTCALL,
     code_points_doc},
    {nullptr, nullptr, 0, nullptr},
};

}  // namespace charlore::properties
