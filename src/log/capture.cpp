// SPDX-License-Identifier: GPL-3.0-or-later
#include "log/capture.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "log/matching.h"

namespace logcore {

bool ReadsOpen(double Rs, double Xs) {
    const double z = std::hypot(Rs, Xs);
    return !std::isfinite(z) || z > kOpenOhms;
}

TCapture::TCapture(TCaptureSettings settings) : settings_(settings) {
    settings_.settleReports = std::max(settings_.settleReports, 2);
}

void TCapture::Reset() {
    recent_.clear();
    taken_.reset();
}

bool TCapture::Feed(const TCaptureReading& r) {
    if (ReadsOpen(r.Rs, r.Xs)) {
        Reset();
        return false;
    }
    if (!r.primary || !std::isfinite(*r.primary)) {
        recent_.clear();  // a gap in the readings: settling starts again
        return false;
    }
    recent_.push_back(*r.primary);
    const auto n = static_cast<std::size_t>(settings_.settleReports);
    while (recent_.size() > n) recent_.pop_front();
    if (recent_.size() < n) return false;
    const std::vector<double> values(recent_.begin(), recent_.end());
    if (!WithinOfMean(values, settings_.spreadPercent)) return false;
    double sum = 0;
    for (double v : values) sum += v;
    const double mean = sum / static_cast<double>(values.size());
    // Still the part taken: its readings settle near its value.
    if (taken_ && std::fabs(mean - *taken_) <= std::fabs(*taken_) * settings_.spreadPercent / 100)
        return false;
    taken_ = mean;
    recent_.clear();
    return true;
}

}  // namespace logcore
