// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/meter.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <variant>

#include "protocol/command.h"
#include "protocol/model.h"

namespace sim {
namespace {

using protocol::TDisplayMode;

constexpr std::string_view kConnectedReply = "OK+CONN\r\n";
constexpr std::size_t kCommandSize = protocol::kCommandSize;
// A piece of a command frame older than this is noise, not the start of a frame.
constexpr int kStaleInputMs = 1000;
// Impedance above which the meter picks the parallel circuit and the 1.6 kΩ source.
constexpr double kHighImpedanceOhms = 1000;

// RD mode: resistance test with automatic test voltage (low nibble 2, sub-mode 0).
constexpr std::uint8_t kRdResistanceAuto = 0x02;
constexpr double kRdTestMillivolts = 1300;
constexpr double kRdSourceOhms = 1000;
// U mode: a 1 V rms sine, voltage, rms and peak-to-peak shown.
constexpr double kUSignalRms = 1.0;

// A reading still moving from `old` to `target`: as far from the target as
// the old value is, but no further than the given share of it.
double OnItsWay(double target, double old, double share) {
    const double most = share * std::abs(target);
    return target + std::clamp(old - target, -most, most);
}

}  // namespace

TSimMeter::TSimMeter(TSimConfig config) : config_(std::move(config)), rng_(config_.noiseSeed) {
    protocol::TMeterState scratch;
    protocol::ApplyDefaults(settings_, scratch);
}

int TSimMeter::ReportIntervalMs(std::uint8_t rate) {
    switch (rate) {
        case 1:
            return 2000;
        case 3:
            return 500;
        default:
            return 1000;
    }
}

void TSimMeter::Receive(std::string_view text) {
    Receive(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

void TSimMeter::Receive(std::span<const std::uint8_t> bytes) {
    if (bytes.empty()) return;
    if (link_ == TLink::Up) {
        if (!meterInput_.empty() && now_ - meterLastByte_ > kStaleInputMs) meterInput_.clear();
        if (!meterBurstOpen_) meterBurstStart_ = meterInput_.size();
        meterBurstOpen_ = true;
        meterInput_.insert(meterInput_.end(), bytes.begin(), bytes.end());
        meterLastByte_ = now_;
    } else {
        atInput_.append(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        atLastByte_ = now_;
    }
}

void TSimMeter::Emit(std::string_view text) {
    Emit(Bytes(text.begin(), text.end()));
}

void TSimMeter::Emit(Bytes bytes) {
    if (config_.repliesRunTogether && !pending_.empty() && pending_.back().due >= now_) {
        auto& back = pending_.back().bytes;
        back.insert(back.end(), bytes.begin(), bytes.end());
        return;
    }
    std::int64_t due = now_;
    if (!config_.repliesRunTogether) due = std::max(due, lastBurstDue_ + kBurstGapMs);
    lastBurstDue_ = due;
    pending_.push_back({due, std::move(bytes)});
}

std::optional<std::int64_t> TSimMeter::NextEventAt() const {
    std::optional<std::int64_t> next;
    const auto consider = [&next](std::int64_t t) {
        if (!next || t < *next) next = t;
    };
    if (!pending_.empty()) consider(pending_.front().due);
    if (!atInput_.empty()) consider(atLastByte_ + kCommandQuietMs);
    if (meterBurstOpen_) consider(meterLastByte_ + kCommandQuietMs);
    if (link_ == TLink::Connecting) consider(connectAt_);
    if (link_ == TLink::Up && power_ != TPowerState::Off) consider(nextFrameAt_);
    return next;
}

int TSimMeter::MsUntilNextEvent() const {
    const auto next = NextEventAt();
    if (!next) return -1;
    return static_cast<int>(std::max<std::int64_t>(0, *next - now_));
}

void TSimMeter::Advance(int ms) {
    const std::int64_t target = now_ + std::max(ms, 0);
    for (auto next = NextEventAt(); next && *next <= target; next = NextEventAt()) {
        now_ = std::max(now_, *next);
        while (!pending_.empty() && pending_.front().due <= now_) {
            released_.push_back(std::move(pending_.front().bytes));
            pending_.pop_front();
        }
        if (!atInput_.empty() && atLastByte_ + kCommandQuietMs <= now_) ProcessAtCommands();
        if (meterBurstOpen_ && meterLastByte_ + kCommandQuietMs <= now_) ProcessMeterInput();
        if (link_ == TLink::Connecting && connectAt_ <= now_) ConnectDue();
        if (link_ == TLink::Up && power_ != TPowerState::Off && nextFrameAt_ <= now_) SendFrame();
    }
    now_ = target;
}

std::vector<Bytes> TSimMeter::TakeBursts() {
    std::vector<Bytes> out;
    out.swap(released_);
    return out;
}

Bytes TSimMeter::TakeOutput() {
    Bytes out;
    for (const Bytes& b : TakeBursts()) out.insert(out.end(), b.begin(), b.end());
    return out;
}

// The adapter takes a command as complete once the host stops writing. Like
// the real one it tells commands apart only by that pause: two commands
// written together ("ATAT+CONNL") are one unknown command and get no answer.
void TSimMeter::ProcessAtCommands() {
    std::string command;
    command.swap(atInput_);
    while (!command.empty() && (command.back() == '\r' || command.back() == '\n'))
        command.pop_back();
    if (command == "AT") {
        if (link_ == TLink::Connecting) link_ = TLink::Idle;
        Emit("OK");
    } else if (command == "AT+CONNL" && link_ == TLink::Idle) {
        Emit("OK+CONNL");
        link_ = TLink::Connecting;
        connectSucceeds_ = power_ != TPowerState::Off && !config_.connectFailsLate;
        connectAt_ = now_ + (connectSucceeds_ ? config_.connectDelayMs : config_.connectTimeoutMs);
        // With no delay the link comes up in this same step.
        if (connectAt_ <= now_) ConnectDue();
    }
}

void TSimMeter::ConnectDue() {
    if (!connectSucceeds_ || power_ == TPowerState::Off) {
        link_ = TLink::Idle;
        Emit("OK+CONNF");
        return;
    }
    link_ = TLink::Up;
    meterInput_.clear();
    meterBurstOpen_ = false;
    Emit(kConnectedReply);
    if (config_.repliesRunTogether)
        SendFrame();
    else
        nextFrameAt_ = now_ + ReportIntervalMs(settings_.Rate());
}

void TSimMeter::DropLink() {
    if (config_.repliesRunTogether && !radio_ && power_ != TPowerState::Off) SendFrame();
    link_ = TLink::Idle;
    meterInput_.clear();
    meterBurstOpen_ = false;
    GlueNextFrames(0);  // held frames go down with the link
    if (!radio_) Emit("OK+LOST");
    radio_ = false;
}

bool TSimMeter::ConnectRadio() {
    if (power_ == TPowerState::Off) return false;
    if (link_ == TLink::Up) return true;
    link_ = TLink::Up;
    radio_ = true;
    atInput_.clear();
    meterInput_.clear();
    meterBurstOpen_ = false;
    nextFrameAt_ = now_ + ReportIntervalMs(settings_.Rate());
    return true;
}

void TSimMeter::DropRadio() {
    if (link_ == TLink::Up && radio_) DropLink();
}

void TSimMeter::RadioWrite(std::span<const std::uint8_t> value) {
    if (link_ != TLink::Up || !radio_ || value.size() != protocol::kBleCommandSize) return;
    HandleCommand(value);
}

// One write burst for the meter has ended. "AT" on its own is the adapter's
// drop command; everything else is assembled into command frames, which may
// have been split across bursts.
void TSimMeter::ProcessMeterInput() {
    meterBurstOpen_ = false;
    const std::size_t start = std::min(meterBurstStart_, meterInput_.size());
    const bool dropCommand = meterInput_.size() - start == 2 && meterInput_[start] == 'A' &&
                             meterInput_[start + 1] == 'T';
    if (dropCommand) {
        meterInput_.resize(start);
        DropLink();
        return;
    }
    std::size_t pos = 0;
    while (meterInput_.size() - pos >= kCommandSize) {
        const std::span<const std::uint8_t> window(meterInput_.data() + pos, kCommandSize);
        if (window[4] == protocol::kCommandTerminator && protocol::ParseCommandFrame(window)) {
            HandleCommand(window);
            pos += kCommandSize;
            if (link_ != TLink::Up) return;  // powered off
        } else {
            ++pos;  // out of step: look for the next frame
        }
    }
    meterInput_.erase(meterInput_.begin(), meterInput_.begin() + static_cast<std::ptrdiff_t>(pos));
}

void TSimMeter::HandleCommand(std::span<const std::uint8_t> frame) {
    const auto parsed = protocol::ParseCommandFrame(frame);
    if (!parsed) return;
    const auto* function = std::get_if<protocol::TFunctionCommand>(&*parsed);
    const bool asleep = power_ == TPowerState::Asleep;
    // Asleep, the meter listens only for the wake-up and power-off commands.
    if (asleep && (!function ||
                   (function->code != protocol::FnWake && function->code != protocol::FnPowerOff)))
        return;
    if (power_ == TPowerState::Economy || asleep) power_ = TPowerState::On;

    if (function) {
        brightnessKey_ = !function->brightnessUp;
        const auto& model = protocol::ModelInfo(config_.model);
        switch (function->code) {
            case protocol::FnRlcd:
                config_.mode = TDisplayMode::Rlcd;
                break;
            case protocol::FnRd:
                config_.mode = TDisplayMode::Rd;
                break;
            case protocol::FnU:
                if (model.uModeOffered) config_.mode = TDisplayMode::U;
                break;
            case protocol::FnPowerOff:
                power_ = TPowerState::Off;
                DropLink();
                break;
            default:  // FnWake and unknown codes: nothing more
                break;
        }
        return;
    }
    const auto& command = std::get<protocol::TSettingsCommand>(*parsed);
    brightnessKey_ = !command.brightnessUp;
    const std::uint8_t oldRate = settings_.Rate();
    const protocol::TMeterSettings old = settings_;
    protocol::ApplySettingsCommand(command, settings_);
    // The meter offers only its own frequencies.
    const std::uint8_t maxFreq = protocol::ModelInfo(config_.model).maxFreqIndex;
    if (settings_.FreqIndex() > maxFreq) settings_.FreqIndex() = maxFreq;
    if (!settings_.Hold()) held_.reset();
    // The measuring circuit needs a moment to settle on a new frequency or level.
    if (settings_.FreqAuto() != old.FreqAuto() || settings_.FreqIndex() != old.FreqIndex() ||
        settings_.LevelAuto() != old.LevelAuto() || settings_.LevelIndex() != old.LevelIndex())
        settlingLeft_ = config_.settlingReports;
    if (settings_.Rate() != oldRate)
        nextFrameAt_ = std::max(now_, lastFrameAt_ + ReportIntervalMs(settings_.Rate()));
}

void TSimMeter::SetPowerSave(bool asleep) {
    if (power_ == TPowerState::Off) return;
    if (power_ == TPowerState::On) powerSaveSince_ = now_;
    power_ = asleep ? TPowerState::Asleep : TPowerState::Economy;
}

void TSimMeter::PowerOn() {
    power_ = TPowerState::On;
}

void TSimMeter::PowerOff() {
    if (power_ == TPowerState::Off) return;
    power_ = TPowerState::Off;
    if (link_ == TLink::Up) DropLink();
}

void TSimMeter::AdapterUnplugged() {
    link_ = TLink::Idle;
    atInput_.clear();
    meterInput_.clear();
    meterBurstOpen_ = false;
    pending_.clear();
    released_.clear();
    GlueNextFrames(0);
}

void TSimMeter::DropLinkMidFrame() {
    if (link_ != TLink::Up) return;
    const protocol::TMeasurementFrame frame = BuildFrame();
    Bytes burst(frame.begin(), frame.begin() + protocol::kFrameSize / 2);
    burst.insert(burst.end(), {'O', 'K', '+', 'L', 'O', 'S', 'T'});
    link_ = TLink::Idle;
    meterInput_.clear();
    meterBurstOpen_ = false;
    Emit(std::move(burst));
}

void TSimMeter::SetLateConnectFailure(std::optional<int> ms) {
    config_.connectFailsLate = ms.has_value();
    if (ms) config_.connectTimeoutMs = std::max(*ms, 0);
}

void TSimMeter::GlueNextFrames(int count) {
    glueFrames_ = std::max(count, 0);
    glued_.clear();
}

void TSimMeter::SendFrame() {
    protocol::TMeasurementFrame frame = BuildFrame();
    if (corruptFrames_ > 0) {
        --corruptFrames_;
        frame[16] = static_cast<std::uint8_t>(frame[16] + 1);  // the checksum byte
    }
    if (glueFrames_ > 0) {
        glued_.insert(glued_.end(), frame.begin(), frame.end());
        if (--glueFrames_ == 0) Emit(std::exchange(glued_, {}));
    } else {
        Emit(Bytes(frame.begin(), frame.end()));
    }
    lastFrameAt_ = now_;
    nextFrameAt_ = now_ + ReportIntervalMs(settings_.Rate());
}

double TSimMeter::Noisy(double v) {
    if (config_.noise <= 0) return v;
    std::uniform_real_distribution<double> spread(-config_.noise, config_.noise);
    return v * (1 + spread(rng_));
}

protocol::TMeterSettings TSimMeter::ReportedSettings(double r, double x) const {
    protocol::TMeterSettings s = settings_;
    const double z = std::hypot(r, x);
    if (s.PrimAuto()) {
        if (s.FreqIndex() == 0 || std::abs(x) < 0.1 * r)
            s.PrimIndex() = 1;  // R
        else
            s.PrimIndex() = x < 0 ? 2 : 3;  // C or L
    }
    if (s.SecAuto()) {
        static constexpr std::uint8_t kSecondaryFor[] = {0, 4, 3, 2, 4};  // by primary
        s.SecIndex() = s.PrimIndex() <= 4 ? kSecondaryFor[s.PrimIndex()] : 0;
    }
    if (s.CircuitAuto()) s.Series() = z <= kHighImpedanceOhms ? 1 : 0;
    if (s.LevelAuto()) s.LevelIndex() = 1;
    if (s.SourceAuto()) s.SourceIndex() = z > kHighImpedanceOhms ? 1 : 0;
    // The reading of an L shows a minus sign on a capacitive part, and the other way round.
    s.Negative() = (s.PrimIndex() == 3 && x < 0) || (s.PrimIndex() == 2 && x > 0);
    return s;
}

protocol::TMeasurementFrame TSimMeter::BuildFrame() {
    protocol::TFrameFields f;
    f.status.displayMode = static_cast<std::uint8_t>(config_.mode);
    f.status.model = static_cast<std::uint8_t>(config_.model);
    f.status.brightnessKey = brightnessKey_;
    f.status.powerSave = power_ == TPowerState::Economy || power_ == TPowerState::Asleep;
    if (f.status.powerSave) {
        f.powerSave.asleep = power_ == TPowerState::Asleep;
        f.powerSave.seconds = static_cast<std::uint16_t>(
            std::min<std::int64_t>((now_ - powerSaveSince_) / 1000, 0xFFFF));
    }

    // A held reading stays as it was; otherwise take a fresh one.
    if (!held_ || held_->mode != config_.mode) {
        TReading reading{config_.mode, {}};
        switch (config_.mode) {
            case TDisplayMode::Rlcd: {
                const double hz =
                    settings_.FreqIndex() == 0
                        ? 0
                        : protocol::TableFrequencyHz(settings_.FreqIndex(), config_.model);
                const TImpedance z = SeriesImpedance(config_.part, hz);
                TImpedance shown = z;
                if (settlingLeft_ > 0 && lastImpedance_) {
                    shown.r = OnItsWay(z.r, lastImpedance_->r, kTransitionShare);
                    shown.x = OnItsWay(z.x, lastImpedance_->x, kTransitionShare);
                }
                settlingLeft_ = std::max(settlingLeft_ - 1, 0);
                lastImpedance_ = z;
                reading.values = {Noisy(shown.r), Noisy(shown.x), 0};
                break;
            }
            case TDisplayMode::Rd: {
                const double r = Noisy(DcResistance(config_.part));
                reading.values = {r, kRdTestMillivolts / (r + kRdSourceOhms) * 1000, 0};
                break;
            }
            case TDisplayMode::U: {
                const double rms = Noisy(kUSignalRms);
                reading.values = {rms, Noisy(2 * std::sqrt(2.0) * kUSignalRms), rms};
                break;
            }
        }
        held_ = settings_.Hold() ? std::optional(reading) : std::nullopt;
        current_ = reading;
    } else {
        current_ = *held_;
    }

    const auto& v = current_.values;
    f.value1 = static_cast<float>(v[0]);
    f.value2 = static_cast<float>(v[1]);
    f.value3 = static_cast<float>(v[2]);
    switch (config_.mode) {
        case TDisplayMode::Rlcd:
            f.settings = protocol::ReportedSettingsBytes(ReportedSettings(v[0], v[1]));
            break;
        case TDisplayMode::Rd:
            f.subMode = kRdResistanceAuto;
            break;
        case TDisplayMode::U:
            f.subMode = 0;  // voltage, rms and peak-to-peak
            break;
    }
    return protocol::BuildMeasurementFrame(f);
}

}  // namespace sim
