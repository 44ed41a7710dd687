// Fast paths against the general ones they stand in for: the quick check against the
// full decomposition and composition, and the insertion sort of short runs against the
// counting sort. Runs inside the embedded interpreter started by main.cpp.
#include <Python.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "database.h"
#include "normalize.h"
#include "normalize_test.h"

namespace charlore {
namespace {

struct Form {
    const char *name;
    uint8_t mask;
    bool composed, compatibility;
};
constexpr Form FORMS[] = {
    {"NFC", 0x30, true, false}, {"NFKC", 0xC0, true, true}, {"NFD", 0x03, false, false}, {"NFKD", 0x0C, false, true}};

// A new str of the code points, or null with an exception set.
PyObject *str_of(const std::vector<uint32_t> &code_points) {
    return PyUnicode_FromKindAndData(PyUnicode_4BYTE_KIND, code_points.data(),
                                     static_cast<Py_ssize_t>(code_points.size()));
}

// The full algorithm by the general path, which takes no quick check; self null selects
// the current database.
PyObject *full(const Form &form, PyObject *s) {
    return form.composed ? compose_string_general(nullptr, s, form.compatibility)
                         : decompose_string_general(nullptr, s, form.compatibility);
}

// Whether the quick check passing s for the form is confirmed by the full algorithm;
// counts passes. A quick check may fail a normalized string, never pass another.
::testing::AssertionResult check_never_passes_wrongly(const Form &form, PyObject *s, size_t &passes) {
    if (!quick_check_passes(s, form.mask)) return ::testing::AssertionSuccess();
    ++passes;
    PyObject *result = full(form, s);
    if (result == nullptr) {
        PyErr_Clear();
        return ::testing::AssertionFailure() << "full algorithm failed";
    }
    bool same = PyUnicode_Compare(result, s) == 0;
    Py_DECREF(result);
    if (same) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << form.name << " quick check passed a string that changes";
}

TEST(QuickCheck, NeverPassesACharacterThatNormalizationChanges) {
    for (const Form &form : FORMS) {
        size_t passes = 0;
        for (uint32_t cp = 0; cp <= 0x10FFFF; ++cp) {
            PyObject *s = str_of({cp});
            ASSERT_NE(s, nullptr);
            EXPECT_TRUE(check_never_passes_wrongly(form, s, passes)) << "U+" << std::hex << cp;
            Py_DECREF(s);
        }
        // Nearly everything passes; what fails is the characters with a No or Maybe value.
        EXPECT_GT(passes, 1'000'000u) << form.name;
        EXPECT_LT(passes, 0x110000u) << form.name;
    }
}

std::vector<uint32_t> parse_code_points(const std::string &field) {
    std::vector<uint32_t> result;
    std::istringstream in(field);
    std::string item;
    while (in >> item) result.push_back(static_cast<uint32_t>(std::stoul(item, nullptr, 16)));
    return result;
}

TEST(QuickCheck, NeverPassesAStringOfTheConformanceFileThatNormalizationChanges) {
    std::ifstream file(charlore_test::ucd_directory() + "/NormalizationTest.txt");
    ASSERT_TRUE(file) << "cannot read NormalizationTest.txt in " << charlore_test::ucd_directory();
    std::string line;
    size_t strings = 0, passes = 0;
    while (std::getline(file, line)) {
        line = line.substr(0, line.find('#'));
        if (line.empty() || line[0] == '@') continue;
        std::istringstream fields(line);
        std::string field;
        for (int column = 0; column < 5 && std::getline(fields, field, ';'); ++column) {
            PyObject *s = str_of(parse_code_points(field));
            ASSERT_NE(s, nullptr);
            ++strings;
            for (const Form &form : FORMS) EXPECT_TRUE(check_never_passes_wrongly(form, s, passes)) << line;
            Py_DECREF(s);
        }
    }
    EXPECT_GT(strings, 100'000u);
    EXPECT_GT(passes, 10'000u);
}

TEST(QuickCheck, FailsOutOfOrderMarksAndPassesOrderedOnes) {
    PyObject *ordered = str_of({0x61, 0x0316, 0x0301});    // classes 220, 230
    PyObject *unordered = str_of({0x61, 0x0301, 0x0316});  // classes 230, 220
    EXPECT_TRUE(quick_check_passes(ordered, 0x03));
    EXPECT_FALSE(quick_check_passes(unordered, 0x03));
    Py_DECREF(ordered);
    Py_DECREF(unordered);
}

// A character whose check answers Maybe passes right after a starter that passed and is
// the first character of no composite; anything that composes, reorders or answers No
// still fails. The long cases put the starter at the end of a group that passed at once.
TEST(QuickCheck, PassesACharacterThatMayComposeOnlyWhereNothingComposes) {
    const std::vector<uint32_t> ka8(8, 0x0915);
    auto after = [](std::vector<uint32_t> head, std::initializer_list<uint32_t> tail) {
        head.insert(head.end(), tail);
        return head;
    };
    struct Case {
        std::vector<uint32_t> text;
        bool passes;  // in NFC and in NFKC alike
    } cases[] = {
        {{0x091C, 0x093C}, true},                // nukta: the composite is excluded
        {{0x0915, 0x093C, 0x093E, 0x20}, true},  // and a vowel sign after it
        {after(ka8, {0x093C}), true},
        {{0x4E00, 0x0B3E}, true},        // a starter that may compose, after an ideograph
        {{0x4E00, 0x110BA}, true},       // beyond the BMP
        {{0x0928, 0x093C}, false},       // composes to U+0929
        {after(ka8, {0x0928, 0x093C}), false},
        {{0x0915, 0x093C, 0x0334}, false},  // class 1 after the nukta's 7
        {{0x035C, 0x0313}, false},          // class 230 after 233, at the start: no starter before
        {{0x0B47, 0x0B3E}, false},          // composes to U+0B4B
        {{0x65, 0x0301}, false},            // composes to U+00E9
        {{0x1100, 0x1161}, false},          // jamo compose by arithmetic
        {{0xAC00, 0x11A8}, false},
        {{0x11099, 0x110BA}, false},        // composes to U+1109A
        {{0x61, 0x0344}, false},            // answers No
    };
    for (const Case &c : cases) {
        PyObject *s = str_of(c.text);
        ASSERT_NE(s, nullptr);
        size_t passes = 0;
        for (const Form &form : FORMS) {
            if (!form.composed) continue;
            EXPECT_EQ(quick_check_passes(s, form.mask), c.passes) << form.name << " U+" << std::hex << c.text.back();
            EXPECT_TRUE(check_never_passes_wrongly(form, s, passes)) << form.name;
        }
        Py_DECREF(s);
    }
}

// Marks of several classes (the current database's), several per class.
std::vector<uint32_t> sample_marks() {
    std::vector<uint32_t> marks;
    std::vector<int> per_class(256, 0);
    for (uint32_t cp = 0x0300; cp < 0x2000 && marks.size() < 60; ++cp) {
        unsigned cls = lookup_property_record(cp).combining;
        if (cls != 0 && per_class[cls]++ < 4) marks.push_back(cp);
    }
    return marks;
}

TEST(CanonicalOrder, InsertionAndCountingSortAgreeAndAreStable) {
    std::vector<uint32_t> marks = sample_marks();
    ASSERT_GE(marks.size(), 40u);
    std::mt19937 random(20260101);
    auto cls = [](uint32_t cp) { return lookup_property_record(cp).combining; };
    for (int trial = 0; trial < 2000; ++trial) {
        std::vector<uint32_t> text;
        std::uniform_int_distribution<int> runs(1, 4), length(0, 45);
        for (int r = runs(random); r > 0; --r) {
            text.push_back(0x61);
            for (int k = length(random); k > 0; --k) text.push_back(marks[random() % marks.size()]);
        }
        std::vector<uint32_t> expected = text, by_default = text, by_insertion = text, by_counting = text;
        // A stable sort by class within each run of marks.
        for (auto begin = expected.begin(); begin != expected.end();) {
            auto end = std::find_if(begin + 1, expected.end(), [&](uint32_t cp) { return cls(cp) == 0; });
            std::stable_sort(begin + 1, end, [&](uint32_t a, uint32_t b) { return cls(a) < cls(b); });
            begin = end;
        }
        const Py_ssize_t n = static_cast<Py_ssize_t>(text.size());
        ASSERT_TRUE(put_in_canonical_order(by_default.data(), n));
        ASSERT_TRUE(put_in_canonical_order(by_insertion.data(), n, PY_SSIZE_T_MAX));
        ASSERT_TRUE(put_in_canonical_order(by_counting.data(), n, 2));
        EXPECT_EQ(by_default, expected);
        EXPECT_EQ(by_insertion, expected);
        EXPECT_EQ(by_counting, expected);
    }
}

TEST(CanonicalOrder, LeadingMarksAndSingleMarksAreSortedToo) {
    std::vector<uint32_t> text = {0x0301, 0x0316, 0x61, 0x0301};
    ASSERT_TRUE(put_in_canonical_order(text.data(), static_cast<Py_ssize_t>(text.size()), 2));
    EXPECT_EQ(text, (std::vector<uint32_t>{0x0316, 0x0301, 0x61, 0x0301}));
}

}  // namespace
}  // namespace charlore
