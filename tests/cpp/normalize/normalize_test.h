// What the normalize tests share: the directory of the UCD 18.0.0 files, given as the
// program's first argument.
#pragma once

#include <string>

namespace charlore_test {

const std::string &ucd_directory();

}  // namespace charlore_test
