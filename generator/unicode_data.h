// UnicodeData.txt of one UCD version, with First/Last ranges expanded, plus the
// numeric values (UnicodeData.txt field 8 and the Unihan numeric fields).
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "ucd_file.h"

namespace gen {

constexpr uint32_t CODE_POINTS = 0x110000;

struct UnicodeDataEntry {
    uint32_t code_point;      // first code point of the line (of the range for First/Last)
    uint32_t last;            // last code point covered (== code_point for a single line)
    std::string name;         // field 1; for a range the name with ", First>" removed, e.g. "<CJK Ideograph"
    std::string category;     // field 2
    int combining;            // field 3
    std::string bidi;         // field 4
    std::string decomposition;// field 5
    int decimal;              // field 6, -1 if empty
    int digit;                // field 7, -1 if empty
    double numeric;           // field 8 as a double, -1.0 if empty
    bool mirrored;            // field 9
    std::optional<uint32_t> upper, lower, title;  // fields 12-14
    std::string file;         // for messages
    int line;
};

class UnicodeData {
public:
    explicit UnicodeData(const std::filesystem::path &path);

    // The entry covering cp, or nullptr when the file does not list it.
    const UnicodeDataEntry *find(uint32_t cp) const {
        int32_t i = cp < CODE_POINTS ? index_[cp] : -1;
        return i < 0 ? nullptr : &entries_[static_cast<size_t>(i)];
    }
    const std::vector<UnicodeDataEntry> &entries() const { return entries_; }

private:
    std::vector<UnicodeDataEntry> entries_;
    std::vector<int32_t> index_;  // code point -> entry, -1 if unlisted
};

// Numeric value of a UnicodeData.txt field 8 or a Unihan value: an integer or
// numerator/denominator, as the double nearest to the quotient.
double parse_numeric_value(const Line &line, size_t field, std::string_view text);

// Numeric value per code point; -1.0 where there is none. UnicodeData.txt field 8 first,
// then the Unihan numeric fields (first listed value) for code points without one.
std::vector<double> numeric_values(const UnicodeData &data, const std::filesystem::path &unihan_numeric);

}  // namespace gen
