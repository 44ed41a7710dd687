// What the name tables' generator and the module agree on: the fixed code points and
// limits, the record types of the generated tables, the name hash with its probe
// sequence and the decoder of stored names. Nothing here depends on Python.
#pragma once

#include <cstddef>
#include <cstdint>

namespace charlore {

// Longest argument of lookup in bytes; a name has at most NAME_LIMIT - 1 characters and a
// name buffer holds NAME_LIMIT + 1 bytes.
constexpr size_t NAME_LIMIT = 256;

// Aliases and named sequences are filed under private code points of plane 15.
constexpr uint32_t ALIAS_BASE = 0xF0000;
constexpr uint32_t NAMED_SEQUENCE_BASE = 0xF0200;
// The alias range must end before the sequence range begins.
constexpr uint32_t ALIAS_CAPACITY = NAMED_SEQUENCE_BASE - ALIAS_BASE;
constexpr size_t NAMED_SEQUENCE_MAX_LENGTH = 4;

// Two-stage index of the stored names: blocks of 1 << NAME_PHRASE_SHIFT code points.
constexpr int NAME_PHRASE_SHIFT = 7;

constexpr uint32_t NAME_HASH_SLOT_COUNT = 0x10000;
constexpr uint32_t NAME_HASH_MASK = 0xFFFF;
// x^16 + x^5 + x^3 + x^2 + 1: brings a doubled probe increment back into 16 bits.
constexpr uint32_t NAME_HASH_POLYNOMIAL = 0x1002D;
constexpr uint32_t NAME_HASH_MULTIPLIER = 47;

// A range of code points whose names are a prefix and the code point (or, for kind 0,
// the Hangul syllable's jamo).
struct AlgorithmicNameRange {
    uint32_t first;
    uint32_t last;  // inclusive
    uint32_t prefix_kind;
};

// Prefix of each kind of derived name; kind 0 is the Hangul syllables.
inline constexpr const char *algorithmic_name_prefixes[5] = {
    "HANGUL SYLLABLE ", "CJK UNIFIED IDEOGRAPH-", "TANGUT IDEOGRAPH-", "JURCHEN CHARACTER-", "SMALL SEAL CHARACTER-"};

struct NamedSequence {
    int32_t length;  // code points in use
    uint16_t code_points[NAMED_SEQUENCE_MAX_LENGTH];  // unused ones are 0
};

// The name hash after one more byte; `upper` is the byte already mapped to upper case.
// The result stays below 2^24.
constexpr uint32_t name_hash_step(uint32_t h, unsigned char upper) {
    h = h * NAME_HASH_MULTIPLIER + upper;
    if (h >= 0x1000000) h = (h & 0xFFFFFF) ^ (h >> 24);
    return h;
}

// The slots of name_hash_slots visited for one hash value, in order: slot() is the
// current one, next() moves to the following one.
class NameProbe {
public:
    constexpr explicit NameProbe(uint32_t hash)
        : slot_(~hash & NAME_HASH_MASK), increment_((hash ^ (hash >> 3)) & NAME_HASH_MASK) {
        if (increment_ == 0) increment_ = NAME_HASH_MASK;
    }
    constexpr uint32_t slot() const { return slot_; }
    constexpr void next() {
        slot_ = (slot_ + increment_) & NAME_HASH_MASK;
        increment_ <<= 1;
        if (increment_ > NAME_HASH_MASK) increment_ ^= NAME_HASH_POLYNOMIAL;
    }

private:
    uint32_t slot_;
    uint32_t increment_;
};

// The compressed stored names: word codes in phrase_bytes, word texts with bit 7 set on
// their last byte (a final word ends with 0x80, its NUL).
struct StoredNameTables {
    const uint8_t *phrase_bytes;
    const uint32_t *word_offsets;
    const uint8_t *word_text;
    unsigned short_word_code_limit;  // codes from here on take two bytes
};

// Writes the stored name that starts at `offset` of the phrase bytes into `buffer`
// (NAME_LIMIT + 1 bytes) as a NUL-terminated string. Returns false, having written
// nothing past the buffer, when the name and its NUL do not fit into NAME_LIMIT bytes.
// Never allocates.
inline bool decode_stored_name(const StoredNameTables &tables, uint32_t offset, char *buffer) {
    size_t position = 0;
    for (;;) {
        unsigned code = tables.phrase_bytes[offset++];
        if (code >= tables.short_word_code_limit)
            code = (code - tables.short_word_code_limit) * 256 + tables.phrase_bytes[offset++];
        if (position != 0) buffer[position++] = ' ';  // at most NAME_LIMIT: still inside the buffer
        const uint8_t *text = tables.word_text + tables.word_offsets[code];
        for (;; ++text) {
            if (position >= NAME_LIMIT) return false;
            buffer[position++] = static_cast<char>(*text & 0x7F);
            if (*text & 0x80) break;
        }
        if (*text == 0x80) return true;
    }
}

}  // namespace charlore
