// The exported character-type functions: predicates, digit values and simple mappings
// from the character type records, full mappings through extended_case_table, and the
// generated switches for numeric values, whitespace and line breaks.
#include "ctype_records.h"

#include <cstring>

#include "charlore.h"
#include "generated/ctype_tables.h"

namespace charlore {
namespace {

static_assert(FULL_MAPPING_MAX == 3, "extended references count at most three code points");

// The record of cp; record 0 (no properties, no mappings) from 0x110000 up.
const CharTypeRecord &lookup_char_type(Py_UCS4 cp) {
    if (cp > 0x10FFFF) return char_type_records[0];
    constexpr Py_UCS4 mask = (1u << CHAR_TYPE_SHIFT) - 1;
    return char_type_records[char_type_stage2[(char_type_stage1[cp >> CHAR_TYPE_SHIFT] << CHAR_TYPE_SHIFT) + (cp & mask)]];
}

int has_flag(Py_UCS4 cp, uint16_t flag) { return (lookup_char_type(cp).flags & flag) != 0; }

// Simple mapping through one mapping field: the first entry of an extended run, else the delta.
Py_UCS4 simple_mapping(Py_UCS4 cp, int32_t CharTypeRecord::*field) {
    const CharTypeRecord &r = lookup_char_type(cp);
    uint32_t word = static_cast<uint32_t>(r.*field);
    if (r.flags & CT_EXTENDED_CASE) return extended_case_table[word & EXTENDED_START_MASK];
    return cp + word;
}

// Full mapping through one mapping field into out; returns the number of code points.
int full_mapping(Py_UCS4 cp, int32_t CharTypeRecord::*field, Py_UCS4 *out) {
    const CharTypeRecord &r = lookup_char_type(cp);
    uint32_t word = static_cast<uint32_t>(r.*field);
    if (!(r.flags & CT_EXTENDED_CASE)) {
        out[0] = cp + word;
        return 1;
    }
    int count = static_cast<int>(word >> EXTENDED_COUNT_SHIFT);
    std::memcpy(out, &extended_case_table[word & EXTENDED_START_MASK], static_cast<size_t>(count) * sizeof(Py_UCS4));
    return count;
}

static_assert(sizeof(Py_UCS4) == sizeof(extended_case_table[0]));

}  // namespace
}  // namespace charlore

using namespace charlore;

extern "C" {

int _PyCharlore_IsAlpha(Py_UCS4 ch) { return has_flag(ch, CT_ALPHA); }
int _PyCharlore_IsDecimalDigit(Py_UCS4 ch) { return has_flag(ch, CT_DECIMAL_DIGIT); }
int _PyCharlore_IsDigit(Py_UCS4 ch) { return has_flag(ch, CT_DIGIT); }
int _PyCharlore_IsNumeric(Py_UCS4 ch) { return has_flag(ch, CT_NUMERIC); }
int _PyCharlore_IsPrintable(Py_UCS4 ch) { return has_flag(ch, CT_PRINTABLE); }
int _PyCharlore_IsLowercase(Py_UCS4 ch) { return has_flag(ch, CT_LOWERCASE); }
int _PyCharlore_IsUppercase(Py_UCS4 ch) { return has_flag(ch, CT_UPPERCASE); }
int _PyCharlore_IsTitlecase(Py_UCS4 ch) { return has_flag(ch, CT_TITLECASE); }
int _PyCharlore_IsCased(Py_UCS4 ch) { return has_flag(ch, CT_CASED); }
int _PyCharlore_IsCaseIgnorable(Py_UCS4 ch) { return has_flag(ch, CT_CASE_IGNORABLE); }
int _PyCharlore_IsXidStart(Py_UCS4 ch) { return has_flag(ch, CT_XID_START); }
int _PyCharlore_IsXidContinue(Py_UCS4 ch) { return has_flag(ch, CT_XID_CONTINUE); }
int _PyCharlore_IsWhitespace(Py_UCS4 ch) { return is_whitespace(ch); }
int _PyCharlore_IsLinebreak(Py_UCS4 ch) { return is_linebreak(ch); }

int _PyCharlore_ToDecimalDigit(Py_UCS4 ch) {
    const CharTypeRecord &r = lookup_char_type(ch);
    return r.flags & CT_DECIMAL_DIGIT ? r.decimal_value : -1;
}

int _PyCharlore_ToDigit(Py_UCS4 ch) {
    const CharTypeRecord &r = lookup_char_type(ch);
    return r.flags & CT_DIGIT ? r.digit_value : -1;
}

double _PyCharlore_ToNumeric(Py_UCS4 ch) { return numeric_value_of(ch); }

Py_UCS4 _PyCharlore_ToUppercase(Py_UCS4 ch) { return simple_mapping(ch, &CharTypeRecord::upper_delta); }
Py_UCS4 _PyCharlore_ToLowercase(Py_UCS4 ch) { return simple_mapping(ch, &CharTypeRecord::lower_delta); }
Py_UCS4 _PyCharlore_ToTitlecase(Py_UCS4 ch) { return simple_mapping(ch, &CharTypeRecord::title_delta); }

int _PyCharlore_ToLowerFull(Py_UCS4 ch, Py_UCS4 *out) { return full_mapping(ch, &CharTypeRecord::lower_delta, out); }
int _PyCharlore_ToTitleFull(Py_UCS4 ch, Py_UCS4 *out) { return full_mapping(ch, &CharTypeRecord::title_delta, out); }
int _PyCharlore_ToUpperFull(Py_UCS4 ch, Py_UCS4 *out) { return full_mapping(ch, &CharTypeRecord::upper_delta, out); }

int _PyCharlore_ToFoldedFull(Py_UCS4 ch, Py_UCS4 *out) {
    const CharTypeRecord &r = lookup_char_type(ch);
    uint32_t word = static_cast<uint32_t>(r.lower_delta);
    uint32_t fold_count = word >> EXTENDED_FOLD_SHIFT & EXTENDED_FOLD_MASK;
    // Only extended characters whose folding differs from their lowercase mapping store one.
    if (!(r.flags & CT_EXTENDED_CASE) || fold_count == 0) return _PyCharlore_ToLowerFull(ch, out);
    uint32_t start = (word & EXTENDED_START_MASK) + (word >> EXTENDED_COUNT_SHIFT);
    std::memcpy(out, &extended_case_table[start], fold_count * sizeof(Py_UCS4));
    return static_cast<int>(fold_count);
}

}  // extern "C"
