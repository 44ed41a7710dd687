#include "ucd_reference.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <stdexcept>

namespace reference {

namespace {

std::string trim(const std::string &s) {
    size_t begin = s.find_first_not_of(" \t\r");
    if (begin == std::string::npos) return "";
    return s.substr(begin, s.find_last_not_of(" \t\r") - begin + 1);
}

// Data lines of a UCD file, comments removed, split at `separator`, fields trimmed.
std::vector<std::vector<std::string>> read_lines(const std::filesystem::path &path, char separator = ';') {
    std::ifstream in(path);
    if (!in) throw std::runtime_error("cannot read " + path.string());
    std::vector<std::vector<std::string>> lines;
    std::string text;
    while (std::getline(in, text)) {
        text = trim(text.substr(0, text.find('#')));
        if (text.empty()) continue;
        std::vector<std::string> fields;
        size_t start = 0;
        for (size_t cut; (cut = text.find(separator, start)) != std::string::npos; start = cut + 1)
            fields.push_back(trim(text.substr(start, cut - start)));
        fields.push_back(trim(text.substr(start)));
        lines.push_back(std::move(fields));
    }
    return lines;
}

uint32_t hex(const std::string &s) {
    size_t used = 0;
    unsigned long value = std::stoul(s, &used, 16);
    if (used != s.size() || value > 0x10FFFF) throw std::runtime_error("bad code point '" + s + "'");
    return static_cast<uint32_t>(value);
}

Mapping mapping(const std::string &text) {
    Mapping m;
    size_t start = 0;
    while (start < text.size()) {
        size_t space = text.find(' ', start);
        if (space == std::string::npos) space = text.size();
        if (m.count == 3) throw std::runtime_error("mapping longer than 3: " + text);
        m.code_points[static_cast<size_t>(m.count++)] = hex(text.substr(start, space - start));
        start = text.find_first_not_of(' ', space);
        if (start == std::string::npos) break;
    }
    if (m.count == 0) throw std::runtime_error("empty mapping");
    return m;
}

Mapping single(uint32_t cp) {
    Mapping m;
    m.count = 1;
    m.code_points[0] = cp;
    return m;
}

// "n" or "n/d" as the double nearest to the number.
double number(const std::string &text) {
    size_t slash = text.find('/');
    if (slash == std::string::npos) return std::strtod(text.c_str(), nullptr);
    return std::strtod(text.substr(0, slash).c_str(), nullptr) / std::strtod(text.substr(slash + 1).c_str(), nullptr);
}

bool ends_with(const std::string &s, const std::string &suffix) {
    return s.size() >= suffix.size() && s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0;
}

}  // namespace

bool Mapping::operator==(const Mapping &other) const {
    return count == other.count && std::equal(code_points.begin(), code_points.begin() + count, other.code_points.begin());
}

std::string describe(const Mapping &m) {
    std::string s;
    for (int i = 0; i < m.count; ++i) {
        char buffer[16];
        std::snprintf(buffer, sizeof buffer, "%sU+%04X", i ? " " : "", m.code_points[static_cast<size_t>(i)]);
        s += buffer;
    }
    return s;
}

Ucd::Ucd(const std::filesystem::path &directory) {
    for (auto &fields : read_lines(directory / "UnicodeData.txt")) {
        if (fields.size() != 15) throw std::runtime_error("UnicodeData.txt line without 15 fields");
        uint32_t cp = hex(fields[0]);
        if (ends_with(fields[1], ", Last>")) {
            if (unicode_data_.empty() || !ends_with(unicode_data_.back().fields[1], ", First>"))
                throw std::runtime_error("Last line without First line");
            unicode_data_.back().last = cp;
        } else {
            unicode_data_.push_back({cp, cp, std::move(fields)});
        }
    }

    for (const auto &fields : read_lines(directory / "DerivedCoreProperties.txt")) {
        std::vector<bool> &set = properties_[fields.at(1)];
        set.resize(0x110000);
        size_t dots = fields[0].find("..");
        uint32_t first = hex(fields[0].substr(0, dots));
        uint32_t last = dots == std::string::npos ? first : hex(fields[0].substr(dots + 2));
        for (uint32_t cp = first; cp <= last; ++cp) set[cp] = true;
    }

    for (const auto &fields : read_lines(directory / "SpecialCasing.txt")) {
        bool conditional = fields.size() > 4 && !fields[4].empty();
        if (conditional) continue;
        if (!special_.emplace(hex(fields[0]), std::array{mapping(fields[1]), mapping(fields[2]), mapping(fields[3])}).second)
            throw std::runtime_error("two unconditional SpecialCasing.txt entries for " + fields[0]);
    }

    for (const auto &fields : read_lines(directory / "CaseFolding.txt"))
        if (fields.at(1) == "C" || fields[1] == "F")
            if (!folding_.emplace(hex(fields[0]), mapping(fields[2])).second)
                throw std::runtime_error("two full foldings for " + fields[0]);

    for (const auto &fields : read_lines(directory / "Unihan_NumericValues.txt", '\t')) {
        if (fields.at(0).rfind("U+", 0) != 0) throw std::runtime_error("bad Unihan line");
        const std::string &value = fields.at(2);
        if (!unihan_.emplace(hex(fields[0].substr(2)), number(value.substr(0, value.find(' ')))).second)
            throw std::runtime_error("two Unihan numeric values for " + fields[0]);
    }
}

const std::string *Ucd::field(uint32_t cp, size_t i) const {
    auto it = std::upper_bound(unicode_data_.begin(), unicode_data_.end(), cp,
                               [](uint32_t c, const Line &line) { return c < line.first; });
    if (it == unicode_data_.begin()) return nullptr;
    --it;
    return cp <= it->last ? &it->fields[i] : nullptr;
}

std::string Ucd::category(uint32_t cp) const {
    const std::string *f = field(cp, 2);
    return f ? *f : "Cn";
}

std::string Ucd::bidi(uint32_t cp) const {
    const std::string *f = field(cp, 4);
    return f ? *f : "";
}

int Ucd::decimal(uint32_t cp) const {
    const std::string *f = field(cp, 6);
    return f && !f->empty() ? std::stoi(*f) : -1;
}

int Ucd::digit(uint32_t cp) const {
    const std::string *f = field(cp, 7);
    return f && !f->empty() ? std::stoi(*f) : -1;
}

double Ucd::numeric(uint32_t cp) const {
    const std::string *f = field(cp, 8);
    if (f && !f->empty()) return number(*f);
    auto it = unihan_.find(cp);
    return it == unihan_.end() ? -1.0 : it->second;
}

bool Ucd::has(const std::string &property, uint32_t cp) const {
    auto it = properties_.find(property);
    if (it == properties_.end()) throw std::runtime_error("no property " + property);
    return cp < 0x110000 && it->second[cp];
}

uint32_t Ucd::simple_upper(uint32_t cp) const {
    const std::string *f = field(cp, 12);
    return f && !f->empty() ? hex(*f) : cp;
}

uint32_t Ucd::simple_lower(uint32_t cp) const {
    const std::string *f = field(cp, 13);
    return f && !f->empty() ? hex(*f) : cp;
}

uint32_t Ucd::simple_title(uint32_t cp) const {
    const std::string *f = field(cp, 14);
    return f && !f->empty() ? hex(*f) : simple_upper(cp);
}

Mapping Ucd::full_lower(uint32_t cp) const {
    auto it = special_.find(cp);
    return it != special_.end() ? it->second[0] : single(simple_lower(cp));
}

Mapping Ucd::full_title(uint32_t cp) const {
    auto it = special_.find(cp);
    return it != special_.end() ? it->second[1] : single(simple_title(cp));
}

Mapping Ucd::full_upper(uint32_t cp) const {
    auto it = special_.find(cp);
    return it != special_.end() ? it->second[2] : single(simple_upper(cp));
}

Mapping Ucd::full_fold(uint32_t cp) const {
    auto it = folding_.find(cp);
    return it != folding_.end() ? it->second : single(cp);
}

bool Ucd::extended_case(uint32_t cp) const { return special_.count(cp) || !(full_fold(cp) == full_lower(cp)); }

}  // namespace reference
