// code_points(name, value): every code point whose property has the value, as merged
// (first, last) ranges. Each distinct stage-2 block is classified once (all, none or
// some of its code points match), so a query walks the stage-1 index, not 0x110000
// lookups; only the mixed blocks are read code point by code point.
#include <cmath>
#include <cstring>
#include <iterator>
#include <vector>

#include "../database.h"
#include "../generated/property_values_tables.h"
#include "property.h"

namespace charlore::properties {

using namespace property_values;

namespace {

constexpr uint32_t CODE_POINT_END = 0x110000;

// Appends [first, last] to ranges, merging it with the last one where they touch.
void add_range(std::vector<std::pair<uint32_t, uint32_t>> &ranges, uint32_t first, uint32_t last) {
    if (!ranges.empty() && ranges.back().second + 1 == first) ranges.back().second = last;
    else ranges.emplace_back(first, last);
}

// The ranges of code points whose record number r has matches[r], for a two-stage index
// of blocks of 1 << shift.
template <class Stage1, class Stage2>
std::vector<std::pair<uint32_t, uint32_t>> matching_ranges(const Stage1 *stage1, size_t stage1_size, const Stage2 *stage2,
                                                           size_t stage2_size, int shift,
                                                           const std::vector<bool> &matches) {
    const uint32_t size = 1u << shift;
    const size_t blocks = stage2_size >> shift;
    enum : uint8_t { NONE, ALL, SOME };
    std::vector<uint8_t> block_kind(blocks);
    for (size_t b = 0; b < blocks; ++b) {
        size_t hits = 0;
        for (uint32_t i = 0; i < size; ++i) hits += matches[stage2[(b << shift) + i]];
        block_kind[b] = hits == 0 ? NONE : hits == size ? ALL : SOME;
    }
    std::vector<std::pair<uint32_t, uint32_t>> ranges;
    for (size_t s = 0; s < stage1_size; ++s) {
        const uint32_t start = static_cast<uint32_t>(s) << shift, block = stage1[s];
        switch (block_kind[block]) {
        case NONE:
            break;
        case ALL:
            add_range(ranges, start, start + size - 1);
            break;
        default:
            for (uint32_t i = 0; i < size; ++i)
                if (matches[stage2[(block << shift) + i]]) add_range(ranges, start + i, start + i);
        }
    }
    return ranges;
}

// The stored value a value name of property p stands for; -1 when it names none (or, with
// an exception set, when the str cannot be read).
long named_value(const PropertyInfo &p, PyObject *value) {
    char buffer[key_hash::KEY_LIMIT];
    std::string_view key;
    if (!PyUnicode_Check(value)) return -1;
#if PY_VERSION_HEX < 0x030C0000
    if (PyUnicode_READY(value) < 0) return -1;
#endif
    if (!loose_key(value, buffer, key)) return -1;
    // The first of p's keys (sorted) not less than key.
    size_t low = p.first_key, high = low + p.key_count;
    while (low < high) {
        const size_t middle = low + (high - low) / 2;
        if (table_string(value_keys_text, value_keys_start, middle) < key)
            low = middle + 1;
        else
            high = middle;
    }
    if (low == size_t{p.first_key} + p.key_count || table_string(value_keys_text, value_keys_start, low) != key)
        return -1;
    return value_of_key[low];
}

// General_Category's groups: "LC" stands for Lu, Ll and Lt; a one-letter value for every
// two-letter value it begins.
bool in_category_group(const char *group, const char *value) {
    if (std::strcmp(group, "LC") == 0)
        return std::strcmp(value, "Lu") == 0 || std::strcmp(value, "Ll") == 0 || std::strcmp(value, "Lt") == 0;
    if (group[1] == '\0') return value[0] == group[0] && value[1] != '\0';
    return std::strcmp(group, value) == 0;
}

// Which stored values (bytes of the records) the value argument selects; empty when it
// selects none of p's values.
std::vector<bool> selected_values(const PropertyInfo &p, PyObject *value) {
    std::vector<bool> selected(256, false);
    if (p.kind == KIND_BINARY) {
        long v = PyBool_Check(value) ? (value == Py_True) : named_value(p, value);
        if (v < 0) return {};
        selected[static_cast<size_t>(v)] = true;
        return selected;
    }
    if (p.kind == KIND_NUMERIC) {
        double number;
        if (PyLong_Check(value) || PyFloat_Check(value)) {
            if (PyBool_Check(value)) return {};
            number = PyFloat_AsDouble(value);
            if (number == -1.0 && PyErr_Occurred()) {
                PyErr_Clear();  // too large for a double: no character has it
                return {};
            }
        } else if (PyUnicode_Check(value)) {
            PyObject *parsed = PyFloat_FromString(value);
            if (parsed == nullptr) {
                PyErr_Clear();
                return {};
            }
            number = PyFloat_AS_DOUBLE(parsed);
            Py_DECREF(parsed);
        } else {
            return {};
        }
        bool any = false;
        for (size_t i = 0; i < std::size(numeric_values); ++i)
            if (i == 0 ? std::isnan(number) : numeric_values[i] == number) selected[i] = any = true;
        return any ? selected : std::vector<bool>{};
    }
    long v = -1;
    if (p.kind == KIND_COMBINING_CLASS && PyLong_Check(value) && !PyBool_Check(value)) {
        int overflow;
        v = PyLong_AsLongAndOverflow(value, &overflow);
        if (overflow || v < 0 || v > 255) return {};
        // only the classes PropertyValueAliases.txt names
        bool named = false;
        for (uint16_t k = 0; k < p.key_count; ++k) named |= value_of_key[p.first_key + k] == v;
        if (!named) return {};
    } else {
        v = named_value(p, value);
    }
    if (v < 0) return {};
    if (p.kind == KIND_ENUMERATED && std::strcmp(p.name, "General_Category") == 0) {
        for (uint16_t i = 0; i < p.value_count; ++i)
            if (in_category_group(value_names_text + value_names_start[p.first_value + v],
                                  value_names_text + value_names_start[p.first_value + i]))
                selected[i] = true;
    } else {
        if (static_cast<size_t>(v) >= selected.size()) selected.resize(static_cast<size_t>(v) + 1, false);
        selected[static_cast<size_t>(v)] = true;
    }
    return selected;
}

PyObject *ranges_tuple(const std::vector<std::pair<uint32_t, uint32_t>> &ranges) {
    PyObject *tuple = PyTuple_New(static_cast<Py_ssize_t>(ranges.size()));
    if (tuple == nullptr) return nullptr;
    for (size_t i = 0; i < ranges.size(); ++i) {
        PyObject *pair = Py_BuildValue("(kk)", static_cast<unsigned long>(ranges[i].first),
                                       static_cast<unsigned long>(ranges[i].second));
        if (pair == nullptr) {
            Py_DECREF(tuple);
            return nullptr;
        }
        PyTuple_SET_ITEM(tuple, static_cast<Py_ssize_t>(i), pair);
    }
    return tuple;
}

PyObject *unknown_value(PyObject *name, PyObject *value) {
    PyErr_Format(PyExc_ValueError, "unknown value '%S' of property '%U'", value, name);
    return nullptr;
}

}  // namespace

const char code_points_doc[] =
    "code_points($module, name, value, /)\n--\n\n"
    "Returns every code point whose property name has the value, as a tuple of\n"
    "(first, last) ranges, inclusive, in order, adjacent ranges merged.\n\n"
    "name is matched as by property(); value is any alias of one of its values,\n"
    "compared without regard to case, spaces, underscores, hyphens and an initial\n"
    "'is' (True or False for a binary property, a number for Numeric_Value).\n"
    "ValueError is raised for an unknown property or value, and for a property whose\n"
    "values are strings, such as Uppercase_Mapping or Name.";

PyObject *query_code_points(PyObject *, PyObject *const *arguments, Py_ssize_t count) {
    if (count != 2) {
        PyErr_Format(PyExc_TypeError, "code_points expected 2 arguments, got %zd", count);
        return nullptr;
    }
    const int number = property_number(arguments[0], "code_points");
    if (number < 0) return nullptr;
    const PropertyInfo &p = property_info[number];
    if (p.kind >= KIND_FULL_CASE) {  // strings and tuples of them: nothing to enumerate
        PyErr_Format(PyExc_ValueError, "property '%U' has no enumerable values", arguments[0]);
        return nullptr;
    }
    std::vector<bool> selected;
    try {
        selected = selected_values(p, arguments[1]);
        if (PyErr_Occurred()) return nullptr;
        if (selected.empty()) return unknown_value(arguments[0], arguments[1]);
        std::vector<std::pair<uint32_t, uint32_t>> ranges;
        if (p.kind == KIND_SCRIPT || p.kind == KIND_BLOCK || p.kind == KIND_AGE) {
            std::vector<bool> matches(std::size(character_records));
            for (size_t r = 0; r < matches.size(); ++r) {
                const CharacterRecord &c = character_records[r];
                const unsigned v = p.kind == KIND_SCRIPT ? c.script : p.kind == KIND_BLOCK ? c.block : c.age;
                matches[r] = v < selected.size() && selected[v];
            }
            ranges = matching_ranges(character_stage1, std::size(character_stage1), character_stage2,
                                     std::size(character_stage2), CHARACTER_SHIFT, matches);
        } else {
            const RecordTable &t = record_tables[p.table];
            const size_t records = table_record_counts[p.table];
            std::vector<bool> matches(records);
            for (size_t r = 0; r < records; ++r) {
                uint8_t byte = t.records[r * static_cast<size_t>(t.width) + p.column];
                if (p.kind == KIND_BINARY) byte = (byte >> p.bit) & 1;
                matches[r] = selected[byte];
            }
            ranges = matching_ranges(t.stage1, CODE_POINT_END >> t.shift, t.stage2, table_stage2_sizes[p.table],
                                     t.shift, matches);
        }
        return ranges_tuple(ranges);
    } catch (const std::bad_alloc &) {
        return PyErr_NoMemory();
    }
}

}  // namespace charlore::properties
