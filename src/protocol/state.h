// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

#include "protocol/model.h"

// The decoded and derived state of the last accepted frame. One instance lives
// for the whole run; the decoder and the screens must share it.
namespace protocol {

// Display mode codes as carried in status bits 0..2 and in the mode commands.
enum class TDisplayMode : std::uint8_t { Rlcd = 1, Rd = 2, U = 3 };

// Tolerance verdict codes; 0 is a pass, everything else a reject.
namespace verdict {
enum : std::int32_t { Pass = 0, PrimaryOut = 1, SecondaryOut = 2, BothOut = 3, InvalidInput = 20 };
}

struct TMeterState {
    // Last non-zero mode code of the status byte (4..7 are kept but select no
    // screen); 0 until a frame names a mode.
    std::uint8_t DisplayMode = 0;
    TMeterModel Model = TMeterModel::Ks15;
    bool PowerSave = false;
    std::int32_t FrequencyHz = 0;
    bool DcMode = false;  // the record's FreqIndex was 0 at the last lookup
    double Rs = 0;        // ohms, magnitude
    double Xs = 0;        // ohms, magnitude
    double Rp = 0;
    double Xp = 0;
    double Z = 0;
    double PhaseDeg = 0;   // signed
    double TestLevel = 0;  // rms millivolts across the part
    std::int32_t ToleranceVerdict = verdict::Pass;
};

}  // namespace protocol
