// What the fuzz targets share: the module running inside an embedded interpreter, calls
// of its queries on both database objects, conversions between str and code points, and
// the report of a broken property (which aborts, so that libFuzzer keeps the input).
#pragma once

#include <Python.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace fuzz {

// The charlore module and its ucd_3_2_0 object, imported once into an interpreter that
// is started on first use.
struct Databases {
    PyObject *module;
    PyObject *old;
};
const Databases &databases();

// The directory of the UCD 18.0.0 input files.
std::string ucd_directory();

// Calls database.query(arguments...), stealing the references to the arguments. Returns
// the new result, or null with the exception cleared and its type stored in *error.
PyObject *call(PyObject *database, const char *query, std::initializer_list<PyObject *> arguments,
               PyObject **error = nullptr);

std::u32string code_points(PyObject *str);
PyObject *new_str(const std::u32string &text);

// Reports a broken property with the text it concerns, then aborts.
[[noreturn]] void broken(const std::string &property, const std::u32string &text);
[[noreturn]] void broken(const std::string &property, std::string_view bytes);

}  // namespace fuzz
