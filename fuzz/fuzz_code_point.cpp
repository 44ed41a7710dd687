// Fuzz target: decomposition and name of any code point on both database objects, and
// its script, script extensions, block, age and every property on the module. Checks the decomposition
// text against UnicodeData.txt (and the Hangul arithmetic), the stored names against
// UnicodeData.txt, that every name found leads back to its character through lookup on
// the same object, and that a character of UnicodeData.txt has an age.
#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>

#include "harness.h"
#include "unicode_data.h"

namespace {

const gen::UnicodeData &current_data() {
    static const gen::UnicodeData data(fuzz::ucd_directory() + "/UnicodeData.txt");
    return data;
}

const gen::UnicodeData &data_3_2_0() {
    static const gen::UnicodeData data(fuzz::ucd_directory() + "/../3.2.0/UnicodeData.txt");
    return data;
}

// The decomposition text of UnicodeData.txt field 5, upper-case hexadecimal with at least
// four digits; Hangul syllables by arithmetic.
std::string expected_decomposition(char32_t cp) {
    char buffer[64];
    if (cp >= 0xAC00 && cp <= 0xD7A3) {
        const unsigned s = cp - 0xAC00, t = s % 28;
        if (t == 0) std::snprintf(buffer, sizeof buffer, "%04X %04X", 0x1100 + s / 588, 0x1161 + (s % 588) / 28);
        else std::snprintf(buffer, sizeof buffer, "%04X %04X %04X", 0x1100 + s / 588, 0x1161 + (s % 588) / 28, 0x11A7 + t);
        return buffer;
    }
    const gen::UnicodeDataEntry *entry = current_data().find(cp);
    if (entry == nullptr) return "";
    std::string text;
    size_t start = 0;
    const std::string &field = entry->decomposition;
    while (start < field.size()) {
        size_t end = field.find(' ', start);
        if (end == std::string::npos) end = field.size();
        std::string item = field.substr(start, end - start);
        if (item[0] != '<') {
            std::snprintf(buffer, sizeof buffer, "%04X", static_cast<unsigned>(std::stoul(item, nullptr, 16)));
            item = buffer;
        }
        text += (text.empty() ? "" : " ") + item;
        start = end + 1;
    }
    return text;
}

std::string utf8(PyObject *str) {
    const char *text = PyUnicode_AsUTF8(str);
    if (text == nullptr) std::abort();
    return text;
}

void check(PyObject *database, bool module, char32_t cp) {
    const std::u32string ch(1, cp);
    PyObject *decomposition = fuzz::call(database, "decomposition", {fuzz::new_str(ch)});
    if (decomposition == nullptr) fuzz::broken("decomposition answers", ch);
    const bool known = module || data_3_2_0().find(cp) != nullptr;
    if (utf8(decomposition) != (known ? expected_decomposition(cp) : ""))
        fuzz::broken("decomposition is the UnicodeData mapping", ch);
    Py_DECREF(decomposition);

    PyObject *name = fuzz::call(database, "name", {fuzz::new_str(ch), Py_NewRef(Py_None)});
    if (name == nullptr) fuzz::broken("name with a default answers", ch);
    const gen::UnicodeDataEntry *entry = current_data().find(cp);
    const bool stored = entry != nullptr && entry->name[0] != '<' && entry->code_point == entry->last;
    if (name == Py_None) {
        if (module && stored) fuzz::broken("a character with a name in UnicodeData has it", ch);
        Py_DECREF(name);
        return;
    }
    if (module && stored && utf8(name) != entry->name) fuzz::broken("name is the UnicodeData name", ch);
    PyObject *found = fuzz::call(database, "lookup", {Py_NewRef(name)});
    if (found == nullptr || fuzz::code_points(found) != ch) fuzz::broken("lookup(name(c)) = c", ch);
    Py_DECREF(found);
    Py_DECREF(name);
}

// property answers every property of _property_names, and agrees with the single queries
// that answer the same property.
void check_every_property(PyObject *module, const std::u32string &ch) {
    PyObject *names = PyObject_GetAttrString(module, "_property_names");
    if (names == nullptr || !PyTuple_Check(names)) fuzz::broken("_property_names is a tuple", ch);
    for (Py_ssize_t i = 0; i < PyTuple_GET_SIZE(names); ++i) {
        PyObject *value = fuzz::call(module, "property", {Py_NewRef(PyTuple_GET_ITEM(names, i)), fuzz::new_str(ch)});
        if (value == nullptr) fuzz::broken("property answers " + utf8(PyTuple_GET_ITEM(names, i)), ch);
        Py_DECREF(value);
    }
    Py_DECREF(names);
    for (auto [name, query] : {std::pair{"General_Category", "category"}, {"ccc", "combining"}, {"sc", "script"},
                               {"age", "age"}, {"scx", "script_extensions"}}) {
        PyObject *by_name = fuzz::call(module, "property", {PyUnicode_FromString(name), fuzz::new_str(ch)});
        PyObject *single = fuzz::call(module, query, {fuzz::new_str(ch)});
        if (by_name == nullptr || single == nullptr || PyObject_RichCompareBool(by_name, single, Py_EQ) != 1)
            fuzz::broken(std::string("property agrees with ") + query, ch);
        Py_DECREF(by_name);
        Py_DECREF(single);
    }
    // Name as name(c, None) gives it
    PyObject *by_name = fuzz::call(module, "property", {PyUnicode_FromString("na"), fuzz::new_str(ch)});
    PyObject *single = fuzz::call(module, "name", {fuzz::new_str(ch), Py_NewRef(Py_None)});
    if (by_name == nullptr || single == nullptr || PyObject_RichCompareBool(by_name, single, Py_EQ) != 1)
        fuzz::broken("property agrees with name", ch);
    Py_DECREF(by_name);
    Py_DECREF(single);
}

// script, block and age give a non-empty str, script_extensions a non-empty tuple of
// four-letter codes; a character UnicodeData.txt lists has an age other than "NA".
void check_properties(char32_t cp) {
    const std::u32string ch(1, cp);
    PyObject *module = fuzz::databases().module;
    for (const char *query : {"script", "block", "age"}) {
        PyObject *value = fuzz::call(module, query, {fuzz::new_str(ch)});
        if (value == nullptr || !PyUnicode_Check(value) || PyUnicode_GET_LENGTH(value) == 0)
            fuzz::broken(std::string(query) + " answers a str", ch);
        if (std::string(query) == "age" && current_data().find(cp) != nullptr && utf8(value) == "NA")
            fuzz::broken("a character of UnicodeData has an age", ch);
        Py_DECREF(value);
    }
    PyObject *extensions = fuzz::call(module, "script_extensions", {fuzz::new_str(ch)});
    if (extensions == nullptr || !PyTuple_Check(extensions) || PyTuple_GET_SIZE(extensions) == 0)
        fuzz::broken("script_extensions answers a non-empty tuple", ch);
    for (Py_ssize_t i = 0; i < PyTuple_GET_SIZE(extensions); ++i)
        if (utf8(PyTuple_GET_ITEM(extensions, i)).size() != 4) fuzz::broken("script codes have four letters", ch);
    Py_DECREF(extensions);
    check_every_property(module, ch);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    uint32_t value = 0;
    for (size_t i = 0; i < size && i < 4; ++i) value |= uint32_t{data[i]} << (8 * i);
    const char32_t cp = value % 0x110000;
    check(fuzz::databases().module, true, cp);
    check(fuzz::databases().old, false, cp);
    check_properties(cp);
    return 0;
}
