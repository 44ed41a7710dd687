// Break classes of every code point for the segmentation and width queries: one
// two-stage table of shared records, so that a single lookup answers every algorithm.
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <tuple>

#include "context.h"
#include "tables.h"

namespace gen {

namespace {

// Value names as the UCD files spell them; the first of each list is the default that
// the file's @missing line must name.
const std::vector<std::string> GRAPHEME_NAMES = {
    "Other", "CR", "LF", "Control", "Extend", "ZWJ", "Regional_Indicator", "Prepend", "SpacingMark",
    "L", "V", "T", "LV", "LVT"};
const std::vector<std::string> WORD_NAMES = {
    "Other", "CR", "LF", "Newline", "Extend", "ZWJ", "Regional_Indicator", "Format", "Katakana",
    "Hebrew_Letter", "ALetter", "Single_Quote", "Double_Quote", "MidNumLet", "MidLetter", "MidNum",
    "Numeric", "ExtendNumLet", "WSegSpace"};
const std::vector<std::string> SENTENCE_NAMES = {
    "Other", "CR", "LF", "Extend", "Sep", "Format", "Sp", "Lower", "Upper", "OLetter", "Numeric",
    "ATerm", "SContinue", "STerm", "Close"};
const std::vector<std::string> LINE_NAMES = {
    "XX", "BK", "CR", "LF", "NL", "CM", "ZWJ", "SG", "WJ", "ZW", "GL", "SP", "B2", "BA", "BB", "HY",
    "HH", "CB", "CL", "CP", "EX", "IN", "NS", "OP", "QU", "IS", "NU", "PO", "PR", "SY", "AI", "AK",
    "AL", "AP", "AS", "CJ", "EB", "EM", "H2", "H3", "HL", "ID", "JL", "JV", "JT", "RI", "SA", "VF",
    "VI"};
const std::vector<std::string> INCB_NAMES = {"None", "Linker", "Consonant", "Extend"};

// Flag bits of a record; the names are written into the header beside their values.
const std::vector<std::pair<std::string, uint16_t>> FLAGS = {
    {"EXTENDED_PICTOGRAPHIC", 1 << 0}, {"EMOJI", 1 << 1}, {"EMOJI_PRESENTATION", 1 << 2},
    {"EMOJI_MODIFIER", 1 << 3}, {"EMOJI_MODIFIER_BASE", 1 << 4}, {"WIDE", 1 << 5},
    {"ZERO_WIDTH", 1 << 6}, {"EAST_ASIAN_FWH", 1 << 7}, {"INITIAL_PUNCTUATION", 1 << 8},
    {"FINAL_PUNCTUATION", 1 << 9}, {"UNASSIGNED", 1 << 10}};
constexpr int INCB_SHIFT = 12;  // two bits: an index into INCB_NAMES

uint16_t flag(const std::string &name) {
    for (const auto &[n, bit] : FLAGS)
        if (n == name) return bit;
    throw std::logic_error("no flag " + name);
}

uint8_t value_index(const std::vector<std::string> &names, std::string_view name, const std::string &where) {
    auto it = std::find(names.begin(), names.end(), name);
    if (it == names.end()) fail(where, "unknown value '" + std::string(name) + "'");
    return static_cast<uint8_t>(it - names.begin());
}

// Checks that every `# @missing:` line of a file names the default the tables assume for
// unlisted code points (the first value name); `property` selects the lines of a file
// with several properties, empty for a file of one.
void check_missing(const std::filesystem::path &path, const std::vector<std::string> &names,
                   const std::string &property) {
    std::ifstream in(path);
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        const std::string marker = "# @missing:";
        if (line.compare(0, marker.size(), marker) != 0) continue;
        std::vector<std::string> fields;
        size_t start = marker.size();
        for (;;) {
            size_t end = line.find(';', start);
            std::string field = line.substr(start, end == std::string::npos ? std::string::npos : end - start);
            field.erase(0, field.find_first_not_of(" \t"));
            field.erase(field.find_last_not_of(" \t") + 1);
            fields.push_back(field);
            if (end == std::string::npos) break;
            start = end + 1;
        }
        std::string where = path.string() + ":" + std::to_string(number);
        if (!property.empty()) {
            if (fields.size() < 3 || fields[1] != property) continue;
            fields.erase(fields.begin() + 1);
        }
        if (fields.size() != 2 || fields[0] != "0000..10FFFF" || fields[1] != names[0])
            fail(where, "unexpected default '" + line + "'");
    }
}

// A property file of one enumerated property: the value index of every code point.
std::vector<uint8_t> read_classes(const std::filesystem::path &path, const std::vector<std::string> &names) {
    check_missing(path, names, "");
    std::vector<uint8_t> values(CODE_POINTS, 0);
    UcdFile file(path);
    for (const Line &line : file.lines(2)) {
        CodePointRange r = line.range(0);
        uint8_t v = value_index(names, line.fields[1], *line.file + ":" + std::to_string(line.number));
        std::fill(values.begin() + r.first, values.begin() + r.last + 1, v);
    }
    return values;
}

// Sets `bit` in flags for the code points a binary-property file lists under `property`.
void read_binary(const std::filesystem::path &path, const std::string &property, uint16_t bit,
                 std::vector<uint16_t> &flags) {
    UcdFile file(path);
    bool seen = false;
    for (const Line &line : file.lines(2)) {
        if (line.fields[1] != property) continue;
        seen = true;
        CodePointRange r = line.range(0);
        for (uint32_t cp = r.first; cp <= r.last; ++cp) flags[cp] |= bit;
    }
    if (!seen) fail(path.string(), "no code point has " + property);
}

void read_incb(const std::filesystem::path &path, std::vector<uint16_t> &flags) {
    check_missing(path, INCB_NAMES, "InCB");
    UcdFile file(path);
    for (const Line &line : file.lines(2)) {
        if (line.fields[1] != "InCB") continue;
        if (line.fields.size() < 3) line.fail("InCB line without a value");
        uint16_t v = value_index(INCB_NAMES, line.fields[2], *line.file + ":" + std::to_string(line.number));
        CodePointRange r = line.range(0);
        for (uint32_t cp = r.first; cp <= r.last; ++cp) flags[cp] |= static_cast<uint16_t>(v << INCB_SHIFT);
    }
}

using BreakRecord = std::tuple<uint8_t, uint8_t, uint8_t, uint8_t, uint16_t>;

void write_enum(HeaderWriter &out, const std::string &name, const std::string &prefix,
                const std::vector<std::string> &names) {
    out.text("enum " + name + " : uint8_t {");
    for (size_t i = 0; i < names.size(); ++i) out.text(std::string(i % 8 == 0 ? "\n   " : "") + " " + prefix + names[i] + ",");
    out.text("\n};\n\n");
}

}  // namespace

Output build_segmentation_tables(Context &context) {
    const UnicodeData &data = context.current();
    std::vector<uint8_t> grapheme = read_classes(context.current_file("auxiliary/GraphemeBreakProperty.txt"), GRAPHEME_NAMES);
    std::vector<uint8_t> word = read_classes(context.current_file("auxiliary/WordBreakProperty.txt"), WORD_NAMES);
    std::vector<uint8_t> sentence = read_classes(context.current_file("auxiliary/SentenceBreakProperty.txt"), SENTENCE_NAMES);
    std::vector<uint8_t> line = read_classes(context.current_file("LineBreak.txt"), LINE_NAMES);

    std::vector<uint16_t> flags(CODE_POINTS, 0);
    const std::filesystem::path emoji = context.current_file("emoji/emoji-data.txt");
    read_binary(emoji, "Extended_Pictographic", flag("EXTENDED_PICTOGRAPHIC"), flags);
    read_binary(emoji, "Emoji", flag("EMOJI"), flags);
    read_binary(emoji, "Emoji_Presentation", flag("EMOJI_PRESENTATION"), flags);
    read_binary(emoji, "Emoji_Modifier", flag("EMOJI_MODIFIER"), flags);
    read_binary(emoji, "Emoji_Modifier_Base", flag("EMOJI_MODIFIER_BASE"), flags);
    const std::filesystem::path core = context.current_file("DerivedCoreProperties.txt");
    read_binary(core, "Default_Ignorable_Code_Point", flag("ZERO_WIDTH"), flags);
    read_incb(core, flags);

    // Line classes as the default rules use them: ambiguous, surrogate and unknown
    // characters break like letters; South East Asian ones like marks where they are
    // marks and like letters otherwise; conditional Japanese starters like NS.
    auto index_of = [](const char *name) { return value_index(LINE_NAMES, name, "line classes"); };
    for (uint32_t cp = 0; cp < CODE_POINTS; ++cp) {
        uint8_t &c = line[cp];
        const UnicodeDataEntry *e = data.find(cp);
        if (c == index_of("AI") || c == index_of("SG") || c == index_of("XX")) c = index_of("AL");
        else if (c == index_of("CJ")) c = index_of("NS");
        else if (c == index_of("SA")) c = e && (e->category == "Mn" || e->category == "Mc") ? index_of("CM") : index_of("AL");
    }

    std::vector<uint8_t> widths = read_east_asian_widths(context.current_file("EastAsianWidth.txt"));
    for (uint32_t cp = 0; cp < CODE_POINTS; ++cp) {
        const std::string &w = EAST_ASIAN_WIDTH_VALUES[widths[cp]];
        if (w == "W" || w == "F") flags[cp] |= flag("WIDE");
        if (w == "W" || w == "F" || w == "H") flags[cp] |= flag("EAST_ASIAN_FWH");
        const UnicodeDataEntry *e = data.find(cp);
        std::string category = e ? e->category : "Cn";
        if (category == "Mn" || category == "Me" || category == "Cf" || category == "Cc" || category == "Zl" ||
            category == "Zp")
            flags[cp] |= flag("ZERO_WIDTH");
        if (category == "Pi") flags[cp] |= flag("INITIAL_PUNCTUATION");
        if (category == "Pf") flags[cp] |= flag("FINAL_PUNCTUATION");
        if (category == "Cn") flags[cp] |= flag("UNASSIGNED");
    }

    RecordSet<BreakRecord> records(BreakRecord{});
    std::vector<uint32_t> record_of(CODE_POINTS);
    for (uint32_t cp = 0; cp < CODE_POINTS; ++cp)
        record_of[cp] = records.add({grapheme[cp], word[cp], sentence[cp], line[cp], flags[cp]});
    TwoStageIndex index = build_two_stage(record_of, 7);
    if (records.records().size() > 0xFFFF || index.blocks() > 0xFFFF)
        throw InputError("break records: more than 65535 records or blocks");

    HeaderWriter out("Break classes and width flags of every code point, UCD 18.0.0.",
                     "UCD 18.0.0 (auxiliary/GraphemeBreakProperty.txt, auxiliary/WordBreakProperty.txt, "
                     "auxiliary/SentenceBreakProperty.txt, LineBreak.txt, emoji/emoji-data.txt, "
                     "DerivedCoreProperties.txt, EastAsianWidth.txt, UnicodeData.txt)");
    out.text("namespace charlore::segmentation {\n\n");
    write_enum(out, "GraphemeClass", "GB_", GRAPHEME_NAMES);
    write_enum(out, "WordClass", "WB_", WORD_NAMES);
    write_enum(out, "SentenceClass", "SB_", SENTENCE_NAMES);
    write_enum(out, "LineClass", "LB_", LINE_NAMES);
    out.text("constexpr int LINE_CLASSES = " + std::to_string(LINE_NAMES.size()) + ";\n\n");
    write_enum(out, "ConjunctClass", "INCB_", INCB_NAMES);
    out.text("enum BreakFlag : uint16_t {\n");
    for (const auto &[name, bit] : FLAGS) out.text("    " + name + " = " + std::to_string(bit) + ",\n");
    out.text("};\nconstexpr int INCB_SHIFT = " + std::to_string(INCB_SHIFT) + ";\n\n");

    out.text("struct BreakRecord {\n    uint8_t grapheme, word, sentence, line;\n    uint16_t flags;\n};\n\n");
    out.text("// grapheme, word, sentence, line, flags\n");
    out.text("static constexpr BreakRecord break_records[" + std::to_string(records.records().size()) + "] = {\n");
    for (const BreakRecord &r : records.records()) {
        char text[64];
        std::snprintf(text, sizeof text, "    {%u, %u, %u, %u, 0x%04X},\n", std::get<0>(r), std::get<1>(r),
                      std::get<2>(r), std::get<3>(r), std::get<4>(r));
        out.text(text);
    }
    out.text("};\n\n");
    out.constant("int", "BREAK_SHIFT", static_cast<uint64_t>(index.shift));
    out.array("uint16_t", "break_stage1", index.stage1, 16);
    out.array("uint16_t", "break_stage2", index.stage2, 16);
    out.text("}  // namespace charlore::segmentation\n");
    return {"segmentation_tables.h",
            out.finish(),
            {std::to_string(records.records().size()) + " break records, " + std::to_string(index.blocks()) +
             " blocks of 128"}};
}

}  // namespace gen
