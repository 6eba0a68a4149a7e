// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "protocol/model.h"
#include "sweep/sweep.h"

// Sweep points as text, and frequency lists as typed.
//
// Each point is one line with these fields, in this order (CSV columns and
// JSON keys alike):
//   frequency_hz  test frequency
//   rs_ohm        series resistance          xs_ohm  signed series reactance
//   z_ohm         |Z|                        theta_deg  phase, signed
//   rp_ohm        parallel resistance        xp_ohm  signed parallel reactance
//   l_henry       inductance (inductive parts only)
//   c_farad       capacitance (capacitive parts only)
//   d, q          dissipation and quality factors
//   esr_ohm       the series resistance
//   spread        (max - min) / |Z| of the readings used
//   readings      how many readings the point took
//   settled       whether they agreed before the time-out
// CSV: ';' between fields, '.' as the decimal point, CR LF at the end, an
// empty field where JSON has null. Figures of a point that took no reading
// are empty (null) too: nothing was measured.
namespace sweep {

std::string CsvHeader();  // CR LF included
std::string CsvLine(const TSweepPoint& point);
std::string JsonLine(const TSweepPoint& point);  // LF included

// "100", "120", "1k", "150k": a test frequency as the pickers name it, unit dropped.
std::string FrequencyText(int hz);

// The frequencies a model offers, in rising order, as FrequencyText names them.
std::vector<std::string> OfferedFrequencyTexts(protocol::TMeterModel model);

// A list like "100,1k,10k": items in hertz ("1000", "1000Hz") or kilohertz
// ("1k", "1kHz", "1.5k"), blanks ignored.
struct TFrequencyList {
    enum class TProblem { None, Empty, NotAFrequency, NotOffered };
    TProblem problem = TProblem::None;
    std::string item;          // the refused item, as typed
    std::vector<int> indices;  // frequency indices in the order given, repeats dropped
};
TFrequencyList ParseFrequencyList(std::string_view text, protocol::TMeterModel model);

}  // namespace sweep
