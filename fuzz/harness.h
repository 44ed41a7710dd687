// What the fuzz targets share: the module running inside an embedded interpreter, calls
// of its queries on both database objects, conversions between str and code points, and
// the report of a broken property (which aborts, so that libFuzzer keeps the input).
#pragma once

#include <Python.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

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

// The text a fuzz input stands for. A byte below 0x80 is that ASCII character; a byte from
// 0x80 to 0xEF and the next byte pick one code point of pool (two bytes, so that every
// entry of a pool of up to 28672 can be reached); a byte from 0xF0 up and the next three
// give any code point. The pool must not be empty.
std::u32string text_of(const uint8_t *data, size_t size, const std::vector<char32_t> &pool);

PyObject *new_str(const std::u32string &text);

// Reports a broken property with the text it concerns, then aborts.
[[noreturn]] void broken(const std::string &property, const std::u32string &text);
[[noreturn]] void broken(const std::string &property, std::string_view bytes);

}  // namespace fuzz
