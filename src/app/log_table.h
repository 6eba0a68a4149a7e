// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>
#include <memory>
#include <string>

#include "log/journal.h"
#include "log/local_time.h"
#include "log/log_row.h"

class TForm1;

// The log grid's operations: its two layouts, the row append, the cursor, and
// the mouse and selection rules. Every appended row also goes to a journal
// file at once, one file per log (from one emptying of the grid to the next).
class LogTable : public QObject {
    Q_OBJECT

  public:
    LogTable(TForm1& form, const QString& journalFolder, QObject* parent);
    ~LogTable() override;

    void ResetLogTable(int rows);
    void SetLogHeaders();
    void AppendLogRow();
    void SelectGridCell(int row, int column);
    void SGMouseUp(int row, int column);
    // Whether the user may move the grid's cursor now.
    bool SGSelectCell() const;

    // Position after the last written row; the export reads it.
    int LogPosition() const { return logPosition_; }
    // The multi-mode export counts the whole profile as logged.
    void SetLogPosition(int position) { logPosition_ = position; }
    // Journal file of the current log; empty until its first row.
    QString JournalPath() const;

  signals:
    // A row was appended; `row` is what went to the journal.
    void RowAppended(const logcore::TJournalRow& row);
    // The log was emptied: the rows so far are gone from the grid.
    void LogEmptied();

  private:
    void Journal(int position, logcore::TLogMode mode, const logcore::TLocalTime& time);

    TForm1& form_;
    // The locale's separators, taken once like the display's.
    std::string decimalSeparator_;
    std::string timeSeparator_;
    int logPosition_ = 0;
    struct TJournalState;
    std::unique_ptr<TJournalState> journal_;
};
