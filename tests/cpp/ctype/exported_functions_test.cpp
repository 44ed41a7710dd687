// Loads the built charlore module with dlopen(), as any C program could, and checks the 24
// exported functions declared in charlore.h on every code point (and on values beyond
// U+10FFFF) against what the suite itself reads from the UCD 18.0.0 files.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "charlore.h"
#include "ucd_reference.h"

namespace {

using reference::Mapping;
using reference::Ucd;

using Predicate = decltype(&_PyCharlore_IsAlpha);
using Value = decltype(&_PyCharlore_ToDigit);
using Numeric = decltype(&_PyCharlore_ToNumeric);
using Simple = decltype(&_PyCharlore_ToUppercase);
using Full = decltype(&_PyCharlore_ToLowerFull);

constexpr uint32_t BEYOND[] = {0x110000, 0x7FFFFFFF, 0xFFFFFFFF};

// Every code point, then the values beyond U+10FFFF that every function must accept.
const std::vector<uint32_t> &all_values() {
    static const std::vector<uint32_t> values = [] {
        std::vector<uint32_t> v;
        for (uint32_t cp = 0; cp <= 0x10FFFF; ++cp) v.push_back(cp);
        v.insert(v.end(), std::begin(BEYOND), std::end(BEYOND));
        return v;
    }();
    return values;
}

// The module, opened once, with its exports resolved through the declarations of charlore.h.
// Like every extension module it refers to the interpreter's symbols, so the interpreter's
// library is made available first; the interpreter itself is never started.
class Module {
public:
    Module()
        : python_(open(CHARLORE_PYTHON_LIBRARY, RTLD_NOW | RTLD_GLOBAL)),
          handle_(open(CHARLORE_MODULE_PATH, RTLD_NOW | RTLD_LOCAL)) {}
    ~Module() {
        dlclose(handle_);
        dlclose(python_);
    }
    template <class Function>
    Function get(const char *name) const {
        void *symbol = dlsym(handle_, name);
        if (!symbol) throw std::runtime_error(std::string("missing export ") + name);
        return reinterpret_cast<Function>(symbol);
    }

private:
    static void *open(const char *path, int mode) {
        void *handle = dlopen(path, mode);
        if (!handle) throw std::runtime_error(std::string("dlopen: ") + dlerror());
        return handle;
    }
    void *python_, *handle_;
};

const Module &module() {
    static const Module instance;
    return instance;
}

// The export `name`, typed by its declaration in charlore.h.
#define RESOLVE(name) module().get<decltype(&name)>(#name)
// Its name and the export, for tables of cases.
#define EXPORT(name) #name, RESOLVE(name)

const Ucd &ucd() {
    static const Ucd instance(CHARLORE_UCD_DIR "/18.0.0");
    return instance;
}

std::string hex(uint32_t cp) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "U+%04X", cp);
    return buffer;
}

// Collects disagreements over a whole scan and reports the first few.
class Mismatches {
public:
    explicit Mismatches(std::string function) : function_(std::move(function)) {}
    void add(uint32_t cp, const std::string &got, const std::string &expected) {
        if (count_++ < 8) text_ += "\n  " + function_ + "(" + hex(cp) + ") = " + got + ", expected " + expected;
    }
    ~Mismatches() { EXPECT_EQ(count_, 0u) << count_ << " mismatches:" << text_; }

private:
    std::string function_, text_;
    size_t count_ = 0;
};

std::string str(double v) {
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.17g", v);
    return buffer;
}

bool in(const std::string &value, std::initializer_list<const char *> set) {
    for (const char *s : set)
        if (value == s) return true;
    return false;
}

// ---- The predicates ----

struct PredicateCase {
    const char *name;
    Predicate function;
    std::function<bool(const Ucd &, uint32_t)> expected;
    size_t count;  // code points 0..U+10FFFF for which it is 1
};

std::vector<PredicateCase> predicates() {
    return {
        {EXPORT(_PyCharlore_IsAlpha),
         [](const Ucd &u, uint32_t cp) { return in(u.category(cp), {"Lu", "Ll", "Lt", "Lm", "Lo"}); }, 158172},
        {EXPORT(_PyCharlore_IsDecimalDigit), [](const Ucd &u, uint32_t cp) { return u.decimal(cp) >= 0; },
         770},
        {EXPORT(_PyCharlore_IsDigit), [](const Ucd &u, uint32_t cp) { return u.digit(cp) >= 0; }, 898},
        {EXPORT(_PyCharlore_IsNumeric), [](const Ucd &u, uint32_t cp) { return u.numeric(cp) != -1.0; },
         2348},
        {EXPORT(_PyCharlore_IsPrintable),
         [](const Ucd &u, uint32_t cp) {
             return cp == 0x20 || !in(u.category(cp), {"Cc", "Cf", "Cs", "Co", "Cn", "Zl", "Zp", "Zs"});
         },
         172620},
        {EXPORT(_PyCharlore_IsLowercase), [](const Ucd &u, uint32_t cp) { return u.has("Lowercase", cp); },
         2740},
        {EXPORT(_PyCharlore_IsUppercase), [](const Ucd &u, uint32_t cp) { return u.has("Uppercase", cp); },
         2026},
        {EXPORT(_PyCharlore_IsTitlecase), [](const Ucd &u, uint32_t cp) { return u.category(cp) == "Lt"; },
         31},
        {EXPORT(_PyCharlore_IsCased), [](const Ucd &u, uint32_t cp) { return u.has("Cased", cp); }, 4797},
        {EXPORT(_PyCharlore_IsCaseIgnorable),
         [](const Ucd &u, uint32_t cp) { return u.has("Case_Ignorable", cp); }, 2890},
        {EXPORT(_PyCharlore_IsXidStart), [](const Ucd &u, uint32_t cp) { return u.has("XID_Start", cp); },
         158716},
        {EXPORT(_PyCharlore_IsXidContinue),
         [](const Ucd &u, uint32_t cp) { return u.has("XID_Continue", cp); }, 162081},
        {EXPORT(_PyCharlore_IsWhitespace),
         [](const Ucd &u, uint32_t cp) { return u.category(cp) == "Zs" || in(u.bidi(cp), {"WS", "B", "S"}); }, 29},
        {EXPORT(_PyCharlore_IsLinebreak),
         [](const Ucd &u, uint32_t cp) {
             return u.bidi(cp) == "B" || in(u.category(cp), {"Zl", "Zp"}) || cp == 0x0B || cp == 0x0C;
         },
         10},
    };
}

TEST(ExportedFunctions, PredicatesAgreeWithTheUcdOnEveryCodePoint) {
    for (const PredicateCase &p : predicates()) {
        Mismatches mismatches(p.name);
        for (uint32_t cp : all_values()) {
            int got = p.function(cp);
            int expected = cp <= 0x10FFFF && p.expected(ucd(), cp);
            if (got != expected) mismatches.add(cp, std::to_string(got), std::to_string(expected));
        }
    }
}

TEST(ExportedFunctions, PredicatesHoldForTheDocumentedNumberOfCodePoints) {
    for (const PredicateCase &p : predicates()) {
        size_t count = 0;
        for (uint32_t cp = 0; cp <= 0x10FFFF; ++cp) count += p.function(cp) == 1;
        EXPECT_EQ(count, p.count) << p.name;
    }
}

// ---- Digit and numeric values ----

TEST(ExportedFunctions, DigitValuesAgreeWithTheUcdOnEveryCodePoint) {
    struct {
        const char *name;
        Value function;
        int (Ucd::*expected)(uint32_t) const;
    } const cases[] = {
        {EXPORT(_PyCharlore_ToDecimalDigit), &Ucd::decimal},
        {EXPORT(_PyCharlore_ToDigit), &Ucd::digit},
    };
    for (const auto &c : cases) {
        Mismatches mismatches(c.name);
        for (uint32_t cp : all_values()) {
            int got = c.function(cp);
            int expected = cp <= 0x10FFFF ? (ucd().*c.expected)(cp) : -1;
            if (got != expected) mismatches.add(cp, std::to_string(got), std::to_string(expected));
        }
    }
}

TEST(ExportedFunctions, NumericValuesAgreeWithTheUcdOnEveryCodePoint) {
    auto to_numeric = RESOLVE(_PyCharlore_ToNumeric);
    auto is_numeric = RESOLVE(_PyCharlore_IsNumeric);
    auto to_digit = RESOLVE(_PyCharlore_ToDigit);
    Mismatches values("_PyCharlore_ToNumeric"), flags("_PyCharlore_IsNumeric vs _PyCharlore_ToNumeric"),
        digits("_PyCharlore_ToNumeric vs _PyCharlore_ToDigit");
    for (uint32_t cp : all_values()) {
        double got = to_numeric(cp);
        double expected = cp <= 0x10FFFF ? ucd().numeric(cp) : -1.0;
        if (got != expected) values.add(cp, str(got), str(expected));
        if (is_numeric(cp) != (got != -1.0)) flags.add(cp, std::to_string(is_numeric(cp)), "agreement");
        if (to_digit(cp) >= 0 && got != to_digit(cp)) digits.add(cp, str(got), std::to_string(to_digit(cp)));
    }
}

// The distinct values, listed by kind.
std::set<double> documented_numeric_values() {
    std::set<double> values = {-0.5, 0.0};
    const std::pair<int, int> fractions[] = {{1, 320}, {1, 160}, {1, 80}, {1, 64}, {1, 40}, {1, 32}, {3, 80},
                                             {3, 64},  {1, 20},  {1, 16}, {1, 12}, {1, 10}, {1, 9},  {1, 8},
                                             {1, 7},   {3, 20},  {1, 6},  {3, 16}, {1, 5},  {1, 4},  {1, 3},
                                             {3, 8},   {2, 5},   {5, 12}, {1, 2},  {7, 12}, {3, 5},  {5, 8},
                                             {2, 3},   {3, 4},   {4, 5},  {5, 6},  {7, 8},  {11, 12}};
    for (auto [n, d] : fractions) values.insert(static_cast<double>(n) / d);
    for (int n = 3; n <= 17; n += 2) values.insert(n / 2.0);
    for (int n = 1; n <= 50; ++n) values.insert(n);
    for (int n = 60; n <= 90; n += 10) values.insert(n);
    for (double scale : {100.0, 1000.0, 10000.0, 100000.0})
        for (int n = 1; n <= 9; ++n) values.insert(n * scale);
    for (double v : {216000.0, 432000.0, 1e6, 1e7, 2e7, 1e8, 1e9, 1e10, 1e12, 1e16}) values.insert(v);
    return values;
}

TEST(ExportedFunctions, NumericValuesAreTheDocumentedOnes) {
    auto to_numeric = RESOLVE(_PyCharlore_ToNumeric);
    std::set<double> distinct;
    size_t count = 0;
    std::map<std::string, size_t> by_category;
    for (uint32_t cp = 0; cp <= 0x10FFFF; ++cp) {
        double v = to_numeric(cp);
        if (v == -1.0) continue;
        ++count;
        distinct.insert(v);
        ++by_category[ucd().category(cp)];
    }
    EXPECT_EQ(count, 2348u);
    EXPECT_EQ(distinct.size(), 144u);
    EXPECT_EQ(distinct, documented_numeric_values());
    EXPECT_EQ(by_category, (std::map<std::string, size_t>{{"Nd", 770}, {"Nl", 562}, {"No", 915}, {"Lo", 101}}));
}

TEST(ExportedFunctions, TellingNumericValues) {
    auto to_numeric = RESOLVE(_PyCharlore_ToNumeric);
    const std::pair<uint32_t, double> cases[] = {
        {0x0030, 0.0},      {0x0039, 9.0},       {0x00B2, 2.0},       {0x00B3, 3.0},     {0x00B9, 1.0},
        {0x00BC, 0.25},     {0x00BD, 0.5},       {0x00BE, 0.75},      {0x0F2A, 0.5},     {0x0F2B, 1.5},
        {0x0F32, 8.5},      {0x0F33, -0.5},      {0x2150, 1.0 / 7},   {0x2153, 1.0 / 3}, {0x2160, 1.0},
        {0x216F, 1000.0},   {0x2186, 50.0},      {0x2188, 100000.0},  {0x2460, 1.0},     {0x2473, 20.0},
        {0x32BF, 50.0},     {0x3007, 0.0},       {0x96F6, 0.0},       {0x3405, 5.0},     {0x4E00, 1.0},
        {0x4E07, 10000.0},  {0x4EBF, 1e8},       {0x79ED, 1e9},       {0x4EAC, 1e16},    {0x5146, 1e12},
        {0xF96B, 3.0},      {0x109F6, 1.0 / 12}, {0x11FC0, 1.0 / 320}, {0x12432, 216000.0}, {0x12433, 432000.0},
        {0x16B61, 1e12},    {0x1ED3D, 1.0 / 6},  {0x32403, 200.0},    {0x324DF, 50.0},   {0x0041, -1.0},
        {0x5793, -1.0},     {0x110000, -1.0},    {0x7FFFFFFF, -1.0},  {0xFFFFFFFF, -1.0},
    };
    for (auto [cp, expected] : cases) EXPECT_EQ(to_numeric(cp), expected) << hex(cp);
    EXPECT_EQ(str(to_numeric(0x2153)), "0.33333333333333331");
}

TEST(ExportedFunctions, DigitValuesOfTellingCharacters) {
    auto decimal = RESOLVE(_PyCharlore_ToDecimalDigit);
    auto digit = RESOLVE(_PyCharlore_ToDigit);
    struct {
        uint32_t cp;
        int decimal, digit;
    } const cases[] = {
        {0x0030, 0, 0}, {0x0037, 7, 7}, {0x0660, 0, 0}, {0x00B2, -1, 2}, {0x2070, -1, 0}, {0x1369, -1, 1},
        {0x0000, -1, -1}, {0x0378, -1, -1}, {0xD800, -1, -1}, {0xE000, -1, -1}, {0x10FFFD, -1, -1},
        {0x110000, -1, -1}, {0xFFFFFFFF, -1, -1},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(decimal(c.cp), c.decimal) << hex(c.cp);
        EXPECT_EQ(digit(c.cp), c.digit) << hex(c.cp);
    }
}

TEST(ExportedFunctions, PredicatesOfTellingCharacters) {
    std::map<std::string, Predicate> by_name;
    for (const PredicateCase &p : predicates()) by_name[p.name] = p.function;
    struct {
        uint32_t cp;
        const char *predicate;
        int expected;
    } const cases[] = {
        {0x0345, "_PyCharlore_IsLowercase", 1},    {0x0345, "_PyCharlore_IsCased", 1},
        {0x0345, "_PyCharlore_IsCaseIgnorable", 1}, {0x0345, "_PyCharlore_IsAlpha", 0},
        {0x2160, "_PyCharlore_IsUppercase", 1},    {0x2160, "_PyCharlore_IsNumeric", 1},
        {0x2160, "_PyCharlore_IsAlpha", 0},        {0x24B6, "_PyCharlore_IsUppercase", 1},
        {0x24B6, "_PyCharlore_IsCased", 1},        {0x24B6, "_PyCharlore_IsAlpha", 0},
        {0x00AA, "_PyCharlore_IsLowercase", 1},    {0x00AA, "_PyCharlore_IsAlpha", 1},
        {0x00BA, "_PyCharlore_IsLowercase", 1},    {0x2118, "_PyCharlore_IsXidStart", 1},
        {0x212E, "_PyCharlore_IsXidStart", 1},     {0x00AD, "_PyCharlore_IsCaseIgnorable", 1},
        {0x00AD, "_PyCharlore_IsPrintable", 0},    {0x200D, "_PyCharlore_IsCaseIgnorable", 1},
        {0x200D, "_PyCharlore_IsPrintable", 0},    {0x0020, "_PyCharlore_IsPrintable", 1},
        {0x00A0, "_PyCharlore_IsPrintable", 0},    {0x2028, "_PyCharlore_IsPrintable", 0},
        {0x0041, "_PyCharlore_IsUppercase", 1},    {0x0041, "_PyCharlore_IsCased", 1},
        {0x01C5, "_PyCharlore_IsTitlecase", 1},    {0x01C5, "_PyCharlore_IsUppercase", 0},
        {0x01C5, "_PyCharlore_IsLowercase", 0},    {0x01C5, "_PyCharlore_IsCased", 1},
        {0x0130, "_PyCharlore_IsUppercase", 1},    {0x00DF, "_PyCharlore_IsLowercase", 1},
        {0x005F, "_PyCharlore_IsXidContinue", 1},  {0x005F, "_PyCharlore_IsXidStart", 0},
        {0x0027, "_PyCharlore_IsPrintable", 1},    {0x0027, "_PyCharlore_IsCaseIgnorable", 1},
        {0x0030, "_PyCharlore_IsXidContinue", 1},  {0x0030, "_PyCharlore_IsAlpha", 0},
        {0x00B2, "_PyCharlore_IsDigit", 1},        {0x00B2, "_PyCharlore_IsDecimalDigit", 0},
        {0x1369, "_PyCharlore_IsDigit", 1},        {0x1369, "_PyCharlore_IsDecimalDigit", 0},
        {0x0009, "_PyCharlore_IsWhitespace", 1},   {0x0020, "_PyCharlore_IsWhitespace", 1},
        {0x00A0, "_PyCharlore_IsWhitespace", 1},   {0x1680, "_PyCharlore_IsWhitespace", 1},
        {0x2007, "_PyCharlore_IsWhitespace", 1},   {0x202F, "_PyCharlore_IsWhitespace", 1},
        {0x205F, "_PyCharlore_IsWhitespace", 1},   {0x3000, "_PyCharlore_IsWhitespace", 1},
        {0x180E, "_PyCharlore_IsWhitespace", 0},   {0x200B, "_PyCharlore_IsWhitespace", 0},
        {0x2060, "_PyCharlore_IsWhitespace", 0},   {0xFEFF, "_PyCharlore_IsWhitespace", 0},
        {0x000B, "_PyCharlore_IsLinebreak", 1},    {0x000C, "_PyCharlore_IsLinebreak", 1},
        {0x001C, "_PyCharlore_IsLinebreak", 1},    {0x0085, "_PyCharlore_IsLinebreak", 1},
        {0x2028, "_PyCharlore_IsLinebreak", 1},    {0x2029, "_PyCharlore_IsLinebreak", 1},
        {0x0009, "_PyCharlore_IsLinebreak", 0},    {0x001F, "_PyCharlore_IsLinebreak", 0},
        {0x0020, "_PyCharlore_IsLinebreak", 0},    {0x001F, "_PyCharlore_IsWhitespace", 1},
    };
    for (const auto &c : cases) EXPECT_EQ(by_name.at(c.predicate)(c.cp), c.expected) << c.predicate << " " << hex(c.cp);
    // Nothing is claimed for unassigned, surrogate, private-use or out-of-range values.
    for (uint32_t cp : {0x0000u, 0x0378u, 0xD800u, 0xE000u, 0x10FFFDu, 0x110000u, 0x7FFFFFFFu, 0xFFFFFFFFu})
        for (const auto &[name, function] : by_name) EXPECT_EQ(function(cp), 0) << name << " " << hex(cp);
}

// ---- Case mappings ----

struct FullCase {
    const char *name;
    Full function;
    Mapping (Ucd::*expected)(uint32_t) const;
};

std::vector<FullCase> full_mappings() {
    return {
        {EXPORT(_PyCharlore_ToLowerFull), &Ucd::full_lower},
        {EXPORT(_PyCharlore_ToTitleFull), &Ucd::full_title},
        {EXPORT(_PyCharlore_ToUpperFull), &Ucd::full_upper},
        {EXPORT(_PyCharlore_ToFoldedFull), &Ucd::full_fold},
    };
}

constexpr Py_UCS4 UNTOUCHED = 0xDEADBEEF;

// Calls a full mapping function on an array prefilled with UNTOUCHED; a count outside
// 1..3 or a write beyond the count comes back as count 0.
Mapping call(Full function, uint32_t cp) {
    Py_UCS4 out[FULL_MAPPING_MAX + 1] = {UNTOUCHED, UNTOUCHED, UNTOUCHED, UNTOUCHED};
    int n = function(cp, out);
    Mapping m;
    if (n < 1 || n > FULL_MAPPING_MAX) return m;
    for (int i = n; i <= FULL_MAPPING_MAX; ++i)
        if (out[i] != UNTOUCHED) return m;
    m.count = n;
    std::copy(out, out + n, m.code_points.begin());
    return m;
}

Mapping of(std::initializer_list<uint32_t> code_points) {
    Mapping m;
    for (uint32_t cp : code_points) m.code_points[static_cast<size_t>(m.count++)] = cp;
    return m;
}

TEST(ExportedFunctions, FullMappingsAgreeWithTheUcdOnEveryCodePoint) {
    for (const FullCase &f : full_mappings()) {
        Mismatches mismatches(f.name);
        for (uint32_t cp : all_values()) {
            Mapping got = call(f.function, cp);
            Mapping expected = cp <= 0x10FFFF ? (ucd().*f.expected)(cp) : of({cp});
            if (!(got == expected)) mismatches.add(cp, reference::describe(got), reference::describe(expected));
        }
    }
}

TEST(ExportedFunctions, SimpleMappingsAgreeWithTheUcdOnEveryCodePoint) {
    // A character whose mappings need the extended case table answers with the first code
    // point of its full mapping; every other one with its UnicodeData.txt simple mapping.
    struct {
        const char *name;
        Simple function;
        uint32_t (Ucd::*simple)(uint32_t) const;
        Mapping (Ucd::*full)(uint32_t) const;
    } const cases[] = {
        {EXPORT(_PyCharlore_ToUppercase), &Ucd::simple_upper, &Ucd::full_upper},
        {EXPORT(_PyCharlore_ToLowercase), &Ucd::simple_lower, &Ucd::full_lower},
        {EXPORT(_PyCharlore_ToTitlecase), &Ucd::simple_title, &Ucd::full_title},
    };
    for (const auto &c : cases) {
        Mismatches mismatches(c.name);
        for (uint32_t cp : all_values()) {
            uint32_t got = c.function(cp);
            uint32_t expected = cp > 0x10FFFF                ? cp
                                : ucd().extended_case(cp) ? (ucd().*c.full)(cp).code_points[0]
                                                          : (ucd().*c.simple)(cp);
            if (got != expected) mismatches.add(cp, hex(got), hex(expected));
        }
    }
}

TEST(ExportedFunctions, SimpleMappingIsTheFirstCodePointOfTheFullMapping) {
    const std::pair<Simple, Full> pairs[] = {
        {RESOLVE(_PyCharlore_ToUppercase), RESOLVE(_PyCharlore_ToUpperFull)},
        {RESOLVE(_PyCharlore_ToLowercase), RESOLVE(_PyCharlore_ToLowerFull)},
        {RESOLVE(_PyCharlore_ToTitlecase), RESOLVE(_PyCharlore_ToTitleFull)},
    };
    for (auto [simple, full] : pairs) {
        Mismatches mismatches("simple vs full mapping");
        for (uint32_t cp : all_values()) {
            Mapping m = call(full, cp);
            if (m.count == 0 || simple(cp) != m.code_points[0]) mismatches.add(cp, hex(simple(cp)), describe(m));
        }
    }
}

TEST(ExportedFunctions, FullMappingsOfTellingCharacters) {
    auto lower = RESOLVE(_PyCharlore_ToLowerFull), title = RESOLVE(_PyCharlore_ToTitleFull),
         upper = RESOLVE(_PyCharlore_ToUpperFull), fold = RESOLVE(_PyCharlore_ToFoldedFull);
    struct {
        uint32_t cp;
        Mapping lower, title, upper, fold;
    } const cases[] = {
        {0x00DF, of({0xDF}), of({0x53, 0x73}), of({0x53, 0x53}), of({0x73, 0x73})},
        {0x0130, of({0x69, 0x307}), of({0x130}), of({0x130}), of({0x69, 0x307})},  // no Turkic folding
        {0xFB01, of({0xFB01}), of({0x46, 0x69}), of({0x46, 0x49}), of({0x66, 0x69})},
        {0x1E9E, of({0xDF}), of({0x1E9E}), of({0x1E9E}), of({0x73, 0x73})},
        {0x0149, of({0x149}), of({0x2BC, 0x4E}), of({0x2BC, 0x4E}), of({0x2BC, 0x6E})},
        {0x1F80, of({0x1F80}), of({0x1F88}), of({0x1F08, 0x399}), of({0x1F00, 0x3B9})},
        {0x1F88, of({0x1F80}), of({0x1F88}), of({0x1F08, 0x399}), of({0x1F00, 0x3B9})},
        {0x1FB7, of({0x1FB7}), of({0x391, 0x342, 0x345}), of({0x391, 0x342, 0x399}), of({0x3B1, 0x342, 0x3B9})},
        {0x0345, of({0x345}), of({0x399}), of({0x399}), of({0x3B9})},
        {0x0390, of({0x390}), of({0x399, 0x308, 0x301}), of({0x399, 0x308, 0x301}), of({0x3B9, 0x308, 0x301})},
        {0x03C2, of({0x3C2}), of({0x3A3}), of({0x3A3}), of({0x3C3})},
        {0x03A3, of({0x3C3}), of({0x3A3}), of({0x3A3}), of({0x3C3})},  // no final-sigma rule
        {0x0049, of({0x69}), of({0x49}), of({0x49}), of({0x69})},      // no Turkic rule
        {0x00CC, of({0xEC}), of({0xCC}), of({0xCC}), of({0xEC})},      // no Lithuanian rule
        {0x0307, of({0x307}), of({0x307}), of({0x307}), of({0x307})},
        {0x13A0, of({0xAB70}), of({0x13A0}), of({0x13A0}), of({0x13A0})},
        {0xAB70, of({0xAB70}), of({0x13A0}), of({0x13A0}), of({0x13A0})},
        {0x13F8, of({0x13F8}), of({0x13F0}), of({0x13F0}), of({0x13F0})},
        {0x0041, of({0x61}), of({0x41}), of({0x41}), of({0x61})},
        {0x01C5, of({0x1C6}), of({0x1C5}), of({0x1C4}), of({0x1C6})},
        {0x110000, of({0x110000}), of({0x110000}), of({0x110000}), of({0x110000})},
        {0xFFFFFFFF, of({0xFFFFFFFF}), of({0xFFFFFFFF}), of({0xFFFFFFFF}), of({0xFFFFFFFF})},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(call(lower, c.cp), c.lower) << "lower " << hex(c.cp) << ": " << describe(call(lower, c.cp));
        EXPECT_EQ(call(title, c.cp), c.title) << "title " << hex(c.cp) << ": " << describe(call(title, c.cp));
        EXPECT_EQ(call(upper, c.cp), c.upper) << "upper " << hex(c.cp) << ": " << describe(call(upper, c.cp));
        EXPECT_EQ(call(fold, c.cp), c.fold) << "fold " << hex(c.cp) << ": " << describe(call(fold, c.cp));
    }
}

TEST(ExportedFunctions, SimpleMappingsOfTellingCharacters) {
    auto upper = RESOLVE(_PyCharlore_ToUppercase), lower = RESOLVE(_PyCharlore_ToLowercase),
         title = RESOLVE(_PyCharlore_ToTitlecase);
    struct {
        uint32_t cp, upper, lower, title;
    } const cases[] = {
        {0x0041, 0x0041, 0x0061, 0x0041}, {0x0061, 0x0041, 0x0061, 0x0041}, {0x00DF, 0x0053, 0x00DF, 0x0053},
        {0x0149, 0x02BC, 0x0149, 0x02BC}, {0x1F80, 0x1F08, 0x1F80, 0x1F88}, {0x0130, 0x0130, 0x0069, 0x0130},
        {0x0131, 0x0049, 0x0131, 0x0049}, {0x1E9E, 0x1E9E, 0x00DF, 0x1E9E}, {0x0345, 0x0399, 0x0345, 0x0399},
        {0x2160, 0x2160, 0x2170, 0x2160}, {0x24B6, 0x24B6, 0x24D0, 0x24B6}, {0x00AA, 0x00AA, 0x00AA, 0x00AA},
        {0x01C4, 0x01C4, 0x01C6, 0x01C5}, {0x01C5, 0x01C4, 0x01C6, 0x01C5}, {0x0000, 0x0000, 0x0000, 0x0000},
        {0xD800, 0xD800, 0xD800, 0xD800}, {0x10FFFD, 0x10FFFD, 0x10FFFD, 0x10FFFD},
        {0x110000, 0x110000, 0x110000, 0x110000}, {0x7FFFFFFF, 0x7FFFFFFF, 0x7FFFFFFF, 0x7FFFFFFF},
        {0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(upper(c.cp), c.upper) << hex(c.cp);
        EXPECT_EQ(lower(c.cp), c.lower) << hex(c.cp);
        EXPECT_EQ(title(c.cp), c.title) << hex(c.cp);
    }
}

TEST(ExportedFunctions, MultipleCodePointMappingCounts) {
    // Over all characters: how many full mappings have more than one code point.
    size_t upper_longer = 0, title_longer = 0;
    std::vector<uint32_t> lower_longer;
    auto lower = RESOLVE(_PyCharlore_ToLowerFull), title = RESOLVE(_PyCharlore_ToTitleFull),
         upper = RESOLVE(_PyCharlore_ToUpperFull);
    for (uint32_t cp = 0; cp <= 0x10FFFF; ++cp) {
        upper_longer += call(upper, cp).count > 1;
        title_longer += call(title, cp).count > 1;
        if (call(lower, cp).count > 1) lower_longer.push_back(cp);
    }
    EXPECT_EQ(upper_longer, 103u);
    EXPECT_EQ(title_longer, 49u);
    EXPECT_EQ(lower_longer, std::vector<uint32_t>{0x0130});
}

}  // namespace
