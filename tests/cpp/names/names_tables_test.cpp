// The generated name tables of UCD 18.0.0: their reference figures, the layout the
// decoder and lookup rely on, and the decoder's buffer limit on small fixture tables.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "generated/names_tables.h"

namespace charlore {
namespace {

constexpr StoredNameTables TABLES{name_phrase_bytes, name_word_offsets, name_word_text, SHORT_WORD_CODE_LIMIT};

uint32_t phrase_offset(uint32_t cp) {
    return name_phrase_stage2[name_phrase_stage1[cp >> NAME_PHRASE_SHIFT] * 128u + (cp & 127)];
}

// A word's encoded bytes, from its offset through the byte with bit 7 set.
std::string encoded_word(uint32_t code) {
    const char *start = reinterpret_cast<const char *>(name_word_text) + name_word_offsets[code];
    size_t length = 1;
    while (!(static_cast<unsigned char>(start[length - 1]) & 0x80)) ++length;
    return std::string(start, length);
}

// A word's text with bit 7 cleared; a final word keeps its NUL.
std::string word(uint32_t code) {
    std::string text = encoded_word(code);
    text.back() = static_cast<char>(text.back() & 0x7F);
    return text;
}

// The word codes of the name at `offset`; `end` receives the offset after them.
std::vector<uint32_t> codes_at(uint32_t offset, uint32_t &end) {
    std::vector<uint32_t> codes;
    do {
        uint32_t code = name_phrase_bytes[offset++];
        if (code >= SHORT_WORD_CODE_LIMIT) code = (code - SHORT_WORD_CODE_LIMIT) * 256 + name_phrase_bytes[offset++];
        codes.push_back(code);
    } while (word(codes.back()).back() != '\0');
    end = offset;
    return codes;
}

// Every stored name by code point, decoded from the tables.
const std::map<uint32_t, std::string> &stored_names() {
    static const std::map<uint32_t, std::string> names = [] {
        std::map<uint32_t, std::string> result;
        char buffer[NAME_LIMIT + 1];
        for (uint32_t cp = 0; cp <= 0x10FFFF; ++cp)
            if (uint32_t offset = phrase_offset(cp); offset != 0 && decode_stored_name(TABLES, offset, buffer))
                result[cp] = buffer;
        return result;
    }();
    return names;
}

uint32_t hash_of(const std::string &name) {
    uint32_t h = 0;
    for (char c : name) h = name_hash_step(h, static_cast<unsigned char>(c));
    return h;
}

TEST(NameTables, ReferenceFigures) {
    EXPECT_EQ(std::size(name_phrase_stage1), 0x110000u >> NAME_PHRASE_SHIFT);
    EXPECT_EQ(std::size(name_phrase_stage2), 387u * 128);
    EXPECT_EQ(std::size(name_phrase_bytes), 225411u);
    EXPECT_EQ(std::size(name_word_text), 201129u);
    EXPECT_EQ(std::size(name_word_offsets), 21749u);
    EXPECT_EQ(SHORT_WORD_CODE_LIMIT, 171u);
    EXPECT_EQ(ALIAS_COUNT, 481u);
    EXPECT_EQ(NAMED_SEQUENCE_COUNT, 461u);
    EXPECT_EQ(std::size(algorithmic_name_ranges), 16u);
    EXPECT_EQ(stored_names().size(), 42174u);
    EXPECT_EQ(std::count_if(stored_names().begin(), stored_names().end(),
                            [](const auto &n) { return n.first < ALIAS_BASE; }),
              41232);
    EXPECT_EQ(stored_names().at(0x1FBA8).size(), 88u);
}

TEST(NameTables, NamesFollowEachOtherInCodePointOrder) {
    EXPECT_EQ(name_phrase_bytes[0], 0);
    uint32_t expected_offset = 1;
    for (uint32_t cp = 0; cp <= 0x10FFFF; ++cp) {
        uint32_t offset = phrase_offset(cp);
        if (offset == 0) continue;
        ASSERT_EQ(offset, expected_offset) << std::hex << cp;
        codes_at(offset, expected_offset);
    }
    EXPECT_EQ(expected_offset, std::size(name_phrase_bytes));
}

TEST(NameTables, WordCodesGoToTheMostFrequentWordsFirst) {
    std::vector<size_t> count(std::size(name_word_offsets), 0);
    for (const auto &[cp, name] : stored_names()) {
        uint32_t end;
        for (uint32_t code : codes_at(phrase_offset(cp), end)) ++count[code];
    }
    EXPECT_EQ(count[0], 0u);
    const uint32_t last_short = SHORT_WORD_CODE_LIMIT;  // the first 256 - e words keep frequency order
    for (uint32_t code = 2; code <= last_short; ++code) {
        ASSERT_GE(count[code - 1], count[code]) << code;
        if (count[code - 1] == count[code]) {
            ASSERT_LT(word(code - 1), word(code)) << code;
        }
    }
    for (uint32_t code = last_short + 1; code < count.size(); ++code) {
        ASSERT_GE(count[last_short], count[code]) << code;
        if (code > last_short + 1) {
            ASSERT_GT(word(code - 1), word(code)) << code;
        }
    }
    EXPECT_EQ(std::count(count.begin() + 1, count.end(), 0u), 0) << "every word is used";
}

TEST(NameTables, WordTextReusesTheFirstOccurrence) {
    std::string_view text(reinterpret_cast<const char *>(name_word_text), std::size(name_word_text));
    std::vector<bool> covered(text.size(), false);
    for (uint32_t code = 1; code < std::size(name_word_offsets); ++code) {
        std::string encoded = encoded_word(code);
        auto first = std::search(text.begin(), text.end(),
                                 std::boyer_moore_horspool_searcher(encoded.begin(), encoded.end()));
        ASSERT_EQ(static_cast<size_t>(first - text.begin()), name_word_offsets[code]) << code;
        std::fill_n(covered.begin() + name_word_offsets[code], encoded.size(), true);
    }
    EXPECT_EQ(std::count(covered.begin(), covered.end(), false), 0) << "no byte of the text is unused";
}

TEST(NameTables, ExamplesOfWordEncoding) {
    std::map<std::string, uint32_t> code_of;
    for (uint32_t code = 1; code < std::size(name_word_offsets); ++code) code_of[word(code)] = code;
    EXPECT_EQ(encoded_word(code_of.at("LETTER")), "LETTE\xD2");
    EXPECT_EQ(encoded_word(code_of.at(std::string("A\0", 2))), "A\x80");
    EXPECT_EQ(encoded_word(code_of.at("A")), "\xC1");
    EXPECT_NE(code_of.at("A"), code_of.at(std::string("A\0", 2)));
    EXPECT_EQ(code_of.size(), 21748u);
    size_t longest = 0;
    for (const auto &[w, code] : code_of) longest = std::max(longest, w.size() - (w.back() == '\0'));
    EXPECT_EQ(longest, 27u);
}

TEST(NameHash, WorkedExample) {
    uint32_t h = hash_of("SPACE");
    EXPECT_EQ(h, 0xA4FE2Eu);
    EXPECT_EQ(NameProbe(h).slot(), 0x01D1u);
    EXPECT_EQ(name_hash_slots[0x01D1], 0x20u);
}

TEST(NameHash, ProbeSequenceDoublesTheIncrementWithinSixteenBits) {
    // Hash 0: first slot 0xFFFF, increment 0 replaced by 0xFFFF; doubled 0x1FFFE is
    // reduced by the polynomial to 0xFFD3.
    NameProbe probe(0);
    std::vector<uint32_t> slots;
    for (int i = 0; i < 4; ++i, probe.next()) slots.push_back(probe.slot());
    EXPECT_EQ(slots, (std::vector<uint32_t>{0xFFFF, 0xFFFE, 0xFFD1, (0xFFD1 + (0x1FFA6 ^ 0x1002D)) & 0xFFFF}));
    // Hash 8: increment (8 ^ 1) = 9, doubling without reduction.
    NameProbe small(8);
    uint32_t first = small.slot();
    small.next();
    EXPECT_EQ(small.slot(), (first + 9) & 0xFFFF);
    small.next();
    EXPECT_EQ(small.slot(), (first + 9 + 18) & 0xFFFF);
}

TEST(NameHash, EveryStoredNameSitsOnItsProbeSequenceAfterEarlierNamesOnly) {
    size_t displaced = 0, longest = 0;
    for (const auto &[cp, name] : stored_names()) {
        NameProbe probe(hash_of(name));
        size_t further = 0;
        for (; name_hash_slots[probe.slot()] != cp; probe.next(), ++further) {
            uint32_t occupant = name_hash_slots[probe.slot()];
            ASSERT_NE(occupant, 0u) << name << ": an empty slot comes before its own";
            ASSERT_LT(occupant, cp) << name << ": passed a slot filled later";
            ASSERT_LT(further, NAME_HASH_SLOT_COUNT);
        }
        displaced += further != 0;
        longest = std::max(longest, further);
    }
    EXPECT_EQ(displaced, 13319u);
    EXPECT_EQ(longest, 19u);
    EXPECT_EQ(std::count_if(std::begin(name_hash_slots), std::end(name_hash_slots), [](uint32_t s) { return s != 0; }),
              42174);
}

TEST(NameHash, EveryHashValueReachesAnEmptySlotWithinTheBound) {
    uint32_t worst = 0;
    for (uint32_t h = 0; h < 0x1000000; ++h) {
        NameProbe probe(h);
        uint32_t visits = 1;
        for (; name_hash_slots[probe.slot()] != 0 && visits <= NAME_HASH_MAX_VISITS; probe.next()) ++visits;
        worst = std::max(worst, visits);
    }
    EXPECT_EQ(worst, 33u);
    EXPECT_EQ(NAME_HASH_MAX_VISITS, 33u);
}

TEST(AlgorithmicNames, RangesAreOrderedAndHaveNoStoredNames) {
    uint32_t previous_last = 0;
    for (const AlgorithmicNameRange &r : algorithmic_name_ranges) {
        EXPECT_LE(r.first, r.last);
        EXPECT_GT(r.first, previous_last);
        EXPECT_LT(r.prefix_kind, std::size(algorithmic_name_prefixes));
        EXPECT_GE(r.first, 0x1000u) << "derived names need no zero padding";
        for (uint32_t cp = r.first; cp <= r.last; ++cp) ASSERT_EQ(phrase_offset(cp), 0u) << std::hex << cp;
        previous_last = r.last;
    }
    EXPECT_EQ(algorithmic_name_ranges[2].first, 0xAC00u);
    EXPECT_EQ(algorithmic_name_ranges[2].last, 0xD7A3u);
    EXPECT_EQ(algorithmic_name_ranges[2].prefix_kind, 0u);
    EXPECT_EQ(algorithmic_name_ranges[15].first, 0x3D000u);
    EXPECT_EQ(algorithmic_name_ranges[15].prefix_kind, 4u);
}

TEST(AliasesAndSequences, Tables) {
    EXPECT_TRUE(std::is_sorted(std::begin(alias_targets), std::end(alias_targets)));
    struct Alias { uint32_t cp; const char *name; uint32_t target; };
    for (const Alias &a : {Alias{0xF0000, "NULL", 0}, Alias{0xF0001, "NUL", 0},
                           Alias{0xF009F, "LATIN CAPITAL LETTER GHA", 0x1A2}, Alias{0xF01E0, "VS256", 0xE01EF}}) {
        EXPECT_EQ(stored_names().at(a.cp), a.name);
        EXPECT_EQ(alias_targets[a.cp - ALIAS_BASE], a.target);
    }
    EXPECT_EQ(stored_names().at(0xF0200), "KEYCAP NUMBER SIGN");
    EXPECT_EQ(stored_names().at(0xF03CC), "MODIFIER LETTER EXTRA-LOW EXTRA-HIGH CONTOUR TONE BAR");
    const NamedSequence &keycap = named_sequence_table[0];
    EXPECT_EQ(keycap.length, 3);
    EXPECT_EQ(std::vector<uint16_t>(keycap.code_points, keycap.code_points + 4),
              (std::vector<uint16_t>{0x23, 0xFE0F, 0x20E3, 0}));
    std::map<int, int> lengths;
    uint16_t highest = 0;
    for (const NamedSequence &s : named_sequence_table) {
        ++lengths[s.length];
        for (int i = 0; i < 4; ++i) {
            if (i >= s.length) {
                EXPECT_EQ(s.code_points[i], 0);
            }
            highest = std::max(highest, s.code_points[i]);
        }
    }
    EXPECT_EQ(lengths, (std::map<int, int>{{2, 424}, {3, 24}, {4, 13}}));
    EXPECT_EQ(highest, 0xFE0F);
    EXPECT_EQ(stored_names().count(ALIAS_BASE + ALIAS_COUNT), 0u);
    EXPECT_EQ(stored_names().count(NAMED_SEQUENCE_BASE + NAMED_SEQUENCE_COUNT), 0u);
}

// Fixture tables for the buffer limit. Words: 1 = 127 x 'A' inside a name, 2 = 127 x 'B'
// ending one, 3 = 128 x 'C' ending one, 4 = 'D' ending one, 5 = 128 x 'E' inside a name.
// With the short-code limit 3, codes 3 to 5 take two bytes: (3, 3), (3, 4), (3, 5).
struct LimitFixture {
    std::string text;
    std::vector<uint32_t> offsets{0};
    std::vector<uint8_t> phrase{0};
    std::map<std::string, uint32_t> starts;

    LimitFixture() {
        add_word(std::string(127, 'A') + '\x01');
        add_word(std::string(127, 'B') + '\0');
        add_word(std::string(128, 'C') + '\0');
        add_word("D" + std::string(1, '\0'));
        add_word(std::string(128, 'E') + '\x01');
        add_name("fits", {1, 2});                         // 127 + 1 + 127 = 255 characters
        add_name("two-byte codes", {1, 3, 4});             // 127 + 1 + 1
        add_name("NUL beyond the limit", {1, 3, 3});       // 127 + 1 + 128 = 256
        add_name("space at the limit", {1, 3, 5, 3, 4});   // 256 characters, a space, 'D'
        add_name("far too long", {1, 1, 1, 2});
    }
    // `w` ends in '\x01' for a word inside a name, in '\0' for a final word.
    void add_word(std::string w) {
        if (w.back() == '\x01') w.pop_back();
        w.back() = static_cast<char>(w.back() | 0x80);
        offsets.push_back(static_cast<uint32_t>(text.size()));
        text += w;
    }
    void add_name(const std::string &label, std::vector<uint8_t> bytes) {
        starts[label] = static_cast<uint32_t>(phrase.size());
        phrase.insert(phrase.end(), bytes.begin(), bytes.end());
    }
    StoredNameTables tables() const {
        return {phrase.data(), offsets.data(), reinterpret_cast<const uint8_t *>(text.data()), 3};
    }
};

TEST(StoredNameDecoder, NameOf255CharactersFits) {
    LimitFixture fixture;
    char buffer[NAME_LIMIT + 1];
    ASSERT_TRUE(decode_stored_name(fixture.tables(), fixture.starts["fits"], buffer));
    EXPECT_EQ(std::string(buffer), std::string(127, 'A') + " " + std::string(127, 'B'));
}

TEST(StoredNameDecoder, LongerNamesAreAbsentAndStayInsideTheBuffer) {
    LimitFixture fixture;
    for (const char *label : {"NUL beyond the limit", "space at the limit", "far too long"}) {
        unsigned char area[NAME_LIMIT + 1 + 64];
        std::memset(area, 0xEE, sizeof area);
        EXPECT_FALSE(decode_stored_name(fixture.tables(), fixture.starts[label], reinterpret_cast<char *>(area)))
            << label;
        for (size_t i = NAME_LIMIT + 1; i < sizeof area; ++i) ASSERT_EQ(area[i], 0xEE) << label << " wrote at " << i;
    }
}

TEST(StoredNameDecoder, TwoByteCodes) {
    LimitFixture fixture;
    char buffer[NAME_LIMIT + 1];
    ASSERT_TRUE(decode_stored_name(fixture.tables(), fixture.starts["two-byte codes"], buffer));
    EXPECT_EQ(std::string(buffer), std::string(127, 'A') + " D");
}

}  // namespace
}  // namespace charlore
