#include <gtest/gtest.h>

#include <vector>

#include "engine/RunMemo.h"

using namespace riaa;

namespace {

struct Remembered {
    int value = 0;
    bool known = false;
    void forget() { known = false; }
};

using Memo = RunMemo<Remembered, 3>;

// A step: a key asked for, what the memo should know of it, and the value then stored.
struct Step {
    Memo::Key key;
    bool known;
    int value;  // what it knew (where known), else what is stored now
};

}  // namespace

TEST(RunMemo, RemembersOnlyTheKeyItsSlotHolds) {
    // One slot: every key takes it from the one before. Two words of three count: keys differing in
    // the third alone are one key. An empty slot knows nothing, even of the all-zero key it matches.
    const std::vector<Step> steps{
        {{0, 0, 0}, false, 1},
        {{0, 0, 0}, true, 1},
        {{1, 2, 0}, false, 2},
        {{1, 2, 7}, true, 2},
        {{2, 1, 0}, false, 3},
        {{1, 2, 0}, false, 4},
        {{1, 2, 0}, true, 4},
    };
    Memo memo(2, 0);
    for (std::size_t i = 0; i < steps.size(); ++i) {
        Remembered& r = memo.of(steps[i].key);
        EXPECT_EQ(r.known, steps[i].known) << "step " << i;
        if (r.known) {
            EXPECT_EQ(r.value, steps[i].value) << "step " << i;
        } else {
            r = {steps[i].value, true};
        }
    }
}

TEST(RunMemo, KeysOfDistinctSlotsStayApart) {
    Memo memo(3, 10);
    for (std::uint64_t k = 0; k < 64; ++k) memo.of({k, k << 32, 1}) = {static_cast<int>(k), true};
    int kept = 0;
    for (std::uint64_t k = 0; k < 64; ++k) {
        const Remembered& r = memo.of({k, k << 32, 1});
        if (r.known) {
            EXPECT_EQ(r.value, static_cast<int>(k));
            ++kept;
        }
    }
    EXPECT_GT(kept, 48);  // 64 keys in 1024 slots: few share one
}
