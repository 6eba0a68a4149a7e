// SPDX-License-Identifier: GPL-3.0-or-later
#include "control/sweep_window.h"

#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLegendMarker>
#include <QLineSeries>
#include <QListWidget>
#include <QLocale>
#include <QLogValueAxis>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

#include "control/lang_client.h"

namespace {

using namespace i18n::sweeptext;

constexpr int kColumns = 11;
constexpr int kFirstColumnText = ColFrequency;  // ColFrequency .. ColSettled in order

QString Number(double v) {
    return QLocale().toString(v, 'g', 5);
}
QString Number(const std::optional<double>& v) {
    return v ? Number(*v) : QString();
}

// The decades around the positive values, for a logarithmic axis.
std::pair<double, double> DecadesAround(double lo, double hi) {
    if (!(lo > 0) || !(hi >= lo)) return {1, 10};
    const double low = std::pow(10.0, std::floor(std::log10(lo)));
    double high = std::pow(10.0, std::ceil(std::log10(hi)));
    if (high <= low) high = low * 10;
    return {low, high};
}

}  // namespace

SweepWindow::SweepWindow(QWidget* mainWindow, const i18n::TLexicons& lexicons)
    : QWidget(mainWindow, Qt::Tool), lexicons_(lexicons) {
    setObjectName("SweepWindow");
    setAttribute(Qt::WA_ShowWithoutActivating);
    resize(1060, 760);

    auto* choices = new QWidget(this);
    auto* side = new QVBoxLayout(choices);
    side->setContentsMargins(0, 0, 0, 0);
    for (QLabel*& l : labels_) l = new QLabel(choices);
    frequencies_ = new QListWidget(choices);
    frequencies_->setObjectName("SweepFrequencies");
    readings_ = new QSpinBox(choices);
    readings_->setObjectName("SweepReadings");
    readings_->setRange(1, 20);
    readings_->setValue(3);
    level_ = new QComboBox(choices);
    level_->setObjectName("SweepLevel");
    circuit_ = new QComboBox(choices);
    circuit_->setObjectName("SweepCircuit");
    circuit_->addItems({QString(), QString()});
    start_ = new QPushButton(choices);
    start_->setObjectName("SweepStart");
    start_->setEnabled(false);
    progress_ = new QProgressBar(choices);
    progress_->setObjectName("SweepProgress");
    progress_->setTextVisible(false);
    status_ = new QLabel(choices);
    status_->setObjectName("SweepStatus");
    status_->setWordWrap(true);
    side->addWidget(labels_[0]);
    side->addWidget(frequencies_, 1);
    auto* form = new QGridLayout;
    form->addWidget(labels_[1], 0, 0);
    form->addWidget(readings_, 0, 1);
    form->addWidget(labels_[2], 1, 0);
    form->addWidget(level_, 1, 1);
    form->addWidget(labels_[3], 2, 0);
    form->addWidget(circuit_, 2, 1);
    side->addLayout(form);
    side->addWidget(start_);
    side->addWidget(progress_);
    side->addWidget(status_);
    choices->setMaximumWidth(240);

    plots_ = new QWidget(this);
    plots_->setObjectName("SweepPlots");
    auto* plotColumn = new QVBoxLayout(plots_);
    plotColumn->setContentsMargins(0, 0, 0, 0);
    plotColumn->addWidget(MakeChart(zChart_, zX_, zY_, true), 3);
    auto* lower = new QHBoxLayout;
    lower->addWidget(MakeChart(thetaChart_, thetaX_, thetaY_, false));
    lower->addWidget(MakeChart(dqChart_, dqX_, dqY_, false));
    // The sweeps' names show once, beside |Z|; the small plots keep their width.
    thetaChart_->legend()->hide();
    dqChart_->legend()->hide();
    plotColumn->addLayout(lower, 2);
    static_cast<QValueAxis*>(thetaY_)->setRange(-90, 90);
    static_cast<QValueAxis*>(thetaY_)->setTickCount(7);

    table_ = new QTableWidget(0, kColumns, this);
    table_->setObjectName("SweepTable");
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->verticalHeader()->hide();
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);

    lossChoice_ = new QComboBox(this);
    lossChoice_->setObjectName("SweepLossChoice");
    lossChoice_->addItems({"D", "Q"});
    savePoints_ = new QPushButton(this);
    savePoints_->setObjectName("SweepSavePoints");
    savePlot_ = new QPushButton(this);
    savePlot_->setObjectName("SweepSavePlot");
    clear_ = new QPushButton(this);
    clear_->setObjectName("SweepClear");
    for (QPushButton* b : {savePoints_, savePlot_, clear_}) b->setEnabled(false);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(lossChoice_);
    buttons->addStretch(1);
    for (QPushButton* b : {savePoints_, savePlot_, clear_}) buttons->addWidget(b);

    auto* split = new QSplitter(Qt::Vertical, this);
    split->addWidget(plots_);
    split->addWidget(table_);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 1);
    split->setSizes({470, 190});
    auto* right = new QVBoxLayout;
    right->addWidget(split, 1);
    right->addLayout(buttons);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(choices);
    layout->addLayout(right, 1);

    connect(start_, &QPushButton::clicked, this,
            [this] { running_ ? emit StopClicked() : emit StartClicked(); });
    connect(savePoints_, &QPushButton::clicked, this, &SweepWindow::SavePointsClicked);
    connect(savePlot_, &QPushButton::clicked, this, &SweepWindow::SavePlotClicked);
    connect(clear_, &QPushButton::clicked, this, &SweepWindow::ClearSweeps);
    connect(lossChoice_, &QComboBox::currentIndexChanged, this, [this] {
        for (TCurves& c : sweeps_) Redraw(c);
        FitAxes();
        dqChart_->setTitle(lossChoice_->currentText());
    });
    // Every text here comes from the sweep lexicon, not from the language's
    // control texts.
    TLangManClient::MarkNotTranslatable(this);
    for (QObject* o : findChildren<QObject*>()) TLangManClient::MarkNotTranslatable(o);
    Retitle();
}

QChartView* SweepWindow::MakeChart(QChart*& chart, QAbstractAxis*& x, QAbstractAxis*& y,
                                   bool logY) {
    chart = new QChart;
    chart->legend()->setAlignment(Qt::AlignRight);
    chart->setMargins(QMargins(4, 4, 4, 4));
    auto* frequency = new QLogValueAxis(chart);
    frequency->setBase(10);
    frequency->setLabelFormat("%g");
    frequency->setRange(50, 300000);
    frequency->setMinorTickCount(8);
    x = frequency;
    if (logY) {
        auto* values = new QLogValueAxis(chart);
        values->setBase(10);
        values->setLabelFormat("%g");
        y = values;
    } else {
        auto* values = new QValueAxis(chart);
        values->setLabelFormat("%.3g");
        y = values;
    }
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    auto* view = new QChartView(chart, this);  // the view owns the chart
    view->setRenderHint(QPainter::Antialiasing);
    view->setMinimumHeight(180);
    return view;
}

void SweepWindow::Retitle() {
    const i18n::TDesignedLexicon& d = lexicons_.Dsweep;
    auto text = [&d](int item) { return QString::fromStdString(d.GetItem(item)); };
    setWindowTitle(text(WindowTitle));
    labels_[0]->setText(text(Frequencies));
    labels_[1]->setText(text(Readings));
    labels_[2]->setText(text(Level));
    labels_[3]->setText(text(Circuit));
    circuit_->setItemText(0, text(Series));
    circuit_->setItemText(1, text(Parallel));
    start_->setText(text(running_ ? Stop : Start));
    savePoints_->setText(text(SavePoints));
    savePlot_->setText(text(SavePlot));
    clear_->setText(text(Clear));
    lossChoice_->setToolTip(text(DqChoice));
    zChart_->setTitle(text(ZChart));
    thetaChart_->setTitle(text(ThetaChart));
    dqChart_->setTitle(lossChoice_->currentText());
    for (QAbstractAxis* axis : {zX_, thetaX_, dqX_}) axis->setTitleText(text(FrequencyAxis));
    table_->setHorizontalHeaderLabels(TableHeader());
    RefillTable();
}

QStringList SweepWindow::TableHeader() const {
    QStringList header;
    for (int c = 0; c < kColumns; ++c)
        header << QString::fromStdString(lexicons_.Dsweep.GetItem(kFirstColumnText + c));
    return header;
}

void SweepWindow::SetChoices(const std::vector<std::pair<int, QString>>& frequencies,
                             const QStringList& levels, int levelIndex, bool series) {
    // The ticks stay when the list is the same model's.
    std::vector<int> unticked;
    for (int r = 0; r < frequencies_->count(); ++r)
        if (frequencies_->item(r)->checkState() != Qt::Checked)
            unticked.push_back(frequencies_->item(r)->data(Qt::UserRole).toInt());
    bool same = frequencies_->count() == static_cast<int>(frequencies.size());
    for (int r = 0; same && r < frequencies_->count(); ++r)
        same =
            frequencies_->item(r)->data(Qt::UserRole).toInt() == frequencies[std::size_t(r)].first;
    frequencies_->clear();
    for (const auto& [index, label] : frequencies) {
        auto* item = new QListWidgetItem(label, frequencies_);
        item->setData(Qt::UserRole, index);
        const bool ticked =
            !same || std::find(unticked.begin(), unticked.end(), index) == unticked.end();
        item->setCheckState(ticked ? Qt::Checked : Qt::Unchecked);
    }
    level_->clear();
    level_->addItems(levels);
    level_->setCurrentIndex(std::clamp(levelIndex - 1, 0, std::max(0, level_->count() - 1)));
    circuit_->setCurrentIndex(series ? 0 : 1);
}

TSweepChoices SweepWindow::Choices() const {
    TSweepChoices c;
    for (int r = 0; r < frequencies_->count(); ++r)
        if (frequencies_->item(r)->checkState() == Qt::Checked)
            c.frequencyIndices.push_back(frequencies_->item(r)->data(Qt::UserRole).toInt());
    c.readings = readings_->value();
    c.levelIndex = level_->currentIndex() + 1;
    c.series = circuit_->currentIndex() == 0;
    return c;
}

void SweepWindow::SetRunning(bool running) {
    running_ = running;
    start_->setText(QString::fromStdString(lexicons_.Dsweep.GetItem(running ? Stop : Start)));
    start_->setEnabled(running || startAllowed_);
    for (QWidget* w : std::initializer_list<QWidget*>{frequencies_, readings_, level_, circuit_})
        w->setEnabled(!running);
    EnableSaving();
}

void SweepWindow::EnableSaving() {
    for (QPushButton* b : {savePoints_, savePlot_, clear_})
        b->setEnabled(!sweeps_.empty() && !running_);
}

void SweepWindow::SetStartAllowed(bool allowed, const QString& why) {
    // Asked after every frame: the line keeps what a finished sweep said
    // until the reason itself changes.
    const bool changed = allowed != startAllowed_ || start_->toolTip() != why;
    startAllowed_ = allowed;
    start_->setEnabled(running_ || allowed);
    start_->setToolTip(why);
    if (!running_ && changed) status_->setText(why);
}

void SweepWindow::ShowStatus(const QString& text) {
    status_->setText(text);
}

void SweepWindow::ShowProgress(int done, int total, const QString& text) {
    progress_->setRange(0, std::max(total, 1));
    progress_->setValue(done);
    status_->setText(text);
}

void SweepWindow::BeginSweep(const QString& name) {
    TCurves c;
    c.name = name;
    auto add = [&name](QChart* chart, QAbstractAxis* x, QAbstractAxis* y) {
        auto* s = new QLineSeries(chart);
        s->setName(name);
        s->setPointsVisible(true);
        chart->addSeries(s);
        s->attachAxis(x);
        s->attachAxis(y);
        return s;
    };
    c.z = add(zChart_, zX_, zY_);
    c.esr = add(zChart_, zX_, zY_);
    QPen dashed = c.z->pen();
    dashed.setStyle(Qt::DashLine);
    c.esr->setPen(dashed);
    // One legend entry per sweep: the dashed ESR curve has the |Z| colour.
    for (QLegendMarker* m : zChart_->legend()->markers(c.esr)) m->setVisible(false);
    c.theta = add(thetaChart_, thetaX_, thetaY_);
    c.loss = add(dqChart_, dqX_, dqY_);
    for (QLineSeries* s : {c.theta, c.loss}) s->setColor(c.z->color());
    sweeps_.push_back(std::move(c));
    RefillTable();
}

void SweepWindow::ShowPoints(const std::vector<sweep::TSweepPoint>& points) {
    if (sweeps_.empty()) return;
    TCurves& c = sweeps_.back();
    c.points = points;
    Redraw(c);
    FitAxes();
    RefillTable();
}

const std::vector<sweep::TSweepPoint>& SweepWindow::LatestPoints() const {
    static const std::vector<sweep::TSweepPoint> none;
    return sweeps_.empty() ? none : sweeps_.back().points;
}

bool SweepWindow::ShowsQ() const {
    return lossChoice_->currentIndex() == 1;
}

void SweepWindow::Redraw(TCurves& c) {
    QList<QPointF> z, esr, theta, loss;
    for (const sweep::TSweepPoint& p : c.points) {
        if (p.readingsUsed == 0) continue;  // nothing was seen at that frequency
        const double f = p.frequencyHz;
        // A logarithmic axis cannot place zero or less.
        if (p.Z > 0) z << QPointF(f, p.Z);
        if (p.esr > 0) esr << QPointF(f, p.esr);
        theta << QPointF(f, p.thetaDeg);
        if (const auto& v = ShowsQ() ? p.Q : p.D) loss << QPointF(f, *v);
    }
    c.z->replace(z);
    c.esr->replace(esr);
    c.theta->replace(theta);
    c.loss->replace(loss);
}

void SweepWindow::FitAxes() {
    double lo = INFINITY, hi = 0, lossLo = INFINITY, lossHi = -INFINITY;
    for (const TCurves& c : sweeps_) {
        for (const QLineSeries* s : {c.z, c.esr})
            for (const QPointF& p : s->points()) {
                lo = std::min(lo, p.y());
                hi = std::max(hi, p.y());
            }
        for (const QPointF& p : c.loss->points()) {
            lossLo = std::min(lossLo, p.y());
            lossHi = std::max(lossHi, p.y());
        }
    }
    const auto [zLow, zHigh] = DecadesAround(lo, hi);
    static_cast<QLogValueAxis*>(zY_)->setRange(zLow, zHigh);
    auto* lossAxis = static_cast<QValueAxis*>(dqY_);
    if (lossLo <= lossHi) {
        const double pad = std::max((lossHi - lossLo) * 0.1, std::abs(lossHi) * 0.05 + 1e-9);
        lossAxis->setRange(lossLo >= 0 ? 0.0 : lossLo - pad, lossHi + pad);
    } else {
        lossAxis->setRange(0, 1);
    }
}

void SweepWindow::RefillTable() {
    const std::vector<sweep::TSweepPoint>& points = LatestPoints();
    table_->setRowCount(static_cast<int>(points.size()));
    const auto& d = lexicons_.Dsweep;
    for (int r = 0; r < table_->rowCount(); ++r) {
        const sweep::TSweepPoint& p = points[static_cast<std::size_t>(r)];
        const bool seen = p.readingsUsed > 0;
        const QString cells[kColumns] = {
            QString::number(p.frequencyHz),
            seen ? Number(p.Z) : QString(),
            seen ? QLocale().toString(p.thetaDeg, 'f', 2) : QString(),
            seen ? Number(p.Rs) : QString(),
            seen ? Number(p.Xs) : QString(),
            Number(p.henry),
            Number(p.farad),
            Number(p.D),
            Number(p.Q),
            seen ? QLocale().toString(p.spread * 100, 'f', 3) : QString(),
            QString::fromStdString(d.GetItem(p.settled ? Yes : No))};
        for (int c = 0; c < kColumns; ++c) {
            auto* item = table_->item(r, c);
            if (!item) {
                item = new QTableWidgetItem;
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
                table_->setItem(r, c, item);
            }
            item->setText(cells[c]);
        }
    }
    EnableSaving();
}

void SweepWindow::ClearSweeps() {
    if (running_) return;
    for (const TCurves& c : sweeps_)
        for (QLineSeries* s : {c.z, c.esr, c.theta, c.loss}) {
            s->chart()->removeSeries(s);
            s->deleteLater();
        }
    sweeps_.clear();
    FitAxes();
    RefillTable();
}

void SweepWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && !running_) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}
