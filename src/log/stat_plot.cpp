// SPDX-License-Identifier: GPL-3.0-or-later
#include "log/stat_plot.h"

#include <algorithm>
#include <cmath>

namespace logcore {
namespace {

void Widen(std::optional<double>& low, std::optional<double>& high, double v) {
    low = low ? std::min(*low, v) : v;
    high = high ? std::max(*high, v) : v;
}

void Widen(std::optional<double>& low, std::optional<double>& high,
           const std::optional<double>& otherLow, const std::optional<double>& otherHigh) {
    if (otherLow) Widen(low, high, *otherLow);
    if (otherHigh) Widen(low, high, *otherHigh);
}

}  // namespace

TTrendThinning::TTrendThinning(std::size_t capacity)
    : capacity_(std::max<std::size_t>(2, capacity)) {
    buckets_.reserve(capacity_);
}

void TTrendThinning::Add(std::optional<double> value, bool rejected) {
    ++rows_;
    if (buckets_.empty() || buckets_.back().rows >= width_) {
        if (buckets_.size() >= capacity_) Merge();
        if (buckets_.empty() || buckets_.back().rows >= width_)
            buckets_.push_back({rows_, 0, {}, {}, {}, {}});
    }
    TBucket& b = buckets_.back();
    ++b.rows;
    if (value && std::isfinite(*value)) {
        Widen(b.low, b.high, *value);
        if (rejected) Widen(b.rejectLow, b.rejectHigh, *value);
    }
}

void TTrendThinning::Merge() {
    std::vector<TBucket> merged;
    merged.reserve(capacity_);
    for (std::size_t i = 0; i < buckets_.size(); i += 2) {
        TBucket b = buckets_[i];
        if (i + 1 < buckets_.size()) {
            const TBucket& n = buckets_[i + 1];
            b.rows += n.rows;
            Widen(b.low, b.high, n.low, n.high);
            Widen(b.rejectLow, b.rejectHigh, n.rejectLow, n.rejectHigh);
        }
        merged.push_back(b);
    }
    buckets_ = std::move(merged);
    width_ *= 2;
}

void TTrendThinning::Clear() {
    buckets_.clear();
    width_ = 1;
    rows_ = 0;
}

namespace {

template <typename Low, typename High>
std::vector<TTrendThinning::TPoint> Points(const std::vector<TTrendThinning::TBucket>& buckets,
                                           Low low, High high) {
    std::vector<TTrendThinning::TPoint> points;
    points.reserve(buckets.size() * 2);
    for (const auto& b : buckets) {
        const std::optional<double> lo = low(b);
        const std::optional<double> hi = high(b);
        if (!lo) continue;
        const double first = static_cast<double>(b.firstRow);
        if (b.rows == 1 || *lo == *hi) {
            points.push_back({first, *lo});
            continue;
        }
        const double last = static_cast<double>(b.firstRow + b.rows - 1);
        points.push_back({first, *lo});
        points.push_back({last, *hi});
    }
    return points;
}

}  // namespace

std::vector<TTrendThinning::TPoint> TTrendThinning::Line() const {
    return Points(
        buckets_, [](const TBucket& b) { return b.low; }, [](const TBucket& b) { return b.high; });
}

std::vector<TTrendThinning::TPoint> TTrendThinning::Rejects() const {
    return Points(
        buckets_, [](const TBucket& b) { return b.rejectLow; },
        [](const TBucket& b) { return b.rejectHigh; });
}

std::optional<double> BandDeviation(std::optional<double> value,
                                    const std::optional<TToleranceBand>& band) {
    if (!value || !band || band->reference == 0) return std::nullopt;
    const double d = (*value - band->reference) / std::fabs(band->reference) * 100;
    if (!std::isfinite(d)) return std::nullopt;
    return d;
}

void TDeviationHistogram::Add(std::optional<double> value,
                              const std::optional<TToleranceBand>& band) {
    const std::optional<double> d = BandDeviation(value, band);
    if (!d || !(band->percent > 0) || !std::isfinite(band->percent)) return;
    deviations_.push_back(*d);
    if (band->percent > scale_) {
        scale_ = band->percent;
        std::fill(counts_.begin(), counts_.end(), 0);
        for (const double each : deviations_) Count(each);
    } else {
        Count(*d);
    }
}

void TDeviationHistogram::Count(double deviation) {
    const double position = (deviation / scale_ + kTolerances) * kBinsPerTolerance;
    const double clamped = std::clamp(std::floor(position), 0.0, static_cast<double>(kBins - 1));
    ++counts_[static_cast<std::size_t>(clamped)];
}

void TDeviationHistogram::Clear() {
    scale_ = 0;
    std::fill(counts_.begin(), counts_.end(), 0);
    deviations_.clear();
}

}  // namespace logcore
