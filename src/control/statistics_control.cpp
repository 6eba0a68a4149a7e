// SPDX-License-Identifier: GPL-3.0-or-later
#include "control/statistics_control.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <algorithm>

#include "app/main.h"
#include "control/reference_editor.h"
#include "control/statistics_window.h"
#include "log/axis_ticks.h"

StatisticsControl::StatisticsControl(TForm1& form, QObject* parent)
    : QObject(parent), form_(form), shortcut_(new QAction(&form)), refresh_(new QTimer(this)) {
    shortcut_->setObjectName("ActionStatistics");
    shortcut_->setShortcut(QKeySequence(Qt::Key_F7));
    shortcut_->setShortcutContext(Qt::WindowShortcut);
    form_.addAction(shortcut_);
    // F7 opens the window and closes it again.
    connect(shortcut_, &QAction::triggered, this, [this] {
        if (window_ && window_->isVisible())
            window_->close();
        else
            BStatClick();
    });
    connect(form_.BStat, &QPushButton::clicked, this, [this] { BStatClick(); });
    form_.BStat->setToolTip(shortcut_->shortcut().toString(QKeySequence::NativeText));
    ApplyTexts();
    // The plots tell the editor's tolerance state and the parameters' units.
    for (QComboBox* box : {form_.CBox5, form_.CBox2, form_.CBox11})
        connect(box, &QComboBox::currentTextChanged, this, [this] { ScheduleRefresh(); });
    connect(form_.E2, &QLineEdit::textChanged, this, [this] { ScheduleRefresh(); });
    refresh_->setObjectName("TStat");
    refresh_->setSingleShot(true);
    refresh_->setInterval(kRefreshMs);
    connect(refresh_, &QTimer::timeout, this, [this] { Refresh(); });
}

void StatisticsControl::BStatClick() {
    if (!window_) {
        window_ = new StatisticsWindow(&form_, form_.lexicons, data_);
        // Over the lower right of the main window, leaving its read-outs in view.
        const QRect main = form_.frameGeometry();
        window_->move(std::max(main.left(), main.right() - window_->width() - 12),
                      main.top() + std::max(0, main.height() - window_->height() - 12));
        rebuildTable_ = true;
        dirty_ = true;
    }
    window_->Retitle();
    if (!window_->isVisible()) {
        window_->show();
        dirty_ = true;
    }
    Refresh();
}

void StatisticsControl::RowAppended(const logcore::TJournalRow& row) {
    const protocol::TMeterSettings& settings = form_.screen.Settings();
    const logcore::TShownBands bands = logcore::BandsForShown(form_.reference->Input(), settings);
    logcore::TStatRow stat = logcore::StatRowFromJournal(row, bands.primary, bands.secondary);
    stat.primaryParameter = settings.PrimIndex();
    stat.secondaryParameter = settings.SecIndex();
    data_.figures.Add(stat);
    // Each trend marks the rows its own side failed, and invalid input.
    using namespace protocol::verdict;
    const bool invalid = stat.verdict != Pass && stat.verdict != PrimaryOut &&
                         stat.verdict != SecondaryOut && stat.verdict != BothOut;
    data_.primaryTrend.Add(stat.primary, invalid || logcore::MarksPrimaryDeviation(stat.verdict));
    data_.secondaryTrend.Add(stat.secondary,
                             invalid || logcore::MarksSecondaryDeviation(stat.verdict));
    data_.histogram.Add(stat.primary, stat.primaryBand);
    data_.primaryBand = stat.primaryBand;
    data_.secondaryBand = stat.secondaryBand;
    if (stat.mode == logcore::TLogMode::Multi) {
        if (!dirtyEntries_.contains(stat.entry) &&
            data_.figures.Entries().at(stat.entry).figures.Count() == 1)
            rebuildTable_ = true;  // a new column
        dirtyEntries_.insert(stat.entry);
    }
    ScheduleRefresh();
}

void StatisticsControl::ApplyTexts() {
    form_.BStat->setText(QString::fromStdString(form_.lexicons.Dstat.GetItem(i18n::stat::Title)));
    if (window_) window_->Retitle();
}

void StatisticsControl::LogEmptied() {
    // A language change empties the log too: take up its texts.
    ApplyTexts();
    rebuildTable_ = true;
    if (data_.figures.All().Count() == 0 && data_.primaryTrend.Rows() == 0) {
        ScheduleRefresh();
        return;
    }
    data_.figures.Clear();
    data_.primaryTrend.Clear();
    data_.secondaryTrend.Clear();
    data_.histogram.Clear();
    data_.primaryBand.reset();
    data_.secondaryBand.reset();
    dirtyEntries_.clear();
    ScheduleRefresh();
}

void StatisticsControl::ScheduleRefresh() {
    dirty_ = true;
    if (window_ && window_->isVisible() && !refresh_->isActive()) refresh_->start();
}

void StatisticsControl::Refresh() {
    refresh_->stop();
    if (!window_ || !window_->isVisible() || !dirty_) return;
    const protocol::TMeterSettings& settings = form_.screen.Settings();
    StatisticsWindow::TPlotContext context;
    context.primaryUnit = logcore::ParameterUnit(settings.PrimIndex(), true, form_.lexicons);
    context.secondaryUnit = logcore::ParameterUnit(settings.SecIndex(), false, form_.lexicons);
    context.primaryPercentTolerance = logcore::PrimaryBand(form_.reference->Input()).has_value();
    window_->Refresh(rebuildTable_, dirtyEntries_, context);
    dirty_ = false;
    rebuildTable_ = false;
    dirtyEntries_.clear();
}
