// Terminal columns of a text, counted per extended grapheme cluster: 2 for a cluster that
// is wide (its first character is East Asian Wide or Fullwidth) or shown as an emoji, 0
// for a cluster of characters that take no column (marks, format and control characters,
// line and paragraph separators, default-ignorable characters), 1 for any other.
//
// One pass over the text finds the clusters and counts their columns together, each
// character looked up once; Latin text (below U+0300, where nothing joins a cluster but CR
// LF, both without a column) is counted without any lookup.
#pragma once

#include "grapheme.h"

namespace charlore::segmentation {

constexpr uint32_t EMOJI_PRESENTATION_SELECTOR = 0xFE0F;

// The columns of a character below U+0300 that stands alone: none for the C0 and C1
// controls, DEL and the soft hyphen, one for every other.
inline unsigned latin_columns(uint32_t c) { return !(c < 0x20 || (c >= 0x7F && c < 0xA0) || c == 0xAD); }

// The columns of a text stored one byte a character (Latin-1: every character a cluster
// of its own). Branch-free, so that the compiler vectorizes it: it counts the characters
// without a column, a block at a time into a byte-wide counter.
inline size_t latin1_width(const uint8_t *units, size_t length) {
    size_t none = 0;
    for (size_t i = 0; i < length;) {
        const size_t end = i + 255 < length ? i + 255 : length;
        uint8_t count = 0;
        for (; i < end; ++i) {
            const uint8_t c = units[i];
            count += static_cast<uint8_t>((c < 0x20) | (static_cast<uint8_t>(c - 0x7F) < 0x21) | (c == 0xAD));
        }
        none += count;
    }
    return length - none;
}

// The columns of a cluster that begins with `first`, before anything joins it.
constexpr unsigned first_columns(const BreakRecord &first) {
    if (first.flags & (WIDE | EMOJI_PRESENTATION)) return 2;
    return (first.flags & ZERO_WIDTH) ? 0 : 1;
}

// A character joined to a cluster makes it an emoji when it stands after one that calls
// for it: an emoji presentation selector after an emoji, a modifier after its base, a
// pictograph after ZWJ (a ZWJ sequence), a regional indicator after another (a flag). Each
// record holds the bits of what it calls for as the later character and what it answers
// as the earlier one, so that one AND finds any of the four.
constexpr uint8_t AFTER_EMOJI = 1, AFTER_MODIFIER_BASE = 2, AFTER_ZWJ = 4, AFTER_INDICATOR = 8;

constexpr uint8_t answers_as_earlier(const BreakRecord &r) {
    return static_cast<uint8_t>(((r.flags & EMOJI) ? AFTER_EMOJI : 0) |
                                ((r.flags & EMOJI_MODIFIER_BASE) ? AFTER_MODIFIER_BASE : 0) |
                                (r.grapheme == GB_ZWJ ? AFTER_ZWJ : 0) |
                                (r.grapheme == GB_Regional_Indicator ? AFTER_INDICATOR : 0));
}

// Without the presentation selector, which is a code point and not a class of records.
constexpr uint8_t calls_for_as_later(const BreakRecord &r) {
    return static_cast<uint8_t>(((r.flags & EMOJI_MODIFIER) ? AFTER_MODIFIER_BASE : 0) |
                                ((r.flags & EXTENDED_PICTOGRAPHIC) ? AFTER_ZWJ : 0) |
                                (r.grapheme == GB_Regional_Indicator ? AFTER_INDICATOR : 0));
}

// What the width scan reads of each break record: the columns of a cluster that begins
// with it (the low two bits) and PLAIN_CHARACTER (a lone character: between two of them a
// cluster boundary always stands); and the emoji bits of each side.
constexpr uint8_t PLAIN_CHARACTER = 4;
struct WidthInfoTable {
    static constexpr size_t SIZE = sizeof(break_records) / sizeof(break_records[0]);
    uint8_t info[SIZE] = {};
    uint8_t earlier[SIZE] = {};
    uint8_t later[SIZE] = {};
    constexpr WidthInfoTable() {
        for (size_t k = 0; k < SIZE; ++k) {
            const BreakRecord &r = break_records[k];
            info[k] = static_cast<uint8_t>(first_columns(r) | (is_lone_record(r) ? PLAIN_CHARACTER : 0));
            earlier[k] = answers_as_earlier(r);
            later[k] = calls_for_as_later(r);
        }
    }
};
inline constexpr WidthInfoTable width_info;

// Counts the clusters from `start` into *width, each character looked up once, until a
// cluster begins with two characters below U+0300 (where the caller's Latin loop goes on)
// or the text ends; returns where it stopped. Between two lone characters the scan
// needs neither their records nor the cluster's context.
template <class Unit>
size_t width_of_clusters(Text<Unit> text, size_t start, size_t *width) {
    const uint8_t *info = width_info.info;
    unsigned left = break_index(text[start]);
    unsigned columns = info[left] & 3;
    ClusterContext context(break_records[left]);
    bool context_current = true;  // else the cluster is text[i - 1] alone, not yet in the context
    size_t total = *width;
    for (size_t i = start + 1; i < text.length; ++i) {
        const uint32_t cp = text[i];
        const unsigned right = break_index(cp);
        bool joins = false;
        if (!(info[left] & info[right] & PLAIN_CHARACTER)) {
            if (!context_current) context.start(break_records[left]);
            context_current = true;
            joins = context.joins(break_records[left], break_records[right]);
        }
        if (joins) {
            // A character with a column makes a cluster of none take one.
            const unsigned later = width_info.later[right] | (cp == EMOJI_PRESENTATION_SELECTOR ? AFTER_EMOJI : 0);
            if (width_info.earlier[left] & later)
                columns = 2;
            else
                columns = columns == 2 ? 2 : columns | ((break_records[right].flags & ZERO_WIDTH) ? 0u : 1u);
            context.join(break_records[right]);
        } else {
            total += columns;
            if (cp < FIRST_JOINING && (i + 1 == text.length || text[i + 1] < FIRST_JOINING)) {
                *width = total;
                return i;
            }
            columns = info[right] & 3;
            context_current = false;
        }
        left = right;
    }
    *width = total + columns;
    return text.length;
}

template <class Unit>
size_t text_width(Text<Unit> text) {
    if constexpr (sizeof(Unit) == 1) {
        return latin1_width(text.units, text.length);
    } else {
        size_t width = 0;
        size_t i = 0;
        while (i < text.length) {
            // A character below U+0300 followed by another is a cluster of its own (CR LF
            // aside, both of no column).
            while (i + 1 < text.length && text[i] < FIRST_JOINING && text[i + 1] < FIRST_JOINING)
                width += latin_columns(text[i++]);
            if (i + 1 == text.length && text[i] < FIRST_JOINING) return width + latin_columns(text[i]);
            i = width_of_clusters(text, i, &width);
        }
        return width;
    }
}

}  // namespace charlore::segmentation
