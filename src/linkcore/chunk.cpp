// SPDX-License-Identifier: GPL-3.0-or-later
#include "linkcore/chunk.h"

#include <cstdint>
#include <span>

#include "protocol/frame.h"

namespace linkcore {
namespace {

constexpr std::string_view kConnectedLine = "OK+CONN\r\n";
constexpr std::string_view kConnectingThenConnected = "OK+CONNLOK+CONN\r\n";
constexpr std::string_view kLost = "OK+LOST";
constexpr std::size_t kFrameSize = protocol::kFrameSize;

bool ValidFrame(std::string_view bytes) {
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
    return protocol::ValidateFrame(std::span(data, bytes.size())) ==
           protocol::TFrameRejection::None;
}

// Two or more valid frames and nothing else.
bool FrameRun(std::string_view c) {
    if (c.size() < 2 * kFrameSize || c.size() % kFrameSize != 0) return false;
    for (std::size_t at = 0; at < c.size(); at += kFrameSize)
        if (!ValidFrame(c.substr(at, kFrameSize))) return false;
    return true;
}

}  // namespace

TChunkKind ClassifyChunk(std::string_view c, bool decodePaused) {
    if (c == "OK+CONNL") return TChunkKind::Connecting;
    if (c == "OK+CONNE" || c == "OK+CONNF" || c == "OK+CONNEOK+CONNF")
        return TChunkKind::ConnectFailed;
    if (c == "OK+CONNN") return TChunkKind::NoConnection;
    if (c == "OK+CONN" || c == kConnectedLine) return TChunkKind::Connected;
    // Both replies in one chunk connect too, with or without data behind them.
    if (c.starts_with(kConnectingThenConnected)) return TChunkKind::Connected;
    // Link-up reply with the first data behind it: without this the window
    // would stay disconnected while the meter streams.
    if (c.size() > kConnectedLine.size() && c.starts_with(kConnectedLine))
        return TChunkKind::Connected;
    if (c == kLost) return TChunkKind::Lost;
    // Data with the link-loss reply behind it: without this the window would
    // stay connected to a meter that is gone. A frame ends in 10, never in 'T'.
    if (c.size() > kLost.size() && c.ends_with(kLost)) return TChunkKind::Lost;
    if (c == "OK") return TChunkKind::AdapterOk;
    if (c.size() != kFrameSize && !FrameRun(c)) return TChunkKind::Unrecognised;
    return decodePaused ? TChunkKind::FramePaused : TChunkKind::Frame;
}

std::vector<std::string_view> FramesOf(std::string_view chunk) {
    std::vector<std::string_view> frames;
    if (chunk.size() != kFrameSize && !FrameRun(chunk)) return frames;
    for (std::size_t at = 0; at < chunk.size(); at += kFrameSize)
        frames.push_back(chunk.substr(at, kFrameSize));
    return frames;
}

TChunkEffects EffectsOf(TChunkKind kind) {
    TChunkEffects e;
    switch (kind) {
        case TChunkKind::Connecting:
            e.clearMeterConnected = true;
            e.disableConnectButton = true;
            e.disableRecordButton = true;
            e.memoPrefix = "";
            e.memoItem = kItemConnecting;
            break;
        case TChunkKind::ConnectFailed:
            e.clearMeterConnected = true;
            e.disableRecordButton = true;
            e.startButtonTimer = true;
            e.connectRequestEnded = true;
            e.logConnectRefused = true;
            break;
        case TChunkKind::NoConnection:
            e.clearMeterConnected = true;
            e.disableRecordButton = true;
            e.startButtonTimer = true;
            e.connectRequestEnded = true;
            e.memoPrefix = "NN ";
            e.memoItem = kItemNoConnection;
            break;
        case TChunkKind::Connected:
            e.enterConnectedState = true;
            break;
        case TChunkKind::Lost:
            e.enterDisconnectedState = true;
            break;
        case TChunkKind::AdapterOk:
            e.memoPrefix = "OK";
            break;
        case TChunkKind::Unrecognised:
            e.clearPortBuffers = true;
            break;
        case TChunkKind::Frame:
            e.decodeFrame = true;
            break;
        case TChunkKind::FramePaused:
            break;
    }
    return e;
}

bool ProbeAnswered(std::string_view reply) {
    return reply.find("OK") != std::string_view::npos;
}

}  // namespace linkcore
