// The embedded interpreter of the fuzz targets and the helpers around it.
#include "harness.h"

#include <cstdio>
#include <cstdlib>

extern "C" PyObject *PyInit_charlore(void);

namespace fuzz {

namespace {

Databases import_charlore() {
    // Every allocation through malloc, where the sanitizers see it.
    setenv("PYTHONMALLOC", "malloc", 1);
    PyImport_AppendInittab("charlore", PyInit_charlore);
    Py_InitializeEx(0);
    PyObject *module = PyImport_ImportModule("charlore");
    if (module == nullptr) {
        PyErr_Print();
        std::abort();
    }
    PyObject *old = PyObject_GetAttrString(module, "ucd_3_2_0");
    if (old == nullptr) {
        PyErr_Print();
        std::abort();
    }
    return {module, old};
}

std::string printable(const std::u32string &text) {
    std::string out;
    char buffer[16];
    for (char32_t c : text) {
        std::snprintf(buffer, sizeof buffer, "%s%04X", out.empty() ? "" : " ", static_cast<unsigned>(c));
        out += buffer;
    }
    return out;
}

}  // namespace

const Databases &databases() {
    static const Databases instance = import_charlore();
    return instance;
}

std::string ucd_directory() {
    const char *configured = std::getenv("CHARLORE_UCD");
    return configured != nullptr ? configured : CHARLORE_UCD_DIRECTORY;
}

PyObject *call(PyObject *database, const char *query, std::initializer_list<PyObject *> arguments,
               PyObject **error) {
    PyObject *tuple = PyTuple_New(static_cast<Py_ssize_t>(arguments.size()));
    if (tuple == nullptr) std::abort();
    Py_ssize_t i = 0;
    for (PyObject *argument : arguments) {
        if (argument == nullptr) std::abort();
        PyTuple_SET_ITEM(tuple, i++, argument);
    }
    PyObject *function = PyObject_GetAttrString(database, query);
    if (function == nullptr) std::abort();
    PyObject *result = PyObject_Call(function, tuple, nullptr);
    Py_DECREF(function);
    Py_DECREF(tuple);
    if (result == nullptr) {
        PyObject *type = PyErr_Occurred();
        if (error != nullptr) *error = type;
        PyErr_Clear();
    }
    return result;
}

std::u32string code_points(PyObject *str) {
    std::u32string text;
    const Py_ssize_t length = PyUnicode_GET_LENGTH(str);
    for (Py_ssize_t i = 0; i < length; ++i) text += static_cast<char32_t>(PyUnicode_READ_CHAR(str, i));
    return text;
}

std::u32string text_of(const uint8_t *data, size_t size, const std::vector<char32_t> &pool) {
    std::u32string text;
    size_t i = 0;
    while (i < size) {
        const uint8_t b = data[i++];
        if (b < 0x80) {
            text += b;
        } else if (b < 0xF0) {
            const size_t pick = ((b & 0x7Fu) << 8) | (i < size ? data[i++] : 0);
            text += pool[pick % pool.size()];
        } else {
            uint32_t value = 0;
            for (int k = 0; k < 3; ++k) value = (value << 8) | (i < size ? data[i++] : 0);
            text += static_cast<char32_t>(value % 0x110000);
        }
    }
    return text;
}

PyObject *new_str(const std::u32string &text) {
    PyObject *str = PyUnicode_FromKindAndData(PyUnicode_4BYTE_KIND, text.data(), static_cast<Py_ssize_t>(text.size()));
    if (str == nullptr) std::abort();
    return str;
}

void broken(const std::string &property, const std::u32string &text) {
    std::fprintf(stderr, "broken: %s\n  text: %s\n", property.c_str(), printable(text).c_str());
    std::abort();
}

void broken(const std::string &property, std::string_view bytes) {
    std::u32string text(bytes.begin(), bytes.end());
    for (char32_t &c : text) c &= 0xFF;
    broken(property + " (bytes)", text);
}

}  // namespace fuzz
