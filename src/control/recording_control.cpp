// SPDX-License-Identifier: GPL-3.0-or-later
#include "control/recording_control.h"

#include <QComboBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>

#include "app/log_grid.h"
#include "app/log_table.h"
#include "app/log_table_model.h"
#include "app/main.h"
#include "app/step_spin_box.h"
#include "connection/command_sender.h"
#include "connection/connection_manager.h"
#include "control/picker_control.h"

namespace {

// Lexicon D1 items of the start/stop caption.
constexpr int kStopCaption = 2;
constexpr int kStartCaption = 8;

// Report interval item -> the record's Rate code.
constexpr std::uint8_t kRateOfItem[] = {3, 2, 1};

}  // namespace

RecordingControl::RecordingControl(TForm1& form, QObject* parent) : QObject(parent), form_(form) {
    // `clicked` and `activated` come from the user only; the frame path moves
    // these controls without running their handlers.
    connect(form_.SP1, &QPushButton::clicked, this, &RecordingControl::SP1Click);
    // However a run ends (SP1, B5, a mode change, the export), a disable that
    // waited for it now applies.
    connect(form_.SP1, &QPushButton::toggled, this, [this](bool down) {
        if (down || !disableWhenStopped_) return;
        disableWhenStopped_ = false;
        form_.SP1->setEnabled(false);
    });
    connect(form_.B5, &QPushButton::clicked, this, &RecordingControl::B5Click);
    connect(form_.CBox10, &QComboBox::activated, this, &RecordingControl::CBox10Click);
    connect(form_.CB1, &QComboBox::activated, this, &RecordingControl::CB1Click);
    connect(form_.SE2, &StepSpinBox::Stepped, this,
            [this](int steps) { steps > 0 ? SE2TopClick() : SE2BottomClick(); });
    connect(form_.SE2, &QSpinBox::valueChanged, this, &RecordingControl::SE2Change);
    connect(form_.CB1, &DropDownCombo::DroppingDown, this, &RecordingControl::CB1DropDown);
    connect(form_.CB1, &DropDownCombo::ClosedUp, this, &RecordingControl::CB1CloseUp);
}

RecordingControl::TLogMode RecordingControl::Mode() const {
    return form_.CBox10->currentIndex() == Multi ? Multi : SinglePart;
}

bool RecordingControl::Running() const {
    return form_.SP1->isChecked();
}

void RecordingControl::SP1Click() {
    const auto& d1 = form_.lexicons.D1;
    if (form_.SP1->isChecked()) {
        if (Mode() == Multi) PrepareMultiLog();
        form_.SP1->setText(QString::fromStdString(d1.GetItem(kStopCaption)));
        form_.SG->SetLocked(true);
        form_.SP3->setEnabled(false);
    } else {
        form_.SP1->setText(QString::fromStdString(d1.GetItem(kStartCaption)));
        form_.SG->SetLocked(false);
        form_.SP3->setEnabled(true);
    }
}

void RecordingControl::AllowStart(bool allowed) {
    startAllowed_ = allowed;
    disableWhenStopped_ = !allowed && Running();
    form_.SP1->setEnabled((allowed && !sweepRunning_) || Running());
}

void RecordingControl::SetSweepRunning(bool running) {
    sweepRunning_ = running;
    form_.SP1->setEnabled((startAllowed_ && !running) || Running());
}

void RecordingControl::ReleaseSP1() {
    form_.SP1->setChecked(false);
    form_.SP1->setText(QString::fromStdString(form_.lexicons.D1.GetItem(kStartCaption)));
}

void RecordingControl::B5Click() {
    ReleaseSP1();
    form_.log->ResetLogTable(16);
}

void RecordingControl::CBox10Click() {
    // Choosing the mode in use again (a click, Return in the open list) must
    // not empty the log.
    if (Mode() == appliedMode_) return;
    appliedMode_ = Mode();
    ReleaseSP1();
    form_.SG->SetLocked(false);
    if (Mode() == Multi) {
        form_.B5->setEnabled(false);
        multiLogPrepared_ = false;
        form_.profiles.ShowProfileInGrid(0);
        form_.log->SelectGridCell(form_.SE2->value(), 1);
    } else {
        form_.B5->setEnabled(true);
        form_.log->SetLogHeaders();
        form_.log->SelectGridCell(1, 0);
    }
}

void RecordingControl::CB1DropDown() {
    form_.state.DecodePaused = 1;
}

void RecordingControl::CB1CloseUp() {
    // A command just sent ends the pause itself; an open picker keeps it.
    if (form_.Timer_TX->isActive() || (form_.pickers && form_.pickers->AnyOpen())) return;
    form_.state.DecodePaused = 0;
}

void RecordingControl::CB1Click() {
    form_.state.DecodePaused = 1;
    const int item = form_.CB1->currentIndex();
    if (item < 0 || item > 2) return;
    form_.screen.Settings().Rate() = kRateOfItem[item];
    form_.connection->Commands().BuildSettingsCommand();
}

void RecordingControl::SE2ArrowClick() {
    const int n = form_.SE2->value();
    if (n > form_.profiles.ProfileCount()) return;  // the free slot: the editor keeps its contents
    form_.profiles.LoadProfileEntry(n);
    if (Mode() == Multi && !Running()) form_.log->SelectGridCell(n, 1);
}

void RecordingControl::SE2Change() {
    form_.BB2->setEnabled(form_.SE2->value() <= form_.profiles.ProfileCount());
}

void RecordingControl::FormKeyDown(int key) {
    if (key != Qt::Key_Space) return;
    if (form_.state.DecodePaused == 1 || form_.SB4->isChecked() || Running() ||
        !form_.state.MeterConnected || form_.screen.State().PowerSave)
        return;
    if (Mode() == Multi) PrepareMultiLog();
    form_.log->AppendLogRow();
}

void RecordingControl::PrepareMultiLog() {
    if (multiLogPrepared_) return;
    LogTableModel& cells = form_.SG->Cells();
    for (int c = 2; c < LogTableModel::kColumns; ++c)
        cells.SetCell(0, c, QString::fromStdString(form_.lexicons.D2.GetItem(c + 1)));
    for (QPushButton* b : {form_.Button_Add, form_.Button_DEL, form_.BB1}) b->setEnabled(false);
    const int count = form_.profiles.ProfileCount();
    form_.log->ResetLogTable(count + 1);
    if (form_.profiles.ReopenProfile()) {
        form_.SB3->setEnabled(true);
        form_.SB4->setEnabled(true);
    }
    for (int i = 1; i <= count; ++i) {
        cells.SetCell(i, 0, QString::number(i));
        cells.SetCell(i, 1, form_.CBox6->itemText(i - 1));
    }
    multiLogPrepared_ = true;
}

void RecordingControl::RlcFrameShown(bool appendLogRow) {
    if (appendLogRow) form_.log->AppendLogRow();
}
