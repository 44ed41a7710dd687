// What the normalization files share: Hangul syllable arithmetic, working arrays of code
// points, reading a str, and the per-code-point lookups of the derived tables.
#pragma once

#include <Python.h>

#include <algorithm>
#include <cstdint>

#include "database.h"
#include "generated/normalize_tables.h"

namespace charlore::normalization {

// Hangul syllable arithmetic: syllable = S_BASE + (L * V_COUNT + V) * T_COUNT + T.
inline constexpr uint32_t S_BASE = 0xAC00, L_BASE = 0x1100, V_BASE = 0x1161, T_BASE = 0x11A7;
inline constexpr uint32_t L_COUNT = 19, V_COUNT = 21, T_COUNT = 28, N_COUNT = V_COUNT * T_COUNT, S_COUNT = L_COUNT * N_COUNT;

inline constexpr Py_ssize_t OUTPUT_GROWTH = 10;  // the least growth of a working buffer that runs short

constexpr bool is_hangul_syllable(uint32_t cp) { return cp - S_BASE < S_COUNT; }

// The jamo of a Hangul syllable into jamo[0 ..); returns how many (2 or 3).
constexpr int hangul_jamo(uint32_t syllable, uint32_t *jamo) {
    const uint32_t index = syllable - S_BASE;
    jamo[0] = L_BASE + index / N_COUNT;
    jamo[1] = V_BASE + index % N_COUNT / T_COUNT;
    if (index % T_COUNT == 0) return 2;
    jamo[2] = T_BASE + index % T_COUNT;
    return 3;
}

// A working array of code points (of 16 or 32 bits) from the interpreter's allocator,
// freed when it goes out of scope. Each resizing member returns false, with the old
// contents kept and still owned, when the memory cannot be had; it sets no exception.
template <typename Unit>
class WorkingArray {
public:
    WorkingArray() = default;
    WorkingArray(const WorkingArray &) = delete;
    WorkingArray &operator=(const WorkingArray &) = delete;
    ~WorkingArray() { PyMem_Free(data_); }

    // Makes room for exactly `size` code points; the contents are kept up to that size.
    bool resize(Py_ssize_t size) {
        if (size < 0 || static_cast<size_t>(size) > static_cast<size_t>(PY_SSIZE_T_MAX) / sizeof(Unit))
            return false;
        void *grown = PyMem_Realloc(data_, static_cast<size_t>(size) * sizeof(Unit));
        if (grown == nullptr) return false;
        data_ = static_cast<Unit *>(grown);
        size_ = size;
        return true;
    }
    // Grows by half the size at least (and by OUTPUT_GROWTH and `at_least`), so that long
    // expanding texts need few reallocations; returns the slots added, 0 when memory runs out.
    Py_ssize_t grow(Py_ssize_t at_least) {
        const Py_ssize_t growth = std::max({OUTPUT_GROWTH, size_ / 2, at_least});
        if (size_ > PY_SSIZE_T_MAX - growth || !resize(size_ + growth)) return 0;
        return growth;
    }
    Unit *data() { return data_; }
    Py_ssize_t size() const { return size_; }
    Unit &operator[](Py_ssize_t i) { return data_[i]; }

private:
    Unit *data_ = nullptr;
    Py_ssize_t size_ = 0;
};
using CodePoints = WorkingArray<uint32_t>;

// The character of a str at i, read in the string's own storage kind.
struct StrReader {
    explicit StrReader(PyObject *s) : kind(PyUnicode_KIND(s)), data(PyUnicode_DATA(s)) {}
    uint32_t operator[](Py_ssize_t i) const { return PyUnicode_READ(kind, data, i); }
    int kind;
    const void *data;
};

constexpr uint16_t info_of(uint32_t cp) {
    if (cp > 0x10FFFF) return 0;
    return normalization_info_stage2[(normalization_info_stage1[cp >> 7] << 7) + (cp & 127)];
}

// The combining class of cp, from the derived information: canonical ordering reads it
// for every code point of a run, so it takes no call.
constexpr unsigned combining_class(uint32_t cp) { return info_of(cp) & INFO_COMBINING; }

constexpr uint32_t decomposition_record_of(uint32_t cp) {
    if (cp > 0x10FFFF) return 0;
    return decomposition_stage2[(decomposition_stage1[cp >> 7] << 7) + (cp & 127)];
}

// The composition indices of cp, through the direct index: -1 where it is no first
// (no last) character.
inline uint16_t composition_indices(uint32_t cp) {
    if (cp > 0x10FFFF) return 0;
    return composition_index_stage2[(composition_index_stage1[cp >> 7] << 7) + (cp & 127)];
}
inline int first_index(uint32_t cp) { return static_cast<int>(composition_indices(cp) & 0x1FF) - 1; }
inline int last_index(uint32_t cp) { return static_cast<int>(composition_indices(cp) >> 9) - 1; }

// The primary composite of first index f and last index l, or 0 when they do not compose.
inline uint32_t composite_of(int f, int l) {
    const uint32_t pair = static_cast<uint32_t>(f * LAST_COUNT + l);
    return composition_pairs[composition_stage1[pair >> 2] * 4 + (pair & 3)];
}

}  // namespace charlore::normalization
