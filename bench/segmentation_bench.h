// The segmentation cases of the C++ benchmark (segmentation_bench.cpp).
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// Registers graphemes, words, sentences and line breaks of each named corpus against
// ICU4C's break iterators, and graphemes against utf8proc where it is built in.
void register_segmentation(const std::vector<std::pair<std::string, std::vector<uint32_t>>> &corpora);
