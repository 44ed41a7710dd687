// The string-valued properties the other tables do not hold: bidi mirroring glyphs and
// paired brackets, equivalent ideographs, the NFKC closures and case folds, the simple
// case mappings where they differ from the first code point of the full ones, and the
// text fields Unicode_1_Name, ISO_Comment and Jamo_Short_Name. Each is a sorted list
// of ranges of code points sharing one value, the values kept once in a pool.
#include <algorithm>
#include <map>
#include <optional>

#include "context.h"
#include "property_file.h"
#include "tables.h"

namespace gen {

namespace {

// What a code point no line lists gets, as the runtime names it.
enum Missing { MISSING_CODE_POINT, MISSING_NONE, MISSING_EMPTY };
const char *const MISSING_NAMES[] = {"MISSING_CODE_POINT", "MISSING_NONE", "MISSING_EMPTY"};

using Sequence = std::u32string;

// One property's listed values; code points not in `listed` take `missing`, or the
// fallback table's value where there is one.
struct Table {
    std::string short_name;
    bool text = false;  // the values are ASCII text, not code points
    Missing missing = MISSING_CODE_POINT;
    int fallback = -1;
    std::map<uint32_t, Sequence> listed;
};

Sequence parse_sequence(const std::string &value, const std::string &where) {
    Sequence s;
    for (size_t i = 0; i < value.size();) {
        if (value[i] == ' ') {
            ++i;
            continue;
        }
        size_t end = value.find(' ', i);
        std::string digits = value.substr(i, end == std::string::npos ? std::string::npos : end - i);
        if (digits.size() < 4 || digits.size() > 6 || digits.find_first_not_of("0123456789ABCDEF") != std::string::npos)
            throw InputError(where + ": '" + value + "' is not a sequence of code points");
        uint32_t cp = static_cast<uint32_t>(std::stoul(digits, nullptr, 16));
        if (cp >= CODE_POINTS) throw InputError(where + ": code point " + digits + " above 10FFFF");
        s.push_back(cp);
        i = end == std::string::npos ? value.size() : end;
    }
    return s;
}

// The default of a property: one @missing line over every code point, "<code point>" or
// "<none>".
Missing missing_of(const std::vector<RangeValue> &defaults, const std::string &what) {
    if (defaults.empty()) throw InputError(what + ": no @missing default");
    const RangeValue &d = defaults.back();
    if (d.range.first != 0 || d.range.last != CODE_POINTS - 1)
        throw InputError(d.where + ": a default of part of the code points for a string property");
    if (d.value == "<code point>") return MISSING_CODE_POINT;
    if (d.value == "<none>") return MISSING_NONE;
    throw InputError(d.where + ": default '" + d.value + "' (expected <code point> or <none>)");
}

// The data lines of one property; with `single`, each value is one code point (a glyph,
// a bracket, an ideograph), never an empty or longer sequence.
void add_listed(Table &t, const std::vector<RangeValue> &listed, bool single) {
    for (const RangeValue &r : listed) {
        Sequence s = parse_sequence(r.value, r.where);
        if (single && s.size() != 1)
            throw InputError(r.where + ": a value of " + std::to_string(s.size()) + " code points (expected one)");
        for (uint32_t cp = r.range.first; cp <= r.range.last; ++cp)
            if (!t.listed.emplace(cp, s).second) throw InputError(r.where + ": code point listed twice");
    }
}

// The value of cp in a table without fallback, the default written out.
std::optional<Sequence> value_of(const Table &t, uint32_t cp) {
    auto it = t.listed.find(cp);
    if (it != t.listed.end()) return it->second;
    if (t.missing == MISSING_NONE) return std::nullopt;
    if (t.missing == MISSING_EMPTY) return Sequence();
    return Sequence(1, cp);
}

class Sources {
public:
    explicit Sources(Context &context) : context_(context) {
        value_alias_defaults_ = read_named_properties(context.current_file("PropertyValueAliases.txt"), true);
        normalization_ = read_named_properties(context.current_file("DerivedNormalizationProps.txt"));
    }

    // A file of one property whose values are single code points; defaults from its own
    // @missing lines, else from PropertyValueAliases.txt.
    Table one_property_file(const std::string &short_name, const std::string &long_name, const char *name) {
        const std::filesystem::path path = context_.current_file(name);
        PropertyRanges r = read_property_file(path);
        Table t{short_name, false, missing_of(r.defaults.empty() ? value_alias_defaults(long_name) : r.defaults,
                                              path.string() + " (" + long_name + ")"), -1, {}};
        add_listed(t, r.listed, true);
        return t;
    }

    Table normalization_property(const std::string &short_name, const std::string &long_name) {
        auto it = normalization_.find(short_name);
        if (it == normalization_.end()) throw InputError(long_name + ": DerivedNormalizationProps.txt does not list it");
        const auto &defaults = it->second.defaults.empty() ? value_alias_defaults(long_name) : it->second.defaults;
        Table t{short_name, false, missing_of(defaults, long_name), -1, {}};
        add_listed(t, it->second.listed, false);
        return t;
    }

    // The raw fields of UnicodeData.txt: a value for each code point of a line.
    template <class Each>
    void unicode_data_fields(Each each) {
        UcdFile file(context_.current_file("UnicodeData.txt"));
        for (const Line &line : file.lines(15)) {
            const UnicodeDataEntry *e = context_.current().find(line.code_point(0));
            for (uint32_t cp = e->code_point; cp <= e->last; ++cp) each(cp, line);
        }
    }

private:
    const std::vector<RangeValue> &value_alias_defaults(const std::string &long_name) {
        static const std::vector<RangeValue> none;
        auto it = value_alias_defaults_.find(long_name);
        return it == value_alias_defaults_.end() ? none : it->second.defaults;
    }

    Context &context_;
    std::map<std::string, PropertyRanges> value_alias_defaults_, normalization_;
};

// Full mappings of one case (uppercase, lowercase, titlecase, folding) as the character
// type tables answer them: unconditional SpecialCasing.txt entries over UnicodeData.txt,
// folding from CaseFolding.txt's C and F entries; and the simple ones, from
// UnicodeData.txt (titlecase defaulting to uppercase) and the C and S entries.
struct CaseMappings {
    std::map<uint32_t, Sequence> full[4];
    std::map<uint32_t, uint32_t> simple[4];
};

CaseMappings read_case_mappings(Context &context, Sources &sources) {
    CaseMappings m;
    sources.unicode_data_fields([&](uint32_t cp, const Line &line) {
        std::optional<uint32_t> upper, lower, title;
        if (!line.fields[12].empty()) upper = line.code_point(12);
        if (!line.fields[13].empty()) lower = line.code_point(13);
        if (!line.fields[14].empty()) title = line.code_point(14);
        if (!title) title = upper;
        const std::optional<uint32_t> fields[3] = {upper, lower, title};
        for (int c = 0; c < 3; ++c)
            if (fields[c]) m.simple[c][cp] = *fields[c], m.full[c][cp] = Sequence(1, *fields[c]);
    });
    UcdFile special(context.current_file("SpecialCasing.txt"));
    for (const Line &line : special.lines(4)) {
        if (line.fields.size() > 4 && !line.fields[4].empty()) continue;  // a conditional mapping
        const uint32_t cp = line.code_point(0);
        const size_t fields[3] = {3, 1, 2};  // upper, lower, title
        for (int c = 0; c < 3; ++c) {
            std::vector<uint32_t> s = line.code_points(fields[c]);
            m.full[c][cp] = Sequence(s.begin(), s.end());
        }
    }
    UcdFile folding(context.current_file("CaseFolding.txt"));
    for (const Line &line : folding.lines(3)) {
        const uint32_t cp = line.code_point(0);
        std::vector<uint32_t> s = line.code_points(2);
        if (line.fields[1] != "C" && line.fields[1] != "F" && line.fields[1] != "S" && line.fields[1] != "T")
            line.fail("unknown status '" + std::string(line.fields[1]) + "'");
        if (line.fields[1] == "C" || line.fields[1] == "F") m.full[3][cp] = Sequence(s.begin(), s.end());
        if (line.fields[1] == "C" || line.fields[1] == "S") {
            if (s.size() != 1) line.fail("a simple case folding of other than one code point");
            m.simple[3][cp] = s[0];
        }
    }
    return m;
}

// The simple mapping of case c where it differs from the first code point of the full
// one, which the character type tables give.
Table simple_case_exceptions(const std::string &short_name, const CaseMappings &m, int c) {
    Table t{short_name, false, MISSING_CODE_POINT, -1, {}};
    for (uint32_t cp = 0; cp < CODE_POINTS; ++cp) {
        auto s = m.simple[c].find(cp);
        auto f = m.full[c].find(cp);
        const uint32_t simple = s == m.simple[c].end() ? cp : s->second;
        const uint32_t first = f == m.full[c].end() || f->second.empty() ? cp : f->second[0];
        if (simple != first) t.listed[cp] = Sequence(1, simple);
    }
    return t;
}

// A text field: its ASCII characters as a sequence.
Sequence text_sequence(std::string_view text, const Line &line) {
    Sequence s;
    for (char c : text) {
        if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) >= 0x7F)
            line.fail("a text field with a character other than printable ASCII");
        s.push_back(static_cast<unsigned char>(c));
    }
    return s;
}

// The pool of values: each distinct sequence once, at its offset.
class Pool {
public:
    uint32_t add(const Sequence &s, const std::string &what) {
        if (s.size() > 0xFF) throw InputError(what + ": a value of more than 255 code points");
        auto [it, inserted] = offsets_.emplace(s, static_cast<uint32_t>(items_.size()));
        if (inserted) items_.insert(items_.end(), s.begin(), s.end());
        if (it->second > 0xFFFFFF) throw InputError(what + ": the value pool outgrows 2^24 entries");
        return it->second | static_cast<uint32_t>(s.size()) << 24;
    }
    const std::vector<uint32_t> &items() const { return items_; }

private:
    std::map<Sequence, uint32_t> offsets_;
    std::vector<uint32_t> items_;
};

}  // namespace

const std::vector<std::string> &mapped_properties() {
    static const std::vector<std::string> names = {"bmg", "bpb", "EqUIdeo", "FC_NFKC", "NFKC_CF", "NFKC_SCF",
                                                   "suc", "slc",  "stc",     "scf",     "na1",     "isc", "JSN"};
    return names;
}

Output build_mapping_tables(Context &context) {
    Sources sources(context);
    std::vector<Table> tables;
    tables.push_back(sources.one_property_file("bmg", "Bidi_Mirroring_Glyph", "BidiMirroring.txt"));
    tables.push_back(sources.one_property_file("bpb", "Bidi_Paired_Bracket", "BidiBrackets.txt"));
    tables.push_back(sources.one_property_file("EqUIdeo", "Equivalent_Unified_Ideograph", "EquivalentUnifiedIdeograph.txt"));
    tables.push_back(sources.normalization_property("FC_NFKC", "FC_NFKC_Closure"));
    tables.push_back(sources.normalization_property("NFKC_CF", "NFKC_Casefold"));

    // NFKC_Simple_Casefold keeps only where it differs from NFKC_Casefold.
    Table simple_fold = sources.normalization_property("NFKC_SCF", "NFKC_Simple_Casefold");
    const Table &full_fold = tables.back();
    Table scf_differences{"NFKC_SCF", false, simple_fold.missing, static_cast<int>(tables.size() - 1), {}};
    for (uint32_t cp = 0; cp < CODE_POINTS; ++cp) {
        std::optional<Sequence> own = value_of(simple_fold, cp), other = value_of(full_fold, cp);
        if (!own) throw InputError("NFKC_Simple_Casefold: a code point without a value");
        if (own != other) scf_differences.listed[cp] = *own;
    }
    tables.push_back(std::move(scf_differences));

    const CaseMappings cases = read_case_mappings(context, sources);
    const char *const simple_names[4] = {"suc", "slc", "stc", "scf"};
    for (int c = 0; c < 4; ++c) tables.push_back(simple_case_exceptions(simple_names[c], cases, c));

    Table unicode_1{"na1", true, MISSING_EMPTY, -1, {}}, iso_comment{"isc", true, MISSING_EMPTY, -1, {}};
    sources.unicode_data_fields([&](uint32_t cp, const Line &line) {
        if (!line.fields[10].empty()) unicode_1.listed[cp] = text_sequence(line.fields[10], line);
        if (!line.fields[11].empty()) iso_comment.listed[cp] = text_sequence(line.fields[11], line);
    });
    Table jamo{"JSN", true, MISSING_EMPTY, -1, {}};
    UcdFile jamo_file(context.current_file("Jamo.txt"));
    for (const Line &line : jamo_file.lines(2))
        if (!jamo.listed.emplace(line.code_point(0), text_sequence(line.fields[1], line)).second)
            line.fail("code point listed twice");
    tables.push_back(std::move(unicode_1));
    tables.push_back(std::move(iso_comment));
    tables.push_back(std::move(jamo));

    if (tables.size() != mapped_properties().size()) throw InputError("mapping tables out of step with their names");
    for (size_t i = 0; i < tables.size(); ++i)
        if (tables[i].short_name != mapped_properties()[i]) throw InputError("mapping tables out of step with their names");

    // Ranges of consecutive code points with one value, then the tables' extents.
    Pool code_points, text;
    std::vector<uint32_t> firsts, lasts, values, table_rows;
    size_t largest = 0;
    for (const Table &t : tables) {
        const size_t start = firsts.size();
        for (auto it = t.listed.begin(); it != t.listed.end();) {
            auto end = std::next(it);
            uint32_t last = it->first;
            while (end != t.listed.end() && end->first == last + 1 && end->second == it->second) last = end->first, ++end;
            firsts.push_back(it->first);
            lasts.push_back(last);
            values.push_back((t.text ? text : code_points).add(it->second, t.short_name));
            largest = std::max(largest, it->second.size());
            it = end;
        }
        table_rows.push_back(static_cast<uint32_t>(start));
        table_rows.push_back(static_cast<uint32_t>(firsts.size() - start));
    }

    HeaderWriter out("The string-valued properties of UCD 18.0.0 that other tables do not hold.",
                     "UCD 18.0.0 (BidiMirroring.txt, BidiBrackets.txt, EquivalentUnifiedIdeograph.txt, "
                     "DerivedNormalizationProps.txt, UnicodeData.txt, SpecialCasing.txt, CaseFolding.txt, Jamo.txt)");
    out.text("namespace charlore::mappings {\n\n");
    out.text("enum Missing : uint8_t {");
    for (const char *m : MISSING_NAMES) out.text(std::string(" ") + m + ",");
    out.text(" };\n\n");
    out.text("// One property's ranges: range_firsts/lasts/values[first..+count), sorted, not overlapping.\n"
             "// A code point outside them takes the fallback table's value (-1: none) or `missing`.\n"
             "struct MappingTable {\n    uint32_t first, count;\n    int8_t fallback;\n    Missing missing;\n"
             "    bool text;  // values in mapping_text, else in mapping_code_points\n};\n\n");
    out.text("inline constexpr MappingTable mapping_tables[" + std::to_string(tables.size()) + "] = {\n");
    for (size_t i = 0; i < tables.size(); ++i)
        out.text("    {" + std::to_string(table_rows[2 * i]) + ", " + std::to_string(table_rows[2 * i + 1]) + ", " +
                 std::to_string(tables[i].fallback) + ", " + MISSING_NAMES[tables[i].missing] + ", " +
                 (tables[i].text ? "true" : "false") + "},  // " + tables[i].short_name + "\n");
    out.text("};\n\n");
    out.constant("size_t", "MAPPING_LONGEST", largest);
    out.text("// A range's value: offset into its pool (bits 0-23) and length (bits 24-31).\n");
    out.array("uint32_t", "range_firsts", firsts, 10, true);
    out.array("uint32_t", "range_lasts", lasts, 10, true);
    out.array("uint32_t", "range_values", values, 10, true);
    out.array("uint32_t", "mapping_code_points", code_points.items().empty() ? std::vector<uint32_t>{0} : code_points.items(),
              10, true);
    std::string chars(text.items().begin(), text.items().end());
    out.text("inline constexpr char mapping_text[] =");
    for (size_t i = 0; i < chars.size(); i += 100) out.text("\n    " + string_literal(chars.substr(i, 100)));
    out.text(";\n\n}  // namespace charlore::mappings\n");

    Output output{"mapping_tables.h", out.finish(), {}};
    output.summary.push_back(std::to_string(tables.size()) + " string properties, " + std::to_string(firsts.size()) +
                             " ranges, " + std::to_string(code_points.items().size()) + " pooled code points, " +
                             std::to_string(chars.size()) + " bytes of text");
    return output;
}

}  // namespace gen
