// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string_view>
#include <vector>

// What arrives on the adapter's serial port comes in chunks: the bytes up to a
// 10 ms pause. A chunk is either one adapter reply, one 18-byte measurement
// frame or a run of whole valid frames that came without a pause between them
// (the reader was busy); anything else is noise and the port's buffers are
// flushed to resync.
//
//   chunk                                            kind
//   "OK+CONNL"                                       Connecting
//   "OK+CONNE", "OK+CONNF", "OK+CONNEOK+CONNF"       ConnectFailed
//   "OK+CONNN"                                       NoConnection
//   "OK+CONN", "OK+CONN\r\n",                        Connected
//     17+ bytes starting "OK+CONNLOK+CONN\r\n",
//     10+ bytes starting "OK+CONN\r\n"
//   "OK+LOST", 8+ bytes ending "OK+LOST"             Lost
//   "OK"                                             AdapterOk
//   2+ valid frames back to back, nothing else       Frame, or FramePaused (each frame)
//   any other length than 18                         Unrecognised
//   any other 18 bytes                               Frame, or FramePaused while decoding pauses
//
// The first matching row wins. The adapter can run a reply together with the
// meter's data, so the link-up reply followed by data still connects, and data
// followed by the link-loss reply still disconnects; the data bytes of such a
// chunk are not used.
namespace linkcore {

enum class TChunkKind {
    Connecting,
    ConnectFailed,
    NoConnection,
    Connected,
    Lost,
    AdapterOk,
    Unrecognised,
    Frame,
    FramePaused,
};

TChunkKind ClassifyChunk(std::string_view chunk, bool decodePaused);

// The frames a Frame chunk holds, in order: the chunk itself when it is one
// frame long, each frame of a run of valid frames; none for any other chunk.
// A run must be whole and every frame in it valid (terminator, checksum and
// the rest of the decoder's checks): a single bad byte drops the whole chunk
// as before, since its frame borders can no longer be trusted.
std::vector<std::string_view> FramesOf(std::string_view chunk);

// Lexicon item of the connection texts (Dlang_connect) to log.
inline constexpr int kItemConnecting = 2;    // "Подключаемся..."
inline constexpr int kItemNoConnection = 3;  // "Нет подключения"

// What the serial link does for a chunk.
struct TChunkEffects {
    bool clearMeterConnected = false;
    bool disableConnectButton = false;  // B2
    bool disableRecordButton = false;   // SP1
    bool startButtonTimer = false;      // T2
    // Line for the connection log: `memoPrefix` + lexicon item `memoItem`
    // (no item: the prefix alone).
    std::optional<std::string_view> memoPrefix;
    std::optional<int> memoItem;
    bool enterConnectedState = false;
    bool enterDisconnectedState = false;
    bool clearPortBuffers = false;
    bool decodeFrame = false;  // hand the 18 bytes to the frame decoder
    // A connect request ended without a link: B2 gets its connect caption back,
    // so the next click or auto-connect tries again.
    bool connectRequestEnded = false;
    // The refusal says nothing in the connection log by itself: add a line.
    bool logConnectRefused = false;
};

TChunkEffects EffectsOf(TChunkKind kind);

// The start-up probe is answered when the reply holds "OK" anywhere.
bool ProbeAnswered(std::string_view reply);

}  // namespace linkcore
