// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "log/tolerance.h"

// Sorting parts into bins: up to nine bands of primary deviation around the
// reference, tried in order, so nested bands (1%,2%,5%) make rings and
// adjacent ones (-5%:-1%,-1%:+1%,+1%:+5%) make slices. Pure functions only.
namespace logcore {

inline constexpr int kMaxBins = 9;
// Bin numbers beside the bands' 1..9.
inline constexpr int kBinOut = 0;            // no band holds the primary deviation
inline constexpr int kBinSecondaryOut = 10;  // a band holds it, the secondary is rejected

// Deviations in percent of the reference, both edges inclusive.
struct TBinBand {
    double lower = 0;
    double upper = 0;
    friend bool operator==(const TBinBand&, const TBinBand&) = default;
};

struct TBins {
    std::vector<TBinBand> bands;
    bool Empty() const { return bands.empty(); }
};

// The --bins text: bands separated by commas, each "P%" (symmetric, -P..+P) or
// "A%:B%" (A up to B; signs as typed, so "-1%:+2%"); the "%" may be left out,
// a leading "±" is taken. Empty, with `error` saying why, when the text is not
// such a list: nothing or an empty item, more than nine bands, not a number, a
// negative width, A above B, or a band that earlier ones hide completely (it
// could never get a part).
std::optional<TBins> ParseBins(const std::string& text, std::string& error);

// "±1%", "-1%…+2%": a band as a person reads it.
std::string BandText(const TBinBand& band);

// The bin of a part from its primary deviation and whether the secondary
// tolerance rejects it: the first band holding the deviation, else kBinOut; a
// part in a band that the secondary rejects is kBinSecondaryOut. Empty when
// there are no bands or no deviation (no usable reference, no reading).
std::optional<int> SortIntoBin(const TBins& bins, std::optional<double> deviation,
                               bool secondaryRejects);

// The bin of a reading against the reference editor (its tolerance boxes are
// not needed for the primary; the secondary tolerance rejects as it does in
// the pass/fail check).
std::optional<int> BinOfReading(const TBins& bins, const TReferenceInput& reference,
                                const TMeasured& measured);

// The bin of a journal row's shown values in SI units.
std::optional<int> BinOfValues(const TBins& bins, const TReferenceInput& reference,
                               std::optional<double> primary, std::optional<double> secondary);

// Counts per bin over a run of parts.
struct TBinCounts {
    std::array<long, kBinSecondaryOut + 1> byBin{};  // index = bin number
    long unsorted = 0;                               // rows without a bin

    void Add(std::optional<int> bin);
    long Sorted() const;
    // The share of sorted parts in a bin, 0..1; empty before any sorted part.
    std::optional<double> Share(int bin) const;
};

}  // namespace logcore
