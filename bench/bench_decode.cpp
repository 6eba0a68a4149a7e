// SPDX-License-Identifier: GPL-3.0-or-later
// Prints how fast a frame goes from bytes to screen texts: through the core
// alone, and through the window's whole path (offscreen). No assertions.
//
//   bench_decode [core rounds] [window rounds]
//
// A round is 1000 frames. Few rounds suit an instruction count under
// valgrind --tool=callgrind (see the inclusive cost of TScreenState::Feed and
// DisplayView::DecodeMeasurementFrame).
#include <QApplication>
#include <QPushButton>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "app/main.h"
#include "display/screen_state.h"
#include "protocol/frame.h"
#include "protocol/settings.h"

namespace {

std::vector<protocol::TMeasurementFrame> SampleFrames(int count) {
    protocol::TMeterSettings settings;
    protocol::TMeterState state;
    protocol::ApplyDefaults(settings, state);
    std::vector<protocol::TMeasurementFrame> frames;
    frames.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        protocol::TFrameFields f;
        f.status.displayMode = 1;
        f.value1 = 1000.0f + static_cast<float>(i % 97);
        f.value2 = -150.0f - static_cast<float>(i % 13);
        f.settings = protocol::ReportedSettingsBytes(settings);
        frames.push_back(protocol::BuildMeasurementFrame(f));
    }
    return frames;
}

template <typename F>
double SecondsFor(F&& body) {
    const auto start = std::chrono::steady_clock::now();
    body();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int coreRounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
    const int windowRounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    const auto frames = SampleFrames(1000);

    i18n::TLexicons lexicons;
    display::TScreenState core(lexicons, {",", "\u00A0"});
    core.Start(protocol::TMeterModel::Ks15);
    const double coreSeconds = SecondsFor([&] {
        for (int r = 0; r < coreRounds; ++r)
            for (const auto& frame : frames) core.Feed(frame);
    });
    const double coreFrames = static_cast<double>(coreRounds) * static_cast<double>(frames.size());
    std::printf("core decode + read-outs: %.0f frames/s (%.2f us/frame)\n",
                coreFrames / coreSeconds, 1e6 * coreSeconds / coreFrames);

    QTemporaryDir settingsDir;
    TForm1Ports ports;
    ports.settingsFolder = settingsDir.path();
    TForm1 form(std::move(ports));
    form.SB4->setChecked(false);
    const double windowSeconds = SecondsFor([&] {
        for (int r = 0; r < windowRounds; ++r)
            for (const auto& frame : frames) form.DecodeMeasurementFrame(frame);
    });
    const double windowFrames =
        static_cast<double>(windowRounds) * static_cast<double>(frames.size());
    std::printf("window path (offscreen): %.1f us/frame\n", 1e6 * windowSeconds / windowFrames);
    return 0;
}
