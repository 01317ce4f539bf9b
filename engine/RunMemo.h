// A memo of what one thread worked out from runs of candidates, by those runs: the best-build
// search bounds millions of boxes, and many share the runs of some of their parts.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace riaa {

// Direct-mapped: each key takes the slot it hashes to, and what the slot held before is forgotten.
// Value is what is worked out; its forget() makes it know nothing, which is how a slot taken by
// another key, and an empty one, starts. The slots are made when first asked for.
template <typename Value, std::size_t kKeyWords>
class RunMemo {
public:
    // One word a run: its first candidate's index in the high half, its last's in the low half.
    using Key = std::array<std::uint64_t, kKeyWords>;

    // words: how many of a key's words are used; 2^slotsLog2 slots.
    RunMemo(std::size_t words, std::size_t slotsLog2) : words_(words), slotCount_(std::size_t{1} << slotsLog2) {}

    // The value of the key's slot: what it knows of the key, or nothing where it held another's.
    Value& of(const Key& key) {
        Slot& slot = slotOf(key);
        bool same = true;
        for (std::size_t k = 0; k < words_; ++k) same = same && slot.key[k] == key[k];
        if (!same) {
            slot.key = key;
            slot.value.forget();
        }
        return slot.value;
    }

    // Asks for the key's slot to be fetched ahead: the slots of the boxes bounded together lie far
    // apart in memory, and are fetched together so.
    void prefetch(const Key& key) { __builtin_prefetch(&slotOf(key)); }

private:
    struct Slot {
        Key key{};
        Value value;
    };

    Slot& slotOf(const Key& key) {
        if (slots_.empty()) {
            slots_.resize(slotCount_);
            for (Slot& slot : slots_) slot.value.forget();
        }
        std::uint64_t hash = 0;
        for (std::size_t k = 0; k < words_; ++k) hash = (hash ^ key[k]) * 0x100000001b3;  // FNV-1a's prime
        return slots_[(hash ^ hash >> 29) & (slotCount_ - 1)];
    }

    std::size_t words_;
    std::size_t slotCount_;
    std::vector<Slot> slots_;
};

}  // namespace riaa
