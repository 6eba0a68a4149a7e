// SPDX-License-Identifier: GPL-3.0-or-later
#include "sweep/sweep.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

namespace sweep {
namespace {

using protocol::TMeterModel;
using protocol::TMeterSettings;
using protocol::TMeterState;

TEST(SweepFrequencies, EveryFrequencyOfTheModelInRisingOrder) {
    EXPECT_EQ(DefaultFrequencyIndices(TMeterModel::Ks15),
              (std::vector<int>{1, 2, 3, 4, 6, 7, 8, 9, 10, 11, 12, 13, 5, 14}));
    // The КС16's index 6 is 250 kHz, above its 100 kHz.
    EXPECT_EQ(DefaultFrequencyIndices(TMeterModel::Ks16), (std::vector<int>{1, 2, 3, 4, 5, 6}));
}

struct PartCase {
    const char* name;
    double rs;
    double xs;  // signed
    int hz;
    std::optional<double> henry;
    std::optional<double> farad;
    std::optional<double> d;
};

class SweepPointFigures : public ::testing::TestWithParam<PartCase> {};

TEST_P(SweepPointFigures, FollowFromSeriesResistanceAndReactance) {
    const PartCase& c = GetParam();
    const TSweepPoint p = PointFrom(c.rs, c.xs, c.hz);
    EXPECT_DOUBLE_EQ(p.Z, std::hypot(c.rs, c.xs));
    EXPECT_DOUBLE_EQ(p.esr, c.rs);
    EXPECT_EQ(p.henry.has_value(), c.henry.has_value());
    EXPECT_EQ(p.farad.has_value(), c.farad.has_value());
    if (c.henry) {
        EXPECT_NEAR(*p.henry, *c.henry, *c.henry * 1e-9);
    }
    if (c.farad) {
        EXPECT_NEAR(*p.farad, *c.farad, *c.farad * 1e-9);
    }
    EXPECT_EQ(p.D.has_value(), c.d.has_value());
    if (c.d) {
        EXPECT_NEAR(*p.D, *c.d, 1e-12);
    }
    EXPECT_EQ(p.thetaDeg < 0, c.xs < 0);
}

const double kOneMicrofaradAt1k = -1 / (2 * std::numbers::pi * 1000 * 1e-6);
const double kTenMillihenryAt10k = 2 * std::numbers::pi * 10000 * 0.01;

INSTANTIATE_TEST_SUITE_P(
    Parts, SweepPointFigures,
    ::testing::Values(PartCase{"Capacitor", 0.5, kOneMicrofaradAt1k, 1000, std::nullopt, 1e-6,
                               0.5 / -kOneMicrofaradAt1k},
                      PartCase{"Inductor", 2, kTenMillihenryAt10k, 10000, 0.01, std::nullopt,
                               2 / kTenMillihenryAt10k},
                      // No reactance: neither L nor C, and no D (it would be infinite).
                      PartCase{"PureResistor", 100, 0, 1000, std::nullopt, std::nullopt,
                               std::nullopt}),
    [](const ::testing::TestParamInfo<PartCase>& info) { return std::string(info.param.name); });

// A meter as the sweep sees it: frames that report a frequency index and level.
struct Meter {
    TMeterSettings reported;
    double now = 0;

    void Report(TSweep& s, int freqIndex, double rs, double xs, int level = 1) {
        reported.FreqAuto() = 0;
        reported.FreqIndex() = static_cast<std::uint8_t>(freqIndex);
        reported.LevelIndex() = static_cast<std::uint8_t>(level);
        TMeterState st;
        st.Rs = rs;
        st.Xs = std::abs(xs);
        st.PhaseDeg = std::atan2(xs, rs) * 180 / std::numbers::pi;
        now += 0.1;
        s.Feed(reported, st, now);
    }
};

TSweepPlan TwoPoints() {
    TSweepPlan plan;
    plan.frequencyIndices = {3, 4};  // 1 kHz, 10 kHz
    plan.readings = 3;
    return plan;
}

TEST(Sweep, DropsOldAndFirstReadingsThenSettlesOnAgreeingOnes) {
    TMeterSettings before;
    before.FreqIndex() = 5;
    before.Series() = 0;
    TSweep s(TwoPoints(), before);
    Meter m;
    const auto first = s.TakeCommand(m.now);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->FreqIndex(), 3);
    EXPECT_EQ(first->Series(), 1);
    EXPECT_FALSE(s.TakeCommand(m.now)) << "one command a point";

    m.Report(s, 5, 999, 0);    // still the old frequency: ignored
    m.Report(s, 3, 50, -100);  // the first after the change: dropped
    m.Report(s, 3, 10, -160);  // then drifting ...
    m.Report(s, 3, 10, -159);
    m.Report(s, 3, 10, -159.2);
    ASSERT_TRUE(s.Points().empty()) << "the drifting reading spreads the first three";
    m.Report(s, 3, 10, -159.1);
    ASSERT_EQ(s.Points().size(), 1u);
    const TSweepPoint& p = s.Points()[0];
    EXPECT_TRUE(p.settled);
    EXPECT_EQ(p.readingsUsed, 3);
    EXPECT_EQ(p.frequencyHz, 1000);
    EXPECT_NEAR(p.Xs, -159.1, 1e-9);
    EXPECT_TRUE(p.farad);

    const auto second = s.TakeCommand(m.now);
    ASSERT_TRUE(second);
    EXPECT_EQ(second->FreqIndex(), 4);
    for (int i = 0; i < 4; ++i) m.Report(s, 4, 10, -15.9);
    ASSERT_EQ(s.Points().size(), 2u);
    EXPECT_FALSE(s.Done());
    const auto restore = s.TakeCommand(m.now);
    ASSERT_TRUE(restore);
    EXPECT_EQ(*restore, before) << "the meter is put back as it was";
    EXPECT_TRUE(s.Done());
    EXPECT_FALSE(s.TakeCommand(m.now));
}

TEST(Sweep, ReleasesHoldWhileSweepingAndPutsItBackAtTheEnd) {
    TMeterSettings before;
    before.Hold() = 1;
    TSweep s(TwoPoints(), before);
    Meter m;
    const auto first = s.TakeCommand(m.now);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->Hold(), 0) << "a held reading would be taken at every frequency";
    s.Stop();
    const auto restore = s.TakeCommand(m.now);
    ASSERT_TRUE(restore);
    EXPECT_EQ(restore->Hold(), 1);
}

TEST(Sweep, APointThatNeverSettlesIsKeptAsUnsettledAndTheSweepGoesOn) {
    TSweep s(TwoPoints(), TMeterSettings{});
    Meter m;
    ASSERT_TRUE(s.TakeCommand(m.now));
    for (int i = 0; i < 20; ++i) m.Report(s, 3, 10, i % 2 ? -100 : -200);  // 2 s of noise
    EXPECT_TRUE(s.Points().empty());
    s.Tick(m.now + 10);
    ASSERT_EQ(s.Points().size(), 1u);
    EXPECT_FALSE(s.Points()[0].settled);
    EXPECT_EQ(s.Points()[0].readingsUsed, 3);
    EXPECT_GT(s.Points()[0].spread, 0.3);
    const auto next = s.TakeCommand(m.now + 10);
    ASSERT_TRUE(next);
    EXPECT_EQ(next->FreqIndex(), 4);
}

TEST(Sweep, AFrequencyNeverReportedTimesOutWithNoReadings) {
    TSweep s(TwoPoints(), TMeterSettings{});
    Meter m;
    ASSERT_TRUE(s.TakeCommand(0));
    m.Report(s, 5, 10, -10);
    s.Tick(10.5);
    ASSERT_EQ(s.Points().size(), 1u);
    EXPECT_EQ(s.Points()[0].readingsUsed, 0);
    EXPECT_FALSE(s.Points()[0].settled);
}

TEST(Sweep, StopKeepsThePointsAndRestoresTheMeter) {
    TMeterSettings before;
    before.FreqIndex() = 7;
    TSweep s(TwoPoints(), before);
    Meter m;
    ASSERT_TRUE(s.TakeCommand(m.now));
    for (int i = 0; i < 4; ++i) m.Report(s, 3, 10, -159);
    ASSERT_EQ(s.Points().size(), 1u);
    s.Stop();  // before the second point's command went out
    const auto restore = s.TakeCommand(m.now);
    ASSERT_TRUE(restore);
    EXPECT_EQ(*restore, before);
    EXPECT_TRUE(s.Done());
    EXPECT_EQ(s.Points().size(), 1u);
    m.Report(s, 4, 10, -15);  // frames after the end change nothing
    EXPECT_EQ(s.Points().size(), 1u);
}

// At the slowest report interval the dropped reading and three agreeing ones
// take 8 s; the time-out leaves room for them beyond the 10 s floor.
TEST(SweepTimeout, LeavesRoomForTheReadingsAtTheReportInterval) {
    EXPECT_EQ(PointTimeoutSeconds(10, 3, 3), 10);   // 0.5 s
    EXPECT_EQ(PointTimeoutSeconds(10, 3, 1), 14);   // 2 s
    EXPECT_EQ(PointTimeoutSeconds(10, 20, 2), 24);  // 1 s, many readings
}

}  // namespace
}  // namespace sweep
