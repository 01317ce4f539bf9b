#include <gtest/gtest.h>

#include <cmath>

#include "engine/Formats.h"
#include "engine/RiaaResponse.h"

using namespace riaa;

namespace {

struct LevelCase {
    double hz;
    double playback;
    const char* readout;
};
class ReferenceLevels : public ::testing::TestWithParam<LevelCase> {};
TEST_P(ReferenceLevels, MatchTheTable) {
    const LevelCase& c = GetParam();
    EXPECT_NEAR(PlaybackLevel(c.hz), c.playback, 5e-7);
    EXPECT_NEAR(InverseCurveLevel(c.hz), c.playback + 19.911, 5e-7);
    EXPECT_NEAR(RecordCurveLevel(c.hz), -c.playback - 19.822, 5e-7);
    EXPECT_EQ(FormatDecibels(InverseCurveLevel(c.hz), NumberLocale{}), c.readout);
    EXPECT_EQ(PlaybackLevel(-c.hz), PlaybackLevel(c.hz));
}
INSTANTIATE_TEST_SUITE_P(
    Table, ReferenceLevels,
    ::testing::Values(LevelCase{0, 0, "19.9 dB"}, LevelCase{10, -0.168371, "19.7 dB"},
                      LevelCase{50, -2.965352, "16.9 dB"}, LevelCase{100, -6.822559, "13.1 dB"},
                      LevelCase{175, -10.742833, "9.17 dB"}, LevelCase{500, -17.263417, "2.65 dB"},
                      LevelCase{900, -19.561560, "0.35 dB"}, LevelCase{1000, -19.911019, "0 dB"},
                      LevelCase{1100, -20.225447, "-0.31 dB"}, LevelCase{2000, -22.499560, "-2.59 dB"},
                      LevelCase{10000, -33.645362, "-13.7 dB"}, LevelCase{20000, -39.531352, "-19.6 dB"},
                      LevelCase{100000, -53.466672, "-33.6 dB"}));

TEST(Curves, MirrorEachOtherWithTheirOffsets) {
    for (double hz : {0.0, 1.0, 37.0, 1000.0, 15000.0, 1e6}) {
        EXPECT_NEAR(InverseCurveLevel(hz) + RecordCurveLevel(hz), 0.089, 1e-9);
    }
}

TEST(Curves, StayFiniteFarOutside) {
    double previous = PlaybackLevel(1e6);
    for (double hz = 1e7; hz < 1e308; hz *= 1000) {
        const double level = PlaybackLevel(hz);
        ASSERT_TRUE(std::isfinite(level)) << hz;
        EXPECT_LT(level, previous) << hz;
        previous = level;
    }
    EXPECT_TRUE(std::isfinite(PlaybackLevel(1.7e308)));
    // Negative frequencies mirror the positive ones out there as well.
    for (double hz : {1e29, 1e31, 1e70, 1e100, 1.7e308}) EXPECT_EQ(PlaybackLevel(-hz), PlaybackLevel(hz)) << hz;
    // Far above the poles the slope is 20 dB a decade.
    EXPECT_NEAR(PlaybackLevel(1e9) - PlaybackLevel(1e10), 20, 0.01);
    EXPECT_NEAR(PlaybackLevel(1e29) - PlaybackLevel(1e31), 40, 0.01);
}

}  // namespace
