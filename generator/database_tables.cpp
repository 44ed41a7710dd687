// Property records (category, combining class, bidirectional class, mirrored flag, width,
// quick-check values) of UCD 18.0.0 and the records of what differed in Unicode 3.2.0.
#include <algorithm>
#include <array>
#include <cstdio>
#include <map>
#include <tuple>

#include "context.h"
#include "tables.h"

namespace gen {

namespace {

const std::vector<std::string> CATEGORY_NAMES = {
    "Cn", "Lu", "Ll", "Lt", "Mn", "Mc", "Me", "Nd", "Nl", "No", "Zs", "Zl", "Zp", "Cc", "Cf", "Cs",
    "Co", "Cn", "Lm", "Lo", "Pc", "Pd", "Ps", "Pe", "Pi", "Pf", "Po", "Sm", "Sc", "Sk", "So"};
const std::vector<std::string> BIDIRECTIONAL_NAMES = {
    "",   "L",  "LRE", "LRO", "R",  "AL", "RLE", "RLO", "PDF", "EN",  "ES",  "ET",
    "AN", "CS", "NSM", "BN",  "B",  "S",  "WS",  "ON",  "LRI", "RLI", "FSI", "PDI"};
const std::vector<std::string> &EAST_ASIAN_WIDTH_NAMES = EAST_ASIAN_WIDTH_VALUES;

// Unlisted code points in these ranges default to width W.
constexpr CodePointRange WIDE_DEFAULTS[] = {
    {0x3400, 0x4DBF}, {0x4E00, 0x9FFF}, {0xF900, 0xFAFF}, {0x20000, 0x2FFFD}, {0x30000, 0x3FFFD}};

constexpr uint8_t UNCHANGED = 255;

uint8_t name_index(const std::vector<std::string> &names, const std::string &name, const std::string &file,
                   int line, const char *what) {
    auto it = std::find(names.begin(), names.end(), name);
    if (it == names.end()) fail(file + ":" + std::to_string(line), std::string("unknown ") + what + " '" + name + "'");
    return static_cast<uint8_t>(it - names.begin());
}

}  // namespace

const std::vector<std::string> EAST_ASIAN_WIDTH_VALUES = {"N", "H", "W", "Na", "A", "F"};

// East_Asian_Width of every code point from an EastAsianWidth.txt.
std::vector<uint8_t> read_east_asian_widths(const std::filesystem::path &path) {
    std::vector<uint8_t> widths(CODE_POINTS, 0);
    for (const CodePointRange &r : WIDE_DEFAULTS)
        std::fill(widths.begin() + r.first, widths.begin() + r.last + 1, uint8_t{2});
    UcdFile file(path);
    for (const Line &line : file.lines(2)) {
        CodePointRange r = line.range(0);
        uint8_t width = name_index(EAST_ASIAN_WIDTH_NAMES, std::string(line.fields[1]), *line.file, line.number,
                                   "East Asian width");
        std::fill(widths.begin() + r.first, widths.begin() + r.last + 1, width);
    }
    return widths;
}

// The four quick-check values of every code point, packed as stored in the records.
std::vector<uint8_t> read_quick_checks(const std::filesystem::path &path) {
    static const std::map<std::string_view, int> SHIFTS = {
        {"NFD_QC", 0}, {"NFKD_QC", 2}, {"NFC_QC", 4}, {"NFKC_QC", 6}};
    std::vector<uint8_t> checks(CODE_POINTS, 0);
    UcdFile file(path);
    for (const Line &line : file.lines(2)) {
        auto shift = SHIFTS.find(line.fields[1]);
        if (shift == SHIFTS.end()) continue;
        if (line.fields.size() < 3) line.fail("quick-check line without a value");
        std::string_view value = line.fields[2];
        int bits = value == "N" ? 2 : value == "M" ? 1 : value == "Y" ? 0 : -1;
        if (bits < 0) line.fail("bad quick-check value '" + std::string(value) + "'");
        CodePointRange r = line.range(0);
        for (uint32_t cp = r.first; cp <= r.last; ++cp)
            checks[cp] = static_cast<uint8_t>((checks[cp] & ~(3 << shift->second)) | (bits << shift->second));
    }
    return checks;
}

namespace {

using PropertyRecord = std::array<uint8_t, 6>;  // category, combining, bidi, mirrored, width, quick_check

std::vector<PropertyRecord> current_properties(Context &context) {
    const UnicodeData &data = context.current();
    std::vector<uint8_t> widths = read_east_asian_widths(context.current_file("EastAsianWidth.txt"));
    std::vector<uint8_t> checks = read_quick_checks(context.current_file("DerivedNormalizationProps.txt"));
    std::vector<PropertyRecord> properties(CODE_POINTS);
    for (uint32_t cp = 0; cp < CODE_POINTS; ++cp) {
        PropertyRecord &p = properties[cp];
        if (const UnicodeDataEntry *e = data.find(cp)) {
            p[0] = name_index(CATEGORY_NAMES, e->category, e->file, e->line, "category");
            p[1] = static_cast<uint8_t>(e->combining);
            p[2] = name_index(BIDIRECTIONAL_NAMES, e->bidi, e->file, e->line, "bidirectional class");
            if (p[2] == 0) fail(e->file + ":" + std::to_string(e->line), "empty bidirectional class");
            p[3] = e->mirrored;
        }
        p[4] = widths[cp];
        p[5] = checks[cp];
    }
    return properties;
}

// bidirectional, category, decimal, mirrored, width, numeric
using OldVersionRecord = std::tuple<uint8_t, uint8_t, uint8_t, uint8_t, uint8_t, double>;
const OldVersionRecord UNCHANGED_RECORD{UNCHANGED, UNCHANGED, UNCHANGED, UNCHANGED, UNCHANGED, 0.0};
const OldVersionRecord NOT_ASSIGNED_RECORD{UNCHANGED, 0, UNCHANGED, UNCHANGED, UNCHANGED, 0.0};

// Unihan numeric values of Unicode 3.2.0 where they differ from UCD 18.0.0's ("none" = no value).
std::map<uint32_t, double> read_unihan_changes(const std::filesystem::path &path) {
    std::map<uint32_t, double> changes;
    UcdFile file(path);
    for (const Line &line : file.lines(2)) {
        uint32_t cp = line.code_point(0);
        double value = line.fields[1] == "none" ? -1.0 : parse_numeric_value(line, 1, line.fields[1]);
        if (!changes.emplace(cp, value).second) line.fail("code point listed twice");
    }
    return changes;
}

struct OldVersionTables {
    std::vector<uint32_t> record_of;  // per code point
    std::vector<OldVersionRecord> records;
    std::vector<std::pair<uint32_t, uint32_t>> normalization;  // code point, 3.2.0 decomposition
};

OldVersionTables old_version_tables(Context &context, const std::vector<PropertyRecord> &current) {
    const UnicodeData &now = context.current();
    const UnicodeData &old = context.v320();
    const std::vector<double> &numeric_now = context.current_numeric();
    std::vector<uint8_t> old_widths = read_east_asian_widths(context.v320_file("EastAsianWidth.txt"));
    std::map<uint32_t, double> unihan_changes = read_unihan_changes(context.own_file("unihan-numeric-3.2.0.txt"));

    OldVersionTables tables;
    RecordSet<OldVersionRecord> records(UNCHANGED_RECORD);
    tables.record_of.resize(CODE_POINTS);
    for (uint32_t cp = 0; cp < CODE_POINTS; ++cp) {
        const UnicodeDataEntry *n = now.find(cp);
        const UnicodeDataEntry *o = old.find(cp);
        OldVersionRecord r = UNCHANGED_RECORD;
        if (n && !o) {
            r = NOT_ASSIGNED_RECORD;
        } else if (o) {
            std::string where = o->file + ":" + std::to_string(o->line);
            const PropertyRecord &p = current[cp];
            uint8_t category = name_index(CATEGORY_NAMES, o->category, o->file, o->line, "category");
            uint8_t bidi = name_index(BIDIRECTIONAL_NAMES, o->bidi, o->file, o->line, "bidirectional class");
            if (category != p[0]) std::get<1>(r) = category;
            if (bidi != p[2]) std::get<0>(r) = bidi;
            if (o->mirrored != p[3]) std::get<3>(r) = o->mirrored;
            if (old_widths[cp] != p[4]) std::get<4>(r) = old_widths[cp];
            if (o->combining != p[1]) fail(where, "a changed combining class cannot be recorded");
            int decimal_now = n ? n->decimal : -1;
            if (o->decimal != decimal_now) {
                if (o->decimal < 0) fail(where, "a decimal value that was absent in 3.2.0 cannot be recorded");
                std::get<2>(r) = static_cast<uint8_t>(o->decimal);
            }
            double value = o->numeric;
            bool from_unihan_now = n && n->numeric == -1.0 && numeric_now[cp] != -1.0;
            if (auto change = unihan_changes.find(cp); change != unihan_changes.end()) value = change->second;
            else if (value == -1.0 && from_unihan_now) value = numeric_now[cp];
            if (value != numeric_now[cp]) {
                if (value == 0.0) fail(where, "a changed numeric value of 0 cannot be recorded");
                std::get<5>(r) = value;
            }
            // Canonical decompositions that changed: only single code points can be replaced.
            std::string old_decomposition = o->decomposition, new_decomposition = n ? n->decomposition : "";
            bool canonical = !old_decomposition.empty() && old_decomposition[0] != '<';
            if (canonical && old_decomposition != new_decomposition) {
                if (old_decomposition.find(' ') != std::string::npos)
                    fail(where, "a changed decomposition of more than one code point cannot be recorded");
                tables.normalization.emplace_back(cp, static_cast<uint32_t>(std::stoul(old_decomposition, nullptr, 16)));
            }
        }
        tables.record_of[cp] = records.add(r);
    }
    for (const auto &[cp, value] : unihan_changes)
        if (!old.find(cp)) fail(context.own_file("unihan-numeric-3.2.0.txt").string(),
                                "lists a code point not assigned in Unicode 3.2.0");
    tables.records = records.records();
    return tables;
}

void write_names(HeaderWriter &out, const std::string &name, const std::vector<std::string> &names) {
    out.text("const char *const " + name + "[" + std::to_string(names.size() + 1) + "] = {\n   ");
    for (const std::string &n : names) out.text(" " + string_literal(n) + ",");
    out.text(" nullptr,\n};\n\n");
}

}  // namespace

Output build_database_tables(Context &context) {
    std::vector<PropertyRecord> properties = current_properties(context);
    RecordSet<PropertyRecord> records(PropertyRecord{});
    std::vector<uint32_t> record_of(CODE_POINTS);
    for (uint32_t cp = 0; cp < CODE_POINTS; ++cp) record_of[cp] = records.add(properties[cp]);
    TwoStageIndex property_index = build_two_stage(record_of, 7);

    OldVersionTables old = old_version_tables(context, properties);
    TwoStageIndex old_index = build_two_stage(old.record_of, 8);
    if (records.records().size() > 0xFFFF || property_index.blocks() > 0xFFFF)
        throw InputError("property records: more than 65535 records or blocks");
    if (old.records.size() > 0xFF || old_index.blocks() > 0xFF)
        throw InputError("3.2.0 change records: more than 255 records or blocks");

    HeaderWriter out("Property records of UCD 18.0.0 and the Unicode 3.2.0 change records.",
                     "UCD 18.0.0 (UnicodeData.txt, EastAsianWidth.txt, DerivedNormalizationProps.txt, "
                     "Unihan_NumericValues.txt) and Unicode 3.2.0 (UnicodeData.txt, EastAsianWidth.txt, "
                     "generator/data/unihan-numeric-3.2.0.txt)");
    out.text("#include \"../database.h\"\n\nnamespace charlore {\n\n");
    write_names(out, "category_names", CATEGORY_NAMES);
    write_names(out, "bidirectional_names", BIDIRECTIONAL_NAMES);
    write_names(out, "east_asian_width_names", EAST_ASIAN_WIDTH_NAMES);

    out.text("// category, combining, bidirectional, mirrored, east_asian_width, quick_check\n");
    out.text("static constexpr PropertyRecord property_records[" + std::to_string(records.records().size()) +
             "] = {\n");
    for (const PropertyRecord &r : records.records()) {
        char line[64];
        std::snprintf(line, sizeof line, "    {%u, %u, %u, %u, %u, 0x%02X},\n", r[0], r[1], r[2], r[3], r[4], r[5]);
        out.text(line);
    }
    out.text("};\n\n");
    out.array("uint16_t", "property_stage1", property_index.stage1, 16);
    out.array("uint16_t", "property_stage2", property_index.stage2, 16);

    out.text("// bidirectional, category, decimal, mirrored, east_asian_width, numeric\n");
    out.text("static constexpr OldVersionRecord old_version_records[" + std::to_string(old.records.size()) + "] = {\n");
    for (const OldVersionRecord &r : old.records) {
        char line[96];
        std::snprintf(line, sizeof line, "    {%u, %u, %u, %u, %u, %s},\n", std::get<0>(r), std::get<1>(r),
                      std::get<2>(r), std::get<3>(r), std::get<4>(r), double_literal(std::get<5>(r)).c_str());
        out.text(line);
    }
    out.text("};\n\n");
    out.array("uint8_t", "old_version_stage1", old_index.stage1, 16);
    out.array("uint8_t", "old_version_stage2", old_index.stage2, 16);

    out.text("// Canonical decompositions of Unicode 3.2.0 that differ from today's, by code point.\n");
    std::vector<uint32_t> pairs;
    for (const auto &[cp, replacement] : old.normalization) {
        pairs.push_back(cp);
        pairs.push_back(replacement);
    }
    out.array("uint32_t", "old_normalization_pairs", pairs, 2, true);
    out.text("}  // namespace charlore\n");

    return {"database_tables.h",
            out.finish(),
            {std::to_string(records.records().size()) + " property records, " +
                 std::to_string(property_index.blocks()) + " blocks of 128",
             std::to_string(old.records.size()) + " 3.2.0 change records, " + std::to_string(old_index.blocks()) +
                 " blocks of 256",
             std::to_string(old.normalization.size()) + " 3.2.0 normalization replacements"}};
}

}  // namespace gen
