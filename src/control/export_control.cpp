// SPDX-License-Identifier: GPL-3.0-or-later
#include "control/export_control.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <algorithm>

#include "app/log_grid.h"
#include "app/log_table.h"
#include "app/log_table_model.h"
#include "app/main.h"
#include "control/action_notes.h"
#include "control/recording_control.h"
#include "export/xlsx_writer.h"

namespace {

constexpr int kStartCaption = 8;  // lexicon D1

}  // namespace

int ExportedRows(int logPosition, int lastFilledRow, int gridRows) {
    // A row re-recorded at a lower position leaves the log position below rows
    // that still hold measurements; those are exported too. A grid with only
    // its headers and no row logged yet exports nothing.
    const int filled = lastFilledRow >= 1 ? lastFilledRow + 1 : 0;
    return std::clamp(std::max(logPosition, filled), 0, gridRows);
}

ExportControl::ExportControl(TForm1& form, QString exportFolder, TOpener opener, QObject* parent)
    : QObject(parent), form_(form), folder_(std::move(exportFolder)), opener_(std::move(opener)) {
    connect(form_.Button4, &QPushButton::clicked, this, &ExportControl::Button4Click);
}

QString ExportControl::NewFilePath() const {
    const QString stem = QDateTime::currentDateTime().toString("yyyy-MM-dd_HH-mm-ss");
    QString path = folder_ + "/" + stem + ".xlsx";
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = folder_ + "/" + stem + "_" + QString::number(n) + ".xlsx";
    return path;
}

void ExportControl::ShowError(const QString& reason) {
    auto* box = new QMessageBox(
        QMessageBox::Critical,
        QString::fromStdString(form_.lexicons.Dprof.GetItem(i18n::proftext::ErrorTitle)), reason,
        QMessageBox::Ok, &form_);
    box->setObjectName("ExportError");
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

QString ExportControl::ExportToExcel() {
    form_.SP1->setChecked(false);
    form_.SP1->setText(QString::fromStdString(form_.lexicons.D1.GetItem(kStartCaption)));
    form_.Button4->setEnabled(false);

    if (form_.recording->Mode() == RecordingControl::Multi)
        form_.log->SetLogPosition(form_.state.ProfileCount + 1);
    // An opened journal is exported whole, as shown.
    const bool other = form_.SG->ShowsOther();
    const LogTableModel& cells = form_.SG->Shown();
    const int rows =
        other ? cells.RowCount()
              : ExportedRows(form_.log->LogPosition(), cells.LastFilledRow(), cells.RowCount());

    QString path;
    std::string error;
    bool ok = QDir().mkpath(folder_);
    if (!ok) error = "cannot create the folder " + folder_.toStdString();
    if (ok) {
        path = NewFilePath();
        const exporter::TSheetOptions options =
            exporter::SheetOptions(form_.lexicons, QLocale().decimalPoint().toStdString());
        ok = exporter::WriteWorkbook(
            path.toStdString(), options, rows,
            [&](int r, exporter::TExportRow& row) {
                for (int c = 0; c < exporter::kSheetColumns; ++c)
                    row.cells[static_cast<std::size_t>(c)] = cells.CellUtf8(r, c);
                if (const exporter::TMeasured* m = cells.RowMeasured(r)) row.measured = *m;
            },
            error);
    }
    const auto& dprof = form_.lexicons.Dprof;
    if (ok) {
        form_.notes->Say(QString::fromStdString(dprof.GetItem(i18n::proftext::Exported)) +
                         QDir::toNativeSeparators(path));
        if (opener_ && !opener_(path))
            form_.notes->Say(
                QString::fromStdString(form_.lexicons.Dnotes.GetItem(i18n::notetext::NoProgram)) +
                QDir::toNativeSeparators(path));
    } else {
        const QString reason =
            QString::fromStdString(dprof.GetItem(i18n::proftext::CannotExport) + error);
        form_.notes->Say(reason);
        ShowError(reason);
        path.clear();
    }
    form_.Button4->setEnabled(true);
    return path;
}
