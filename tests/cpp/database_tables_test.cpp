// The generated property records and Unicode 3.2.0 change records: their sizes, the
// quick-check and mirrored counts, and exactly which code points carry each change.
#include <gtest/gtest.h>

#include <cstdio>
#include <iterator>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "generated/database_tables.h"

namespace charlore {
namespace {

const PropertyRecord &record_of(uint32_t cp) {
    return property_records[property_stage2[property_stage1[cp >> 7] * 128 + (cp & 127)]];
}

uint32_t old_record_number(uint32_t cp) {
    return old_version_stage2[(old_version_stage1[cp >> 8] << 8) | (cp & 255)];
}

TEST(PropertyRecords, Sizes) {
    EXPECT_EQ(std::size(property_records), 348u);
    EXPECT_EQ(std::size(property_stage1), 8704u);
    EXPECT_EQ(std::size(property_stage2), 295u * 128);
    const PropertyRecord &zero = property_records[0];
    EXPECT_EQ(zero.category | zero.combining | zero.bidirectional | zero.mirrored | zero.east_asian_width |
                  zero.quick_check,
              0);
    EXPECT_EQ(property_stage2[0], 1u) << "U+0000 has record 1";
}

TEST(PropertyRecords, QuickCheckAndMirroredCounts) {
    std::map<unsigned, unsigned> per_byte;
    unsigned mirrored = 0;
    for (uint32_t cp = 0; cp <= 0x10FFFF; ++cp) {
        ++per_byte[record_of(cp).quick_check];
        mirrored += record_of(cp).mirrored;
    }
    std::map<unsigned, unsigned> expected = {{0x00, 1096838}, {0x0A, 12109}, {0x50, 120}, {0x5A, 12},
                                             {0x88, 3901},    {0x8A, 12},    {0xAA, 1120}};
    EXPECT_EQ(per_byte, expected);
    EXPECT_EQ(mirrored, 570u);
}

TEST(PropertyRecords, NoRecordStoresTheSecondCn) {
    for (const PropertyRecord &r : property_records) EXPECT_NE(r.category, 17);
    for (const OldVersionRecord &r : old_version_records) EXPECT_NE(r.old_category, 17);
    EXPECT_STREQ(category_names[17], "Cn");
    EXPECT_EQ(category_names[31], nullptr);
    EXPECT_EQ(bidirectional_names[24], nullptr);
    EXPECT_EQ(east_asian_width_names[6], nullptr);
}

TEST(OldVersionRecords, Sizes) {
    EXPECT_EQ(std::size(old_version_records), 58u);
    EXPECT_EQ(std::size(old_version_stage1), 4352u);
    EXPECT_EQ(std::size(old_version_stage2), 183u * 256);
    const OldVersionRecord &zero = old_version_records[0];
    EXPECT_EQ(zero.old_bidirectional & zero.old_category & zero.old_decimal & zero.old_mirrored &
                  zero.old_east_asian_width,
              255);
    EXPECT_EQ(zero.old_numeric, 0.0);
}

// Code point lists as "U+002B, U+207A..U+207B".
std::set<uint32_t> parse_list(const std::string &text) {
    std::set<uint32_t> result;
    std::stringstream items(text);
    std::string item;
    while (std::getline(items, item, ',')) {
        unsigned first = 0, last = 0;
        int n = std::sscanf(item.c_str(), " U+%x..U+%x", &first, &last);
        if (n == 1) last = first;
        for (uint32_t cp = first; cp <= last; ++cp) result.insert(cp);
    }
    return result;
}

struct ChangeRecord {
    unsigned number;
    OldVersionRecord fields;
    const char *code_points;
};

constexpr uint8_t U = 255;
const ChangeRecord CHANGES[] = {
    {1, {11, U, U, U, U, 0.0}, "U+002B, U+002D, U+207A..U+207B, U+208A..U+208B, U+2212, U+FB29, U+FE62..U+FE63, U+FF0B, U+FF0D"},
    {2, {10, U, U, U, U, 0.0}, "U+002F, U+FF0F"},
    {3, {U, 30, U, U, U, 0.0}, "U+00A7, U+00B6, U+0F14, U+2118"},
    {4, {U, 2, U, U, U, 0.0}, "U+00AA, U+00BA, U+0294..U+0295, U+2071, U+207F"},
    {5, {19, 21, U, U, U, 0.0}, "U+00AD"},
    {6, {U, U, 2, U, U, 0.0}, "U+00B2, U+2082"},
    {7, {U, U, 3, U, U, 0.0}, "U+00B3, U+2083"},
    {8, {U, U, 1, U, U, 0.0}, "U+00B9, U+2081"},
    {10, {U, 29, U, U, U, 0.0}, "U+02B9..U+02BA, U+02C6..U+02CF, U+02EC, U+0374"},
    {11, {U, 26, U, U, U, 0.0}, "U+05BE, U+166D, U+23B6"},
    {12, {5, U, U, U, U, 0.0}, "U+06DD"},
    {13, {14, 6, U, U, U, 0.0}, "U+06DE"},
    {14, {15, U, U, U, U, 0.0}, "U+070F, U+FFF9..U+FFFB"},
    {15, {U, U, U, U, U, 1.0}, "U+09F4"},
    {16, {U, U, U, U, U, 2.0}, "U+09F5"},
    {17, {U, U, U, U, U, 3.0}, "U+09F6"},
    {18, {U, U, U, U, U, 4.0}, "U+09F7"},
    {19, {U, U, U, U, U, -1.0},
     "U+09F8, U+3405, U+3483, U+382A, U+3B4D, U+4E24, U+4E96, U+4EC0, U+4EE8, U+4FE9, U+5006, U+5344, "
     "U+534C, U+53C4, U+5E7A, U+5EFE, U+62D0, U+6D1E, U+6F06, U+7695, U+79ED, U+8CB3, U+920E, U+94A9, "
     "U+9621, U+F96B, U+F973, U+F978, U+F9B2, U+F9D1, U+F9D3, U+F9FD, U+1034A, U+20001, U+20064, "
     "U+200E2, U+20121, U+2092A, U+20983, U+2098C, U+2099C, U+20AEA, U+20AFD, U+20B19, U+22390, "
     "U+22998, U+23B1B, U+2626D, U+2F890"},
    {20, {14, U, U, U, U, 0.0}, "U+0CBF, U+0CC6"},
    {21, {U, U, U, 0, U, 0.0}, "U+0F3A..U+0F3D, U+169B..U+169C, U+226D, U+FE59..U+FE5E, U+FE64..U+FE65"},
    {22, {U, 19, U, U, U, 0.0}, "U+10D0..U+10F8, U+13A0..U+13F4, U+A015"},
    {23, {U, 7, 1, U, U, 0.0}, "U+1369"},
    {24, {U, 7, 2, U, U, 0.0}, "U+136A"},
    {25, {U, 7, 3, U, U, 0.0}, "U+136B"},
    {26, {U, 7, 4, U, U, 0.0}, "U+136C"},
    {27, {U, 7, 5, U, U, 0.0}, "U+136D"},
    {28, {U, 7, 6, U, U, 0.0}, "U+136E"},
    {29, {U, 7, 7, U, U, 0.0}, "U+136F"},
    {30, {U, 7, 8, U, U, 0.0}, "U+1370"},
    {31, {U, 7, 9, U, U, 0.0}, "U+1371"},
    {32, {14, 4, U, U, U, 0.0}, "U+1734, U+302E..U+302F"},
    {33, {1, 5, U, U, U, 0.0}, "U+17B4..U+17B5"},
    {34, {1, 19, U, U, U, 0.0}, "U+1885..U+1886"},
    {35, {U, 10, U, U, U, 0.0}, "U+200B"},
    {36, {18, U, U, U, U, 0.0}, "U+202F"},
    {37, {19, U, U, U, U, 0.0}, "U+2044, U+2800..U+28FF"},
    {38, {U, U, 0, U, U, 0.0}, "U+2070, U+2080"},
    {39, {U, U, 4, U, U, 0.0}, "U+2074, U+2084"},
    {40, {U, U, 5, U, U, 0.0}, "U+2075, U+2085"},
    {41, {U, U, 6, U, U, 0.0}, "U+2076, U+2086"},
    {42, {U, U, 7, U, U, 0.0}, "U+2077, U+2087"},
    {43, {U, U, 8, U, U, 0.0}, "U+2078, U+2088"},
    {44, {U, U, 9, U, U, 0.0}, "U+2079, U+2089"},
    {45, {19, 30, U, U, U, 0.0}, "U+2132"},
    {46, {U, 8, U, U, U, 0.0}, "U+2183"},
    {47, {U, 27, U, U, U, 0.0}, "U+2308..U+230B"},
    {48, {U, U, U, U, 0, 0.0}, "U+231A..U+231B, U+25FD..U+25FE, U+2630..U+2637, U+2648..U+2653"},
    {49, {U, 22, U, U, U, 0.0}, "U+23B4, U+FD3E"},
    {50, {U, 23, U, U, U, 0.0}, "U+23B5, U+FD3F"},
    {51, {9, U, U, U, U, 0.0}, "U+2460..U+2487, U+24EA"},
    {52, {U, U, U, 1, U, 0.0}, "U+29A1"},
    {53, {U, 20, U, U, U, 0.0}, "U+30FB, U+FF65"},
    {54, {U, U, U, U, U, 1e20}, "U+5793"},
    {55, {U, 19, U, U, U, -1.0}, "U+10341"},
    {56, {1, U, U, U, U, 0.0}, "U+1D6C1, U+1D6FB, U+1D735, U+1D76F, U+1D7A9"},
    {57, {1, U, U, 0, U, 0.0}, "U+1D6DB, U+1D715, U+1D74F, U+1D789, U+1D7C3"},
};

TEST(OldVersionRecords, EachChangeCoversExactlyItsCodePoints) {
    std::map<uint32_t, std::set<uint32_t>> holders;
    for (uint32_t cp = 0; cp <= 0x10FFFF; ++cp) holders[old_record_number(cp)].insert(cp);
    for (const ChangeRecord &change : CHANGES) {
        SCOPED_TRACE("record " + std::to_string(change.number));
        const OldVersionRecord &r = old_version_records[change.number];
        EXPECT_EQ(r.old_bidirectional, change.fields.old_bidirectional);
        EXPECT_EQ(r.old_category, change.fields.old_category);
        EXPECT_EQ(r.old_decimal, change.fields.old_decimal);
        EXPECT_EQ(r.old_mirrored, change.fields.old_mirrored);
        EXPECT_EQ(r.old_east_asian_width, change.fields.old_east_asian_width);
        EXPECT_EQ(r.old_numeric, change.fields.old_numeric);
        EXPECT_EQ(holders[change.number], parse_list(change.code_points));
    }
}

TEST(OldVersionRecords, CharactersAddedLaterShareOneRecord) {
    const OldVersionRecord &added = old_version_records[9];
    EXPECT_EQ(added.old_category, 0);
    EXPECT_EQ(added.old_bidirectional & added.old_decimal & added.old_mirrored & added.old_east_asian_width, 255);
    EXPECT_EQ(added.old_numeric, 0.0);
    unsigned count = 0;
    for (uint32_t cp = 0; cp <= 0x10FFFF; ++cp) count += old_record_number(cp) == 9;
    EXPECT_EQ(count, 77652u);
    for (uint32_t cp : {0x0221u, 0x0487u, 0x1F600u}) EXPECT_EQ(old_record_number(cp), 9u);
    for (uint32_t cp : {0x0041u, 0xFA6Eu, 0x10FFFFu}) EXPECT_EQ(old_record_number(cp), 0u);
}

TEST(OldVersionRecords, NormalizationReplacements) {
    const std::vector<uint32_t> expected = {0x2F868, 0x2136A, 0x2F874, 0x5F33, 0x2F91F,
                                            0x43AB,  0x2F95F, 0x7AAE,  0x2F9BF, 0x4D57};
    EXPECT_EQ(std::vector<uint32_t>(std::begin(old_normalization_pairs), std::end(old_normalization_pairs)),
              expected);
}

}  // namespace
}  // namespace charlore
