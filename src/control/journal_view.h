// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <optional>

#include "log/journal.h"

class LogTableModel;
class TForm1;

// BJournal: any journal file shown in the log grid, read-only, so a log that
// a click emptied can be seen and exported again. The log itself goes on
// underneath: a new row, the clear button, a mode or language switch, or the
// button again bring it back.
class JournalView : public QObject {
    Q_OBJECT

  public:
    // Picks the journal to open; empty for none. By default a file dialog
    // that starts in `journalFolder`.
    using TChooser = std::function<QString(const QString& journalFolder)>;

    JournalView(TForm1& form, QString journalFolder, QObject* parent);

    void BJournalClick();
    // Shows `path`; false (with a note saying why) when it cannot be read.
    bool Open(const QString& path);
    void ShowLog();
    bool Showing() const;
    // The button's caption in the current language.
    void ApplyTexts();

    void SetChooser(TChooser chooser) { chooser_ = std::move(chooser); }

  private:
    QString Choose() const;
    // Reads the journal at `path` into `view`; false when it cannot be shown.
    // `problem` is the first thing found wrong, `leftOut` the rows whose
    // position the grid cannot hold.
    bool Fill(const QString& path, LogTableModel& view, long& leftOut,
              std::optional<logcore::TJournalProblem>& problem) const;

    TForm1& form_;
    QString folder_;
    LogTableModel* view_ = nullptr;  // owned by this
    QString shownNote_;              // says which journal is shown
    TChooser chooser_;
};
