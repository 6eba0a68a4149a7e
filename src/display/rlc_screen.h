// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "display/format.h"
#include "display/indicators.h"
#include "protocol/frame.h"
#include "protocol/settings.h"
#include "protocol/state.h"

// The RLCD screen: equivalent-circuit values from the meter's series
// resistance and reactance, and every read-out text of Panel_RLCD.
namespace display {

// Texts of Panel_RLCD after one frame; an empty optional leaves the control
// as it was.
struct TRlcScreen {
    std::optional<std::string> L_Prim_RLC;
    std::optional<std::string> L_prim_n;
    std::optional<std::string> L_Sec_RLC;
    std::optional<std::string> L_sec_n;
    std::optional<std::string> L_SER_PER;
    std::optional<std::string> L_SER_PER1;
    std::optional<std::string> L_RLC_avto;
    std::optional<std::string> L_RQD_avto;
    std::optional<std::string> L_freq_RLC;
    std::optional<std::string> L_Level_RLC;
    std::optional<std::string> L_Source_RLC;
    std::optional<std::string> L_righ1;  // Z
    std::optional<std::string> L_righ2;  // D
    std::optional<std::string> L_righ3;  // Q
    std::optional<std::string> L_righ4;  // phase
    std::optional<std::string> L_righ5;  // test voltage
    std::optional<std::string> L_righ6;  // test current
    // Background of Panel_RLCD: true red (a reject), false the display colour;
    // empty for a power-save frame, which is not checked.
    std::optional<bool> Panel_RLCD_Red;
    bool SP3_Enabled = true;  // "Захват"
};

// Verdict of the reference check for the state and record just computed
// (codes in protocol::verdict).
using TToleranceCheck =
    std::function<std::int32_t(const protocol::TMeterState&, const protocol::TMeterSettings&)>;

struct TRlcInput {
    protocol::TMeterSettings settings;  // the record before this frame
    protocol::TMeterState state;        // the state before this frame
    TIndicatorMemory memory;
    bool profileEditing = false;     // SB4 down
    bool recordingRunning = false;   // SP1 "Пуск" down
    TToleranceCheck checkTolerance;  // none yet: every reading passes
};

struct TRlcResult {
    TRlcScreen screen;
    TSettingsButtons buttons;
    protocol::TPickerSelection pickers;  // the picker selections follow the report
    protocol::TMeterSettings settings;   // the meter's report copied in
    protocol::TMeterState state;         // Rs, Xs, Rp, Xp, Z, PhaseDeg, TestLevel, verdict
    TIndicatorMemory memory;
    bool toleranceChecked = false;
    bool appendLogRow = false;
};

TRlcResult ShowRlcdMode(const protocol::TMeasurementFrame& frame, const TRlcInput& input,
                        const TTextContext& ctx);

// Generator source resistance (ohms) and test level factor (millivolts) of the
// level computation.
double SourceResistanceOhms(protocol::TMeterModel model, std::uint8_t sourceIndex);
double TestLevelFactor(protocol::TMeterModel model, std::uint8_t levelIndex);

// D or Q text: four significant figures at most, as many decimals as the
// integer part leaves of five digits. Safe for any magnitude.
std::string FormatRatio(double value, const TSeparators& separators);

}  // namespace display
