// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

class QEvent;
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
    void CB1Click();
    void SE2TopClick() { SE2ArrowClick(); }
    void SE2BottomClick() { SE2ArrowClick(); }
    void SE2Change();
    // The window sees every key first; the key goes on to its control.
    void FormKeyDown(int key);
    void PrepareMultiLog();

    // The append rule, for an RLC frame that was shown and checked.
    void RlcFrameShown(bool appendLogRow);

    TLogMode Mode() const;
    bool Running() const;
    bool MultiLogPrepared() const { return multiLogPrepared_; }
    // The window closes.
    void FormClose() { multiLogPrepared_ = false; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void SE2ArrowClick();
    // Releases SP1 without its stop actions, as a mode change or B5 does.
    void ReleaseSP1();

    TForm1& form_;
    bool multiLogPrepared_ = false;
};
