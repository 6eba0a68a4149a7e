// SPDX-License-Identifier: GPL-3.0-or-later
// Bytes from the adapter's serial port, one chunk per input, through the chunk
// classifier and its effects.

#include <string_view>

#include "fuzz_support.h"
#include "linkcore/chunk.h"

using linkcore::TChunkKind;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view chunk = fuzz::AsText(data, size);
    const TChunkKind live = linkcore::ClassifyChunk(chunk, false);
    const TChunkKind paused = linkcore::ClassifyChunk(chunk, true);

    // Pausing the decoder changes how a frame is handled, nothing else.
    if (live == TChunkKind::Frame) {
        fuzz::Check(paused == TChunkKind::FramePaused, "a paused frame is a frame");
        fuzz::Check(size == 18, "only 18 bytes make a frame");
    } else {
        fuzz::Check(paused == live, "pausing changes only frames");
    }
    // A reply kind needs the reply in the chunk.
    if (live == TChunkKind::Lost) fuzz::Check(chunk.ends_with("OK+LOST"), "lost reply");
    if (live == TChunkKind::Connected) fuzz::Check(chunk.starts_with("OK+CONN"), "link-up reply");

    const linkcore::TChunkEffects liveEffects = linkcore::EffectsOf(live);
    const linkcore::TChunkEffects pausedEffects = linkcore::EffectsOf(paused);
    fuzz::Check(liveEffects.decodeFrame == (live == TChunkKind::Frame), "only frames are decoded");
    fuzz::Check(!pausedEffects.decodeFrame, "nothing is decoded while paused");
    fuzz::Check(!(liveEffects.enterConnectedState && liveEffects.enterDisconnectedState),
                "one state at a time");

    fuzz::Check(linkcore::ProbeAnswered(chunk) == (chunk.find("OK") != std::string_view::npos),
                "probe answer");
    return 0;
}
