// Fuzz target: graphemes, words, sentences, line_breaks and width on any text, lone
// surrogates included. Checks that the pieces are non-empty and join back to the text,
// that line-break offsets rise strictly and end with the end of the text, mandatory, and
// that width is the sum of the widths of the graphemes.
#include <cstdint>
#include <string>
#include <vector>

#include "harness.h"
#include "segmentation/classes.h"

namespace {

// One code point of every distinct break record, so that short inputs reach every class
// of every algorithm.
const std::vector<char32_t> &pool() {
    static const std::vector<char32_t> codes = [] {
        std::vector<char32_t> found;
        std::vector<bool> seen(std::size(charlore::segmentation::break_records), false);
        for (uint32_t cp = 0; cp < 0x110000; ++cp) {
            const auto *r = &charlore::segmentation::break_record(cp);
            const size_t index = static_cast<size_t>(r - charlore::segmentation::break_records);
            if (!seen[index]) {
                seen[index] = true;
                found.push_back(cp);
            }
        }
        for (char32_t cp : {0x200D, 0xFE0F, 0x25CC, 0x094D, 0x0915, 0x1F1E6, 0x1F3FB, 0xD800, 0xDFFF})
            found.push_back(cp);
        return found;
    }();
    return codes;
}

// The pieces of a query that cuts text; checks them on the way.
std::vector<std::u32string> pieces(PyObject *module, const char *query, const std::u32string &text) {
    PyObject *list = fuzz::call(module, query, {fuzz::new_str(text)});
    if (list == nullptr || !PyList_CheckExact(list)) fuzz::broken(std::string(query) + " gives a list", text);
    std::vector<std::u32string> out;
    std::u32string joined;
    for (Py_ssize_t i = 0; i < PyList_GET_SIZE(list); ++i) {
        PyObject *piece = PyList_GET_ITEM(list, i);
        if (!PyUnicode_CheckExact(piece) || PyUnicode_GET_LENGTH(piece) == 0)
            fuzz::broken(std::string(query) + " gives non-empty str pieces", text);
        out.push_back(fuzz::code_points(piece));
        joined += out.back();
    }
    Py_DECREF(list);
    if (joined != text) fuzz::broken(std::string(query) + ": the pieces join to the text", text);
    return out;
}

long width_of(PyObject *module, const std::u32string &text) {
    PyObject *result = fuzz::call(module, "width", {fuzz::new_str(text)});
    if (result == nullptr || !PyLong_CheckExact(result)) fuzz::broken("width gives an int", text);
    const long w = PyLong_AsLong(result);
    Py_DECREF(result);
    return w;
}

void check_line_breaks(PyObject *module, const std::u32string &text) {
    PyObject *list = fuzz::call(module, "line_breaks", {fuzz::new_str(text)});
    if (list == nullptr || !PyList_CheckExact(list)) fuzz::broken("line_breaks gives a list", text);
    const Py_ssize_t n = PyList_GET_SIZE(list);
    if ((n == 0) != text.empty()) fuzz::broken("line_breaks is empty exactly for empty text", text);
    Py_ssize_t previous = 0;
    for (Py_ssize_t i = 0; i < n; ++i) {
        PyObject *pair = PyList_GET_ITEM(list, i);
        if (!PyTuple_CheckExact(pair) || PyTuple_GET_SIZE(pair) != 2 || !PyBool_Check(PyTuple_GET_ITEM(pair, 1)))
            fuzz::broken("line_breaks gives (int, bool) pairs", text);
        const Py_ssize_t offset = PyLong_AsSsize_t(PyTuple_GET_ITEM(pair, 0));
        if (offset <= previous || offset > static_cast<Py_ssize_t>(text.size()))
            fuzz::broken("line-break offsets rise strictly within the text", text);
        previous = offset;
        if (i == n - 1 && (offset != static_cast<Py_ssize_t>(text.size()) || PyTuple_GET_ITEM(pair, 1) != Py_True))
            fuzz::broken("the last line break is the end of the text, mandatory", text);
    }
    Py_DECREF(list);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    PyObject *module = fuzz::databases().module;
    const std::u32string text = fuzz::text_of(data, size, pool());
    const std::vector<std::u32string> clusters = pieces(module, "graphemes", text);
    pieces(module, "words", text);
    pieces(module, "sentences", text);
    check_line_breaks(module, text);
    long sum = 0;
    for (const std::u32string &cluster : clusters) sum += width_of(module, cluster);
    if (width_of(module, text) != sum) fuzz::broken("width is the sum over the graphemes", text);
    return 0;
}
