// Fuzz target: lookup on both database objects with any bytes. Checks that a refusal is
// always KeyError ("name too long" exactly for more than 256 bytes), that letter case
// does not matter, and that an accepted name is the upper-cased argument: the name of the
// result, or one of its aliases or the name of its named sequence (the latter two only
// on the module).
#include <cstdint>
#include <map>
#include <string>

#include "harness.h"
#include "ucd_file.h"

namespace {

struct Names {
    std::multimap<std::string, std::u32string> aliases;  // alias -> its character
    std::map<std::string, std::u32string> sequences;     // sequence name -> its text
};

const Names &names() {
    static const Names loaded = [] {
        Names n;
        const std::string directory = fuzz::ucd_directory();
        // The files outlive their lines, which point into them.
        const gen::UcdFile aliases(directory + "/NameAliases.txt"), sequences(directory + "/NamedSequences.txt");
        for (const gen::Line &line : aliases.lines(3))
            n.aliases.emplace(std::string(line.fields[1]), std::u32string(1, line.code_point(0)));
        for (const gen::Line &line : sequences.lines(2)) {
            std::u32string text;
            for (uint32_t cp : line.code_points(1)) text += static_cast<char32_t>(cp);
            n.sequences.emplace(std::string(line.fields[0]), text);
        }
        return n;
    }();
    return loaded;
}

std::string ascii_upper(std::string_view bytes) {
    std::string out(bytes);
    for (char &c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return out;
}

std::string ascii_lower(std::string_view bytes) {
    std::string out(bytes);
    for (char &c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

// lookup(bytes) on a database: the result's code points, or false with the exception type.
bool looked_up(PyObject *database, std::string_view bytes, std::u32string &result, PyObject **error) {
    PyObject *argument = PyBytes_FromStringAndSize(bytes.data(), static_cast<Py_ssize_t>(bytes.size()));
    PyObject *found = fuzz::call(database, "lookup", {argument}, error);
    if (found == nullptr) return false;
    result = fuzz::code_points(found);
    Py_DECREF(found);
    return true;
}

// The module's name of a one-character text, or "" when it has none.
std::string module_name(const std::u32string &text) {
    if (text.size() != 1) return "";
    PyObject *name = fuzz::call(fuzz::databases().module, "name", {fuzz::new_str(text), Py_NewRef(Py_None)});
    if (name == nullptr) fuzz::broken("name with a default never fails", text);
    std::string out = name == Py_None ? "" : PyUnicode_AsUTF8(name);
    Py_DECREF(name);
    return out;
}

bool is_alias_or_sequence(const std::string &name, const std::u32string &result) {
    auto [first, last] = names().aliases.equal_range(name);
    for (auto it = first; it != last; ++it)
        if (it->second == result) return true;
    auto sequence = names().sequences.find(name);
    return sequence != names().sequences.end() && sequence->second == result;
}

void check(PyObject *database, bool module, std::string_view bytes) {
    std::u32string result;
    PyObject *error = nullptr;
    const bool found = looked_up(database, bytes, result, &error);
    if (!found) {
        if (error != PyExc_KeyError) fuzz::broken("lookup refuses with KeyError", bytes);
        return;
    }
    if (bytes.size() > 256) fuzz::broken("more than 256 bytes are refused", bytes);
    const std::string upper = ascii_upper(bytes);
    if (module_name(result) != upper && !(module && is_alias_or_sequence(upper, result)))
        fuzz::broken("an accepted name is the result's name, alias or sequence name", bytes);
    std::u32string again;
    if (!looked_up(database, ascii_lower(bytes), again, nullptr) || again != result)
        fuzz::broken("lookup ignores letter case", bytes);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char *>(data), size);
    check(fuzz::databases().module, true, bytes);
    check(fuzz::databases().old, false, bytes);
    return 0;
}
