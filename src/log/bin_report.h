// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

#include "i18n/lexicon.h"
#include "log/bins.h"

// Counts and shares per bin as text lines (lexicon Dbins) and as JSON.
namespace logcore {

// The bands in order, then out and secondary out, each with its count and
// share of the sorted parts; then the parts without a bin.
std::string BinCountsText(const TBins& bins, const TBinCounts& counts,
                          const i18n::TLexicons& lexicons, const std::string& decimalSeparator);

// [{"bin": 1, "band": "±1%", "lower": -1, "upper": 1, "count": 5, "share": 0.5}, ...
//  {"bin": 0, "band": null, ...}, {"bin": 10, ...}] and the unsorted count:
// {"bands": [...], "sorted": N, "unsorted": N}.
std::string BinCountsJson(const TBins& bins, const TBinCounts& counts);

}  // namespace logcore
