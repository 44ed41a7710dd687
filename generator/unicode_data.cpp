#include "unicode_data.h"

#include <cmath>
#include <cstdlib>

namespace gen {

namespace {

std::optional<uint32_t> optional_code_point(const Line &line, size_t i) {
    if (line.fields[i].empty()) return std::nullopt;
    return line.code_point(i);
}

int optional_digit(const Line &line, size_t i) {
    if (line.fields[i].empty()) return -1;
    return static_cast<int>(line.integer(i, 0, 9));
}

bool ends_with(std::string_view s, std::string_view suffix) {
    return s.size() >= suffix.size() && s.substr(s.size() - suffix.size()) == suffix;
}

}  // namespace

UnicodeData::UnicodeData(const std::filesystem::path &path) : index_(CODE_POINTS, -1) {
    UcdFile file(path);
    std::vector<Line> lines = file.lines(15);
    for (size_t n = 0; n < lines.size(); ++n) {
        const Line &line = lines[n];
        UnicodeDataEntry e;
        e.code_point = e.last = line.code_point(0);
        e.name = std::string(line.fields[1]);
        e.category = std::string(line.fields[2]);
        if (e.category.size() != 2) line.fail("bad general category '" + e.category + "'");
        e.combining = static_cast<int>(line.integer(3, 0, 254));
        e.bidi = std::string(line.fields[4]);
        e.decomposition = std::string(line.fields[5]);
        e.decimal = optional_digit(line, 6);
        e.digit = optional_digit(line, 7);
        e.numeric = line.fields[8].empty() ? -1.0 : parse_numeric_value(line, 8, line.fields[8]);
        if (!line.fields[8].empty() && e.numeric == -1.0) line.fail("numeric value -1 cannot be represented");
        if (line.fields[9] != "Y" && line.fields[9] != "N") line.fail("bad mirrored flag");
        e.mirrored = line.fields[9] == "Y";
        e.upper = optional_code_point(line, 12);
        e.lower = optional_code_point(line, 13);
        e.title = optional_code_point(line, 14);
        e.file = file.path();
        e.line = line.number;
        if (ends_with(e.name, ", First>")) {
            if (n + 1 == lines.size()) line.fail("range start without a Last line");
            const Line &next = lines[++n];
            std::string_view next_name = next.fields[1];
            if (!ends_with(next_name, ", Last>") ||
                next_name.substr(0, next_name.size() - 7) != std::string_view(e.name).substr(0, e.name.size() - 8))
                next.fail("expected the Last line of the range begun on line " + std::to_string(line.number));
            e.last = next.code_point(0);
            e.name.resize(e.name.size() - 8);
        }
        if (!entries_.empty() && e.code_point <= entries_.back().last) line.fail("code points out of order");
        if (e.last < e.code_point) line.fail("range ends before it starts");
        for (uint32_t cp = e.code_point; cp <= e.last; ++cp) index_[cp] = static_cast<int32_t>(entries_.size());
        entries_.push_back(std::move(e));
    }
}

double parse_numeric_value(const Line &line, size_t field, std::string_view text) {
    auto number = [&](std::string_view s) {
        std::string digits(s);
        size_t start = !digits.empty() && digits[0] == '-' ? 1 : 0;
        if (digits.size() == start || digits.find_first_not_of("0123456789", start) != std::string::npos)
            line.fail("bad numeric value '" + std::string(text) + "' in field " + std::to_string(field));
        return std::strtod(digits.c_str(), nullptr);
    };
    size_t slash = text.find('/');
    if (slash == std::string_view::npos) return number(text);
    double denominator = number(text.substr(slash + 1));
    if (denominator == 0) line.fail("zero denominator in numeric value '" + std::string(text) + "'");
    return number(text.substr(0, slash)) / denominator;
}

std::vector<double> numeric_values(const UnicodeData &data, const std::filesystem::path &unihan_numeric) {
    std::vector<double> values(CODE_POINTS, -1.0);
    for (const UnicodeDataEntry &e : data.entries())
        if (e.numeric != -1.0) values[e.code_point] = e.numeric;
    UcdFile unihan(unihan_numeric);
    for (const Line &line : unihan.tab_lines(3)) {
        std::string_view cp_text = line.fields[0];
        if (cp_text.substr(0, 2) != "U+") line.fail("expected U+XXXX in field 0");
        Line shifted = line;
        shifted.fields[0] = cp_text.substr(2);
        uint32_t cp = shifted.code_point(0);
        std::string_view field = line.fields[1];
        if (field != "kAccountingNumeric" && field != "kOtherNumeric" && field != "kPrimaryNumeric") continue;
        std::string_view value = line.fields[2];
        value = value.substr(0, value.find(' '));
        if (values[cp] != -1.0) continue;  // UnicodeData.txt, or an earlier Unihan field, already gives one
        double v = parse_numeric_value(line, 2, value);
        if (v == -1.0) line.fail("numeric value -1 cannot be represented");
        values[cp] = v;
    }
    return values;
}

}  // namespace gen
