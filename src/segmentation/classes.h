// What every segmentation algorithm shares: the break record of a code point (one
// lookup answers all algorithms and the width) and the code units of a str, read in
// place in whichever of the interpreter's 1-, 2- or 4-byte forms it is stored.
#pragma once

#include <cstddef>
#include <cstdint>

#include "generated/segmentation_tables.h"

namespace charlore::segmentation {

// The index of a code point's record in break_records.
constexpr unsigned break_index(uint32_t cp) {
    // Lone surrogates and every other value below U+110000 have a record; nothing above.
    return break_stage2[(break_stage1[cp >> BREAK_SHIFT] << BREAK_SHIFT) | (cp & ((1u << BREAK_SHIFT) - 1))];
}

constexpr const BreakRecord &break_record(uint32_t cp) { return break_records[break_index(cp)]; }

constexpr unsigned conjunct_class(const BreakRecord &r) { return (r.flags >> INCB_SHIFT) & 3; }

// A text as the interpreter stores it: `length` code points of one unit type.
template <class Unit>
struct Text {
    const Unit *units;
    size_t length;
    uint32_t operator[](size_t i) const { return units[i]; }
};

}  // namespace charlore::segmentation
