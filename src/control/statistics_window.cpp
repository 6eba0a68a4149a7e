// SPDX-License-Identifier: GPL-3.0-or-later
#include "control/statistics_window.h"

#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLegendMarker>
#include <QLineSeries>
#include <QLocale>
#include <QScatterSeries>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <vector>

#include "control/statistics_control.h"
#include "log/stat_report.h"

namespace {

using namespace i18n;

// The red of the log's reject cells and of the display on a reject.
const QColor kRejectColour(255, 0, 0);
const QColor kValueColour(32, 74, 135);
const QColor kReferenceColour(0, 128, 0);
const QColor kBandColour(230, 120, 0);

QString Text(const TLexicons& lex, int item) {
    return QString::fromStdString(lex.Dstat.GetItem(item));
}

// Values are plotted divided by a power of a thousand: the chart treats spans
// below 1e-12 as empty, which picofarads and small D values would hit.
QList<QPointF> ToPoints(const std::vector<logcore::TTrendThinning::TPoint>& points, double scale) {
    QList<QPointF> out;
    out.reserve(static_cast<qsizetype>(points.size()));
    for (const auto& p : points) out.append(QPointF(p.row, p.value / scale));
    return out;
}

// Round ticks, labelled, with a grid line at each; the axis spans exactly
// from the first tick to the last.
void SetTicks(QCategoryAxis* axis, const logcore::TAxisTicks& t,
              const std::vector<std::string>& labels) {
    for (const QString& label : axis->categoriesLabels()) axis->remove(label);
    axis->setStartValue(t.Tick(0) - t.step);
    for (int i = 0; i < t.count; ++i)
        axis->append(QString::fromStdString(labels[static_cast<std::size_t>(i)]), t.Tick(i));
    axis->setRange(t.Tick(0), t.Last());
}

QCategoryAxis* TickAxis(QChart* chart) {
    auto* axis = new QCategoryAxis(chart);
    axis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    // The chart would cut labels to "…" rather than widen the axis for them.
    axis->setTruncateLabels(false);
    return axis;
}

std::string DecimalSeparator() {
    return QString(QLocale().decimalPoint()).toStdString();
}

QLineSeries* Line(QChart* chart, const QColor& colour, Qt::PenStyle style, const QString& name) {
    auto* s = new QLineSeries(chart);
    QPen pen(colour);
    pen.setWidthF(1.5);
    pen.setStyle(style);
    s->setPen(pen);
    s->setName(name);
    chart->addSeries(s);
    return s;
}

QChartView* View(QWidget* parent, QChart* chart, const char* name) {
    auto* view = new QChartView(chart, parent);
    view->setObjectName(name);
    view->setRenderHint(QPainter::Antialiasing, false);
    view->setFocusPolicy(Qt::NoFocus);
    view->setMinimumSize(360, 150);
    return view;
}

}  // namespace

StatisticsWindow::StatisticsWindow(QWidget* mainWindow, const TLexicons& lexicons,
                                   const TLogStatistics& data)
    : QWidget(mainWindow, Qt::Tool), lexicons_(lexicons), data_(data) {
    setObjectName("StatisticsWindow");
    // Rows keep coming while the user works in the main window.
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    resize(820, 580);

    auto* columns = new QHBoxLayout(this);
    auto* plots = new QVBoxLayout;
    columns->addLayout(plots, 3);
    primary_ = MakeTrend("PrimaryTrend");
    secondary_ = MakeTrend("SecondaryTrend");
    BuildHistogram();
    // One legend serves both trends.
    secondary_.chart->legend()->hide();
    plots->addWidget(primary_.view, 4);
    plots->addWidget(secondary_.view, 3);
    plots->addWidget(histogramView_, 3);

    table_ = new QTableWidget(this);
    table_->setObjectName("StatTable");
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setFocusPolicy(Qt::NoFocus);
    table_->setSelectionMode(QAbstractItemView::NoSelection);
    table_->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table_->setMinimumWidth(380);
    columns->addWidget(table_, 2);
    Retitle();
}

StatisticsWindow::TTrendPlot StatisticsWindow::MakeTrend(const char* name) {
    TTrendPlot p;
    p.chart = new QChart;
    p.chart->setAnimationOptions(QChart::NoAnimation);
    p.chart->setMargins(QMargins(4, 4, 4, 4));
    p.values = Line(p.chart, kValueColour, Qt::SolidLine, {});
    p.rejects = new QScatterSeries(p.chart);
    p.rejects->setColor(kRejectColour);
    p.rejects->setBorderColor(kRejectColour);
    p.rejects->setMarkerSize(7);
    p.chart->addSeries(p.rejects);
    p.reference = Line(p.chart, kReferenceColour, Qt::DashLine, {});
    p.lower = Line(p.chart, kBandColour, Qt::DashLine, {});
    p.upper = Line(p.chart, kBandColour, Qt::DashLine, {});
    p.x = TickAxis(p.chart);
    p.y = TickAxis(p.chart);
    p.chart->addAxis(p.x, Qt::AlignBottom);
    p.chart->addAxis(p.y, Qt::AlignLeft);
    for (QAbstractSeries* s : p.chart->series()) {
        s->attachAxis(p.x);
        s->attachAxis(p.y);
    }
    p.chart->legend()->setAlignment(Qt::AlignTop);
    // The two limits share one legend entry.
    for (QLegendMarker* m : p.chart->legend()->markers(p.upper)) m->setVisible(false);
    p.view = View(this, p.chart, name);
    return p;
}

void StatisticsWindow::BuildHistogram() {
    histogramChart_ = new QChart;
    histogramChart_->setAnimationOptions(QChart::NoAnimation);
    histogramChart_->setMargins(QMargins(4, 4, 4, 4));
    histogram_ = Line(histogramChart_, kValueColour, Qt::SolidLine, {});
    bandLow_ = Line(histogramChart_, kBandColour, Qt::DashLine, {});
    bandHigh_ = Line(histogramChart_, kBandColour, Qt::DashLine, {});
    histogramX_ = TickAxis(histogramChart_);
    histogramY_ = TickAxis(histogramChart_);
    histogramChart_->addAxis(histogramX_, Qt::AlignBottom);
    histogramChart_->addAxis(histogramY_, Qt::AlignLeft);
    for (QAbstractSeries* s : histogramChart_->series()) {
        s->attachAxis(histogramX_);
        s->attachAxis(histogramY_);
    }
    histogramChart_->legend()->hide();
    histogramView_ = View(this, histogramChart_, "DeviationHistogram");
}

void StatisticsWindow::Retitle() {
    setWindowTitle(Text(lexicons_, stat::Title));
    for (TTrendPlot* p : {&primary_, &secondary_}) {
        p->chart->setTitle(Text(lexicons_, p == &primary_ ? stat::Primary : stat::Secondary));
        p->values->setName(Text(lexicons_, stat::Value));
        p->rejects->setName(Text(lexicons_, stat::Rejected));
        p->reference->setName(Text(lexicons_, stat::Reference));
        p->lower->setName(Text(lexicons_, stat::ToleranceLimits));
        p->upper->setName(Text(lexicons_, stat::ToleranceLimits));
        p->x->setTitleText(Text(lexicons_, stat::Row));
    }
    histogramX_->setTitleText(Text(lexicons_, stat::PrimaryDeviation));
    histogramY_->setTitleText(Text(lexicons_, stat::RowCount));
}

void StatisticsWindow::DrawTrend(TTrendPlot& p, const logcore::TTrendThinning& trend,
                                 const std::optional<logcore::TToleranceBand>& band,
                                 const QString& title, const std::string& unit) {
    const bool empty = trend.Rows() == 0;
    p.x->setVisible(!empty);
    p.y->setVisible(!empty);
    if (empty) {
        for (QLineSeries* s : {p.values, p.reference, p.lower, p.upper}) s->clear();
        p.rejects->clear();
        p.chart->setTitle(title + " — " +
                          QString::fromStdString(lexicons_.Dplot.GetItem(plot::NoRowsYet)));
        return;
    }
    p.chart->setTitle(title);
    const std::vector<logcore::TTrendThinning::TPoint> line = trend.Line();
    double low = INFINITY;
    double high = -INFINITY;
    for (const auto& v : line) {
        low = std::min(low, v.value);
        high = std::max(high, v.value);
    }
    if (band) {
        low = std::min(low, band->Lower());
        high = std::max(high, band->Upper());
    }
    const logcore::TAxisTicks yTicks = logcore::ValueTicks(low, high);
    const logcore::TAxisTicks xTicks = logcore::CountTicks(trend.Rows());
    p.scale = std::pow(10.0, yTicks.exponent);
    p.values->replace(ToPoints(line, p.scale));
    p.rejects->replace(ToPoints(trend.Rejects(), p.scale));
    const double first = xTicks.Tick(0);
    const double last = xTicks.Last();
    if (band) {
        const double ref = band->reference / p.scale;
        const double lower = band->Lower() / p.scale;
        const double upper = band->Upper() / p.scale;
        p.reference->replace({QPointF(first, ref), QPointF(last, ref)});
        p.lower->replace({QPointF(first, lower), QPointF(last, lower)});
        p.upper->replace({QPointF(first, upper), QPointF(last, upper)});
    } else {
        p.reference->clear();
        p.lower->clear();
        p.upper->clear();
    }
    const std::string separator = DecimalSeparator();
    SetTicks(p.x, xTicks, logcore::TickLabels(xTicks, {}, separator, lexicons_));
    SetTicks(p.y, yTicks, logcore::TickLabels(yTicks, unit, separator, lexicons_));
}

void StatisticsWindow::Refresh(bool rebuildTable, const std::set<long>& entries,
                               const TPlotContext& context) {
    DrawTrend(primary_, data_.primaryTrend, data_.primaryBand, Text(lexicons_, stat::Primary),
              context.primaryUnit);
    DrawTrend(secondary_, data_.secondaryTrend, data_.secondaryBand,
              Text(lexicons_, stat::Secondary), context.secondaryUnit);
    RefreshHistogram(context);
    RefreshTable(rebuildTable, entries);
}

void StatisticsWindow::keyPressEvent(QKeyEvent* event) {
    // The key that opens it closes it, and so does Esc.
    if (event->key() == Qt::Key_Escape || event->key() == Qt::Key_F7) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void StatisticsWindow::RefreshHistogram(const TPlotContext& context) {
    const logcore::TDeviationHistogram& h = data_.histogram;
    const bool empty = h.Scale() <= 0;
    histogramX_->setVisible(!empty);
    histogramY_->setVisible(!empty);
    if (empty) {
        histogram_->clear();
        bandLow_->clear();
        bandHigh_->clear();
        // Nothing counted yet: say why, from what the editor holds now.
        histogramChart_->setTitle(
            context.primaryPercentTolerance
                ? QString::fromStdString(lexicons_.Dplot.GetItem(plot::NoRowsYet))
                : Text(lexicons_, stat::NoPercentTolerance));
        return;
    }
    histogramChart_->setTitle({});
    const std::vector<long>& counts = h.Counts();
    const int bins = static_cast<int>(counts.size());
    const logcore::TAxisTicks xTicks =
        logcore::ValueTicks(h.BinLow(0), h.BinLow(bins), 6, /*prefixes=*/false);
    // Percentages too small or too large for plain labels are drawn scaled.
    const double xScale = std::pow(10.0, xTicks.exponent);
    // The outline of the bars as one stepped line.
    QList<QPointF> steps;
    long highest = 1;
    steps.reserve(static_cast<qsizetype>(counts.size()) * 2 + 2);
    steps.append(QPointF(h.BinLow(0) / xScale, 0));
    for (int i = 0; i < bins; ++i) {
        const double c = static_cast<double>(counts[static_cast<std::size_t>(i)]);
        steps.append(QPointF(h.BinLow(i) / xScale, c));
        steps.append(QPointF(h.BinLow(i + 1) / xScale, c));
        highest = std::max(highest, counts[static_cast<std::size_t>(i)]);
    }
    steps.append(QPointF(h.BinLow(bins) / xScale, 0));
    histogram_->replace(steps);
    const logcore::TAxisTicks yTicks = logcore::CountTicks(highest);
    const double top = yTicks.Last();
    const double tolerance = data_.primaryBand ? data_.primaryBand->percent : h.Scale();
    bandLow_->replace({QPointF(-tolerance / xScale, 0), QPointF(-tolerance / xScale, top)});
    bandHigh_->replace({QPointF(tolerance / xScale, 0), QPointF(tolerance / xScale, top)});
    const std::string separator = DecimalSeparator();
    SetTicks(histogramX_, xTicks, logcore::TickLabels(xTicks, {}, separator, lexicons_));
    SetTicks(histogramY_, yTicks, logcore::TickLabels(yTicks, {}, separator, lexicons_));
}

void StatisticsWindow::FillColumn(int column, const logcore::TFigures& figures) {
    const std::string separator = DecimalSeparator();
    const std::vector<logcore::TFigureLine> lines =
        logcore::FigureLines(figures, lexicons_, separator);
    if (table_->rowCount() != static_cast<int>(lines.size()))
        table_->setRowCount(static_cast<int>(lines.size()));
    for (int r = 0; r < static_cast<int>(lines.size()); ++r) {
        const auto& line = lines[static_cast<std::size_t>(r)];
        QTableWidgetItem* item = table_->item(r, column);
        if (!item) {
            item = new QTableWidgetItem;
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            table_->setItem(r, column, item);
        }
        item->setText(QString::fromStdString(line.value));
        if (column == 0) {
            QTableWidgetItem* head = table_->verticalHeaderItem(r);
            if (!head) {
                head = new QTableWidgetItem;
                table_->setVerticalHeaderItem(r, head);
            }
            head->setText(QString::fromStdString(line.label));
        }
    }
}

void StatisticsWindow::RefreshTable(bool rebuild, const std::set<long>& entries) {
    const auto& all = data_.figures.Entries();
    if (rebuild) {
        table_->setColumnCount(1 + static_cast<int>(all.size()));
        QStringList headers{Text(lexicons_, stat::All)};
        for (const auto& [number, entry] : all)
            headers << QString::fromStdString(logcore::EntryHeading(number, entry.name));
        table_->setHorizontalHeaderLabels(headers);
    }
    FillColumn(0, data_.figures.All().Figures());
    int column = 1;
    for (const auto& [number, entry] : all) {
        if (rebuild || entries.contains(number)) FillColumn(column, entry.figures.Figures());
        ++column;
    }
}

QString StatisticsWindow::Figure(const QString& label, int column) const {
    for (int r = 0; r < table_->rowCount(); ++r) {
        const QTableWidgetItem* head = table_->verticalHeaderItem(r);
        const QTableWidgetItem* item = table_->item(r, column);
        if (head && item && head->text().trimmed() == label.trimmed()) return item->text();
    }
    return {};
}
