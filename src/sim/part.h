// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "protocol/state.h"

// The component in the simulated meter's clips.
namespace sim {

// Open: nothing in the clips, an impedance far beyond the meter's range.
enum class TPartKind { Resistor, Capacitor, Inductor, SeriesRc, SeriesRl, Open };

struct TPart {
    TPartKind kind = TPartKind::Resistor;
    double ohms = 1000;  // resistance (series resistance of RC and RL)
    double farads = 0;
    double henries = 0;
};

// Part text: "R=1k", "C=100n", "L=10m", "RC=1k,100n", "RL=10,10m", or "none"
// for empty clips. Values take an SI prefix: p n u (or µ) m k M G. Empty on
// anything else or a value that is not positive.
std::optional<TPart> ParsePart(std::string_view text);

// One line per form, for usage texts.
inline constexpr const char* kPartSpecHelp =
    "R=<ohms> | C=<farads> | L=<henries> | RC=<ohms>,<farads> | RL=<ohms>,<henries>\n"
    "                    | none (empty clips)\n"
    "                    "
    "(SI prefixes p n u m k M G, e.g. R=4.7k C=100n L=10m RC=1k,1u)";

// Display mode text: "rlcd", "rd" or "u"; empty on anything else.
std::optional<protocol::TDisplayMode> ParseMode(std::string_view text);
inline constexpr const char* kModeSpecHelp = "rlcd | rd | u";

// The refusal of a bad option value: names the option, the value and the
// forms accepted.
std::string BadOptionMessage(std::string_view option, std::string_view value,
                             std::string_view accepted);

// The same on one line, for messages.
inline constexpr const char* kPartForms =
    "R=<ohms> | C=<farads> | L=<henries> | RC=<ohms>,<farads> | RL=<ohms>,<henries> | none "
    "(SI prefixes p n u m k M G)";

// Series equivalent of the part at `hz` (0: direct current): resistance and
// signed reactance in ohms. A capacitor blocks direct current; a resistor
// carries the small reactance of its leads and body.
struct TImpedance {
    double r = 0;
    double x = 0;
};
TImpedance SeriesImpedance(const TPart& part, double hz);

// Resistance a DC resistance test sees.
double DcResistance(const TPart& part);

}  // namespace sim
