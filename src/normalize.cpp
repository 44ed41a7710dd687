// Decomposition, canonical ordering, composition and the quick check, behind the
// Python-visible queries decomposition and normalize.
#include "normalize.h"

#include <cstring>

#include "database.h"
#include "generated/normalize_tables.h"

namespace charlore {

namespace {

// Hangul syllable arithmetic: syllable = S_BASE + (L * V_COUNT + V) * T_COUNT + T.
constexpr uint32_t S_BASE = 0xAC00, L_BASE = 0x1100, V_BASE = 0x1161, T_BASE = 0x11A7;
constexpr uint32_t L_COUNT = 19, V_COUNT = 21, T_COUNT = 28, N_COUNT = V_COUNT * T_COUNT, S_COUNT = L_COUNT * N_COUNT;

constexpr Py_ssize_t OUTPUT_GROWTH = 10;  // slots added when the output runs short
constexpr size_t TEXT_SIZE = 256;         // the decomposition query's text buffer

bool is_hangul_syllable(uint32_t cp) { return cp - S_BASE < S_COUNT; }

unsigned combining_class(uint32_t cp) { return lookup_property_record(cp).combining; }

// A working array of code points from the interpreter's allocator, freed when it goes out
// of scope. Each resizing member returns false, with the old contents kept and still
// owned, when the memory cannot be had; it sets no exception.
class CodePoints {
public:
    CodePoints() = default;
    CodePoints(const CodePoints &) = delete;
    CodePoints &operator=(const CodePoints &) = delete;
    ~CodePoints() { PyMem_Free(data_); }

    // Makes room for exactly `size` code points; the contents are kept up to that size.
    bool resize(Py_ssize_t size) {
        if (size < 0 || static_cast<size_t>(size) > static_cast<size_t>(PY_SSIZE_T_MAX) / sizeof(uint32_t))
            return false;
        void *grown = PyMem_Realloc(data_, static_cast<size_t>(size) * sizeof(uint32_t));
        if (grown == nullptr) return false;
        data_ = static_cast<uint32_t *>(grown);
        size_ = size;
        return true;
    }
    uint32_t *data() { return data_; }
    Py_ssize_t size() const { return size_; }
    uint32_t &operator[](Py_ssize_t i) { return data_[i]; }

private:
    uint32_t *data_ = nullptr;
    Py_ssize_t size_ = 0;
};

// Sorts the run buffer[0 .. m) stably by combining class, in place.
void insertion_sort(uint32_t *run, Py_ssize_t m) {
    for (Py_ssize_t k = 1; k < m; ++k) {
        uint32_t cp = run[k];
        unsigned cls = combining_class(cp);
        Py_ssize_t gap = k;
        for (; gap > 0 && combining_class(run[gap - 1]) > cls; --gap) run[gap] = run[gap - 1];
        run[gap] = cp;
    }
}

// Sorts the run stably by combining class through `scratch`, which keeps its memory for
// later runs. False (nothing set, the run untouched) if the scratch cannot grow.
bool counting_sort(uint32_t *run, Py_ssize_t m, CodePoints &scratch) {
    if (scratch.size() < m && !scratch.resize(m)) return false;
    uint64_t position[256] = {};
    for (Py_ssize_t k = 0; k < m; ++k) ++position[combining_class(run[k])];
    uint64_t sum = 0;
    for (uint64_t &p : position) {
        uint64_t count = p;
        p = sum;
        sum += count;
    }
    for (Py_ssize_t k = 0; k < m; ++k) scratch[static_cast<Py_ssize_t>(position[combining_class(run[k])]++)] = run[k];
    std::memcpy(run, scratch.data(), static_cast<size_t>(m) * sizeof(uint32_t));
    return true;
}

struct Form {
    const char *name;
    uint8_t quick_check_mask;
    bool composed;
    bool compatibility;
};

constexpr Form FORMS[] = {
    {"NFC", 0x30, true, false},
    {"NFKC", 0xC0, true, true},
    {"NFD", 0x03, false, false},
    {"NFKD", 0x0C, false, true},
};

// The character of a str at i, read in the string's own storage kind.
struct StrReader {
    explicit StrReader(PyObject *s) : kind(PyUnicode_KIND(s)), data(PyUnicode_DATA(s)) {}
    uint32_t operator[](Py_ssize_t i) const { return PyUnicode_READ(kind, data, i); }
    int kind;
    const void *data;
};

}  // namespace

uint32_t lookup_decomposition_record(uint32_t cp) {
    if (cp > 0x10FFFF) return 0;
    return decomposition_stage2[(decomposition_stage1[cp >> 7] << 7) + (cp & 127)];
}

int find_composition_index(const CompositionRange *table, uint32_t cp) {
    for (; table->start != 0 && static_cast<uint32_t>(table->start) <= cp; ++table)
        if (cp <= static_cast<uint32_t>(table->start) + static_cast<uint32_t>(table->count))
            return table->index + static_cast<int>(cp - static_cast<uint32_t>(table->start));
    return -1;
}

uint32_t composition_pair(int f, int l) {
    uint32_t pair = static_cast<uint32_t>(f * LAST_COUNT + l);
    return composition_pairs[composition_stage1[pair >> 2] * 4 + (pair & 3)];
}

bool put_in_canonical_order(uint32_t *buffer, Py_ssize_t count, Py_ssize_t counting_sort_min_run) {
    CodePoints scratch;
    Py_ssize_t i = 0;
    while (i < count) {
        unsigned previous = combining_class(buffer[i]);
        if (previous == 0 || i == count - 1) {
            ++i;
            continue;
        }
        Py_ssize_t j = i + 1;
        bool in_order = true;
        for (; j < count; ++j) {
            unsigned cls = combining_class(buffer[j]);
            if (cls == 0) break;
            if (previous > cls) in_order = false;
            previous = cls;
        }
        Py_ssize_t m = j - i;
        if (!in_order) {
            if (m < counting_sort_min_run) insertion_sort(buffer + i, m);
            else if (!counting_sort(buffer + i, m, scratch)) return false;
        }
        i = j;
    }
    return true;
}

bool quick_check_passes(PyObject *string, uint8_t mask) {
    StrReader s(string);
    const Py_ssize_t n = PyUnicode_GET_LENGTH(string);
    unsigned last_class = 0;
    for (Py_ssize_t i = 0; i < n; ++i) {
        const PropertyRecord &record = lookup_property_record(s[i]);
        if (record.quick_check & mask) return false;
        unsigned cls = record.combining;
        if (cls != 0 && last_class > cls) return false;
        last_class = cls;
    }
    return true;
}

PyObject *decompose_string(PyObject *self, PyObject *string, bool compatibility) {
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
                if (!output.resize(output.size() + OUTPUT_GROWTH)) return PyErr_NoMemory();
                room += OUTPUT_GROWTH;
            }
            uint32_t c = pending[--top];
            if (is_hangul_syllable(c)) {
                uint32_t index = c - S_BASE;
                output[o++] = L_BASE + index / N_COUNT;
                output[o++] = V_BASE + index % N_COUNT / T_COUNT;
                room -= 2;
                if (index % T_COUNT != 0) {
                    output[o++] = T_BASE + index % T_COUNT;
                    --room;
                }
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

PyObject *compose_string(PyObject *self, PyObject *string, bool compatibility) {
    PyObject *decomposed = decompose_string(self, string, compatibility);
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
            uint32_t composite = l < 0 ? 0 : composition_pair(f, l);
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

PyObject *query_decomposition(PyObject *self, PyObject *argument) {
    int code_point;
    if (!PyArg_Parse(argument, "C:decomposition", &code_point)) return nullptr;
    const uint32_t cp = static_cast<uint32_t>(code_point);
    if (const UCDObject *old = selected_old_version(self); old != nullptr && old->old_record_lookup(cp)->old_category == 0)
        return PyUnicode_FromString("");
    char text[TEXT_SIZE];
    if (is_hangul_syllable(cp)) {
        uint32_t index = cp - S_BASE;
        uint32_t l = L_BASE + index / N_COUNT, v = V_BASE + index % N_COUNT / T_COUNT, t = index % T_COUNT;
        if (t == 0) PyOS_snprintf(text, sizeof text, "%04X %04X", l, v);
        else PyOS_snprintf(text, sizeof text, "%04X %04X %04X", l, v, T_BASE + t);
        return PyUnicode_FromString(text);
    }
    const uint32_t record = lookup_decomposition_record(cp);
    const uint32_t header = decomposition_words[record];
    const char *prefix = decomposition_prefix_names[header & 0xFF];
    size_t length = std::strlen(prefix);
    std::memcpy(text, prefix, length);
    for (uint32_t k = 1; k <= header >> 8; ++k) {
        if (length != 0) text[length++] = ' ';
        int written = PyOS_snprintf(text + length, TEXT_SIZE - length, "%04X", decomposition_words[record + k]);
        length += static_cast<size_t>(written);
    }
    return PyUnicode_FromStringAndSize(text, static_cast<Py_ssize_t>(length));
}

PyObject *query_normalize(PyObject *self, PyObject *arguments) {
    const char *form_name;
    PyObject *input;
    if (!PyArg_ParseTuple(arguments, "sO!:normalize", &form_name, &PyUnicode_Type, &input)) return nullptr;
#if PY_VERSION_HEX < 0x030C0000
    if (PyUnicode_READY(input) < 0) return nullptr;
#endif
    if (PyUnicode_GET_LENGTH(input) == 0) return PyUnicode_FromObject(input);
    for (const Form &form : FORMS) {
        if (std::strcmp(form_name, form.name) != 0) continue;
        if (selected_old_version(self) == nullptr && quick_check_passes(input, form.quick_check_mask))
            return PyUnicode_FromObject(input);
        return form.composed ? compose_string(self, input, form.compatibility)
                             : decompose_string(self, input, form.compatibility);
    }
    PyErr_SetString(PyExc_ValueError, "invalid normalization form");
    return nullptr;
}

}  // namespace charlore
