// The corpora as the C++ benchmark reads them (from the files python_bench.py writes),
// and the registration of the normalize cases, which live in a file of their own.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace bench {

using CodePoints = std::vector<uint32_t>;

struct Corpus {
    std::string name;
    std::string utf8;
    CodePoints code_points;
};

// Registers "normalize/CORPUS FORM/SIDE" for every corpus and form; SIDE is charlore,
// icu and, where built in, utf8proc and libunistring. Needs an initialized interpreter.
void register_normalization(const std::vector<Corpus> &corpora);

}  // namespace bench
