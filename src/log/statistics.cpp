// SPDX-License-Identifier: GPL-3.0-or-later
#include "log/statistics.h"

#include <algorithm>
#include <cmath>

#include "protocol/state.h"

namespace logcore {
namespace {

// Parameter codes of the settings record against the editor's item indices.
constexpr int kRecordPrimary[] = {1, 3, 2};    // CBox2 R, L, C -> R, L, C
constexpr int kRecordSecondary[] = {1, 2, 3};  // CBox11 R, Q, D -> R, Q, D

std::optional<TToleranceBand> IfShown(const std::optional<TToleranceBand>& band,
                                      const int (&codes)[3], int shown) {
    if (!band || band->parameter < 0 || band->parameter > 2) return std::nullopt;
    if (codes[band->parameter] != shown) return std::nullopt;
    return band;
}

}  // namespace

TShownBands BandsForShown(const TReferenceInput& input, const protocol::TMeterSettings& settings) {
    return {IfShown(PrimaryBand(input), kRecordPrimary, settings.PrimIndex()),
            IfShown(SecondaryBand(input), kRecordSecondary, settings.SecIndex())};
}

int RecordParameter(int editorItem, bool primary) {
    if (editorItem < 0 || editorItem > 2) return 0;
    return (primary ? kRecordPrimary : kRecordSecondary)[editorItem];
}

TStatRow StatRowFromJournal(const TJournalRow& row, const std::optional<TToleranceBand>& primary,
                            const std::optional<TToleranceBand>& secondary) {
    TStatRow s;
    s.mode = row.mode;
    s.entry = row.position;
    s.name = row.name;
    s.verdict = row.verdict;
    s.primary = row.primary;
    s.secondary = row.secondary;
    s.primaryBand = primary;
    s.secondaryBand = secondary;
    return s;
}

void TRunningValue::Add(double x) {
    if (!std::isfinite(x)) return;
    ++count_;
    if (count_ == 1) {
        mean_ = min_ = max_ = x;
        m2_ = 0;
        return;
    }
    const double delta = x - mean_;
    mean_ += delta / static_cast<double>(count_);
    m2_ += delta * (x - mean_);
    min_ = std::min(min_, x);
    max_ = std::max(max_, x);
}

std::optional<double> TRunningValue::Mean() const {
    if (count_ == 0) return std::nullopt;
    return mean_;
}

std::optional<double> TRunningValue::StdDev() const {
    if (count_ < 2) return std::nullopt;
    return std::sqrt(std::max(0.0, m2_) / static_cast<double>(count_ - 1));
}

std::optional<double> TRunningValue::Min() const {
    if (count_ == 0) return std::nullopt;
    return min_;
}

std::optional<double> TRunningValue::Max() const {
    if (count_ == 0) return std::nullopt;
    return max_;
}

std::optional<double> TVerdictCounts::YieldPercent() const {
    if (count == 0) return std::nullopt;
    return static_cast<double>(passed) / static_cast<double>(count) * 100;
}

std::optional<double> ProcessCp(const TToleranceBand& band, std::optional<double> stdDev) {
    if (!stdDev || !(*stdDev > 0)) return std::nullopt;
    const double cp = (band.Upper() - band.Lower()) / (6 * *stdDev);
    if (!std::isfinite(cp)) return std::nullopt;
    return cp;
}

std::optional<double> ProcessCpk(const TToleranceBand& band, std::optional<double> mean,
                                 std::optional<double> stdDev) {
    if (!mean || !stdDev || !(*stdDev > 0)) return std::nullopt;
    const double cpk = std::min(band.Upper() - *mean, *mean - band.Lower()) / (3 * *stdDev);
    if (!std::isfinite(cpk)) return std::nullopt;
    return cpk;
}

void TFigureAccumulator::Add(const TStatRow& row) {
    using namespace protocol::verdict;
    ++counts_.count;
    switch (row.verdict) {
        case Pass:
            ++counts_.passed;
            break;
        case PrimaryOut:
            ++counts_.primaryOut;
            break;
        case SecondaryOut:
            ++counts_.secondaryOut;
            break;
        case BothOut:
            ++counts_.bothOut;
            break;
        default:
            ++counts_.invalid;
            break;
    }
    // A parameter holds while every value agrees; mixed ones have no unit.
    auto parameter = [](int& kept, int shown) { kept = kept < 0 || kept == shown ? shown : 0; };
    if (row.primary) {
        primary_.Add(*row.primary);
        parameter(primaryParameter_, row.primaryParameter);
    }
    if (row.secondary) {
        secondary_.Add(*row.secondary);
        parameter(secondaryParameter_, row.secondaryParameter);
    }
    primaryBand_ = row.primaryBand;
    secondaryBand_ = row.secondaryBand;
}

namespace {

TValueFigures ValueFigures(const TRunningValue& v, const std::optional<TToleranceBand>& band,
                           int parameter) {
    TValueFigures f;
    f.parameter = std::max(0, parameter);
    f.count = v.Count();
    f.mean = v.Mean();
    f.stdDev = v.StdDev();
    f.min = v.Min();
    f.max = v.Max();
    f.band = band;
    if (band) {
        f.cp = ProcessCp(*band, f.stdDev);
        f.cpk = ProcessCpk(*band, f.mean, f.stdDev);
    }
    return f;
}

}  // namespace

TFigures TFigureAccumulator::Figures() const {
    return {counts_, ValueFigures(primary_, primaryBand_, primaryParameter_),
            ValueFigures(secondary_, secondaryBand_, secondaryParameter_)};
}

void TStatistics::Add(const TStatRow& row) {
    all_.Add(row);
    if (row.mode != TLogMode::Multi) return;
    TEntry& entry = entries_[row.entry];
    entry.name = row.name;
    entry.figures.Add(row);
}

void TStatistics::Clear() {
    all_ = {};
    entries_.clear();
}

}  // namespace logcore
