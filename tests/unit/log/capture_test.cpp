// SPDX-License-Identifier: GPL-3.0-or-later
#include "log/capture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "display/screen_state.h"
#include "i18n/lexicon.h"
#include "log/log_row.h"
#include "sim/meter.h"

namespace logcore {
namespace {

constexpr double kOpen = 1e9;  // what empty clips read
const double kInf = std::numeric_limits<double>::infinity();

// A resistor reading (Rs, tiny Xs) or open clips.
TCaptureReading R(double ohms) {
    if (ohms >= kOpen) return {ohms, 0, ohms};
    return {ohms, 0.01, ohms};
}

struct CaptureCase {
    const char* name;
    std::vector<TCaptureReading> readings;
    std::vector<int> logged;  // indices of the readings that log a row
};

void PrintTo(const CaptureCase& c, std::ostream* os) {
    *os << c.name;
}

class Capture : public ::testing::TestWithParam<CaptureCase> {};

TEST_P(Capture, LogsOncePerPart) {
    const CaptureCase& c = GetParam();
    TCapture capture;  // defaults: 3 reports within 0.5 %
    std::vector<int> logged;
    for (std::size_t i = 0; i < c.readings.size(); ++i)
        if (capture.Feed(c.readings[i])) logged.push_back(static_cast<int>(i));
    EXPECT_EQ(logged, c.logged);
}

INSTANTIATE_TEST_SUITE_P(
    Sequences, Capture,
    ::testing::Values(
        CaptureCase{"SettlesOnTheThirdReport", {R(1000), R(1001), R(999)}, {2}},
        CaptureCase{"NotTwice", {R(1000), R(1001), R(999), R(1000), R(1001), R(999), R(1000)}, {2}},
        CaptureCase{"AgainAfterOpen",
                    {R(1000), R(1000), R(1000), R(kOpen), R(kOpen), R(1000), R(1000), R(1000)},
                    {2, 7}},
        CaptureCase{"AgainAfterASwap",
                    {R(1000), R(1000), R(1000), R(1500), R(1500), R(1500), R(1500)},
                    {2, 5}},
        CaptureCase{"SwapWithinTheSpreadIsNotSeen",
                    {R(1000), R(1000), R(1000), R(1003), R(1003), R(1003)},
                    {2}},
        CaptureCase{"SettlingWhileContactIsMade",
                    {R(kOpen), R(1400), R(1100), R(1010), R(1000), R(1001), R(1000)},
                    {6}},
        CaptureCase{"NoisyNeverSettles",
                    {R(1000), R(1020), R(990), R(1015), R(985), R(1020), R(1000), R(1030)},
                    {}},
        CaptureCase{"OpenOnlyNothing", {R(kOpen), R(kOpen), R(kOpen), R(kOpen)}, {}},
        CaptureCase{"NotAFiniteReading",
                    {R(1000), R(1000), {kInf, 0, 1000}, R(1000), R(1000), R(1000)},
                    {5}},
        CaptureCase{"NoShownValueBreaksTheRun",
                    {R(1000), R(1000), {1000, 0.01, std::nullopt}, R(1000), R(1000)},
                    {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Capture, OpenIsAnImpedanceBeyondTheRange) {
    EXPECT_FALSE(ReadsOpen(2e7, 0));
    EXPECT_TRUE(ReadsOpen(2e7, 1e5));
    EXPECT_TRUE(ReadsOpen(1, -3e7));  // a capacitor's reactance of empty clips
    EXPECT_TRUE(ReadsOpen(std::nan(""), 0));
    EXPECT_FALSE(ReadsOpen(0.05, 6.28e-3));  // a 1 µH inductor at 1 kHz
}

// The simulated meter with parts put on and taken off, its frames through the
// screens as the log sees them: one row per part, for R, L and C alike.
TEST(Capture, SimulatedMeterWithPartsOnAndOff) {
    for (const char* part : {"R=4.7k", "C=100n", "L=10m", "C=10p", "RC=10,1u"}) {
        sim::TSimConfig config;
        config.part = *sim::ParsePart("none");
        sim::TSimMeter meter(config);
        i18n::TLexicons lexicons;
        display::TScreenState screen(lexicons, {",", ""});
        screen.Start(config.model);
        TCapture capture;
        int rows = 0;
        const auto reports = [&](int count) {
            for (int i = 0; i < count; ++i) {
                const protocol::TMeasurementFrame frame = meter.BuildFrame();
                ASSERT_TRUE(screen.Feed(frame).decode.accepted);
                const protocol::TMeterState& st = screen.State();
                rows += capture.Feed({st.Rs, st.Xs, ShownSiValues(st, screen.Settings()).primary});
            }
        };
        reports(5);  // empty clips
        for (const char* put : {part, "none", part, "none", part}) {
            meter.SetPart(*sim::ParsePart(put));
            reports(6);
        }
        meter.SetPart(*sim::ParsePart("R=1M"));  // swapped without opening the clips
        reports(6);
        EXPECT_EQ(rows, 4) << part;
    }
}

}  // namespace
}  // namespace logcore
