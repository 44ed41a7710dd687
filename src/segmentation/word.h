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

// The extending and format characters below U+10000 (the transparent ones but the
// joiner, which the rules after it look at): a mark inside a word needs only its bit.
inline constexpr BmpSet bmp_word_extenders{
    [](const BreakRecord &r) { return r.word == WB_Extend || r.word == WB_Format; }};

// Below U+0300 the only one is the soft hyphen: text stored a byte a character and
// unaccented letters skip the bit.
template <class Unit>
constexpr bool is_bmp_word_extender(uint32_t cp) {
    return sizeof(Unit) > 1 && cp >= 0x300 && cp < 0x10000 && bmp_word_extenders(cp);
}

// The letters below U+10000 of each class, ALetter and Hebrew_Letter: after a letter of
// the same class, with no joiner between, each of them joins the word, so a word of them
// is read a bit a character. Hangul jamo make the longest such words; Latin, Cyrillic,
// Greek and pointed Hebrew ones gain too.
inline constexpr BmpSet bmp_word_letters{[](const BreakRecord &r) { return r.word == WB_ALetter; }};
inline constexpr BmpSet bmp_hebrew_letters{[](const BreakRecord &r) { return r.word == WB_Hebrew_Letter; }};

// After text[i], a letter of `letters` that joined its word: the index of the last of the
// letters of that set and the marks that follow and join it too (i itself where none
// follows). Out of line: the loop of word_end keeps every class it needs in registers.
template <class Unit>
[[gnu::noinline]] size_t letter_run(Text<Unit> text, size_t i, const BmpSet &letters) {
    while (i + 1 < text.length) {
        const uint32_t next = text[i + 1];
        if ((sizeof(Unit) < 4 || next < 0x10000) && letters(next)) {
            ++i;
        } else if (is_bmp_word_extender<Unit>(next)) {
            do ++i;
            while (i + 1 < text.length && is_bmp_word_extender<Unit>(text[i + 1]));
        } else {
            break;
        }
    }
    return i;
}

// The class of the first character at or after i that is not transparent; Other at the end.
template <class Unit>
unsigned next_word_class(Text<Unit> text, size_t i) {
    for (; i < text.length; ++i) {
        const unsigned c = break_record(text[i]).word;
        if (!is_word_ignorable(c)) return c;
    }
    return WB_Other;
}

// Between two classes of this set the pair alone decides, provided no joiner stands
// before the position: none of them is a line end, a space or punctuation inside a word
// or number, or a regional indicator. Most positions of running text are between two
// of them.
constexpr bool decided_by_pair(unsigned c) {
    return is_letter(c) || c == WB_Numeric || c == WB_Katakana || c == WB_ExtendNumLet || c == WB_Other ||
           c == WB_WSegSpace;
}

// 1 where such a pair joins, 0 where it breaks, -1 where the full rules must decide.
constexpr int word_pair(unsigned last, unsigned c) {
    if (!decided_by_pair(last) || !decided_by_pair(c)) return -1;
    if (last == WB_WSegSpace && c == WB_WSegSpace) return -1;  // joins only with no extender between
    const bool word_like = is_letter(last) || last == WB_Numeric;
    if (word_like && (is_letter(c) || c == WB_Numeric)) return 1;
    if (last == WB_Katakana && c == WB_Katakana) return 1;
    if (c == WB_ExtendNumLet && (word_like || last == WB_Katakana || last == WB_ExtendNumLet)) return 1;
    if (last == WB_ExtendNumLet && (is_letter(c) || c == WB_Numeric || c == WB_Katakana)) return 1;
    return 0;
}

// word_pair, and where a letter joins, 2 for ALetter and 3 for Hebrew_Letter: the letters
// of its class after it join as well.
constexpr int word_pair_or_run(unsigned last, unsigned c) {
    const int join = word_pair(last, c);
    if (join == 1 && c == WB_ALetter) return 2;
    if (join == 1 && c == WB_Hebrew_Letter) return 3;
    return join;
}

// word_pair_or_run for every pair of classes.
using WordPairTable = PairTable<int8_t, 32, word_pair_or_run>;
static_assert(WB_WSegSpace < WordPairTable::SIZE);
inline constexpr WordPairTable word_pair_table;

// Where the word piece that starts at `start` ends (start < text.length). A piece never
// depends on text before its start, so any boundary is a place to resume from.
template <class Unit>
size_t word_end(Text<Unit> text, size_t start) {
    unsigned raw = break_record(text[start]).word;  // the character just before i
    unsigned last = raw, before_last = WB_Other;     // the last two that are not transparent
    bool odd_indicators = last == WB_Regional_Indicator;
    for (size_t i = start + 1; i < text.length; ++i) {
        const uint32_t cp = text[i];
        if (is_bmp_word_extender<Unit>(cp) && !is_word_newline(raw)) {
            // Attaches to what precedes it, as below, and so do the marks after it.
            while (i + 1 < text.length && is_bmp_word_extender<Unit>(text[i + 1])) ++i;
            raw = WB_Extend;
            continue;
        }
        const BreakRecord &record = break_record(cp);
        const unsigned c = record.word;
        // The pair table decides no pair with a transparent character, so the pairs it
        // decides, most of them, skip the test below.
        const int decided = raw == WB_ZWJ ? -1 : word_pair_table(last, c);
        if (decided == 0) return i;
        if (decided > 0) {
            odd_indicators = false;
            before_last = last;
            last = raw = c;
            // last and raw stay c over the run: the rules read raw only for a line end, a
            // joiner or a space, and before_last only where last is punctuation.
            if (decided > 1) i = letter_run(text, i, decided == 2 ? bmp_word_letters : bmp_hebrew_letters);
            continue;
        }
        // A transparent character attaches to what precedes it unless that is a line end.
        if (is_word_ignorable(c) && !is_word_newline(raw)) {
            raw = c;
            continue;
        }
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
