// Building blocks of the generated tables: shared records numbered in order of first
// use, two-stage indexes with shared blocks, and the text of a generated header.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace gen {

// Distinct records, numbered in order of first addition. Record must be ordered (<).
template <class Record>
class RecordSet {
public:
    // Reserves number 0 for `zero`, which is then found by add() like any other record.
    explicit RecordSet(const Record &zero) { add(zero); }
    uint32_t add(const Record &r) {
        auto [it, inserted] = numbers_.emplace(r, static_cast<uint32_t>(records_.size()));
        if (inserted) records_.push_back(r);
        return it->second;
    }
    // Adds r as a record of its own even if an equal one exists.
    uint32_t add_unshared(const Record &r) {
        records_.push_back(r);
        return static_cast<uint32_t>(records_.size() - 1);
    }
    const std::vector<Record> &records() const { return records_; }

private:
    std::vector<Record> records_;
    std::map<Record, uint32_t> numbers_;
};

struct TwoStageIndex {
    int shift;
    std::vector<uint32_t> stage1;  // one entry per block of code points: a stage-2 block number
    std::vector<uint32_t> stage2;  // the distinct blocks, concatenated
    size_t blocks() const { return stage2.size() >> shift; }
};

// Splits values (one per code point) into blocks of 1 << shift; identical blocks are
// stored once, numbered in order of first use.
TwoStageIndex build_two_stage(const std::vector<uint32_t> &values, int shift);

// Accumulates the text of one generated header.
class HeaderWriter {
public:
    // `sources` says which UCD versions the header was generated from.
    HeaderWriter(const std::string &purpose, const std::string &sources);

    void text(const std::string &s) { out_ += s; }
    // `inline constexpr <type> <name>[] = { ... };` with `per_line` values a line.
    void array(const std::string &type, const std::string &name, const std::vector<uint64_t> &values,
               int per_line = 16, bool hex = false);
    void array(const std::string &type, const std::string &name, const std::vector<uint32_t> &values,
               int per_line = 16, bool hex = false);
    void constant(const std::string &type, const std::string &name, uint64_t value);
    std::string finish();

private:
    std::string out_;
};

// Smallest unsigned type name ("uint8_t", "uint16_t", "uint32_t") holding max.
std::string unsigned_type_for(uint64_t max);

// A double as C++ source that reads back as exactly the same value.
std::string double_literal(double value);

// A string as a C++ string literal with escapes for quotes, backslashes and non-printables.
std::string string_literal(const std::string &s);

}  // namespace gen
