// The generated decomposition and composition tables: their sizes, their agreement with
// each other, and the limits of the fixed working arrays that normalization relies on.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <map>
#include <set>
#include <vector>

#include "database.h"
#include "generated/normalize_tables.h"

namespace charlore {
namespace {

bool is_hangul_syllable(uint32_t cp) { return cp >= 0xAC00 && cp <= 0xD7A3; }

struct Record {
    uint32_t prefix;
    std::vector<uint32_t> code_points;
};

Record record_of(uint32_t cp) {
    const uint32_t *header = &decomposition_words[lookup_decomposition_record(cp)];
    return {*header & 0xFF, std::vector<uint32_t>(header + 1, header + 1 + (*header >> 8))};
}

// Word positions of every record's header, found by walking the words.
std::set<uint32_t> record_starts() {
    std::set<uint32_t> starts;
    for (uint32_t w = 0; w < std::size(decomposition_words); w += 1 + (decomposition_words[w] >> 8)) starts.insert(w);
    return starts;
}

// The deepest use of the pending stack while cp is expanded: its mapping replaces it on
// the stack, and the mapping's item k is expanded above the items after it.
int pending_depth(uint32_t cp, bool compatibility) {
    if (is_hangul_syllable(cp)) return 1;
    Record r = record_of(cp);
    if (r.code_points.empty() || (!compatibility && r.prefix != 0)) return 1;
    int depth = 0, n = static_cast<int>(r.code_points.size());
    for (int k = 0; k < n; ++k) depth = std::max(depth, n - 1 - k + pending_depth(r.code_points[k], compatibility));
    return depth;
}

std::vector<const CompositionRange *> runs_of(const CompositionRange *table) {
    std::vector<const CompositionRange *> runs;
    for (; table->start != 0; ++table) runs.push_back(table);
    return runs;
}

// Index -> code point of a composition range table.
std::vector<uint32_t> code_points_of(const CompositionRange *table) {
    std::vector<uint32_t> result;
    for (const CompositionRange *run : runs_of(table)) {
        EXPECT_EQ(run->index, static_cast<int>(result.size())) << "run at U+" << std::hex << run->start;
        for (int k = 0; k <= run->count; ++k) result.push_back(static_cast<uint32_t>(run->start + k));
    }
    return result;
}

TEST(DecompositionTables, Figures) {
    EXPECT_EQ(record_starts().size(), 4794u);
    EXPECT_EQ(std::size(decomposition_words), 12412u);
    EXPECT_EQ(std::size(decomposition_stage1), 8704u);
    EXPECT_EQ(std::size(decomposition_stage2), 114u * 128);
    size_t served = 0;
    for (uint32_t cp = 0; cp <= 0x10FFFF; ++cp) served += lookup_decomposition_record(cp) != 0;
    EXPECT_EQ(served, 5982u);
}

TEST(DecompositionTables, EveryIndexEntryIsARecordStart) {
    std::set<uint32_t> starts = record_starts();
    for (uint16_t entry : decomposition_stage2) EXPECT_TRUE(starts.count(entry)) << entry;
    EXPECT_EQ(decomposition_words[0], 0u);
}

TEST(DecompositionTables, RecordsAreSharedNotRepeated) {
    std::set<std::vector<uint32_t>> seen;
    for (uint32_t w : record_starts()) {
        std::vector<uint32_t> words(&decomposition_words[w], &decomposition_words[w] + 1 + (decomposition_words[w] >> 8));
        EXPECT_TRUE(seen.insert(words).second) << "record at word " << w << " stored twice";
    }
    EXPECT_EQ(lookup_decomposition_record(0x00A0), lookup_decomposition_record(0x2007));
    EXPECT_EQ(lookup_decomposition_record(0x00A0), lookup_decomposition_record(0x202F));
}

struct RecordCase {
    uint32_t cp;
    uint32_t header;
    std::vector<uint32_t> code_points;
};

TEST(DecompositionTables, ReferenceRecords) {
    const RecordCase cases[] = {
        {0x00C0, 0x200, {0x0041, 0x0300}},
        {0x00A0, 0x101, {0x0020}},
        {0x1E9B, 0x200, {0x017F, 0x0307}},
        {0x2126, 0x100, {0x03A9}},
        {0x2460, 0x107, {0x0031}},
        {0xFB01, 0x202, {0x0066, 0x0069}},
        {0xFDFA, 0x120B, {0x0635, 0x0644, 0x0649, 0x0020, 0x0627, 0x0644, 0x0644, 0x0647, 0x0020, 0x0639, 0x0644,
                          0x064A, 0x0647, 0x0020, 0x0648, 0x0633, 0x0644, 0x0645}},
        {0x1D15E, 0x200, {0x1D157, 0x1D165}},
        {0x0041, 0, {}},
        {0xAC00, 0, {}},  // syllables are computed, never stored
        {0xD7A3, 0, {}},
        {0x10FFFF, 0, {}},
        {0x110000, 0, {}},
        {0xFFFFFFFF, 0, {}},
    };
    for (const RecordCase &c : cases) {
        SCOPED_TRACE(testing::Message() << "U+" << std::hex << c.cp);
        EXPECT_EQ(decomposition_words[lookup_decomposition_record(c.cp)], c.header);
        EXPECT_EQ(record_of(c.cp).code_points, c.code_points);
    }
    EXPECT_STREQ(decomposition_prefix_names[0], "");
    EXPECT_STREQ(decomposition_prefix_names[11], "<isolated>");
    EXPECT_STREQ(decomposition_prefix_names[16], "<narrow>");
    EXPECT_EQ(decomposition_prefix_names[17], nullptr);
}

TEST(DecompositionTables, ExpansionsFitThePendingStack) {
    std::pair<int, uint32_t> deepest[2] = {{0, 0}, {0, 0}};
    for (bool compatibility : {false, true})
        for (uint32_t cp = 0; cp <= 0x10FFFF; ++cp)
            deepest[compatibility] = std::max(deepest[compatibility], {pending_depth(cp, compatibility), cp},
                                              [](auto a, auto b) { return a.first < b.first; });
    EXPECT_EQ(deepest[true], std::make_pair(18, uint32_t{0xFDFA}));
    EXPECT_EQ(deepest[false], std::make_pair(4, uint32_t{0x1F82}));
    EXPECT_LE(deepest[true].first, PENDING_CAPACITY);
}

TEST(CompositionTables, Figures) {
    EXPECT_EQ(runs_of(composition_first_ranges).size(), 224u);
    EXPECT_EQ(code_points_of(composition_first_ranges).size(), 391u);
    EXPECT_EQ(runs_of(composition_last_ranges).size(), 47u);
    EXPECT_EQ(code_points_of(composition_last_ranges).size(), 72u);
    EXPECT_EQ(LAST_COUNT, 72);
    EXPECT_EQ(std::size(composition_stage1), 7038u);
    EXPECT_EQ(std::size(composition_pairs), 656u * 4);
    EXPECT_TRUE(std::all_of(composition_pairs, composition_pairs + 4, [](uint32_t v) { return v == 0; }));
}

TEST(CompositionTables, RunsAreMaximalAndAscending) {
    for (const CompositionRange *table : {composition_first_ranges, composition_last_ranges}) {
        std::vector<const CompositionRange *> runs = runs_of(table);
        for (size_t i = 1; i < runs.size(); ++i)
            EXPECT_GT(runs[i]->start, runs[i - 1]->start + runs[i - 1]->count + 1) << "run " << i;
    }
}

TEST(CompositionTables, EveryPairIsTheCanonicalMappingOfItsComposite) {
    std::vector<uint32_t> firsts = code_points_of(composition_first_ranges);
    std::vector<uint32_t> lasts = code_points_of(composition_last_ranges);
    size_t composites = 0;
    std::set<uint32_t> used_firsts, used_lasts;
    for (int f = 0; f < static_cast<int>(firsts.size()); ++f) {
        for (int l = 0; l < LAST_COUNT; ++l) {
            uint32_t composite = composition_pair(f, l);
            if (composite == 0) continue;
            ++composites;
            used_firsts.insert(firsts[f]);
            used_lasts.insert(lasts[l]);
            Record r = record_of(composite);
            EXPECT_EQ(r.prefix, 0u);
            EXPECT_EQ(r.code_points, (std::vector<uint32_t>{firsts[f], lasts[l]})) << "U+" << std::hex << composite;
        }
    }
    EXPECT_EQ(composites, 961u);
    EXPECT_EQ(used_firsts.size(), firsts.size());  // every first and last character is used
    EXPECT_EQ(used_lasts.size(), lasts.size());
    for (uint32_t first : firsts) EXPECT_EQ(lookup_property_record(first).combining, 0) << first;
}

// The longest chain of compositions one starter can make, from the tables.
int chain_from(int f) {
    int longest = 0;
    for (int l = 0; l < LAST_COUNT; ++l) {
        uint32_t composite = composition_pair(f, l);
        if (composite == 0) continue;
        int next = find_composition_index(composition_first_ranges, composite);
        longest = std::max(longest, 1 + (next < 0 ? 0 : chain_from(next)));
    }
    return longest;
}

TEST(CompositionTables, ChainsFitTheSkippedList) {
    int longest = 0;
    for (int f = 0; f < 391; ++f) longest = std::max(longest, chain_from(f));
    EXPECT_EQ(longest, 3);
    EXPECT_LE(longest, SKIPPED_CAPACITY);
    int alpha = find_composition_index(composition_first_ranges, 0x03B1);
    EXPECT_EQ(chain_from(alpha), 3);
}

struct IndexCase {
    uint32_t cp;
    int first, last;
};

TEST(CompositionTables, FindCompositionIndex) {
    const IndexCase cases[] = {
        {0x0000, -1, -1},      {0x003B, -1, -1},     // below the first run of either table
        {0x003C, 0, -1},       {0x003E, 2, -1},      {0x003F, -1, -1},  // the first run and just after it
        {0x0041, 3, -1},       {0x02FF, -1, -1},     {0x0300, -1, 0},
        {0x110000, -1, -1},    {0xFFFFFFFF, -1, -1},
    };
    for (const IndexCase &c : cases) {
        SCOPED_TRACE(testing::Message() << "U+" << std::hex << c.cp);
        EXPECT_EQ(find_composition_index(composition_first_ranges, c.cp), c.first);
        EXPECT_EQ(find_composition_index(composition_last_ranges, c.cp), c.last);
    }
    // A starter that is a last character, and the last entries of both tables.
    EXPECT_GE(find_composition_index(composition_last_ranges, 0x0B3E), 0);
    std::vector<uint32_t> firsts = code_points_of(composition_first_ranges);
    std::vector<uint32_t> lasts = code_points_of(composition_last_ranges);
    EXPECT_EQ(find_composition_index(composition_first_ranges, firsts.back()), 390);
    EXPECT_EQ(find_composition_index(composition_last_ranges, lasts.back()), 71);
    EXPECT_EQ(find_composition_index(composition_first_ranges, firsts.back() + 1), -1);
}

}  // namespace
}  // namespace charlore
