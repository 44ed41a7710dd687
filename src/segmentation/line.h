// Line-break opportunities. The text is read as a sequence of units, a character with
// the marks and joiners that attach to it; the rules look at the unit left of a
// position, a few units before it (across spaces where a rule says so) and at most two
// units after it.
#pragma once

#include <cstdint>

#include "classes.h"

namespace charlore::segmentation {

constexpr uint32_t DOTTED_CIRCLE = 0x25CC;

// What the rules need to know of one unit.
struct LineUnit {
    uint8_t cls = LB_XX;  // LB_XX: no unit (the start of the text)
    uint16_t flags = 0;
    bool dotted_circle = false;
};

constexpr bool is_hard_break(unsigned c) { return c == LB_BK || c == LB_CR || c == LB_LF || c == LB_NL; }
constexpr bool is_attached(unsigned c) { return c == LB_CM || c == LB_ZWJ; }
constexpr bool is_letter_class(unsigned c) { return c == LB_AL || c == LB_HL; }
constexpr bool is_east_asian(const LineUnit &u) { return (u.flags & EAST_ASIAN_FWH) != 0; }
constexpr bool is_aksara_base(const LineUnit &u) { return u.cls == LB_AK || u.cls == LB_AS || u.dotted_circle; }
constexpr bool is_hangul(unsigned c) {
    return c == LB_JL || c == LB_JV || c == LB_JT || c == LB_H2 || c == LB_H3;
}

// The unit that the character cp starts; a mark that starts a unit (after a space, a
// break or at the start) breaks like a letter.
inline LineUnit unit_of(uint32_t cp, const BreakRecord &r) {
    return LineUnit{is_attached(r.line) ? static_cast<uint8_t>(LB_AL) : r.line, r.flags, cp == DOTTED_CIRCLE};
}

// The unit that starts at i, and where the next one starts.
template <class Unit>
LineUnit line_unit_at(Text<Unit> text, size_t i, size_t *next) {
    const uint32_t cp = text[i];
    const BreakRecord &r = break_record(cp);
    const LineUnit u = unit_of(cp, r);
    size_t j = i + 1;
    if (r.line != LB_SP && r.line != LB_ZW && !is_hard_break(r.line))
        while (j < text.length && is_attached(break_record(text[j]).line)) ++j;
    *next = j;
    return u;
}

// The unit after the one that starts at i; cls LB_XX at the end of the text.
template <class Unit>
LineUnit line_unit_after(Text<Unit> text, size_t i, size_t *next) {
    size_t j;
    line_unit_at(text, i, &j);
    *next = j;
    if (j >= text.length) return LineUnit{};
    return line_unit_at(text, j, next);
}

constexpr uint64_t class_bit(unsigned c) { return uint64_t{1} << c; }

// Letters, numbers, ideographs, Hangul, spaces and glue (no-break spaces, combining
// double marks): between two of these, with no joiner before the position, the two
// classes alone decide (after a space, with the unit before the spaces), and reading one
// changes the left context in the same simple way. Most of the characters of running
// text are in this set.
constexpr uint64_t PLAIN_CLASSES = class_bit(LB_AL) | class_bit(LB_HL) | class_bit(LB_NU) | class_bit(LB_ID) |
                                   class_bit(LB_H2) | class_bit(LB_H3) | class_bit(LB_JL) | class_bit(LB_JV) |
                                   class_bit(LB_JT) | class_bit(LB_SP) | class_bit(LB_GL);
constexpr bool is_plain(unsigned c) { return (PLAIN_CLASSES >> c) & 1; }

// Infix separators (full stop, comma, colon), exclamation and question marks, closing
// punctuation (the ideographic comma and full stop among them) and the characters that
// never start a line (small kana, iteration marks): no break comes before one that does
// not follow a space, so after letters, numbers and the rest of the plain classes they
// continue a run of them.
constexpr uint64_t RUN_PUNCTUATION = class_bit(LB_IS) | class_bit(LB_EX) | class_bit(LB_CL) | class_bit(LB_NS);

// A separator or closing punctuation after a number keeps the number going for the
// rules after it (a percent sign after "5." or "(5)" holds to it). A run keeps no
// number state of its own: after a number, or while one goes on where a run would
// start, these end it.
constexpr uint64_t NUMBER_PUNCTUATION = class_bit(LB_IS) | class_bit(LB_CL);

// For each class, the classes after it that continue a run of plain units (see
// plain_run); none for a class that ends or cannot start one. After a space only plain
// classes do: a separator there looks at what follows it, and a break after a
// zero-width space and spaces must stand before any of them.
constexpr uint64_t run_after(unsigned l) {
    if (l == LB_SP) return PLAIN_CLASSES;
    if (l == LB_NU) return (PLAIN_CLASSES | RUN_PUNCTUATION) & ~NUMBER_PUNCTUATION;
    if (is_plain(l) || ((RUN_PUNCTUATION >> l) & 1)) return PLAIN_CLASSES | RUN_PUNCTUATION;
    return 0;
}

// For each class of a run, the classes after it with no break: letters and numbers hold
// together, Hangul jamo join into syllables, glue holds to both sides (but a space before
// it still breaks), no break comes before a space nor before punctuation that continues
// the run, and a letter or number after a separator holds to it.
constexpr uint64_t plain_no_break_after(unsigned l) {
    const uint64_t letters_numbers = class_bit(LB_AL) | class_bit(LB_HL) | class_bit(LB_NU);
    if (l == LB_GL) return PLAIN_CLASSES | RUN_PUNCTUATION;
    uint64_t held = class_bit(LB_SP);
    if (l != LB_SP) held |= class_bit(LB_GL) | RUN_PUNCTUATION;
    if (l == LB_AL || l == LB_HL || l == LB_NU || l == LB_IS) held |= letters_numbers;
    if (l == LB_JL) held |= class_bit(LB_JL) | class_bit(LB_JV) | class_bit(LB_H2) | class_bit(LB_H3);
    if (l == LB_JV || l == LB_H2) held |= class_bit(LB_JV) | class_bit(LB_JT);
    if (l == LB_JT || l == LB_H3) held |= class_bit(LB_JT);
    return held;
}

// The line class of every character below U+10000, a byte each: the scan over a run of
// plain units reads one byte a character instead of the three loads of its break record.
struct BmpLineClasses {
    uint8_t classes[0x10000] = {};
    constexpr BmpLineClasses() {
        for (uint32_t cp = 0; cp < 0x10000; ++cp) classes[cp] = break_record(cp).line;
    }
};
inline constexpr BmpLineClasses bmp_line_classes;

template <class Unit>
unsigned line_class(uint32_t cp) {
    if constexpr (sizeof(Unit) < 4) return bmp_line_classes.classes[cp];
    return cp < 0x10000 ? bmp_line_classes.classes[cp] : break_record(cp).line;
}

struct PlainPairs {
    uint64_t run_after[LINE_CLASSES] = {};
    uint64_t no_break_after[LINE_CLASSES] = {};
    constexpr PlainPairs() {
        for (unsigned l = 0; l < LINE_CLASSES; ++l) {
            run_after[l] = segmentation::run_after(l);
            if (run_after[l] != 0) no_break_after[l] = plain_no_break_after(l);
        }
    }
};
inline constexpr PlainPairs plain_pairs;

// The opportunities of a text go out in batches: entries offset * 2 + mandatory, handed
// to flush(entries, count) whenever LINE_BATCH of them are ready and at the end.
constexpr size_t LINE_BATCH = 256;

// The left context of a position and the rules that decide it; one pass over the text.
template <class Unit>
class LineBreaker {
public:
    explicit LineBreaker(Text<Unit> text) : text_(text) {}

    // Hands every opportunity in increasing order to flush (see LINE_BATCH), the end of a
    // non-empty text last.
    template <class Flush>
    void run(Flush &&flush) {
        if (text_.length == 0) return;
        for (size_t i = 0; i < text_.length; ++i) {
            const uint32_t cp = text_[i];
            const BreakRecord &record = break_record(cp);
            const unsigned raw = record.line;
            if (((plain_pairs.run_after[left_.cls] >> raw) & 1) && raw_left_ != LB_ZWJ &&
                !(number_ && ((NUMBER_PUNCTUATION >> raw) & 1))) {
                i = plain_run(i, flush) - 1;
                continue;
            }
            const bool attaches = is_attached(raw) && left_.cls != LB_XX && left_.cls != LB_SP &&
                                  left_.cls != LB_ZW && !is_hard_break(left_.cls);
            if (attaches) {  // a mark or joiner that attaches never starts a line; nor do those after it
                unsigned last = raw;
                for (unsigned next; i + 1 < text_.length && is_attached(next = break_record(text_[i + 1]).line); ++i)
                    last = next;
                raw_left_ = last;
                continue;
            }
            const LineUnit unit = unit_of(cp, record);
            if (i > 0) {
                const int decision = explicit_rules(raw);  // 2 mandatory, 1 break, 0 no break, -1 undecided
                if (decision == 2) add(i, true, flush);
                else if (decision == 1 || (decision < 0 && pair_rules(i, unit))) add(i, false, flush);
            }
            raw_left_ = raw;
            start_unit(unit);
        }
        add(text_.length, true, flush);
        if (count_ > 0) flush(static_cast<const uint64_t *>(batch_), count_);
    }

private:
    // Mandatory breaks (2), spaces, zero-width space and attached marks.
    int explicit_rules(unsigned raw) const {
        if (raw_left_ == LB_CR && raw == LB_LF) return 0;
        if (is_hard_break(raw_left_)) return 2;
        if (is_hard_break(raw) || raw == LB_SP || raw == LB_ZW) return 0;
        if (before_spaces_.cls == LB_ZW && (left_.cls == LB_ZW || left_.cls == LB_SP)) return 1;
        if (raw_left_ == LB_ZWJ) return 0;
        return -1;
    }

    // The rules between the unit left of position i and the unit that starts there.
    bool pair_rules(size_t i, const LineUnit &right) const {
        const unsigned l = left_.cls, r = right.cls;
        // Letters next to letters, the common case: no earlier rule can apply to them.
        if (is_letter_class(l) && is_letter_class(r)) return false;
        const bool after_space = l == LB_SP;
        if (l == LB_WJ || r == LB_WJ) return false;
        if (l == LB_GL) return false;
        if (r == LB_GL && l != LB_SP && l != LB_HY && l != LB_HH) return false;
        if (r == LB_CL || r == LB_CP || r == LB_EX || r == LB_SY) return false;
        if (before_spaces_.cls == LB_OP) return false;  // OP SP* ×
        if (open_quote_) return false;                  // an opening quotation mark SP* ×
        if (r == LB_QU && (right.flags & FINAL_PUNCTUATION)) {
            size_t next;
            const unsigned n = line_unit_after(text_, i, &next).cls;
            if (n == LB_XX || n == LB_SP || n == LB_GL || n == LB_WJ || n == LB_CL || n == LB_QU || n == LB_CP ||
                n == LB_EX || n == LB_IS || n == LB_SY || n == LB_ZW || is_hard_break(n))
                return false;
        }
        if (after_space && r == LB_IS) {
            size_t next;
            if (line_unit_after(text_, i, &next).cls == LB_NU) return true;
        }
        if (r == LB_IS) return false;
        if ((before_spaces_.cls == LB_CL || before_spaces_.cls == LB_CP) && r == LB_NS) return false;
        if (before_spaces_.cls == LB_B2 && r == LB_B2) return false;
        if (after_space) return true;
        if (r == LB_QU && !(right.flags & INITIAL_PUNCTUATION)) return false;
        if (l == LB_QU && !(left_.flags & FINAL_PUNCTUATION)) return false;
        if (r == LB_QU) {
            if (!is_east_asian(left_)) return false;
            size_t next;
            const LineUnit n = line_unit_after(text_, i, &next);
            if (n.cls == LB_XX || !is_east_asian(n)) return false;
        }
        if (l == LB_QU && (!is_east_asian(right) || before_left_.cls == LB_XX || !is_east_asian(before_left_)))
            return false;
        if (r == LB_CB || l == LB_CB) return true;
        if (hyphen_after_break_ && is_letter_class(r)) return false;
        if (r == LB_BA || r == LB_HH || r == LB_HY || r == LB_NS || l == LB_BB) return false;
        if ((l == LB_HY || l == LB_HH) && before_left_.cls == LB_HL && r != LB_HL) return false;
        if (l == LB_SY && r == LB_HL) return false;
        if (r == LB_IN) return false;
        if ((is_letter_class(l) && r == LB_NU) || (l == LB_NU && is_letter_class(r))) return false;
        if (l == LB_PR && (r == LB_ID || r == LB_EB || r == LB_EM)) return false;
        if ((l == LB_ID || l == LB_EB || l == LB_EM) && r == LB_PO) return false;
        if ((l == LB_PR || l == LB_PO) && is_letter_class(r)) return false;
        if (is_letter_class(l) && (r == LB_PR || r == LB_PO)) return false;
        if (numeric_rules(i, l, r)) return false;
        if (l == LB_JL && (r == LB_JL || r == LB_JV || r == LB_H2 || r == LB_H3)) return false;
        if ((l == LB_JV || l == LB_H2) && (r == LB_JV || r == LB_JT)) return false;
        if ((l == LB_JT || l == LB_H3) && r == LB_JT) return false;
        if (is_hangul(l) && r == LB_PO) return false;
        if (l == LB_PR && is_hangul(r)) return false;
        if (is_letter_class(l) && is_letter_class(r)) return false;
        if (aksara_rules(i, right)) return false;
        if (l == LB_IS && is_letter_class(r)) return false;
        if ((is_letter_class(l) || l == LB_NU) && r == LB_OP && !is_east_asian(right)) return false;
        if (l == LB_CP && !is_east_asian(left_) && (is_letter_class(r) || r == LB_NU)) return false;
        if (l == LB_RI && r == LB_RI && odd_indicators_) return false;
        if (r == LB_EM && (l == LB_EB || ((left_.flags & EXTENDED_PICTOGRAPHIC) && (left_.flags & UNASSIGNED))))
            return false;
        return true;
    }

    // Numbers with their prefixes, suffixes, separators and closing punctuation.
    bool numeric_rules(size_t i, unsigned l, unsigned r) const {
        if ((number_ || number_closed_) && (r == LB_PO || r == LB_PR)) return true;
        if ((l == LB_PO || l == LB_PR) && r == LB_OP) {
            size_t next;
            LineUnit n = line_unit_after(text_, i, &next);
            if (n.cls == LB_IS && next < text_.length) n = line_unit_at(text_, next, &next);
            if (n.cls == LB_NU) return true;
        }
        if ((l == LB_PO || l == LB_PR || l == LB_HY || l == LB_IS) && r == LB_NU) return true;
        return number_ && r == LB_NU;
    }

    // Orthographic syllables of the Brahmic scripts written with aksara classes.
    bool aksara_rules(size_t i, const LineUnit &right) const {
        const unsigned l = left_.cls, r = right.cls;
        if (l == LB_AP && is_aksara_base(right)) return true;
        if (is_aksara_base(left_) && (r == LB_VF || r == LB_VI)) return true;
        if (l == LB_VI && is_aksara_base(before_left_) && (r == LB_AK || right.dotted_circle)) return true;
        if (is_aksara_base(left_) && is_aksara_base(right)) {
            size_t next;
            if (line_unit_after(text_, i, &next).cls == LB_VF) return true;
        }
        return false;
    }

    void start_unit(const LineUnit &unit) {
        const unsigned l = left_.cls;
        hyphen_after_break_ = (unit.cls == LB_HY || unit.cls == LB_HH) &&
                              (l == LB_XX || l == LB_SP || l == LB_ZW || l == LB_CB || l == LB_GL || is_hard_break(l));
        if (unit.cls != LB_SP) {
            open_quote_ = unit.cls == LB_QU && (unit.flags & INITIAL_PUNCTUATION) &&
                          (l == LB_XX || is_hard_break(l) || l == LB_OP || l == LB_QU || l == LB_GL || l == LB_SP ||
                           l == LB_ZW);
            before_spaces_ = unit;
        }
        if (unit.cls == LB_NU) {
            number_ = true;
            number_closed_ = false;
        } else if (number_ && (unit.cls == LB_SY || unit.cls == LB_IS)) {
        } else if (number_ && (unit.cls == LB_CL || unit.cls == LB_CP)) {
            number_ = false;
            number_closed_ = true;
        } else {
            number_ = number_closed_ = false;
        }
        odd_indicators_ = unit.cls == LB_RI && !odd_indicators_;
        before_left_ = left_;
        left_ = unit;
    }

    template <class Flush>
    void add(size_t offset, bool mandatory, Flush &flush) {
        batch_[count_++] = offset * 2 + mandatory;
        if (count_ == LINE_BATCH) {
            flush(static_cast<const uint64_t *>(batch_), count_);
            count_ = 0;
        }
    }

    // Reads the units of a run from i on (plain units and the punctuation that continues
    // them, see run_after), left of which stands a unit that the character at i
    // continues, with no joiner after it, and the marks that attach to them (a joiner
    // ends the run); returns where the run ends. The loop keeps only the left class and
    // where the last units stand, and builds the rules' context once at the end: it runs
    // over most of a text.
    template <class Flush>
    size_t plain_run(size_t start, Flush &flush) {
        unsigned left = left_.cls;
        // After spaces, an opening punctuation or quotation before them still holds.
        bool spaces_hold = before_spaces_.cls == LB_OP || open_quote_;
        // Where the last two units and the last unit that is not a space start; SIZE_MAX
        // for none inside the run.
        size_t last = SIZE_MAX, before_last = SIZE_MAX, solid = SIZE_MAX;
        size_t i = start;
        // Copies that the batch's stores cannot touch: the loop keeps them in registers.
        const Text<Unit> text = text_;
        size_t count = count_;
        for (; i < text.length; ++i) {
            const unsigned raw = line_class<Unit>(text[i]);
            if (raw == LB_CM) {
                if (left == LB_SP) break;  // a mark after a space starts a unit of its own
                // Marks attach to the unit before them, and glue among them (combining
                // double marks) holds to both sides and takes the marks after it: a long
                // run of both is read without a branch on which of the two comes next.
                constexpr uint64_t marks_glue = class_bit(LB_CM) | class_bit(LB_GL);
                size_t glue = 0;  // where the last glue character stands, 0 for none
                // One index, the unit after the run's last: i follows from it at the end
                // (counting both cost the loop an instruction a mark in some builds).
                size_t j = i + 1;
                for (; j < text.length; ++j) {
                    const unsigned next = line_class<Unit>(text[j]);
                    if (!((marks_glue >> next) & 1)) break;
                    glue = next == LB_GL ? j : glue;
                }
                i = j - 1;
                if (glue != 0) {
                    // The last glue character is now the unit left of the position. No
                    // rule looks past glue at the unit before it, so the one before the
                    // marks stands for it.
                    before_last = last;
                    last = solid = glue;
                    left = LB_GL;
                    spaces_hold = false;
                }
                continue;
            }
            if (!((plain_pairs.run_after[left] >> raw) & 1)) break;
            const bool held = ((plain_pairs.no_break_after[left] >> raw) & 1) || (spaces_hold && left == LB_SP);
            if (!held) {
                batch_[count++] = i * 2;
                if (count == LINE_BATCH) {
                    flush(static_cast<const uint64_t *>(batch_), count);
                    count = 0;
                }
            }
            if (raw != LB_SP) {
                spaces_hold = false;
                solid = i;
            }
            before_last = last;
            last = i;
            left = raw;
        }
        count_ = count;
        // What start_unit leaves after plain units: no hyphen, quotation, indicator or
        // number punctuation to carry on.
        hyphen_after_break_ = false;
        if (solid != SIZE_MAX) {
            open_quote_ = false;
            before_spaces_ = plain_unit(solid);
        }
        number_ = left == LB_NU;
        number_closed_ = false;
        odd_indicators_ = false;
        if (last != SIZE_MAX) {
            before_left_ = before_last != SIZE_MAX ? plain_unit(before_last) : left_;
            left_ = plain_unit(last);
        }
        raw_left_ = break_record(text_[i - 1]).line;
        return i;
    }

    LineUnit plain_unit(size_t i) const {
        const uint32_t cp = text_[i];
        const BreakRecord &r = break_record(cp);
        return LineUnit{r.line, r.flags, cp == DOTTED_CIRCLE};
    }

    Text<Unit> text_;
    LineUnit left_, before_left_;   // the unit left of the position, and the one before it
    LineUnit before_spaces_;        // the last unit that is not a space
    bool open_quote_ = false;       // before_spaces_ opens a quotation after a break, space or opening
    bool hyphen_after_break_ = false;
    bool number_ = false, number_closed_ = false;  // left ends NU (SY|IS)*, or NU (SY|IS)* (CL|CP)
    bool odd_indicators_ = false;
    unsigned raw_left_ = LB_XX;     // the class of the character just before the position
    size_t count_ = 0;              // entries in batch_
    uint64_t batch_[LINE_BATCH];    // offset * 2 + mandatory
};

}  // namespace charlore::segmentation
