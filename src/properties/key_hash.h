// The hash of the loose keys of property names, shared by the generator and the module:
// the generator picks a seed under which every key has a slot of its own, so the module
// finds the one key a folded name can be with one hash and one comparison.
#pragma once

#include <cstddef>
#include <cstdint>

namespace charlore::key_hash {

constexpr size_t SLOTS = 4096;

// The most bytes a folded name may have: every loose key of a property or value name is
// at least two shorter (room for an initial "is"), so a longer name matches nothing.
constexpr size_t KEY_LIMIT = 64;

// The slot of the key's `size` bytes under `seed`, below SLOTS. Never fails.
constexpr size_t slot_of(const char *key, size_t size, uint32_t seed) {
    uint32_t h = seed;
    for (size_t i = 0; i < size; ++i) h = (h ^ static_cast<unsigned char>(key[i])) * 0x01000193u;
    return (h ^ (h >> 15)) & (SLOTS - 1);
}

}  // namespace charlore::key_hash
