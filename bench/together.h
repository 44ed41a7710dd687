// Timing the sides of a case (charlore and the libraries it is compared with) in the same
// iterations of one benchmark, for the cases whose passes take milliseconds or less.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdint>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

namespace bench {

struct Side {
    std::string name;
    std::function<void()> pass;  // one pass of this side over the case's input
};

inline double thread_seconds() {
    timespec now;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + 1e-9 * static_cast<double>(now.tv_nsec);
}

// Each iteration makes one pass of every side, the side that goes first taking turns, and
// times every pass on the thread's CPU clock. The machine has slower spells of seconds
// (some cover a whole process), far longer than a pass, so all sides meet the same spells
// and their ratio holds where each side's time does not; sides timed in repetitions of
// their own met different spells, and their ratio moved by as much as the libraries
// differ. Reading that clock is a system call of about a microsecond here, as long as
// some passes (text already normalized), so a side whose pass is short makes as many
// passes in a row as fill span_seconds (found by doubling, untimed, before the first
// iteration; a single pass would count the clock's own time).
// Each side's time per item over all iterations is the counter NAME_ns.
inline void time_together(benchmark::State &state, int64_t items, const std::vector<Side> &sides) {
    constexpr double span_seconds = 200e-6;
    std::vector<double> seconds(sides.size(), 0.0);
    std::vector<int64_t> passes(sides.size(), 1), made(sides.size(), 0);
    for (size_t side = 0; side < sides.size(); ++side) {
        for (;; passes[side] *= 2) {
            const double start = thread_seconds();
            for (int64_t n = 0; n < passes[side]; ++n) sides[side].pass();
            if (thread_seconds() - start >= span_seconds) break;
        }
    }
    size_t iterations = 0;
    for (auto _ : state) {
        for (size_t k = 0; k < sides.size(); ++k) {
            const size_t side = (iterations + k) % sides.size();
            const double start = thread_seconds();
            for (int64_t n = 0; n < passes[side]; ++n) sides[side].pass();
            seconds[side] += thread_seconds() - start;
            made[side] += passes[side];
        }
        ++iterations;
    }
    for (size_t side = 0; side < sides.size(); ++side)
        state.counters[sides[side].name + "_ns"] =
            1e9 * seconds[side] / (static_cast<double>(made[side]) * static_cast<double>(items));
}

}  // namespace bench
