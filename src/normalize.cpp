// Decomposition, canonical ordering, composition and the quick check, behind the
// Python-visible queries decomposition and normalize.
#include "normalize.h"

#include <algorithm>
#include <cstring>
#include <iterator>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "database.h"
#include "generated/normalize_tables.h"

namespace charlore {

namespace {

// Hangul syllable arithmetic: syllable = S_BASE + (L * V_COUNT + V) * T_COUNT + T.
constexpr uint32_t S_BASE = 0xAC00, L_BASE = 0x1100, V_BASE = 0x1161, T_BASE = 0x11A7;
constexpr uint32_t L_COUNT = 19, V_COUNT = 21, T_COUNT = 28, N_COUNT = V_COUNT * T_COUNT, S_COUNT = L_COUNT * N_COUNT;

constexpr Py_ssize_t OUTPUT_GROWTH = 10;  // the least growth of a working buffer that runs short
constexpr size_t TEXT_SIZE = 256;         // the decomposition query's text buffer
constexpr Py_ssize_t SEGMENT_JOIN_GAP = 6;    // passing stretches up to this long join their segments
constexpr int SEGMENT_JOINS_TO_REST = 8;     // joins in a row after which the rest is one segment

constexpr bool is_hangul_syllable(uint32_t cp) { return cp - S_BASE < S_COUNT; }

// The jamo of a Hangul syllable into jamo[0 ..); returns how many (2 or 3).
constexpr int hangul_jamo(uint32_t syllable, uint32_t *jamo) {
    const uint32_t index = syllable - S_BASE;
    jamo[0] = L_BASE + index / N_COUNT;
    jamo[1] = V_BASE + index % N_COUNT / T_COUNT;
    if (index % T_COUNT == 0) return 2;
    jamo[2] = T_BASE + index % T_COUNT;
    return 3;
}

unsigned combining_class(uint32_t cp) { return lookup_property_record(cp).combining; }

// A working array of code points (of 16 or 32 bits) from the interpreter's allocator,
// freed when it goes out of scope. Each resizing member returns false, with the old
// contents kept and still owned, when the memory cannot be had; it sets no exception.
template <typename Unit>
class WorkingArray {
public:
    WorkingArray() = default;
    WorkingArray(const WorkingArray &) = delete;
    WorkingArray &operator=(const WorkingArray &) = delete;
    ~WorkingArray() { PyMem_Free(data_); }

    // Makes room for exactly `size` code points; the contents are kept up to that size.
    bool resize(Py_ssize_t size) {
        if (size < 0 || static_cast<size_t>(size) > static_cast<size_t>(PY_SSIZE_T_MAX) / sizeof(Unit))
            return false;
        void *grown = PyMem_Realloc(data_, static_cast<size_t>(size) * sizeof(Unit));
        if (grown == nullptr) return false;
        data_ = static_cast<Unit *>(grown);
        size_ = size;
        return true;
    }
    // Grows by half the size at least (and by OUTPUT_GROWTH and `at_least`), so that long
    // expanding texts need few reallocations; returns the slots added, 0 when memory runs out.
    Py_ssize_t grow(Py_ssize_t at_least) {
        const Py_ssize_t growth = std::max({OUTPUT_GROWTH, size_ / 2, at_least});
        if (size_ > PY_SSIZE_T_MAX - growth || !resize(size_ + growth)) return 0;
        return growth;
    }
    Unit *data() { return data_; }
    Py_ssize_t size() const { return size_; }
    Unit &operator[](Py_ssize_t i) { return data_[i]; }

private:
    Unit *data_ = nullptr;
    Py_ssize_t size_ = 0;
};
using CodePoints = WorkingArray<uint32_t>;

// Sorts the run buffer[0 .. m) stably by combining class, in place.
template <typename Unit>
void insertion_sort(Unit *run, Py_ssize_t m) {
    for (Py_ssize_t k = 1; k < m; ++k) {
        Unit cp = run[k];
        unsigned cls = combining_class(cp);
        Py_ssize_t gap = k;
        for (; gap > 0 && combining_class(run[gap - 1]) > cls; --gap) run[gap] = run[gap - 1];
        run[gap] = cp;
    }
}

// Sorts the run stably by combining class through `scratch`, which keeps its memory for
// later runs. False (nothing set, the run untouched) if the scratch cannot grow.
template <typename Unit>
bool counting_sort(Unit *run, Py_ssize_t m, WorkingArray<Unit> &scratch) {
    if (scratch.size() < m && !scratch.resize(m)) return false;
    uint64_t position[256] = {};
    for (Py_ssize_t k = 0; k < m; ++k) ++position[combining_class(run[k])];
    uint64_t sum = 0;
    for (uint64_t &p : position) {
        uint64_t count = p;
        p = sum;
        sum += count;
    }
    for (Py_ssize_t k = 0; k < m; ++k) scratch[static_cast<Py_ssize_t>(position[combining_class(run[k])]++)] = run[k];
    std::memcpy(run, scratch.data(), static_cast<size_t>(m) * sizeof(Unit));
    return true;
}

struct Form {
    const char *name;
    uint8_t quick_check_mask;
    bool composed;
    bool compatibility;
};

constexpr Form FORMS[] = {
    {"NFC", 0x30, true, false},
    {"NFKC", 0xC0, true, true},
    {"NFD", 0x03, false, false},
    {"NFKD", 0x0C, false, true},
};

// The character of a str at i, read in the string's own storage kind.
struct StrReader {
    explicit StrReader(PyObject *s) : kind(PyUnicode_KIND(s)), data(PyUnicode_DATA(s)) {}
    uint32_t operator[](Py_ssize_t i) const { return PyUnicode_READ(kind, data, i); }
    int kind;
    const void *data;
};

constexpr uint16_t info_of(uint32_t cp) {
    if (cp > 0x10FFFF) return 0;
    return normalization_info_stage2[(normalization_info_stage1[cp >> 7] << 7) + (cp & 127)];
}

// Characters below this are starters (class 0 for NFC) and no last character of a
// composite: nothing combines with a character that comes before one of them.
constexpr uint32_t NOTHING_COMBINES_BELOW =
    std::min(static_cast<uint32_t>(composition_last_ranges[0].start), QUICK_CHECK_YES_BELOW[2]);

// The composition indices of cp, through the direct index: -1 where it is no first
// (no last) character.
uint16_t composition_indices(uint32_t cp) {
    if (cp > 0x10FFFF) return 0;
    return composition_index_stage2[(composition_index_stage1[cp >> 7] << 7) + (cp & 127)];
}
int first_index(uint32_t cp) { return static_cast<int>(composition_indices(cp) & 0x1FF) - 1; }
int last_index(uint32_t cp) { return static_cast<int>(composition_indices(cp) >> 9) - 1; }

// Whether c stops a quick-check scan in the form whose bit is form_bit: the check fails
// there or the class is not 0, so it needs a closer look.
inline bool stops_scan(uint32_t c, unsigned form_bit, uint16_t fails) {
    if (c <= 0xFFFF) return quick_check_stops_bmp[c] & form_bit;
    return info_of(c) & (INFO_COMBINING | fails);
}

// The Latin-1 characters that stop a scan in the form lie in [first, first + span].
struct Latin1Stops {
    unsigned first = 0x100, span = 0;
};
constexpr Latin1Stops latin1_stops(int form) {
    Latin1Stops stops;
    for (unsigned c = 0; c <= 0xFF; ++c) {
        if (!(quick_check_stops_bmp[c] & (1u << form))) continue;
        if (stops.first > 0xFF) stops.first = c;
        stops.span = c - stops.first;
    }
    return stops;
}
constexpr Latin1Stops LATIN1_STOPS[] = {latin1_stops(0), latin1_stops(1), latin1_stops(2), latin1_stops(3)};

// Per form, the quick-check bound within the BMP.
constexpr uint32_t bmp_bound(int form) { return std::min<uint32_t>(QUICK_CHECK_YES_BELOW[form], 0xFFFF); }
constexpr uint32_t YES_BELOW_BMP[] = {bmp_bound(0), bmp_bound(1), bmp_bound(2), bmp_bound(3)};

// Characters tested together by passing_prefix.
template <typename Char>
constexpr Py_ssize_t GROUP = sizeof(Char) == 1 ? 16 : sizeof(Char) == 2 ? 8 : 4;

// How many of the GROUP characters at text pass the form's quick check with class 0, for
// certain, before the first one that may stop the scan: GROUP when they all do, with one
// branch for the group. Latin-1 text finds its first stop exactly; for other text the
// answer is all or nothing.
template <typename Char>
Py_ssize_t passing_prefix(const Char *text, int form, uint16_t fails) {
    const unsigned form_bit = 1u << form;
    if constexpr (sizeof(Char) == 1) {
        const Latin1Stops stops = LATIN1_STOPS[form];
        if (stops.first > 0xFF) return GROUP<Char>;
#ifdef __SSE2__
        // Sixteen bytes at once: none may lie in the interval of stopping characters.
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i *>(text));
        const __m128i offset = _mm_sub_epi8(bytes, _mm_set1_epi8(static_cast<char>(stops.first)));
        const __m128i above = _mm_subs_epu8(offset, _mm_set1_epi8(static_cast<char>(stops.span)));
        // A byte at or below the span is inside the interval: subtracting leaves 0 there.
        const unsigned inside = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(above, _mm_setzero_si128())));
        return inside == 0 ? GROUP<Char> : __builtin_ctz(inside);
#else
        Py_ssize_t k = 0;
        while (k < GROUP<Char> && !(quick_check_stops_bmp[text[k]] & form_bit)) ++k;
        return k;
#endif
    } else if constexpr (sizeof(Char) == 2) {
#ifdef __SSE2__
        // Eight units at once: all below the form's bound pass without a lookup.
        const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i *>(text));
        const __m128i above = _mm_subs_epu16(units, _mm_set1_epi16(static_cast<short>(YES_BELOW_BMP[form] - 1)));
        const unsigned below = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi16(above, _mm_setzero_si128())));
        if (below == 0xFFFF) return GROUP<Char>;
#endif
        unsigned any = 0;
        for (Py_ssize_t k = 0; k < GROUP<Char>; ++k) any |= quick_check_stops_bmp[text[k]];
        return any & form_bit ? 0 : GROUP<Char>;
    } else {
        bool any = false;
        for (Py_ssize_t k = 0; k < GROUP<Char>; ++k) any |= stops_scan(text[k], form_bit, fails);
        return any ? 0 : GROUP<Char>;
    }
}

// After a group without a passing prefix, the characters looked at one by one: Latin-1
// text knows its stops exactly, so one; other text the whole group.
template <typename Char>
constexpr Py_ssize_t ONE_BY_ONE = sizeof(Char) == 1 ? 1 : GROUP<Char>;

// The quick check over one storage kind from position i, which starts a segment (see
// below): returns the position of the first character that fails it, or n. `boundary` is
// left at the last position before that which starts a segment. Groups of characters
// that all pass with class 0 take one test; the characters of any other group are looked
// at one by one, through their derived information where they stop the scan.
template <typename Char>
Py_ssize_t first_failure(const Char *text, Py_ssize_t i, Py_ssize_t n, int form, uint16_t fails,
                         Py_ssize_t &boundary) {
    const unsigned form_bit = 1u << form;
    unsigned last_class = 0;
    boundary = i;
    while (i < n) {
        if (n - i >= GROUP<Char>) {
            if (const Py_ssize_t passing = passing_prefix(text + i, form, fails); passing > 0) {
                i += passing;
                boundary = i - 1;
                last_class = 0;
                continue;
            }
        }
        for (const Py_ssize_t end = std::min(n, i + ONE_BY_ONE<Char>); i < end; ++i) {
            const uint32_t c = text[i];
            if (!stops_scan(c, form_bit, fails)) {
                boundary = i;
                last_class = 0;
                continue;
            }
            // It stops the scan, so it fails or its class is not 0.
            const uint16_t info = info_of(c);
            if (info & fails) return i;
            const unsigned cls = info & INFO_COMBINING;
            if (last_class > cls) return i;
            last_class = cls;
        }
    }
    return n;
}

template <typename Char>
bool quick_check_run(const Char *text, Py_ssize_t n, int form, uint16_t fails) {
    Py_ssize_t boundary;
    return first_failure(text, 0, n, form, fails, boundary) == n;
}

template <typename Unit>
bool put_in_order(Unit *buffer, Py_ssize_t count, Py_ssize_t counting_sort_min_run);

// A decomposition of the current database in progress: the buffer, the code points in
// it, the class of the last one, and where the first one out of canonical order went
// (-1 while all are in order). A buffer of 16-bit units serves text of the BMP, whose
// result mostly stays there; `too_wide` is set when a code point above U+FFFF comes up
// for it, and the work is then done again with 32-bit units.
template <typename Unit>
struct Decomposition {
    WorkingArray<Unit> output;
    Py_ssize_t count = 0;
    unsigned last_class = 0;
    Py_ssize_t disorder_at = -1;
    bool too_wide = false;

    // Makes room for `more` code points after the first `count`. False when memory runs out.
    bool make_room(Py_ssize_t more) {
        const Py_ssize_t room = output.size() - count;
        return room >= more || output.grow(more - room) != 0;
    }
    // Appends text[0 .. length) as it is. False when memory runs out.
    template <typename Char>
    bool copy(const Char *text, Py_ssize_t length) {
        if (!make_room(length)) return false;
        static_assert(sizeof(Char) <= sizeof(Unit), "a stretch is copied into units at least as wide");
        Unit *out = output.data() + count;
        if constexpr (sizeof(Char) == sizeof(Unit)) {
            if (length > 0) std::memcpy(out, text, static_cast<size_t>(length) * sizeof(Unit));
        } else {
            for (Py_ssize_t k = 0; k < length; ++k) out[k] = text[k];
        }
        count += length;
        return true;
    }
    // Puts the code points from the run of the first disorder on into canonical order.
    // False when memory runs out.
    bool put_in_order_from_disorder() {
        if (disorder_at < 0) return true;
        Py_ssize_t start = disorder_at;
        while (start > 0 && (info_of(output[start - 1]) & INFO_COMBINING) != 0) --start;
        disorder_at = -1;
        return put_in_order(output.data() + start, count - start, COUNTING_SORT_MIN_RUN);
    }
};

constexpr uint32_t decomposition_record_of(uint32_t cp) {
    if (cp > 0x10FFFF) return 0;
    return decomposition_stage2[(decomposition_stage1[cp >> 7] << 7) + (cp & 127)];
}

// The full decomposition of c, which has a mapping in the form, into `expansion` with the
// class of each code point in `classes`: through the records and the pending stack,
// Hangul syllables by arithmetic. Returns how many code points there are,
// LONGEST_EXPANSION at most.
constexpr int expand(uint32_t c, bool compatibility, uint32_t *expansion, uint8_t *classes) {
    const uint16_t decomposes = compatibility ? INFO_DECOMPOSES : INFO_CANONICAL;
    // Below the bound of the decomposed form nothing decomposes and the class is 0.
    const uint32_t yes_below = QUICK_CHECK_YES_BELOW[compatibility ? 1 : 0];
    uint32_t pending[PENDING_CAPACITY];
    int top = 0, count = 0;
    const uint32_t record = decomposition_record_of(c);
    for (uint32_t k = decomposition_words[record] >> 8; k > 0; --k) pending[top++] = decomposition_words[record + k];
    while (top > 0) {
        c = pending[--top];
        if (is_hangul_syllable(c)) {
            const int jamo = hangul_jamo(c, expansion + count);
            for (int k = 0; k < jamo; ++k) classes[count++] = 0;
            continue;
        }
        if (c < yes_below) {
            expansion[count] = c;
            classes[count++] = 0;
            continue;
        }
        // The derived information tells whether c has a mapping to follow in this form, so
        // most code points of an expansion take one lookup.
        const uint16_t info = info_of(c);
        if (!(info & decomposes)) {
            expansion[count] = c;
            classes[count++] = static_cast<uint8_t>(info & INFO_COMBINING);
            continue;
        }
        const uint32_t next = decomposition_record_of(c);
        for (uint32_t k = decomposition_words[next] >> 8; k > 0; --k) pending[top++] = decomposition_words[next + k];
    }
    return count;
}

// The full decompositions of the Latin-1 characters, made at compile time: four 16-bit
// code points at most each, with their classes; a count of 0 where there is none.
struct ShortExpansion {
    int count = 0;
    uint16_t units[4] = {};
    uint8_t classes[4] = {};
};
struct Latin1Expansions {
    ShortExpansion of[256];
};
constexpr Latin1Expansions latin1_expansions(bool compatibility) {
    Latin1Expansions table;
    for (uint32_t c = 0; c <= 0xFF; ++c) {
        if (!(info_of(c) & (compatibility ? INFO_DECOMPOSES : INFO_CANONICAL))) continue;
        uint32_t expansion[LONGEST_EXPANSION] = {};
        uint8_t classes[LONGEST_EXPANSION] = {};
        ShortExpansion &e = table.of[c];
        e.count = expand(c, compatibility, expansion, classes);
        // Data that breaks these bounds stops the build here.
        if (e.count > 4) throw "a Latin-1 character expands to more than four code points";
        for (int k = 0; k < e.count; ++k) {
            if (expansion[k] > 0xFFFF) throw "a Latin-1 character expands beyond the BMP";
            e.units[k] = static_cast<uint16_t>(expansion[k]);
            e.classes[k] = classes[k];
        }
    }
    return table;
}
constexpr Latin1Expansions LATIN1_EXPANSIONS[] = {latin1_expansions(false), latin1_expansions(true)};

// Appends the full decomposition of text[0 .. n) to d, noting where canonical order is
// first broken. With `grouped`, for long texts, groups of characters that pass the
// decomposition form's quick check with class 0 are copied at once; the others are
// looked at one by one. The output cursor stays in a local while the buffer does not
// move. False when memory runs out.
template <bool grouped, typename Char, typename Unit>
bool decompose_run(const Char *text, Py_ssize_t n, bool compatibility, Decomposition<Unit> &d) {
    const int form = compatibility ? 1 : 0;
    const unsigned form_bit = 1u << form;
    const uint16_t fails = static_cast<uint16_t>(INFO_QUICK_CHECK_FAILS << form);
    const uint16_t decomposes = compatibility ? INFO_DECOMPOSES : INFO_CANONICAL;
    // Room for every character kept as it is: only expansions need more.
    if (!d.make_room(n)) return false;
    Unit *base = d.output.data();
    Unit *out = base + d.count;
    unsigned last_class = d.last_class;
    Py_ssize_t disorder_at = d.disorder_at;
    Py_ssize_t i = 0;
    auto note = [&](unsigned cls) {
        if (cls != 0 && last_class > cls && disorder_at < 0) disorder_at = out - base;
        last_class = cls;
    };
    // Room for `more` code points and every character after text[i] kept as it is; the
    // buffer may move.
    auto make_room = [&](Py_ssize_t more, Py_ssize_t i) {
        d.count = out - base;
        if (!d.make_room(more + (n - i - 1))) return false;
        base = d.output.data();
        out = base + d.count;
        return true;
    };
    while (i < n) {
        if (grouped && n - i >= GROUP<Char>) {
            if (const Py_ssize_t passing = passing_prefix(text + i, form, fails); passing > 0) {
                // The whole group is copied; the cursor moves past the passing part only.
                for (Py_ssize_t k = 0; k < GROUP<Char>; ++k) out[k] = text[i + k];
                out += passing;
                i += passing;
                last_class = 0;
                continue;
            }
        }
        for (const Py_ssize_t end = std::min(n, i + ONE_BY_ONE<Char>); i < end; ++i) {
            const uint32_t c = text[i];
            if (!stops_scan(c, form_bit, fails)) {
                *out++ = static_cast<Unit>(c);
                last_class = 0;
                continue;
            }
            if (is_hangul_syllable(c)) {
                // The jamo go straight to the output: through hangul_jamo's array, Korean
                // text takes about a third longer.
                const uint32_t index = c - S_BASE;
                if (!make_room(3, i)) return false;
                *out++ = static_cast<Unit>(L_BASE + index / N_COUNT);
                *out++ = static_cast<Unit>(V_BASE + index % N_COUNT / T_COUNT);
                if (index % T_COUNT != 0) *out++ = static_cast<Unit>(T_BASE + index % T_COUNT);
                last_class = 0;
                continue;
            }
            if constexpr (sizeof(Char) == 1) {
                const ShortExpansion &e = LATIN1_EXPANSIONS[compatibility].of[c];
                if (e.count != 0) {
                    if (!make_room(e.count, i)) return false;
                    for (int k = 0; k < e.count; ++k) {
                        note(e.classes[k]);
                        *out++ = e.units[k];
                    }
                    continue;
                }
            }
            const uint16_t info = info_of(c);
            if (!(info & decomposes)) {
                note(info & INFO_COMBINING);
                *out++ = static_cast<Unit>(c);
                continue;
            }
            uint32_t expansion[LONGEST_EXPANSION];
            uint8_t classes[LONGEST_EXPANSION];
            const int m = expand(c, compatibility, expansion, classes);
            if (!make_room(m, i)) return false;
            for (int k = 0; k < m; ++k) {
                note(classes[k]);
                if constexpr (sizeof(Unit) < 4) d.too_wide |= expansion[k] > 0xFFFF;
                *out++ = static_cast<Unit>(expansion[k]);
            }
        }
    }
    d.count = out - base;
    d.last_class = last_class;
    d.disorder_at = disorder_at;
    return true;
}

// Whether c starts a segment in the form: it passes the quick check with class 0.
// Nothing before such a character reorders or composes with it, and its own mapping
// starts with a starter that composes with nothing before it either, so the text before
// it and the text from it on are normalized each on their own.
bool starts_segment(uint32_t c, int form, uint16_t fails) {
    return !stops_scan(c, 1u << form, fails);
}

template <typename Unit>
Py_ssize_t compose_in_place(Unit *d, Py_ssize_t n, bool &too_wide);

// Normalizes text[0 .. n) of one storage kind for the current database into d. The
// stretch before the first segment that fails the quick check is copied as it is; the
// decomposed forms decompose the rest in one pass. The composed forms go on segment by
// segment: stretches that pass are copied, and only the segments around the characters
// that fail are decomposed, ordered and composed. Sets `unchanged` (and leaves d empty)
// when the whole text passes. False when memory runs out or d.too_wide is set (nothing
// set).
template <typename Char, typename Unit>
bool normalize_run(const Char *text, Py_ssize_t n, bool composed, bool compatibility, Decomposition<Unit> &d,
                   bool &unchanged) {
    const int form = (composed ? 2 : 0) + (compatibility ? 1 : 0);
    const uint16_t fails = static_cast<uint16_t>(INFO_QUICK_CHECK_FAILS << form);
    Py_ssize_t copied = 0, boundary;
    Py_ssize_t failure = first_failure(text, 0, n, form, fails, boundary);
    unchanged = failure == n;
    if (unchanged) return true;
    if (n > PY_SSIZE_T_MAX - OUTPUT_GROWTH || !d.output.resize(n < 11 ? 2 * n : n + 10)) return false;
    if (!composed) {
        return d.copy(text, boundary) && decompose_run<true>(text + boundary, n - boundary, compatibility, d) &&
               d.put_in_order_from_disorder() && !d.too_wide;
    }
    while (failure < n) {
        // The stretch that passed, up to the start of the failing segment.
        if (!d.copy(text + copied, boundary - copied)) return false;
        // The segment ends where the next one starts; a failure close after it joins it,
        // since short segments cost more to cut than to work through. Where failures keep
        // coming close together, the rest of the text is worked through as one segment.
        Py_ssize_t end = failure + 1, next_boundary = n;
        for (int joined = 0;; ++joined) {
            if (joined == SEGMENT_JOINS_TO_REST) {
                end = failure = n;
                break;
            }
            while (end < n && !starts_segment(text[end], form, fails)) ++end;
            failure = first_failure(text, end, n, form, fails, next_boundary);
            if (failure == n || next_boundary - end > SEGMENT_JOIN_GAP) break;
            end = failure + 1;
        }
        const Py_ssize_t start = d.count;
        d.last_class = 0;
        if (!decompose_run<false>(text + boundary, end - boundary, compatibility, d) || !d.put_in_order_from_disorder())
            return false;
        d.count = start + compose_in_place(d.output.data() + start, d.count - start, d.too_wide);
        if (d.too_wide) return false;
        copied = end;
        boundary = next_boundary;
    }
    return d.copy(text + copied, n - copied);
}

// text[0 .. n), the contents of `string`, normalized for the current database through a
// buffer of Unit; the string itself (as an exact str) when it is in the form already.
// Null with `too_wide` set, and no exception, when 16-bit units cannot hold the result.
template <typename Unit, typename Char>
PyObject *normalize_text(PyObject *string, const Char *text, Py_ssize_t n, bool composed, bool compatibility,
                         bool &too_wide) {
    Decomposition<Unit> d;
    bool unchanged = false;
    if (!normalize_run(text, n, composed, compatibility, d, unchanged)) {
        too_wide = d.too_wide;
        return too_wide ? nullptr : PyErr_NoMemory();
    }
    if (unchanged) return PyUnicode_FromObject(string);
    return PyUnicode_FromKindAndData(sizeof(Unit) == 2 ? PyUnicode_2BYTE_KIND : PyUnicode_4BYTE_KIND,
                                     d.output.data(), d.count);
}

// normalize_text for text of the BMP: in 16-bit units, and in 32-bit units again in the
// rare case that the result leaves the BMP.
template <typename Char>
PyObject *normalize_bmp_text(PyObject *string, const Char *text, Py_ssize_t n, bool composed, bool compatibility) {
    bool too_wide = false;
    PyObject *result = normalize_text<uint16_t>(string, text, n, composed, compatibility, too_wide);
    return too_wide ? normalize_text<uint32_t>(string, text, n, composed, compatibility, too_wide) : result;
}

// The str `string` normalized for the current database; the string itself (as an exact
// str) when it is in the form already.
PyObject *normalize_current(PyObject *string, bool composed, bool compatibility) {
    const int form = (composed ? 2 : 0) + (compatibility ? 1 : 0);
    const Py_ssize_t n = PyUnicode_GET_LENGTH(string);
    switch (PyUnicode_KIND(string)) {
    case PyUnicode_1BYTE_KIND:
        // Where no Latin-1 character stops the scan, a string of this kind passes as a whole.
        if (LATIN1_STOPS[form].first > 0xFF) return PyUnicode_FromObject(string);
        return normalize_bmp_text(string, PyUnicode_1BYTE_DATA(string), n, composed, compatibility);
    case PyUnicode_2BYTE_KIND:
        return normalize_bmp_text(string, PyUnicode_2BYTE_DATA(string), n, composed, compatibility);
    default: {
        bool too_wide = false;
        return normalize_text<uint32_t>(string, PyUnicode_4BYTE_DATA(string), n, composed, compatibility, too_wide);
    }
    }
}

// Canonical composition of the decomposed d[0 .. n) in place; returns the new length.
// The same steps as compose_string_general, with the derived information deciding which
// characters can be first or last ones and their indices read from the direct index. Sets
// `too_wide` when a composite does not fit a 16-bit unit.
template <typename Unit>
Py_ssize_t compose_in_place(Unit *d, const Py_ssize_t n, bool &too_wide) {
    int64_t skipped[SKIPPED_CAPACITY];
    int skipped_count = 0;
    Py_ssize_t i = 0, o = 0;
    while (i < n) {
        if (skipped_count != 0) {
            bool absorbed = false;
            for (int k = 0; k < skipped_count; ++k) {
                if (skipped[k] == i) {
                    skipped[k] = skipped[--skipped_count];
                    absorbed = true;
                    break;
                }
            }
            if (absorbed) {
                ++i;
                continue;
            }
        }
        const uint32_t c = d[i];
        // Followed by a starter below every last character, c absorbs nothing.
        if (i + 1 < n && d[i + 1] < NOTHING_COMBINES_BELOW) {
            d[o++] = c;
            ++i;
            continue;
        }
        if (c - L_BASE < L_COUNT && i + 1 < n && d[i + 1] - V_BASE < V_COUNT) {
            uint32_t syllable = S_BASE + ((c - L_BASE) * V_COUNT + (d[i + 1] - V_BASE)) * T_COUNT;
            i += 2;
            if (i < n && d[i] - (T_BASE + 1) < T_COUNT - 1) syllable += d[i++] - T_BASE;
            d[o++] = static_cast<Unit>(syllable);
            continue;
        }
        d[o] = static_cast<Unit>(c);
        ++i;
        // Nor does it when a starter that is no last character follows.
        if (i == n || !(info_of(d[i]) & (INFO_COMBINING | INFO_LAST)) || !(info_of(c) & INFO_FIRST)) {
            ++o;
            continue;
        }
        // The current composite's first index is searched for only when a last character
        // comes up; most starters meet none.
        int f = -1;
        unsigned last_class = 0;
        for (Py_ssize_t j = i; j < n; ++j) {
            const uint32_t cj = d[j];
            const uint16_t info = info_of(cj);
            const unsigned cls = info & INFO_COMBINING;
            if (last_class != 0) {
                if (cls == 0) break;
                if (last_class >= cls) continue;
            }
            uint32_t composite = 0;
            if (info & INFO_LAST) {
                if (f < 0) f = first_index(d[o]);
                composite = composition_pair(f, last_index(cj));
            }
            if (composite != 0 && skipped_count < SKIPPED_CAPACITY) {
                if constexpr (sizeof(Unit) < 4) too_wide |= composite > 0xFFFF;
                d[o] = static_cast<Unit>(composite);
                skipped[skipped_count++] = j;
                if (!(info_of(composite) & INFO_FIRST)) break;
                f = -1;
                continue;
            }
            last_class = cls;
            if (cls == 0) break;
        }
        ++o;
    }
    return o;
}

template <typename Unit>
bool put_in_order(Unit *buffer, Py_ssize_t count, Py_ssize_t counting_sort_min_run) {
    WorkingArray<Unit> scratch;
    Py_ssize_t i = 0;
    while (i < count) {
        unsigned previous = combining_class(buffer[i]);
        if (previous == 0 || i == count - 1) {
            ++i;
            continue;
        }
        Py_ssize_t j = i + 1;
        bool in_order = true;
        for (; j < count; ++j) {
            unsigned cls = combining_class(buffer[j]);
            if (cls == 0) break;
            if (previous > cls) in_order = false;
            previous = cls;
        }
        Py_ssize_t m = j - i;
        if (!in_order) {
            if (m < counting_sort_min_run) insertion_sort(buffer + i, m);
            else if (!counting_sort(buffer + i, m, scratch)) return false;
        }
        i = j;
    }
    return true;
}

}  // namespace

uint32_t lookup_decomposition_record(uint32_t cp) { return decomposition_record_of(cp); }

int find_composition_index(const CompositionRange *table, uint32_t cp) {
    for (; table->start != 0 && static_cast<uint32_t>(table->start) <= cp; ++table)
        if (cp <= static_cast<uint32_t>(table->start) + static_cast<uint32_t>(table->count))
            return table->index + static_cast<int>(cp - static_cast<uint32_t>(table->start));
    return -1;
}

uint32_t composition_pair(int f, int l) {
    uint32_t pair = static_cast<uint32_t>(f * LAST_COUNT + l);
    return composition_pairs[composition_stage1[pair >> 2] * 4 + (pair & 3)];
}

bool put_in_canonical_order(uint32_t *buffer, Py_ssize_t count, Py_ssize_t counting_sort_min_run) {
    return put_in_order(buffer, count, counting_sort_min_run);
}

bool quick_check_by_records(PyObject *string, uint8_t mask) {
    StrReader s(string);
    const Py_ssize_t n = PyUnicode_GET_LENGTH(string);
    unsigned last_class = 0;
    for (Py_ssize_t i = 0; i < n; ++i) {
        const PropertyRecord &record = lookup_property_record(s[i]);
        if (record.quick_check & mask) return false;
        unsigned cls = record.combining;
        if (cls != 0 && last_class > cls) return false;
        last_class = cls;
    }
    return true;
}

PyObject *decompose_string_general(PyObject *self, PyObject *string, bool compatibility) {
    const UCDObject *old = selected_old_version(self);
    const StrReader s(string);
    const Py_ssize_t n = PyUnicode_GET_LENGTH(string);
    CodePoints output;
    if (n > PY_SSIZE_T_MAX - OUTPUT_GROWTH || !output.resize(n < 11 ? 2 * n : n + 10)) return PyErr_NoMemory();
    Py_ssize_t room = output.size(), o = 0;
    uint32_t pending[PENDING_CAPACITY];
    for (Py_ssize_t i = 0; i < n; ++i) {
        int top = 0;
        pending[top++] = s[i];
        while (top > 0) {
            // One step appends at most three code points (a Hangul syllable).
            if (room <= 2) {
                const Py_ssize_t added = output.grow(0);
                if (added == 0) return PyErr_NoMemory();
                room += added;
            }
            uint32_t c = pending[--top];
            if (is_hangul_syllable(c)) {
                const int jamo = hangul_jamo(c, &output[o]);
                o += jamo;
                room -= jamo;
                continue;
            }
            uint32_t record = 0;
            if (old != nullptr) {
                if (uint32_t replacement = old->old_normalization(c)) {
                    pending[top++] = replacement;
                    continue;
                }
                if (old->old_record_lookup(c)->old_category != 0) record = lookup_decomposition_record(c);
            } else {
                record = lookup_decomposition_record(c);
            }
            const uint32_t header = decomposition_words[record];
            const uint32_t count = header >> 8;
            if (count == 0 || (!compatibility && (header & 0xFF) != 0)) {
                output[o++] = c;
                --room;
                continue;
            }
            for (uint32_t k = count; k > 0; --k) pending[top++] = decomposition_words[record + k];
        }
    }
    if (!put_in_canonical_order(output.data(), o)) return PyErr_NoMemory();
    return PyUnicode_FromKindAndData(PyUnicode_4BYTE_KIND, output.data(), o);
}

PyObject *compose_string_general(PyObject *self, PyObject *string, bool compatibility) {
    PyObject *decomposed = decompose_string_general(self, string, compatibility);
    if (decomposed == nullptr) return nullptr;
    const StrReader d(decomposed);
    const Py_ssize_t n = PyUnicode_GET_LENGTH(decomposed);
    CodePoints output;
    if (!output.resize(n)) {
        Py_DECREF(decomposed);
        return PyErr_NoMemory();
    }
    int64_t skipped[SKIPPED_CAPACITY];
    int skipped_count = 0;
    Py_ssize_t i = 0, o = 0;
    while (i < n) {
        // A position absorbed by an earlier starter is dropped.
        bool absorbed = false;
        for (int k = 0; k < skipped_count; ++k) {
            if (skipped[k] == i) {
                skipped[k] = skipped[--skipped_count];
                absorbed = true;
                break;
            }
        }
        if (absorbed) {
            ++i;
            continue;
        }
        const uint32_t c = d[i];
        // Leading consonant, vowel and an optional trailing consonant make a syllable.
        if (c - L_BASE < L_COUNT && i + 1 < n && d[i + 1] - V_BASE < V_COUNT) {
            uint32_t syllable = S_BASE + ((c - L_BASE) * V_COUNT + (d[i + 1] - V_BASE)) * T_COUNT;
            i += 2;
            if (i < n && d[i] - (T_BASE + 1) < T_COUNT - 1) syllable += d[i++] - T_BASE;
            output[o++] = syllable;
            continue;
        }
        int f = find_composition_index(composition_first_ranges, c);
        output[o] = c;
        ++i;
        if (f < 0 || i == n) {
            ++o;
            continue;
        }
        // The starter at o absorbs what may combine with it; an unabsorbed character with
        // a class of 0, or of at least the next one's, blocks that one.
        unsigned last_class = 0;
        for (Py_ssize_t j = i; j < n; ++j) {
            const uint32_t cj = d[j];
            const unsigned cls = combining_class(cj);
            if (last_class != 0) {
                if (cls == 0) break;
                if (last_class >= cls) continue;
            }
            int l = find_composition_index(composition_last_ranges, cj);
            uint32_t composite = l < 0 ? 0 : composition_pair(f, l);
            if (composite != 0 && skipped_count < SKIPPED_CAPACITY) {
                output[o] = composite;
                skipped[skipped_count++] = j;
                f = find_composition_index(composition_first_ranges, composite);
                if (f < 0) break;
                continue;
            }
            last_class = cls;
            if (cls == 0) break;
        }
        ++o;
    }
    if (o == n) return decomposed;
    Py_DECREF(decomposed);
    return PyUnicode_FromKindAndData(PyUnicode_4BYTE_KIND, output.data(), o);
}

uint16_t normalization_info(uint32_t cp) { return info_of(cp); }

int first_composition_index(uint32_t cp) { return first_index(cp); }
int last_composition_index(uint32_t cp) { return last_index(cp); }

bool quick_check_passes(PyObject *string, uint8_t mask) {
    const int form = __builtin_ctz(mask) / 2;
    const uint16_t fails = static_cast<uint16_t>(INFO_QUICK_CHECK_FAILS << form);
    const Py_ssize_t n = PyUnicode_GET_LENGTH(string);
    switch (PyUnicode_KIND(string)) {
    case PyUnicode_1BYTE_KIND:
        // Where no Latin-1 character stops the scan, a string of this kind passes as a whole.
        if (LATIN1_STOPS[form].first > 0xFF) return true;
        return quick_check_run(PyUnicode_1BYTE_DATA(string), n, form, fails);
    case PyUnicode_2BYTE_KIND:
        return quick_check_run(PyUnicode_2BYTE_DATA(string), n, form, fails);
    default:
        return quick_check_run(PyUnicode_4BYTE_DATA(string), n, form, fails);
    }
}

PyObject *decompose_string(PyObject *self, PyObject *string, bool compatibility) {
    if (selected_old_version(self) != nullptr) return decompose_string_general(self, string, compatibility);
    return normalize_current(string, false, compatibility);
}

PyObject *compose_string(PyObject *self, PyObject *string, bool compatibility) {
    if (selected_old_version(self) != nullptr) return compose_string_general(self, string, compatibility);
    return normalize_current(string, true, compatibility);
}

PyObject *query_decomposition(PyObject *self, PyObject *argument) {
    const int code_point = character_argument(argument, "C:decomposition");
    if (code_point < 0) return nullptr;
    const uint32_t cp = static_cast<uint32_t>(code_point);
    if (const UCDObject *old = selected_old_version(self); old != nullptr && old->old_record_lookup(cp)->old_category == 0)
        return PyUnicode_FromString("");
    char text[TEXT_SIZE];
    if (is_hangul_syllable(cp)) {
        uint32_t jamo[3];
        if (hangul_jamo(cp, jamo) == 2) PyOS_snprintf(text, sizeof text, "%04X %04X", jamo[0], jamo[1]);
        else PyOS_snprintf(text, sizeof text, "%04X %04X %04X", jamo[0], jamo[1], jamo[2]);
        return PyUnicode_FromString(text);
    }
    const uint32_t record = lookup_decomposition_record(cp);
    const uint32_t header = decomposition_words[record];
    const char *prefix = decomposition_prefix_names[header & 0xFF];
    size_t length = std::strlen(prefix);
    std::memcpy(text, prefix, length);
    for (uint32_t k = 1; k <= header >> 8; ++k) {
        if (length != 0) text[length++] = ' ';
        int written = PyOS_snprintf(text + length, TEXT_SIZE - length, "%04X", decomposition_words[record + k]);
        length += static_cast<size_t>(written);
    }
    return PyUnicode_FromStringAndSize(text, static_cast<Py_ssize_t>(length));
}

PyObject *query_normalize(PyObject *self, PyObject *arguments) {
    const char *form_name;
    PyObject *input;
    if (!PyArg_ParseTuple(arguments, "sO!:normalize", &form_name, &PyUnicode_Type, &input)) return nullptr;
#if PY_VERSION_HEX < 0x030C0000
    if (PyUnicode_READY(input) < 0) return nullptr;
#endif
    if (PyUnicode_GET_LENGTH(input) == 0) return PyUnicode_FromObject(input);
    for (const Form &form : FORMS) {
        if (std::strcmp(form_name, form.name) != 0) continue;
        // For the current database, compose_string and decompose_string hand back the
        // input when it passes the quick check.
        return form.composed ? compose_string(self, input, form.compatibility)
                             : decompose_string(self, input, form.compatibility);
    }
    PyErr_SetString(PyExc_ValueError, "invalid normalization form");
    return nullptr;
}

}  // namespace charlore
