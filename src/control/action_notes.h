// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>

class TForm1;

// Lines that report on the user's own actions: a written workbook, a journal,
// profile or settings file that failed, an opened journal. They go to the
// connection log as before, and to the note line under the grid, which stays
// in view while the connection log is hidden.
class ActionNotes : public QObject {
    Q_OBJECT

  public:
    ActionNotes(TForm1& form, QObject* parent);

    void Say(const QString& line);
    // Takes `line` off the note line if it still shows there (it no longer
    // holds); the connection log keeps it.
    void Withdraw(const QString& line);

  private:
    TForm1& form_;
};
