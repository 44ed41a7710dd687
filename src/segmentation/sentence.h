// Sentence boundaries. Format and extending characters are transparent; a sentence ends
// after a terminator, its closing punctuation, spaces and at most one paragraph
// separator, unless what follows shows that the terminator did not end it.
#pragma once

#include "classes.h"

namespace charlore::segmentation {

constexpr bool is_paragraph_separator(unsigned c) { return c == SB_Sep || c == SB_CR || c == SB_LF; }
constexpr bool is_terminator(unsigned c) { return c == SB_ATerm || c == SB_STerm; }

// Whether a lowercase letter follows at or after i before anything that could start or
// end a sentence: then a full stop before i was not the end of one.
template <class Unit>
bool lowercase_follows(Text<Unit> text, size_t i) {
    for (; i < text.length; ++i) {
        const unsigned c = break_record(text[i]).sentence;
        if (c == SB_Lower) return true;
        if (c == SB_OLetter || c == SB_Upper || is_paragraph_separator(c) || is_terminator(c)) return false;
    }
    return false;
}

// Whether the last character of text[start, terminator) that is neither Extend nor Format
// is an uppercase or lowercase letter (false if there is none): after such a letter, a
// full stop followed by an uppercase letter is an abbreviation's. Asked only when an
// uppercase letter follows a full stop, so most sentences never read back.
template <class Unit>
bool letter_before(Text<Unit> text, size_t start, size_t terminator) {
    for (size_t k = terminator; k > start;) {
        const unsigned c = break_record(text[--k]).sentence;
        if (c != SB_Extend && c != SB_Format) return c == SB_Upper || c == SB_Lower;
    }
    return false;
}

// The first character at or after i that could end a sentence, a terminator or a
// paragraph separator; text.length if none. Inside a sentence nothing else matters, and
// most of a text is inside one.
constexpr bool may_end_sentence(unsigned c) { return is_terminator(c) || is_paragraph_separator(c); }

// may_end_sentence of every code point below U+10000: the scan inside a sentence reads
// one bit a character instead of the break record.
inline constexpr BmpSet bmp_stops{[](const BreakRecord &r) { return may_end_sentence(r.sentence); }};

// next_terminator_or_separator of text stored 4 bytes a character. Out of line: the loop
// is then laid out on its own, not wherever the sentence scan's code puts it, where it
// can straddle one more fetch block and run 12 % slower.
[[gnu::noinline]] inline size_t next_wide_terminator_or_separator(Text<uint32_t> text, size_t i) {
    for (; i < text.length; ++i) {
        const uint32_t cp = text[i];
        if (cp < 0x10000 ? bmp_stops(cp) : may_end_sentence(break_record(cp).sentence)) break;
    }
    return i;
}

template <class Unit>
size_t next_terminator_or_separator(Text<Unit> text, size_t i) {
    if constexpr (sizeof(Unit) <= 2) {
        while (i < text.length && !bmp_stops(text[i])) ++i;
        return i;
    } else {
        return next_wide_terminator_or_separator(text, i);
    }
}

// Where the sentence that starts at `start` ends (start < text.length). A sentence never
// depends on text before its start, so any boundary is a place to resume from.
template <class Unit>
size_t sentence_end(Text<Unit> text, size_t start) {
    enum Phase { IN_SENTENCE, AFTER_TERMINATOR, AFTER_SPACE };  // terminator Close*, then Sp+
    unsigned raw = break_record(text[start]).sentence;
    unsigned last = raw;
    size_t terminator = start;  // the position of the last terminator, if any
    Phase phase = is_terminator(last) ? AFTER_TERMINATOR : IN_SENTENCE;
    bool full_stop = last == SB_ATerm;
    for (size_t i = start + 1; i < text.length; ++i) {
        if (phase == IN_SENTENCE && !is_paragraph_separator(raw)) {
            const size_t stop = next_terminator_or_separator(text, i);
            if (stop > i) {
                // The skipped characters join. The rules below need to know that none was
                // a separator or a terminator, and so is `last` (inside a sentence it is
                // never a terminator); what letter came before a full stop is read back
                // only where it decides.
                raw = SB_Other;
                i = stop;
                if (i == text.length) break;
            }
        }
        const unsigned c = break_record(text[i]).sentence;
        if (raw == SB_CR && c == SB_LF) {
            raw = last = c;
            continue;
        }
        if (is_paragraph_separator(raw)) return i;
        if (c == SB_Extend || c == SB_Format) {
            raw = c;
            continue;
        }
        bool join;
        if (last == SB_ATerm && c == SB_Numeric) {
            join = true;
        } else if (last == SB_ATerm && c == SB_Upper && letter_before(text, start, terminator)) {
            join = true;
        } else if (phase == IN_SENTENCE) {
            join = true;
        } else if (c == SB_SContinue || is_terminator(c)) {
            join = true;
        } else if (c == SB_Sp || is_paragraph_separator(c) || (phase == AFTER_TERMINATOR && c == SB_Close)) {
            join = true;
        } else {
            // Only a full stop can be followed by lowercase text that continues the sentence.
            join = full_stop && lowercase_follows(text, i);
        }
        if (!join) return i;
        if (is_terminator(c)) {
            terminator = i;
            full_stop = c == SB_ATerm;
            phase = AFTER_TERMINATOR;
        } else if (!((phase == AFTER_TERMINATOR && c == SB_Close) || (phase != IN_SENTENCE && c == SB_Sp))) {
            phase = IN_SENTENCE;
        } else if (c == SB_Sp) {
            phase = AFTER_SPACE;
        }
        raw = last = c;
    }
    return text.length;
}

}  // namespace charlore::segmentation
