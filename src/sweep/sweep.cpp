// SPDX-License-Identifier: GPL-3.0-or-later
#include "sweep/sweep.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace sweep {

std::vector<int> DefaultFrequencyIndices(protocol::TMeterModel model) {
    std::vector<int> indices;
    for (int i = 1; i <= protocol::ModelInfo(model).maxFreqIndex; ++i) indices.push_back(i);
    std::stable_sort(indices.begin(), indices.end(), [model](int a, int b) {
        return protocol::TableFrequencyHz(a, model) < protocol::TableFrequencyHz(b, model);
    });
    return indices;
}

double ReportSeconds(std::uint8_t rate) {
    return rate == 1 ? 2.0 : rate == 3 ? 0.5 : 1.0;
}

double PointTimeoutSeconds(double least, int readings, std::uint8_t rate) {
    return std::max(least, (readings + 4) * ReportSeconds(rate));
}

TSweepPoint PointFrom(double rs, double xs, int frequencyHz) {
    TSweepPoint p;
    p.frequencyHz = frequencyHz;
    p.Rs = rs;
    p.Xs = xs;
    p.esr = rs;
    p.Z = std::hypot(rs, xs);
    p.thetaDeg = std::atan2(xs, rs) * 180.0 / std::numbers::pi;
    const double z2 = rs * rs + xs * xs;
    if (rs != 0) {
        p.Rp = z2 / rs;
        p.Q = std::abs(xs) / rs;
    }
    if (xs != 0) {
        p.Xp = z2 / xs;
        p.D = rs / std::abs(xs);
        const double omega = 2 * std::numbers::pi * frequencyHz;
        if (xs > 0)
            p.henry = xs / omega;
        else
            p.farad = -1 / (omega * xs);
    }
    return p;
}

TSweep::TSweep(TSweepPlan plan, const protocol::TMeterSettings& before)
    : plan_(std::move(plan)), before_(before) {
    if (plan_.frequencyIndices.empty())
        plan_.frequencyIndices = DefaultFrequencyIndices(plan_.model);
    plan_.readings = std::max(plan_.readings, 1);
    if (plan_.frequencyIndices.empty()) {
        done_ = true;
        commandDue_ = false;
    }
}

protocol::TMeterSettings TSweep::SettingsFor(int frequencyIndex) const {
    protocol::TMeterSettings s = before_;
    s.FreqAuto() = 0;
    s.FreqIndex() = static_cast<std::uint8_t>(frequencyIndex);
    s.LevelAuto() = 0;
    s.LevelIndex() = static_cast<std::uint8_t>(plan_.levelIndex);
    s.CircuitAuto() = 0;
    s.Series() = plan_.series ? 1 : 0;
    s.Hold() = 0;  // a held reading would stand for every frequency
    return s;
}

std::optional<protocol::TMeterSettings> TSweep::TakeCommand(double now) {
    if (restoreDue_) {
        restoreDue_ = false;
        done_ = true;
        return before_;
    }
    if (!commandDue_ || done_) return std::nullopt;
    commandDue_ = false;
    pointStart_ = now;
    firstDropped_ = false;
    readings_.clear();
    return SettingsFor(plan_.frequencyIndices[static_cast<std::size_t>(current_)]);
}

void TSweep::Feed(const protocol::TMeterSettings& reported, const protocol::TMeterState& state,
                  double now) {
    if (done_ || commandDue_ || restoreDue_) return;
    const int index = plan_.frequencyIndices[static_cast<std::size_t>(current_)];
    // A frame from before the change still shows the old frequency or level.
    if (reported.FreqAuto() != 0 || reported.FreqIndex() != index ||
        reported.LevelIndex() != plan_.levelIndex) {
        Tick(now);
        return;
    }
    if (!firstDropped_) {  // measured while the meter was still switching
        firstDropped_ = true;
        Tick(now);
        return;
    }
    readings_.push_back({state.Rs, state.PhaseDeg < 0 ? -state.Xs : state.Xs});
    if (static_cast<int>(readings_.size()) >= plan_.readings) {
        const auto last = readings_.end() - plan_.readings;
        double lo = INFINITY, hi = -INFINITY, sum = 0;
        for (auto r = last; r != readings_.end(); ++r) {
            const double z = std::hypot(r->rs, r->xs);
            lo = std::min(lo, z);
            hi = std::max(hi, z);
            sum += z;
        }
        const double mean = sum / plan_.readings;
        if (hi - lo <= plan_.spread * std::abs(mean) || hi - lo <= plan_.floorOhms) {
            readings_.erase(readings_.begin(), last);
            FinishPoint(true);
            return;
        }
    }
    Tick(now);
}

void TSweep::Tick(double now) {
    if (done_ || commandDue_ || restoreDue_) return;
    if (now - pointStart_ < plan_.timeoutSeconds) return;
    // Keep what was seen: the last readings, however far apart.
    if (static_cast<int>(readings_.size()) > plan_.readings)
        readings_.erase(readings_.begin(), readings_.end() - plan_.readings);
    FinishPoint(false);
}

void TSweep::FinishPoint(bool settled) {
    const int index = plan_.frequencyIndices[static_cast<std::size_t>(current_)];
    TSweepPoint p;
    if (!readings_.empty()) {
        double rs = 0, xs = 0, lo = INFINITY, hi = -INFINITY;
        for (const TReading& r : readings_) {
            rs += r.rs;
            xs += r.xs;
            const double z = std::hypot(r.rs, r.xs);
            lo = std::min(lo, z);
            hi = std::max(hi, z);
        }
        const double n = static_cast<double>(readings_.size());
        p = PointFrom(rs / n, xs / n, protocol::TableFrequencyHz(index, plan_.model));
        p.spread = p.Z != 0 ? (hi - lo) / p.Z : 0;
    } else {
        p.frequencyHz = protocol::TableFrequencyHz(index, plan_.model);
    }
    p.frequencyIndex = index;
    p.readingsUsed = static_cast<int>(readings_.size());
    p.settled = settled;
    points_.push_back(p);
    readings_.clear();
    if (++current_ < PointCount())
        commandDue_ = true;
    else
        restoreDue_ = true;
}

void TSweep::Stop() {
    if (done_) return;
    commandDue_ = false;
    restoreDue_ = true;
}

}  // namespace sweep
