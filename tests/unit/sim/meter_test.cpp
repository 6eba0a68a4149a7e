// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/meter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "linkcore/chunk.h"
#include "protocol/command.h"
#include "protocol/frame.h"
#include "protocol/settings.h"
#include "support/param_name.h"

namespace sim {
namespace {

using protocol::TDisplayMode;
using protocol::TMeterModel;

std::string Text(const Bytes& b) {
    return std::string(b.begin(), b.end());
}

TSimConfig Exact(TSimConfig c = {}) {
    c.noise = 0;
    return c;
}

// A meter with its radio link up and the link-up reply taken.
class LinkedMeter : public ::testing::Test {
  protected:
    void Link(TSimConfig config) {
        meter = std::make_unique<TSimMeter>(config);
        meter->Receive("AT+CONNL");
        meter->Advance(config.connectDelayMs + 100);
        ASSERT_TRUE(meter->Linked());
        meter->TakeBursts();
    }
    void SetUp() override { Link(Exact()); }

    // Frames sent during the next `ms`, each checked to be a whole valid frame.
    std::vector<protocol::TMeasurementFrame> FramesDuring(int ms) {
        std::vector<protocol::TMeasurementFrame> frames;
        for (int t = 0; t < ms; t += 10) {
            meter->Advance(10);
            for (const Bytes& b : meter->TakeBursts()) {
                EXPECT_EQ(b.size(), protocol::kFrameSize) << Text(b);
                if (b.size() != protocol::kFrameSize) continue;
                EXPECT_EQ(protocol::ValidateFrame(b), protocol::TFrameRejection::None);
                protocol::TMeasurementFrame f;
                std::copy(b.begin(), b.end(), f.begin());
                frames.push_back(f);
            }
        }
        return frames;
    }
    protocol::TMeasurementFrame NextFrame() {
        auto frames = FramesDuring(2100);
        EXPECT_FALSE(frames.empty());
        return frames.empty() ? protocol::TMeasurementFrame{} : frames.back();
    }
    void Send(const protocol::TCommandFrame& c) {
        meter->Receive(c);
        meter->Advance(TSimMeter::kCommandQuietMs + 1);
    }
    protocol::TMeterSettings Reported(const protocol::TMeasurementFrame& f) {
        protocol::TMeterSettings s;
        protocol::CopyReportedSettings(s, std::span(f).subspan<8, 4>());
        return s;
    }

    std::unique_ptr<TSimMeter> meter;
};

TEST(SimAdapter, AtDialogue) {
    TSimMeter m(Exact());
    m.Receive("AT");
    m.Advance(50);
    EXPECT_EQ(m.TakeBursts(), (std::vector<Bytes>{Bytes{'O', 'K'}}));

    m.Receive("AT+CONNL");
    m.Advance(50);
    auto bursts = m.TakeBursts();
    ASSERT_EQ(bursts.size(), 1u);
    EXPECT_EQ(Text(bursts[0]), "OK+CONNL");
    EXPECT_FALSE(m.Linked());
    m.Advance(400);
    bursts = m.TakeBursts();
    ASSERT_EQ(bursts.size(), 1u);
    EXPECT_EQ(Text(bursts[0]), "OK+CONN\r\n");
    EXPECT_TRUE(m.Linked());

    m.Advance(5000);
    m.TakeBursts();
    m.Receive("AT");
    m.Advance(50);
    bursts = m.TakeBursts();
    ASSERT_EQ(bursts.size(), 1u);
    EXPECT_EQ(Text(bursts[0]), "OK+LOST");
    EXPECT_FALSE(m.Linked());
    m.Advance(5000);
    EXPECT_TRUE(m.TakeBursts().empty());  // no frames without a link
}

TEST(SimAdapter, CommandSplitAcrossWritesIsOneCommand) {
    TSimMeter m(Exact());
    m.Receive("AT+C");
    m.Advance(5);
    m.Receive("ONNL");
    m.Advance(50);
    const auto bursts = m.TakeBursts();
    ASSERT_EQ(bursts.size(), 1u);
    EXPECT_EQ(Text(bursts[0]), "OK+CONNL");
}

// The adapter needs a pause between commands; without one it hears a single
// unknown command and stays silent.
TEST(SimAdapter, CommandsWrittenTogetherGetNoAnswer) {
    TSimMeter m(Exact());
    m.Receive("ATAT+CONNL");
    m.Advance(1000);
    EXPECT_TRUE(m.TakeBursts().empty());
    EXPECT_FALSE(m.Linked());
    m.Receive("AT+CONNL\r\n");  // a line end is not part of the command
    m.Advance(1000);
    EXPECT_TRUE(m.Linked());
}

// Every burst must be one chunk the serial link understands.
TEST(SimAdapter, BurstsAreWholeRepliesAndFrames) {
    TSimMeter m(TSimConfig{});
    m.Receive("AT+CONNL");
    std::vector<linkcore::TChunkKind> kinds;
    for (int t = 0; t < 3000; t += 10) {
        m.Advance(10);
        for (const Bytes& b : m.TakeBursts())
            kinds.push_back(linkcore::ClassifyChunk(Text(b), false));
    }
    ASSERT_GE(kinds.size(), 3u);
    EXPECT_EQ(kinds[0], linkcore::TChunkKind::Connecting);
    EXPECT_EQ(kinds[1], linkcore::TChunkKind::Connected);
    for (std::size_t i = 2; i < kinds.size(); ++i) EXPECT_EQ(kinds[i], linkcore::TChunkKind::Frame);
}

TEST(SimAdapter, RepliesRunTogetherWithData) {
    TSimConfig c = Exact();
    c.repliesRunTogether = true;
    c.connectDelayMs = 0;
    TSimMeter m(c);
    m.Receive("AT+CONNL");
    m.Advance(50);
    auto bursts = m.TakeBursts();
    ASSERT_EQ(bursts.size(), 1u);
    const std::string chunk = Text(bursts[0]);
    EXPECT_EQ(chunk.size(), 17u + protocol::kFrameSize);
    EXPECT_TRUE(chunk.starts_with("OK+CONNLOK+CONN\r\n"));
    EXPECT_EQ(linkcore::ClassifyChunk(chunk, false), linkcore::TChunkKind::Connected);

    m.Advance(3000);
    m.TakeBursts();
    m.Receive("AT");
    m.Advance(50);
    bursts = m.TakeBursts();
    ASSERT_EQ(bursts.size(), 1u);
    EXPECT_TRUE(Text(bursts[0]).ends_with("OK+LOST"));
    EXPECT_EQ(bursts[0].size(), protocol::kFrameSize + 7);
    EXPECT_EQ(linkcore::ClassifyChunk(Text(bursts[0]), false), linkcore::TChunkKind::Lost);
}

TEST(SimAdapter, LateConnectFailure) {
    TSimConfig c = Exact();
    c.connectFailsLate = true;
    TSimMeter m(c);
    m.Receive("AT+CONNL");
    m.Advance(9000);
    auto bursts = m.TakeBursts();
    ASSERT_EQ(bursts.size(), 1u);
    EXPECT_EQ(Text(bursts[0]), "OK+CONNL");
    m.Advance(2000);
    bursts = m.TakeBursts();
    ASSERT_EQ(bursts.size(), 1u);
    EXPECT_EQ(Text(bursts[0]), "OK+CONNF");
    EXPECT_FALSE(m.Linked());
}

// What the meter reports for each part at its default 10 kHz, series values.
struct PartCase {
    const char* text;
    double r;
    double x;
    int primIndex;  // chosen automatically
    int secIndex;
    int series;
};

class SimPartReading : public LinkedMeter, public ::testing::WithParamInterface<PartCase> {};

TEST_P(SimPartReading, RlcdFrameCarriesSeriesValuesAndAutoChoices) {
    const PartCase& c = GetParam();
    TSimConfig config = Exact();
    config.part = *ParsePart(c.text);
    Link(config);
    const auto f = NextFrame();
    EXPECT_NEAR(protocol::DecodeSingle(f, 0), c.r, std::abs(c.r) * 1e-3 + 1e-6);
    EXPECT_NEAR(protocol::DecodeSingle(f, 4), c.x, std::abs(c.x) * 1e-3 + 1e-6);
    const auto status = protocol::DecodeStatus(f[15]);
    EXPECT_EQ(status.displayMode, 1);
    EXPECT_EQ(status.model, 0);
    EXPECT_FALSE(status.powerSave);
    const auto s = Reported(f);
    EXPECT_EQ(s.PrimIndex(), c.primIndex);
    EXPECT_EQ(s.PrimAuto(), 1);
    EXPECT_EQ(s.SecIndex(), c.secIndex);
    EXPECT_EQ(s.Series(), c.series);
    EXPECT_EQ(s.FreqIndex(), 4);
    EXPECT_EQ(s.Rate(), 2);
    EXPECT_EQ(s.Negative(), 0);
}

INSTANTIATE_TEST_SUITE_P(Parts, SimPartReading,
                         ::testing::Values(PartCase{"R=1k", 1000, -0.005655, 1, 4, 1},
                                           PartCase{"R=100k", 1e5, -62.83, 1, 4, 0},
                                           PartCase{"C=100n", 2.533e-5, -159.155, 2, 3, 1},
                                           PartCase{"L=10m", 0.05, 628.319, 3, 2, 1},
                                           PartCase{"RC=100,1u", 100, -15.9155, 2, 3, 1},
                                           PartCase{"RL=2,1m", 2, 62.8319, 3, 2, 1}),
                         [](const auto& info) {
                             return testing_support::ParamName(info.param.text);
                         });

// A resistor's reactance is small but never zero at any test frequency: a
// zero cannot travel in a frame, and its loss factor D = R / X would read
// about 1E41 on the screen.
struct ResistorCase {
    const char* part;
    int freqIndex;  // 100 Hz .. 100 kHz
};

class SimResistor : public LinkedMeter, public ::testing::WithParamInterface<ResistorCase> {};

TEST_P(SimResistor, ShowsASmallReactanceAndASaneLossFactor) {
    const ResistorCase& c = GetParam();
    TSimConfig config = Exact();
    config.part = *ParsePart(c.part);
    Link(config);
    protocol::TMeterSettings s = meter->Settings();
    s.FreqAuto() = 0;
    s.FreqIndex() = static_cast<std::uint8_t>(c.freqIndex);
    Send(protocol::EncodeSettingsCommand(s, false));
    const auto f = NextFrame();
    const double r = protocol::DecodeSingle(f, 0);
    const double x = protocol::DecodeSingle(f, 4);
    // The body's capacitance shows a little at 100 kHz on a megohm, as on a real part.
    EXPECT_NEAR(r, config.part.ohms, config.part.ohms * 1e-2);
    EXPECT_GT(std::abs(x), 1e-9 * r);
    EXPECT_LT(std::abs(x), 0.1 * r);  // still read as a resistor
    EXPECT_LT(r / std::abs(x), 1e9);
    EXPECT_EQ(Reported(f).PrimIndex(), 1);
}

INSTANTIATE_TEST_SUITE_P(Parts, SimResistor,
                         ::testing::Values(ResistorCase{"R=1", 1}, ResistorCase{"R=1", 5},
                                           ResistorCase{"R=1k", 1}, ResistorCase{"R=1k", 3},
                                           ResistorCase{"R=1k", 5}, ResistorCase{"R=1M", 1},
                                           ResistorCase{"R=1M", 5}),
                         [](const auto& info) {
                             return testing_support::ParamName(
                                 std::string(info.param.part) + "_at_" +
                                 std::to_string(info.param.freqIndex));
                         });

TEST_F(LinkedMeter, NoiseStaysSmallAndVaries) {
    TSimConfig c;
    c.noise = 0.01;
    Link(c);
    const auto frames = FramesDuring(5000);
    ASSERT_GE(frames.size(), 4u);
    bool varied = false;
    for (const auto& f : frames) {
        EXPECT_NEAR(protocol::DecodeSingle(f, 0), 1000, 10.01);
        varied |= protocol::DecodeSingle(f, 0) != protocol::DecodeSingle(frames[0], 0);
    }
    EXPECT_TRUE(varied);
}

struct RateCase {
    std::uint8_t rate;
    int intervalMs;
};

class SimRate : public LinkedMeter, public ::testing::WithParamInterface<RateCase> {};

TEST_P(SimRate, FramesComeAtTheReportInterval) {
    protocol::TMeterSettings s = meter->Settings();
    s.Rate() = GetParam().rate;
    Send(protocol::EncodeSettingsCommand(s, false));
    FramesDuring(2100);  // let the old interval run out
    int frames = 0;
    int last = -1;
    for (int t = 0; t < 10000; t += 10) {
        meter->Advance(10);
        for (const Bytes& b : meter->TakeBursts()) {
            ASSERT_EQ(b.size(), protocol::kFrameSize);
            if (last >= 0) {
                EXPECT_EQ(t - last, GetParam().intervalMs);
            }
            last = t;
            ++frames;
        }
    }
    EXPECT_EQ(frames, 10000 / GetParam().intervalMs);
}

INSTANTIATE_TEST_SUITE_P(Rates, SimRate,
                         ::testing::Values(RateCase{1, 2000}, RateCase{2, 1000}, RateCase{3, 500}),
                         [](const auto& info) {
                             return "Rate" + std::to_string(info.param.rate) + "_" +
                                    std::to_string(info.param.intervalMs) + "ms";
                         });

TEST_F(LinkedMeter, SettingsCommandIsObeyedAndReported) {
    protocol::TMeterSettings s = meter->Settings();
    s.FreqAuto() = 0;
    s.FreqIndex() = 3;
    s.PrimAuto() = 0;
    s.PrimIndex() = 3;  // L on a resistor
    s.SecAuto() = 0;
    s.SecIndex() = 2;
    s.CircuitAuto() = 0;
    s.Series() = 0;
    s.LevelIndex() = 2;
    s.Sound() = 0;
    s.Hold() = 1;
    s.SourceAuto() = 0;
    s.SourceIndex() = 1;
    Send(protocol::EncodeSettingsCommand(s, false));
    const auto r = Reported(NextFrame());
    EXPECT_EQ(r.FreqAuto(), 0);
    EXPECT_EQ(r.FreqIndex(), 3);
    EXPECT_EQ(r.PrimAuto(), 0);
    EXPECT_EQ(r.PrimIndex(), 3);
    EXPECT_EQ(r.SecIndex(), 2);
    EXPECT_EQ(r.CircuitAuto(), 0);
    EXPECT_EQ(r.Series(), 0);
    EXPECT_EQ(r.LevelIndex(), 2);
    EXPECT_EQ(r.Sound(), 0);
    EXPECT_EQ(r.Hold(), 1);
    EXPECT_EQ(r.SourceAuto(), 0);
    EXPECT_EQ(r.SourceIndex(), 1);
}

// The first report after a new test frequency is still on its way from the
// old reading, a few percent off; the next one is the part's own. A command
// that leaves frequency and level alone moves nothing.
TEST_F(LinkedMeter, AReportAfterAFrequencyChangeStillShowsTheTransition) {
    TSimConfig config = Exact();
    config.part = *ParsePart("C=1u");
    Link(config);
    ASSERT_FALSE(FramesDuring(1100).empty());  // a reading at the old frequency
    const double trueX = SeriesImpedance(config.part, 100).x;

    protocol::TMeterSettings s = meter->Settings();
    s.Sound() = 0;
    Send(protocol::EncodeSettingsCommand(s, false));
    auto frames = FramesDuring(1000);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_FLOAT_EQ(protocol::DecodeSingle(frames[0], 4),
                    static_cast<float>(SeriesImpedance(config.part, 10000).x));

    s.FreqAuto() = 0;
    s.FreqIndex() = 1;  // 10 kHz to 100 Hz: |X| grows a hundredfold
    Send(protocol::EncodeSettingsCommand(s, false));
    frames = FramesDuring(2000);
    ASSERT_EQ(frames.size(), 2u);
    const double first = protocol::DecodeSingle(frames[0], 4);
    EXPECT_NEAR(first, trueX * (1 - TSimMeter::kTransitionShare), std::abs(trueX) * 1e-6)
        << "off towards the old reading, by no more than the share";
    EXPECT_NEAR(protocol::DecodeSingle(frames[1], 4), trueX, std::abs(trueX) * 1e-6);
    EXPECT_EQ(Reported(frames[0]).FreqIndex(), 1) << "the settings show at once";
}

TEST_F(LinkedMeter, CommandFrameSplitAcrossWrites) {
    protocol::TMeterSettings s = meter->Settings();
    s.FreqAuto() = 0;
    s.FreqIndex() = 1;
    const auto cmd = protocol::EncodeSettingsCommand(s, true);
    // Split mid-frame with a long pause, and with noise in front.
    meter->Receive(Bytes{0x55, 0x0A});
    meter->Receive(std::span(cmd).first(2));
    meter->Advance(200);
    EXPECT_EQ(meter->Settings().FreqIndex(), 4);
    meter->Receive(std::span(cmd).subspan(2));
    meter->Advance(TSimMeter::kCommandQuietMs + 1);
    EXPECT_EQ(meter->Settings().FreqIndex(), 1);
    EXPECT_TRUE(meter->Linked());
}

TEST_F(LinkedMeter, TwoCommandsInOneWrite) {
    const auto rd = protocol::BuildFunctionCommand(protocol::FnRd, true);
    protocol::TMeterSettings s = meter->Settings();
    s.Sound() = 0;
    const auto settings = protocol::EncodeSettingsCommand(s, true);
    Bytes both(rd.begin(), rd.end());
    both.insert(both.end(), settings.begin(), settings.end());
    meter->Receive(both);
    meter->Advance(TSimMeter::kCommandQuietMs + 1);
    EXPECT_EQ(meter->Mode(), TDisplayMode::Rd);
    EXPECT_EQ(meter->Settings().Sound(), 0);
}

TEST_F(LinkedMeter, HoldFreezesTheReading) {
    TSimConfig c;
    c.noise = 0.01;
    Link(c);
    protocol::TMeterSettings s = meter->Settings();
    s.Hold() = 1;
    Send(protocol::EncodeSettingsCommand(s, false));
    const auto frames = FramesDuring(4000);
    ASSERT_GE(frames.size(), 3u);
    for (const auto& f : frames)
        EXPECT_EQ(protocol::DecodeSingle(f, 0), protocol::DecodeSingle(frames[0], 0));
}

struct ModeCase {
    TMeterModel model;
    protocol::TFunctionCode code;
    TDisplayMode expected;
    std::uint8_t subMode;
};

class SimModeCommand : public LinkedMeter, public ::testing::WithParamInterface<ModeCase> {};

TEST_P(SimModeCommand, SwitchesTheDisplayMode) {
    const ModeCase& c = GetParam();
    TSimConfig config = Exact();
    config.model = c.model;
    config.mode = TDisplayMode::Rlcd;
    Link(config);
    Send(protocol::BuildFunctionCommand(c.code, true));
    const auto f = NextFrame();
    const auto status = protocol::DecodeStatus(f[15]);
    EXPECT_EQ(status.displayMode, static_cast<int>(c.expected));
    EXPECT_EQ(status.model, static_cast<int>(c.model));
    EXPECT_EQ(f[14], c.subMode);
}

INSTANTIATE_TEST_SUITE_P(
    Modes, SimModeCommand,
    ::testing::Values(ModeCase{TMeterModel::Ks15, protocol::FnRd, TDisplayMode::Rd, 0x02},
                      ModeCase{TMeterModel::Ks15, protocol::FnU, TDisplayMode::U, 0},
                      ModeCase{TMeterModel::Ks17, protocol::FnU, TDisplayMode::U, 0},
                      // no U mode on these models
                      ModeCase{TMeterModel::Ks16, protocol::FnU, TDisplayMode::Rlcd, 0},
                      ModeCase{TMeterModel::Ks19, protocol::FnU, TDisplayMode::Rlcd, 0},
                      ModeCase{TMeterModel::Ks19, protocol::FnRlcd, TDisplayMode::Rlcd, 0}),
    [](const auto& info) {
        const ModeCase& c = info.param;
        std::string name = testing_support::ModelName(c.model) + "_";
        switch (c.code) {
            case protocol::FnRlcd:
                return name + "Rlcd";
            case protocol::FnRd:
                return name + "Rd";
            case protocol::FnU:
                return name + "U";
            default:
                return name + "Code" + std::to_string(static_cast<int>(c.code));
        }
    });

TEST_F(LinkedMeter, RdReadingIsTheResistanceWithItsTestCurrent) {
    Send(protocol::BuildFunctionCommand(protocol::FnRd, true));
    const auto f = NextFrame();
    EXPECT_NEAR(protocol::DecodeSingle(f, 0), 1000, 1e-3);
    EXPECT_NEAR(protocol::DecodeSingle(f, 4), 650, 1e-2);  // 1.3 V over 2 kΩ, µA
}

TEST_F(LinkedMeter, BrightnessFollowsEveryCommand) {
    Send(protocol::BuildFunctionCommand(protocol::FnWake, true));  // SP4 down
    EXPECT_TRUE(protocol::DecodeStatus(NextFrame()[15]).brightnessKey);
    Send(protocol::BuildFunctionCommand(protocol::FnWake, false));
    EXPECT_FALSE(protocol::DecodeStatus(NextFrame()[15]).brightnessKey);
}

TEST_F(LinkedMeter, PowerOffDropsTheLinkAndStopsFrames) {
    Send(protocol::BuildFunctionCommand(protocol::FnPowerOff, false));
    const auto bursts = meter->TakeBursts();
    ASSERT_EQ(bursts.size(), 1u);
    EXPECT_EQ(Text(bursts[0]), "OK+LOST");
    EXPECT_EQ(meter->Power(), TPowerState::Off);
    meter->Advance(5000);
    EXPECT_TRUE(meter->TakeBursts().empty());
    // An off meter cannot be reached: the adapter gives up after its time-out.
    meter->Receive("AT+CONNL");
    meter->Advance(12000);
    const auto replies = meter->TakeBursts();
    ASSERT_EQ(replies.size(), 2u);
    EXPECT_EQ(Text(replies[1]), "OK+CONNF");
}

// The host's own radio: frames as whole notifications, 8-byte commands only,
// and a lost link that leaves no text behind.
TEST(SimRadio, LinksWithoutTheAdapterAndObeysEightByteWrites) {
    TSimMeter meter(Exact());
    ASSERT_TRUE(meter.ConnectRadio());
    EXPECT_TRUE(meter.Linked());
    meter.Advance(1100);
    auto bursts = meter.TakeBursts();
    ASSERT_EQ(bursts.size(), 1u);
    EXPECT_EQ(bursts[0].size(), protocol::kFrameSize);

    const auto wire = [](const protocol::TCommandFrame& f) {
        return protocol::CommandBytesForLink(f, protocol::TLinkKind::lkDirectBle);
    };
    const auto rd = protocol::BuildFunctionCommand(protocol::FnRd, false);
    meter.RadioWrite(rd);  // the adapter's 6-byte form is not a radio command
    EXPECT_EQ(meter.Mode(), TDisplayMode::Rlcd);
    meter.RadioWrite(wire(rd));
    EXPECT_EQ(meter.Mode(), TDisplayMode::Rd);

    meter.DropRadio();
    EXPECT_FALSE(meter.Linked());
    meter.Advance(3000);
    EXPECT_TRUE(meter.TakeBursts().empty());  // no "OK+LOST", no frames
    meter.RadioWrite(wire(protocol::BuildFunctionCommand(protocol::FnRlcd, false)));
    EXPECT_EQ(meter.Mode(), TDisplayMode::Rd);  // nobody listens while unlinked

    ASSERT_TRUE(meter.ConnectRadio());
    meter.RadioWrite(wire(protocol::BuildFunctionCommand(protocol::FnPowerOff, false)));
    EXPECT_FALSE(meter.Linked());
    EXPECT_TRUE(meter.TakeBursts().empty());
    EXPECT_FALSE(meter.ConnectRadio());  // an off meter cannot be reached
}

TEST_F(LinkedMeter, SleepSendsPowerSaveFramesUntilWoken) {
    meter->SetPowerSave(true);
    auto frames = FramesDuring(3000);
    ASSERT_GE(frames.size(), 2u);
    for (const auto& f : frames) {
        EXPECT_TRUE(protocol::DecodeStatus(f[15]).powerSave);
        EXPECT_TRUE(protocol::DecodePowerSave(f).asleep);
    }
    EXPECT_GE(protocol::DecodePowerSave(frames.back()).seconds, 2);

    // Asleep, a settings command is ignored; the wake-up command works.
    protocol::TMeterSettings s = meter->Settings();
    s.Sound() = 0;
    Send(protocol::EncodeSettingsCommand(s, false));
    EXPECT_EQ(meter->Settings().Sound(), 1);
    Send(protocol::BuildFunctionCommand(protocol::FnWake, false));
    EXPECT_EQ(meter->Power(), TPowerState::On);
    EXPECT_FALSE(protocol::DecodeStatus(NextFrame()[15]).powerSave);
}

TEST_F(LinkedMeter, EconomyFrameAndAnyCommandWakes) {
    meter->SetPowerSave(false);
    const auto f = NextFrame();
    EXPECT_TRUE(protocol::DecodeStatus(f[15]).powerSave);
    EXPECT_FALSE(protocol::DecodePowerSave(f).asleep);
    Send(protocol::BuildFunctionCommand(protocol::FnRd, false));
    EXPECT_EQ(meter->Power(), TPowerState::On);
    EXPECT_EQ(meter->Mode(), TDisplayMode::Rd);
}

TEST_F(LinkedMeter, FrequencyBeyondTheModelIsLimited) {
    TSimConfig c = Exact();
    c.model = TMeterModel::Ks17;
    Link(c);
    protocol::TMeterSettings s = meter->Settings();
    s.FreqAuto() = 0;
    s.FreqIndex() = 14;
    Send(protocol::EncodeSettingsCommand(s, false));
    EXPECT_EQ(Reported(NextFrame()).FreqIndex(), 5);
}

struct SpecCase {
    const char* name;
    const char* text;
    bool ok;
    TPartKind kind;
    double ohms, farads, henries;
};

class SimPartSpec : public ::testing::TestWithParam<SpecCase> {};

TEST_P(SimPartSpec, Parses) {
    const SpecCase& c = GetParam();
    const auto p = ParsePart(c.text);
    ASSERT_EQ(p.has_value(), c.ok);
    if (!p) return;
    EXPECT_EQ(p->kind, c.kind);
    EXPECT_DOUBLE_EQ(p->farads, c.farads);
    EXPECT_DOUBLE_EQ(p->henries, c.henries);
    if (c.kind != TPartKind::Inductor) {
        EXPECT_DOUBLE_EQ(p->ohms, c.ohms);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Specs, SimPartSpec,
    ::testing::Values(SpecCase{"ResistorKilo", "R=4.7k", true, TPartKind::Resistor, 4700, 0, 0},
                      SpecCase{"ResistorNoSuffix", "R=10", true, TPartKind::Resistor, 10, 0, 0},
                      SpecCase{"ResistorMega", "R=2M", true, TPartKind::Resistor, 2e6, 0, 0},
                      SpecCase{"CapacitorNano", "C=100n", true, TPartKind::Capacitor, 0, 100e-9, 0},
                      SpecCase{"CapacitorPico", "C=22p", true, TPartKind::Capacitor, 0, 22e-12, 0},
                      SpecCase{"CapacitorMicroSign", "C=1µ", true, TPartKind::Capacitor, 0, 1e-6,
                               0},
                      SpecCase{"InductorMilli", "L=10m", true, TPartKind::Inductor, 0, 0, 10e-3},
                      SpecCase{"SeriesRc", "RC=1k,1u", true, TPartKind::SeriesRc, 1000, 1e-6, 0},
                      SpecCase{"SeriesRl", "RL=10,2m", true, TPartKind::SeriesRl, 10, 0, 2e-3},
                      SpecCase{"NoValue", "R=", false, {}, 0, 0, 0},
                      SpecCase{"Zero", "R=0", false, {}, 0, 0, 0},
                      SpecCase{"Negative", "R=-5", false, {}, 0, 0, 0},
                      SpecCase{"UnknownSuffix", "R=1x", false, {}, 0, 0, 0},
                      SpecCase{"UnknownKind", "X=1", false, {}, 0, 0, 0},
                      SpecCase{"NoEqualsSign", "R1k", false, {}, 0, 0, 0},
                      SpecCase{"RcWithoutCapacitance", "RC=1k", false, {}, 0, 0, 0},
                      SpecCase{"ResistorWithTwoValues", "R=1k,2", false, {}, 0, 0, 0},
                      SpecCase{"SuffixOnly", "R=k", false, {}, 0, 0, 0}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace sim

namespace sim {
namespace {

// Faults the simulator can put on the link, as the host sees them.
TEST_F(LinkedMeter, LinkLostInTheMiddleOfAFrame) {
    meter->DropLinkMidFrame();
    meter->Advance(50);
    const auto bursts = meter->TakeBursts();
    ASSERT_EQ(bursts.size(), 1u);
    EXPECT_EQ(bursts[0].size(), protocol::kFrameSize / 2 + 7);
    EXPECT_EQ(linkcore::ClassifyChunk(Text(bursts[0]), false), linkcore::TChunkKind::Lost);
    EXPECT_FALSE(meter->Linked());
}

TEST_F(LinkedMeter, CorruptedFramesFailTheirChecksumThenGoodOnesFollow) {
    meter->CorruptNextFrames(2);
    std::vector<protocol::TFrameRejection> verdicts;
    for (int t = 0; t < 3100; t += 10) {
        meter->Advance(10);
        for (const Bytes& b : meter->TakeBursts()) verdicts.push_back(protocol::ValidateFrame(b));
    }
    ASSERT_EQ(verdicts.size(), 3u);
    EXPECT_EQ(verdicts[0], protocol::TFrameRejection::BadChecksum);
    EXPECT_EQ(verdicts[1], protocol::TFrameRejection::BadChecksum);
    EXPECT_EQ(verdicts[2], protocol::TFrameRejection::None);
}

// A reader that was busy finds frames back to back: one burst, each of its
// frames whole and valid, and the link's reader takes them apart again.
TEST_F(LinkedMeter, GluedFramesComeAsOneBurstOfWholeFrames) {
    meter->GlueNextFrames(3);
    std::vector<Bytes> bursts;
    for (int t = 0; t < 4100; t += 10) {
        meter->Advance(10);
        for (Bytes& b : meter->TakeBursts()) bursts.push_back(std::move(b));
    }
    ASSERT_EQ(bursts.size(), 2u);
    ASSERT_EQ(bursts[0].size(), 3 * protocol::kFrameSize);
    const std::string glued = Text(bursts[0]);
    EXPECT_EQ(linkcore::ClassifyChunk(glued, false), linkcore::TChunkKind::Frame);
    const auto frames = linkcore::FramesOf(glued);
    ASSERT_EQ(frames.size(), 3u);
    for (const std::string_view f : frames)
        EXPECT_EQ(protocol::ValidateFrame(
                      std::span(reinterpret_cast<const std::uint8_t*>(f.data()), f.size())),
                  protocol::TFrameRejection::None);
    EXPECT_EQ(bursts[1].size(), protocol::kFrameSize);  // then one at a time again
}

TEST_F(LinkedMeter, UnpluggedAdapterForgetsItsLinkSilently) {
    meter->AdapterUnplugged();
    meter->Advance(3000);
    EXPECT_TRUE(meter->TakeBursts().empty());
    EXPECT_FALSE(meter->Linked());
    meter->Receive("AT+CONNL");  // plugged back in: it links again
    meter->Advance(1000);
    EXPECT_TRUE(meter->Linked());
}

TEST(SimAdapter, LateConnectFailureCanBeSwitchedOnAndOff) {
    TSimMeter m(Exact());
    m.SetLateConnectFailure(500);
    m.Receive("AT+CONNL");
    m.Advance(1000);
    EXPECT_EQ(Text(m.TakeOutput()), "OK+CONNLOK+CONNF");
    m.SetLateConnectFailure(std::nullopt);
    m.Receive("AT+CONNL");
    m.Advance(1000);
    EXPECT_TRUE(m.Linked());
}

}  // namespace
}  // namespace sim
