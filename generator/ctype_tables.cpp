// Character type records of UCD 18.0.0 (case mappings, digit values, flags) with their
// two-stage index and the extended case table, and the generated switches for numeric
// values, whitespace and line breaks.
#include <algorithm>
#include <array>
#include <cstdio>
#include <map>
#include <set>
#include <tuple>

#include "../src/ctype_records.h"
#include "context.h"
#include "tables.h"

namespace gen {

namespace {

using charlore::CT_ALPHA, charlore::CT_DECIMAL_DIGIT, charlore::CT_DIGIT, charlore::CT_LOWERCASE,
    charlore::CT_LINEBREAK, charlore::CT_WHITESPACE, charlore::CT_TITLECASE, charlore::CT_UPPERCASE,
    charlore::CT_XID_START, charlore::CT_XID_CONTINUE, charlore::CT_PRINTABLE, charlore::CT_NUMERIC,
    charlore::CT_CASE_IGNORABLE, charlore::CT_CASED, charlore::CT_EXTENDED_CASE;

constexpr size_t FULL_MAPPING_MAX = 3;

struct Flag {
    uint16_t bit;
    const char *name;
};

constexpr Flag FLAGS[] = {
    {CT_ALPHA, "CT_ALPHA"},
    {CT_DECIMAL_DIGIT, "CT_DECIMAL_DIGIT"},
    {CT_DIGIT, "CT_DIGIT"},
    {CT_LOWERCASE, "CT_LOWERCASE"},
    {CT_LINEBREAK, "CT_LINEBREAK"},
    {CT_WHITESPACE, "CT_WHITESPACE"},
    {CT_TITLECASE, "CT_TITLECASE"},
    {CT_UPPERCASE, "CT_UPPERCASE"},
    {CT_XID_START, "CT_XID_START"},
    {CT_XID_CONTINUE, "CT_XID_CONTINUE"},
    {CT_PRINTABLE, "CT_PRINTABLE"},
    {CT_NUMERIC, "CT_NUMERIC"},
    {CT_CASE_IGNORABLE, "CT_CASE_IGNORABLE"},
    {CT_CASED, "CT_CASED"},
    {CT_EXTENDED_CASE, "CT_EXTENDED_CASE"},
};

// The derived properties that become flags.
constexpr std::pair<const char *, uint16_t> DERIVED_FLAGS[] = {
    {"Lowercase", CT_LOWERCASE},   {"Uppercase", CT_UPPERCASE},         {"Cased", CT_CASED},
    {"Case_Ignorable", CT_CASE_IGNORABLE}, {"XID_Start", CT_XID_START}, {"XID_Continue", CT_XID_CONTINUE},
};

// upper_delta, lower_delta, title_delta, decimal_value, digit_value, flags
using CharType = std::tuple<int32_t, int32_t, int32_t, uint8_t, uint8_t, uint16_t>;
// Records are keyed by whether the code point is listed, so that the all-zero record 0 of
// unlisted code points is never shared with a listed character whose record is all zeros.
using RecordKey = std::pair<bool, CharType>;

using Mapping = std::vector<uint32_t>;

struct FullCase {
    Mapping lower, title, upper, fold;
    bool special = false;  // has an unconditional SpecialCasing.txt entry
};

// The derived-property flags of every code point.
std::vector<uint16_t> read_derived_flags(const std::filesystem::path &path, const UnicodeData &data) {
    std::vector<uint16_t> flags(CODE_POINTS, 0);
    UcdFile file(path);
    for (const Line &line : file.lines(2)) {
        auto it = std::find_if(std::begin(DERIVED_FLAGS), std::end(DERIVED_FLAGS),
                               [&](const auto &d) { return line.fields[1] == d.first; });
        if (it == std::end(DERIVED_FLAGS)) continue;
        CodePointRange r = line.range(0);
        for (uint32_t cp = r.first; cp <= r.last; ++cp) {
            if (!data.find(cp)) line.fail("derived property of a code point that UnicodeData.txt does not list");
            flags[cp] |= it->second;
        }
    }
    return flags;
}

Mapping case_mapping(const Line &line, size_t field) {
    Mapping m = line.code_points(field);
    if (m.empty() || m.size() > FULL_MAPPING_MAX)
        line.fail("case mapping of " + std::to_string(m.size()) + " code points in field " + std::to_string(field) +
                  " (1 to " + std::to_string(FULL_MAPPING_MAX) + " are possible)");
    return m;
}

// Full lowercase, titlecase and uppercase mappings and full case folding of every listed
// code point: unconditional SpecialCasing.txt entries over the simple mappings, and the
// C and F entries of CaseFolding.txt.
std::map<uint32_t, FullCase> read_full_case(Context &context) {
    const UnicodeData &data = context.current();
    std::map<uint32_t, FullCase> cases;
    for (const UnicodeDataEntry &e : data.entries())
        for (uint32_t cp = e.code_point; cp <= e.last; ++cp) {
            uint32_t upper = e.upper.value_or(cp);
            cases[cp] = {{e.lower.value_or(cp)}, {e.title.value_or(upper)}, {upper}, {cp}, false};
        }

    UcdFile special(context.current_file("SpecialCasing.txt"));
    for (const Line &line : special.lines(4)) {
        if (line.fields.size() > 4 && !line.fields[4].empty()) continue;  // conditional entry
        uint32_t cp = line.code_point(0);
        auto it = cases.find(cp);
        if (it == cases.end()) line.fail("case mapping of a code point that UnicodeData.txt does not list");
        FullCase &c = it->second;
        if (c.special) line.fail("second unconditional entry for the same code point");
        c.lower = case_mapping(line, 1);
        c.title = case_mapping(line, 2);
        c.upper = case_mapping(line, 3);
        c.special = true;
    }

    UcdFile folding(context.current_file("CaseFolding.txt"));
    std::set<uint32_t> folded;
    for (const Line &line : folding.lines(3)) {
        if (line.fields[1] != "C" && line.fields[1] != "F") {
            if (line.fields[1] != "S" && line.fields[1] != "T")
                line.fail("unknown status '" + std::string(line.fields[1]) + "'");
            continue;
        }
        uint32_t cp = line.code_point(0);
        auto it = cases.find(cp);
        if (it == cases.end()) line.fail("case folding of a code point that UnicodeData.txt does not list");
        if (!folded.insert(cp).second) line.fail("second full case folding for the same code point");
        it->second.fold = case_mapping(line, 2);
    }
    return cases;
}

bool has_extended_case(const FullCase &c) { return c.special || c.fold != c.lower; }

uint16_t flags_of(uint32_t cp, const UnicodeDataEntry &e, uint16_t derived, double numeric) {
    const std::string &gc = e.category;
    const std::string &bidi = e.bidi;
    uint16_t flags = derived;
    if (gc == "Lu" || gc == "Ll" || gc == "Lt" || gc == "Lm" || gc == "Lo") flags |= CT_ALPHA;
    if (gc == "Lt") flags |= CT_TITLECASE;
    if (e.decimal >= 0) flags |= CT_DECIMAL_DIGIT;
    if (e.digit >= 0) flags |= CT_DIGIT;
    if (bidi == "B" || gc == "Zl" || gc == "Zp" || cp == 0x000B || cp == 0x000C) flags |= CT_LINEBREAK;
    if (gc == "Zs" || bidi == "WS" || bidi == "B" || bidi == "S") flags |= CT_WHITESPACE;
    static const std::set<std::string> NOT_PRINTABLE = {"Cc", "Cf", "Cs", "Co", "Cn", "Zl", "Zp", "Zs"};
    if (!NOT_PRINTABLE.count(gc) || cp == 0x0020) flags |= CT_PRINTABLE;
    if (numeric != -1.0) flags |= CT_NUMERIC;
    return flags;
}

// Appends the runs of one extended character to `table` and returns its three references.
std::array<uint32_t, 3> append_extended(const FullCase &c, std::vector<uint32_t> &table, const std::string &where) {
    auto append = [&](const Mapping &m, uint32_t fold_count) {
        uint32_t start = static_cast<uint32_t>(table.size());
        if (start > charlore::EXTENDED_START_MASK) fail(where, "the extended case table outgrows 65536 entries");
        table.insert(table.end(), m.begin(), m.end());
        return start | fold_count << charlore::EXTENDED_FOLD_SHIFT |
               static_cast<uint32_t>(m.size()) << charlore::EXTENDED_COUNT_SHIFT;
    };
    uint32_t lower = append(c.lower, 0);
    if (c.fold != c.lower) {
        if (c.fold.size() > charlore::EXTENDED_FOLD_MASK) fail(where, "case folding too long for fold_count");
        table.insert(table.end(), c.fold.begin(), c.fold.end());
        lower |= static_cast<uint32_t>(c.fold.size()) << charlore::EXTENDED_FOLD_SHIFT;
    }
    uint32_t upper = append(c.upper, 0);
    uint32_t title = c.title == c.upper ? upper : append(c.title, 0);
    return {upper, lower, title};
}

int32_t delta(const Mapping &m, uint32_t cp) { return static_cast<int32_t>(m[0] - cp); }

// The case labels of one result of a switch, and the result as C++ source.
struct SwitchGroup {
    std::string result;
    std::vector<uint32_t> code_points;
};

// Gaps between the labels of a predicate wider than this get a test before its switch.
constexpr uint32_t WIDE_GAP = 64;

// A function that is one switch over the code point; code points of no group give `fallback`.
// With `guarded`, the code points in the wide gaps between the labels and above the last
// give `fallback` before the switch, through one branch that text rarely mispredicts.
void write_switch(HeaderWriter &out, const std::string &signature, const std::vector<SwitchGroup> &groups,
                  const std::string &fallback, bool guarded = false) {
    out.text(signature + " {\n");
    std::vector<uint32_t> labels;
    for (const SwitchGroup &group : groups) labels.insert(labels.end(), group.code_points.begin(), group.code_points.end());
    std::sort(labels.begin(), labels.end());
    if (guarded && !labels.empty()) {
        std::string tests;
        char test[64];
        for (size_t k = 1; k < labels.size(); ++k) {
            const uint32_t first = labels[k - 1] + 1, count = labels[k] - first;
            if (count <= WIDE_GAP) continue;
            std::snprintf(test, sizeof test, "(cp - 0x%04Xu < 0x%04Xu) | ", first, count);
            tests += test;
        }
        std::snprintf(test, sizeof test, "(cp > 0x%04Xu)", labels.back());
        tests += test;
        out.text("    // Code points in the wide gaps between the labels, and above them, answer here.\n");
        out.text("    if (" + tests + ") return " + fallback + ";\n");
    }
    out.text("    switch (cp) {\n");
    for (const SwitchGroup &group : groups) {
        for (uint32_t cp : group.code_points) {
            char label[32];
            std::snprintf(label, sizeof label, "    case 0x%04X:\n", cp);
            out.text(label);
        }
        out.text("        return " + group.result + ";\n");
    }
    out.text("    }\n    return " + fallback + ";\n}\n\n");
}

}  // namespace

Output build_ctype_tables(Context &context) {
    const UnicodeData &data = context.current();
    const std::vector<double> &numeric = context.current_numeric();
    std::vector<uint16_t> derived = read_derived_flags(context.current_file("DerivedCoreProperties.txt"), data);
    std::map<uint32_t, FullCase> cases = read_full_case(context);

    RecordSet<RecordKey> records(RecordKey{false, CharType{}});
    std::vector<uint32_t> extended_table;
    std::vector<uint32_t> record_of(CODE_POINTS, 0);
    std::array<size_t, 16> flag_counts{};
    std::map<double, std::vector<uint32_t>> numeric_groups;
    SwitchGroup whitespace{"1", {}}, linebreaks{"1", {}};
    size_t extended_count = 0;
    uint32_t largest_start = 0;
    int32_t largest_delta = 0;

    for (uint32_t cp = 0; cp < CODE_POINTS; ++cp) {
        const UnicodeDataEntry *e = data.find(cp);
        if (numeric[cp] != -1.0 && !e) fail(context.current_file("Unihan_NumericValues.txt").string(),
                                            "numeric value of a code point that UnicodeData.txt does not list");
        if (!e) continue;
        const FullCase &c = cases.at(cp);
        uint16_t flags = flags_of(cp, *e, derived[cp], numeric[cp]);
        if (e->decimal >= 0 && e->digit != e->decimal)
            fail(e->file + ":" + std::to_string(e->line), "decimal and digit values differ");
        CharType r{0, 0, 0, static_cast<uint8_t>(std::max(e->decimal, 0)), static_cast<uint8_t>(std::max(e->digit, 0)), 0};
        if (has_extended_case(c)) {
            flags |= CT_EXTENDED_CASE;
            auto [upper, lower, title] = append_extended(c, extended_table, e->file + ":" + std::to_string(e->line));
            std::get<0>(r) = static_cast<int32_t>(upper);
            std::get<1>(r) = static_cast<int32_t>(lower);
            std::get<2>(r) = static_cast<int32_t>(title);
            largest_start = std::max({largest_start, upper & 0xFFFF, lower & 0xFFFF, title & 0xFFFF});
            ++extended_count;
        } else {
            std::get<0>(r) = delta(c.upper, cp);
            std::get<1>(r) = delta(c.lower, cp);
            std::get<2>(r) = delta(c.title, cp);
            largest_delta = std::max({largest_delta, std::abs(std::get<0>(r)), std::abs(std::get<1>(r)),
                                      std::abs(std::get<2>(r))});
        }
        std::get<5>(r) = flags;
        record_of[cp] = flags & CT_EXTENDED_CASE ? records.add_unshared({true, r}) : records.add({true, r});
        for (int bit = 0; bit < 16; ++bit)
            if (flags & (1u << bit)) ++flag_counts[static_cast<size_t>(bit)];
        if (flags & CT_NUMERIC) numeric_groups[numeric[cp]].push_back(cp);
        if (flags & CT_WHITESPACE) whitespace.code_points.push_back(cp);
        if (flags & CT_LINEBREAK) linebreaks.code_points.push_back(cp);
    }

    TwoStageIndex index = build_two_stage(record_of, charlore::CHAR_TYPE_SHIFT);
    if (records.records().size() > 0x10000 || index.blocks() > 0x10000)
        throw InputError("character type records: more than 65536 records or blocks");

    HeaderWriter out("Character type records of UCD 18.0.0, their two-stage index, the extended case table "
                     "and the switches for numeric values, whitespace and line breaks.",
                     "UCD 18.0.0 (UnicodeData.txt, DerivedCoreProperties.txt, SpecialCasing.txt, "
                     "CaseFolding.txt, Unihan_NumericValues.txt)");
    out.text("#include \"../ctype_records.h\"\n\nnamespace charlore {\n\n");
    out.text("// upper_delta, lower_delta, title_delta, decimal_value, digit_value, flags\n");
    out.text("inline constexpr CharTypeRecord char_type_records[" + std::to_string(records.records().size()) + "] = {\n");
    for (const RecordKey &key : records.records()) {
        const CharType &r = key.second;
        // Extended references read best in hexadecimal, deltas in decimal.
        const char *format = std::get<5>(r) & CT_EXTENDED_CASE ? "    {0x%08X, 0x%08X, 0x%08X, %u, %u, 0x%04X},\n"
                                                               : "    {%d, %d, %d, %u, %u, 0x%04X},\n";
        char line[96];
        std::snprintf(line, sizeof line, format, std::get<0>(r), std::get<1>(r), std::get<2>(r), std::get<3>(r),
                      std::get<4>(r), std::get<5>(r));
        out.text(line);
    }
    out.text("};\n\n");
    out.array("uint16_t", "char_type_stage1", index.stage1, 16);
    out.array("uint16_t", "char_type_stage2", index.stage2, 16);
    out.text("// Full case mappings that a single delta cannot express, one run per character.\n");
    out.array("uint32_t", "extended_case_table", extended_table, 8, true);

    out.text("// The numeric value of cp; -1.0 when it has none.\n");
    std::vector<SwitchGroup> numeric_switch;
    for (const auto &[value, code_points] : numeric_groups) numeric_switch.push_back({double_literal(value), code_points});
    write_switch(out, "static inline double numeric_value_of(uint32_t cp)", numeric_switch, "-1.0");
    out.text("// 1 when cp is whitespace, else 0.\n");
    write_switch(out, "static inline int is_whitespace(uint32_t cp)", {whitespace}, "0", true);
    out.text("// 1 when cp is a line break, else 0.\n");
    write_switch(out, "static inline int is_linebreak(uint32_t cp)", {linebreaks}, "0", true);
    out.text("}  // namespace charlore\n");

    std::string flag_summary = "flags:";
    for (const Flag &f : FLAGS) {
        int bit = 0;
        while ((1u << bit) != f.bit) ++bit;
        flag_summary += std::string(" ") + f.name + " " + std::to_string(flag_counts[static_cast<size_t>(bit)]);
    }
    size_t numeric_count = 0;
    for (const auto &[value, code_points] : numeric_groups) numeric_count += code_points.size();
    return {"ctype_tables.h",
            out.finish(),
            {std::to_string(records.records().size()) + " character type records, " +
                 std::to_string(index.blocks()) + " blocks of 64",
             std::to_string(extended_count) + " characters with CT_EXTENDED_CASE, " +
                 std::to_string(extended_table.size()) + " extended case entries (largest mapping_start " +
                 std::to_string(largest_start) + "), deltas within +-" + std::to_string(largest_delta),
             flag_summary,
             std::to_string(numeric_count) + " code points with a numeric value, " +
                 std::to_string(numeric_groups.size()) + " distinct values (U+5146 = " +
                 double_literal(numeric[0x5146]) + ")",
             std::to_string(whitespace.code_points.size()) + " whitespace and " +
                 std::to_string(linebreaks.code_points.size()) +
                 " line-break code points"}};
}

}  // namespace gen
