// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "protocol/model.h"
#include "protocol/settings.h"
#include "protocol/state.h"

// A part measured at one test frequency after another. The sweep says which
// settings to send for each point, watches the accepted frames until the
// readings at that frequency agree, and puts the meter back as it was at the
// end. It keeps no clock: the caller passes the time with every call.
namespace sweep {

struct TSweepPlan {
    protocol::TMeterModel model = protocol::TMeterModel::Ks15;
    std::vector<int> frequencyIndices;  // empty: every frequency of the model, rising
    int levelIndex = 1;
    bool series = true;
    int readings = 3;            // agreeing readings that settle a point
    double spread = 0.005;       // allowed (max - min) / |mean| of |Z|
    double floorOhms = 1e-3;     // ... or this much in ohms, for values near zero
    double timeoutSeconds = 10;  // a point not settled by then is kept as unsettled
};

// Report interval of a rate code, seconds (1: 2 s, 2: 1 s, 3: 0.5 s).
double ReportSeconds(std::uint8_t rate);
// A point's time-out: at least `least`, and long enough for the dropped
// reading, the agreeing ones and a little waiting at the meter's report
// interval (at 2 s a point needs longer than 10 s).
double PointTimeoutSeconds(double least, int readings, std::uint8_t rate);

// The frequency indices the model offers, in rising order of their hertz.
std::vector<int> DefaultFrequencyIndices(protocol::TMeterModel model);

struct TSweepPoint {
    int frequencyIndex = 0;
    int frequencyHz = 0;
    double Rs = 0;
    double Xs = 0;  // signed: positive inductive, negative capacitive
    double Z = 0;
    double thetaDeg = 0;
    std::optional<double> Rp;
    std::optional<double> Xp;
    std::optional<double> henry;  // inductive parts
    std::optional<double> farad;  // capacitive parts
    std::optional<double> D;
    std::optional<double> Q;
    double esr = 0;     // the series resistance
    double spread = 0;  // of |Z| over the readings used, relative
    int readingsUsed = 0;
    bool settled = false;
};

// The figures of a point from its mean series resistance and signed reactance.
TSweepPoint PointFrom(double rs, double xs, int frequencyHz);

class TSweep {
  public:
    TSweep(TSweepPlan plan, const protocol::TMeterSettings& before);

    // The settings record to send now, once per point (and once at the end to
    // restore the meter); none while waiting for readings or when all is done.
    std::optional<protocol::TMeterSettings> TakeCommand(double now);

    // An accepted frame: the settings it reported and the decoded state.
    void Feed(const protocol::TMeterSettings& reported, const protocol::TMeterState& state,
              double now);

    // Gives up on a point whose time-out has passed.
    void Tick(double now);

    // Ends the sweep early (a stop or a lost link): the points so far stay,
    // and the restoring command is the next one.
    void Stop();

    bool Done() const { return done_; }
    int PointCount() const { return static_cast<int>(plan_.frequencyIndices.size()); }
    int CurrentPoint() const { return current_; }  // 0-based
    const TSweepPlan& Plan() const { return plan_; }
    const std::vector<TSweepPoint>& Points() const { return points_; }

  private:
    struct TReading {
        double rs;
        double xs;
    };
    void FinishPoint(bool settled);
    protocol::TMeterSettings SettingsFor(int frequencyIndex) const;

    TSweepPlan plan_;
    protocol::TMeterSettings before_;
    int current_ = 0;
    bool commandDue_ = true;
    bool restoreDue_ = false;
    bool done_ = false;
    double pointStart_ = 0;
    bool firstDropped_ = false;
    std::vector<TReading> readings_;
    std::vector<TSweepPoint> points_;
};

}  // namespace sweep
