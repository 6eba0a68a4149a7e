// SPDX-License-Identifier: GPL-3.0-or-later
#include "linkcore/chunk.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "protocol/frame.h"

namespace linkcore {
namespace {

using namespace std::string_literals;

// A valid-looking 18-byte measurement frame (content does not matter here).
const std::string kFrame =
    "\x00\x00\x80\x3F\x00\x00\x00\x40\x24\x1A\x21\x01\x00\x00\x00\x09\x00\x0A"s;

struct ChunkCase {
    const char* name;
    std::string chunk;
    bool paused;
    TChunkKind kind;
};

class ChunkClassification : public ::testing::TestWithParam<ChunkCase> {};

TEST_P(ChunkClassification, FirstMatchingRowDecides) {
    const ChunkCase& c = GetParam();
    EXPECT_EQ(ClassifyChunk(c.chunk, c.paused), c.kind);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ChunkClassification,
    ::testing::Values(
        ChunkCase{"Connecting", "OK+CONNL", false, TChunkKind::Connecting},
        ChunkCase{"ConnE", "OK+CONNE", false, TChunkKind::ConnectFailed},
        ChunkCase{"ConnF", "OK+CONNF", false, TChunkKind::ConnectFailed},
        ChunkCase{"ConnEThenF", "OK+CONNEOK+CONNF", false, TChunkKind::ConnectFailed},
        ChunkCase{"ConnN", "OK+CONNN", false, TChunkKind::NoConnection},
        ChunkCase{"Conn", "OK+CONN", false, TChunkKind::Connected},
        ChunkCase{"ConnLine", "OK+CONN\r\n", false, TChunkKind::Connected},
        ChunkCase{"Lost", "OK+LOST", false, TChunkKind::Lost},
        ChunkCase{"Ok", "OK", false, TChunkKind::AdapterOk},
        ChunkCase{"Frame", kFrame, false, TChunkKind::Frame},
        ChunkCase{"FramePaused", kFrame, true, TChunkKind::FramePaused},
        // Replies are matched whole, whatever the pause flag says.
        ChunkCase{"ConnWhilePaused", "OK+CONN", true, TChunkKind::Connected},
        ChunkCase{"OkWhilePaused", "OK", true, TChunkKind::AdapterOk},
        // Anything 18 bytes long that is no reply goes to the decoder, which
        // validates it.
        ChunkCase{"Any18Bytes", std::string(18, 'z'), false, TChunkKind::Frame},
        ChunkCase{"Empty", "", false, TChunkKind::Unrecognised},
        ChunkCase{"Frame17", kFrame.substr(0, 17), false, TChunkKind::Unrecognised},
        ChunkCase{"Frame19", kFrame + "\x0A", false, TChunkKind::Unrecognised},
        // Two frames without a pause between them form one chunk: dropped.
        ChunkCase{"TwoFrames", kFrame + kFrame, false, TChunkKind::Unrecognised},
        ChunkCase{"ConnLWithLineEnd", "OK+CONNL\r\n", false, TChunkKind::Unrecognised},
        ChunkCase{"ConnLConnNoLineEnd", "OK+CONNLOK+CONN", false, TChunkKind::Unrecognised},
        ChunkCase{"ConnFThenE", "OK+CONNFOK+CONNE", false, TChunkKind::Unrecognised},
        ChunkCase{"LowerCase", "ok+conn", false, TChunkKind::Unrecognised},
        ChunkCase{"OkLine", "OK\r\n", false, TChunkKind::Unrecognised},
        // Replies run together with data.
        ChunkCase{"ConnLConnThenFrameByte", "OK+CONNLOK+CONN\r\n\x00"s, false,
                  TChunkKind::Connected},
        ChunkCase{"ConnLConnThenFrame", "OK+CONNLOK+CONN\r\n" + kFrame, true,
                  TChunkKind::Connected},
        ChunkCase{"ConnLConnOnly", "OK+CONNLOK+CONN\r\n", false, TChunkKind::Connected},
        ChunkCase{"ConnThenFrame", "OK+CONN\r\n" + kFrame, false, TChunkKind::Connected},
        ChunkCase{"ConnThenPartOfFrame", "OK+CONN\r\n" + kFrame.substr(0, 9), false,
                  TChunkKind::Connected},
        ChunkCase{"FrameThenLost", kFrame + "OK+LOST", false, TChunkKind::Lost},
        ChunkCase{"PartOfFrameThenLost", kFrame.substr(5) + "OK+LOST", false, TChunkKind::Lost},
        // "OK+CONN" without the line end is matched whole only.
        ChunkCase{"ConnNoLineEndThenFrame", "OK+CONN" + kFrame, false, TChunkKind::Unrecognised}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ChunkEffects, ConnectingDisablesBothButtonsAndLogs) {
    const TChunkEffects e = EffectsOf(TChunkKind::Connecting);
    EXPECT_TRUE(e.clearMeterConnected);
    EXPECT_TRUE(e.disableConnectButton);
    EXPECT_TRUE(e.disableRecordButton);
    EXPECT_FALSE(e.startButtonTimer);
    EXPECT_EQ(e.memoItem, kItemConnecting);
    EXPECT_FALSE(e.clearPortBuffers);
}

// A refused connect ends the request: the button gets its caption back and
// each refusal leaves one line in the connection log.
TEST(ChunkEffects, FailedRepliesEndTheRequestAndEachSaysSo) {
    const TChunkEffects failed = EffectsOf(TChunkKind::ConnectFailed);
    const TChunkEffects none = EffectsOf(TChunkKind::NoConnection);
    for (const TChunkEffects& e : {failed, none}) {
        EXPECT_TRUE(e.clearMeterConnected);
        EXPECT_FALSE(e.disableConnectButton);
        EXPECT_TRUE(e.disableRecordButton);
        EXPECT_TRUE(e.startButtonTimer);
        EXPECT_FALSE(e.enterConnectedState);
        EXPECT_TRUE(e.connectRequestEnded);
    }
    EXPECT_FALSE(failed.memoPrefix);
    EXPECT_TRUE(failed.logConnectRefused);
    EXPECT_EQ(none.memoPrefix, "NN ");
    EXPECT_EQ(none.memoItem, kItemNoConnection);
    EXPECT_FALSE(none.logConnectRefused);
    for (TChunkKind k : {TChunkKind::Connecting, TChunkKind::Connected, TChunkKind::Lost,
                         TChunkKind::AdapterOk, TChunkKind::Frame})
        EXPECT_FALSE(EffectsOf(k).connectRequestEnded) << static_cast<int>(k);
}

TEST(ChunkEffects, OnlyUnrecognisedChunksFlushTheBuffers) {
    for (TChunkKind k : {TChunkKind::Connecting, TChunkKind::ConnectFailed,
                         TChunkKind::NoConnection, TChunkKind::Connected, TChunkKind::Lost,
                         TChunkKind::AdapterOk, TChunkKind::Frame, TChunkKind::FramePaused})
        EXPECT_FALSE(EffectsOf(k).clearPortBuffers) << static_cast<int>(k);
    EXPECT_TRUE(EffectsOf(TChunkKind::Unrecognised).clearPortBuffers);
}

TEST(ChunkEffects, StateChangesAndDecoding) {
    EXPECT_TRUE(EffectsOf(TChunkKind::Connected).enterConnectedState);
    EXPECT_TRUE(EffectsOf(TChunkKind::Lost).enterDisconnectedState);
    EXPECT_TRUE(EffectsOf(TChunkKind::Frame).decodeFrame);
    // A paused frame is dropped silently: no decode, no flush.
    const TChunkEffects paused = EffectsOf(TChunkKind::FramePaused);
    EXPECT_FALSE(paused.decodeFrame);
    EXPECT_FALSE(paused.clearPortBuffers);
    const TChunkEffects ok = EffectsOf(TChunkKind::AdapterOk);
    EXPECT_EQ(ok.memoPrefix, "OK");
    EXPECT_FALSE(ok.memoItem);
}

// A frame the decoder accepts, told apart from others by its value.
std::string ValidFrame(float value, bool plusFive = false) {
    protocol::TFrameFields f;
    f.status.displayMode = 1;
    f.value1 = value;
    f.checksumVariant = plusFive ? 2 : 0;
    f.plusFiveChecksum = plusFive;
    const protocol::TMeasurementFrame frame = protocol::BuildMeasurementFrame(f);
    return std::string(reinterpret_cast<const char*>(frame.data()), frame.size());
}

std::string WithByte(std::string frame, std::size_t at, char value) {
    frame[at] = value;
    return frame;
}

const std::string kA = ValidFrame(1.0f);
const std::string kB = ValidFrame(2.0f);
const std::string kC = ValidFrame(3.0f);

struct RunCase {
    const char* name;
    std::string chunk;
    bool paused;
    TChunkKind kind;
    std::vector<std::string> frames;
};

class FrameRuns : public ::testing::TestWithParam<RunCase> {};

// Frames that queued up while the reader was busy arrive as one chunk; when it
// is nothing but whole valid frames, each of them is decoded.
TEST_P(FrameRuns, ExactRunsOfValidFramesAreThoseFrames) {
    const RunCase& c = GetParam();
    EXPECT_EQ(ClassifyChunk(c.chunk, c.paused), c.kind);
    std::vector<std::string> frames;
    for (const std::string_view f : FramesOf(c.chunk)) frames.emplace_back(f);
    EXPECT_EQ(frames, c.frames);
}

INSTANTIATE_TEST_SUITE_P(
    Chunks, FrameRuns,
    ::testing::Values(
        RunCase{"OneFrame", kA, false, TChunkKind::Frame, {kA}},
        // A lone 18-byte chunk keeps going to the decoder unchecked.
        RunCase{
            "Any18Bytes", std::string(18, 'z'), false, TChunkKind::Frame, {std::string(18, 'z')}},
        RunCase{"TwoValid", kA + kB, false, TChunkKind::Frame, {kA, kB}},
        RunCase{"ThreeValid", kA + kB + kC, false, TChunkKind::Frame, {kA, kB, kC}},
        RunCase{"ThreeValidPaused", kA + kB + kC, true, TChunkKind::FramePaused, {kA, kB, kC}},
        RunCase{"PlusFiveChecksum",
                kA + ValidFrame(4.0f, true),
                false,
                TChunkKind::Frame,
                {kA, ValidFrame(4.0f, true)}},
        RunCase{"SameFrameTwice", kA + kA, false, TChunkKind::Frame, {kA, kA}},
        // Anything else keeps the old rule: the whole chunk is dropped.
        RunCase{"SecondBadChecksum",
                kA + WithByte(kB, 16, static_cast<char>(kB[16] + 1)),
                false,
                TChunkKind::Unrecognised,
                {}},
        RunCase{
            "FirstBadTerminator", WithByte(kA, 17, 13) + kB, false, TChunkKind::Unrecognised, {}},
        RunCase{"BadModelInRun",
                kA + WithByte(kB, 15, static_cast<char>(0x29)),
                false,
                TChunkKind::Unrecognised,
                {}},
        RunCase{"RunAndOneByte", kA + kB + "\x0A", false, TChunkKind::Unrecognised, {}},
        RunCase{"FrameAndPart", kA + kB.substr(0, 9), false, TChunkKind::Unrecognised, {}},
        RunCase{
            "Shifted", kA.substr(1) + kB + kA.substr(0, 1), false, TChunkKind::Unrecognised, {}},
        // Replies around data still win, and their data is not decoded.
        RunCase{"ConnThenTwoFrames", "OK+CONN\r\n" + kA + kB, false, TChunkKind::Connected, {}},
        RunCase{"TwoFramesThenLost", kA + kB + "OK+LOST", false, TChunkKind::Lost, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Probe, AnsweredWhenOkAppearsAnywhere) {
    EXPECT_TRUE(ProbeAnswered("OK"));
    EXPECT_TRUE(ProbeAnswered("\x00OK+LOST"s));
    EXPECT_FALSE(ProbeAnswered(""));
    EXPECT_FALSE(ProbeAnswered("O K"));
}

}  // namespace
}  // namespace linkcore
