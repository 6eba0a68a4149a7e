// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <functional>
#include <optional>

#include "sweep/sweep.h"

class QAction;
class QTimer;
class SweepWindow;
class TForm1;

// Runs a frequency sweep over the connected meter from the sweep window: sends
// each point's settings, feeds the shown RLC frames to the sweep, and puts
// the meter back when it ends. A sweep and a recording run exclude each
// other: SP1 is disabled during a sweep, and the sweep's start during a run.
class SweepControl : public QObject {
    Q_OBJECT

  public:
    static constexpr int kTickMs = 100;

    SweepControl(TForm1& form, QObject* parent);

    // Opens the window (the button and F8); F8 closes it again.
    void BSweepClick();
    void ApplyTexts();
    // Every accepted frame; `rlcShown` when it showed RLC readings.
    void FrameAccepted(bool rlcShown);
    // The meter's link went down.
    void LinkLost();

    bool Running() const { return sweep_.has_value(); }
    // Ends a running sweep: the meter is sent its settings from before.
    void Stop();
    // Null until the window is first opened.
    SweepWindow* Window() const { return window_; }
    QAction* Shortcut() const { return shortcut_; }
    // Tests answer the save dialog: given whether a plot is saved, the path
    // (empty: cancelled).
    void SetChooser(std::function<QString(bool plot)> chooser) { chooser_ = std::move(chooser); }

  private:
    void Start();
    void Tick();
    // Sends what the sweep wants sent, and ends it when it is done.
    void Pump();
    bool Send(const protocol::TMeterSettings& settings);
    void Finish();
    void ShowProgress();
    void UpdateStartAllowed();
    double Now() const;
    QString FrequencyLabel(int hz) const;
    void OfferChoices();
    void SavePoints();
    void SavePlot();
    QString Choose(bool plot);
    void Tell(const QString& line);

    TForm1& form_;
    SweepWindow* window_ = nullptr;
    QAction* shortcut_;
    QTimer* tick_;
    QElapsedTimer clock_;
    std::optional<sweep::TSweep> sweep_;
    std::size_t pointsShown_ = 0;
    int endText_ = 0;  // the status line when the sweep ends early
    std::function<QString(bool plot)> chooser_;
};
