// What every table builder of the generator reads: the input directories and the
// parsed UnicodeData.txt of both versions, loaded once on first use.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "unicode_data.h"

namespace gen {

class Context {
public:
    Context(std::filesystem::path ucd_dir, std::filesystem::path data_dir)
        : ucd_dir_(std::move(ucd_dir)), data_dir_(std::move(data_dir)) {}

    // A UCD 18.0.0 input file, e.g. current_file("CaseFolding.txt").
    std::filesystem::path current_file(const std::string &name) const { return ucd_dir_ / "18.0.0" / name; }
    // A Unicode 3.2.0 input file.
    std::filesystem::path v320_file(const std::string &name) const { return ucd_dir_ / "3.2.0" / name; }
    // A data file of the generator's own.
    std::filesystem::path own_file(const std::string &name) const { return data_dir_ / name; }

    const UnicodeData &current();
    const UnicodeData &v320();
    // Numeric value of every code point in UCD 18.0.0; -1.0 where there is none.
    const std::vector<double> &current_numeric();

private:
    std::filesystem::path ucd_dir_, data_dir_;
    std::unique_ptr<UnicodeData> current_, v320_;
    std::vector<double> current_numeric_;
};

// One generated header and what the generator says about it.
struct Output {
    std::string file;                  // name inside the output directory
    std::string content;
    std::vector<std::string> summary;  // lines printed after a successful run
};

// The table builders, one per subsystem; each returns its header.
// The four quick-check values of every code point from DerivedNormalizationProps.txt,
// packed as the property records store them (2 bits each: NFD, NFKD, NFC, NFKC).
std::vector<uint8_t> read_quick_checks(const std::filesystem::path &path);

// East_Asian_Width of every code point from an EastAsianWidth.txt, as indices into
// EAST_ASIAN_WIDTH_VALUES; unlisted ideograph blocks default to W.
extern const std::vector<std::string> EAST_ASIAN_WIDTH_VALUES;
std::vector<uint8_t> read_east_asian_widths(const std::filesystem::path &path);

Output build_database_tables(Context &context);
Output build_ctype_tables(Context &context);
Output build_normalize_tables(Context &context);
Output build_expansion_tables(Context &context);
Output build_names_tables(Context &context);
Output build_segmentation_tables(Context &context);
Output build_properties_tables(Context &context);
Output build_property_values_tables(Context &context);
Output build_mapping_tables(Context &context);

// The short names of the properties build_mapping_tables writes, in the order of its tables.
const std::vector<std::string> &mapped_properties();

}  // namespace gen
