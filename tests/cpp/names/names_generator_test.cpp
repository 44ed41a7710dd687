// The name-table generator on small UCD fixtures: the tables it writes decode back to
// the input names and find them by hash, word codes stay in range at the one-byte limit,
// and input it cannot represent stops it with a message naming file and line.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include <unistd.h>

#include "context.h"
#include "names_data.h"
#include "ucd_file.h"

namespace {

using charlore::NAME_LIMIT;

// A UnicodeData.txt line of a letter with the given name.
std::string letter(uint32_t cp, const std::string &name) {
    char line[300];
    std::snprintf(line, sizeof line, "%04X;%s;Lu;0;L;;;;;N;;;;;\n", cp, name.c_str());
    return line;
}

const std::string PLANE_15 =
    "F0000;<Plane 15 Private Use, First>;Co;0;L;;;;;N;;;;;\n"
    "FFFFD;<Plane 15 Private Use, Last>;Co;0;L;;;;;N;;;;;\n";

struct Fixture {
    std::string unicode_data;
    std::string aliases;
    std::string sequences;
    bool plane_15 = true;  // append the plane 15 private-use range to unicode_data
};

// Writes the fixture as a UCD directory and runs the names table builder on it.
gen::Output generate(const std::string &label, const Fixture &fixture) {
    std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                ("charlore-names-test-" + std::to_string(::getpid()) + "-" + label);
    std::filesystem::create_directories(dir / "18.0.0");
    std::ofstream(dir / "18.0.0" / "UnicodeData.txt") << fixture.unicode_data << (fixture.plane_15 ? PLANE_15 : "");
    std::ofstream(dir / "18.0.0" / "NameAliases.txt") << fixture.aliases;
    std::ofstream(dir / "18.0.0" / "NamedSequences.txt") << fixture.sequences;
    struct Cleanup {
        std::filesystem::path dir;
        ~Cleanup() { std::filesystem::remove_all(dir); }
    } cleanup{dir};
    gen::Context context(dir, dir);
    return gen::build_names_tables(context);
}

// The values of `inline constexpr <type> name[N] = {...};` in a generated header.
std::vector<uint64_t> array_values(const std::string &header, const std::string &name) {
    size_t at = header.find(" " + name + "[");
    EXPECT_NE(at, std::string::npos) << name;
    size_t open = header.find('{', at), close = header.find("};", open);
    std::vector<uint64_t> values;
    for (const char *p = header.c_str() + open + 1, *end = header.c_str() + close; p < end;) {
        char *next;
        unsigned long long value = std::strtoull(p, &next, 0);
        if (next == p) {
            ++p;
            continue;
        }
        values.push_back(value);
        p = next;
    }
    return values;
}

uint64_t constant(const std::string &header, const std::string &name) {
    size_t at = header.find(" " + name + " = ");
    EXPECT_NE(at, std::string::npos) << name;
    return std::strtoull(header.c_str() + at + name.size() + 4, nullptr, 0);
}

template <class T>
std::vector<T> narrowed(const std::vector<uint64_t> &values) {
    return std::vector<T>(values.begin(), values.end());
}

// The tables of one generated header, read back.
struct ReadTables {
    std::vector<uint8_t> phrase, text;
    std::vector<uint32_t> offsets, stage1, stage2, slots;
    unsigned limit;

    explicit ReadTables(const std::string &header)
        : phrase(narrowed<uint8_t>(array_values(header, "name_phrase_bytes"))),
          text(narrowed<uint8_t>(array_values(header, "name_word_text"))),
          offsets(narrowed<uint32_t>(array_values(header, "name_word_offsets"))),
          stage1(narrowed<uint32_t>(array_values(header, "name_phrase_stage1"))),
          stage2(narrowed<uint32_t>(array_values(header, "name_phrase_stage2"))),
          slots(narrowed<uint32_t>(array_values(header, "name_hash_slots"))),
          limit(static_cast<unsigned>(constant(header, "SHORT_WORD_CODE_LIMIT"))) {}

    // The stored name of cp, or "" when it has none.
    std::string name(uint32_t cp) const {
        uint32_t offset = stage2[stage1[cp >> 7] * 128 + (cp & 127)];
        char buffer[NAME_LIMIT + 1];
        if (offset == 0) return "";
        charlore::StoredNameTables tables{phrase.data(), offsets.data(), text.data(), limit};
        return charlore::decode_stored_name(tables, offset, buffer) ? buffer : "(too long)";
    }
    // Whether the probe sequence of name's hash reaches cp before an empty slot.
    bool hashed(const std::string &name, uint32_t cp) const {
        uint32_t h = 0;
        for (char c : name) h = charlore::name_hash_step(h, static_cast<unsigned char>(c));
        charlore::NameProbe probe(h);
        for (size_t visits = 0; visits < slots.size() && slots[probe.slot()] != 0; ++visits, probe.next())
            if (slots[probe.slot()] == cp) return true;
        return false;
    }
};

// Checks that every expected name decodes and is found by hash, and that nothing else
// has a stored name.
void expect_round_trip(const gen::Output &output, const std::map<uint32_t, std::string> &expected) {
    ReadTables tables(output.content);
    for (uint32_t cp = 0; cp <= 0x10FFFF; ++cp) {
        auto it = expected.find(cp);
        ASSERT_EQ(tables.name(cp), it == expected.end() ? "" : it->second) << std::hex << cp;
    }
    for (const auto &[cp, name] : expected) EXPECT_TRUE(tables.hashed(name, cp)) << name;
}

TEST(NamesGenerator, TablesDecodeToTheInputNames) {
    Fixture fixture{letter(0x41, "LATIN CAPITAL LETTER A") + letter(0x42, "LATIN CAPITAL LETTER B") +
                        "AC00;<Hangul Syllable, First>;Lo;0;L;;;;;N;;;;;\n"
                        "D7A3;<Hangul Syllable, Last>;Lo;0;L;;;;;N;;;;;\n" +
                        letter(0x1B2FB, "NUSHU CHARACTER-1B2FB"),
                    "0041;FIRST LETTER;alternate\n0042;B;abbreviation\n", "A PAIR;0041 0042\n"};
    gen::Output output = generate("round-trip", fixture);
    expect_round_trip(output, {{0x41, "LATIN CAPITAL LETTER A"},
                               {0x42, "LATIN CAPITAL LETTER B"},
                               {0x1B2FB, "NUSHU CHARACTER-1B2FB"},
                               {0xF0000, "FIRST LETTER"},
                               {0xF0001, "B"},
                               {0xF0200, "A PAIR"}});
    EXPECT_EQ(array_values(output.content, "alias_targets"), (std::vector<uint64_t>{0x41, 0x42}));
    EXPECT_EQ(array_values(output.content, "algorithmic_name_ranges"), (std::vector<uint64_t>{0xAC00, 0xD7A3, 0}));
    EXPECT_EQ(array_values(output.content, "named_sequence_table"), (std::vector<uint64_t>{2, 0x41, 0x42, 0, 0}));
    EXPECT_EQ(output.summary.at(0), "6 stored names (3 characters, 2 aliases, 1 named sequences)");
}

// With d distinct words the codes run from 1 to d; the highest code's first byte must
// still be a byte, also when d is a multiple of 256.
TEST(NamesGenerator, WordCodesFitAtEveryCountOfWords) {
    for (int words : {255, 256, 257, 511, 512}) {
        Fixture fixture;
        std::map<uint32_t, std::string> expected;
        for (int i = 0; i < words; ++i) {
            char name[16];
            std::snprintf(name, sizeof name, "W%03d", i);
            fixture.unicode_data += letter(0x100 + static_cast<uint32_t>(i), name);
            expected[0x100 + static_cast<uint32_t>(i)] = name;
        }
        gen::Output output = generate("words-" + std::to_string(words), fixture);
        unsigned limit = static_cast<unsigned>(constant(output.content, "SHORT_WORD_CODE_LIMIT"));
        EXPECT_LE((static_cast<unsigned>(words) >> 8) + limit, 255u) << words;
        SCOPED_TRACE(words);
        expect_round_trip(output, expected);
    }
}

struct RejectedInput {
    const char *label;
    Fixture fixture;
    const char *message;  // part of the InputError's text
};

std::vector<RejectedInput> rejected_inputs() {
    std::string too_many_aliases;
    for (int i = 0; i < 513; ++i) too_many_aliases += "0041;ALIAS " + std::to_string(i) + ";alternate\n";
    return {
        {"unknown range", {"1000;<Klingon Glyph, First>;Lo;0;L;;;;;N;;;;;\n1010;<Klingon Glyph, Last>;Lo;0;L;;;;;N;;;;;\n"},
         "UnicodeData.txt:1: range '<Klingon Glyph>' has no known naming rule"},
        {"Hangul range moved", {"AC00;<Hangul Syllable, First>;Lo;0;L;;;;;N;;;;;\nD7A4;<Hangul Syllable, Last>;Lo;0;L;;;;;N;;;;;\n"},
         "U+AC00..U+D7A3"},
        {"lower-case name", {letter(0x41, "Latin Capital Letter A")}, "UnicodeData.txt:1: name 'Latin Capital Letter A'"},
        {"double space", {letter(0x41, "LATIN  A")}, "cannot be stored"},
        {"punctuation", {letter(0x41, "LATIN A.")}, "cannot be stored"},
        {"name of 256 characters", {letter(0x41, std::string(256, 'A'))}, "longer than 255"},
        {"derived prefix", {letter(0xF900, "CJK UNIFIED IDEOGRAPH-F900")}, "would be parsed as a derived name"},
        {"alias repeats a name", {letter(0x41, "A"), "0042;A;alternate\n"}, "NameAliases.txt:1: name 'A' is also the name at"},
        {"unknown alias type", {letter(0x41, "A"), "0041;AY;nickname\n"}, "NameAliases.txt:1: unknown alias type 'nickname'"},
        {"too many aliases", {letter(0x41, "A"), too_many_aliases}, "NameAliases.txt:513: more than 512 aliases"},
        {"sequence of five", {letter(0x41, "A"), "", "LONG;0041 0041 0041 0041 0041\n"}, "NamedSequences.txt:1: a named sequence must have 1 to 4"},
        {"sequence beyond the BMP", {letter(0x41, "A"), "", "FACE;1F600 0041\n"}, "below U+10000"},
        {"no private use area", {letter(0x41, "A"), "0041;AY;alternate\n", "", false},
         "NameAliases.txt:1: the code point filed for 'AY' is not an unnamed private-use character"},
    };
}

TEST(NamesGenerator, RejectsWhatItCannotRepresent) {
    for (const RejectedInput &input : rejected_inputs()) {
        std::string label = input.label;
        std::replace(label.begin(), label.end(), ' ', '-');
        try {
            generate(label, input.fixture);
            ADD_FAILURE() << input.label << ": accepted";
        } catch (const gen::InputError &e) {
            EXPECT_NE(std::string(e.what()).find(input.message), std::string::npos) << input.label << ": " << e.what();
        }
    }
}

}  // namespace
