// Segmentation at the C++ level: charlore's boundary scans over a text stored the way the
// interpreter stores a str (1, 2 or 4 bytes a code point, by the largest one) against
// ICU4C's ubrk_* iterators over UTF-16, and graphemes against utf8proc's pairwise
// utf8proc_grapheme_break_stateful. The texts are prepared once; a timed pass walks
// every boundary, the sides of a case taking turns in the same iterations. Both sides' boundaries are compared once before timing, and the label says
// whether they agree (the libraries implement older Unicode versions, so a difference is
// reported rather than fatal).
#include "segmentation_bench.h"

#include <benchmark/benchmark.h>
#include <unicode/ubrk.h>
#include <unicode/utf16.h>

#include <memory>

#ifdef CHARLORE_BENCH_UTF8PROC
#include <utf8proc.h>
#endif

#include "segmentation/grapheme.h"
#include "segmentation/line.h"
#include "segmentation/sentence.h"
#include "segmentation/word.h"
#include "together.h"

namespace {

using charlore::segmentation::Text;

enum class Algorithm { Graphemes, Words, Sentences, Lines };

struct Kind {
    const char *name;
    Algorithm algorithm;
    UBreakIteratorType icu;
};
constexpr Kind kinds[] = {{"graphemes", Algorithm::Graphemes, UBRK_CHARACTER},
                          {"words", Algorithm::Words, UBRK_WORD},
                          {"sentences", Algorithm::Sentences, UBRK_SENTENCE},
                          {"line_breaks", Algorithm::Lines, UBRK_LINE}};

// Calls boundary(offset) for every boundary after the start of the text, its end last.
template <class Unit, class Boundary>
void scan(Algorithm algorithm, Text<Unit> text, Boundary &&boundary) {
    using namespace charlore::segmentation;
    switch (algorithm) {
    case Algorithm::Graphemes: {
        GraphemeScan<Unit> next(text);
        for (size_t start = 0; start < text.length;) boundary(start = next(start));
        break;
    }
    case Algorithm::Words:
        for (size_t start = 0; start < text.length;) boundary(start = word_end(text, start));
        break;
    case Algorithm::Sentences:
        for (size_t start = 0; start < text.length;) boundary(start = sentence_end(text, start));
        break;
    case Algorithm::Lines:
        LineBreaker<Unit>(text).run([&](const uint64_t *entries, size_t count) {
            for (size_t k = 0; k < count; ++k) boundary(entries[k] >> 1);
        });
        break;
    }
}

// One corpus in the storage the interpreter would give it.
struct Stored {
    std::vector<uint8_t> latin1;
    std::vector<uint16_t> ucs2;
    std::vector<uint32_t> ucs4;
    int width = 1;

    explicit Stored(const std::vector<uint32_t> &code_points) {
        uint32_t largest = 0;
        for (uint32_t cp : code_points) largest = std::max(largest, cp);
        width = largest < 0x100 ? 1 : largest < 0x10000 ? 2 : 4;
        if (width == 1) latin1.assign(code_points.begin(), code_points.end());
        if (width == 2) ucs2.assign(code_points.begin(), code_points.end());
        if (width == 4) ucs4 = code_points;
    }

    template <class F>
    void with_text(F &&f) const {
        if (width == 1) f(Text<uint8_t>{latin1.data(), latin1.size()});
        else if (width == 2) f(Text<uint16_t>{ucs2.data(), ucs2.size()});
        else f(Text<uint32_t>{ucs4.data(), ucs4.size()});
    }
};

std::vector<size_t> charlore_boundaries(Algorithm algorithm, const Stored &stored) {
    std::vector<size_t> offsets;
    stored.with_text([&](auto text) { scan(algorithm, text, [&](size_t offset) { offsets.push_back(offset); }); });
    return offsets;
}

struct Utf16 {
    std::vector<UChar> units;
    std::vector<size_t> code_point_at;  // the code-point offset of each unit offset
};

Utf16 to_utf16(const std::vector<uint32_t> &code_points) {
    Utf16 text;
    for (size_t i = 0; i < code_points.size(); ++i) {
        const uint32_t cp = code_points[i];
        const size_t units = U16_LENGTH(cp);
        text.code_point_at.insert(text.code_point_at.end(), units, i);
        if (units == 1) {
            text.units.push_back(static_cast<UChar>(cp));
        } else {
            text.units.push_back(U16_LEAD(cp));
            text.units.push_back(U16_TRAIL(cp));
        }
    }
    text.code_point_at.push_back(code_points.size());
    return text;
}

std::vector<size_t> icu_boundaries(UBreakIterator *iterator, const Utf16 &text) {
    std::vector<size_t> offsets;
    ubrk_first(iterator);
    for (int32_t p = ubrk_next(iterator); p != UBRK_DONE; p = ubrk_next(iterator))
        offsets.push_back(text.code_point_at[static_cast<size_t>(p)]);
    return offsets;
}

const char *agreement(bool same) { return same ? "same result" : "results differ"; }

#ifdef CHARLORE_BENCH_UTF8PROC
template <class Boundary>
void utf8proc_scan(const std::vector<uint32_t> &code_points, Boundary &&boundary) {
    utf8proc_int32_t state = 0;
    for (size_t i = 1; i < code_points.size(); ++i)
        if (utf8proc_grapheme_break_stateful(static_cast<utf8proc_int32_t>(code_points[i - 1]),
                                             static_cast<utf8proc_int32_t>(code_points[i]), &state))
            boundary(i);
    if (!code_points.empty()) boundary(code_points.size());
}
#endif

}  // namespace

void register_segmentation(const std::vector<std::pair<std::string, std::vector<uint32_t>>> &corpora) {
    for (const auto &[name, code_points] : corpora) {
        auto stored = std::make_shared<const Stored>(code_points);
        auto utf16 = std::make_shared<const Utf16>(to_utf16(code_points));
        const int64_t items = static_cast<int64_t>(code_points.size());
        for (const Kind &kind : kinds) {
            UErrorCode status = U_ZERO_ERROR;
            UBreakIterator *iterator = ubrk_open(kind.icu, "", utf16->units.data(),
                                                 static_cast<int32_t>(utf16->units.size()), &status);
            if (U_FAILURE(status)) continue;
            const bool same = charlore_boundaries(kind.algorithm, *stored) == icu_boundaries(iterator, *utf16);
            const std::string base = std::string("segmentation/") + kind.name + " " + name;
            // Both sides in the same iterations (together.h), named after charlore's side.
            benchmark::RegisterBenchmark((base + "/charlore").c_str(), [kind, stored, iterator, utf16, items,
                                                                       same](benchmark::State &state) {
                bench::time_together(state, items, {
                    {"charlore", [&] {
                         size_t count = 0;
                         stored->with_text([&](auto text) { scan(kind.algorithm, text, [&](size_t) { ++count; }); });
                         benchmark::DoNotOptimize(count);
                     }},
                    {"icu", [&] {
                         size_t count = 0;
                         // Handing the text over again (no copy) empties the iterator's cache of
                         // boundaries, which would otherwise answer a text of few boundaries
                         // from the previous pass.
                         UErrorCode error = U_ZERO_ERROR;
                         ubrk_setText(iterator, utf16->units.data(), static_cast<int32_t>(utf16->units.size()),
                                      &error);
                         ubrk_first(iterator);
                         while (ubrk_next(iterator) != UBRK_DONE) ++count;
                         benchmark::DoNotOptimize(count);
                     }},
                });
                state.SetLabel(agreement(same));
            });
        }
#ifdef CHARLORE_BENCH_UTF8PROC
        std::vector<size_t> theirs;
        utf8proc_scan(code_points, [&](size_t offset) { theirs.push_back(offset); });
        const bool same = charlore_boundaries(Algorithm::Graphemes, *stored) == theirs;
        const std::string base = "segmentation/graphemes " + name + " (utf8proc)";
        benchmark::RegisterBenchmark((base + "/charlore").c_str(), [stored, items, same, code_points = &code_points](
                                                                       benchmark::State &state) {
            bench::time_together(state, items, {
                {"charlore", [&] {
                     size_t count = 0;
                     stored->with_text([&](auto text) { scan(Algorithm::Graphemes, text, [&](size_t) { ++count; }); });
                     benchmark::DoNotOptimize(count);
                 }},
                {"utf8proc", [&] {
                     size_t count = 0;
                     utf8proc_scan(*code_points, [&](size_t) { ++count; });
                     benchmark::DoNotOptimize(count);
                 }},
            });
            state.SetLabel(agreement(same));
        });
#endif
    }
}
