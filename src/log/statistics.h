// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "log/journal.h"
#include "log/log_row.h"
#include "log/tolerance.h"
#include "protocol/settings.h"

// Running figures of a log: how many rows passed and why the others did not,
// and how the primary and secondary values spread against their tolerance
// band. Every figure is kept up to date row by row at a cost that does not
// depend on how many rows came before (Welford's method for mean and spread).
//
// Definitions:
//   rejected   rows with verdict 1, 2 or 3 (primary, secondary or both out)
//   invalid    rows with verdict 20, and any other unknown code, counted
//              apart from the rejected ones
//   yield      passed / all rows x 100; not defined for an empty log
//   sigma      sample standard deviation (n - 1); not defined below two values
//   Cp, Cpk    (upper - lower) / 6 sigma and min(upper - mean, mean - lower) /
//              3 sigma against the band of the latest row, and only while that
//              row was sorted against a percentage tolerance. Not defined when
//              sigma is 0 or not defined: a constant reading has no spread to
//              compare with the band, so both show as "not defined" (the
//              lexicon's dash, null in JSON) instead of an infinity.
namespace logcore {

// One logged row as the figures see it.
struct TStatRow {
    TLogMode mode = TLogMode::Single;
    long entry = 0;    // the profile entry in multi mode
    std::string name;  // its name
    std::int32_t verdict = protocol::verdict::Pass;
    std::optional<double> primary;  // SI units, as shown
    std::optional<double> secondary;
    // Codes of the shown parameters in the settings record (primary 1 R,
    // 2 C, 3 L, 4 Z; secondary 1 R, 2 Q, 3 D), 0 when not known.
    int primaryParameter = 0;
    int secondaryParameter = 0;
    // The band each value was sorted against, when it was a percentage band of
    // the very quantity shown.
    std::optional<TToleranceBand> primaryBand;
    std::optional<TToleranceBand> secondaryBand;
};

// The bands of the reference editor that apply to a frame's shown values: a
// band counts only when its parameter is the one the meter shows.
struct TShownBands {
    std::optional<TToleranceBand> primary;
    std::optional<TToleranceBand> secondary;
};
TShownBands BandsForShown(const TReferenceInput& input, const protocol::TMeterSettings& settings);

// The settings record's code of a parameter chosen in the reference editor
// (CBox2 or CBox11 item), 0 for an unknown item.
int RecordParameter(int editorItem, bool primary);

// A journal line as the figures see it, with the bands given for all rows
// (the journal does not record the editor's state).
TStatRow StatRowFromJournal(const TJournalRow& row, const std::optional<TToleranceBand>& primary,
                            const std::optional<TToleranceBand>& secondary);

// Mean, spread and range of a stream of values; non-finite values are ignored.
class TRunningValue {
  public:
    void Add(double x);
    long Count() const { return count_; }
    std::optional<double> Mean() const;
    std::optional<double> StdDev() const;
    std::optional<double> Min() const;
    std::optional<double> Max() const;

  private:
    long count_ = 0;
    double mean_ = 0;
    double m2_ = 0;
    double min_ = 0;
    double max_ = 0;
};

struct TVerdictCounts {
    long count = 0;
    long passed = 0;
    long primaryOut = 0;
    long secondaryOut = 0;
    long bothOut = 0;
    long invalid = 0;

    long Rejected() const { return primaryOut + secondaryOut + bothOut; }
    std::optional<double> YieldPercent() const;
    friend bool operator==(const TVerdictCounts&, const TVerdictCounts&) = default;
};

struct TValueFigures {
    long count = 0;
    std::optional<double> mean;
    std::optional<double> stdDev;
    std::optional<double> min;
    std::optional<double> max;
    std::optional<TToleranceBand> band;  // of the latest row
    std::optional<double> cp;
    std::optional<double> cpk;
    // The parameter of the values, for their unit: 0 when not known or when
    // the rows showed different ones.
    int parameter = 0;
};

struct TFigures {
    TVerdictCounts counts;
    TValueFigures primary;
    TValueFigures secondary;
};

// Cp and Cpk of values with this mean and spread against a band.
std::optional<double> ProcessCp(const TToleranceBand& band, std::optional<double> stdDev);
std::optional<double> ProcessCpk(const TToleranceBand& band, std::optional<double> mean,
                                 std::optional<double> stdDev);

// Figures of one group of rows.
class TFigureAccumulator {
  public:
    void Add(const TStatRow& row);
    TFigures Figures() const;
    long Count() const { return counts_.count; }

  private:
    TVerdictCounts counts_;
    TRunningValue primary_;
    TRunningValue secondary_;
    // -1 until a value came.
    int primaryParameter_ = -1;
    int secondaryParameter_ = -1;
    std::optional<TToleranceBand> primaryBand_;
    std::optional<TToleranceBand> secondaryBand_;
};

// Figures of a whole log and, for rows written in multi mode, of each entry.
class TStatistics {
  public:
    struct TEntry {
        std::string name;
        TFigureAccumulator figures;
    };

    void Add(const TStatRow& row);
    void Clear();
    const TFigureAccumulator& All() const { return all_; }
    const std::map<long, TEntry>& Entries() const { return entries_; }

  private:
    TFigureAccumulator all_;
    std::map<long, TEntry> entries_;
};

}  // namespace logcore
