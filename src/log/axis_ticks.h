// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

#include "i18n/lexicon.h"

// Ticks and labels of the statistics plots' axes: round steps (1, 2 or 5 times
// a power of ten) that cover the data, labelled with an SI prefix and a unit.
namespace logcore {

struct TAxisTicks {
    // Ticks, in plotted units (the value divided by 10^exponent): first, step
    // and how many, both ends included.
    double first = 0;
    double step = 1;
    int count = 2;
    // Values are plotted divided by 10^exponent. With a prefix it is the
    // prefix's power (a multiple of 3 from -12 for pico to 6 for mega);
    // in exponent form the largest value's own power of ten.
    int exponent = 0;
    // Digits after the decimal separator that tell the ticks apart.
    int decimals = 0;
    // Beyond the prefixes (below a thousandth of a pico, above 99 999 mega):
    // labels in exponent form, "3.36e-40", with no prefix.
    bool scientific = false;

    double Last() const { return first + step * (count - 1); }
    double Tick(int i) const;
    std::vector<double> Ticks() const;
};

// Round ticks over [low, high] with at most `maxIntervals` steps between them.
// A single value gets room around it; no finite range gives 0..1. Without
// `prefixes` the ticks stay in the values' own unit (percentages). Any
// magnitude gives ticks of a few digits in plotted units.
TAxisTicks ValueTicks(double low, double high, int maxIntervals = 5, bool prefixes = true);

// Whole-number ticks from 0 that reach at least `highest` (row counts, row
// numbers): never a fraction, never the same label twice.
TAxisTicks CountTicks(long highest, int maxIntervals = 5);

// One label a tick: "1.5 kΩ", "200 mV", "20 %", "5". `unit` follows the prefix
// (may be empty); the prefixes come from lexicon Dlang1 and the micro sign of
// the display.
std::vector<std::string> TickLabels(const TAxisTicks& ticks, const std::string& unit,
                                    const std::string& decimalSeparator,
                                    const i18n::TLexicons& lexicons);

// Unit of a shown parameter, by its code in the settings record: primary 1 R,
// 2 C, 3 L, 4 Z, 5 and 6 C in its ranges; secondary 1 R, 2 Q, 3 D. Q, D and
// an unknown code have none.
std::string ParameterUnit(int code, bool primary, const i18n::TLexicons& lexicons);

}  // namespace logcore
