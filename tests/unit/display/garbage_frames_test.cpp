// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <random>

#include "display/screen_state.h"
#include "protocol/frame.h"

namespace display {
namespace {

// Whatever a damaged link delivers, as long as it passes the checksum, must
// give some screen and never undefined behaviour (the sanitizer build watches
// for overflowing conversions and out-of-range reads).
TEST(GarbageFrames, AnySealedFrameGivesAScreenInEveryModeAndModel) {
    i18n::TLexicons lexicons;
    TScreenState screen(lexicons, {",", "\u00A0"});
    screen.Start(protocol::TMeterModel::Ks15);
    std::mt19937 rng(20261210);
    std::uniform_int_distribution<int> byte(0, 255);
    int accepted = 0;
    for (int i = 0; i < 20000; ++i) {
        protocol::TMeasurementFrame frame;
        for (auto& b : frame) b = static_cast<std::uint8_t>(byte(rng));
        // Keep the model valid and the power-save bits sane often enough to get past validation.
        frame[protocol::fb::Status] &= 0xE7;
        protocol::SealFrame(frame, false);
        const TFrameOutcome out = screen.Feed(frame);
        if (!out.decode.accepted) continue;
        ++accepted;
        for (const auto& [control, text] : screen.Texts()) EXPECT_LT(text.size(), 200u) << control;
    }
    EXPECT_GT(accepted, 1000);
}

}  // namespace
}  // namespace display
