// The segmentation and width queries of the module: graphemes, words, sentences,
// line_breaks and width. Each reads the str in place and allocates only its result.
#include "queries.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <utility>

#include "grapheme.h"
#include "line.h"
#include "sentence.h"
#include "width.h"
#include "word.h"

namespace charlore::segmentation {
namespace {

// Calls f(Text<Unit>) for the str's storage; nullptr with TypeError for anything else.
template <class F>
PyObject *with_text(PyObject *argument, const char *format, F &&f) {
    PyObject *s;
    if (!PyArg_Parse(argument, format, &s)) return nullptr;
#if PY_VERSION_HEX < 0x030C0000
    if (PyUnicode_READY(s) < 0) return nullptr;
#endif
    const size_t length = static_cast<size_t>(PyUnicode_GET_LENGTH(s));
    const void *data = PyUnicode_DATA(s);
    switch (PyUnicode_KIND(s)) {
    case PyUnicode_1BYTE_KIND:
        return f(s, Text<Py_UCS1>{static_cast<const Py_UCS1 *>(data), length});
    case PyUnicode_2BYTE_KIND:
        return f(s, Text<Py_UCS2>{static_cast<const Py_UCS2 *>(data), length});
    default:
        return f(s, Text<Py_UCS4>{static_cast<const Py_UCS4 *>(data), length});
    }
}

// Pieces of one call that repeat (a character, a syllable, a word) share one str object:
// a str never changes, and creating it is most of the cost of a short piece. A slot
// holds a borrowed reference: the result list keeps each of those pieces alive.
// `Long`: whether the pieces often run to more than a few characters (words and sentences,
// not clusters).
template <class Unit, bool Long>
class PieceCache {
public:
    // Slots for a text of `length` code points: no more than it could fill, so that a
    // short text does not pay for clearing a large table.
    explicit PieceCache(size_t length) {
        while (shift_ > 32 - MAX_BITS && (size_t{1} << (32 - shift_)) < length) --shift_;
        std::fill_n(slots_, size_t{1} << (32 - shift_), Slot{nullptr, 0, 0});
    }

    // A new reference to the str of text[start, end), shared with an earlier equal piece
    // where the slot of its contents still holds one.
    PyObject *piece(PyObject *s, Text<Unit> text, size_t start, size_t end) {
        const size_t length = end - start;
        if (length > LONGEST || end > UINT32_MAX) return substring(s, start, end);
        const Unit *units = text.units + start;
        // One multiplication spreads the code points of one-character pieces, the most
        // common ones; for longer pieces the length and three units spread them well
        // enough. The comparison decides.
        uint32_t hash = (units[0] + 1u) * 0x9E3779B1u;
        if (length > 1) {
            hash = (hash ^ static_cast<uint32_t>(length)) * 0x9E3779B1u;
            hash = (hash ^ units[length / 2]) * 0x9E3779B1u;
            hash = (hash ^ units[length - 1]) * 0x9E3779B1u;
        }
        Slot &first = slots_[hash >> shift_];
        if (holds(first, text, units, length)) return Py_NewRef(first.piece);
        if (length > LONGEST_TWO_SLOTS || first.piece == nullptr) return keep(s, start, end, first);
        // A short piece has a second slot by a second hash: frequent short pieces whose
        // first slots meet mostly find one of the two free instead of pushing each other
        // out. A slot once filled is never emptied, so a piece whose first slot is empty
        // cannot be in its second.
        Slot &second = slots_[((hash ^ (hash >> 15)) * 0x85EBCA6Bu) >> shift_];
        if (holds(second, text, units, length)) return Py_NewRef(second.piece);
        return keep(s, start, end, second.piece == nullptr ? second : first);
    }

private:
    struct Slot {
        PyObject *piece;
        uint32_t start, length;
    };
    static constexpr unsigned MAX_BITS = 10;  // 1024 slots, 16 KiB on the stack
    // Longer pieces seldom repeat: words and sentences of more than 24 characters, clusters
    // of more than 12 (the longest emoji sequences recur; runs of stacked marks do not).
    static constexpr size_t LONGEST = Long ? 24 : 12;
    static constexpr size_t LONGEST_TWO_SLOTS = 4;  // pieces up to this long have a second slot

    static bool holds(const Slot &slot, Text<Unit> text, const Unit *units, size_t length) {
        return slot.piece != nullptr && slot.length == length && same_units(text.units + slot.start, units, length);
    }

    // A new str of text[start, end), kept in `slot`.
    static PyObject *keep(PyObject *s, size_t start, size_t end, Slot &slot) {
        PyObject *piece = substring(s, start, end);
        if (piece != nullptr) slot = Slot{piece, static_cast<uint32_t>(start), static_cast<uint32_t>(end - start)};
        return piece;
    }

    // Pieces are short: a loop beats a call of memcmp. Where they run longer, pieces of 16
    // bytes or more are compared 8 bytes at a time, the last 8 overlapping the ones before:
    // a sentence of 20 characters is a few comparisons instead of 20. Clusters, one or two
    // characters, keep the plain loop: the test of the length alone cost them 5 %.
    static bool same_units(const Unit *a, const Unit *b, size_t length) {
        const size_t bytes = length * sizeof(Unit);
        if (!Long || bytes < 16) {
            for (size_t k = 0; k < length; ++k)
                if (a[k] != b[k]) return false;
            return true;
        }
        const auto *x = reinterpret_cast<const unsigned char *>(a);
        const auto *y = reinterpret_cast<const unsigned char *>(b);
        for (size_t k = 0; k + 8 < bytes; k += 8)
            if (load8(x + k) != load8(y + k)) return false;
        return load8(x + bytes - 8) == load8(y + bytes - 8);
    }

    static uint64_t load8(const unsigned char *p) {
        uint64_t word;
        std::memcpy(&word, p, sizeof word);
        return word;
    }

    // A new str of s[start, end) (s stored in units of Unit). Where its first or last unit
    // needs the text's own width (above U+00FF in text stored 2 bytes a character, above
    // U+FFFF in text stored 4), so does the piece: its units are copied into a str of that
    // width without the search for its largest character that the interpreter's slicing
    // makes. Out of line, and taking no more than the interpreter's slicing does: the
    // loops that call it keep their registers for the scan (passing the text as well
    // cost the cluster loop 8 % on accented text).
    [[gnu::noinline]] static PyObject *substring(PyObject *s, size_t start, size_t end) {
        if constexpr (sizeof(Unit) > 1) {
            constexpr Unit narrower = sizeof(Unit) == 2 ? 0xFF : 0xFFFF;
            constexpr Py_UCS4 widest = sizeof(Unit) == 2 ? 0xFFFF : 0x10FFFF;
            const Unit *units = static_cast<const Unit *>(PyUnicode_DATA(s));
            const size_t length = end - start;
            if (length < static_cast<size_t>(PyUnicode_GET_LENGTH(s)) &&
                std::max(units[start], units[end - 1]) > narrower) {
                PyObject *piece = PyUnicode_New(static_cast<Py_ssize_t>(length), widest);
                if (piece != nullptr) std::memcpy(PyUnicode_DATA(piece), units + start, length * sizeof(Unit));
                return piece;
            }
        }
        return PyUnicode_Substring(s, static_cast<Py_ssize_t>(start), static_cast<Py_ssize_t>(end));
    }

    unsigned shift_ = 32 - 3;  // at least 8 slots
    Slot slots_[size_t{1} << MAX_BITS];
};

// The pieces of s between consecutive boundaries; next(start) gives the end of the piece
// that begins at start.
template <bool Long, class Unit, class Next>
PyObject *pieces(PyObject *s, Text<Unit> text, Next next) {
    PyObject *list = PyList_New(0);
    if (list == nullptr) return nullptr;
    PieceCache<Unit, Long> cache(text.length);
    for (size_t start = 0; start < text.length;) {
        const size_t end = next(start);
        PyObject *piece = cache.piece(s, text, start, end);
        if (piece == nullptr || PyList_Append(list, piece) < 0) {
            Py_XDECREF(piece);
            Py_DECREF(list);
            return nullptr;
        }
        Py_DECREF(piece);
        start = end;
    }
    return list;
}

PyObject *query_graphemes(PyObject *, PyObject *argument) {
    return with_text(argument, "U:graphemes", [](PyObject *s, auto text) {
        return pieces<false>(s, text, GraphemeScan(text));
    });
}

PyObject *query_words(PyObject *, PyObject *argument) {
    return with_text(argument, "U:words", [](PyObject *s, auto text) {
        return pieces<true>(s, text, [text](size_t start) { return word_end(text, start); });
    });
}

PyObject *query_sentences(PyObject *, PyObject *argument) {
    return with_text(argument, "U:sentences", [](PyObject *s, auto text) {
        return pieces<true>(s, text, [text](size_t start) { return sentence_end(text, start); });
    });
}

// Builds the list of (offset, mandatory) pairs of line_breaks from the breaker's batches:
// the pairs of a batch are made in a loop of their own, out of the scan's, so that each
// loop stays small. The pairs wait in a buffer of their own and go into a list of the
// exact size at the end: storing a pointer costs less than appending to a growing list.
class PairList {
public:
    PairList() = default;
    PairList(const PairList &) = delete;
    PairList &operator=(const PairList &) = delete;
    // Out of line, as finish: the function that holds the scan's loop keeps its registers
    // for it.
    [[gnu::noinline]] ~PairList() {
        for (size_t k = 0; k < count_; ++k) Py_DECREF(pairs_[k]);
        PyMem_Free(pairs_);
    }

    // Takes a batch of entries offset * 2 + mandatory (LineBreaker's flush). Out of line:
    // the scan's loop, which calls it, stays small.
    [[gnu::noinline]] void operator()(const uint64_t *entries, size_t count) {
        if (failed_) return;  // an earlier batch failed: the scan only runs out
        if (count > capacity_ - count_ && !grow(count)) return;
        for (size_t k = 0; k < count; ++k) {
            PyObject *pair = make_pair(entries[k]);
            if (pair == nullptr) {
                failed_ = true;
                return;
            }
            pairs_[count_++] = pair;
        }
    }

    // The list (nullptr with an exception set if making it failed).
    [[gnu::noinline]] PyObject *finish() {
        if (failed_) return nullptr;
        PyObject *list = PyList_New(static_cast<Py_ssize_t>(count_));
        if (list == nullptr) return nullptr;
        // The list takes over the buffer's references.
        for (size_t k = 0; k < count_; ++k) PyList_SET_ITEM(list, static_cast<Py_ssize_t>(k), pairs_[k]);
        count_ = 0;
        return list;
    }

private:
    // Room for `more` pairs beyond those held, doubling; false with MemoryError if none.
    bool grow(size_t more) {
        size_t capacity = std::max<size_t>(capacity_ * 2, 1024);
        while (capacity - count_ < more) capacity *= 2;
        auto *pairs = static_cast<PyObject **>(
            capacity > PY_SSIZE_T_MAX / sizeof(PyObject *) ? nullptr : PyMem_Realloc(pairs_, capacity * sizeof(PyObject *)));
        if (pairs == nullptr) {
            PyErr_NoMemory();
            failed_ = true;
            return false;
        }
        pairs_ = pairs;
        capacity_ = capacity;
        return true;
    }

    static PyObject *make_pair(uint64_t entry) {
        const auto offset = static_cast<Py_ssize_t>(entry >> 1);
        // PyLong_FromLong is the quicker of the two where long is as wide.
        PyObject *number = sizeof(long) >= sizeof(Py_ssize_t) ? PyLong_FromLong(static_cast<long>(offset))
                                                              : PyLong_FromSsize_t(offset);
        PyObject *pair = number == nullptr ? nullptr : PyTuple_New(2);
        if (pair == nullptr) {
            Py_XDECREF(number);
            return nullptr;
        }
        PyTuple_SET_ITEM(pair, 0, number);
        PyTuple_SET_ITEM(pair, 1, Py_NewRef((entry & 1) ? Py_True : Py_False));
        // An int and a bool make no cycle: the collector need not watch the pair.
        PyObject_GC_UnTrack(pair);
        return pair;
    }

    PyObject **pairs_ = nullptr;
    size_t count_ = 0, capacity_ = 0;
    bool failed_ = false;
};

// The opportunities of text handed to pairs. A function of its own, so that the scan's
// loop is compiled alike whatever the code around the call, and aligned to a 64-byte
// line, so that where its short inner loops fall on those lines depends on this function
// alone, not on the size of the code placed before it (the loop over marks, split over
// two lines, took 30 % longer).
template <class Unit>
[[gnu::noinline, gnu::aligned(64)]] void find_line_breaks(Text<Unit> text, PairList &pairs) {
    LineBreaker(text).run(pairs);
}

PyObject *query_line_breaks(PyObject *, PyObject *argument) {
    return with_text(argument, "U:line_breaks", [](PyObject *, auto text) -> PyObject * {
        PairList pairs;
        find_line_breaks(text, pairs);
        return pairs.finish();
    });
}

PyObject *query_width(PyObject *, PyObject *argument) {
    return with_text(argument, "U:width", [](PyObject *, auto text) { return PyLong_FromSize_t(text_width(text)); });
}

PyDoc_STRVAR(graphemes_doc,
    "graphemes($module, s, /)\n--\n\n"
    "Return the extended grapheme clusters of s (its user-perceived characters) as a list of str.\n\n"
    "The pieces join back to s; an empty string gives an empty list.");
PyDoc_STRVAR(words_doc,
    "words($module, s, /)\n--\n\n"
    "Return s cut at every word boundary as a list of str: words, and the spaces and\n"
    "punctuation between them, each a piece of its own.\n\n"
    "The pieces join back to s; an empty string gives an empty list.");
PyDoc_STRVAR(sentences_doc,
    "sentences($module, s, /)\n--\n\n"
    "Return the sentences of s as a list of str, each with its closing punctuation and the\n"
    "spaces and paragraph separator after it.\n\n"
    "The pieces join back to s; an empty string gives an empty list.");
PyDoc_STRVAR(line_breaks_doc,
    "line_breaks($module, s, /)\n--\n\n"
    "Return every line-break opportunity of s as a list of (offset, mandatory) pairs.\n\n"
    "offset counts code points: a line may be broken before s[offset]; the end of the text is\n"
    "the last opportunity. mandatory is True where a line must end (after a line or paragraph\n"
    "separator, CR, LF or NEL) and at the end.");
PyDoc_STRVAR(width_doc,
    "width($module, s, /)\n--\n\n"
    "Return the number of terminal columns s takes, counted per extended grapheme cluster.\n\n"
    "A cluster takes 2 columns when it is wide or shown as an emoji, 0 when it is made only of\n"
    "characters that take no column (marks, format and control characters, line and paragraph\n"
    "separators, default-ignorable characters), 1 otherwise.");

}  // namespace

PyMethodDef segmentation_methods[] = {
    {"graphemes", query_graphemes, METH_O, graphemes_doc},
    {"words", query_words, METH_O, words_doc},
    {"sentences", query_sentences, METH_O, sentences_doc},
    {"line_breaks", query_line_breaks, METH_O, line_breaks_doc},
    {"width", query_width, METH_O, width_doc},
    {nullptr, nullptr, 0, nullptr},
};

}  // namespace charlore::segmentation
