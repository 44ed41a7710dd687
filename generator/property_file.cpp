#include "property_file.h"

#include <algorithm>
#include <fstream>

namespace gen {

namespace {

const std::string MISSING = "# @missing:";

std::string trimmed(std::string_view s) {
    size_t b = s.find_first_not_of(" \t\r"), e = s.find_last_not_of(" \t\r");
    return b == std::string_view::npos ? std::string() : std::string(s.substr(b, e - b + 1));
}

// The @missing lines of a file, split at ';' with blanks trimmed, each with its number.
std::vector<std::pair<int, std::vector<std::string>>> missing_lines(const std::filesystem::path &path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) fail(path.string(), "cannot open file");
    std::vector<std::pair<int, std::vector<std::string>>> result;
    std::string text;
    for (int number = 1; std::getline(in, text); ++number) {
        if (text.compare(0, MISSING.size(), MISSING) != 0) continue;
        std::string_view rest = std::string_view(text).substr(MISSING.size());
        rest = rest.substr(0, rest.find('#'));
        std::vector<std::string> fields;
        for (size_t cut; (cut = rest.find(';')) != std::string_view::npos; rest.remove_prefix(cut + 1))
            fields.push_back(trimmed(rest.substr(0, cut)));
        fields.push_back(trimmed(rest));
        result.emplace_back(number, std::move(fields));
    }
    return result;
}

// A range and value as a Line would parse them, with file:line for later messages.
RangeValue range_value(const std::string &file, int number, const std::vector<std::string> &fields, size_t range,
                       std::string value) {
    Line line{&file, number, {}};
    for (const std::string &f : fields) line.fields.push_back(f);
    return {line.range(range), std::move(value), file + ":" + std::to_string(number)};
}

}  // namespace

uint16_t PropertyColumn::index(const std::string &value) {
    auto it = std::find(values.begin(), values.end(), value);
    if (it != values.end()) return static_cast<uint16_t>(it - values.begin());
    if (values.size() == 0xFFFF) throw InputError("more than 65535 distinct values of one property");
    values.push_back(value);
    return static_cast<uint16_t>(values.size() - 1);
}

void PropertyColumn::set(CodePointRange r, uint16_t v) { std::fill(of.begin() + r.first, of.begin() + r.last + 1, v); }

PropertyRanges read_property_file(const std::filesystem::path &path, size_t field) {
    PropertyRanges ranges;
    const std::string file = path.string();
    for (const auto &[number, fields] : missing_lines(path)) {
        if (fields.size() != 2) Line{&file, number, {}}.fail("malformed @missing line (expected range ; value)");
        ranges.defaults.push_back(range_value(file, number, fields, 0, fields[1]));
    }
    UcdFile data(path);
    for (const Line &line : data.lines(field + 1))
        ranges.listed.push_back({line.range(0), std::string(line.fields[field]), file + ":" + std::to_string(line.number)});
    return ranges;
}

std::map<std::string, PropertyRanges> read_named_properties(const std::filesystem::path &path, bool missing_only) {
    std::map<std::string, PropertyRanges> properties;
    const std::string file = path.string();
    for (const auto &[number, fields] : missing_lines(path)) {
        if (fields.size() != 3)
            Line{&file, number, {}}.fail("malformed @missing line (expected range ; property ; value)");
        properties[fields[1]].defaults.push_back(range_value(file, number, fields, 0, fields[2]));
    }
    if (missing_only) return properties;
    UcdFile data(path);
    for (const Line &line : data.lines(2)) {
        if (line.fields.size() > 3) line.fail("too many fields (expected range ; property [; value])");
        if (line.fields[1].empty()) line.fail("empty property name");
        std::string value = line.fields.size() == 3 ? std::string(line.fields[2]) : "Y";
        properties[std::string(line.fields[1])].listed.push_back(
            {line.range(0), std::move(value), file + ":" + std::to_string(line.number)});
    }
    return properties;
}

PropertyColumn property_column(const PropertyRanges &ranges, const std::string *fallback, const std::string &what) {
    PropertyColumn column;
    column.of.assign(PROPERTY_CODE_POINTS, 0);
    std::vector<bool> covered(PROPERTY_CODE_POINTS, fallback != nullptr);
    if (fallback != nullptr) column.index(*fallback);
    for (const RangeValue &d : ranges.defaults) {
        column.set(d.range, column.index(d.value));
        std::fill(covered.begin() + d.range.first, covered.begin() + d.range.last + 1, true);
    }
    for (const RangeValue &l : ranges.listed) {
        column.set(l.range, column.index(l.value));
        std::fill(covered.begin() + l.range.first, covered.begin() + l.range.last + 1, true);
    }
    auto gap = std::find(covered.begin(), covered.end(), false);
    if (gap != covered.end()) {
        char cp[16];
        std::snprintf(cp, sizeof cp, "U+%04X", static_cast<unsigned>(gap - covered.begin()));
        throw InputError(what + ": no value and no @missing default for " + cp);
    }
    return column;
}

std::string loose_key(const std::string &name) {
    std::string key;
    for (char c : name) {
        if (c == ' ' || c == '\t' || c == '_' || c == '-') continue;
        key += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    }
    if (key.size() > 2 && key.compare(0, 2, "is") == 0) key.erase(0, 2);
    return key;
}

}  // namespace gen
