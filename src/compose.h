// Canonical composition in place of a decomposed, canonically ordered buffer.
#pragma once

#include "normalize.h"
#include "normalize_support.h"

namespace charlore::normalization {

// Characters below this are starters (class 0 for NFC) and no last character of a
// composite: nothing combines with a character that comes before one of them.
inline constexpr uint32_t NOTHING_COMBINES_BELOW =
    std::min(static_cast<uint32_t>(composition_last_ranges[0].start), QUICK_CHECK_YES_BELOW[2]);

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
                composite = composite_of(f, last_index(cj));
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

}  // namespace charlore::normalization
