// The table of full decompositions against the general path, which follows the
// decomposition records one level at a time and then puts the result into canonical
// order, and against the property records' combining classes: at every code point.
#include <Python.h>
#include <gtest/gtest.h>

#include <vector>

#include "database.h"
#include "decompose.h"
#include "normalize.h"

namespace charlore {
namespace {

using normalization::EXPANSION_CODE_POINT;
using normalization::expansion_of;

bool is_hangul_syllable(uint32_t cp) { return cp - 0xAC00 < 11172; }

// The code points of s, which is a str.
std::vector<uint32_t> code_points_of(PyObject *s) {
    std::vector<uint32_t> result;
    for (Py_ssize_t i = 0; i < PyUnicode_GET_LENGTH(s); ++i) result.push_back(PyUnicode_READ_CHAR(s, i));
    return result;
}

TEST(FullDecompositions, AgreeWithTheGeneralPathAtEveryCodePoint) {
    size_t entries = 0;
    for (uint32_t cp = 0; cp <= 0x10FFFF; ++cp) {
        const bool has_mapping = decomposition_words[lookup_decomposition_record(cp)] >> 8 != 0;
        // Decomposition looks up the characters with a mapping, Hangul syllables aside.
        const bool expected = !is_hangul_syllable(cp) && has_mapping;
        PyObject *s = PyUnicode_FromKindAndData(PyUnicode_4BYTE_KIND, &cp, 1);
        ASSERT_NE(s, nullptr);
        for (bool compatibility : {false, true}) {
            const normalization::Expansion e = expansion_of(cp, compatibility);
            if (!expected) {
                ASSERT_EQ(e.count, 0) << std::hex << cp << " compatibility " << compatibility;
                continue;
            }
            PyObject *general = decompose_string_general(nullptr, s, compatibility);
            ASSERT_NE(general, nullptr);
            const std::vector<uint32_t> want = code_points_of(general);
            Py_DECREF(general);
            std::vector<uint32_t> got;
            for (int k = 0; k < e.count; ++k) {
                const uint32_t c = e.words[k] & EXPANSION_CODE_POINT;
                got.push_back(c);
                ASSERT_EQ(e.words[k] >> EXPANSION_CLASS_SHIFT, lookup_property_record(c).combining)
                    << std::hex << cp << " word " << k;
            }
            ASSERT_EQ(got, want) << std::hex << cp << " compatibility " << compatibility;
        }
        Py_DECREF(s);
        entries += expected;
    }
    EXPECT_EQ(entries, 5982u) << "code points with a full decomposition in the table";
    for (uint32_t cp : {0x110000u, 0xFFFFFFFFu}) EXPECT_EQ(expansion_of(cp, true).count, 0);
}

// Every character that decomposes in a form has an expansion, Hangul syllables aside: the
// fast path reads its first and last words without checking.
TEST(FullDecompositions, EveryDecomposingCharacterHasOne) {
    for (uint32_t cp = 0; cp <= 0x10FFFF; ++cp) {
        if (is_hangul_syllable(cp)) continue;
        for (bool compatibility : {false, true}) {
            if (!(normalization_info(cp) & (compatibility ? INFO_DECOMPOSES : INFO_CANONICAL))) continue;
            ASSERT_GT(expansion_of(cp, compatibility).count, 0) << std::hex << cp << " compatibility " << compatibility;
        }
    }
}

}  // namespace
}  // namespace charlore
