// The full decompositions of UCD 18.0.0, canonical and compatibility, one per form for
// every code point that decomposes: mappings followed to the end and put into canonical
// order, so that decomposing a character takes one lookup.
#include <algorithm>
#include <functional>
#include <map>

#include "context.h"
#include "tables.h"

namespace gen {

namespace {

constexpr uint32_t HANGUL_FIRST = 0xAC00, HANGUL_COUNT = 11172, HANGUL_N_COUNT = 588, HANGUL_T_COUNT = 28;
constexpr uint32_t JAMO_L = 0x1100, JAMO_V = 0x1161, JAMO_T = 0x11A7;

// A word of an expansion: the code point in bits 0-23, its combining class in bits 24-31.
constexpr int CLASS_SHIFT = 24;

bool is_hangul_syllable(uint32_t cp) { return cp - HANGUL_FIRST < HANGUL_COUNT; }

struct Mapping {
    bool canonical = false;
    std::vector<uint32_t> code_points;
};

// Field 5 of the entry as code points, and whether it has no tag. (The decomposition
// records' builder checks the tags themselves.)
Mapping mapping_of(const UnicodeDataEntry &e) {
    Mapping m;
    std::string_view text = e.decomposition;
    if (text.empty()) return m;
    m.canonical = text.front() != '<';
    if (!m.canonical) {
        const size_t close = text.find('>');
        text.remove_prefix(close == std::string_view::npos ? text.size() : close + 1);
        while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    }
    Line line{&e.file, e.line, {text}};
    m.code_points = line.code_points(0);
    return m;
}

}  // namespace

Output build_expansion_tables(Context &context) {
    const UnicodeData &data = context.current();
    std::vector<Mapping> mappings(CODE_POINTS);
    std::vector<uint32_t> classes(CODE_POINTS, 0);
    for (const UnicodeDataEntry &e : data.entries()) {
        for (uint32_t cp = e.code_point; cp <= e.last; ++cp) classes[cp] = static_cast<uint32_t>(e.combining);
        if (e.last == e.code_point) mappings[e.code_point] = mapping_of(e);
    }

    // The full decomposition of cp in one form, in canonical order: each mapping followed
    // to its end, Hangul syllables by arithmetic, then every run of non-starters sorted
    // stably by class.
    std::vector<std::vector<uint32_t>> full[2];
    for (int compatibility = 0; compatibility < 2; ++compatibility) {
        std::vector<std::vector<uint32_t>> &done = full[compatibility];
        done.assign(CODE_POINTS, {});
        std::function<const std::vector<uint32_t> &(uint32_t)> expand = [&](uint32_t cp) -> const std::vector<uint32_t> & {
            std::vector<uint32_t> &result = done[cp];
            if (!result.empty()) return result;
            const Mapping &m = mappings[cp];
            std::vector<uint32_t> parts;
            if (is_hangul_syllable(cp)) {
                const uint32_t index = cp - HANGUL_FIRST;
                parts = {JAMO_L + index / HANGUL_N_COUNT, JAMO_V + index % HANGUL_N_COUNT / HANGUL_T_COUNT};
                if (index % HANGUL_T_COUNT != 0) parts.push_back(JAMO_T + index % HANGUL_T_COUNT);
            } else if (!m.code_points.empty() && (compatibility || m.canonical)) {
                for (uint32_t part : m.code_points) {
                    const std::vector<uint32_t> &expanded = expand(part);
                    parts.insert(parts.end(), expanded.begin(), expanded.end());
                }
            } else {
                parts = {cp};
            }
            for (auto run = parts.begin(); run != parts.end();) {
                if (classes[*run] == 0) {
                    ++run;
                    continue;
                }
                auto end = std::find_if(run, parts.end(), [&](uint32_t c) { return classes[c] == 0; });
                std::stable_sort(run, end, [&](uint32_t a, uint32_t b) { return classes[a] < classes[b]; });
                run = end;
            }
            return done[cp] = std::move(parts);
        };
        for (uint32_t cp = 0; cp < CODE_POINTS; ++cp) expand(cp);
    }

    // One entry per code point that decomposes in either form, Hangul syllables left to
    // arithmetic; entry 0 is none. Each entry gives, per form
    // (canonical, compatibility), where its words start and how many there are; equal
    // expansions share their words.
    std::vector<uint32_t> entry_of(CODE_POINTS, 0), spans{0, 0}, words;
    std::map<std::vector<uint32_t>, uint32_t> word_of;
    size_t longest = 0;
    for (uint32_t cp = 0; cp < CODE_POINTS; ++cp) {
        if (is_hangul_syllable(cp) || mappings[cp].code_points.empty()) continue;
        entry_of[cp] = static_cast<uint32_t>(spans.size() / 2);
        for (int compatibility = 0; compatibility < 2; ++compatibility) {
            std::vector<uint32_t> expansion;
            for (uint32_t c : full[compatibility][cp]) expansion.push_back(c | classes[c] << CLASS_SHIFT);
            auto [it, fresh] = word_of.emplace(expansion, static_cast<uint32_t>(words.size()));
            if (fresh) words.insert(words.end(), expansion.begin(), expansion.end());
            spans.push_back(it->second | static_cast<uint32_t>(expansion.size()) << 16);
            longest = std::max(longest, expansion.size());
        }
    }
    const size_t entries = spans.size() / 2;
    if (entries > 0x10000) throw InputError("full decompositions: more than 65536 entries");
    if (words.size() > 0x10000) throw InputError("full decompositions: more than 65536 words");
    if (longest > 0xFF) throw InputError("full decompositions: an expansion longer than 255 code points");
    TwoStageIndex index = build_two_stage(entry_of, 7);
    if (index.blocks() > 0xFF) throw InputError("full decomposition index: more than 255 blocks");

    HeaderWriter out("Full canonical and compatibility decompositions, in canonical order, of UCD 18.0.0.",
                     "UCD 18.0.0 (UnicodeData.txt)");
    out.text("namespace charlore {\n\n");
    out.text("// Per code point its entry below; 0 (none) for starters without a decomposition and\n"
             "// for Hangul syllables.\n");
    out.array("uint8_t", "expansion_stage1", index.stage1, 16);
    out.array("uint16_t", "expansion_stage2", index.stage2, 16);
    out.text("// Per entry k, at 2k the canonical and at 2k + 1 the compatibility expansion: bits 0-15\n"
             "// its first word in expansion_words, bits 16-23 its count of words.\n");
    out.array("uint32_t", "expansion_spans", spans, 8, true);
    out.text("// Words of the expansions: bits 0-23 a code point, bits 24-31 its combining class.\n");
    out.array("uint32_t", "expansion_words", words, 8, true);
    out.constant("int", "EXPANSION_CLASS_SHIFT", CLASS_SHIFT);
    out.text("}  // namespace charlore\n");
    return {"expansion_tables.h",
            out.finish(),
            {std::to_string(entries - 1) + " full decompositions (both forms) in " + std::to_string(words.size()) +
             " words, " + std::to_string(index.blocks()) + " blocks of 128, longest " + std::to_string(longest)}};
}

}  // namespace gen
