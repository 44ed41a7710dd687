// Extended grapheme clusters: where a user-perceived character ends. The pair rules are
// a table of the two classes; what looks further back (emoji ZWJ sequences, Indic
// conjuncts after a linker, regional-indicator pairs) is read back where such a
// character comes, or carried along the cluster by a pass that reads every character
// anyway (width).
#pragma once

#include "classes.h"

namespace charlore::segmentation {

// Whether a cluster boundary stands between a character of class `left` and one of
// `right`, by the rules that look at the pair alone; `Undecided` where a longer context
// decides (GB9c, GB11, GB12/13).
enum class PairRule { Break, Join, Undecided };

constexpr PairRule grapheme_pair(unsigned left, unsigned right) {
    if (left == GB_CR && right == GB_LF) return PairRule::Join;
    if (left == GB_CR || left == GB_LF || left == GB_Control) return PairRule::Break;
    if (right == GB_CR || right == GB_LF || right == GB_Control) return PairRule::Break;
    switch (left) {
    case GB_L:
        if (right == GB_L || right == GB_V || right == GB_LV || right == GB_LVT) return PairRule::Join;
        break;
    case GB_LV:
    case GB_V:
        if (right == GB_V || right == GB_T) return PairRule::Join;
        break;
    case GB_LVT:
    case GB_T:
        if (right == GB_T) return PairRule::Join;
        break;
    default:
        break;
    }
    if (right == GB_Extend || right == GB_ZWJ || right == GB_SpacingMark) return PairRule::Join;
    if (left == GB_Prepend) return PairRule::Join;
    return PairRule::Undecided;
}

// grapheme_pair for every pair of classes.
using GraphemePairTable = PairTable<PairRule, 16, grapheme_pair>;
static_assert(GB_LVT < GraphemePairTable::SIZE);
inline constexpr GraphemePairTable grapheme_pair_table;

// Whether text[i] joins the cluster [start, i) by the rules that look further back than
// the pair: a pictograph after a ZWJ that follows a pictograph and its extenders, a
// consonant after a linker among conjunct extenders, the second of a pair of regional
// indicators. Read back from i only when the character at i could be one of those,
// never past the start of the cluster; what is read back belongs to this one rule, so
// the whole scan stays linear.
template <class Unit>
bool joins_by_context(Text<Unit> text, size_t start, size_t i, const BreakRecord &left, const BreakRecord &right) {
    if ((right.flags & EXTENDED_PICTOGRAPHIC) && left.grapheme == GB_ZWJ) {
        for (size_t k = i - 1; k > start;) {
            const BreakRecord &r = break_record(text[--k]);
            if (r.flags & EXTENDED_PICTOGRAPHIC) return true;
            if (r.grapheme != GB_Extend) return false;
        }
        return false;
    }
    if (conjunct_class(right) == INCB_Consonant) {
        bool linker = false;
        for (size_t k = i; k > start;) {
            const unsigned incb = conjunct_class(break_record(text[--k]));
            if (incb == INCB_Linker) linker = true;
            else if (incb != INCB_Extend) break;
        }
        return linker;
    }
    if (right.grapheme == GB_Regional_Indicator) {
        size_t indicators = 0;
        for (size_t k = i; k > start && break_record(text[k - 1]).grapheme == GB_Regional_Indicator; --k) ++indicators;
        return indicators % 2 == 1;
    }
    return false;
}

// What the rules that look further back than the pair know of the cluster so far, for a
// pass that carries it along instead of reading back.
class ClusterContext {
public:
    explicit ClusterContext(const BreakRecord &first) { start(first); }

    // A new cluster that begins with `first`.
    void start(const BreakRecord &first) {
        emoji_ = (first.flags & EXTENDED_PICTOGRAPHIC) ? 1 : 0;
        linked_ = conjunct_class(first) == INCB_Linker;
        odd_indicators_ = first.grapheme == GB_Regional_Indicator;
    }

    // Whether `right` joins the cluster whose last character is `left`.
    bool joins(const BreakRecord &left, const BreakRecord &right) const {
        const PairRule rule = grapheme_pair_table(left.grapheme, right.grapheme);
        if (rule != PairRule::Undecided) return rule == PairRule::Join;
        return (emoji_ == 2 && (right.flags & EXTENDED_PICTOGRAPHIC)) ||
               (linked_ && conjunct_class(right) == INCB_Consonant) ||
               (odd_indicators_ && right.grapheme == GB_Regional_Indicator);
    }

    // Carries the context past `right`, which joined the cluster.
    void join(const BreakRecord &right) {
        const unsigned incb = conjunct_class(right);
        if (right.flags & EXTENDED_PICTOGRAPHIC)
            emoji_ = 1;
        else if (emoji_ == 1 && right.grapheme == GB_ZWJ)
            emoji_ = 2;
        else if (!(emoji_ == 1 && right.grapheme == GB_Extend))
            emoji_ = 0;
        linked_ = incb == INCB_Linker || (linked_ && incb == INCB_Extend);
        odd_indicators_ = right.grapheme == GB_Regional_Indicator && !odd_indicators_;
    }

private:
    int emoji_;            // after Extended_Pictographic Extend*: 1; and then ZWJ: 2
    bool linked_;          // after an InCB linker and InCB extenders: a consonant joins
    bool odd_indicators_;  // an odd number of regional indicators so far
};

// Below U+0300 no character joins another except CR LF.
constexpr uint32_t FIRST_JOINING = 0x300;

// The extenders below U+10000, which join anything but a control, CR or LF: inside a
// cluster a mark needs only its bit. After one, the scan goes on with the record of
// U+0300 as the left character: the rules after an extender look at no more of it
// than its class.
inline constexpr BmpSet bmp_extenders{[](const BreakRecord &r) { return r.grapheme == GB_Extend; }};
inline constexpr const BreakRecord &EXTENDER_RECORD = break_record(0x300);
static_assert(EXTENDER_RECORD.grapheme == GB_Extend);

// Below U+0300 there are none: text stored a byte a character and unaccented letters
// skip the bit.
template <class Unit>
constexpr bool is_bmp_extender(uint32_t cp) {
    return sizeof(Unit) > 1 && cp >= FIRST_JOINING && cp < 0x10000 && bmp_extenders(cp);
}

// is_bmp_extender inside a run of marks, where nearly every character is one: in text
// stored 2 bytes a character the bit alone answers (none is set below U+0300), without
// the range checks that spare unaccented letters the lookup.
template <class Unit>
constexpr bool continues_extenders(uint32_t cp) {
    if constexpr (sizeof(Unit) == 2) return bmp_extenders(cp);
    return is_bmp_extender<Unit>(cp);
}
static_assert([] {
    for (uint32_t cp = 0; cp < FIRST_JOINING; ++cp)
        if (bmp_extenders(cp)) return false;
    return true;
}());

constexpr bool is_control_class(unsigned c) { return c == GB_CR || c == GB_LF || c == GB_Control; }

// The characters below U+10000 between two of which a boundary always stands, whatever
// comes before: letters, ideographs and Hangul syllables (class Other, LV or LVT), and LF
// and controls, none of them an InCB linker or extender. No pair rule joins two of those
// classes, and each rule that looks further back needs a joiner, a linker or a regional
// indicator left of the position. Most clusters of running text are one such character.
constexpr bool is_lone_class(unsigned c) {
    return c == GB_Other || c == GB_LV || c == GB_LVT || c == GB_LF || c == GB_Control;
}
constexpr bool is_lone_record(const BreakRecord &r) {
    const unsigned incb = conjunct_class(r);
    return is_lone_class(r.grapheme) && incb != INCB_Linker && incb != INCB_Extend;
}
inline constexpr BmpSet bmp_lone{is_lone_record};
static_assert([] {
    for (unsigned l = 0; l < GraphemePairTable::SIZE; ++l)
        for (unsigned r = 0; r < GraphemePairTable::SIZE; ++r)
            if (is_lone_class(l) && is_lone_class(r) && grapheme_pair(l, r) == PairRule::Join) return false;
    return true;
}());

// Below U+0300 every character but CR is one of them.
template <class Unit>
constexpr bool is_lone(uint32_t cp) {
    if (cp < FIRST_JOINING) return cp != '\r';
    return sizeof(Unit) > 1 && cp < 0x10000 && bmp_lone(cp);
}

// Where the cluster that starts at `start` ends (start < text.length). Clusters never
// depend on text before their start, so any boundary is a place to resume from. `first`
// is the record of text[start] if the caller has it (else nullptr); *after receives the
// record of text[end] where it was read (else nullptr), so that a scan over many clusters
// looks each character up once.
template <class Unit>
size_t grapheme_end(Text<Unit> text, size_t start, const BreakRecord *first, const BreakRecord **after) {
    *after = nullptr;
    const BreakRecord *left = first != nullptr ? first : &break_record(text[start]);
    for (size_t i = start + 1; i < text.length; ++i) {
        const uint32_t cp = text[i];
        if (is_bmp_extender<Unit>(cp) && !is_control_class(left->grapheme)) {
            while (i + 1 < text.length && continues_extenders<Unit>(text[i + 1])) ++i;
            left = &EXTENDER_RECORD;
            continue;
        }
        const BreakRecord *right = &break_record(cp);
        PairRule rule = grapheme_pair_table(left->grapheme, right->grapheme);
        if (rule == PairRule::Undecided)
            rule = joins_by_context(text, start, i, *left, *right) ? PairRule::Join : PairRule::Break;
        if (rule == PairRule::Break) {
            *after = right;
            return i;
        }
        left = right;
    }
    return text.length;
}

template <class Unit>
size_t grapheme_end(Text<Unit> text, size_t start) {
    // Latin, Cyrillic, Greek, CJK and Hangul syllable text needs no lookup.
    if (start + 1 == text.length || (is_lone<Unit>(text[start]) && is_lone<Unit>(text[start + 1])))
        return start + 1;
    const BreakRecord *after;
    return grapheme_end(text, start, nullptr, &after);
}

// The clusters of a text one after another, each character looked up once.
template <class Unit>
class GraphemeScan {
public:
    explicit GraphemeScan(Text<Unit> text) : text_(text) {}
    // The end of the cluster that starts at `start`, the end of the previous one.
    size_t operator()(size_t start) {
        // A cluster of one lone character is the common case: it is decided here, and
        // what it learned of the next character is kept for the next call.
        if (start + 1 == text_.length) return start + 1;
        // Below U+0100 only CR LF joins.
        if constexpr (sizeof(Unit) == 1) return start + (text_[start] == '\r' && text_[start + 1] == '\n' ? 2 : 1);
        if (next_lone_ || is_lone<Unit>(text_[start])) {
            next_lone_ = is_lone<Unit>(text_[start + 1]);
            if (next_lone_) {
                next_ = nullptr;
                return start + 1;
            }
        }
        next_lone_ = false;
        return grapheme_end(text_, start, next_, &next_);
    }

private:
    Text<Unit> text_;
    const BreakRecord *next_ = nullptr;  // the record of the character at the next start
    bool next_lone_ = false;              // whether that character is known to be lone
};

}  // namespace charlore::segmentation
