#include <gtest/gtest.h>

#include <random>
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

TEST(RunMemo, NeverTellsAnotherKeysValue) {
    // Keys met in a random order, more than the table first holds: it grows, forgetting all, and a
    // key's slot is taken by others between its visits. Whatever it knows must be the key's own.
    Memo memo(3, 12);
    std::mt19937 random(7);
    std::uniform_int_distribution<std::uint64_t> pick(0, 2999);
    int known = 0;
    for (int i = 0; i < 40000; ++i) {
        const std::uint64_t k = pick(random);
        Remembered& r = memo.of({k % 7, k, 0});
        if (r.known) {
            ASSERT_EQ(r.value, static_cast<int>(k)) << "visit " << i;
            ++known;
        } else {
            r = {static_cast<int>(k), true};
        }
    }
    EXPECT_GT(known, 20000);  // once grown to 4096 slots, most of the 3000 keys keep theirs
}
