#include "engine/MersenneTwister.h"

#include <algorithm>

namespace riaa {

namespace {

// The parameters of mt19937_64.
constexpr std::size_t kShift = 156;
constexpr std::uint64_t kMatrix = 0xB5026F5AA96619E9;
constexpr std::uint64_t kUpperMask = ~std::uint64_t{0} << 31;
constexpr std::uint64_t kLowerMask = ~kUpperMask;
constexpr std::uint64_t kInitialiser = 6364136223846793005;

using State = std::array<std::uint64_t, MersenneTwister64::kStateSize>;

std::uint64_t Twisted(std::uint64_t word, std::uint64_t nextWord, std::uint64_t far) {
    const std::uint64_t y = (word & kUpperMask) | (nextWord & kLowerMask);
    return far ^ (y >> 1) ^ ((y & 1) != 0 ? kMatrix : 0);
}

// Written as three loops of fixed length with no dependence closer than a vector's width, which
// the vectoriser takes; the loader picks the widest build the processor runs.
#if defined(__GNUC__) && !defined(__clang__) && defined(__x86_64__) && !defined(__SANITIZE_ADDRESS__)
[[gnu::target_clones("avx512f", "avx2", "default")]]
#endif
void Refill(State& x, State& out) {
    constexpr std::size_t n = MersenneTwister64::kStateSize;
    for (std::size_t k = 0; k < n - kShift; ++k) x[k] = Twisted(x[k], x[k + 1], x[k + kShift]);
    for (std::size_t k = n - kShift; k < n - 1; ++k) x[k] = Twisted(x[k], x[k + 1], x[k + kShift - n]);
    x[n - 1] = Twisted(x[n - 1], x[0], x[kShift - 1]);
    for (std::size_t k = 0; k < n; ++k) {
        std::uint64_t z = x[k];
        z ^= (z >> 29) & 0x5555555555555555;
        z ^= (z << 17) & 0x71D67FFFEDA60000;
        z ^= (z << 37) & 0xFFF7EEE000000000;
        out[k] = z ^ (z >> 43);
    }
}

}  // namespace

MersenneTwister64::MersenneTwister64(std::uint64_t seed) {
    state_[0] = seed;
    for (std::size_t i = 1; i < kStateSize; ++i) {
        state_[i] = kInitialiser * (state_[i - 1] ^ (state_[i - 1] >> 62)) + i;
    }
}

void MersenneTwister64::fill(std::uint64_t* to, std::size_t n) {
    while (n > 0) {
        if (next_ == kStateSize) refill();
        const std::size_t run = std::min(n, kStateSize - next_);
        std::copy_n(out_.begin() + static_cast<std::ptrdiff_t>(next_), run, to);
        next_ += run;
        to += run;
        n -= run;
    }
}

void MersenneTwister64::refill() {
    Refill(state_, out_);
    next_ = 0;
}

}  // namespace riaa
