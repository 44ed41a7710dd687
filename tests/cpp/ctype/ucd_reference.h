// The test suite's own reading of the UCD 18.0.0 files behind the character-type
// functions: what each function should answer for a code point, derived directly from
// UnicodeData.txt, DerivedCoreProperties.txt, SpecialCasing.txt, CaseFolding.txt and
// Unihan_NumericValues.txt, without any of the module's tables or the generator's code.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace reference {

// A full case mapping: 1 to 3 code points.
struct Mapping {
    int count = 0;
    std::array<uint32_t, 3> code_points{};
    bool operator==(const Mapping &other) const;
};

std::string describe(const Mapping &m);

class Ucd {
public:
    // Reads the UCD 18.0.0 files from `directory`; throws std::runtime_error on problems.
    explicit Ucd(const std::filesystem::path &directory);

    bool listed(uint32_t cp) const { return field(cp, 0) != nullptr; }
    std::string category(uint32_t cp) const;  // "Cn" when unlisted
    std::string bidi(uint32_t cp) const;      // "" when unlisted
    int decimal(uint32_t cp) const;           // -1 when none
    int digit(uint32_t cp) const;             // -1 when none
    double numeric(uint32_t cp) const;        // -1.0 when none
    // A DerivedCoreProperties.txt binary property, e.g. "Lowercase".
    bool has(const std::string &property, uint32_t cp) const;

    // Simple mappings of UnicodeData.txt fields 12-14 (title defaults to upper).
    uint32_t simple_upper(uint32_t cp) const;
    uint32_t simple_lower(uint32_t cp) const;
    uint32_t simple_title(uint32_t cp) const;
    // Full mappings: an unconditional SpecialCasing.txt entry, else the simple mapping.
    Mapping full_lower(uint32_t cp) const;
    Mapping full_title(uint32_t cp) const;
    Mapping full_upper(uint32_t cp) const;
    // Full case folding: CaseFolding.txt status C or F, else the character itself.
    Mapping full_fold(uint32_t cp) const;
    // Has an unconditional SpecialCasing.txt entry, or folds other than it lowercases.
    bool extended_case(uint32_t cp) const;

private:
    struct Line {
        uint32_t first, last;
        std::vector<std::string> fields;
    };
    // Field i of the UnicodeData.txt line covering cp, or nullptr when unlisted.
    const std::string *field(uint32_t cp, size_t i) const;

    std::vector<Line> unicode_data_;  // ranges expanded to first..last
    std::map<std::string, std::vector<bool>> properties_;
    std::map<uint32_t, std::array<Mapping, 3>> special_;  // lower, title, upper
    std::map<uint32_t, Mapping> folding_;
    std::map<uint32_t, double> unihan_;
};

}  // namespace reference
