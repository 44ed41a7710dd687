#include "context.h"

namespace gen {

const UnicodeData &Context::current() {
    if (!current_) current_ = std::make_unique<UnicodeData>(current_file("UnicodeData.txt"));
    return *current_;
}

const UnicodeData &Context::v320() {
    if (!v320_) v320_ = std::make_unique<UnicodeData>(v320_file("UnicodeData.txt"));
    return *v320_;
}

const std::vector<double> &Context::current_numeric() {
    if (current_numeric_.empty()) current_numeric_ = numeric_values(current(), current_file("Unihan_NumericValues.txt"));
    return current_numeric_;
}

}  // namespace gen
