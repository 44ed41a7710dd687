// A small, slow normalizer written from the normalization rules, to check the module's
// results against: full recursive decomposition, canonical ordering by bubbling marks,
// and canonical composition by the starter-and-blocking rule, with Hangul by arithmetic.
// It reads UnicodeData.txt and DerivedNormalizationProps.txt itself.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace fuzz {

enum class Form { NFC, NFD, NFKC, NFKD };

class ReferenceNormalizer {
public:
    explicit ReferenceNormalizer(const std::string &ucd_directory);

    std::u32string normalize(Form form, const std::u32string &text) const;

    // Code points that take part in normalization (they decompose, combine or have a
    // combining class): the material that the fuzz targets build their texts from.
    const std::vector<char32_t> &interesting() const { return interesting_; }

    uint8_t combining_class(char32_t c) const { return c < combining_.size() ? combining_[c] : 0; }

private:
    void decompose(char32_t c, bool compatibility, std::u32string &out) const;
    char32_t compose_pair(char32_t first, char32_t second) const;

    struct Mapping {
        bool compatibility;
        std::u32string code_points;
    };
    std::vector<uint8_t> combining_;
    std::unordered_map<char32_t, Mapping> mappings_;
    std::unordered_map<uint64_t, char32_t> composites_;  // (first << 32 | second) -> composite
    std::vector<char32_t> interesting_;
};

}  // namespace fuzz
