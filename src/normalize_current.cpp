// Normalization for the current database: the quick-check scan decides what passes as it
// is, and only the rest is decomposed, ordered and composed, segment by segment.
#include "compose.h"
#include "decompose.h"
#include "normalize.h"
#include "quick_check.h"

namespace charlore {

using namespace normalization;

namespace {

constexpr Py_ssize_t SEGMENT_JOIN_GAP = 6;  // passing stretches up to this long join their segments
constexpr int SEGMENT_JOINS_TO_REST = 8;   // joins in a row after which the rest is one segment

// Whether m, with derived information `mark`, can be the mark of the segments that
// compose_pair takes: it has a class other than 0 and does not decompose. The one test
// made for every failing segment, so that the others (a character that decomposes, a
// conjoining jamo) go on to the general steps after one lookup.
inline bool may_end_pair(uint16_t mark) { return (mark & INFO_COMBINING) != 0 && !(mark & INFO_DECOMPOSES); }

// The segment of a starter s and the mark m after it (see may_end_pair; its information
// is `mark`), the most common one in decomposed text, composed into d without the general
// steps: neither decomposes, so the segment is already decomposed and in order, and the
// pair composes or stays. Returns 1 when done, 0 where the starter is not of that kind,
// -1 when memory runs out or the composite does not fit a 16-bit unit (d.too_wide set).
template <typename Unit>
int compose_pair(uint32_t s, uint32_t m, uint16_t mark, Decomposition<Unit> &d) {
    const uint16_t starter = info_of(s);
    if (starter & (INFO_DECOMPOSES | INFO_COMBINING)) return 0;
    const uint32_t composite =
        (starter & INFO_FIRST) && (mark & INFO_LAST) ? composite_of(first_index(s), last_index(m)) : 0;
    if (!d.make_room(2)) return -1;
    if (composite == 0) {
        d.output[d.count++] = static_cast<Unit>(s);
        d.output[d.count++] = static_cast<Unit>(m);
        return 1;
    }
    if constexpr (sizeof(Unit) < 4) {
        if (composite > 0xFFFF) {
            d.too_wide = true;
            return -1;
        }
    }
    d.output[d.count++] = static_cast<Unit>(composite);
    return 1;
}

// Normalizes text[0 .. n) of one storage kind for the current database into d. The
// stretch before the first segment that fails the quick check is copied as it is; the
// decomposed forms decompose the rest in one pass. The composed forms go on segment by
// segment: stretches that pass are copied, and only the segments around the characters
// that fail are decomposed, ordered and composed. Sets `unchanged` (and leaves d empty)
// when the whole text passes. False when memory runs out or d.too_wide is set (nothing
// set).
template <typename Char, typename Unit>
bool normalize_run(const Char *text, Py_ssize_t n, bool composed, bool compatibility, Decomposition<Unit> &d,
                   bool &unchanged) {
    const int form = (composed ? 2 : 0) + (compatibility ? 1 : 0);
    const uint16_t fails = static_cast<uint16_t>(INFO_QUICK_CHECK_FAILS << form);
    Py_ssize_t copied = 0, boundary;
    Py_ssize_t failure = first_failure(text, 0, n, form, fails, boundary);
    unchanged = failure == n;
    if (unchanged) return true;
    if (n > PY_SSIZE_T_MAX - OUTPUT_GROWTH || !d.output.resize(n < 11 ? 2 * n : n + 10)) return false;
    if (!composed) {
        return d.copy(text, boundary) && decompose_run<true>(text + boundary, n - boundary, compatibility, d) &&
               d.put_in_order_from_disorder() && !d.too_wide;
    }
    while (failure < n) {
        // The stretch that passed, up to the start of the failing segment.
        if (!d.copy(text + copied, boundary - copied)) return false;
        if (const uint16_t mark = failure == boundary + 1 ? info_of(text[failure]) : 0;
            may_end_pair(mark) && (failure + 1 == n || starts_segment(text[failure + 1], form, fails))) {
            if (const int kept = compose_pair(text[boundary], text[failure], mark, d); kept != 0) {
                if (kept < 0) return false;
                copied = failure + 1;
                failure = first_failure(text, copied, n, form, fails, boundary);
                continue;
            }
        }
        // The segment ends where the next one starts; a failure close after it joins it,
        // since short segments cost more to cut than to work through. Where failures keep
        // coming close together, the rest of the text is worked through as one segment.
        Py_ssize_t end = failure + 1, next_boundary = n;
        for (int joined = 0;; ++joined) {
            if (joined == SEGMENT_JOINS_TO_REST) {
                end = failure = n;
                break;
            }
            while (end < n && !starts_segment(text[end], form, fails)) ++end;
            failure = first_failure(text, end, n, form, fails, next_boundary);
            if (failure == n || next_boundary - end > SEGMENT_JOIN_GAP) break;
            end = failure + 1;
        }
        const Py_ssize_t start = d.count;
        d.last_class = 0;
        if (!decompose_run<false>(text + boundary, end - boundary, compatibility, d) || !d.put_in_order_from_disorder())
            return false;
        d.count = start + compose_in_place(d.output.data() + start, d.count - start, d.too_wide);
        if (d.too_wide) return false;
        copied = end;
        boundary = next_boundary;
    }
    return d.copy(text + copied, n - copied);
}

// text[0 .. n), the contents of `string`, normalized for the current database through a
// buffer of Unit; the string itself (as an exact str) when it is in the form already.
// Null with `too_wide` set, and no exception, when 16-bit units cannot hold the result.
template <typename Unit, typename Char>
PyObject *normalize_text(PyObject *string, const Char *text, Py_ssize_t n, bool composed, bool compatibility,
                         bool &too_wide) {
    Decomposition<Unit> d;
    bool unchanged = false;
    if (!normalize_run(text, n, composed, compatibility, d, unchanged)) {
        too_wide = d.too_wide;
        return too_wide ? nullptr : PyErr_NoMemory();
    }
    if (unchanged) return PyUnicode_FromObject(string);
    return PyUnicode_FromKindAndData(sizeof(Unit) == 2 ? PyUnicode_2BYTE_KIND : PyUnicode_4BYTE_KIND,
                                     d.output.data(), d.count);
}

// normalize_text for text of the BMP: in 16-bit units, and in 32-bit units again in the
// rare case that the result leaves the BMP.
template <typename Char>
PyObject *normalize_bmp_text(PyObject *string, const Char *text, Py_ssize_t n, bool composed, bool compatibility) {
    bool too_wide = false;
    PyObject *result = normalize_text<uint16_t>(string, text, n, composed, compatibility, too_wide);
    return too_wide ? normalize_text<uint32_t>(string, text, n, composed, compatibility, too_wide) : result;
}

}  // namespace

// The str `string` normalized for the current database; the string itself (as an exact
// str) when it is in the form already.
PyObject *normalize_current(PyObject *string, bool composed, bool compatibility) {
    const int form = (composed ? 2 : 0) + (compatibility ? 1 : 0);
    const Py_ssize_t n = PyUnicode_GET_LENGTH(string);
    switch (PyUnicode_KIND(string)) {
    case PyUnicode_1BYTE_KIND:
        // Where no Latin-1 character stops the scan, a string of this kind passes as a whole.
        if (LATIN1_STOPS[form].first > 0xFF) return PyUnicode_FromObject(string);
        return normalize_bmp_text(string, PyUnicode_1BYTE_DATA(string), n, composed, compatibility);
    case PyUnicode_2BYTE_KIND:
        return normalize_bmp_text(string, PyUnicode_2BYTE_DATA(string), n, composed, compatibility);
    default: {
        bool too_wide = false;
        return normalize_text<uint32_t>(string, PyUnicode_4BYTE_DATA(string), n, composed, compatibility, too_wide);
    }
    }
}

}  // namespace charlore
