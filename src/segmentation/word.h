// Word boundaries. Format and extending characters are transparent: the rules look at
// the last other character before a position and, for a few of them, the next other
// character after it, so a position is decided with at most one look ahead.
#pragma once

#include "classes.h"

namespace charlore::segmentation {

constexpr bool is_word_ignorable(unsigned c) { return c == WB_Extend || c == WB_Format || c == WB_ZWJ; }
constexpr bool is_word_newline(unsigned c) { return c == WB_CR || c == WB_LF || c == WB_Newline; }
constexpr bool is_letter(unsigned c) { return c == WB_ALetter || c == WB_Hebrew_Letter; }
constexpr bool is_mid_letter(unsigned c) {
    return c == WB_MidLetter || c == WB_MidNumLet || c == WB_Single_Quote;
}
constexpr bool is_mid_number(unsigned c) { return c == WB_MidNum || c == WB_MidNumLet || c == WB_Single_Quote; }

// The class of the first character at or after i that is not transparent; Other at the end.
template <class Unit>
unsigned next_word_class(Text<Unit> text, size_t i) {
    for (; i < text.length; ++i) {
        const unsigned c = break_record(text[i]).word;
        if (!is_word_ignorable(c)) return c;
    }
    return WB_Other;
}

// Where the word piece that starts at `start` ends (start < text.length). A piece never
// depends on text before its start, so any boundary is a place to resume from.
template <class Unit>
size_t word_end(Text<Unit> text, size_t start) {
    unsigned raw = break_record(text[start]).word;  // the character just before i
    unsigned last = raw, before_last = WB_Other;     // the last two that are not transparent
    bool odd_indicators = last == WB_Regional_Indicator;
    for (size_t i = start + 1; i < text.length; ++i) {
        const BreakRecord &record = break_record(text[i]);
        const unsigned c = record.word;
        bool join;
        if (raw == WB_CR && c == WB_LF) {
            join = true;
        } else if (is_word_newline(raw) || is_word_newline(c)) {
            join = false;
        } else if (raw == WB_ZWJ && (record.flags & EXTENDED_PICTOGRAPHIC)) {
            join = true;
        } else if (raw == WB_WSegSpace && c == WB_WSegSpace) {
            join = true;
        } else if (is_word_ignorable(c)) {
            raw = c;
            continue;  // attaches to what precedes it; `last` stays
        } else if (is_letter(last) && is_letter(c)) {
            join = true;
        } else if (is_letter(last) && is_mid_letter(c) && is_letter(next_word_class(text, i + 1))) {
            join = true;
        } else if (is_letter(before_last) && is_mid_letter(last) && is_letter(c)) {
            join = true;
        } else if (last == WB_Hebrew_Letter && c == WB_Single_Quote) {
            join = true;
        } else if (last == WB_Hebrew_Letter && c == WB_Double_Quote &&
                   next_word_class(text, i + 1) == WB_Hebrew_Letter) {
            join = true;
        } else if (before_last == WB_Hebrew_Letter && last == WB_Double_Quote && c == WB_Hebrew_Letter) {
            join = true;
        } else if ((last == WB_Numeric || is_letter(last)) && c == WB_Numeric) {
            join = true;
        } else if (last == WB_Numeric && is_letter(c)) {
            join = true;
        } else if (before_last == WB_Numeric && is_mid_number(last) && c == WB_Numeric) {
            join = true;
        } else if (last == WB_Numeric && is_mid_number(c) && next_word_class(text, i + 1) == WB_Numeric) {
            join = true;
        } else if (last == WB_Katakana && c == WB_Katakana) {
            join = true;
        } else if (c == WB_ExtendNumLet &&
                   (is_letter(last) || last == WB_Numeric || last == WB_Katakana || last == WB_ExtendNumLet)) {
            join = true;
        } else if (last == WB_ExtendNumLet && (is_letter(c) || c == WB_Numeric || c == WB_Katakana)) {
            join = true;
        } else {
            join = odd_indicators && c == WB_Regional_Indicator;
        }
        if (!join) return i;
        odd_indicators = c == WB_Regional_Indicator && !odd_indicators;
        before_last = last;
        last = raw = c;
    }
    return text.length;
}

}  // namespace charlore::segmentation
