// Fuzz target: decomposition and name of any code point on both database objects, and
// its script, script extensions, block, age and every property on the module. Checks the decomposition
// text against UnicodeData.txt (and the Hangul arithmetic), the stored names against
// UnicodeData.txt, that every name found leads back to its character through lookup on
// the same object, and that a character of UnicodeData.txt has an age. The bytes after
// the first four are a property name: it names the property whose alias in
// PropertyAliases.txt it matches loosely, and is refused with ValueError otherwise.
#include <cstdint>
#include <cstdio>
#include <map>
#include <optional>
#include <string>
#include <utility>

#include "harness.h"
#include "ucd_file.h"
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

// A name as loose matching compares it: ASCII letters in lower case, ASCII blanks,
// underscores and hyphens dropped, then an initial "is" unless it is all that is left;
// nothing for a name with NUL or a character beyond ASCII, which no alias holds.
std::optional<std::string> reference_key(const std::u32string &name) {
    std::string key;
    for (char32_t c : name) {
        if (c == 0 || c >= 0x80) return std::nullopt;
        if (c == ' ' || (c >= '\t' && c <= '\r') || c == '_' || c == '-') continue;
        key += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    }
    if (key.size() > 2 && key.compare(0, 2, "is") == 0) key.erase(0, 2);
    return key;
}

// Every alias of the properties the module answers, by its key: the property's long name.
const std::map<std::string, std::string> &aliases_by_key() {
    static const std::map<std::string, std::string> aliases = [] {
        std::map<std::string, std::string> found;
        PyObject *names = PyObject_GetAttrString(fuzz::databases().module, "_property_names");
        if (names == nullptr) std::abort();
        const gen::UcdFile file(fuzz::ucd_directory() + "/PropertyAliases.txt");
        for (const gen::Line &line : file.lines(2)) {
            const std::string long_name(line.fields[1]);
            PyObject *name = PyUnicode_FromString(long_name.c_str());
            const int answered = PySequence_Contains(names, name);
            Py_DECREF(name);
            if (answered != 1) continue;
            for (std::string_view alias : line.fields)
                found[*reference_key(std::u32string(alias.begin(), alias.end()))] = long_name;
        }
        Py_DECREF(names);
        return found;
    }();
    return aliases;
}

// property(name, c) answers as property(long name, c) where the name matches an alias
// loosely, and raises ValueError where it matches none.
void check_property_name(const std::u32string &name, const std::u32string &ch) {
    PyObject *module = fuzz::databases().module, *error = nullptr;
    PyObject *value = fuzz::call(module, "property", {fuzz::new_str(name), fuzz::new_str(ch)}, &error);
    const std::optional<std::string> key = reference_key(name);
    const auto alias = key ? aliases_by_key().find(*key) : aliases_by_key().end();
    if (alias == aliases_by_key().end()) {
        if (value != nullptr || error != PyExc_ValueError) fuzz::broken("an unknown property name is ValueError", name);
        return;
    }
    if (value == nullptr) fuzz::broken("a name matching an alias loosely is answered", name);
    PyObject *by_long_name = fuzz::call(module, "property", {PyUnicode_FromString(alias->second.c_str()), fuzz::new_str(ch)});
    if (by_long_name == nullptr || Py_TYPE(value) != Py_TYPE(by_long_name) ||
        PyObject_RichCompareBool(value, by_long_name, Py_EQ) != 1)
        fuzz::broken("a loosely matching name answers as the long name", name);
    Py_DECREF(value);
    Py_DECREF(by_long_name);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    uint32_t value = 0;
    for (size_t i = 0; i < size && i < 4; ++i) value |= uint32_t{data[i]} << (8 * i);
    const char32_t cp = value % 0x110000;
    check(fuzz::databases().module, true, cp);
    check(fuzz::databases().old, false, cp);
    check_properties(cp);
    // Characters beyond ASCII that a loose comparison could be tempted to fold or drop.
    static const std::vector<char32_t> lookalikes = {U'\u0130', U'\u212A', U'\u00A0', U'\u017F', U'\u3000'};
    if (size > 4) check_property_name(fuzz::text_of(data + 4, size - 4, lookalikes), std::u32string(1, cp));
    return 0;
}
