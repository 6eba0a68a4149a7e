// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <optional>
#include <set>

#include "log/journal.h"
#include "log/stat_plot.h"
#include "log/statistics.h"

class QAction;
class QTimer;
class TForm1;
class StatisticsWindow;

// What the statistics window shows, kept row by row whether it is open or not.
struct TLogStatistics {
    logcore::TStatistics figures;
    logcore::TTrendThinning primaryTrend;
    logcore::TTrendThinning secondaryTrend;
    logcore::TDeviationHistogram histogram;
    // Bands of the latest row, drawn over the plots.
    std::optional<logcore::TToleranceBand> primaryBand;
    std::optional<logcore::TToleranceBand> secondaryBand;
};

// The statistics of the log: follows every appended row and every emptying of
// the log, and opens the statistics window from the recording area's button or
// its shortcut. The window is redrawn at most every kRefreshMs, so a burst of
// rows costs one redraw.
class StatisticsControl : public QObject {
    Q_OBJECT

  public:
    static constexpr int kRefreshMs = 100;

    StatisticsControl(TForm1& form, QObject* parent);

    // Shows the window without taking the focus from the main window.
    void BStatClick();
    void RowAppended(const logcore::TJournalRow& row);
    void LogEmptied();
    // Button and window texts in the current language.
    void ApplyTexts();
    // Redraws the window now if anything changed (the refresh timer's tick).
    void Refresh();

    const TLogStatistics& Data() const { return data_; }
    // Null until the window is first opened.
    StatisticsWindow* Window() const { return window_; }
    QAction* Shortcut() const { return shortcut_; }

  private:
    void ScheduleRefresh();

    TForm1& form_;
    TLogStatistics data_;
    StatisticsWindow* window_ = nullptr;
    QAction* shortcut_;
    QTimer* refresh_;
    bool dirty_ = false;
    bool rebuildTable_ = true;
    std::set<long> dirtyEntries_;
};
