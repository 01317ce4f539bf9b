// A memo of what one thread worked out from runs of candidates, by those runs: the best-build
// search bounds millions of boxes, and many share the runs of some of their parts.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace riaa {

// Direct-mapped: each key takes the slot it hashes to, and what the slot held before is forgotten.
// Value is what is worked out: made by default, or by its forget(), it knows nothing, which is how
// an empty slot and one taken by another key start. The table starts small, as most searches are,
// and is made anew twice as large, forgetting all, each time its keys have taken twice as many
// slots as it has, up to its largest size: a value is the caller's until its next call.
template <typename Value, std::size_t kKeyWords>
class RunMemo {
public:
    // One word a run: its first candidate's index in the high half, its last's in the low half.
    using Key = std::array<std::uint64_t, kKeyWords>;

    // words: how many of a key's words are used; at most 2^mostSlotsLog2 slots.
    RunMemo(std::size_t words, std::size_t mostSlotsLog2) : words_(std::min(words, kKeyWords)), mostSlots_(std::size_t{1} << mostSlotsLog2) {}

    // The value of the key's slot: what it knows of the key, or nothing where it held another's.
    Value& of(const Key& key) {
        Slot& slot = slotOf(key);
        bool same = true;
        for (std::size_t k = 0; k < words_; ++k) same = same && slot.key[k] == key[k];
        if (same) return slot.value;
        if (++taken_ > 2 * slotCount_ && slotCount_ < mostSlots_) {
            slots_.assign(2 * slotCount_, Slot{});
            slotCount_ *= 2;
            taken_ = 0;
            return of(key);
        }
        slot.key = key;
        slot.value.forget();
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
        if (slots_.empty()) slots_.assign(slotCount_, Slot{});
        std::uint64_t hash = 0;
        for (std::size_t k = 0; k < words_; ++k) hash = (hash ^ key[k]) * 0x100000001b3;  // FNV-1a's prime
        return slots_[(hash ^ hash >> 29) & (slotCount_ - 1)];
    }

    std::size_t words_;
    std::size_t mostSlots_;
    std::size_t slotCount_ = std::min<std::size_t>(512, mostSlots_);
    std::size_t taken_ = 0;  // slots taken by a key since the table was made
    std::vector<Slot> slots_;
};

}  // namespace riaa
