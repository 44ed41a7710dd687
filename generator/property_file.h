// Reader of the UCD's property files: data lines `range ; [property ;] value ...` and
// the `# @missing: range ; [property ;] value` lines that give the value of every code
// point no data line lists. Also the loose matching of property and value names.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "ucd_file.h"

namespace gen {

constexpr uint32_t PROPERTY_CODE_POINTS = 0x110000;

struct RangeValue {
    CodePointRange range;
    std::string value;
    std::string where;  // file:line, for messages
};

// One property's lines of one file, in file order.
struct PropertyRanges {
    std::vector<RangeValue> defaults;  // from @missing lines
    std::vector<RangeValue> listed;    // from data lines
};

// A property's raw value (as the files spell it) for every code point, as an index into
// `values`, which lists them in order of first appearance.
struct PropertyColumn {
    std::vector<std::string> values;
    std::vector<uint16_t> of;

    uint16_t index(const std::string &value);
    void set(CodePointRange r, uint16_t v);
};

// The lines of a file of one property, `range ; value ...`, its value in field `field`.
// @missing lines there have two fields.
PropertyRanges read_property_file(const std::filesystem::path &path, size_t field = 1);

// Every property of a file whose lines name it, `range ; property [; value]`; a line of
// a binary property has no value and gives "Y". @missing lines there have three fields.
// With `missing_only`, data lines are not read (PropertyValueAliases.txt's defaults).
std::map<std::string, PropertyRanges> read_named_properties(const std::filesystem::path &path,
                                                            bool missing_only = false);

// The value of every code point: the defaults in order (a later one wins where they
// overlap), then the listed values. `fallback`, when not null, is the value of code
// points that neither gives; without one such code points are refused, naming `what`.
PropertyColumn property_column(const PropertyRanges &ranges, const std::string *fallback, const std::string &what);

// A name as loose matching compares it: ASCII letters in lower case, spaces, tabs,
// underscores and hyphens dropped, then an initial "is" dropped unless it is all that
// is left (Line_Break's value "IS" keeps its key; an empty name matches nothing).
std::string loose_key(const std::string &name);

}  // namespace gen
