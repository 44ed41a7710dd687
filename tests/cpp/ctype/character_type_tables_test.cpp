// The layout of the generated character type tables: sizes, numbering in order of first
// use, the reserved records, the extended references and the extended case table.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <map>
#include <set>
#include <string>

#include "generated/ctype_tables.h"

namespace {

using namespace charlore;

uint32_t record_number(uint32_t cp) {
    return char_type_stage2[(char_type_stage1[cp >> CHAR_TYPE_SHIFT] << CHAR_TYPE_SHIFT) + (cp & 63)];
}

bool extended(const CharTypeRecord &r) { return r.flags & CT_EXTENDED_CASE; }
uint32_t start(int32_t word) { return static_cast<uint32_t>(word) & EXTENDED_START_MASK; }
uint32_t count(int32_t word) { return static_cast<uint32_t>(word) >> EXTENDED_COUNT_SHIFT; }
uint32_t fold_count(int32_t word) { return static_cast<uint32_t>(word) >> EXTENDED_FOLD_SHIFT & EXTENDED_FOLD_MASK; }

bool same(const CharTypeRecord &a, const CharTypeRecord &b) {
    return a.upper_delta == b.upper_delta && a.lower_delta == b.lower_delta && a.title_delta == b.title_delta &&
           a.decimal_value == b.decimal_value && a.digit_value == b.digit_value && a.flags == b.flags;
}

TEST(CharacterTypeTables, Sizes) {
    EXPECT_EQ(std::size(char_type_records), 517u);
    EXPECT_EQ(std::size(char_type_stage1), 0x110000u / 64);
    EXPECT_EQ(std::size(char_type_stage2), 476u * 64);
    EXPECT_EQ(std::size(extended_case_table), 1243u);
}

TEST(CharacterTypeTables, BlocksAndRecordsAreNumberedInOrderOfFirstUse) {
    uint32_t next_block = 0;
    for (uint16_t block : char_type_stage1) {
        ASSERT_LE(block, next_block);
        if (block == next_block) ++next_block;
    }
    EXPECT_EQ(next_block, 476u);

    uint32_t next_record = 1;
    for (uint32_t cp = 0; cp <= 0x10FFFF; ++cp) {
        uint32_t r = record_number(cp);
        ASSERT_LE(r, next_record) << std::hex << cp;
        if (r == next_record) ++next_record;
    }
    EXPECT_EQ(next_record, 517u);
}

TEST(CharacterTypeTables, RecordsZeroAndOneAreTheOnlyEqualPair) {
    EXPECT_TRUE(same(char_type_records[0], CharTypeRecord{}));
    EXPECT_TRUE(same(char_type_records[1], CharTypeRecord{}));
    EXPECT_EQ(record_number(0x0000), 1u);
    EXPECT_EQ(record_number(0x0378), 0u);  // unassigned
    EXPECT_EQ(record_number(0xD800), 1u);  // surrogate
    EXPECT_EQ(record_number(0xE000), 1u);  // private use
    for (size_t i = 0; i < std::size(char_type_records); ++i)
        for (size_t j = i + 1; j < std::size(char_type_records); ++j)
            EXPECT_FALSE(i > 1 && same(char_type_records[i], char_type_records[j])) << i << " " << j;
}

TEST(CharacterTypeTables, DecimalDigitRecordsAreSevenToSixteenInOrderOfValue) {
    for (uint32_t n = 0; n < std::size(char_type_records); ++n) {
        const CharTypeRecord &r = char_type_records[n];
        bool decimal = r.flags & CT_DECIMAL_DIGIT;
        EXPECT_EQ(decimal, n >= 7 && n <= 16) << n;
        if (decimal) {
            EXPECT_EQ(r.decimal_value, n - 7);
        }
    }
}

TEST(CharacterTypeTables, FlagBit15IsNeverSet) {
    for (const CharTypeRecord &r : char_type_records) EXPECT_EQ(r.flags & 0x8000, 0);
}

TEST(CharacterTypeTables, EveryExtendedCharacterHasARecordOfItsOwn) {
    std::map<uint32_t, int> users;
    for (uint32_t cp = 0; cp <= 0x10FFFF; ++cp)
        if (extended(char_type_records[record_number(cp)])) ++users[record_number(cp)];
    EXPECT_EQ(users.size(), 299u);
    for (auto [record, n] : users) EXPECT_EQ(n, 1) << "record " << record;
}

TEST(CharacterTypeTables, DeltasStayWithinTheirRange) {
    int32_t largest = 0;
    for (const CharTypeRecord &r : char_type_records)
        if (!extended(r)) largest = std::max({largest, std::abs(r.upper_delta), std::abs(r.lower_delta), std::abs(r.title_delta)});
    EXPECT_EQ(largest, 42561);
}

// The extended references and the run each character owns in extended_case_table.
TEST(CharacterTypeTables, ExtendedReferencesTileTheTableInCharacterOrder) {
    std::map<uint32_t, int> folds, uppers, titles;
    size_t shared_titles = 0;
    uint32_t next = 0, largest_start = 0;
    for (uint32_t cp = 0; cp <= 0x10FFFF; ++cp) {
        const CharTypeRecord &r = char_type_records[record_number(cp)];
        if (!extended(r)) continue;
        for (int32_t word : {r.upper_delta, r.lower_delta, r.title_delta}) {
            uint32_t other_bits = static_cast<uint32_t>(word) & ~(EXTENDED_START_MASK | EXTENDED_FOLD_MASK << EXTENDED_FOLD_SHIFT |
                                                                   0xFFu << EXTENDED_COUNT_SHIFT);
            EXPECT_EQ(other_bits, 0u) << std::hex << cp;
            EXPECT_GE(count(word), 1u);
            EXPECT_LE(count(word), 3u);
            largest_start = std::max(largest_start, start(word));
        }
        EXPECT_EQ(fold_count(r.upper_delta) + fold_count(r.title_delta), 0u) << std::hex << cp;
        // Lowercase, then folding (if stored), uppercase and titlecase (if not shared).
        EXPECT_EQ(start(r.lower_delta), next) << std::hex << cp;
        next += count(r.lower_delta) + fold_count(r.lower_delta);
        EXPECT_EQ(start(r.upper_delta), next) << std::hex << cp;
        next += count(r.upper_delta);
        if (r.title_delta == r.upper_delta) {
            ++shared_titles;
        } else {
            EXPECT_EQ(start(r.title_delta), next) << std::hex << cp;
            next += count(r.title_delta);
        }
        ++folds[fold_count(r.lower_delta)];
        ++uppers[count(r.upper_delta)];
        ++titles[count(r.title_delta)];
    }
    EXPECT_EQ(next, std::size(extended_case_table));
    EXPECT_EQ(largest_start, 1241u);
    EXPECT_EQ(shared_titles, 221u);
    EXPECT_EQ(folds, (std::map<uint32_t, int>{{0, 1}, {1, 194}, {2, 88}, {3, 16}}));
    EXPECT_EQ(uppers, (std::map<uint32_t, int>{{1, 196}, {2, 87}, {3, 16}}));
    EXPECT_EQ(titles, (std::map<uint32_t, int>{{1, 250}, {2, 33}, {3, 16}}));
    EXPECT_EQ(fold_count(char_type_records[record_number(0x0130)].lower_delta), 0u);
}

TEST(CharacterTypeTables, ExtendedCharactersByCategory) {
    // 183 Ll, 88 Lu, 27 Lt and U+0345: told apart here by their flags.
    std::map<std::string, int> kinds;
    for (uint32_t cp = 0; cp <= 0x10FFFF; ++cp) {
        const CharTypeRecord &r = char_type_records[record_number(cp)];
        if (!extended(r)) continue;
        if (cp == 0x0345) ++kinds["U+0345"];
        else if (r.flags & CT_TITLECASE) ++kinds["Lt"];
        else if (r.flags & CT_UPPERCASE) ++kinds["Lu"];
        else if (r.flags & CT_LOWERCASE) ++kinds["Ll"];
        else ++kinds["other"];
    }
    EXPECT_EQ(kinds, (std::map<std::string, int>{{"Ll", 183}, {"Lu", 88}, {"Lt", 27}, {"U+0345", 1}}));
}

}  // namespace
