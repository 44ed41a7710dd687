// Normalization: the decomposition query, normalize, and the routines behind them
// (quick check, decomposition with canonical ordering, composition, the general path).
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

// Bits of the derived normalization information of a code point (normalization_info):
// the combining class, the quick checks that fail, whether it decomposes, and whether it
// is the first or last character of a primary composite.
constexpr uint16_t INFO_COMBINING = 0x00FF;
constexpr uint16_t INFO_QUICK_CHECK_FAILS = 0x0100;  // shifted left by the form: NFD 0, NFKD 1, NFC 2, NFKC 3
constexpr uint16_t INFO_CANONICAL = 0x1000;          // canonical decomposition (Hangul syllables too)
constexpr uint16_t INFO_DECOMPOSES = 0x2000;         // any decomposition (Hangul syllables too)
constexpr uint16_t INFO_FIRST = 0x4000;
constexpr uint16_t INFO_LAST = 0x8000;

// The derived normalization information of cp; 0 above U+10FFFF. Never fails.
uint16_t normalization_info(uint32_t cp);

// find_composition_index on the first and on the last characters' ranges, through a
// direct per-code-point index: the same answers without walking the ranges.
int first_composition_index(uint32_t cp);
int last_composition_index(uint32_t cp);

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

// The quick check as the property records give it, one record per character, Maybe
// counted as failing. quick_check_passes answers true wherever this does, and also where
// each character that may compose follows a starter it makes nothing with.
bool quick_check_by_records(PyObject *string, uint8_t mask);

// The str `string` fully decomposed (canonical mappings, or all mappings when
// `compatibility`) and canonically ordered, as a new reference (for the current database
// the string itself, as an exact str, when it passes the quick check); the 3.2.0 changes
// apply when self selects them. Null with MemoryError (or the interpreter's error) set on failure;
// every working buffer is released on every path.
PyObject *decompose_string(PyObject *self, PyObject *string, bool compatibility);

// The str `string` in NFC (or NFKC when `compatibility`), as a new reference; for the
// current database the string itself (as an exact str) when it passes the quick check,
// for the 3.2.0 object the decomposed string itself when composing changes nothing. Null with an exception set on
// failure, every working buffer and the intermediate string released.
PyObject *compose_string(PyObject *self, PyObject *string, bool compatibility);

// decompose_string (composed false) or compose_string (composed true) for the current
// database: the string itself, as an exact str, when it passes the quick check.
PyObject *normalize_current(PyObject *string, bool composed, bool compatibility);

// decompose_string and compose_string by the general path alone, character by character
// through the pending stack and the range walks, as the 3.2.0 object always runs them;
// the current database takes fast paths with the same results.
PyObject *decompose_string_general(PyObject *self, PyObject *string, bool compatibility);
PyObject *compose_string_general(PyObject *self, PyObject *string, bool compatibility);

}  // namespace charlore
