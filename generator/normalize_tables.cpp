// Decomposition records and their index, and the composition tables (first and last
// character ranges, pair table) of UCD 18.0.0; checks the fixed working arrays of
// normalization against the data: the pending stack and the skipped list.
#include <algorithm>
#include <array>
#include <cstdio>
#include <functional>
#include <map>
#include <set>

#include "context.h"
#include "tables.h"

namespace gen {

namespace {

// Room of the pending stack of decomposition and of the skipped list of composition.
constexpr int PENDING_CAPACITY = 20;
constexpr int SKIPPED_CAPACITY = 20;

const std::vector<std::string> PREFIX_NAMES = {
    "",         "<noBreak>",  "<compat>", "<super>",    "<fraction>", "<sub>",  "<font>",  "<circle>", "<wide>",
    "<vertical>", "<square>", "<isolated>", "<final>", "<initial>",  "<medial>", "<small>", "<narrow>"};

constexpr uint32_t HANGUL_FIRST = 0xAC00, HANGUL_COUNT = 11172, HANGUL_T_COUNT = 28;

// Bits of the derived normalization information (the module reads the same layout):
// 0-7 combining class, 8-11 quick check fails for NFD, NFKD, NFC, NFKC, then canonical
// decomposition, any decomposition, first and last character of a composition.
constexpr uint32_t INFO_QUICK_CHECK_FAILS = 0x100, INFO_CANONICAL = 0x1000, INFO_DECOMPOSES = 0x2000,
                   INFO_FIRST = 0x4000, INFO_LAST = 0x8000;
constexpr int FORM_COUNT = 4;  // NFD, NFKD, NFC, NFKC: the order of the quick-check bits

bool is_hangul_syllable(uint32_t cp) { return cp - HANGUL_FIRST < HANGUL_COUNT; }

struct Mapping {
    uint32_t prefix = 0;          // index into PREFIX_NAMES; 0 = canonical
    std::vector<uint32_t> code_points;
};

// Field 5 of a UnicodeData.txt entry, parsed; no code points where the field is empty.
Mapping parse_mapping(const UnicodeDataEntry &e) {
    Mapping m;
    std::string_view text = e.decomposition;
    if (text.empty()) return m;
    Line line{&e.file, e.line, {}};
    if (text.front() == '<') {
        size_t close = text.find('>');
        std::string tag(text.substr(0, close == std::string_view::npos ? text.size() : close + 1));
        auto it = std::find(PREFIX_NAMES.begin() + 1, PREFIX_NAMES.end(), tag);
        if (it == PREFIX_NAMES.end()) line.fail("unknown decomposition tag '" + tag + "'");
        m.prefix = static_cast<uint32_t>(it - PREFIX_NAMES.begin());
        text.remove_prefix(std::min(text.size(), tag.size()));
        while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    }
    line.fields.push_back(text);
    m.code_points = line.code_points(0);
    if (m.code_points.empty()) line.fail("decomposition mapping without code points");
    return m;
}

// Deepest use of the pending stack while one character is expanded, for every code point,
// under one of the ways decomposition can run. `mapping_of(cp)` gives the mapping that is
// followed (null when cp is appended as it is); `replacement_of(cp)` a code point that
// takes cp's place before its mapping is read, or 0.
class PendingDepth {
public:
    PendingDepth(std::function<const Mapping *(uint32_t)> mapping_of, std::function<uint32_t(uint32_t)> replacement_of)
        : mapping_of_(std::move(mapping_of)), replacement_of_(std::move(replacement_of)), depth_(CODE_POINTS, 0) {}

    // The stack holds cp alone at the start; it is popped, and its mapping pushed so that
    // the first code point is on top. Item k of n is expanded above the n - 1 - k below it.
    int of(uint32_t cp) {
        if (depth_[cp] > 0) return depth_[cp];
        if (depth_[cp] < 0) throw InputError("decomposition mappings of U+" + hex(cp) + " form a cycle");
        depth_[cp] = -1;
        int depth = 1;
        if (is_hangul_syllable(cp)) {
            depth = 1;
        } else if (uint32_t r = replacement_of_(cp)) {
            depth = of(r);
        } else if (const Mapping *m = mapping_of_(cp)) {
            size_t n = m->code_points.size();
            for (size_t k = 0; k < n; ++k) depth = std::max(depth, static_cast<int>(n - 1 - k) + of(m->code_points[k]));
        }
        return depth_[cp] = depth;
    }

    // The deepest use over all code points, and one code point that needs it.
    std::pair<int, uint32_t> deepest() {
        std::pair<int, uint32_t> best{0, 0};
        for (uint32_t cp = 0; cp < CODE_POINTS; ++cp)
            if (int d = of(cp); d > best.first) best = {d, cp};
        return best;
    }

    static std::string hex(uint32_t cp) {
        char buffer[16];
        std::snprintf(buffer, sizeof buffer, "%04X", cp);
        return buffer;
    }

private:
    std::function<const Mapping *(uint32_t)> mapping_of_;
    std::function<uint32_t(uint32_t)> replacement_of_;
    std::vector<int> depth_;
};

// Code points that have the property Full_Composition_Exclusion.
std::set<uint32_t> read_composition_exclusions(const std::filesystem::path &path) {
    std::set<uint32_t> excluded;
    UcdFile file(path);
    for (const Line &line : file.lines(2)) {
        if (line.fields[1] != "Full_Composition_Exclusion") continue;
        CodePointRange r = line.range(0);
        for (uint32_t cp = r.first; cp <= r.last; ++cp) excluded.insert(cp);
    }
    if (excluded.empty()) throw InputError(file.path() + ": no Full_Composition_Exclusion entries");
    return excluded;
}

// A numbering of code points in ascending order, stored as maximal runs.
struct RangeTable {
    std::map<uint32_t, uint32_t> index_of;
    std::vector<std::array<uint32_t, 3>> runs;  // start, count (length - 1), index of start

    explicit RangeTable(const std::set<uint32_t> &code_points) {
        for (uint32_t cp : code_points) {
            uint32_t index = static_cast<uint32_t>(index_of.size());
            index_of[cp] = index;
            if (!runs.empty() && runs.back()[0] + runs.back()[1] + 1 == cp) ++runs.back()[1];
            else runs.push_back({cp, 0, index});
        }
    }

    void write(HeaderWriter &out, const std::string &name, const std::string &what) const {
        if (index_of.count(0)) throw InputError(what + ": U+0000 cannot be stored, since start 0 ends the table");
        if (index_of.size() > 0x7FFF) throw InputError(what + ": more than 32767 code points");
        out.text("inline constexpr CompositionRange " + name + "[" + std::to_string(runs.size() + 1) + "] = {\n");
        for (const auto &[start, count, index] : runs) {
            char line[64];
            std::snprintf(line, sizeof line, "    {0x%04X, %u, %u},\n", start, count, index);
            out.text(line);
        }
        out.text("    {0, 0, 0},\n};\n\n");
    }
};

struct Composition {
    std::set<uint32_t> firsts, lasts;
    std::map<std::pair<uint32_t, uint32_t>, uint32_t> composite_of;  // (first, last) -> composite
};

// The primary composites: canonical mappings of two code points without
// Full_Composition_Exclusion.
Composition primary_composites(const std::vector<Mapping> &mappings, const std::set<uint32_t> &excluded) {
    Composition c;
    for (uint32_t cp = 0; cp < CODE_POINTS; ++cp) {
        const Mapping &m = mappings[cp];
        if (m.prefix != 0 || m.code_points.size() != 2 || excluded.count(cp)) continue;
        c.firsts.insert(m.code_points[0]);
        c.lasts.insert(m.code_points[1]);
        c.composite_of[{m.code_points[0], m.code_points[1]}] = cp;
    }
    return c;
}

// The most compositions one starter can make in a row: each absorption must give a
// composite that is itself a first character for the next one to happen.
int longest_chain(const Composition &c) {
    std::map<uint32_t, std::vector<uint32_t>> composites_of;
    for (const auto &[pair, composite] : c.composite_of) composites_of[pair.first].push_back(composite);
    std::map<uint32_t, int> chain;  // first character -> longest chain; -1 while being computed
    std::function<int(uint32_t)> of = [&](uint32_t first) {
        auto [it, fresh] = chain.emplace(first, -1);
        if (!fresh) {
            if (it->second < 0) throw InputError("compositions from U+" + PendingDepth::hex(first) + " form a cycle");
            return it->second;
        }
        int longest = 0;
        for (uint32_t composite : composites_of[first])
            longest = std::max(longest, 1 + (c.firsts.count(composite) ? of(composite) : 0));
        return chain[first] = longest;
    };
    int longest = 0;
    for (uint32_t first : c.firsts) longest = std::max(longest, of(first));
    return longest;
}

// Unicode 3.2.0 canonical mappings of one code point that differ from today's field.
std::map<uint32_t, uint32_t> old_replacements(Context &context) {
    std::map<uint32_t, uint32_t> replacements;
    for (const UnicodeDataEntry &o : context.v320().entries()) {
        const UnicodeDataEntry *n = context.current().find(o.code_point);
        Mapping old = parse_mapping(o);
        if (old.prefix == 0 && old.code_points.size() == 1 && (!n || n->decomposition != o.decomposition))
            replacements[o.code_point] = old.code_points[0];
    }
    return replacements;
}

}  // namespace

Output build_normalize_tables(Context &context) {
    const UnicodeData &data = context.current();
    std::vector<Mapping> mappings(CODE_POINTS);
    for (const UnicodeDataEntry &e : data.entries()) {
        Mapping m = parse_mapping(e);
        if (m.code_points.empty()) continue;
        if (e.last != e.code_point) fail(e.file + ":" + std::to_string(e.line), "a range cannot have a decomposition");
        if (is_hangul_syllable(e.code_point))
            fail(e.file + ":" + std::to_string(e.line), "a Hangul syllable has a stored decomposition");
        mappings[e.code_point] = std::move(m);
    }

    // Records: header word (prefix index, count << 8) and the code points; shared, in
    // order of the lowest code point that uses them; the empty record at word 0.
    std::vector<uint32_t> words{0};
    std::map<std::vector<uint32_t>, uint32_t> word_of;
    std::vector<uint32_t> record_of(CODE_POINTS, 0);
    size_t served = 0;
    for (uint32_t cp = 0; cp < CODE_POINTS; ++cp) {
        const Mapping &m = mappings[cp];
        if (m.code_points.empty()) continue;
        std::vector<uint32_t> record{m.prefix | static_cast<uint32_t>(m.code_points.size()) << 8};
        record.insert(record.end(), m.code_points.begin(), m.code_points.end());
        auto [it, fresh] = word_of.emplace(record, static_cast<uint32_t>(words.size()));
        if (fresh) words.insert(words.end(), record.begin(), record.end());
        record_of[cp] = it->second;
        ++served;
    }
    if (*std::max_element(record_of.begin(), record_of.end()) > 0xFFFF)
        throw InputError("decomposition records: a record starts beyond word 65535");
    TwoStageIndex decomposition_index = build_two_stage(record_of, 7);
    if (decomposition_index.blocks() > 0xFF) throw InputError("decomposition index: more than 255 blocks");

    // Composition: first and last characters, and the pair table in blocks of four.
    Composition composition =
        primary_composites(mappings, read_composition_exclusions(context.current_file("DerivedNormalizationProps.txt")));
    RangeTable firsts(composition.firsts), lasts(composition.lasts);
    for (uint32_t first : composition.firsts)
        if (const UnicodeDataEntry *e = data.find(first); e && e->combining != 0)
            fail(e->file + ":" + std::to_string(e->line), "a first character of a composite is not a starter");
    const uint32_t last_count = static_cast<uint32_t>(composition.lasts.size());
    std::vector<uint32_t> pairs(composition.firsts.size() * last_count, 0);
    for (const auto &[pair, composite] : composition.composite_of)
        pairs[firsts.index_of[pair.first] * last_count + lasts.index_of[pair.second]] = composite;
    size_t pair_count = pairs.size();
    pairs.resize(std::max(size_t{4}, (pairs.size() + 3) & ~size_t{3}), 0);  // whole blocks, at least one
    TwoStageIndex pair_index = build_two_stage(pairs, 2);
    if (pair_index.blocks() > 0xFFFF) throw InputError("composition pairs: more than 65535 blocks");
    int chain = longest_chain(composition);
    if (chain > SKIPPED_CAPACITY)
        throw InputError("a starter can absorb " + std::to_string(chain) + " characters in a row, more than the " +
                         std::to_string(SKIPPED_CAPACITY) + " of the skipped list");

    // The pending stack must hold every expansion: canonical and compatibility mappings of
    // the current data, and the same with the Unicode 3.2.0 changes (replacements, and no
    // mapping for characters that were not assigned then).
    std::map<uint32_t, uint32_t> replacements = old_replacements(context);
    auto mapping = [&](bool compatibility, bool old) {
        return [&, compatibility, old](uint32_t cp) -> const Mapping * {
            const Mapping &m = mappings[cp];
            if (m.code_points.empty() || (!compatibility && m.prefix != 0)) return nullptr;
            if (old && !context.v320().find(cp) && data.find(cp)) return nullptr;
            return &m;
        };
    };
    auto none = [](uint32_t) { return uint32_t{0}; };
    auto replacement = [&](uint32_t cp) {
        auto it = replacements.find(cp);
        return it == replacements.end() ? uint32_t{0} : it->second;
    };
    struct Depths {
        std::string what;
        std::pair<int, uint32_t> deepest;
    };
    std::vector<Depths> depths;
    for (bool compatibility : {true, false}) {
        for (bool old : {false, true}) {
            PendingDepth depth(mapping(compatibility, old), old ? std::function<uint32_t(uint32_t)>(replacement) : none);
            std::string what = std::string(compatibility ? "compatibility" : "canonical") + (old ? ", 3.2.0" : "");
            depths.push_back({what, depth.deepest()});
            if (depths.back().deepest.first > PENDING_CAPACITY)
                throw InputError("decomposition of U+" + PendingDepth::hex(depths.back().deepest.second) + " (" + what +
                                 ") needs " + std::to_string(depths.back().deepest.first) +
                                 " pending code points, more than the pending stack's " +
                                 std::to_string(PENDING_CAPACITY));
        }
    }

    // The longest full decomposition of one code point of the current data, in either form:
    // the room the fast path gives one character's expansion.
    size_t longest_expansion = 0;
    for (bool compatibility : {false, true}) {
        std::vector<size_t> length(CODE_POINTS, 0);
        auto mapping_of = mapping(compatibility, false);
        std::function<size_t(uint32_t)> expanded = [&](uint32_t cp) -> size_t {
            if (length[cp] != 0) return length[cp];
            size_t n = 1;
            if (is_hangul_syllable(cp)) {
                n = (cp - HANGUL_FIRST) % HANGUL_T_COUNT == 0 ? 2 : 3;  // no trailing consonant: L V
            } else if (const Mapping *m = mapping_of(cp)) {
                n = 0;
                for (uint32_t part : m->code_points) n += expanded(part);
            }
            return length[cp] = n;
        };
        for (uint32_t cp = 0; cp < CODE_POINTS; ++cp) longest_expansion = std::max(longest_expansion, expanded(cp));
    }

    // Derived for the fast paths: one 16-bit word of normalization information per code
    // point, and for each form the code point below which every character passes the
    // quick check with class 0.
    std::vector<uint8_t> checks = read_quick_checks(context.current_file("DerivedNormalizationProps.txt"));
    std::vector<uint32_t> info(CODE_POINTS, 0);
    std::vector<uint32_t> quick_check_yes_below(FORM_COUNT, CODE_POINTS);
    for (uint32_t cp = 0; cp < CODE_POINTS; ++cp) {
        const UnicodeDataEntry *e = data.find(cp);
        uint32_t bits = e ? static_cast<uint32_t>(e->combining) : 0;
        for (int form = 0; form < FORM_COUNT; ++form)
            if ((checks[cp] >> (2 * form)) & 3) bits |= INFO_QUICK_CHECK_FAILS << form;
        const Mapping &m = mappings[cp];
        if (is_hangul_syllable(cp) || (!m.code_points.empty() && m.prefix == 0)) bits |= INFO_CANONICAL;
        if (is_hangul_syllable(cp) || !m.code_points.empty()) bits |= INFO_DECOMPOSES;
        if (composition.firsts.count(cp)) bits |= INFO_FIRST;
        if (composition.lasts.count(cp)) bits |= INFO_LAST;
        info[cp] = bits;
        for (int form = 0; form < FORM_COUNT; ++form)
            if ((bits & (0xFF | INFO_QUICK_CHECK_FAILS << form)) && quick_check_yes_below[form] == CODE_POINTS)
                quick_check_yes_below[form] = cp;
    }
    // Per code point of the BMP, bit `form` set where that form's quick check fails or the
    // class is not 0: the characters at which a scan for the quick check looks closer.
    std::vector<uint32_t> bmp_stops(0x10000, 0);
    for (uint32_t cp = 0; cp < bmp_stops.size(); ++cp)
        for (int form = 0; form < FORM_COUNT; ++form)
            if (info[cp] & (0xFF | INFO_QUICK_CHECK_FAILS << form)) bmp_stops[cp] |= 1u << form;
    // Per code point, its index among the first characters plus 1 (bits 0-8) and among the
    // last characters plus 1 (bits 9-15), 0 where it is none: the composition ranges
    // looked up directly.
    if (composition.firsts.size() >= 0x1FF || composition.lasts.size() >= 0x7F)
        throw InputError("composition: more first or last characters than the direct index holds");
    std::vector<uint32_t> composition_index(CODE_POINTS, 0);
    for (const auto &[cp, index] : firsts.index_of) composition_index[cp] |= index + 1;
    for (const auto &[cp, index] : lasts.index_of) composition_index[cp] |= (index + 1) << 9;
    TwoStageIndex composition_index_table = build_two_stage(composition_index, 7);
    if (composition_index_table.blocks() > 0xFF) throw InputError("composition index: more than 255 blocks");
    TwoStageIndex info_index = build_two_stage(info, 7);
    if (info_index.blocks() > 0xFF) throw InputError("normalization information: more than 255 blocks");

    HeaderWriter out("Decomposition records and index, and composition tables, of UCD 18.0.0.",
                     "UCD 18.0.0 (UnicodeData.txt, DerivedNormalizationProps.txt) and Unicode 3.2.0 "
                     "(UnicodeData.txt, for the pending-stack check)");
    out.text("#include \"../normalize.h\"\n\nnamespace charlore {\n\n");
    out.text("inline constexpr const char *decomposition_prefix_names[" + std::to_string(PREFIX_NAMES.size() + 1) +
             "] = {\n   ");
    for (const std::string &name : PREFIX_NAMES) out.text(" " + string_literal(name) + ",");
    out.text(" nullptr,\n};\n\n");
    out.text("// Records: a header word (bits 0-7 prefix index, bits 8-31 count), then the code points.\n");
    out.array("uint32_t", "decomposition_words", words, 8, true);
    out.array("uint8_t", "decomposition_stage1", decomposition_index.stage1, 16);
    out.array("uint16_t", "decomposition_stage2", decomposition_index.stage2, 16);
    firsts.write(out, "composition_first_ranges", "first characters");
    lasts.write(out, "composition_last_ranges", "last characters");
    out.constant("int32_t", "LAST_COUNT", last_count);
    out.text("\n");
    out.array("uint16_t", "composition_stage1", pair_index.stage1, 16);
    out.array("uint32_t", "composition_pairs", pair_index.stage2, 8, true);
    out.text("// Derived from the tables above and the property records, for the fast paths: per code\n"
             "// point bits 0-7 the combining class, bits 8-11 set where the NFD, NFKD, NFC, NFKC quick\n"
             "// check fails, bit 12 canonical decomposition, bit 13 any decomposition (both also for\n"
             "// Hangul syllables), bit 14 first and bit 15 last character of a primary composite.\n");
    out.array("uint8_t", "normalization_info_stage1", info_index.stage1, 16);
    out.array("uint16_t", "normalization_info_stage2", info_index.stage2, 8, true);
    out.text("// Per code point: bits 0-8 its index in composition_first_ranges plus 1, bits 9-15 its\n"
             "// index in composition_last_ranges plus 1; 0 where it is neither.\n");
    out.array("uint8_t", "composition_index_stage1", composition_index_table.stage1, 16);
    out.array("uint16_t", "composition_index_stage2", composition_index_table.stage2, 8, true);
    out.text("// Per form (NFD, NFKD, NFC, NFKC): every code point below passes the quick check with\n"
             "// class 0.\n");
    out.array("uint32_t", "QUICK_CHECK_YES_BELOW", quick_check_yes_below, 4, true);
    out.text("// The most code points that the full decomposition of one code point has, in either form.\n");
    out.constant("int", "LONGEST_EXPANSION", longest_expansion);
    out.text("// Per BMP code point: bit 0 NFD, 1 NFKD, 2 NFC, 3 NFKC set where that quick check fails\n"
             "// or the combining class is not 0.\n");
    out.array("uint8_t", "quick_check_stops_bmp", bmp_stops, 32);
    out.text("}  // namespace charlore\n");

    std::vector<std::string> summary{
        std::to_string(word_of.size() + 1) + " decomposition records in " + std::to_string(words.size()) +
            " words serving " + std::to_string(served) + " code points, " +
            std::to_string(decomposition_index.blocks()) + " blocks of 128",
        std::to_string(composition.firsts.size()) + " first characters in " + std::to_string(firsts.runs.size()) +
            " runs, " + std::to_string(last_count) + " last characters in " + std::to_string(lasts.runs.size()) +
            " runs, " + std::to_string(composition.composite_of.size()) + " primary composites",
        std::to_string(pair_index.stage1.size()) + " composition stage-1 entries (" + std::to_string(pair_count) +
            " pairs), " + std::to_string(pair_index.blocks()) + " blocks of four",
        std::to_string(info_index.blocks()) + " blocks of derived normalization information, longest expansion " +
            std::to_string(longest_expansion),
        "longest composition chain " + std::to_string(chain) + " (skipped list " + std::to_string(SKIPPED_CAPACITY) +
            ")"};
    for (const Depths &d : depths)
        summary.push_back("deepest pending-stack use " + std::to_string(d.deepest.first) + " (" + d.what + ", U+" +
                          PendingDepth::hex(d.deepest.second) + "; room " + std::to_string(PENDING_CAPACITY) + ")");
    return {"normalize_tables.h", out.finish(), summary};
}

}  // namespace gen
