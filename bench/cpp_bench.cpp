// Side-by-side timings of charlore and ICU4C over the same inputs: the exported
// character-type functions, property-record lookups, names in both directions,
// normalization (in normalize_cases.cpp, with utf8proc and libunistring) and
// (segmentation_bench.cpp) text segmentation. The names are timed as ".../charlore" and
// ".../icu"; every other case is one benchmark ".../charlore" that times all of its sides
// in the same iterations (together.h) and reports each as the counter SIDE_ns. A case
// whose charlore side is not built yet is skipped with the message "n/a".
//
// Usage: charlore-bench --data DIR [Google Benchmark options]; DIR holds the files that
// python_bench.py writes (corpora.txt with the corpus files, names.txt).
//        charlore-bench --data DIR --count-instructions SELECTION, under callgrind: see
// count_instructions.
#define PY_SSIZE_T_CLEAN
#include <Python.h>
#include <benchmark/benchmark.h>
#include <unicode/ucasemap.h>
#include <unicode/uchar.h>
#include <unicode/ustring.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

// Client requests that let one process under callgrind count each case's loop apart
// (count_instructions); without valgrind's header that mode is left out.
#if __has_include(<valgrind/callgrind.h>)
#include <valgrind/callgrind.h>
#define CHARLORE_BENCH_CALLGRIND 1
#endif

#include "allocator.h"
#include "charlore.h"
#include "corpus.h"
#include "database.h"
#include "names.h"
#include "segmentation_bench.h"
#include "together.h"

// Weak references, so that the benchmark builds before every exported function exists;
// a missing one is null and its rows read "n/a".
extern "C" {
#define CHARLORE_WEAK(result, name, ...) result name(__VA_ARGS__) __attribute__((weak));
CHARLORE_WEAK(int, _PyCharlore_IsAlpha, Py_UCS4)
CHARLORE_WEAK(int, _PyCharlore_IsDecimalDigit, Py_UCS4)
CHARLORE_WEAK(int, _PyCharlore_IsDigit, Py_UCS4)
CHARLORE_WEAK(int, _PyCharlore_IsNumeric, Py_UCS4)
CHARLORE_WEAK(int, _PyCharlore_IsPrintable, Py_UCS4)
CHARLORE_WEAK(int, _PyCharlore_IsLowercase, Py_UCS4)
CHARLORE_WEAK(int, _PyCharlore_IsUppercase, Py_UCS4)
CHARLORE_WEAK(int, _PyCharlore_IsTitlecase, Py_UCS4)
CHARLORE_WEAK(int, _PyCharlore_IsCased, Py_UCS4)
CHARLORE_WEAK(int, _PyCharlore_IsCaseIgnorable, Py_UCS4)
CHARLORE_WEAK(int, _PyCharlore_IsXidStart, Py_UCS4)
CHARLORE_WEAK(int, _PyCharlore_IsXidContinue, Py_UCS4)
CHARLORE_WEAK(int, _PyCharlore_IsWhitespace, Py_UCS4)
CHARLORE_WEAK(int, _PyCharlore_IsLinebreak, Py_UCS4)
CHARLORE_WEAK(int, _PyCharlore_ToDecimalDigit, Py_UCS4)
CHARLORE_WEAK(int, _PyCharlore_ToDigit, Py_UCS4)
CHARLORE_WEAK(double, _PyCharlore_ToNumeric, Py_UCS4)
CHARLORE_WEAK(Py_UCS4, _PyCharlore_ToUppercase, Py_UCS4)
CHARLORE_WEAK(Py_UCS4, _PyCharlore_ToLowercase, Py_UCS4)
CHARLORE_WEAK(Py_UCS4, _PyCharlore_ToTitlecase, Py_UCS4)
CHARLORE_WEAK(int, _PyCharlore_ToLowerFull, Py_UCS4, Py_UCS4 *)
CHARLORE_WEAK(int, _PyCharlore_ToTitleFull, Py_UCS4, Py_UCS4 *)
CHARLORE_WEAK(int, _PyCharlore_ToUpperFull, Py_UCS4, Py_UCS4 *)
CHARLORE_WEAK(int, _PyCharlore_ToFoldedFull, Py_UCS4, Py_UCS4 *)
#undef CHARLORE_WEAK
}

namespace {

using bench::CodePoints;
using bench::Corpus;

CodePoints decode_utf8(const std::string &text) {
    CodePoints out;
    for (size_t i = 0; i < text.size();) {
        unsigned char b = static_cast<unsigned char>(text[i]);
        int extra = b < 0x80 ? 0 : b < 0xE0 ? 1 : b < 0xF0 ? 2 : 3;
        uint32_t cp = extra == 0 ? b : b & (0x3F >> extra);
        for (int k = 1; k <= extra; ++k) cp = (cp << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        out.push_back(cp);
        i += 1 + extra;
    }
    return out;
}

std::string read_file(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "charlore-bench: cannot read %s\n", path.c_str());
        std::exit(2);
    }
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

std::vector<Corpus> read_corpora(const std::string &directory) {
    std::vector<Corpus> corpora;
    std::istringstream index(read_file(directory + "/corpora.txt"));
    for (std::string line; std::getline(index, line);) {
        size_t tab = line.find('\t');
        Corpus corpus{line.substr(tab + 1), read_file(directory + "/" + line.substr(0, tab)), {}};
        corpus.code_points = decode_utf8(corpus.utf8);
        corpora.push_back(std::move(corpus));
    }
    return corpora;
}

struct NamedCharacter {
    uint32_t code_point;
    std::string name;
};

std::vector<NamedCharacter> read_names(const std::string &directory) {
    std::vector<NamedCharacter> names;
    std::istringstream in(read_file(directory + "/names.txt"));
    for (std::string line; std::getline(in, line);) {
        size_t semicolon = line.find(';');
        names.push_back({static_cast<uint32_t>(std::stoul(line.substr(0, semicolon), nullptr, 16)),
                         line.substr(semicolon + 1)});
    }
    return names;
}

// --- the exported functions against their nearest ICU counterparts

// One pass of a function over a sequence, returning the sum of its results so that no
// call can be left out. The loop is made once per function, so that it calls the function
// directly, as a C caller does; through a std::function or a pointer every code point would
// add an indirect call or two to both sides.
using Pass = uint64_t (*)(const CodePoints &);

template <typename Function>
uint64_t pass(const CodePoints &sequence) {
    uint64_t sum = 0;
    for (uint32_t cp : sequence) sum += static_cast<uint64_t>(Function{}(cp));
    return sum;
}

template <typename Function>
constexpr Pass pass_of(Function) {
    return &pass<Function>;
}

// Both sides of a case in the same iterations (together.h): "charlore_ns" and "icu_ns".
void time_per_code_point(benchmark::State &state, const CodePoints &sequence, Pass ours, Pass theirs) {
    bench::time_together(state, static_cast<int64_t>(sequence.size()),
                         {{"charlore", [&] { benchmark::DoNotOptimize(ours(sequence)); }},
                          {"icu", [&] { benchmark::DoNotOptimize(theirs(sequence)); }}});
}

int numeric_type(UChar32 c) { return u_getIntPropertyValue(c, UCHAR_NUMERIC_TYPE); }

// c as UTF-16 in `units` (room for 2); returns the number of units.
int32_t utf16_of(UChar32 c, UChar *units) {
    int32_t length = 0;
    U16_APPEND_UNSAFE(units, length, c);
    return length;
}

int icu_full(int32_t (*mapping)(UChar *, int32_t, const UChar *, int32_t, const char *, UErrorCode *), UChar32 c) {
    UChar source[2], target[8];
    UErrorCode status = U_ZERO_ERROR;
    return mapping(target, 8, source, utf16_of(c, source), "", &status) + target[0];
}

int icu_fold_full(UChar32 c) {
    UChar source[2], target[8];
    UErrorCode status = U_ZERO_ERROR;
    return u_strFoldCase(target, 8, source, utf16_of(c, source), U_FOLD_CASE_DEFAULT, &status) + target[0];
}

UCaseMap *title_case_map() {
    static UCaseMap *map = [] {
        UErrorCode status = U_ZERO_ERROR;
        return ucasemap_open("", U_TITLECASE_WHOLE_STRING | U_TITLECASE_NO_LOWERCASE, &status);
    }();
    return map;
}

int icu_title_full(UChar32 c) {
    UChar source[2], target[8];
    UErrorCode status = U_ZERO_ERROR;
    return ucasemap_toTitle(title_case_map(), target, 8, source, utf16_of(c, source), &status) + target[0];
}

template <typename Full>
int charlore_full(Full full, uint32_t cp) {
    Py_UCS4 out[3];
    return full(cp, out) + static_cast<int>(out[0]);
}

struct FunctionPair {
    const char *name;
    bool present;
    Pass charlore;
    Pass icu;
};

#define PAIR(name, ours, theirs)                                                                           \
    FunctionPair {                                                                                           \
        name, ours != nullptr, pass_of([](uint32_t cp) -> int64_t { return ours(cp); }), pass_of(theirs) \
    }

std::vector<FunctionPair> exported_function_pairs() {
    return {
        PAIR("IsAlpha", _PyCharlore_IsAlpha, [](uint32_t c) -> int64_t { return u_isalpha(c); }),
        PAIR("IsDecimalDigit", _PyCharlore_IsDecimalDigit, [](uint32_t c) -> int64_t { return u_isdigit(c); }),
        PAIR("IsDigit", _PyCharlore_IsDigit,
             [](uint32_t c) -> int64_t { return numeric_type(c) == U_NT_DECIMAL || numeric_type(c) == U_NT_DIGIT; }),
        PAIR("IsNumeric", _PyCharlore_IsNumeric, [](uint32_t c) -> int64_t { return numeric_type(c) != U_NT_NONE; }),
        PAIR("IsPrintable", _PyCharlore_IsPrintable, [](uint32_t c) -> int64_t { return u_isprint(c); }),
        PAIR("IsLowercase", _PyCharlore_IsLowercase, [](uint32_t c) -> int64_t { return u_isULowercase(c); }),
        PAIR("IsUppercase", _PyCharlore_IsUppercase, [](uint32_t c) -> int64_t { return u_isUUppercase(c); }),
        PAIR("IsTitlecase", _PyCharlore_IsTitlecase, [](uint32_t c) -> int64_t { return u_istitle(c); }),
        PAIR("IsCased", _PyCharlore_IsCased, [](uint32_t c) -> int64_t { return u_hasBinaryProperty(c, UCHAR_CASED); }),
        PAIR("IsCaseIgnorable", _PyCharlore_IsCaseIgnorable,
             [](uint32_t c) -> int64_t { return u_hasBinaryProperty(c, UCHAR_CASE_IGNORABLE); }),
        PAIR("IsXidStart", _PyCharlore_IsXidStart,
             [](uint32_t c) -> int64_t { return u_hasBinaryProperty(c, UCHAR_XID_START); }),
        PAIR("IsXidContinue", _PyCharlore_IsXidContinue,
             [](uint32_t c) -> int64_t { return u_hasBinaryProperty(c, UCHAR_XID_CONTINUE); }),
        PAIR("IsWhitespace", _PyCharlore_IsWhitespace, [](uint32_t c) -> int64_t { return u_isUWhiteSpace(c); }),
        PAIR("IsLinebreak", _PyCharlore_IsLinebreak,
             [](uint32_t c) -> int64_t { return u_charDirection(c) == U_BLOCK_SEPARATOR; }),
        PAIR("ToDecimalDigit", _PyCharlore_ToDecimalDigit, [](uint32_t c) -> int64_t { return u_charDigitValue(c); }),
        PAIR("ToDigit", _PyCharlore_ToDigit, [](uint32_t c) -> int64_t { return u_digit(c, 10); }),
        PAIR("ToNumeric", _PyCharlore_ToNumeric,
             [](uint32_t c) -> int64_t { return static_cast<int64_t>(u_getNumericValue(c)); }),
        PAIR("ToUppercase", _PyCharlore_ToUppercase, [](uint32_t c) -> int64_t { return u_toupper(c); }),
        PAIR("ToLowercase", _PyCharlore_ToLowercase, [](uint32_t c) -> int64_t { return u_tolower(c); }),
        PAIR("ToTitlecase", _PyCharlore_ToTitlecase, [](uint32_t c) -> int64_t { return u_totitle(c); }),
        FunctionPair{"ToLowerFull", _PyCharlore_ToLowerFull != nullptr,
                     pass_of([](uint32_t c) -> int64_t { return charlore_full(_PyCharlore_ToLowerFull, c); }),
                     pass_of([](uint32_t c) -> int64_t { return icu_full(u_strToLower, c); })},
        FunctionPair{"ToTitleFull", _PyCharlore_ToTitleFull != nullptr,
                     pass_of([](uint32_t c) -> int64_t { return charlore_full(_PyCharlore_ToTitleFull, c); }),
                     pass_of([](uint32_t c) -> int64_t { return icu_title_full(c); })},
        FunctionPair{"ToUpperFull", _PyCharlore_ToUpperFull != nullptr,
                     pass_of([](uint32_t c) -> int64_t { return charlore_full(_PyCharlore_ToUpperFull, c); }),
                     pass_of([](uint32_t c) -> int64_t { return icu_full(u_strToUpper, c); })},
        FunctionPair{"ToFoldedFull", _PyCharlore_ToFoldedFull != nullptr,
                     pass_of([](uint32_t c) -> int64_t { return charlore_full(_PyCharlore_ToFoldedFull, c); }),
                     pass_of([](uint32_t c) -> int64_t { return icu_fold_full(c); })},
    };
}
#undef PAIR

// Each case is one benchmark that times both sides (time_per_code_point), named after
// charlore's side so that a selection of cases by side still finds it.
void register_pair(const std::string &base, const CodePoints &sequence, bool present, Pass ours, Pass theirs) {
    benchmark::RegisterBenchmark((base + "/charlore").c_str(), [=, &sequence](benchmark::State &state) {
        if (!present) return state.SkipWithError("n/a");
        time_per_code_point(state, sequence, ours, theirs);
    });
}

void register_exported_functions(const std::vector<std::pair<std::string, CodePoints>> &sequences) {
    for (const FunctionPair &pair : exported_function_pairs()) {
        for (const auto &[label, sequence] : sequences)
            register_pair(std::string("cfunc/") + pair.name + "/" + label, sequence, pair.present, pair.charlore,
                          pair.icu);
    }
    // The property record behind category and combining, against ICU's own lookups.
    const CodePoints &text = sequences.front().second;
    register_pair("record/category/text", text, true,
                  pass_of([](uint32_t cp) -> int64_t { return charlore::lookup_property_record(cp).category; }),
                  pass_of([](uint32_t cp) -> int64_t { return u_charType(cp); }));
    register_pair("record/combining/text", text, true,
                  pass_of([](uint32_t cp) -> int64_t { return charlore::lookup_property_record(cp).combining; }),
                  pass_of([](uint32_t cp) -> int64_t { return u_getCombiningClass(cp); }));
}

// The stand-in function of the loop's own count: a call that the compiler cannot see through.
__attribute__((noipa)) int64_t identity(uint32_t c) { return c; }

// Under callgrind (bench/cpp_instruction_counts.py): each side of each exported-function
// case whose name contains `selection` runs once to warm up (ICU loads its data on first
// use) and once between a reset of the counters and a dump named after the case, so that
// every dump holds one pass over the sequence and nothing else. Instruction counts do not
// move with the machine's load nor with where the code happens to lie, so they tell a
// change of the code from a change of its timing.
int count_instructions(const std::vector<std::pair<std::string, CodePoints>> &sequences, const std::string &selection) {
#ifdef CHARLORE_BENCH_CALLGRIND
    if (!RUNNING_ON_VALGRIND) {
        std::fprintf(stderr, "charlore-bench: --count-instructions runs under valgrind --tool=callgrind\n");
        return 2;
    }
    // The timed loop around a function that returns its argument: what every case counts
    // besides its function, so that the counts of the functions themselves can be told.
    std::vector<FunctionPair> pairs = exported_function_pairs();
    pairs.push_back(FunctionPair{"loop", true, pass_of([](uint32_t c) -> int64_t { return identity(c); }), nullptr});
    for (const FunctionPair &pair : pairs) {
        for (const auto &[label, sequence] : sequences) {
            for (const auto &[side, function] : {std::pair{"charlore", pair.charlore}, std::pair{"icu", pair.icu}}) {
                if (!function) continue;
                std::string name = std::string("cfunc/") + pair.name + "/" + label + "/" + side;
                if (name.find(selection) == std::string::npos || (side == std::string("charlore") && !pair.present))
                    continue;
                for (int round = 0; round < 2; ++round) {
                    if (round == 1) CALLGRIND_ZERO_STATS;
                    benchmark::DoNotOptimize(function(sequence));
                }
                // Named: a temporary would be gone before the request reads it.
                const std::string dump = name + " " + std::to_string(sequence.size());
                CALLGRIND_DUMP_STATS_AT(dump.c_str());
            }
        }
    }
    return 0;
#else
    (void)sequences;
    (void)selection;
    std::fprintf(stderr, "charlore-bench: built without valgrind's callgrind.h, no --count-instructions\n");
    return 2;
#endif
}

// --- names

// Returns a new reference; true if the call succeeded, false after clearing its error.
bool succeeds(PyObject *result) {
    if (result != nullptr) {
        Py_DECREF(result);
        return true;
    }
    PyErr_Clear();
    return false;
}

void register_names(const std::vector<NamedCharacter> &names) {
    static std::vector<PyObject *> lookup_arguments;
    for (const NamedCharacter &named : names) {
        lookup_arguments.push_back(PyBytes_FromStringAndSize(named.name.data(), named.name.size()));
    }
    // The internal routine behind name, which writes into a caller's buffer as u_charName does.
    benchmark::RegisterBenchmark("names/name/shared/charlore", [&names](benchmark::State &state) {
        char buffer[257];
        if (names.empty() || !charlore::code_point_name(nullptr, names[0].code_point, buffer, false))
            return state.SkipWithError("n/a");
        for (auto _ : state)
            for (const NamedCharacter &named : names)
                benchmark::DoNotOptimize(charlore::code_point_name(nullptr, named.code_point, buffer, false));
        state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * names.size()));
    });
    benchmark::RegisterBenchmark("names/name/shared/icu", [&names](benchmark::State &state) {
        char buffer[257];
        for (auto _ : state) {
            for (const NamedCharacter &named : names) {
                UErrorCode status = U_ZERO_ERROR;
                benchmark::DoNotOptimize(u_charName(named.code_point, U_UNICODE_CHAR_NAME, buffer, 257, &status));
            }
        }
        state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * names.size()));
    });
    benchmark::RegisterBenchmark("names/lookup/shared/charlore", [](benchmark::State &state) {
        if (lookup_arguments.empty() || !succeeds(charlore::query_lookup(nullptr, lookup_arguments[0])))
            return state.SkipWithError("n/a");
        for (auto _ : state)
            for (PyObject *name : lookup_arguments) Py_DECREF(charlore::query_lookup(nullptr, name));
        state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * lookup_arguments.size()));
    });
    benchmark::RegisterBenchmark("names/lookup/shared/icu", [&names](benchmark::State &state) {
        for (auto _ : state) {
            for (const NamedCharacter &named : names) {
                UErrorCode status = U_ZERO_ERROR;
                benchmark::DoNotOptimize(u_charFromName(U_UNICODE_CHAR_NAME, named.name.c_str(), &status));
            }
        }
        state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * names.size()));
    });
}

}  // namespace

int main(int argc, char **argv) {
    std::string data_directory;
    const char *count_selection = nullptr;
    std::vector<char *> arguments;
    for (int i = 0; i < argc; ++i) {
        if (std::strcmp(argv[i], "--data") == 0 && i + 1 < argc) {
            data_directory = argv[++i];
        } else if (std::strcmp(argv[i], "--count-instructions") == 0 && i + 1 < argc) {
            count_selection = argv[++i];
        } else {
            arguments.push_back(argv[i]);
        }
    }
    if (data_directory.empty()) {
        std::fprintf(stderr, "usage: charlore-bench --data DIR [benchmark options]\n");
        return 2;
    }
    bench::fix_allocator();
    Py_Initialize();
    static const std::vector<Corpus> corpora = read_corpora(data_directory);
    static const std::vector<NamedCharacter> names = read_names(data_directory);
    static std::vector<std::pair<std::string, CodePoints>> sequences;
    CodePoints text, all;
    for (const Corpus &corpus : corpora) text.insert(text.end(), corpus.code_points.begin(), corpus.code_points.end());
    for (uint32_t cp = 0; cp <= 0x10FFFF; ++cp) all.push_back(cp);
    sequences.emplace_back("text", std::move(text));
    sequences.emplace_back("all", std::move(all));
    if (count_selection) return count_instructions(sequences, count_selection);

    register_exported_functions(sequences);
    register_names(names);
    bench::register_normalization(corpora);
    static std::vector<std::pair<std::string, CodePoints>> segmentation_corpora;
    for (const bench::Corpus &corpus : corpora) segmentation_corpora.emplace_back(corpus.name, corpus.code_points);
    register_segmentation(segmentation_corpora);

    int count = static_cast<int>(arguments.size());
    benchmark::Initialize(&count, arguments.data());
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
