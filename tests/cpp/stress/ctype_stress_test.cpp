// The 24 exported character-type functions called from many threads at once: every
// thread must see exactly the answers of a single thread. Built with ThreadSanitizer by
// scripts/tsan, where any data race in the functions fails the run as well.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <cstring>
#include <thread>
#include <vector>

#include "charlore.h"

namespace {

constexpr uint32_t CODE_POINTS = 0x110000;
constexpr int THREADS = 8;
// Values past the last character, which every function must accept.
constexpr uint32_t BEYOND[] = {0x110000, 0x10FFFF + 0x100, 0x7FFFFFFF, 0xFFFFFFFF};

// Mixes one answer into a running digest (FNV-1a over the answer's bytes).
void mix(uint64_t &digest, uint64_t answer) {
    for (int i = 0; i < 8; ++i) {
        digest ^= (answer >> (8 * i)) & 0xFF;
        digest *= 0x100000001B3ull;
    }
}

void mix_full(uint64_t &digest, int (*mapping)(Py_UCS4, Py_UCS4 *), Py_UCS4 ch) {
    Py_UCS4 out[FULL_MAPPING_MAX] = {0, 0, 0};
    int n = mapping(ch, out);
    mix(digest, static_cast<uint64_t>(n));
    for (int i = 0; i < n && i < FULL_MAPPING_MAX; ++i) mix(digest, out[i]);
}

// A digest of all 24 answers for ch.
uint64_t answers(Py_UCS4 ch) {
    uint64_t digest = 0xCBF29CE484222325ull;
    for (int (*predicate)(Py_UCS4) :
         {_PyCharlore_IsAlpha, _PyCharlore_IsDecimalDigit, _PyCharlore_IsDigit, _PyCharlore_IsNumeric,
          _PyCharlore_IsPrintable, _PyCharlore_IsLowercase, _PyCharlore_IsUppercase, _PyCharlore_IsTitlecase,
          _PyCharlore_IsCased, _PyCharlore_IsCaseIgnorable, _PyCharlore_IsXidStart, _PyCharlore_IsXidContinue,
          _PyCharlore_IsWhitespace, _PyCharlore_IsLinebreak, _PyCharlore_ToDecimalDigit, _PyCharlore_ToDigit})
        mix(digest, static_cast<uint64_t>(predicate(ch)));
    double numeric = _PyCharlore_ToNumeric(ch);
    uint64_t numeric_bits;
    std::memcpy(&numeric_bits, &numeric, sizeof numeric_bits);
    mix(digest, numeric_bits);
    for (Py_UCS4 (*simple)(Py_UCS4) : {_PyCharlore_ToUppercase, _PyCharlore_ToLowercase, _PyCharlore_ToTitlecase})
        mix(digest, simple(ch));
    for (int (*full)(Py_UCS4, Py_UCS4 *) :
         {_PyCharlore_ToLowerFull, _PyCharlore_ToTitleFull, _PyCharlore_ToUpperFull, _PyCharlore_ToFoldedFull})
        mix_full(digest, full, ch);
    return digest;
}

// Thread t walks all code points in its own order, by steps of this stride: one prime to
// 0x110000 = 17 * 2^16 (odd, not a multiple of 17) visits every code point once.
uint32_t stride_of(int t) { return 2 * (7919 + 104 * t) + 1; }

std::vector<uint64_t> single_thread_answers() {
    std::vector<uint64_t> expected(CODE_POINTS);
    for (uint32_t cp = 0; cp < CODE_POINTS; ++cp) expected[cp] = answers(cp);
    return expected;
}

TEST(CtypeStress, StridesVisitEveryCodePoint) {
    for (int t = 0; t < THREADS; ++t) {
        const uint32_t stride = stride_of(t);
        EXPECT_TRUE(stride % 2 == 1 && stride % 17 != 0) << stride;
    }
}

TEST(CtypeStress, ManyThreadsSeeTheAnswersOfOne) {
    const std::vector<uint64_t> expected = single_thread_answers();
    std::atomic<int> ready{0};
    std::atomic<uint64_t> mismatches{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < THREADS; ++t) {
        threads.emplace_back([&, t] {
            const uint32_t stride = stride_of(t);
            ready.fetch_add(1);
            while (ready.load() < THREADS) std::this_thread::yield();
            uint32_t cp = 977u * t;
            for (uint32_t i = 0; i < CODE_POINTS; ++i) {
                cp = (cp + stride) % CODE_POINTS;
                if (answers(cp) != expected[cp]) mismatches.fetch_add(1);
            }
        });
    }
    for (std::thread &thread : threads) thread.join();
    EXPECT_EQ(mismatches.load(), 0u);
}

TEST(CtypeStress, ValuesBeyondTheLastCharacterFromManyThreads) {
    std::vector<uint64_t> expected;
    for (uint32_t value : BEYOND) expected.push_back(answers(value));
    std::atomic<uint64_t> mismatches{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < THREADS; ++t)
        threads.emplace_back([&] {
            for (int round = 0; round < 20000; ++round)
                for (size_t i = 0; i < std::size(BEYOND); ++i)
                    if (answers(BEYOND[i]) != expected[i]) mismatches.fetch_add(1);
        });
    for (std::thread &thread : threads) thread.join();
    EXPECT_EQ(mismatches.load(), 0u);
    for (uint32_t value : BEYOND) {
        EXPECT_EQ(_PyCharlore_ToUppercase(value), value);
        EXPECT_EQ(_PyCharlore_IsPrintable(value), 0);
        EXPECT_EQ(_PyCharlore_ToNumeric(value), -1.0);
    }
}

}  // namespace
