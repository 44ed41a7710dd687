// Layout of the character type records behind the exported _PyCharlore_* functions:
// the record type, its flag bits and the packing of extended case references.
#pragma once

#include <cstdint>

namespace charlore {

// One character's case mappings, digit values and flags; shared by all characters with
// equal contents, except that every CT_EXTENDED_CASE character has a record of its own.
struct CharTypeRecord {
    // Without CT_EXTENDED_CASE: simple mapping minus the character. With it: an extended
    // reference into extended_case_table (see the EXTENDED_* constants below).
    int32_t upper_delta;
    int32_t lower_delta;  // with CT_EXTENDED_CASE also carries the case folding's fold_count
    int32_t title_delta;
    uint8_t decimal_value;  // 0 to 9; 0 when CT_DECIMAL_DIGIT is clear
    uint8_t digit_value;    // 0 to 9; 0 when CT_DIGIT is clear
    uint16_t flags;
};

constexpr uint16_t CT_ALPHA = 0x0001;
constexpr uint16_t CT_DECIMAL_DIGIT = 0x0002;
constexpr uint16_t CT_DIGIT = 0x0004;
constexpr uint16_t CT_LOWERCASE = 0x0008;
constexpr uint16_t CT_LINEBREAK = 0x0010;
constexpr uint16_t CT_WHITESPACE = 0x0020;
constexpr uint16_t CT_TITLECASE = 0x0040;
constexpr uint16_t CT_UPPERCASE = 0x0080;
constexpr uint16_t CT_XID_START = 0x0100;
constexpr uint16_t CT_XID_CONTINUE = 0x0200;
constexpr uint16_t CT_PRINTABLE = 0x0400;
constexpr uint16_t CT_NUMERIC = 0x0800;
constexpr uint16_t CT_CASE_IGNORABLE = 0x1000;
constexpr uint16_t CT_CASED = 0x2000;
constexpr uint16_t CT_EXTENDED_CASE = 0x4000;

// An extended reference: bits 0-15 mapping_start, bits 20-22 fold_count (lower_delta
// only), bits 24-31 mapping_count; every other bit is 0.
constexpr uint32_t EXTENDED_START_MASK = 0xFFFF;
constexpr int EXTENDED_FOLD_SHIFT = 20;
constexpr uint32_t EXTENDED_FOLD_MASK = 0x7;
constexpr int EXTENDED_COUNT_SHIFT = 24;

// Code points per block of the two-stage index: 1 << CHAR_TYPE_SHIFT.
constexpr int CHAR_TYPE_SHIFT = 6;

}  // namespace charlore
