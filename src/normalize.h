// Normalization: the decomposition query, normalize, and the routines behind them
// (decomposition with canonical ordering, composition, the quick check).
#pragma once

#include <Python.h>

#include <cstdint>

namespace charlore {

// A run of consecutive code points in a composition character numbering: the code
// point start + k (k = 0 .. count) has the index index + k. A start of 0 ends a table.
struct CompositionRange {
    int32_t start;
    int16_t count;
    int16_t index;
};

// Room of the fixed working arrays; the table generator checks that the data fits.
constexpr int PENDING_CAPACITY = 20;  // code points waiting during one character's expansion
constexpr int SKIPPED_CAPACITY = 20;  // positions absorbed by one starter

// Runs of non-starters at least this long are sorted by counting, shorter ones by insertion.
constexpr Py_ssize_t COUNTING_SORT_MIN_RUN = 20;

// decomposition(chr): the decomposition mapping of chr as a string.
PyObject *query_decomposition(PyObject *self, PyObject *argument);
// normalize(form, unistr): unistr in the normal form `form`.
PyObject *query_normalize(PyObject *self, PyObject *arguments);

// Word index of cp's record header in decomposition_words; 0 (the empty record) for code
// points without a mapping, Hangul syllables and values above U+10FFFF. Never fails.
uint32_t lookup_decomposition_record(uint32_t cp);

// Index of cp in a composition range table, or -1 when the table does not hold it.
int find_composition_index(const CompositionRange *table, uint32_t cp);

// The primary composite of first index f and last index l, or 0 when they do not compose.
uint32_t composition_pair(int f, int l);

// Puts every run of non-starters of buffer[0 .. count) into canonical order (a stable sort
// by combining class); runs already in order are only scanned. Runs of at least
// `counting_sort_min_run` code points are sorted by counting through a scratch buffer of
// its own, freed before it returns. False, with no exception set, when that buffer cannot
// be allocated; the buffer is then partly sorted. Never raises.
bool put_in_canonical_order(uint32_t *buffer, Py_ssize_t count,
                            Py_ssize_t counting_sort_min_run = COUNTING_SORT_MIN_RUN);

// True if the str `string` is certainly in the form whose quick-check bits `mask` selects
// (0x03 NFD, 0x0C NFKD, 0x30 NFC, 0xC0 NFKC). Reads the current database only; never
// raises, never allocates.
bool quick_check_passes(PyObject *string, uint8_t mask);

// The str `string` fully decomposed (canonical mappings, or all mappings when
// `compatibility`) and canonically ordered, as a new str; the 3.2.0 changes apply when
// self selects them. Null with MemoryError (or the interpreter's error) set on failure;
// every working buffer is released on every path.
PyObject *decompose_string(PyObject *self, PyObject *string, bool compatibility);

// The str `string` in NFC (or NFKC when `compatibility`), as a new reference; the
// decomposed string itself when composing changes nothing. Null with an exception set on
// failure, every working buffer and the intermediate string released.
PyObject *compose_string(PyObject *self, PyObject *string, bool compatibility);

}  // namespace charlore
