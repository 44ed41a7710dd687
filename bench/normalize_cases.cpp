// The normalize cases of the C++ benchmark, each library in its own native format:
// charlore's query (str in, new str out), ICU4C's unorm2_normalize (UTF-16 into the
// caller's buffer), utf8proc_map (UTF-8 into a new buffer) and libunistring's
// u32_normalize (UTF-32 into the caller's buffer), all sides of a case timed in the same
// iterations. Each side's result is compared with ICU's once, before any timing; the
// counter "SIDE_same_as_icu" records whether they agreed.
#define PY_SSIZE_T_CLEAN
#include <Python.h>
#include <benchmark/benchmark.h>
#include <unicode/unorm2.h>
#include <unicode/ustring.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#if CHARLORE_BENCH_UTF8PROC
#include <utf8proc.h>
#endif
#if CHARLORE_BENCH_UNISTRING
#include <uninorm.h>
#endif

#include "corpus.h"
#include "normalize.h"
#include "together.h"

namespace bench {
namespace {

struct Form {
    const char *name;
    const UNormalizer2 *(*instance)(UErrorCode *);
    bool compose;
    bool compatibility;
};
constexpr Form forms[] = {{"NFC", unorm2_getNFCInstance, true, false},
                          {"NFD", unorm2_getNFDInstance, false, false},
                          {"NFKC", unorm2_getNFKCInstance, true, true},
                          {"NFKD", unorm2_getNFKDInstance, false, true}};

// The longest decomposition of one code point or UTF-16 unit is 18 code points (U+FDFA).
constexpr size_t max_expansion = 18;

CodePoints from_utf16(const std::vector<UChar> &units, int32_t length) {
    CodePoints out;
    for (int32_t i = 0; i < length;) {
        UChar32 c;
        U16_NEXT(units.data(), i, length, c);
        out.push_back(static_cast<uint32_t>(c));
    }
    return out;
}

// The inputs of one corpus, in every library's format, and ICU's result per form.
struct Inputs {
    std::vector<UChar> utf16;
    int32_t utf16_length = 0;
    std::string utf8;
    CodePoints utf32;
    PyObject *text = nullptr;
};

CodePoints icu_result(const Form &form, const Inputs &inputs) {
    UErrorCode status = U_ZERO_ERROR;
    std::vector<UChar> target(inputs.utf16.size() * max_expansion + 16);
    int32_t length = unorm2_normalize(form.instance(&status), inputs.utf16.data(), inputs.utf16_length,
                                      target.data(), static_cast<int32_t>(target.size()), &status);
    return U_SUCCESS(status) ? from_utf16(target, length) : CodePoints{};
}

#if CHARLORE_BENCH_UTF8PROC
// utf8proc's options for a form: stable (no unassigned code points changed) plus the form.
utf8proc_option_t utf8proc_options(const Form &form) {
    int options = UTF8PROC_STABLE | (form.compose ? UTF8PROC_COMPOSE : UTF8PROC_DECOMPOSE);
    if (form.compatibility) options |= UTF8PROC_COMPAT;
    return static_cast<utf8proc_option_t>(options);
}

CodePoints utf8proc_result(const Form &form, const std::string &utf8) {
    utf8proc_uint8_t *result = nullptr;
    utf8proc_ssize_t length = utf8proc_map(reinterpret_cast<const utf8proc_uint8_t *>(utf8.data()),
                                           static_cast<utf8proc_ssize_t>(utf8.size()), &result,
                                           utf8proc_options(form));
    CodePoints out;
    for (utf8proc_ssize_t i = 0; i < length;) {
        utf8proc_int32_t c;
        i += utf8proc_iterate(result + i, length - i, &c);
        out.push_back(static_cast<uint32_t>(c));
    }
    std::free(result);
    return out;
}
#endif

#if CHARLORE_BENCH_UNISTRING
uninorm_t unistring_form(const Form &form) {
    if (form.compose) return form.compatibility ? UNINORM_NFKC : UNINORM_NFC;
    return form.compatibility ? UNINORM_NFKD : UNINORM_NFD;
}

CodePoints unistring_result(const Form &form, const CodePoints &utf32) {
    size_t length = 0;
    uint32_t *result = u32_normalize(unistring_form(form), utf32.data(), utf32.size(), nullptr, &length);
    CodePoints out = result ? CodePoints(result, result + length) : CodePoints{};
    std::free(result);
    return out;
}
#endif

// charlore's result of the query, empty if it raised (a form not offered yet).
CodePoints charlore_result(PyObject *arguments) {
    PyObject *result = charlore::query_normalize(nullptr, arguments);
    if (result == nullptr) {
        PyErr_Clear();
        return {};
    }
    Py_UCS4 *copy = PyUnicode_AsUCS4Copy(result);
    CodePoints out(copy, copy + PyUnicode_GET_LENGTH(result));
    PyMem_Free(copy);
    Py_DECREF(result);
    return out;
}

void register_corpus(const Corpus &corpus) {
    auto inputs = std::make_shared<Inputs>();
    inputs->utf16.resize(corpus.utf8.size() + 1);
    UErrorCode status = U_ZERO_ERROR;
    u_strFromUTF8(inputs->utf16.data(), static_cast<int32_t>(inputs->utf16.size()), &inputs->utf16_length,
                  corpus.utf8.data(), static_cast<int32_t>(corpus.utf8.size()), &status);
    inputs->utf8 = corpus.utf8;
    inputs->utf32 = corpus.code_points;
    inputs->text = PyUnicode_DecodeUTF8(corpus.utf8.data(), static_cast<Py_ssize_t>(corpus.utf8.size()), nullptr);
    int64_t items = static_cast<int64_t>(corpus.code_points.size());
    for (const Form &form : forms) {
        std::string base = "normalize/" + corpus.name + " " + form.name;
        PyObject *arguments = Py_BuildValue("(sO)", form.name, inputs->text);
        const CodePoints expected = icu_result(form, *inputs);
        const CodePoints ours = charlore_result(arguments);
        bool offered = !ours.empty() || expected.empty();
        bool same = ours == expected;
#if CHARLORE_BENCH_UTF8PROC
        const bool utf8proc_same = utf8proc_result(form, inputs->utf8) == expected;
#endif
#if CHARLORE_BENCH_UNISTRING
        const bool unistring_same = unistring_result(form, inputs->utf32) == expected;
#endif
        // Every side in the same iterations (together.h), named after charlore's side; a
        // form charlore does not offer yet is timed for the others alone.
        benchmark::RegisterBenchmark((base + "/charlore").c_str(), [=](benchmark::State &state) {
            std::vector<Side> sides;
            if (offered) {
                state.counters["charlore_same_as_icu"] = same;
                sides.push_back({"charlore", [&] { Py_DECREF(charlore::query_normalize(nullptr, arguments)); }});
            }
            UErrorCode error = U_ZERO_ERROR;
            const UNormalizer2 *normalizer = form.instance(&error);
            std::vector<UChar> icu_target(inputs->utf16.size() * max_expansion + 16);
            sides.push_back({"icu", [&] {
                                 UErrorCode status = U_ZERO_ERROR;
                                 benchmark::DoNotOptimize(unorm2_normalize(
                                     normalizer, inputs->utf16.data(), inputs->utf16_length, icu_target.data(),
                                     static_cast<int32_t>(icu_target.size()), &status));
                             }});
#if CHARLORE_BENCH_UTF8PROC
            state.counters["utf8proc_same_as_icu"] = utf8proc_same;
            const auto *source = reinterpret_cast<const utf8proc_uint8_t *>(inputs->utf8.data());
            const auto length = static_cast<utf8proc_ssize_t>(inputs->utf8.size());
            const utf8proc_option_t options = utf8proc_options(form);
            sides.push_back({"utf8proc", [&] {
                                 utf8proc_uint8_t *result = nullptr;
                                 benchmark::DoNotOptimize(utf8proc_map(source, length, &result, options));
                                 std::free(result);
                             }});
#endif
#if CHARLORE_BENCH_UNISTRING
            state.counters["libunistring_same_as_icu"] = unistring_same;
            CodePoints unistring_target(inputs->utf32.size() * max_expansion + 16);
            const uninorm_t normal_form = unistring_form(form);
            sides.push_back({"libunistring", [&] {
                                 size_t result_length = unistring_target.size();
                                 uint32_t *result = u32_normalize(normal_form, inputs->utf32.data(),
                                                                  inputs->utf32.size(), unistring_target.data(),
                                                                  &result_length);
                                 benchmark::DoNotOptimize(result);
                                 if (result != unistring_target.data()) std::free(result);
                             }});
#endif
            time_together(state, items, sides);
        });
    }
}

}  // namespace

void register_normalization(const std::vector<Corpus> &corpora) {
    for (const Corpus &corpus : corpora) register_corpus(corpus);
}

}  // namespace bench
