// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>
#include <optional>
#include <set>
#include <string>

#include "i18n/lexicon.h"
#include "log/axis_ticks.h"
#include "log/stat_plot.h"
#include "log/statistics.h"

class QCategoryAxis;
class QChart;
class QChartView;
class QLineSeries;
class QScatterSeries;
class QTableWidget;
struct TLogStatistics;

// The statistics tool window: trend plots of the primary and the secondary
// value with their reference and tolerance band, a histogram of the primary
// deviation with the band marked, and the figures table (all rows, then one
// column per profile entry in multi mode). It shows without taking the focus
// and only reads the figures its owner keeps.
class StatisticsWindow : public QWidget {
    Q_OBJECT

  public:
    StatisticsWindow(QWidget* mainWindow, const i18n::TLexicons& lexicons,
                     const TLogStatistics& data);

    // What the plots take from the window's current state rather than from
    // the rows: the units of the shown parameters, and whether the reference
    // editor has a percentage tolerance for the primary value.
    struct TPlotContext {
        std::string primaryUnit;
        std::string secondaryUnit;
        bool primaryPercentTolerance = false;
    };

    // Window and plot titles in the current language.
    void Retitle();
    // Redraws the plots and the table's "all" column and the columns of
    // `entries`; `rebuildTable` redoes every column (entries came or went).
    void Refresh(bool rebuildTable, const std::set<long>& entries, const TPlotContext& context);

    QTableWidget* Table() const { return table_; }
    // The figures table's value for a line label in a column (0 is all rows).
    QString Figure(const QString& label, int column = 0) const;

    struct TTrendPlot {
        QChartView* view = nullptr;
        QChart* chart = nullptr;
        QLineSeries* values = nullptr;
        QScatterSeries* rejects = nullptr;
        QLineSeries* reference = nullptr;
        QLineSeries* lower = nullptr;
        QLineSeries* upper = nullptr;
        // Labelled at round ticks (category boundaries are the grid lines).
        QCategoryAxis* x = nullptr;
        QCategoryAxis* y = nullptr;
        // Values are plotted divided by this (the power of ten of the y
        // labels' prefix).
        double scale = 1;
    };
    const TTrendPlot& PrimaryPlot() const { return primary_; }
    const TTrendPlot& SecondaryPlot() const { return secondary_; }
    QLineSeries* HistogramSeries() const { return histogram_; }
    QCategoryAxis* HistogramX() const { return histogramX_; }
    QCategoryAxis* HistogramY() const { return histogramY_; }
    QChart* HistogramChart() const { return histogramChart_; }

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    TTrendPlot MakeTrend(const char* name);
    void BuildHistogram();
    void FillColumn(int column, const logcore::TFigures& figures);
    void RefreshTable(bool rebuild, const std::set<long>& entries);
    void RefreshHistogram(const TPlotContext& context);
    void DrawTrend(TTrendPlot& p, const logcore::TTrendThinning& trend,
                   const std::optional<logcore::TToleranceBand>& band, const QString& title,
                   const std::string& unit);

    const i18n::TLexicons& lexicons_;
    const TLogStatistics& data_;
    TTrendPlot primary_;
    TTrendPlot secondary_;
    QChartView* histogramView_ = nullptr;
    QChart* histogramChart_ = nullptr;
    QLineSeries* histogram_ = nullptr;
    QLineSeries* bandLow_ = nullptr;
    QLineSeries* bandHigh_ = nullptr;
    QCategoryAxis* histogramX_ = nullptr;
    QCategoryAxis* histogramY_ = nullptr;
    QTableWidget* table_ = nullptr;
};
