// The values of the String and Miscellaneous properties. Full case mappings come from
// the character type tables, decomposition mappings from the normalization tables, names
// and aliases from the name tables; the rest from the sorted ranges of mapping_tables.h.
#include <algorithm>
#include <iterator>

#include "charlore.h"
#include "../generated/mapping_tables.h"
#include "../names.h"
#include "../normalize.h"
#include "../normalize_support.h"
#include "property.h"

namespace charlore::properties {

using namespace mappings;

namespace {

static_assert(MAPPING_LONGEST < 256, "a mapping's length is kept in a byte");

// The range value of cp in table t (and its fallbacks), or -1 when none lists it.
int64_t range_value(int table, uint32_t cp) {
    while (table >= 0) {
        const MappingTable &t = mapping_tables[table];
        const uint32_t *first = range_firsts + t.first, *end = first + t.count;
        const uint32_t *after = std::upper_bound(first, end, cp);
        if (after != first && range_lasts[after - 1 - range_firsts] >= cp) return range_values[after - 1 - range_firsts];
        table = t.fallback;
    }
    return -1;
}

PyObject *code_points_str(const uint32_t *code_points, size_t count) {
    return PyUnicode_FromKindAndData(PyUnicode_4BYTE_KIND, code_points, static_cast<Py_ssize_t>(count));
}

PyObject *single_str(uint32_t cp) { return code_points_str(&cp, 1); }

// A property of the mapping tables: the listed value, else the table's default.
PyObject *mapped_value(int table, uint32_t cp) {
    const int64_t value = range_value(table, cp);
    const MappingTable &t = mapping_tables[table];
    if (value < 0) {
        if (t.missing == MISSING_NONE) Py_RETURN_NONE;
        if (t.missing == MISSING_EMPTY) return PyUnicode_New(0, 0);
        return single_str(cp);
    }
    const uint32_t offset = static_cast<uint32_t>(value) & 0xFFFFFF, length = static_cast<uint32_t>(value) >> 24;
    if (t.text) return PyUnicode_FromStringAndSize(mapping_text + offset, length);
    return code_points_str(mapping_code_points + offset, length);
}

// Full mappings: column 0 uppercase, 1 lowercase, 2 titlecase, 3 case folding.
int full_case(int column, uint32_t cp, Py_UCS4 *out) {
    switch (column) {
    case 0: return _PyCharlore_ToUpperFull(cp, out);
    case 1: return _PyCharlore_ToLowerFull(cp, out);
    case 2: return _PyCharlore_ToTitleFull(cp, out);
    default: return _PyCharlore_ToFoldedFull(cp, out);
    }
}

PyObject *decomposition_mapping(uint32_t cp) {
    uint32_t jamo[3];
    if (normalization::is_hangul_syllable(cp)) return code_points_str(jamo, normalization::hangul_jamo(cp, jamo));
    const uint32_t record = lookup_decomposition_record(cp);
    const uint32_t count = decomposition_words[record] >> 8;
    if (count == 0) return single_str(cp);
    return code_points_str(decomposition_words + record + 1, count);
}

PyObject *name_value(PyObject *module, uint32_t cp) {
    char buffer[NAME_LIMIT + 1];
    if (!code_point_name(module, cp, buffer, false)) Py_RETURN_NONE;
    return PyUnicode_FromString(buffer);
}

// The aliases of NameAliases.txt are stored as the names of private code points, one
// after another in file order.
PyObject *name_aliases(PyObject *module, uint32_t cp) {
    const uint32_t *targets = name_tables.alias_targets, *end = targets + name_tables.alias_count;
    const Py_ssize_t count = std::count(targets, end, cp);
    PyObject *tuple = PyTuple_New(count);
    Py_ssize_t i = 0;
    char buffer[NAME_LIMIT + 1];
    for (const uint32_t *t = targets; tuple != nullptr && t != end; ++t) {
        if (*t != cp) continue;
        const uint32_t alias = ALIAS_BASE + static_cast<uint32_t>(t - targets);
        PyObject *text = code_point_name(module, alias, buffer, true) ? PyUnicode_FromString(buffer) : nullptr;
        if (text == nullptr) {
            if (!PyErr_Occurred()) PyErr_SetString(PyExc_SystemError, "a name alias without its text");
            Py_CLEAR(tuple);
            break;
        }
        PyTuple_SET_ITEM(tuple, i++, text);
    }
    return tuple;
}

}  // namespace

PyObject *script_extension_tuple(uint32_t cp) {
    const unsigned list = record_of(cp).extensions;
    const unsigned first = script_extension_starts[list], end = script_extension_starts[list + 1];
    PyObject *tuple = PyTuple_New(static_cast<Py_ssize_t>(end - first));
    if (tuple == nullptr) return nullptr;
    for (unsigned i = first; i < end; ++i)
        PyTuple_SET_ITEM(tuple, i - first, Py_NewRef(script_strings[script_extension_members[i]]));
    return tuple;
}

PyObject *string_property_value(PyObject *module, const property_values::PropertyInfo &p, uint32_t cp) {
    using namespace property_values;
    Py_UCS4 full[FULL_MAPPING_MAX];
    switch (p.kind) {
    case KIND_FULL_CASE:
        return code_points_str(full, static_cast<size_t>(full_case(p.column, cp, full)));
    case KIND_SIMPLE_CASE:
        // Where the simple mapping differs from the full one's first code point, the
        // mapping table lists it.
        if (range_value(p.column, cp) >= 0) return mapped_value(p.column, cp);
        full_case(p.bit, cp, full);
        return single_str(full[0]);
    case KIND_DECOMPOSITION:
        return decomposition_mapping(cp);
    case KIND_MAPPING:
    case KIND_TEXT:
        return mapped_value(p.column, cp);
    case KIND_NAME:
        return name_value(module, cp);
    case KIND_NAME_ALIAS:
        return name_aliases(module, cp);
    case KIND_SCRIPT_EXTENSIONS:
        return script_extension_tuple(cp);
    default:
        PyErr_SetString(PyExc_SystemError, "property of an unknown kind");
        return nullptr;
    }
}

}  // namespace charlore::properties
