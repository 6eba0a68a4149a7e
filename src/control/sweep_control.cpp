// SPDX-License-Identifier: GPL-3.0-or-later
#include "control/sweep_control.h"

#include <QAction>
#include <QComboBox>
#include <QFileDialog>
#include <QLocale>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QSvgGenerator>
#include <QTime>
#include <QTimer>
#include <algorithm>
#include <string>
#include <vector>

#include "app/main.h"
#include "app/program_state.h"
#include "connection/command_sender.h"
#include "connection/connection_manager.h"
#include "control/action_notes.h"
#include "control/recording_control.h"
#include "control/sweep_window.h"
#include "display/indicators.h"
#include "export/xlsx_writer.h"
#include "files/whole_file.h"
#include "sweep/sweep_format.h"

namespace {

using namespace i18n::sweeptext;

bool IsPlotSvg(const QString& path) {
    return path.endsWith(".svg", Qt::CaseInsensitive);
}

}  // namespace

SweepControl::SweepControl(TForm1& form, QObject* parent)
    : QObject(parent), form_(form), shortcut_(new QAction(&form)), tick_(new QTimer(this)) {
    shortcut_->setObjectName("ActionSweep");
    shortcut_->setShortcut(QKeySequence(Qt::Key_F8));
    shortcut_->setShortcutContext(Qt::WindowShortcut);
    form_.addAction(shortcut_);
    connect(shortcut_, &QAction::triggered, this, [this] {
        if (window_ && window_->isVisible() && !Running())
            window_->close();
        else
            BSweepClick();
    });
    connect(form_.BSweep, &QPushButton::clicked, this, [this] { BSweepClick(); });
    connect(form_.SP1, &QPushButton::toggled, this, [this] { UpdateStartAllowed(); });
    tick_->setObjectName("TSweep");
    tick_->setInterval(kTickMs);
    connect(tick_, &QTimer::timeout, this, [this] { Tick(); });
    ApplyTexts();
}

void SweepControl::BSweepClick() {
    if (!window_) {
        window_ = new SweepWindow(&form_, form_.lexicons);
        const QRect main = form_.frameGeometry();
        window_->move(std::max(main.left(), main.right() - window_->width() - 12),
                      main.top() + std::max(0, main.height() - window_->height() - 12));
        connect(window_, &SweepWindow::StartClicked, this, [this] { Start(); });
        connect(window_, &SweepWindow::StopClicked, this, [this] { Stop(); });
        connect(window_, &SweepWindow::SavePointsClicked, this, [this] { SavePoints(); });
        connect(window_, &SweepWindow::SavePlotClicked, this, [this] { SavePlot(); });
    }
    if (!Running()) OfferChoices();
    UpdateStartAllowed();
    window_->show();
    window_->raise();
}

void SweepControl::ApplyTexts() {
    const auto& d = form_.lexicons.Dsweep;
    form_.BSweep->setText(QString::fromStdString(d.GetItem(ButtonCaption)));
    form_.BSweep->setToolTip(QString::fromStdString(d.GetItem(ButtonTip)));
    if (!window_) return;
    window_->Retitle();
    if (!Running()) OfferChoices();
    UpdateStartAllowed();
}

QString SweepControl::FrequencyLabel(int hz) const {
    const auto& lex = form_.lexicons;
    const QString hertz = QString::fromStdString(lex.Dlang3.GetItem(i18n::unit::Hertz));
    if (hz < 1000) return QString::number(hz) + " " + hertz;
    return QLocale().toString(hz / 1000.0, 'g', 4) + " " +
           QString::fromStdString(lex.Dlang1.GetItem(i18n::prefix::Kilo)) + hertz;
}

void SweepControl::OfferChoices() {
    const protocol::TMeterModel model = form_.screen.State().Model;
    std::vector<std::pair<int, QString>> frequencies;
    for (int index : sweep::DefaultFrequencyIndices(model))
        frequencies.emplace_back(index, FrequencyLabel(protocol::TableFrequencyHz(index, model)));
    QStringList levels;
    for (int i = 1; i <= protocol::ModelInfo(model).levelCount; ++i)
        levels << QString::fromStdString(
            display::LevelTextFor(model, i, form_.lexicons).value_or(std::to_string(i)));
    const protocol::TMeterSettings& s = form_.screen.Settings();
    window_->SetChoices(frequencies, levels, std::max<int>(s.LevelIndex(), 1), s.Series() == 1);
}

void SweepControl::UpdateStartAllowed() {
    if (!window_ || Running()) return;
    const auto& d = form_.lexicons.Dsweep;
    if (form_.SP1->isChecked()) {
        window_->SetStartAllowed(false, QString::fromStdString(d.GetItem(RunGoing)));
        return;
    }
    const bool ready =
        form_.state.MeterConnected && form_.screen.VisiblePanel() == display::TPanel::Rlcd;
    window_->SetStartAllowed(ready,
                             ready ? QString() : QString::fromStdString(d.GetItem(NotReady)));
}

double SweepControl::Now() const {
    return static_cast<double>(clock_.elapsed()) / 1000.0;
}

void SweepControl::Start() {
    if (Running() || form_.SP1->isChecked() || !form_.state.MeterConnected) return;
    const TSweepChoices choices = window_->Choices();
    if (choices.frequencyIndices.empty()) return;
    sweep::TSweepPlan plan;
    plan.model = form_.screen.State().Model;
    plan.frequencyIndices = choices.frequencyIndices;
    plan.levelIndex = choices.levelIndex;
    plan.series = choices.series;
    plan.readings = choices.readings;
    plan.timeoutSeconds = sweep::PointTimeoutSeconds(plan.timeoutSeconds, plan.readings,
                                                     form_.screen.Settings().Rate());
    sweep_.emplace(plan, form_.screen.Settings());
    clock_.start();
    pointsShown_ = 0;
    endText_ = Done;
    form_.recording->SetSweepRunning(true);
    window_->SetRunning(true);
    const QString entry = form_.CBox6->currentText().trimmed();
    window_->BeginSweep(entry.isEmpty() ? QTime::currentTime().toString("hh:mm:ss") : entry);
    ShowProgress();
    tick_->start();
    Pump();
}

void SweepControl::Stop() {
    if (!Running()) return;
    endText_ = Stopped;
    sweep_->Stop();
    Pump();
}

void SweepControl::LinkLost() {
    if (Running()) {
        endText_ = i18n::sweeptext::LinkLost;
        sweep_->Stop();
        Pump();  // the restoring command cannot go; the screen keeps the settings
    }
    UpdateStartAllowed();
}

void SweepControl::FrameAccepted(bool rlcShown) {
    if (!Running()) {
        UpdateStartAllowed();
        return;
    }
    if (rlcShown) sweep_->Feed(form_.screen.Settings(), form_.screen.State(), Now());
    ShowProgress();
    Pump();
}

void SweepControl::Tick() {
    if (!Running()) return;
    sweep_->Tick(Now());
    ShowProgress();
    Pump();
}

bool SweepControl::Send(const protocol::TMeterSettings& settings) {
    // As a picker's choice: the meter's next report must not undo it.
    form_.state.DecodePaused = 1;
    form_.screen.Settings() = settings;
    const bool sent = form_.connection->Commands().BuildSettingsCommand();
    if (!sent) form_.state.DecodePaused = 0;
    return sent;
}

void SweepControl::Pump() {
    if (!Running()) return;
    const auto command = sweep_->TakeCommand(Now());
    if (command && !Send(*command) && !sweep_->Done()) {
        // Profile editing holds the commands back: no point could settle.
        endText_ = CommandSuppressed;
        sweep_->Stop();
        if (const auto restore = sweep_->TakeCommand(Now())) Send(*restore);
    }
    if (sweep_->Done()) Finish();
}

void SweepControl::ShowProgress() {
    const std::vector<sweep::TSweepPoint>& points = sweep_->Points();
    if (points.size() != pointsShown_) {
        pointsShown_ = points.size();
        window_->ShowPoints(points);
    }
    const int total = sweep_->PointCount();
    const int current = std::min(sweep_->CurrentPoint(), total - 1);
    if (current < 0) return;
    const sweep::TSweepPlan& plan = sweep_->Plan();
    const int index = plan.frequencyIndices[static_cast<std::size_t>(current)];
    const QString text = QString::fromStdString(form_.lexicons.Dsweep.GetItem(Progress))
                             .arg(current + 1)
                             .arg(total)
                             .arg(FrequencyLabel(protocol::TableFrequencyHz(index, plan.model)));
    window_->ShowProgress(static_cast<int>(points.size()), total, text);
}

void SweepControl::Finish() {
    tick_->stop();
    const std::vector<sweep::TSweepPoint> points = sweep_->Points();
    const int total = sweep_->PointCount();
    sweep_.reset();
    form_.recording->SetSweepRunning(false);
    window_->ShowPoints(points);
    window_->SetRunning(false);
    const auto& d = form_.lexicons.Dsweep;
    QString text = QString::fromStdString(d.GetItem(endText_));
    if (endText_ == Done) text = text.arg(points.size());
    UpdateStartAllowed();
    window_->ShowProgress(static_cast<int>(points.size()), total, text);
    if (endText_ != Done && endText_ != Stopped) form_.notes->Say(text);
}

QString SweepControl::Choose(bool plot) {
    if (chooser_) return chooser_(plot);
    const auto& d = form_.lexicons.Dsweep;
    auto text = [&d](int item) { return QString::fromStdString(d.GetItem(item)); };
    QFileDialog dialog(window_);
    dialog.setObjectName(plot ? "SweepPlotDialog" : "SweepPointsDialog");
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    const QStringList filters = plot ? QStringList{text(PngFilter), text(SvgFilter)}
                                     : QStringList{text(CsvFilter), text(XlsxFilter)};
    dialog.setNameFilters(filters);
    dialog.setDefaultSuffix(plot ? "png" : "csv");
    connect(
        &dialog, &QFileDialog::filterSelected, &dialog,
        [&dialog, &filters, plot](const QString& f) {
            const bool second = f == filters.value(1);
            dialog.setDefaultSuffix(plot ? (second ? "svg" : "png") : (second ? "xlsx" : "csv"));
        });
    if (dialog.exec() != QDialog::Accepted) return {};
    return dialog.selectedFiles().value(0);
}

void SweepControl::Tell(const QString& line) {
    window_->ShowStatus(line);
    form_.notes->Say(line);
}

void SweepControl::SavePoints() {
    const QString path = Choose(false);
    if (path.isEmpty()) return;
    const std::vector<sweep::TSweepPoint>& points = window_->LatestPoints();
    const auto& d = form_.lexicons.Dsweep;
    std::string error;
    bool written = false;
    if (path.endsWith(".xlsx", Qt::CaseInsensitive)) {
        std::vector<std::string> header;
        for (const QString& h : window_->TableHeader()) header.push_back(h.toStdString());
        const std::string yes = d.GetItem(Yes), no = d.GetItem(No);
        using exporter::TNumber;
        auto number = [](const std::optional<double>& v) -> exporter::TCell {
            if (v) return TNumber{*v};
            return exporter::TBlank{};
        };
        written = exporter::WriteTableWorkbook(
            path.toStdString(), d.GetItem(PointsTitle), header, static_cast<int>(points.size()),
            [&](int row, std::vector<exporter::TCell>& cells) {
                const sweep::TSweepPoint& p = points[static_cast<std::size_t>(row)];
                const bool seen = p.readingsUsed > 0;
                auto measured = [seen](double v) -> std::optional<double> {
                    if (seen) return v;
                    return std::nullopt;
                };
                cells = {TNumber{double(p.frequencyHz)},
                         number(measured(p.Z)),
                         number(measured(p.thetaDeg)),
                         number(measured(p.Rs)),
                         number(measured(p.Xs)),
                         number(p.henry),
                         number(p.farad),
                         number(p.D),
                         number(p.Q),
                         number(measured(p.spread * 100)),
                         exporter::TText{p.settled ? yes : no}};
            },
            error);
    } else {
        std::string text = sweep::CsvHeader();
        for (const sweep::TSweepPoint& p : points) text += sweep::CsvLine(p);
        const auto failure = files::SaveWholeFile(path, QByteArray::fromStdString(text));
        written = !failure;
        if (failure) error = failure->toStdString();
    }
    Tell(written ? QString::fromStdString(d.GetItem(PointsWritten)) + path
                 : QString::fromStdString(d.GetItem(PointsNotWritten)) + path + ": " +
                       QString::fromStdString(error));
}

void SweepControl::SavePlot() {
    const QString path = Choose(true);
    if (path.isEmpty()) return;
    QWidget* plots = window_->Plots();
    bool written = false;
    if (IsPlotSvg(path)) {
        QSvgGenerator svg;
        svg.setFileName(path);
        svg.setSize(plots->size());
        svg.setViewBox(plots->rect());
        svg.setTitle(window_->windowTitle());
        QPainter painter;
        if (painter.begin(&svg)) {
            plots->render(&painter);
            written = painter.end();
        }
    } else {
        written = plots->grab().save(path, "PNG");
    }
    const auto& d = form_.lexicons.Dsweep;
    Tell(QString::fromStdString(d.GetItem(written ? PlotWritten : PlotNotWritten)) + path);
}
