// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "display/indicators.h"
#include "i18n/lexicon.h"
#include "protocol/settings.h"
#include "protocol/state.h"

// One row of the log table: ten text cells built from what the screen shows,
// the settings record and the last tolerance check.
namespace logcore {

// Recording mode, the item index of CBox10.
enum class TLogMode : int { Single = 0, Multi = 1 };

inline constexpr int kLogColumns = 10;

// Captions of the RLCD read-outs as shown.
struct TShownReadings {
    std::string L_Prim_RLC;
    std::string L_prim_n;
    std::string L_Sec_RLC;
    std::string L_sec_n;
};

struct TLogRowInput {
    TShownReadings shown;
    protocol::TMeterSettings settings;
    display::TIndicatorMemory memory;  // FrequencyText and LevelText as last shown
    std::int32_t verdict = protocol::verdict::Pass;
    // The current values (TDeviations); empty: no deviation text.
    std::optional<double> primaryDeviation;
    std::optional<double> secondaryDeviation;
    bool primaryOn = false;  // CBox5 differs from its off entry
    bool secondaryOn = false;
    TLogMode mode = TLogMode::Single;
    int position = 1;      // SE1 in single mode, SE2 in multi mode
    std::string timeText;  // LogTimeText of the recording
    std::string decimalSeparator = ",";
};

// The cells a row append writes. An empty optional is not written and keeps
// what the grid holds: column 1 in multi mode (the entry's name), column 7
// while both tolerances are off.
struct TLogRowCells {
    std::array<std::optional<std::string>, kLogColumns> cells;
};

TLogRowCells BuildLogRowCells(const TLogRowInput& input, const i18n::TLexicons& lexicons);

// How a data row's reject cells are painted, from the row's own reject mark
// (column 7) and the verdict that row was written with.
struct TRowPaint {
    enum class TFill { Normal, Red, Green };
    TFill column7 = TFill::Normal;
    bool column8Red = false;
    bool column9Red = false;
};

TRowPaint RowPaint(std::string_view column7, std::int32_t rowVerdict,
                   const i18n::TLexicons& lexicons);

// The primary and secondary value of a frame in SI units (R and Z in ohms, L
// in henries, C in farads, Q and D plain, the phase in degrees), signed as the
// screen shows them. Empty when the parameter shows no value (no secondary,
// Z, Q, D or phase on DC) or the value is not finite.
struct TShownValues {
    std::optional<double> primary;
    std::optional<double> secondary;
};

TShownValues ShownSiValues(const protocol::TMeterState& state,
                           const protocol::TMeterSettings& settings);

}  // namespace logcore
