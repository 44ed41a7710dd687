// The quick-check scan: where a text stops being certainly in a form, with groups of
// characters tested at once where they can be.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>

#include "normalize_support.h"

// The vector paths take SSE2 (every x86-64 has it); other targets, and builds that define
// CHARLORE_SCALAR to test them, take the scalar paths with the same results.
#if defined(__SSE2__) && !defined(CHARLORE_SCALAR)
#define CHARLORE_SSE2 1
#include <emmintrin.h>
#endif

// The scan's small helpers are inlined at every optimization level: a call per group of
// characters would cost more than the group's tests.
#define CHARLORE_HOT_INLINE inline __attribute__((always_inline))

namespace charlore::normalization {

// Whether c stops a quick-check scan in the form whose bit is form_bit: the check fails
// there or the class is not 0, so it needs a closer look.
CHARLORE_HOT_INLINE bool stops_scan(uint32_t c, unsigned form_bit, uint16_t fails) {
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
inline constexpr Latin1Stops LATIN1_STOPS[] = {latin1_stops(0), latin1_stops(1), latin1_stops(2), latin1_stops(3)};

// Per form, the quick-check bound within the BMP.
constexpr uint32_t bmp_bound(int form) { return std::min<uint32_t>(QUICK_CHECK_YES_BELOW[form], 0xFFFF); }
inline constexpr uint32_t YES_BELOW_BMP[] = {bmp_bound(0), bmp_bound(1), bmp_bound(2), bmp_bound(3)};

// The derived information of a character of a str in two lookups and an addition: per
// block of 128 code points, where the block's entries start in normalization_info_stage2
// less where the block starts, so that the character itself adds its offset within the
// block and no shifting or masking joins the two stages. Reads memory only for c up to
// U+10FFFF.
inline constexpr auto INFO_BLOCK_DISPLACEMENT = [] {
    constexpr size_t blocks = sizeof normalization_info_stage1;
    std::array<int32_t, blocks> displacement{};
    for (size_t block = 0; block < blocks; ++block)
        displacement[block] = static_cast<int32_t>(normalization_info_stage1[block] * 128 - block * 128);
    return displacement;
}();
static_assert(sizeof normalization_info_stage1 * 128 == 0x110000);
CHARLORE_HOT_INLINE uint16_t info_within_range(uint32_t c) {
    return normalization_info_stage2[INFO_BLOCK_DISPLACEMENT[c >> 7] + static_cast<ptrdiff_t>(c)];
}

// The derived information of the four characters at text OR-ed together: one lookup
// each, with no branch on the plane or on a bound, since text stored four bytes a
// character mixes the BMP with characters beyond it (emoji), and a branch on either
// mispredicts from group to group. The one test for the group bounds its values (each
// below U+100000 where the OR of them is); a group with a character of plane 16 (private
// use only) or beyond reads as a mark, for the one-by-one path to look at.
CHARLORE_HOT_INLINE bool below_plane_16(const uint32_t *text) {
    return ((text[0] | text[1]) | (text[2] | text[3])) <= 0xFFFFF;
}
CHARLORE_HOT_INLINE uint16_t info_of_four_below_plane_16(const uint32_t *text) {
    return (info_within_range(text[0]) | info_within_range(text[1])) |
           (info_within_range(text[2]) | info_within_range(text[3]));
}
CHARLORE_HOT_INLINE uint16_t info_of_four(const uint32_t *text) {
    return below_plane_16(text) ? info_of_four_below_plane_16(text) : INFO_COMBINING;
}

// Characters tested together by passing_prefix.
template <typename Char>
inline constexpr Py_ssize_t GROUP = sizeof(Char) == 1 ? 16 : sizeof(Char) == 2 ? 8 : 4;

// The scan-stop bits of eight BMP units OR-ed together, written out so that no
// optimization level keeps a loop of them.
template <typename Char>
CHARLORE_HOT_INLINE unsigned stops_of_eight(const Char *text) {
    const uint8_t *stops = quick_check_stops_bmp;
    return (stops[text[0]] | stops[text[1]] | stops[text[2]] | stops[text[3]]) |
           (stops[text[4]] | stops[text[5]] | stops[text[6]] | stops[text[7]]);
}

#ifdef CHARLORE_SSE2
// The stopping characters among the sixteen bytes at text, as a bit mask: none may lie
// in the interval from `first` to `first` + `span` (both broadcast to every byte).
CHARLORE_HOT_INLINE unsigned latin1_stops_in(const uint8_t *text, __m128i first, __m128i span) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i *>(text));
    // A byte at or below the span past `first` is inside the interval: subtracting leaves 0 there.
    const __m128i above = _mm_subs_epu8(_mm_sub_epi8(bytes, first), span);
    return static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(above, _mm_setzero_si128())));
}
#endif

// How many of the GROUP characters at text pass the form's quick check with class 0, for
// certain, before the first one that may stop the scan: GROUP when they all do, with one
// branch for the group. Latin-1 text finds its first stop exactly; for other text the
// answer is all or nothing.
template <typename Char>
CHARLORE_HOT_INLINE Py_ssize_t passing_prefix(const Char *text, int form, uint16_t fails) {
    const unsigned form_bit = 1u << form;
    if constexpr (sizeof(Char) == 1) {
        const Latin1Stops stops = LATIN1_STOPS[form];
        if (stops.first > 0xFF) return GROUP<Char>;
#ifdef CHARLORE_SSE2
        const unsigned inside = latin1_stops_in(text, _mm_set1_epi8(static_cast<char>(stops.first)),
                                                _mm_set1_epi8(static_cast<char>(stops.span)));
        return inside == 0 ? GROUP<Char> : __builtin_ctz(inside);
#else
        Py_ssize_t k = 0;
        while (k < GROUP<Char> && !(quick_check_stops_bmp[text[k]] & form_bit)) ++k;
        return k;
#endif
    } else if constexpr (sizeof(Char) == 2) {
#ifdef CHARLORE_SSE2
        // Eight units at once: all below the form's bound pass without a lookup.
        const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i *>(text));
        const __m128i above = _mm_subs_epu16(units, _mm_set1_epi16(static_cast<short>(YES_BELOW_BMP[form] - 1)));
        const unsigned below = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi16(above, _mm_setzero_si128())));
        if (below == 0xFFFF) return GROUP<Char>;
#endif
        return stops_of_eight(text) & form_bit ? 0 : GROUP<Char>;
    } else {
        return info_of_four(text) & (INFO_COMBINING | fails) ? 0 : GROUP<Char>;
    }
}

// passing_prefix of Latin-1 text for a loop over many groups of one form: the interval of
// stopping characters is set up once, before the loop, rather than on every group.
struct Latin1PassingPrefix {
    explicit Latin1PassingPrefix(int form)
        : form(form)
#ifdef CHARLORE_SSE2
          ,
          first(_mm_set1_epi8(static_cast<char>(LATIN1_STOPS[form].first))),
          span(_mm_set1_epi8(static_cast<char>(LATIN1_STOPS[form].span)))
#endif
    {
    }
    CHARLORE_HOT_INLINE Py_ssize_t operator()(const uint8_t *text) const {
#ifdef CHARLORE_SSE2
        if (LATIN1_STOPS[form].first > 0xFF) return GROUP<uint8_t>;
        const unsigned inside = latin1_stops_in(text, first, span);
        return inside == 0 ? GROUP<uint8_t> : __builtin_ctz(inside);
#else
        return passing_prefix(text, form, 0);
#endif
    }
    int form;
#ifdef CHARLORE_SSE2
    __m128i first, span;
#endif
};

// From i, past the groups of characters that passing_prefix lets through while a whole group
// remains: where the first character that needs a closer look may stand, or where fewer
// than a group remain.
template <typename Char>
CHARLORE_HOT_INLINE Py_ssize_t skip_passing_groups(const Char *text, Py_ssize_t i, Py_ssize_t n, int form,
                                                   uint16_t fails) {
    for (const Py_ssize_t last = n - GROUP<Char>; i <= last;) {
        const Py_ssize_t passing = passing_prefix(text + i, form, fails);
        if (passing == 0) break;
        i += passing;
    }
    return i;
}
#ifdef CHARLORE_SSE2
// Latin-1 text takes its groups out of line too, with the interval of stops loaded once:
// the loop is a few instructions, and inlined it lay wherever the scan around it put it,
// at twice the time per group where it crossed a 64-byte line.
template <>
__attribute__((noinline)) inline Py_ssize_t skip_passing_groups(const uint8_t *text, Py_ssize_t i, Py_ssize_t n,
                                                                int form, uint16_t) {
    const Latin1Stops stops = LATIN1_STOPS[form];
    const Py_ssize_t last = n - GROUP<uint8_t>;
    if (stops.first > 0xFF) return i <= last ? last - (last - i) % GROUP<uint8_t> + GROUP<uint8_t> : i;
    const __m128i first = _mm_set1_epi8(static_cast<char>(stops.first));
    const __m128i span = _mm_set1_epi8(static_cast<char>(stops.span));
    for (; i <= last; i += GROUP<uint8_t>)
        if (const unsigned inside = latin1_stops_in(text + i, first, span); inside != 0)
            return i + __builtin_ctz(inside);
    return i;
}
#endif
// Text stored four bytes a character takes its groups out of line, two at a time:
// inlined, the loop shares the registers of the one-by-one path and reloads its tables
// and bounds on every turn.
template <>
__attribute__((noinline)) inline Py_ssize_t skip_passing_groups(const uint32_t *text, Py_ssize_t i, Py_ssize_t n,
                                                                int, uint16_t fails) {
    const uint16_t stops = INFO_COMBINING | fails;
    for (const Py_ssize_t last = n - 2 * GROUP<uint32_t>; i <= last; i += 2 * GROUP<uint32_t>) {
        const uint32_t *group = text + i;
        if (!below_plane_16(group) || !below_plane_16(group + 4) ||
            (info_of_four_below_plane_16(group) | info_of_four_below_plane_16(group + 4)) & stops)
            break;
    }
    if (n - i >= GROUP<uint32_t> && !(info_of_four(text + i) & stops)) i += GROUP<uint32_t>;
    return i;
}

// Whether c, which stopped the scan right after `starter`, a character that passed with
// class 0, leaves the text in the form there: its quick check answers Maybe (it may
// compose with what comes before), the starter is the first character of no composite,
// and neither decomposes, so nothing moves between them. A character the check answers
// No for fails wherever it stands. The cheap tests come first; the starter's is the one
// that fails where letters take accents, so c's own information is read only after it,
// into `info`, for the caller to go on with.
CHARLORE_HOT_INLINE bool maybe_stays_after(uint32_t starter, uint32_t c, int form, uint16_t fails, uint16_t &info) {
    // Conjoining jamo compose by arithmetic: no leading consonant is marked as a first.
    if (c - V_BASE < T_BASE + T_COUNT - V_BASE) return false;
    if (info_of(starter) & (INFO_FIRST | INFO_DECOMPOSES)) return false;
    info = info_of(c);
    if (!(info & fails) || (info & (INFO_FIRST | INFO_DECOMPOSES))) return false;
    return ((lookup_property_record(c).quick_check >> (2 * form)) & 3) == 1;
}

// After a group without a passing prefix, the characters looked at one by one: Latin-1
// text knows its stops exactly, so one; other text the whole group.
template <typename Char>
inline constexpr Py_ssize_t ONE_BY_ONE = sizeof(Char) == 1 ? 1 : GROUP<Char>;

// Whether c starts a segment in the form: it passes the quick check with class 0.
// Nothing before such a character reorders or composes with it, and its own mapping
// starts with a starter that composes with nothing before it either, so the text before
// it and the text from it on are normalized each on their own.
inline bool starts_segment(uint32_t c, int form, uint16_t fails) {
    return !stops_scan(c, 1u << form, fails);
}

// The scan of first_failure from position i up to the first character that fails the
// check or breaks canonical order (or n), the class of the character before i being
// `last_class`; `boundary` follows the last segment start. Groups of characters that all
// pass with class 0 take one test; the characters of any other group are looked at one
// by one, through their derived information where they stop the scan.
template <typename Char>
Py_ssize_t scan_to_stop(const Char *text, Py_ssize_t i, Py_ssize_t n, int form, uint16_t fails, Py_ssize_t &boundary,
                        unsigned last_class) {
    const unsigned form_bit = 1u << form;
    // The segment start is kept in a register and stored once at the end.
    Py_ssize_t start = boundary;
    while (i < n) {
        const Py_ssize_t from = i;
        i = skip_passing_groups(text, i, n, form, fails);
        if (i != from) {
            start = i - 1;
            last_class = 0;
        }
        for (const Py_ssize_t end = std::min(n, i + ONE_BY_ONE<Char>); i < end; ++i) {
            const uint32_t c = text[i];
            if (!stops_scan(c, form_bit, fails)) {
                start = i;
                last_class = 0;
                continue;
            }
            // It stops the scan, so it fails or its class is not 0.
            const uint16_t info = info_of(c);
            if ((info & fails) || last_class > (info & INFO_COMBINING)) {
                boundary = start;
                return i;
            }
            last_class = info & INFO_COMBINING;
        }
    }
    boundary = start;
    return n;
}

// The quick check over one storage kind from position i, which starts a segment (see
// starts_segment): returns the position of the first character where the text may leave
// the form (it fails the check, breaks canonical order, or may compose with the
// characters before it), or n. `boundary` is left at the last position before that which
// starts a segment. A character that may compose passes right after a segment start
// where it makes nothing with it; it starts no segment itself. That test stays out of
// the scan's loop, which it would slow for every text.
template <typename Char>
Py_ssize_t first_failure(const Char *text, Py_ssize_t i, Py_ssize_t n, int form, uint16_t fails,
                         Py_ssize_t &boundary) {
    const Py_ssize_t first = i;
    boundary = i;
    unsigned last_class = 0;
    for (;;) {
        i = scan_to_stop(text, i, n, form, fails, boundary, last_class);
        // Only right after a segment start, where the scan left the boundary; it also
        // leaves it at `first`, where a mark may stand.
        uint16_t info;
        if (i == n || i == first || boundary != i - 1 || !maybe_stays_after(text[i - 1], text[i], form, fails, info) ||
            (i - 1 == first && !starts_segment(text[first], form, fails)))
            return i;
        last_class = info & INFO_COMBINING;
        ++i;
    }
}

}  // namespace charlore::normalization
