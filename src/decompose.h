// Decomposition for the current database: canonical ordering, the full expansion of one
// character, and the decomposition of a run of text into a working buffer.
#pragma once

#include <cstring>

#include "generated/expansion_tables.h"
#include "normalize.h"
#include "quick_check.h"

namespace charlore::normalization {

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

// The full decomposition of c, which has a mapping in the form, into `expansion` with the
// class of each code point in `classes`: through the records and the pending stack,
// Hangul syllables by arithmetic. Run at compile time, for the Latin-1 table. Returns how many code points there are,
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

// The full decomposition of c in one form (canonical, or compatibility) as words of
// expansion_words, each a code point with its class: `count` of them from `words`, in
// canonical order. Every code point with a decomposition has one in both forms (itself
// where it has none in that form), except the Hangul syllables; any other has a count of 0.
struct Expansion {
    const uint32_t *words;
    int count;
};
CHARLORE_HOT_INLINE Expansion expansion_of(uint32_t c, bool compatibility) {
    const uint32_t entry = c > 0x10FFFF ? 0 : expansion_stage2[(expansion_stage1[c >> 7] << 7) + (c & 127)];
    const uint32_t span = expansion_spans[2 * entry + (compatibility ? 1 : 0)];
    return {expansion_words + (span & 0xFFFF), static_cast<int>(span >> 16)};
}
inline constexpr uint32_t EXPANSION_CODE_POINT = (1u << EXPANSION_CLASS_SHIFT) - 1;

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
inline constexpr Latin1Expansions LATIN1_EXPANSIONS[] = {latin1_expansions(false), latin1_expansions(true)};

// Copies the GROUP characters at text to out, widened to Unit: one copy or two vector
// stores rather than a loop of GROUP steps.
template <typename Char, typename Unit>
CHARLORE_HOT_INLINE void copy_group(Unit *out, const Char *text) {
    if constexpr (sizeof(Char) == sizeof(Unit)) {
        std::memcpy(out, text, GROUP<Char> * sizeof(Char));
    } else {
#ifdef CHARLORE_SSE2
        if constexpr (sizeof(Char) == 1 && sizeof(Unit) == 2) {
            const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i *>(text));
            _mm_storeu_si128(reinterpret_cast<__m128i *>(out), _mm_unpacklo_epi8(bytes, _mm_setzero_si128()));
            _mm_storeu_si128(reinterpret_cast<__m128i *>(out + 8), _mm_unpackhi_epi8(bytes, _mm_setzero_si128()));
            return;
        }
#endif
        for (Py_ssize_t k = 0; k < GROUP<Char>; ++k) out[k] = text[k];
    }
}

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
    [[maybe_unused]] const Latin1PassingPrefix latin1_passing_prefix(form);
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
            Py_ssize_t passing;
            if constexpr (sizeof(Char) == 1)
                passing = latin1_passing_prefix(text + i);
            else
                passing = passing_prefix(text + i, form, fails);
            if (passing > 0) {
                // The whole group is copied; the cursor moves past the passing part only.
                copy_group(out, text + i);
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
            // Its expansion is already in canonical order, so only where it joins the text
            // before can the order break.
            const Expansion e = expansion_of(c, compatibility);
            if (!make_room(e.count, i)) return false;
            note(e.words[0] >> EXPANSION_CLASS_SHIFT);
            last_class = e.words[e.count - 1] >> EXPANSION_CLASS_SHIFT;
            for (int k = 0; k < e.count; ++k) {
                const uint32_t cp = e.words[k] & EXPANSION_CODE_POINT;
                if constexpr (sizeof(Unit) < 4) d.too_wide |= cp > 0xFFFF;
                *out++ = static_cast<Unit>(cp);
            }
        }
    }
    d.count = out - base;
    d.last_class = last_class;
    d.disorder_at = disorder_at;
    return true;
}

}  // namespace charlore::normalization
