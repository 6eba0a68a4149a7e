// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QWidget>
#include <utility>
#include <vector>

#include "i18n/lexicon.h"
#include "sweep/sweep.h"

class QAbstractAxis;
class QChart;
class QChartView;
class QComboBox;
class QLabel;
class QLineSeries;
class QListWidget;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QTableWidget;

// What the user chose for the next sweep.
struct TSweepChoices {
    std::vector<int> frequencyIndices;  // ticked, in the list's (rising) order
    int readings = 3;
    int levelIndex = 1;
    bool series = true;
};

// The frequency sweep tool window: the choices, start and stop, the progress,
// the plots of |Z| and ESR, θ, and D or Q on a logarithmic frequency axis with
// every sweep of the session overlaid, and the table of the latest sweep. It
// only shows; its owner runs the sweep.
class SweepWindow : public QWidget {
    Q_OBJECT

  public:
    SweepWindow(QWidget* mainWindow, const i18n::TLexicons& lexicons);

    // Texts in the current language.
    void Retitle();
    // The model's frequencies (index, label) and levels; a frequency keeps
    // its tick while the list is the same.
    void SetChoices(const std::vector<std::pair<int, QString>>& frequencies,
                    const QStringList& levels, int levelIndex, bool series);
    TSweepChoices Choices() const;

    void SetRunning(bool running);
    // Start is offered only when a sweep can go; `why` says what is missing.
    void SetStartAllowed(bool allowed, const QString& why);
    void ShowStatus(const QString& text);
    void ShowProgress(int done, int total, const QString& text);

    // A new sweep's curves under `name`; its points follow as they settle.
    void BeginSweep(const QString& name);
    void ShowPoints(const std::vector<sweep::TSweepPoint>& points);
    // The latest sweep's points (what "Save points" writes).
    const std::vector<sweep::TSweepPoint>& LatestPoints() const;
    // The table's header texts, as the saved points are headed.
    QStringList TableHeader() const;

    // The plots as one picture, for saving.
    QWidget* Plots() const { return plots_; }
    QTableWidget* Table() const { return table_; }
    QChart* ImpedanceChart() const { return zChart_; }
    QChart* PhaseChart() const { return thetaChart_; }
    QChart* LossChart() const { return dqChart_; }
    QPushButton* StartButton() const { return start_; }
    QListWidget* FrequencyList() const { return frequencies_; }
    QSpinBox* ReadingsBox() const { return readings_; }
    QComboBox* LevelBox() const { return level_; }
    QComboBox* CircuitBox() const { return circuit_; }
    QProgressBar* Progress() const { return progress_; }
    QLabel* Status() const { return status_; }

  signals:
    void StartClicked();
    void StopClicked();
    void SavePointsClicked();
    void SavePlotClicked();

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    struct TCurves {
        QString name;
        QLineSeries* z = nullptr;
        QLineSeries* esr = nullptr;
        QLineSeries* theta = nullptr;
        QLineSeries* loss = nullptr;
        std::vector<sweep::TSweepPoint> points;
    };
    QChartView* MakeChart(QChart*& chart, QAbstractAxis*& x, QAbstractAxis*& y, bool logY);
    void Redraw(TCurves& curves);
    void RefillTable();
    // Saving and clearing need a sweep, and wait while one runs.
    void EnableSaving();
    void FitAxes();
    void ClearSweeps();
    bool ShowsQ() const;

    const i18n::TLexicons& lexicons_;
    bool running_ = false;
    bool startAllowed_ = false;
    QListWidget* frequencies_;
    QSpinBox* readings_;
    QComboBox* level_;
    QComboBox* circuit_;
    QComboBox* lossChoice_;
    QPushButton* start_;
    QPushButton* savePoints_;
    QPushButton* savePlot_;
    QPushButton* clear_;
    QProgressBar* progress_;
    QLabel* status_;
    QLabel* labels_[4];
    QWidget* plots_;
    QChart* zChart_ = nullptr;
    QChart* thetaChart_ = nullptr;
    QChart* dqChart_ = nullptr;
    QAbstractAxis* zX_ = nullptr;
    QAbstractAxis* zY_ = nullptr;
    QAbstractAxis* thetaX_ = nullptr;
    QAbstractAxis* thetaY_ = nullptr;
    QAbstractAxis* dqX_ = nullptr;
    QAbstractAxis* dqY_ = nullptr;
    QTableWidget* table_;
    std::vector<TCurves> sweeps_;
};
