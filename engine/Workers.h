// Work spread over threads for the runs that evaluate many builds of one design: the tolerance run and the best-build search.
#pragma once

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

namespace riaa {

// The threads a run asks for: 0 for as many as the machine has.
inline unsigned ThreadsToUse(unsigned asked) { return asked != 0 ? asked : std::max(1u, std::thread::hardware_concurrency()); }

// Runs work(i) for i in [0, count) on up to threads workers, taking the next index as each
// finishes; stops handing out work once cancel is set. True when every index ran: the flag may have
// been set and cleared again meanwhile, so what was done, not the flag, says whether the work is whole.
template <typename Work>
bool RunShared(int count, unsigned threads, const std::atomic<bool>& cancel, Work work) {
    std::atomic<int> next{0};
    std::atomic<int> done{0};
    const auto worker = [&] {
        for (int i = next++; i < count && !cancel.load(std::memory_order_relaxed); i = next++) {
            work(i);
            ++done;
        }
    };
    std::vector<std::thread> helpers;
    const unsigned total = std::clamp<unsigned>(threads, 1, static_cast<unsigned>(std::max(count, 1)));
    for (unsigned t = 1; t < total; ++t) helpers.emplace_back(worker);
    worker();
    for (std::thread& helper : helpers) helper.join();
    return done.load() == count;
}

}  // namespace riaa
