// The reference normalizer of the fuzz targets (see the header).
#include "reference_normalizer.h"

#include <set>
#include <utility>

#include "ucd_file.h"
#include "unicode_data.h"

namespace fuzz {

namespace {

constexpr char32_t S_BASE = 0xAC00, L_BASE = 0x1100, V_BASE = 0x1161, T_BASE = 0x11A7;
constexpr char32_t L_COUNT = 19, V_COUNT = 21, T_COUNT = 28, S_COUNT = 11172;
constexpr char32_t N_COUNT = V_COUNT * T_COUNT;

uint64_t pair_key(char32_t first, char32_t second) { return (uint64_t{first} << 32) | second; }

}  // namespace

ReferenceNormalizer::ReferenceNormalizer(const std::string &ucd_directory) : combining_(gen::CODE_POINTS, 0) {
    const gen::UnicodeData data(ucd_directory + "/UnicodeData.txt");
    std::set<char32_t> excluded;
    const gen::UcdFile properties(ucd_directory + "/DerivedNormalizationProps.txt");  // the lines point into it
    for (const gen::Line &line : properties.lines(2)) {
        if (line.fields[1] != "Full_Composition_Exclusion") continue;
        const gen::CodePointRange range = line.range(0);
        for (uint32_t cp = range.first; cp <= range.last; ++cp) excluded.insert(cp);
    }
    std::set<char32_t> interesting;
    for (const gen::UnicodeDataEntry &entry : data.entries()) {
        for (uint32_t cp = entry.code_point; cp <= entry.last; ++cp) {
            combining_[cp] = static_cast<uint8_t>(entry.combining);
            if (entry.combining != 0) interesting.insert(cp);
        }
        if (entry.decomposition.empty()) continue;
        Mapping mapping{entry.decomposition[0] == '<', {}};
        std::string items = entry.decomposition;
        if (mapping.compatibility) items = items.substr(items.find('>') + 1);
        size_t start = 0;
        while (start < items.size()) {
            size_t end = items.find(' ', start);
            if (end == std::string::npos) end = items.size();
            if (end > start) mapping.code_points += static_cast<char32_t>(std::stoul(items.substr(start, end - start), nullptr, 16));
            start = end + 1;
        }
        const char32_t cp = entry.code_point;
        interesting.insert(cp);
        for (char32_t part : mapping.code_points) interesting.insert(part);
        if (!mapping.compatibility && mapping.code_points.size() == 2 && !excluded.count(cp))
            composites_[pair_key(mapping.code_points[0], mapping.code_points[1])] = cp;
        mappings_.emplace(cp, std::move(mapping));
    }
    // Jamo and a few syllables, for the arithmetic paths.
    for (char32_t c = L_BASE; c < L_BASE + L_COUNT; ++c) interesting.insert(c);
    for (char32_t c = V_BASE; c < V_BASE + V_COUNT; ++c) interesting.insert(c);
    for (char32_t c = T_BASE + 1; c < T_BASE + T_COUNT; ++c) interesting.insert(c);
    for (char32_t c = S_BASE; c < S_BASE + S_COUNT; c += 97) interesting.insert(c);
    interesting_.assign(interesting.begin(), interesting.end());
}

void ReferenceNormalizer::decompose(char32_t c, bool compatibility, std::u32string &out) const {
    if (c >= S_BASE && c < S_BASE + S_COUNT) {
        const char32_t s = c - S_BASE;
        out += L_BASE + s / N_COUNT;
        out += V_BASE + (s % N_COUNT) / T_COUNT;
        if (s % T_COUNT != 0) out += T_BASE + s % T_COUNT;
        return;
    }
    auto found = mappings_.find(c);
    if (found == mappings_.end() || (found->second.compatibility && !compatibility)) {
        out += c;
        return;
    }
    for (char32_t part : found->second.code_points) decompose(part, compatibility, out);
}

char32_t ReferenceNormalizer::compose_pair(char32_t first, char32_t second) const {
    if (first >= L_BASE && first < L_BASE + L_COUNT && second >= V_BASE && second < V_BASE + V_COUNT)
        return S_BASE + ((first - L_BASE) * V_COUNT + (second - V_BASE)) * T_COUNT;
    if (first >= S_BASE && first < S_BASE + S_COUNT && (first - S_BASE) % T_COUNT == 0 && second > T_BASE &&
        second < T_BASE + T_COUNT)
        return first + (second - T_BASE);
    auto found = composites_.find(pair_key(first, second));
    return found == composites_.end() ? 0 : found->second;
}

std::u32string ReferenceNormalizer::normalize(Form form, const std::u32string &text) const {
    const bool compatibility = form == Form::NFKC || form == Form::NFKD;
    std::u32string out;
    for (char32_t c : text) decompose(c, compatibility, out);
    // Canonical ordering: swap neighbours whose classes are both non-zero and out of order
    // until none are left (a stable bubble sort of every run of marks).
    for (bool swapped = true; swapped;) {
        swapped = false;
        for (size_t i = 0; i + 1 < out.size(); ++i) {
            const uint8_t a = combining_class(out[i]), b = combining_class(out[i + 1]);
            if (a > b && b != 0) {
                std::swap(out[i], out[i + 1]);
                swapped = true;
            }
        }
    }
    if (form == Form::NFD || form == Form::NFKD) return out;
    // Composition: a character combines with the last starter when nothing between them
    // blocks it, that is when the previous kept character is that starter, or has a lower
    // non-zero class than the character.
    if (out.empty()) return out;
    size_t starter = 0;
    bool have_starter = combining_class(out[0]) == 0;
    int last_class = have_starter ? 0 : 256;
    size_t kept = 1;
    for (size_t i = 1; i < out.size(); ++i) {
        const char32_t c = out[i];
        const int cls = combining_class(c);
        const char32_t composite = have_starter ? compose_pair(out[starter], c) : 0;
        if (composite != 0 && (last_class < cls || last_class == 0)) {
            out[starter] = composite;
            continue;
        }
        if (cls == 0) {
            starter = kept;
            have_starter = true;
        }
        last_class = cls;
        out[kept++] = c;
    }
    out.resize(kept);
    return out;
}

}  // namespace fuzz
