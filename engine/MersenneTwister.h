// The standard library's 64-bit Mersenne Twister, bit for bit, its numbers made a whole state at a time for the tolerance runs.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace riaa {

// The numbers of std::mt19937_64 seeded with the same value: the tolerance runs draw thousands a
// chunk, and the library's own engine makes each on its own, with no use of the processor's vectors.
class MersenneTwister64 {
public:
    static constexpr std::size_t kStateSize = 312;

    explicit MersenneTwister64(std::uint64_t seed);

    std::uint64_t operator()() {
        if (next_ == kStateSize) refill();
        return out_[next_++];
    }
    // The next n numbers, as n calls would give them.
    void fill(std::uint64_t* to, std::size_t n);

private:
    // The next kStateSize numbers: the state twisted, then each word tempered.
    void refill();

    std::array<std::uint64_t, kStateSize> state_{};
    std::array<std::uint64_t, kStateSize> out_{};
    std::size_t next_ = kStateSize;
};

}  // namespace riaa
