// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

class TForm1;

// When a measurement becomes a log row and where it goes: the recording mode,
// start/stop, clearing, the report interval, the entry spinner and the space
// key. The rows themselves are written by the window's LogTable.
class RecordingControl : public QObject {
    Q_OBJECT

  public:
    enum TLogMode : int { SinglePart = 0, Multi = 1 };

    RecordingControl(TForm1& form, QObject* parent);

    void SP1Click();
    void B5Click();
    void CBox10Click();
    void CB1DropDown();
    // The interval list closed: without a choice nothing is sent, so nothing
    // would end the pause its opening started.
    void CB1CloseUp();
    void CB1Click();
    void SE2TopClick() { SE2ArrowClick(); }
    void SE2BottomClick() { SE2ArrowClick(); }
    void SE2Change();
    // The space key, wherever the keyboard focus is but a text box.
    void FormKeyDown(int key);
    void PrepareMultiLog();

    // The append rule, for an RLC frame that was shown and checked.
    void RlcFrameShown(bool appendLogRow);

    TLogMode Mode() const;
    bool Running() const;
    // Enables or disables SP1 for starting a run (connected, no hold, no profile
    // editing). A running SP1 stays enabled so the run can always be stopped; a
    // disable waits until the run ends.
    void AllowStart(bool allowed);
    // A frequency sweep and a run never overlap: SP1 stays disabled while a
    // sweep drives the meter.
    void SetSweepRunning(bool running);
    bool MultiLogPrepared() const { return multiLogPrepared_; }
    // The window closes.
    void FormClose() { multiLogPrepared_ = false; }

  private:
    void SE2ArrowClick();
    // Releases SP1 without its stop actions, as a mode change or B5 does.
    void ReleaseSP1();

    TForm1& form_;
    bool multiLogPrepared_ = false;
    bool disableWhenStopped_ = false;
    bool startAllowed_ = false;
    bool sweepRunning_ = false;
    // The mode the log was last laid out for: choosing it again changes nothing.
    TLogMode appliedMode_ = SinglePart;
};
