// Terminal columns of a text, counted per extended grapheme cluster: 2 for a cluster that
// is wide (its first character is East Asian Wide or Fullwidth) or shown as an emoji, 0
// for a cluster of characters that take no column (marks, format and control characters,
// line and paragraph separators, default-ignorable characters), 1 for any other.
#pragma once

#include "grapheme.h"

namespace charlore::segmentation {

constexpr uint32_t EMOJI_PRESENTATION_SELECTOR = 0xFE0F;

// The columns of the cluster text[start, end).
template <class Unit>
int cluster_width(Text<Unit> text, size_t start, size_t end) {
    const BreakRecord &first = break_record(text[start]);
    if (first.flags & WIDE) return 2;
    if (first.flags & EMOJI_PRESENTATION) return 2;
    bool zero = (first.flags & ZERO_WIDTH) != 0;
    const BreakRecord *previous = &first;
    for (size_t i = start + 1; i < end; ++i) {
        const uint32_t cp = text[i];
        const BreakRecord &r = break_record(cp);
        if (cp == EMOJI_PRESENTATION_SELECTOR && (previous->flags & EMOJI)) return 2;
        if ((r.flags & EMOJI_MODIFIER) && (previous->flags & EMOJI_MODIFIER_BASE)) return 2;
        // A cluster only continues past ZWJ onto a pictograph when it forms a ZWJ sequence.
        if ((r.flags & EXTENDED_PICTOGRAPHIC) && previous->grapheme == GB_ZWJ) return 2;
        if (r.grapheme == GB_Regional_Indicator && previous->grapheme == GB_Regional_Indicator) return 2;
        zero = zero && (r.flags & ZERO_WIDTH);
        previous = &r;
    }
    return zero ? 0 : 1;
}

template <class Unit>
size_t text_width(Text<Unit> text) {
    size_t width = 0;
    if constexpr (sizeof(Unit) == 1) {
        // Latin-1 has neither marks nor wide characters: every character is a cluster of
        // its own (CR LF aside, both of width 0) of one column unless it is a control or
        // the soft hyphen.
        for (size_t i = 0; i < text.length; ++i) {
            const uint32_t c = text[i];
            width += c >= 0x20 && c != 0x7F && !(c >= 0x80 && c < 0xA0) && c != 0xAD;
        }
        return width;
    }
    for (size_t start = 0; start < text.length;) {
        const size_t end = grapheme_end(text, start);
        width += static_cast<size_t>(cluster_width(text, start, end));
        start = end;
    }
    return width;
}

}  // namespace charlore::segmentation
