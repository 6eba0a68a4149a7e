#pragma once

#include <QWidget>
#include <set>

#include "i18n/lexicon.h"
#include "log/statistics.h"

class QCategoryAxis;
class QChart;
class QChartView;
class QLineSeries;
class QScatterSeries;
class QTableWidget;
class QValueAxis;
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

    // Window and plot titles in the current language.
    void Retitle();
    // Redraws the plots and the table's "all" column and the columns of
    // `entries`; `rebuildTable` redoes every column (entries came or went).
    void Refresh(bool rebuildTable, const std::set<long>& entries);

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
        QValueAxis* x = nullptr;
        QValueAxis* y = nullptr;
    };
    const TTrendPlot& PrimaryPlot() const { return primary_; }
    const TTrendPlot& SecondaryPlot() const { return secondary_; }
    QLineSeries* HistogramSeries() const { return histogram_; }

  private:
    TTrendPlot MakeTrend(const char* name);
    void BuildHistogram();
    void FillColumn(int column, const logcore::TFigures& figures);
    void RefreshTable(bool rebuild, const std::set<long>& entries);
    void RefreshHistogram();

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
    double histogramScale_ = 0;
    QValueAxis* histogramY_ = nullptr;
    QTableWidget* table_ = nullptr;
};
