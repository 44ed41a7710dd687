// The Python-visible queries decomposition and normalize, and the choice between the
// current database's path and the general path of the 3.2.0 object.
#include "normalize.h"

#include <cstring>

#include "normalize_support.h"

namespace charlore {

using namespace normalization;

namespace {

constexpr size_t TEXT_SIZE = 256;  // the decomposition query's text buffer

struct Form {
    const char *name;
    uint8_t quick_check_mask;
    bool composed;
    bool compatibility;
};

constexpr Form FORMS[] = {
    {"NFC", 0x30, true, false},
    {"NFKC", 0xC0, true, true},
    {"NFD", 0x03, false, false},
    {"NFKD", 0x0C, false, true},
};

}  // namespace

uint16_t normalization_info(uint32_t cp) { return info_of(cp); }

PyObject *decompose_string(PyObject *self, PyObject *string, bool compatibility) {
    if (selected_old_version(self) != nullptr) return decompose_string_general(self, string, compatibility);
    return normalize_current(string, false, compatibility);
}

PyObject *compose_string(PyObject *self, PyObject *string, bool compatibility) {
    if (selected_old_version(self) != nullptr) return compose_string_general(self, string, compatibility);
    return normalize_current(string, true, compatibility);
}

PyObject *query_decomposition(PyObject *self, PyObject *argument) {
    const int code_point = character_argument(argument, "C:decomposition");
    if (code_point < 0) return nullptr;
    const uint32_t cp = static_cast<uint32_t>(code_point);
    if (const UCDObject *old = selected_old_version(self); old != nullptr && old->old_record_lookup(cp)->old_category == 0)
        return PyUnicode_FromString("");
    char text[TEXT_SIZE];
    if (is_hangul_syllable(cp)) {
        uint32_t jamo[3];
        if (hangul_jamo(cp, jamo) == 2) PyOS_snprintf(text, sizeof text, "%04X %04X", jamo[0], jamo[1]);
        else PyOS_snprintf(text, sizeof text, "%04X %04X %04X", jamo[0], jamo[1], jamo[2]);
        return PyUnicode_FromString(text);
    }
    const uint32_t record = lookup_decomposition_record(cp);
    const uint32_t header = decomposition_words[record];
    const char *prefix = decomposition_prefix_names[header & 0xFF];
    size_t length = std::strlen(prefix);
    std::memcpy(text, prefix, length);
    for (uint32_t k = 1; k <= header >> 8; ++k) {
        if (length != 0) text[length++] = ' ';
        int written = PyOS_snprintf(text + length, TEXT_SIZE - length, "%04X", decomposition_words[record + k]);
        length += static_cast<size_t>(written);
    }
    return PyUnicode_FromStringAndSize(text, static_cast<Py_ssize_t>(length));
}

PyObject *query_normalize(PyObject *self, PyObject *arguments) {
    const char *form_name;
    PyObject *input;
    if (!PyArg_ParseTuple(arguments, "sO!:normalize", &form_name, &PyUnicode_Type, &input)) return nullptr;
#if PY_VERSION_HEX < 0x030C0000
    if (PyUnicode_READY(input) < 0) return nullptr;
#endif
    if (PyUnicode_GET_LENGTH(input) == 0) return PyUnicode_FromObject(input);
    for (const Form &form : FORMS) {
        if (std::strcmp(form_name, form.name) != 0) continue;
        // For the current database, compose_string and decompose_string hand back the
        // input when it passes the quick check.
        return form.composed ? compose_string(self, input, form.compatibility)
                             : decompose_string(self, input, form.compatibility);
    }
    PyErr_SetString(PyExc_ValueError, "invalid normalization form");
    return nullptr;
}

}  // namespace charlore
