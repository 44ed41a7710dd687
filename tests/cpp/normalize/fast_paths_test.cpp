// The fast paths of normalization against the general ones they stand in for: the
// derived information table against the property records, decomposition records and
// composition ranges; the direct composition index against the range walk; the quick check,
// decomposition and composition of the current database against the general path, on
// the conformance file's strings and on random strings of every storage kind.
#include <Python.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "database.h"
#include "generated/normalize_tables.h"
#include "normalize.h"
#include "normalize_test.h"
#include "quick_check.h"

namespace charlore {
namespace {

constexpr uint8_t MASKS[] = {0x03, 0x0C, 0x30, 0xC0};  // NFD, NFKD, NFC, NFKC

bool is_hangul_syllable(uint32_t cp) { return cp - 0xAC00 < 11172; }

TEST(DerivedInformation, AgreesWithTheSpecifiedTablesAtEveryCodePoint) {
    for (uint32_t cp = 0; cp <= 0x10FFFF; ++cp) {
        const PropertyRecord &record = lookup_property_record(cp);
        uint16_t expected = record.combining;
        for (int form = 0; form < 4; ++form)
            if (record.quick_check & MASKS[form]) expected |= INFO_QUICK_CHECK_FAILS << form;
        const uint32_t header = decomposition_words[lookup_decomposition_record(cp)];
        if (is_hangul_syllable(cp) || (header >> 8 != 0 && (header & 0xFF) == 0)) expected |= INFO_CANONICAL;
        if (is_hangul_syllable(cp) || header >> 8 != 0) expected |= INFO_DECOMPOSES;
        if (find_composition_index(composition_first_ranges, cp) >= 0) expected |= INFO_FIRST;
        if (find_composition_index(composition_last_ranges, cp) >= 0) expected |= INFO_LAST;
        ASSERT_EQ(normalization_info(cp), expected) << std::hex << cp;
    }
    for (uint32_t cp : {0x110000u, 0x7FFFFFFFu, 0xFFFFFFFFu}) EXPECT_EQ(normalization_info(cp), 0) << std::hex << cp;
}

TEST(DerivedInformation, QuickCheckBoundsAreExact) {
    for (int form = 0; form < 4; ++form) {
        const uint32_t bound = QUICK_CHECK_YES_BELOW[form];
        for (uint32_t cp = 0; cp < bound; ++cp) {
            ASSERT_EQ(lookup_property_record(cp).quick_check & MASKS[form], 0) << std::hex << cp;
            ASSERT_EQ(lookup_property_record(cp).combining, 0) << std::hex << cp;
        }
        const PropertyRecord &first = lookup_property_record(bound);
        EXPECT_TRUE((first.quick_check & MASKS[form]) != 0 || first.combining != 0) << form;
    }
    EXPECT_EQ(QUICK_CHECK_YES_BELOW[2], 0x300u) << "NFC: everything below U+0300";
}

TEST(DerivedInformation, ScanStopsAreExactInTheBmp) {
    for (uint32_t cp = 0; cp <= 0xFFFF; ++cp) {
        const PropertyRecord &record = lookup_property_record(cp);
        for (int form = 0; form < 4; ++form) {
            const bool stops = (record.quick_check & MASKS[form]) != 0 || record.combining != 0;
            ASSERT_EQ((quick_check_stops_bmp[cp] >> form) & 1, stops ? 1 : 0) << std::hex << cp << " " << form;
        }
        ASSERT_EQ(quick_check_stops_bmp[cp] >> 4, 0) << std::hex << cp;
    }
}

// The room the fast path gives one character's expansion is the longest there is.
TEST(DerivedInformation, LongestExpansionIsExact) {
    Py_ssize_t longest = 0;
    for (uint32_t cp = 0; cp <= 0x10FFFF; ++cp) {
        PyObject *s = PyUnicode_FromKindAndData(PyUnicode_4BYTE_KIND, &cp, 1);
        ASSERT_NE(s, nullptr);
        for (bool compatibility : {false, true}) {
            PyObject *expanded = decompose_string_general(nullptr, s, compatibility);
            ASSERT_NE(expanded, nullptr);
            longest = std::max(longest, PyUnicode_GET_LENGTH(expanded));
            Py_DECREF(expanded);
        }
        Py_DECREF(s);
    }
    EXPECT_EQ(longest, LONGEST_EXPANSION);
}

// Decomposition skips the lookup below the NFD and NFKD bounds: a character that
// decomposes must therefore fail that form's quick check.
TEST(DerivedInformation, DecomposingCharactersFailTheirQuickCheck) {
    for (uint32_t cp = 0; cp <= 0x10FFFF; ++cp) {
        const uint16_t info = normalization_info(cp);
        if (info & INFO_CANONICAL) {
            ASSERT_TRUE(info & INFO_QUICK_CHECK_FAILS << 0) << std::hex << cp;
        }
        if (info & INFO_DECOMPOSES) {
            ASSERT_TRUE(info & INFO_QUICK_CHECK_FAILS << 1) << std::hex << cp;
        }
    }
}

TEST(CompositionRanges, DirectIndexFindsWhatTheWalkFinds) {
    for (uint32_t cp = 0; cp <= 0x110000; ++cp) {
        ASSERT_EQ(first_composition_index(cp), find_composition_index(composition_first_ranges, cp)) << std::hex << cp;
        ASSERT_EQ(last_composition_index(cp), find_composition_index(composition_last_ranges, cp)) << std::hex << cp;
    }
    for (uint32_t cp : {0x7FFFFFFFu, 0xFFFFFFFFu}) {
        EXPECT_EQ(first_composition_index(cp), -1);
        EXPECT_EQ(last_composition_index(cp), -1);
    }
}

// --- whole strings: fast path against general path

PyObject *str_of(const std::vector<uint32_t> &code_points) {
    return PyUnicode_FromKindAndData(PyUnicode_4BYTE_KIND, code_points.data(),
                                     static_cast<Py_ssize_t>(code_points.size()));
}

// Compares decomposition and composition of s by both paths, in all forms, and checks
// the quick check: it passes wherever the records' check does, and never where the
// general path changes s.
::testing::AssertionResult paths_agree(PyObject *s) {
    for (int form = 0; form < 4; ++form) {
        const bool composed = form >= 2, compatibility = form % 2 == 1;
        PyObject *fast = composed ? compose_string(nullptr, s, compatibility)
                                  : decompose_string(nullptr, s, compatibility);
        PyObject *general = composed ? compose_string_general(nullptr, s, compatibility)
                                     : decompose_string_general(nullptr, s, compatibility);
        const bool same = fast != nullptr && general != nullptr && PyUnicode_Compare(fast, general) == 0 &&
                          PyUnicode_KIND(fast) == PyUnicode_KIND(general);
        const bool unchanged = general != nullptr && PyUnicode_Compare(general, s) == 0;
        Py_XDECREF(fast);
        Py_XDECREF(general);
        if (!same)
            return ::testing::AssertionFailure()
                   << (composed ? "composition" : "decomposition") << (compatibility ? " (compatibility)" : "")
                   << " differs";
        const bool passes = quick_check_passes(s, MASKS[form]);
        if (quick_check_by_records(s, MASKS[form]) && !passes)
            return ::testing::AssertionFailure() << "quick check fails what the records pass, mask "
                                                 << int(MASKS[form]);
        if (passes && !unchanged)
            return ::testing::AssertionFailure() << "quick check passes a string that changes, mask "
                                                 << int(MASKS[form]);
    }
    return ::testing::AssertionSuccess();
}

std::vector<uint32_t> parse_code_points(const std::string &field) {
    std::istringstream in(field);
    std::vector<uint32_t> result;
    std::string item;
    while (in >> item) result.push_back(static_cast<uint32_t>(std::stoul(item, nullptr, 16)));
    return result;
}

TEST(FastPaths, AgreeWithTheGeneralPathOnTheConformanceFile) {
    std::ifstream file(charlore_test::ucd_directory() + "/NormalizationTest.txt");
    ASSERT_TRUE(file) << "cannot read NormalizationTest.txt in " << charlore_test::ucd_directory();
    std::string line;
    size_t strings = 0;
    while (std::getline(file, line)) {
        line = line.substr(0, line.find('#'));
        if (line.empty() || line[0] == '@') continue;
        std::istringstream fields(line);
        std::string field;
        for (int column = 0; column < 5 && std::getline(fields, field, ';'); ++column) {
            PyObject *s = str_of(parse_code_points(field));
            ASSERT_NE(s, nullptr);
            ++strings;
            EXPECT_TRUE(paths_agree(s)) << line;
            Py_DECREF(s);
        }
    }
    EXPECT_GT(strings, 100'000u);
}

// Random strings from pools that reach each storage kind: Latin-1 only, the BMP (marks,
// Hangul syllables and jamo, kana with voicing marks, compatibility characters), and
// beyond (supplementary composites and marks); runs of marks long enough for both sorts.
TEST(FastPaths, AgreeWithTheGeneralPathOnRandomStringsOfEveryKind) {
    std::vector<uint32_t> latin1 = {'a', 'e', 'A', 'o', ' ', '.', 0xA0, 0xA8, 0xAA, 0xB2, 0xBC, 0xC0, 0xC7,
                                          0xE9, 0xF1, 0xFF};
    std::vector<uint32_t> bmp = latin1;
    for (uint32_t cp : {0x300u, 0x301u, 0x302u, 0x308u, 0x313u, 0x316u, 0x323u, 0x327u, 0x334u, 0x345u, 0x35Cu,
                        0x3B1u, 0x3C9u, 0x1E9Bu, 0x1F00u, 0x0B47u, 0x0B3Eu, 0x0CC6u, 0x0CC2u, 0x0CD5u, 0x1100u,
                        0x1112u, 0x1161u, 0x1175u, 0x11A7u, 0x11A8u, 0x11C2u, 0xAC00u, 0xAC01u, 0xD7A3u, 0x304Bu,
                        0x3099u, 0x309Au, 0x30CFu, 0xFB01u, 0xFDFAu, 0xFF0Cu, 0x2126u, 0x0958u, 0x0344u, 0x0F73u,
                        0x1B05u, 0x1B35u, 0xFA6Cu, 0x0915u, 0x091Cu, 0x0928u, 0x093Cu, 0x094Du})
        bmp.push_back(cp);
    std::vector<uint32_t> all = bmp;
    for (uint32_t cp : {0x1D15Eu, 0x1D165u, 0x1D16Du, 0x11099u, 0x110BAu, 0x1109Au, 0x2F868u, 0x1F600u, 0x10FFFFu})
        all.push_back(cp);
    std::mt19937 random(18);
    for (const std::vector<uint32_t> *pool : {&latin1, &bmp, &all}) {
        std::uniform_int_distribution<size_t> pick(0, pool->size() - 1), length(0, 60);
        for (int round = 0; round < 3000; ++round) {
            std::vector<uint32_t> text(length(random));
            for (uint32_t &cp : text) cp = (*pool)[pick(random)];
            PyObject *s = str_of(text);
            ASSERT_NE(s, nullptr);
            EXPECT_TRUE(paths_agree(s)) << "round " << round;
            Py_DECREF(s);
        }
    }
}

// Long strings of characters that pass every quick check, with failing characters
// scattered at gaps short and long: the fast path copies the passing stretches and works
// through the segments around the failures, joining close ones.
TEST(FastPaths, AgreeWithTheGeneralPathOnSparseFailures) {
    const std::vector<uint32_t> passing = {'a', 'Q', ' ', '.', 0x4E00, 0x3042, 0xAC00, 0x1F600, 0x1100, 0x0928};
    const std::vector<uint32_t> failing = {0x300, 0x301, 0x327, 0x345, 0xC0, 0xE9, 0xA0, 0xFF0C, 0x3000, 0x3099,
                                           0x304C, 0x1161, 0x11A8, 0xAC01, 0xFB01, 0x0B3E, 0x0F73, 0x2F868,
                                           0x1D15E, 0x1D165, 0x110BA, 0xFA6C, 0x093C};
    std::mt19937 random(1800);
    std::uniform_int_distribution<size_t> pick_passing(0, passing.size() - 1), pick_failing(0, failing.size() - 1);
    std::uniform_int_distribution<int> gap(0, 40), length(0, 400);
    for (int round = 0; round < 3000; ++round) {
        std::vector<uint32_t> text;
        const size_t size = static_cast<size_t>(length(random));
        while (text.size() < size) {
            for (int k = gap(random); k > 0; --k) text.push_back(passing[pick_passing(random)]);
            for (int k = gap(random) % 3 + 1; k > 0; --k) text.push_back(failing[pick_failing(random)]);
        }
        PyObject *s = str_of(text);
        ASSERT_NE(s, nullptr);
        EXPECT_TRUE(paths_agree(s)) << "round " << round;
        Py_DECREF(s);
    }
}

// Text stored four bytes a character is scanned in groups of four and eight characters
// through one lookup each, whatever the plane: characters at either side of every form's
// bound, and ones beyond the BMP that pass, have a class, decompose or may compose, or
// lie in plane 16 (where the group's bound test hands over to the one-by-one path), and
// marks out of order, at every position of emoji text whose length ends the groups with
// a remainder of each size.
TEST(FastPaths, AgreeWithTheGeneralPathOnGroupsBeyondTheBmp) {
    std::vector<std::vector<uint32_t>> probes = {{0x1F600}, {0x1F3FB}, {0x1D165}, {0x1D15E}, {0x1D400}, {0x2F868},
                                                 {0x110BA}, {0x100000}, {0x10FFFF}, {0x301, 0x316},
                                                 {0x1D16D, 0x1D165}, {0x1F600, 0x10FFFF, 0x1D165, 0x301}};
    for (int form = 0; form < 4; ++form) {
        probes.push_back({QUICK_CHECK_YES_BELOW[form] - 1});
        probes.push_back({QUICK_CHECK_YES_BELOW[form]});
    }
    const std::vector<uint32_t> emoji_text = {0x1F44B, 'h', 'i', 0x1F469, 0x200D, 0x1F52C, ' ', 0x1F1EB, 0x1F1F7};
    for (size_t length : {9, 13, 16, 23}) {
        for (const std::vector<uint32_t> &probe : probes) {
            for (size_t at = 0; at + probe.size() <= length; ++at) {
                std::vector<uint32_t> text(length);
                for (size_t k = 0; k < length; ++k) text[k] = emoji_text[k % emoji_text.size()];
                std::copy(probe.begin(), probe.end(), text.begin() + static_cast<std::ptrdiff_t>(at));
                PyObject *s = str_of(text);
                ASSERT_NE(s, nullptr);
                ASSERT_EQ(PyUnicode_KIND(s), PyUnicode_4BYTE_KIND);
                EXPECT_TRUE(paths_agree(s)) << "U+" << std::hex << probe[0] << " at " << std::dec << at << " of "
                                            << length;
                Py_DECREF(s);
            }
        }
    }
}

// The scan of text stored four bytes a character reads the derived information through
// a table of its own, one entry per block of 128 code points.
TEST(DerivedInformation, BlockDisplacementsReadTheSameInformation) {
    for (uint32_t cp = 0; cp <= 0x10FFFF; ++cp)
        ASSERT_EQ(normalization::info_within_range(cp), normalization_info(cp)) << std::hex << cp;
}

// What lets the fast path work segment by segment: a character that passes a form's
// quick check with class 0 decomposes (in that form) to a first code point of class 0,
// and in the composed forms that code point is no last character of a composite.
TEST(DerivedInformation, SegmentStartsDecomposeToAStarterThatAbsorbsNothingBefore) {
    for (int form = 0; form < 4; ++form) {
        const bool compatibility = form % 2 == 1, composed = form >= 2;
        for (uint32_t cp = 0; cp <= 0x10FFFF; ++cp) {
            if (normalization_info(cp) & (INFO_COMBINING | INFO_QUICK_CHECK_FAILS << form)) continue;
            uint32_t first = cp;
            if (is_hangul_syllable(first)) first = 0x1100 + (first - 0xAC00) / 588;
            for (;;) {
                const uint32_t header = decomposition_words[lookup_decomposition_record(first)];
                if (header >> 8 == 0 || (!compatibility && (header & 0xFF) != 0)) break;
                first = decomposition_words[lookup_decomposition_record(first) + 1];
            }
            ASSERT_EQ(normalization_info(first) & INFO_COMBINING, 0) << std::hex << cp << " form " << form;
            if (composed) {
                ASSERT_FALSE(normalization_info(first) & INFO_LAST) << std::hex << cp << " form " << form;
            }
        }
    }
}

}  // namespace
}  // namespace charlore
