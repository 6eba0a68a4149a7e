// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The 6-byte command frame to the meter.
//
//  byte  settings command                      function command
//  0     0x01 (+0x40 while SP4 is up)          code (+0x40 while SP4 is up)
//  1     b7-6 circuit code, b5 FreqAuto,        1
//        b4-0 FreqIndex
//  2     b7 Sound, b6-4 secondary code,         1
//        b3-0 primary code
//  3     b7 Hold, b6-4 Rate, b3 LevelAuto,      1
//        b2-0 LevelIndex
//  4     10                                     10
//  5     source code                            1
//
// Bit 7 of byte 0 tells the kinds apart. In the primary, secondary, circuit
// and source codes 0 means automatic; frequency and level carry auto bits.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <variant>
#include <vector>

#include "protocol/settings.h"

namespace protocol {

inline constexpr std::size_t kCommandSize = 6;
inline constexpr std::size_t kBleCommandSize = 8;
inline constexpr std::uint8_t kCommandTerminator = 10;
inline constexpr std::uint8_t kBrightnessBit = 0x40;  // set while SP4 is up

using TCommandFrame = std::array<std::uint8_t, kCommandSize>;

enum TFunctionCode : std::uint8_t {
    FnWake = 0x80,
    FnRlcd = 0x81,
    FnRd = 0x82,
    FnU = 0x83,
    FnPowerOff = 0x89,
};

// Mode command for a display mode (0x80 + the mode code).
constexpr TFunctionCode ModeCommand(TDisplayMode mode) {
    return static_cast<TFunctionCode>(0x80 + static_cast<std::uint8_t>(mode));
}

// Whether the U mode command may be sent for this model (Button3). A model code
// of 4..9 (restored from the settings file) names no model and offers no U mode.
constexpr bool UCommandAllowed(TMeterModel model) {
    return IsKnownModel(static_cast<int>(model)) && ModelInfo(model).uModeOffered;
}

// The in-record changes made before a settings command: FreqIndex becomes 4
// under FreqAuto, Rate is limited to 3.
void PrepareForCommand(TMeterSettings& settings);

// Encodes the record as it is. Fields are masked to their bit widths so that an
// out-of-range value (say from a damaged profile) cannot spill into a
// neighbouring field.
TCommandFrame EncodeSettingsCommand(const TMeterSettings& settings, bool sp4Down);

// The whole settings path: nothing (and no record change) when not connected
// or while SB4 is down; otherwise prepares the record and encodes it.
std::optional<TCommandFrame> BuildSettingsCommand(TMeterSettings& settings, bool sp4Down,
                                                  bool meterConnected, bool profileEditing);

TCommandFrame BuildFunctionCommand(std::uint8_t code, bool sp4Down);

// Link of the next command: the serial adapter wins whenever it is present.
enum class TLinkKind { lkSerialAdapter, lkDirectBle };
constexpr TLinkKind CurrentLinkKind(bool adapterFound) {
    return adapterFound ? TLinkKind::lkSerialAdapter : TLinkKind::lkDirectBle;
}

// Bytes to put on the link: the 6 frame bytes to the adapter, the same
// followed by two zero bytes to the Bluetooth LE characteristic.
std::vector<std::uint8_t> CommandBytesForLink(const TCommandFrame& frame, TLinkKind link);

// A received command, decoded back (for a simulated meter). Indices that the
// frame leaves to the meter (code 0 = automatic) are empty.
struct TSettingsCommand {
    bool brightnessUp = false;  // bit 6 of byte 0
    bool circuitAuto = false;
    std::optional<std::uint8_t> series;
    bool freqAuto = false;
    std::uint8_t freqIndex = 0;
    bool sound = false;
    bool secAuto = false;
    std::optional<std::uint8_t> secIndex;
    bool primAuto = false;
    std::optional<std::uint8_t> primIndex;
    bool hold = false;
    std::uint8_t rate = 0;
    bool levelAuto = false;
    std::uint8_t levelIndex = 0;
    bool sourceAuto = false;
    std::optional<std::uint8_t> sourceIndex;
};

struct TFunctionCommand {
    bool brightnessUp = false;
    std::uint8_t code = 0;  // without the brightness bit, e.g. FnWake
};

using TParsedCommand = std::variant<TSettingsCommand, TFunctionCommand>;

// Accepts the 6-byte form and the 8-byte Bluetooth LE form (the last two bytes
// are ignored). Empty for a wrong length, a byte 4 other than 10, a settings
// command whose byte 0 is not 0x01/0x41, or a circuit code of 3.
std::optional<TParsedCommand> ParseCommandFrame(std::span<const std::uint8_t> bytes);

// What the meter does with a settings command: flags are taken, indices only
// where the command names one (an automatic choice keeps the current index).
void ApplySettingsCommand(const TSettingsCommand& command, TMeterSettings& settings);

}  // namespace protocol
