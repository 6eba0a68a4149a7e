// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>
#include <functional>

class TForm1;

// Grid rows the export writes (header row included): up to the log position,
// and on to the last row that holds a text.
int ExportedRows(int logPosition, int lastFilledRow, int gridRows);

// Button4: the log grid as a workbook in the exports folder beside 1.dat,
// opened with the desktop's spreadsheet program afterwards.
class ExportControl : public QObject {
    Q_OBJECT

  public:
    // Opens a written workbook; false when nothing could open it.
    using TOpener = std::function<bool(const QString& path)>;

    ExportControl(TForm1& form, QString exportFolder, TOpener opener, QObject* parent);

    // Returns the workbook's path, empty when none was written.
    QString ExportToExcel();
    void Button4Click() { ExportToExcel(); }

    const QString& Folder() const { return folder_; }

  private:
    QString NewFilePath() const;
    void ShowError(const QString& reason);

    TForm1& form_;
    QString folder_;
    TOpener opener_;
};
