// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include "log/tolerance.h"

// What the statistics window plots, kept row by row at a bounded cost: a
// trend thinned to a fixed number of buckets, and a histogram of deviations.
namespace logcore {

// A trend of values by row number, thinned so that it never holds more than
// `capacity` buckets: each bucket covers `Width()` consecutive rows and keeps
// the lowest and highest value of them, of all rows and of the rejected ones.
// When the buckets run out, neighbours merge and the width doubles, so a row
// costs the same on average however long the log is.
class TTrendThinning {
  public:
    struct TBucket {
        long firstRow = 0;
        long rows = 0;
        std::optional<double> low, high;              // all values
        std::optional<double> rejectLow, rejectHigh;  // rejected rows
    };
    struct TPoint {
        double row = 0;
        double value = 0;
    };

    explicit TTrendThinning(std::size_t capacity = 512);

    // Row numbers count from 1 in the order rows are added.
    void Add(std::optional<double> value, bool rejected);
    void Clear();

    long Rows() const { return rows_; }
    long Width() const { return width_; }
    const std::vector<TBucket>& Buckets() const { return buckets_; }
    // Points to draw: one per value while buckets hold one row, else the low
    // and the high of each bucket at its first row and its last.
    std::vector<TPoint> Line() const;
    std::vector<TPoint> Rejects() const;

  private:
    void Merge();

    std::size_t capacity_;
    long width_ = 1;
    long rows_ = 0;
    std::vector<TBucket> buckets_;
};

// Deviations in percent from the reference, in bins of a fifth of the widest
// tolerance seen, over three tolerances either side; values beyond go into the
// outermost bins. Without a percentage tolerance nothing is counted.
class TDeviationHistogram {
  public:
    static constexpr int kBinsPerTolerance = 5;
    static constexpr int kTolerances = 3;
    static constexpr int kBins = 2 * kBinsPerTolerance * kTolerances;

    void Add(std::optional<double> value, const std::optional<TToleranceBand>& band);
    void Clear();

    // The widest tolerance so far (the bins' scale); 0 before any band.
    double Scale() const { return scale_; }
    double BinWidth() const { return scale_ / kBinsPerTolerance; }
    // Lower edge of bin i, in percent.
    double BinLow(int i) const { return -kTolerances * scale_ + i * BinWidth(); }
    const std::vector<long>& Counts() const { return counts_; }
    long Total() const { return static_cast<long>(deviations_.size()); }

  private:
    void Count(double deviation);

    double scale_ = 0;
    std::vector<long> counts_ = std::vector<long>(kBins, 0);
    std::vector<double> deviations_;  // to re-bin when the scale grows
};

// Deviation of a value from a band's reference in percent; empty when either
// is missing or the result is not finite.
std::optional<double> BandDeviation(std::optional<double> value,
                                    const std::optional<TToleranceBand>& band);

}  // namespace logcore
