// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <deque>
#include <optional>
#include <random>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "protocol/frame.h"
#include "protocol/settings.h"
#include "protocol/state.h"
#include "sim/part.h"

// A simulated Bluetooth serial adapter with a meter behind it. It knows nothing
// of ports, loops or clocks: feed it the bytes the host wrote (Receive) and the
// time that passed (Advance), and send back what TakeOutput returns. A driver
// wakes it again after MsUntilNextEvent.
//
// Adapter: "AT" -> "OK"; "AT+CONNL" -> "OK+CONNL", then "OK+CONN\r\n" once the
// radio link is up (or "OK+CONNF" when the meter cannot be reached); "AT" while
// linked drops the link -> "OK+LOST". Other bytes while linked go to the meter.
// A command ends with a pause in the input; commands without a pause between
// them are one unknown command, which gets no answer.
// Meter: streams 18-byte frames at its report interval and obeys 6-byte command
// frames, however they are split across writes.
//
// The host's own radio can reach the meter without the adapter: ConnectRadio
// links at once, each RadioWrite is one whole 8-byte command, every burst is one
// notification, and a lost link sends no text (Linked() turns false).
namespace sim {

using Bytes = std::vector<std::uint8_t>;

struct TSimConfig {
    protocol::TMeterModel model = protocol::TMeterModel::Ks15;
    protocol::TDisplayMode mode = protocol::TDisplayMode::Rlcd;
    TPart part;
    double noise = 0.002;  // relative spread of readings; 0 gives exact values
    // After a change of test frequency or level this many reports still show
    // the reading on its way from the old value: off by up to
    // TSimMeter::kTransitionShare towards it.
    int settlingReports = 1;
    std::uint32_t noiseSeed = 1;
    int connectDelayMs = 300;  // "AT+CONNL" until the link is up
    // The adapter answers "OK+CONNF" this long after "AT+CONNL" instead of
    // linking (it does so anyway while the meter is off).
    bool connectFailsLate = false;
    int connectTimeoutMs = 10000;
    // Replies run together with data: the link-up reply carries the first
    // frame, the link-loss reply follows a frame; with connectDelayMs 0 the two
    // connect replies come as one burst as well.
    bool repliesRunTogether = false;
};

enum class TPowerState { On, Economy, Asleep, Off };

class TSimMeter {
  public:
    // Quiet time that ends an AT command, and the least pause between two
    // bursts, so that a reader who splits at 10 ms pauses sees them apart.
    static constexpr int kCommandQuietMs = 20;
    static constexpr int kBurstGapMs = 20;
    static constexpr double kTransitionShare = 0.05;

    explicit TSimMeter(TSimConfig config);

    // Bytes the host wrote, arriving now.
    void Receive(std::span<const std::uint8_t> bytes);
    void Receive(std::string_view text);
    // Time passes; everything due in it happens, in order.
    void Advance(int ms);
    // Milliseconds until something is due (at least 0), or -1 when nothing is.
    int MsUntilNextEvent() const;
    // Bursts that became due, oldest first; each is one write to the host.
    std::vector<Bytes> TakeBursts();
    // The same, run together.
    Bytes TakeOutput();

    // The meter's own buttons and state, for a demo or a test.
    void SetPowerSave(bool asleep);  // economy (false) or sleep (true)
    void PowerOn();
    void PowerOff();  // drops the radio link
    void SetPart(const TPart& part) { config_.part = part; }

    // Direct radio link. ConnectRadio is false while the meter is off;
    // DropRadio is the meter going out of range.
    bool ConnectRadio();
    void DropRadio();
    // One characteristic write: an 8-byte command frame; anything else is ignored.
    void RadioWrite(std::span<const std::uint8_t> value);
    // Faults, for trying the host against them.
    // The adapter is pulled out: its radio link and everything unsent are gone,
    // with no reply (there is no port left to send one on).
    void AdapterUnplugged();
    // The link drops in the middle of a frame: part of it, then "OK+LOST", in
    // one burst.
    void DropLinkMidFrame();
    // The next `count` frames carry a wrong checksum.
    void CorruptNextFrames(int count) { corruptFrames_ = std::max(count, 0); }
    // The next `count` frames are held back and sent as one burst with the
    // last of them, as a reader that was busy that long finds them.
    void GlueNextFrames(int count);
    // "AT+CONNL" gets "OK+CONNF" after `ms` instead of a link; none: links again.
    void SetLateConnectFailure(std::optional<int> ms);

    bool Linked() const { return link_ == TLink::Up; }
    TPowerState Power() const { return power_; }
    protocol::TDisplayMode Mode() const { return config_.mode; }
    const protocol::TMeterSettings& Settings() const { return settings_; }
    bool BrightnessKey() const { return brightnessKey_; }
    std::int64_t NowMs() const { return now_; }
    // Report interval for a rate code: 1 -> 2 s, 2 -> 1 s, 3 -> 0.5 s, other -> 1 s.
    static int ReportIntervalMs(std::uint8_t rate);

    // The next frame as the meter would send it now (no noise when held).
    protocol::TMeasurementFrame BuildFrame();

  private:
    enum class TLink { Idle, Connecting, Up };
    struct TBurst {
        std::int64_t due;
        Bytes bytes;
    };
    struct TReading {
        protocol::TDisplayMode mode;
        std::array<double, 3> values;  // frame values 1..3
    };

    void Emit(std::string_view text);
    void Emit(Bytes bytes);
    void ProcessAtCommands();
    void ProcessMeterInput();
    void HandleCommand(std::span<const std::uint8_t> frame);
    void ConnectDue();
    void DropLink();
    void SendFrame();
    std::optional<std::int64_t> NextEventAt() const;
    double Noisy(double v);
    // The settings as reported: automatic choices resolved for the reading.
    protocol::TMeterSettings ReportedSettings(double r, double x) const;

    TSimConfig config_;
    protocol::TMeterSettings settings_;
    TPowerState power_ = TPowerState::On;
    std::int64_t powerSaveSince_ = 0;
    bool brightnessKey_ = false;
    std::optional<TReading> held_;  // while Hold is on
    TReading current_{protocol::TDisplayMode::Rlcd, {}};
    std::optional<TImpedance> lastImpedance_;  // of the last RLCD reading, without noise
    int settlingLeft_ = 0;                     // reports still on their way

    std::int64_t now_ = 0;
    TLink link_ = TLink::Idle;
    bool radio_ = false;  // the link is the host's own radio, not the adapter's
    std::int64_t connectAt_ = 0;
    bool connectSucceeds_ = false;
    std::int64_t nextFrameAt_ = 0;
    std::int64_t lastFrameAt_ = 0;

    std::string atInput_;  // adapter command bytes while not linked
    std::int64_t atLastByte_ = 0;
    Bytes meterInput_;                 // bytes for the meter while linked
    std::size_t meterBurstStart_ = 0;  // where the write burst being received began
    bool meterBurstOpen_ = false;
    std::int64_t meterLastByte_ = 0;

    std::deque<TBurst> pending_;
    std::int64_t lastBurstDue_ = -kBurstGapMs;
    std::vector<Bytes> released_;
    std::mt19937 rng_;
    int corruptFrames_ = 0;
    int glueFrames_ = 0;
    Bytes glued_;
};

}  // namespace sim
