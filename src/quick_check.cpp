// quick_check_passes over each storage kind of a str, and the check by property records
// that it shortens.
#include "normalize.h"
#include "quick_check.h"

namespace charlore {

using namespace normalization;

namespace {

template <typename Char>
bool quick_check_run(const Char *text, Py_ssize_t n, int form, uint16_t fails) {
    Py_ssize_t boundary;
    return first_failure(text, 0, n, form, fails, boundary) == n;
}

}  // namespace

bool quick_check_by_records(PyObject *string, uint8_t mask) {
    StrReader s(string);
    const Py_ssize_t n = PyUnicode_GET_LENGTH(string);
    unsigned last_class = 0;
    for (Py_ssize_t i = 0; i < n; ++i) {
        const PropertyRecord &record = lookup_property_record(s[i]);
        if (record.quick_check & mask) return false;
        unsigned cls = record.combining;
        if (cls != 0 && last_class > cls) return false;
        last_class = cls;
    }
    return true;
}

bool quick_check_passes(PyObject *string, uint8_t mask) {
    const int form = __builtin_ctz(mask) / 2;
    const uint16_t fails = static_cast<uint16_t>(INFO_QUICK_CHECK_FAILS << form);
    const Py_ssize_t n = PyUnicode_GET_LENGTH(string);
    switch (PyUnicode_KIND(string)) {
    case PyUnicode_1BYTE_KIND:
        // Where no Latin-1 character stops the scan, a string of this kind passes as a whole.
        if (LATIN1_STOPS[form].first > 0xFF) return true;
        return quick_check_run(PyUnicode_1BYTE_DATA(string), n, form, fails);
    case PyUnicode_2BYTE_KIND:
        return quick_check_run(PyUnicode_2BYTE_DATA(string), n, form, fails);
    default:
        return quick_check_run(PyUnicode_4BYTE_DATA(string), n, form, fails);
    }
}

}  // namespace charlore
