// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "protocol/model.h"
#include "protocol/state.h"

// The meter's configurable settings. The 18 bytes are a storage format: every
// profile entry keeps exactly this layout, so the record is kept as raw bytes
// and each setting is reached through a named accessor.
namespace protocol {

// Byte offsets of the record.
namespace rec {
enum : std::size_t {
    FreqAuto = 0,
    FreqIndex = 1,
    PrimAuto = 2,
    PrimIndex = 3,
    SecAuto = 4,
    SecIndex = 5,
    LevelAuto = 6,
    LevelIndex = 7,
    CircuitAuto = 8,
    Series = 9,
    Rate = 10,
    Hold = 11,
    Negative = 12,
    Sound = 13,
    Reserved14 = 14,  // reported only, stored with the record
    SourceAuto = 15,
    SourceIndex = 16,
    Reserved17 = 17,
    Size = 18
};
}

struct TMeterSettings {
    std::array<std::uint8_t, rec::Size> bytes{};

    static TMeterSettings FromBytes(std::span<const std::uint8_t, rec::Size> raw);

    // Named access to each byte: `s.Rate()` reads, `s.Rate() = 3` writes.
    std::uint8_t FreqAuto() const { return bytes[rec::FreqAuto]; }
    std::uint8_t& FreqAuto() { return bytes[rec::FreqAuto]; }
    std::uint8_t FreqIndex() const { return bytes[rec::FreqIndex]; }
    std::uint8_t& FreqIndex() { return bytes[rec::FreqIndex]; }
    std::uint8_t PrimAuto() const { return bytes[rec::PrimAuto]; }
    std::uint8_t& PrimAuto() { return bytes[rec::PrimAuto]; }
    std::uint8_t PrimIndex() const { return bytes[rec::PrimIndex]; }
    std::uint8_t& PrimIndex() { return bytes[rec::PrimIndex]; }
    std::uint8_t SecAuto() const { return bytes[rec::SecAuto]; }
    std::uint8_t& SecAuto() { return bytes[rec::SecAuto]; }
    std::uint8_t SecIndex() const { return bytes[rec::SecIndex]; }
    std::uint8_t& SecIndex() { return bytes[rec::SecIndex]; }
    std::uint8_t LevelAuto() const { return bytes[rec::LevelAuto]; }
    std::uint8_t& LevelAuto() { return bytes[rec::LevelAuto]; }
    std::uint8_t LevelIndex() const { return bytes[rec::LevelIndex]; }
    std::uint8_t& LevelIndex() { return bytes[rec::LevelIndex]; }
    std::uint8_t CircuitAuto() const { return bytes[rec::CircuitAuto]; }
    std::uint8_t& CircuitAuto() { return bytes[rec::CircuitAuto]; }
    std::uint8_t Series() const { return bytes[rec::Series]; }
    std::uint8_t& Series() { return bytes[rec::Series]; }
    std::uint8_t Rate() const { return bytes[rec::Rate]; }
    std::uint8_t& Rate() { return bytes[rec::Rate]; }
    std::uint8_t Hold() const { return bytes[rec::Hold]; }
    std::uint8_t& Hold() { return bytes[rec::Hold]; }
    std::uint8_t Negative() const { return bytes[rec::Negative]; }
    std::uint8_t& Negative() { return bytes[rec::Negative]; }
    std::uint8_t Sound() const { return bytes[rec::Sound]; }
    std::uint8_t& Sound() { return bytes[rec::Sound]; }
    std::uint8_t Reserved14() const { return bytes[rec::Reserved14]; }
    std::uint8_t& Reserved14() { return bytes[rec::Reserved14]; }
    std::uint8_t SourceAuto() const { return bytes[rec::SourceAuto]; }
    std::uint8_t& SourceAuto() { return bytes[rec::SourceAuto]; }
    std::uint8_t SourceIndex() const { return bytes[rec::SourceIndex]; }
    std::uint8_t& SourceIndex() { return bytes[rec::SourceIndex]; }
    std::uint8_t Reserved17() const { return bytes[rec::Reserved17]; }
    std::uint8_t& Reserved17() { return bytes[rec::Reserved17]; }

    friend bool operator==(const TMeterSettings&, const TMeterSettings&) = default;
};

// A record as stored in a profile entry, made fit to load: a SourceIndex above
// 1 (the report carries two bits) becomes 0 and byte 17 becomes 0.
TMeterSettings SettingsFromProfile(std::span<const std::uint8_t, rec::Size> stored);

// Frequency of `index` in hertz plus the DC flag. The DC rule looks at the
// record's FreqIndex, not at the argument: a record with FreqIndex 0 always
// gives 120 Hz and DcMode.
struct TFrequencyLookup {
    std::int32_t hz = 0;
    bool dcMode = false;
};
TFrequencyLookup FrequencyFromIndex(int index, const TMeterSettings& settings, TMeterModel model);

// The usual call: looks up the record's own FreqIndex and stores FrequencyHz
// and DcMode in the state.
void UpdateFrequency(TMeterState& state, const TMeterSettings& settings);

// Loads the factory settings (byte 14, SourceAuto and byte 17 keep their
// values) and sets FrequencyHz/DcMode. The caller then refreshes the settings
// indicators and the circuit indicator; nothing is sent.
void ApplyDefaults(TMeterSettings& settings, TMeterState& state);

// The meter's report in frame bytes 8..11, copied into the record. Returns the
// below-40-mF flag of byte 11 bit 5, which holds for that frame only.
bool CopyReportedSettings(TMeterSettings& settings, std::span<const std::uint8_t, 4> reported);

// The inverse: frame bytes 8..11 that report `settings` (for a simulated meter).
std::array<std::uint8_t, 4> ReportedSettingsBytes(const TMeterSettings& settings,
                                                  bool below40mF = false);

// Item to select in each picker list for the record (ListBox_Source_RLC is not
// synchronised).
struct TPickerSelection {
    int freq = 0;     // ListBox_freq_RLC
    int prim = 0;     // ListBox_prim_RLC
    int sec = 0;      // ListBox_sec_RLC
    int level = 0;    // ListBox_Level_RLC
    int circuit = 0;  // ListBox_ser_per
};
TPickerSelection PickerSelection(const TMeterSettings& settings);

}  // namespace protocol
