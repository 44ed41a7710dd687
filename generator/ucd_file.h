// Line reader for the UCD's text formats: semicolon-separated fields, '#' comments,
// and the Unihan tab-separated form. Every problem is reported with file and line.
#pragma once

#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace gen {

// Raised for any input or data problem; the message names the file and line.
class InputError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct CodePointRange {
    uint32_t first;
    uint32_t last;
};

// One data line: its fields with surrounding blanks removed.
struct Line {
    const std::string *file;  // path as given, for messages
    int number;               // 1-based
    std::vector<std::string_view> fields;

    [[noreturn]] void fail(const std::string &problem) const;
    // A hexadecimal code point of at most 0x10FFFF in field i.
    uint32_t code_point(size_t i) const;
    // "XXXX" or "XXXX..YYYY" in field i.
    CodePointRange range(size_t i) const;
    // Space-separated code points in field i (may be empty).
    std::vector<uint32_t> code_points(size_t i) const;
    // A decimal integer in [low, high] in field i.
    long integer(size_t i, long low, long high) const;
};

class UcdFile {
public:
    // Reads the whole file; a missing or unreadable file is an InputError.
    explicit UcdFile(const std::filesystem::path &path);

    // Data lines split at ';' (comments and blank lines dropped); a line with fewer than
    // min_fields fields is an InputError.
    std::vector<Line> lines(size_t min_fields) const;
    // Data lines split at tabs (the Unihan format).
    std::vector<Line> tab_lines(size_t min_fields) const;

    const std::string &path() const { return path_; }

private:
    std::vector<Line> split(char separator, size_t min_fields) const;
    std::string path_;
    std::string text_;
};

[[noreturn]] void fail(const std::string &file, const std::string &problem);

}  // namespace gen
