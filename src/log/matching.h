// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>
#include <vector>

// Matched sets: logged parts grouped into as many sets of K as the values
// allow, each set's values within P % of the set's mean. Pure functions only.
namespace logcore {

struct TMatchPart {
    long row = 0;  // the journal's data row, 1 = first after the header
    double value = 0;
    std::optional<double> value2;  // the secondary, for a second bound
};

struct TMatchRule {
    int size = 2;                          // K, 2 or more
    double withinPercent = 1;              // P, 0 up to below 100
    std::optional<double> within2Percent;  // the secondary's bound, when asked
};

struct TMatchResult {
    // Each set's rows in ascending order; sets ordered by their values.
    std::vector<std::vector<long>> sets;
    std::vector<long> left;  // ascending
    friend bool operator==(const TMatchResult&, const TMatchResult&) = default;
};

// Whether values lie within `percent` of their mean (edges included).
bool WithinOfMean(const std::vector<double>& values, double percent);

// Groups the parts. A part without a finite value (or, under a second bound,
// without a finite secondary) is left over.
TMatchResult MatchSets(std::vector<TMatchPart> parts, const TMatchRule& rule);

// "1%", "0.5": a bound for --within; empty with `error` when it is not a
// number from 0 up to below 100.
std::optional<double> ParseWithin(const std::string& text, std::string& error);

}  // namespace logcore
