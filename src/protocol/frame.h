// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The 18-byte measurement frame the meter streams.
//
//  byte  content
//  0-3   value 1, little-endian single (RLCD: series resistance; RD: ohms or
//        diode millivolts; U: rms or maximum). Power-save frame instead:
//          byte 0 bits 0-1  0 economy, else sleep
//          byte 0 bits 5-6  must be 0
//          bytes 1-2        seconds, 16-bit little-endian
//  4-7   value 2, single (RLCD: signed series reactance; RD: microamperes;
//        U: peak-to-peak, minimum, or ohms)
//  8-11  RLCD: four settings bytes (see CopyReportedSettings); RD and U:
//        value 3, single
//  12    not interpreted
//  13    bits 0-1 checksum variant
//  14    RD and U sub-mode flags
//  15    status: bits 0-2 display mode (0 keeps the previous one),
//        bits 3-5 model (4..7 invalid), bit 6 brightness key, bit 7 power save
//  16    checksum: sum of bytes 0-15 mod 256, or that sum + 5 when the
//        checksum variant is 2 or 3
//  17    terminator, always 10

#include <array>
#include <cstdint>
#include <optional>
#include <span>

namespace protocol {

inline constexpr std::size_t kFrameSize = 18;
inline constexpr std::uint8_t kFrameTerminator = 10;

using TMeasurementFrame = std::array<std::uint8_t, kFrameSize>;

namespace fb {  // frame byte offsets
enum : std::size_t {
    Value1 = 0,
    Value2 = 4,
    Value3 = 8,
    Settings = 8,
    Unused12 = 12,
    Variant = 13,
    SubMode = 14,
    Status = 15,
    Checksum = 16,
    Terminator = 17
};
}

// The meter's own decoding of a single: every exponent goes through the same
// formula, so four zero bytes give 2^-127 and exponent 255 a finite number.
// Screens divide by decoded values and rely on them never being exactly zero.
// Bytes outside `bytes` read as zero, so the result is never exactly 0.
double DecodeSingle(std::span<const std::uint8_t> bytes, std::size_t offset);

// IEEE little-endian bytes of `value`.
std::array<std::uint8_t, 4> EncodeSingle(float value);

// Sum of bytes 0..15 modulo 256.
std::uint8_t FrameSum(std::span<const std::uint8_t, kFrameSize> frame);

// Fields of the status byte and of the power-save bytes.
struct TStatus {
    std::uint8_t displayMode = 0;  // 0..7
    std::uint8_t model = 0;        // 0..7
    bool brightnessKey = false;
    bool powerSave = false;
};
TStatus DecodeStatus(std::uint8_t status);
std::uint8_t EncodeStatus(const TStatus& status);

struct TPowerSaveInfo {
    bool asleep = false;  // false: economy
    std::uint16_t seconds = 0;
};
TPowerSaveInfo DecodePowerSave(std::span<const std::uint8_t, kFrameSize> frame);

// Why a frame is dropped, in the order of the checks.
enum class TFrameRejection {
    None,
    TooShort,          // fewer than 18 bytes: nothing is read
    BadTerminator,     // byte 17 is not 10
    BadPowerSaveBits,  // power save with byte 0 bits 5-6 set
    BadModel,          // model 4..7
    BadChecksum,
};
const char* RejectionName(TFrameRejection rejection);

// The validation alone; only bytes 0..17 are read, more are ignored.
TFrameRejection ValidateFrame(std::span<const std::uint8_t> bytes);

// Everything needed to build a valid frame, for a simulated meter and tests.
struct TFrameFields {
    TStatus status;
    float value1 = 0;
    float value2 = 0;
    float value3 = 0;                                     // bytes 8..11 unless `settings` is given
    std::optional<std::array<std::uint8_t, 4>> settings;  // RLCD report
    TPowerSaveInfo powerSave;  // used instead of value 1 when status.powerSave
    std::uint8_t subMode = 0;  // byte 14
    std::uint8_t byte12 = 0;
    std::uint8_t checksumVariant = 0;  // byte 13 bits 0-1
    bool plusFiveChecksum = false;     // needs checksumVariant 2 or 3 to be accepted
};

// The checksum and terminator are filled in.
TMeasurementFrame BuildMeasurementFrame(const TFrameFields& fields);

// Recomputes byte 16 (plain sum, or sum + 5) and sets the terminator.
void SealFrame(TMeasurementFrame& frame, bool plusFive = false);

}  // namespace protocol
