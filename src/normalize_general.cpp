// The general path: decomposition and composition character by character through the
// pending stack and the range walks, as the 3.2.0 object runs them.
#include "normalize.h"
#include "normalize_support.h"

namespace charlore {

using namespace normalization;

// Here, beside its most frequent caller, so that the general path inlines it.
uint32_t lookup_decomposition_record(uint32_t cp) { return decomposition_record_of(cp); }

int find_composition_index(const CompositionRange *table, uint32_t cp) {
    for (; table->start != 0 && static_cast<uint32_t>(table->start) <= cp; ++table)
        if (cp <= static_cast<uint32_t>(table->start) + static_cast<uint32_t>(table->count))
            return table->index + static_cast<int>(cp - static_cast<uint32_t>(table->start));
    return -1;
}

PyObject *decompose_string_general(PyObject *self, PyObject *string, bool compatibility) {
    const UCDObject *old = selected_old_version(self);
    const StrReader s(string);
    const Py_ssize_t n = PyUnicode_GET_LENGTH(string);
    CodePoints output;
    if (n > PY_SSIZE_T_MAX - OUTPUT_GROWTH || !output.resize(n < 11 ? 2 * n : n + 10)) return PyErr_NoMemory();
    Py_ssize_t room = output.size(), o = 0;
    uint32_t pending[PENDING_CAPACITY];
    for (Py_ssize_t i = 0; i < n; ++i) {
        int top = 0;
        pending[top++] = s[i];
        while (top > 0) {
            // One step appends at most three code points (a Hangul syllable).
            if (room <= 2) {
                const Py_ssize_t added = output.grow(0);
                if (added == 0) return PyErr_NoMemory();
                room += added;
            }
            uint32_t c = pending[--top];
            if (is_hangul_syllable(c)) {
                const int jamo = hangul_jamo(c, &output[o]);
                o += jamo;
                room -= jamo;
                continue;
            }
            uint32_t record = 0;
            if (old != nullptr) {
                if (uint32_t replacement = old->old_normalization(c)) {
                    pending[top++] = replacement;
                    continue;
                }
                if (old->old_record_lookup(c)->old_category != 0) record = lookup_decomposition_record(c);
            } else {
                record = lookup_decomposition_record(c);
            }
            const uint32_t header = decomposition_words[record];
            const uint32_t count = header >> 8;
            if (count == 0 || (!compatibility && (header & 0xFF) != 0)) {
                output[o++] = c;
                --room;
                continue;
            }
            for (uint32_t k = count; k > 0; --k) pending[top++] = decomposition_words[record + k];
        }
    }
    if (!put_in_canonical_order(output.data(), o)) return PyErr_NoMemory();
    return PyUnicode_FromKindAndData(PyUnicode_4BYTE_KIND, output.data(), o);
}

PyObject *compose_string_general(PyObject *self, PyObject *string, bool compatibility) {
    PyObject *decomposed = decompose_string_general(self, string, compatibility);
    if (decomposed == nullptr) return nullptr;
    const StrReader d(decomposed);
    const Py_ssize_t n = PyUnicode_GET_LENGTH(decomposed);
    CodePoints output;
    if (!output.resize(n)) {
        Py_DECREF(decomposed);
        return PyErr_NoMemory();
    }
    int64_t skipped[SKIPPED_CAPACITY];
    int skipped_count = 0;
    Py_ssize_t i = 0, o = 0;
    while (i < n) {
        // A position absorbed by an earlier starter is dropped.
        bool absorbed = false;
        for (int k = 0; k < skipped_count; ++k) {
            if (skipped[k] == i) {
                skipped[k] = skipped[--skipped_count];
                absorbed = true;
                break;
            }
        }
        if (absorbed) {
            ++i;
            continue;
        }
        const uint32_t c = d[i];
        // Leading consonant, vowel and an optional trailing consonant make a syllable.
        if (c - L_BASE < L_COUNT && i + 1 < n && d[i + 1] - V_BASE < V_COUNT) {
            uint32_t syllable = S_BASE + ((c - L_BASE) * V_COUNT + (d[i + 1] - V_BASE)) * T_COUNT;
            i += 2;
            if (i < n && d[i] - (T_BASE + 1) < T_COUNT - 1) syllable += d[i++] - T_BASE;
            output[o++] = syllable;
            continue;
        }
        int f = find_composition_index(composition_first_ranges, c);
        output[o] = c;
        ++i;
        if (f < 0 || i == n) {
            ++o;
            continue;
        }
        // The starter at o absorbs what may combine with it; an unabsorbed character with
        // a class of 0, or of at least the next one's, blocks that one.
        unsigned last_class = 0;
        for (Py_ssize_t j = i; j < n; ++j) {
            const uint32_t cj = d[j];
            const unsigned cls = combining_class(cj);
            if (last_class != 0) {
                if (cls == 0) break;
                if (last_class >= cls) continue;
            }
            int l = find_composition_index(composition_last_ranges, cj);
            uint32_t composite = l < 0 ? 0 : composite_of(f, l);
            if (composite != 0 && skipped_count < SKIPPED_CAPACITY) {
                output[o] = composite;
                skipped[skipped_count++] = j;
                f = find_composition_index(composition_first_ranges, composite);
                if (f < 0) break;
                continue;
            }
            last_class = cls;
            if (cls == 0) break;
        }
        ++o;
    }
    if (o == n) return decomposed;
    Py_DECREF(decomposed);
    return PyUnicode_FromKindAndData(PyUnicode_4BYTE_KIND, output.data(), o);
}

}  // namespace charlore
