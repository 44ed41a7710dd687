#include "ucd_file.h"

#include <fstream>
#include <sstream>

namespace gen {

namespace {

std::string_view trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
    return s;
}

bool parse_hex(std::string_view s, uint32_t &out) {
    if (s.empty() || s.size() > 6) return false;
    uint32_t value = 0;
    for (char c : s) {
        int digit;
        if (c >= '0' && c <= '9') digit = c - '0';
        else if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
        else if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
        else return false;
        value = value * 16 + static_cast<uint32_t>(digit);
    }
    out = value;
    return true;
}

}  // namespace

void fail(const std::string &file, const std::string &problem) {
    throw InputError(file + ": " + problem);
}

void Line::fail(const std::string &problem) const {
    throw InputError(*file + ":" + std::to_string(number) + ": " + problem);
}

uint32_t Line::code_point(size_t i) const {
    uint32_t cp;
    std::string_view s = fields.at(i);
    if (!parse_hex(s, cp)) fail("bad hexadecimal code point '" + std::string(s) + "' in field " + std::to_string(i));
    if (cp > 0x10FFFF) fail("code point " + std::string(s) + " beyond U+10FFFF in field " + std::to_string(i));
    return cp;
}

CodePointRange Line::range(size_t i) const {
    std::string_view s = fields.at(i);
    size_t dots = s.find("..");
    if (dots == std::string_view::npos) {
        uint32_t cp = code_point(i);
        return {cp, cp};
    }
    uint32_t first, last;
    if (!parse_hex(s.substr(0, dots), first) || !parse_hex(s.substr(dots + 2), last))
        fail("bad code point range '" + std::string(s) + "' in field " + std::to_string(i));
    if (last > 0x10FFFF || first > last) fail("invalid code point range '" + std::string(s) + "'");
    return {first, last};
}

std::vector<uint32_t> Line::code_points(size_t i) const {
    std::vector<uint32_t> result;
    std::string_view s = fields.at(i);
    while (!s.empty()) {
        size_t space = s.find(' ');
        std::string_view item = s.substr(0, space);
        uint32_t cp;
        if (!parse_hex(item, cp) || cp > 0x10FFFF)
            fail("bad code point '" + std::string(item) + "' in field " + std::to_string(i));
        result.push_back(cp);
        if (space == std::string_view::npos) break;
        s = trim(s.substr(space + 1));
    }
    return result;
}

long Line::integer(size_t i, long low, long high) const {
    std::string_view s = fields.at(i);
    std::string text(s);
    char *end = nullptr;
    long value = text.empty() ? 0 : std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || value < low || value > high)
        fail("bad number '" + text + "' in field " + std::to_string(i) + " (expected " + std::to_string(low) +
             " to " + std::to_string(high) + ")");
    return value;
}

UcdFile::UcdFile(const std::filesystem::path &path) : path_(path.string()) {
    std::ifstream in(path, std::ios::binary);
    if (!in) fail(path_, "cannot open file");
    std::ostringstream buffer;
    buffer << in.rdbuf();
    if (in.bad()) fail(path_, "cannot read file");
    text_ = buffer.str();
}

std::vector<Line> UcdFile::split(char separator, size_t min_fields) const {
    std::vector<Line> result;
    std::string_view text = text_;
    int number = 0;
    while (!text.empty()) {
        ++number;
        size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        size_t hash = line.find('#');
        if (hash != std::string_view::npos) line = line.substr(0, hash);
        if (trim(line).empty()) continue;
        Line parsed{&path_, number, {}};
        while (true) {
            size_t cut = line.find(separator);
            parsed.fields.push_back(trim(line.substr(0, cut)));
            if (cut == std::string_view::npos) break;
            line = line.substr(cut + 1);
        }
        if (parsed.fields.size() < min_fields)
            parsed.fail("too few fields (" + std::to_string(parsed.fields.size()) + ", expected at least " +
                        std::to_string(min_fields) + ")");
        result.push_back(std::move(parsed));
    }
    return result;
}

std::vector<Line> UcdFile::lines(size_t min_fields) const { return split(';', min_fields); }

std::vector<Line> UcdFile::tab_lines(size_t min_fields) const { return split('\t', min_fields); }

}  // namespace gen
