// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <deque>
#include <optional>

// Hands-free capture: one log row per part put on the probes, without a key.
// A part is taken when its readings settle: the last `settleReports` values
// all lie within `spreadPercent` of their mean. After that nothing more is
// taken until the clips read open or the readings settle at a value beyond the
// spread from the one taken (the part was swapped). A part within the spread
// of the one before it, swapped without opening the clips, is not told apart.
//
// Open: the impedance the frame reports, |Rs + jXs|, is above 20 MΩ (where the
// resistance read-out shows over range) or not a finite number. That is the
// same for R, L and C: empty clips are an impedance beyond any part the meter
// ranges. A capacitor whose reactance is above it at the test frequency
// (below 8 pF at 1 kHz) reads as open too; take a higher frequency for it.
namespace logcore {

inline constexpr double kOpenOhms = 2e7;

struct TCaptureSettings {
    int settleReports = 3;       // N, 2 or more
    double spreadPercent = 0.5;  // the readings' spread around their mean
};

// What capture needs of a report: the series values and the primary value the
// screen shows (empty when it shows none).
struct TCaptureReading {
    double Rs = 0;
    double Xs = 0;
    std::optional<double> primary;
};

bool ReadsOpen(double Rs, double Xs);

class TCapture {
  public:
    explicit TCapture(TCaptureSettings settings = {});

    // One report; true when a row is to be logged for it.
    bool Feed(const TCaptureReading& reading);
    // Forget the part taken (the log was emptied or capture switched on).
    void Reset();

    // The value of the part taken last, while it is on the probes.
    std::optional<double> Taken() const { return taken_; }

  private:
    TCaptureSettings settings_;
    std::deque<double> recent_;
    std::optional<double> taken_;
};

}  // namespace logcore
