// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/log_table.h"

#include <QComboBox>
#include <QLabel>
#include <QLocale>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QSpinBox>

#include "app/log_grid.h"
#include "app/log_table_model.h"
#include "app/main.h"
#include "app/step_spin_box.h"
#include "control/action_notes.h"
#include "control/recording_control.h"
#include "control/reference_editor.h"
#include "export/si_sheet.h"
#include "log/journal.h"
#include "log/local_time.h"
#include "log/log_row.h"

namespace {

constexpr int kSinglePartRows = 16;
// Lexicon D2 items 1..10 head columns 0..9.
constexpr int kFirstHeaderItem = 1;

// The locale's time separator, read off its short time format ("HH:mm" -> ":").
std::string TimeSeparator() {
    const QString format = QLocale().timeFormat(QLocale::ShortFormat);
    const qsizetype hours = format.indexOf(QRegularExpression("[hH]"));
    if (hours >= 0) {
        for (qsizetype i = hours; i < format.size(); ++i) {
            const QChar c = format.at(i);
            if (c != 'h' && c != 'H') return QString(c).toStdString();
        }
    }
    return ":";
}

std::string Utf8(const QLabel* label) {
    return label->text().toStdString();
}

}  // namespace

struct LogTable::TJournalState {
    explicit TJournalState(const QString& folder) : writer(folder.toStdString()) {}
    logcore::TJournalWriter writer;
};

LogTable::LogTable(TForm1& form, const QString& journalFolder, QObject* parent)
    : QObject(parent),
      form_(form),
      decimalSeparator_(QString(QLocale().decimalPoint()).toStdString()),
      timeSeparator_(TimeSeparator()),
      journal_(std::make_unique<TJournalState>(journalFolder)) {
    form_.SG->Cells().SetLexicons(&form_.lexicons);
    form_.SG->SelectionAllowed = [this] { return SGSelectCell(); };
    form_.SG->MouseUp = [this](int row, int column) { SGMouseUp(row, column); };
}

LogTable::~LogTable() = default;

QString LogTable::JournalPath() const {
    return QString::fromStdString(journal_->writer.CurrentFile().string());
}

void LogTable::ResetLogTable(int rows) {
    form_.SE1->setValue(1);
    LogTableModel& cells = form_.SG->Cells();
    cells.SetRowCount(rows);
    cells.ClearRows(1, rows);
    journal_->writer.StartNewLog();
    emit LogEmptied();
}

void LogTable::SetLogHeaders() {
    ResetLogTable(kSinglePartRows);
    LogTableModel& cells = form_.SG->Cells();
    for (int c = 0; c < LogTableModel::kColumns; ++c)
        cells.SetCell(0, c,
                      QString::fromStdString(form_.lexicons.D2.GetItem(kFirstHeaderItem + c)));
}

void LogTable::AppendLogRow() {
    const bool multi = form_.recording->Mode() == RecordingControl::Multi;
    int position = 0;
    if (multi) {
        bool ok = false;
        position = form_.SE2->cleanText().toInt(&ok);
        if (!ok || position < 1) return;
    } else {
        position = form_.SE1->value();
    }

    LogTableModel& cells = form_.SG->Cells();
    // The row must exist to be seen; only rows past the second move the cursor.
    if (position + 1 >= cells.RowCount()) cells.SetRowCount(position + 1);
    if (position > 2) form_.SG->MoveCursor(position, form_.SG->Col());

    const logcore::TLocalTime now = logcore::LocalTimeNow();
    logcore::TLogRowInput in;
    in.shown = {Utf8(form_.L_Prim_RLC), Utf8(form_.L_prim_n), Utf8(form_.L_Sec_RLC),
                Utf8(form_.L_sec_n)};
    in.settings = form_.screen.Settings();
    in.memory = form_.screen.Memory();
    in.verdict = form_.screen.State().ToleranceVerdict;
    in.primaryDeviation = form_.reference->PrimaryDeviation();
    in.secondaryDeviation = form_.reference->SecondaryDeviation();
    in.primaryOn = form_.reference->PrimaryOn();
    in.secondaryOn = form_.reference->SecondaryOn();
    in.mode = multi ? logcore::TLogMode::Multi : logcore::TLogMode::Single;
    in.position = position;
    in.timeText = logcore::LogTimeText(now, timeSeparator_);
    in.decimalSeparator = decimalSeparator_;
    const logcore::TLogRowCells row = logcore::BuildLogRowCells(in, form_.lexicons);
    cells.WriteRow(position, row.cells);
    if (row.cells[LogTableModel::kRejectColumn]) cells.SetRowVerdict(position, in.verdict);

    logPosition_ = position + 1;
    if (!multi) form_.SE1->setValue(position + 1);
    Journal(position, in.mode, now);
}

void LogTable::Journal(int position, logcore::TLogMode mode, const logcore::TLocalTime& time) {
    const LogTableModel& cells = form_.SG->Cells();
    std::array<std::string, LogTableModel::kColumns> shown;
    for (int c = 0; c < LogTableModel::kColumns; ++c)
        shown[static_cast<std::size_t>(c)] = cells.CellUtf8(position, c);
    // In multi mode column 1 holds the entry's name.
    std::string name = mode == logcore::TLogMode::Multi ? shown[1] : std::string();
    const logcore::TJournalRow row =
        logcore::MakeJournalRow(time, mode, position, std::move(name), std::move(shown),
                                form_.screen.State(), form_.screen.Settings());
    form_.SG->Cells().SetRowMeasured(position, exporter::MeasuredFromJournal(row));
    if (const auto failure = journal_->writer.Append(row))
        form_.notes->Say(
            QString::fromStdString(logcore::JournalFailureText(*failure, form_.lexicons)));
    emit RowAppended(row);
}

void LogTable::SelectGridCell(int row, int column) {
    form_.SG->setFocus();
    form_.SG->MoveCursor(row, column);
}

void LogTable::SGMouseUp(int row, int column) {
    if (form_.recording->Mode() != RecordingControl::Multi) return;
    if (row < 1 || row > form_.profiles.ProfileCount() || column < 0 || column > 3) return;
    form_.profiles.LoadProfileEntry(row);
    form_.CBox6->setCurrentIndex(row - 1);
    form_.SE2->setValue(row);
}

bool LogTable::SGSelectCell() const {
    return form_.recording->Mode() == RecordingControl::Multi || form_.recording->Running();
}
