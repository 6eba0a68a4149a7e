// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

#include "i18n/lexicon.h"
#include "log/statistics.h"

// The figures as texts: the lines of the statistics table (the window and the
// command-line report show the same), and a JSON form for scripts.
namespace logcore {

struct TFigureLine {
    std::string label;
    std::string value;
};

// A value in SI units with a decimal prefix (lexicon Dlang1), six
// significant digits and its unit (may be empty): 1.00234 kΩ, 47.0000 nF,
// 12.5000; exponent form outside M..p.
std::string StatValueText(double value, const std::string& decimalSeparator,
                          const i18n::TLexicons& lexicons, const std::string& unit = {});

// Rows, passed, rejected and why, invalid input, yield, then mean, sigma,
// minimum, maximum, Cp and Cpk of the primary and the secondary value, the
// values with the unit of their parameter. A figure that is not defined shows
// the lexicon's dash.
std::vector<TFigureLine> FigureLines(const TFigures& figures, const i18n::TLexicons& lexicons,
                                     const std::string& decimalSeparator);

// Heading of an entry's figures: its number and name.
std::string EntryHeading(long entry, const std::string& name);

// All rows, then each entry in multi mode, as indented text lines.
std::string StatisticsText(const TStatistics& statistics, const i18n::TLexicons& lexicons,
                           const std::string& decimalSeparator);

// {"all": {...}, "entries": [{"entry": 3, "name": "R1", ...}]}; numbers in
// shortest round-trip form, null where a figure is not defined.
std::string StatisticsJson(const TStatistics& statistics);

}  // namespace logcore
