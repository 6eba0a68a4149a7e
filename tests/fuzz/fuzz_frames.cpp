// SPDX-License-Identifier: GPL-3.0-or-later
// Measurement frames as the meter streams them, through the decoder and the
// RLCD, RD and U screens of every model.
//
// First byte: bits 0-1 the model the window starts with, bit 2 English, bit 3
// seal each frame (checksum and terminator made valid, so the screens see most
// frames), bit 4 profile editing, bit 5 recording running, bit 6 the display
// watchdog runs out after each frame, bit 7 the reference check rejects.
// The rest: frames of 18 bytes; a shorter tail is fed as it is.

#include <algorithm>

#include "frame_screens.h"
#include "protocol/frame.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::uint8_t setup = data[0];
    const bool english = setup & 0x04;
    const bool seal = setup & 0x08;
    const bool staleAfterEach = setup & 0x40;
    const bool reject = setup & 0x80;

    display::TScreenState screen(fuzz::Lexicons(english), fuzz::Separators(english));
    screen.SetProfileEditing(setup & 0x10);
    screen.SetRecordingRunning(setup & 0x20);
    screen.SetToleranceCheck(
        [reject](const protocol::TMeterState&, const protocol::TMeterSettings&) {
            return reject ? protocol::verdict::BothOut : protocol::verdict::Pass;
        });
    screen.Start(static_cast<protocol::TMeterModel>(setup & 0x03));
    fuzz::CheckTexts(screen);

    std::size_t pos = 1;
    while (pos < size) {
        const std::size_t n = std::min(protocol::kFrameSize, size - pos);
        if (n == protocol::kFrameSize && seal) {
            protocol::TMeasurementFrame frame;
            std::copy(data + pos, data + pos + n, frame.begin());
            protocol::SealFrame(frame, (frame[protocol::fb::Variant] & 0x03) >= 2);
            fuzz::FeedChecked(screen, frame);
        } else {
            fuzz::FeedChecked(screen, {data + pos, n});
        }
        if (staleAfterEach) {
            screen.ClearStaleReadings();
            fuzz::CheckTexts(screen);
        }
        pos += n;
    }

    // The meter's reported settings drive the indicators and the model lists.
    screen.ShowSettingsNow();
    screen.ShowCircuitNow();
    screen.RefreshModelListsNow();
    fuzz::CheckTexts(screen);
    return 0;
}
