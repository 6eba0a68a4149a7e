// SPDX-License-Identifier: GPL-3.0-or-later
#include "control/journal_view.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QPushButton>
#include <QSpinBox>

#include "app/log_grid.h"
#include "app/log_table.h"
#include "app/log_table_model.h"
#include "app/main.h"
#include "app/text_fit.h"
#include "control/action_notes.h"
#include "export/journal_grid.h"
#include "log/journal.h"
#include "log/journal_reader.h"

namespace {

QString Text(const TForm1& form, int item) {
    return QString::fromStdString(form.lexicons.Dnotes.GetItem(item));
}

}  // namespace

JournalView::JournalView(TForm1& form, QString journalFolder, QObject* parent)
    : QObject(parent), form_(form), folder_(std::move(journalFolder)) {
    connect(form_.BJournal, &QPushButton::clicked, this, &JournalView::BJournalClick);
    // The button takes no focus, as the others; its key is in its tooltip.
    auto* shortcut = new QAction(&form_);
    shortcut->setObjectName("ActionJournal");
    shortcut->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_J));
    shortcut->setShortcutContext(Qt::WindowShortcut);
    form_.addAction(shortcut);
    connect(shortcut, &QAction::triggered, this, [this] {
        if (form_.BJournal->isEnabled() && form_.BJournal->isVisible()) form_.BJournal->click();
    });
    form_.BJournal->setToolTip(shortcut->shortcut().toString(QKeySequence::NativeText));
    connect(form_.log, &LogTable::RowAppended, this, [this] { ShowLog(); });
    connect(form_.log, &LogTable::LogEmptied, this, [this] { ShowLog(); });
    ApplyTexts();
}

bool JournalView::Showing() const {
    return form_.SG->ShowsOther();
}

void JournalView::BJournalClick() {
    if (Showing()) {
        ShowLog();
        return;
    }
    const QString path = Choose();
    if (!path.isEmpty()) Open(path);
}

QString JournalView::Choose() const {
    if (chooser_) return chooser_(folder_);
    QDir().mkpath(folder_);
    QFileDialog dialog(&form_);
    dialog.setObjectName("JournalDialog");
    dialog.setDirectory(folder_);
    dialog.setNameFilter("*.csv");
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (dialog.exec() != QDialog::Accepted) return {};
    return dialog.selectedFiles().value(0);
}

bool JournalView::Open(const QString& path) {
    auto* view = new LogTableModel(this);
    view->SetLexicons(&form_.lexicons);
    long leftOut = 0;
    std::optional<logcore::TJournalProblem> problem;
    if (!Fill(path, *view, leftOut, problem)) {
        view->deleteLater();
        QString why = QDir::toNativeSeparators(path);
        if (problem)
            why += " (" +
                   QString::fromStdString(logcore::JournalProblemText(*problem, form_.lexicons)) +
                   ")";
        form_.notes->Say(Text(form_, i18n::notetext::JournalCannotOpen) + why);
        return false;
    }
    form_.SG->ShowOther(view);
    if (view_) view_->deleteLater();
    view_ = view;
    ApplyTexts();
    QString note = Text(form_, i18n::notetext::JournalShown) + QDir::toNativeSeparators(path);
    if (problem)
        note += " (" +
                QString::fromStdString(logcore::JournalProblemText(*problem, form_.lexicons)) + ")";
    if (leftOut > 0) note += Text(form_, i18n::notetext::RowsLeftOut) + QString::number(leftOut);
    form_.notes->Say(note);
    shownNote_ = note;
    return true;
}

bool JournalView::Fill(const QString& path, LogTableModel& view, long& leftOut,
                       std::optional<logcore::TJournalProblem>& problem) const {
    const logcore::TJournalProblem unreadable{0, logcore::TJournalProblem::TKind::CannotRead,
                                              QDir::toNativeSeparators(path).toStdString()};
    // Only a regular file: a FIFO would block the window.
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly)) {
        problem = unreadable;
        return false;
    }
    logcore::TJournalReader reader(logcore::FileSource(file.handle()));
    // The view holds what the grid can: positions up to the spinner's end.
    exporter::TJournalGridIndex index(form_.SE1->maximum());
    const bool journal = exporter::IndexJournal(reader, index, [&](const auto& p) {
        if (!problem) problem = p;  // the first one says enough
    });
    if (!journal || index.LastPosition() < 1) return false;
    leftOut = index.Skipped();

    const int rows = index.LastPosition() + 1;
    view.SetRowCount(rows);
    for (int r = 0; r < rows; ++r) {
        exporter::TExportRow row;
        if (r == 0) {
            row.cells = exporter::GridHeader(index.Multi(), form_.lexicons);
        } else if (!exporter::ReadGridRow(reader, index, r, row)) {
            problem = unreadable;  // changed while it was read
            return false;
        }
        LogTableModel::TRowTexts texts;
        for (std::size_t c = 0; c < texts.size(); ++c) texts[c] = std::move(row.cells[c]);
        view.WriteRow(r, texts);
        if (!row.measured) continue;
        view.SetRowMeasured(r, *row.measured);
        if (!texts[LogTableModel::kRejectColumn]->empty())
            view.SetRowVerdict(r, row.measured->verdict);
    }
    return true;
}

void JournalView::ShowLog() {
    if (!Showing()) {
        ApplyTexts();
        return;
    }
    form_.SG->ShowOther(nullptr);
    if (view_) view_->deleteLater();
    view_ = nullptr;
    form_.notes->Withdraw(shownNote_);
    shownNote_.clear();
    ApplyTexts();
}

void JournalView::ApplyTexts() {
    form_.BJournal->setText(
        Text(form_, Showing() ? i18n::notetext::LiveLogButton : i18n::notetext::JournalButton));
    // The two captions differ in length; the window fits every text when shown.
    if (form_.isVisible()) widgets::FitText(form_.BJournal);
}
