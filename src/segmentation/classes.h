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

// The answers of a rule of two classes, rule(left, right), for every pair of classes
// below Size, looked up instead of branched on.
template <class Result, unsigned Size, auto rule>
struct PairTable {
    static constexpr unsigned SIZE = Size;
    Result rules[SIZE * SIZE] = {};
    constexpr PairTable() {
        for (unsigned l = 0; l < SIZE; ++l)
            for (unsigned r = 0; r < SIZE; ++r) rules[l * SIZE + r] = static_cast<Result>(rule(l, r));
    }
    constexpr Result operator()(unsigned left, unsigned right) const { return rules[left * SIZE + right]; }
};

// A set of code points below U+10000 chosen by their break records, one bit each, made at
// compile time: a scan over a long stretch of such characters (the marks of accented or
// pointed text) reads a bit a character instead of the record.
struct BmpSet {
    uint64_t bits[0x10000 / 64] = {};
    template <class Member>
    constexpr explicit BmpSet(Member member) {
        for (uint32_t cp = 0; cp < 0x10000; ++cp)
            if (member(break_record(cp))) bits[cp >> 6] |= uint64_t{1} << (cp & 63);
    }
    constexpr bool operator()(uint32_t cp) const { return (bits[cp >> 6] >> (cp & 63)) & 1; }
};

// A text as the interpreter stores it: `length` code points of one unit type.
template <class Unit>
struct Text {
    const Unit *units;
    size_t length;
    uint32_t operator[](size_t i) const { return units[i]; }
};

}  // namespace charlore::segmentation
