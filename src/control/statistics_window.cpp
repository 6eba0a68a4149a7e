#include "control/statistics_window.h"

#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLegendMarker>
#include <QLineSeries>
#include <QLocale>
#include <QScatterSeries>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QValueAxis>
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

// The power of ten, a multiple of three, of the largest magnitude; ohms up to
// megohms and plain numbers from milli up are drawn as they are.
int ScaleExponent(double low, double high) {
    const double largest = std::max(std::fabs(low), std::fabs(high));
    if (!(largest > 0) || !std::isfinite(largest)) return 0;
    const int exponent = static_cast<int>(std::floor(std::log10(largest) / 3)) * 3;
    return exponent >= -3 && exponent <= 6 ? 0 : exponent;
}

// A range that shows every point with a little room, and something sensible
// for a single value.
void FitRange(QValueAxis* axis, double low, double high) {
    if (!(low <= high)) {
        axis->setRange(0, 1);
        return;
    }
    double margin = (high - low) * 0.05;
    if (margin == 0) margin = std::max(std::fabs(low) * 0.01, 1e-15);
    axis->setRange(low - margin, high + margin);
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
    p.x = new QValueAxis(p.chart);
    p.x->setLabelFormat("%d");
    p.y = new QValueAxis(p.chart);
    p.y->setLabelFormat("%.6g");
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
    histogramX_ = new QCategoryAxis(histogramChart_);
    histogramX_->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    histogramY_ = new QValueAxis(histogramChart_);
    histogramY_->setLabelFormat("%d");
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

namespace {

void DrawTrend(const StatisticsWindow::TTrendPlot& p, const logcore::TTrendThinning& trend,
               const std::optional<logcore::TToleranceBand>& band, const QString& title) {
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
    const int exponent = ScaleExponent(low, high);
    const double scale = std::pow(10.0, exponent);
    p.values->replace(ToPoints(line, scale));
    p.rejects->replace(ToPoints(trend.Rejects(), scale));
    const double last = std::max<double>(2, static_cast<double>(trend.Rows()));
    p.x->setRange(1, last);
    if (band) {
        const double ref = band->reference / scale;
        const double lower = band->Lower() / scale;
        const double upper = band->Upper() / scale;
        p.reference->replace({QPointF(1, ref), QPointF(last, ref)});
        p.lower->replace({QPointF(1, lower), QPointF(last, lower)});
        p.upper->replace({QPointF(1, upper), QPointF(last, upper)});
    } else {
        p.reference->clear();
        p.lower->clear();
        p.upper->clear();
    }
    FitRange(p.y, low / scale, high / scale);
    p.chart->setTitle(exponent == 0 ? title : title + QString(", ×10^%1").arg(exponent));
}

}  // namespace

void StatisticsWindow::Refresh(bool rebuildTable, const std::set<long>& entries) {
    DrawTrend(primary_, data_.primaryTrend, data_.primaryBand, Text(lexicons_, stat::Primary));
    DrawTrend(secondary_, data_.secondaryTrend, data_.secondaryBand,
              Text(lexicons_, stat::Secondary));
    RefreshHistogram();
    RefreshTable(rebuildTable, entries);
}

void StatisticsWindow::RefreshHistogram() {
    const logcore::TDeviationHistogram& h = data_.histogram;
    if (h.Scale() <= 0) {
        histogram_->clear();
        bandLow_->clear();
        bandHigh_->clear();
        for (const QString& label : histogramX_->categoriesLabels()) histogramX_->remove(label);
        histogramScale_ = 0;
        histogramX_->setRange(-1, 1);
        histogramY_->setRange(0, 1);
        histogramChart_->setTitle(Text(lexicons_, stat::NoPercentTolerance));
        return;
    }
    histogramChart_->setTitle({});
    // The outline of the bars as one stepped line.
    QList<QPointF> steps;
    long highest = 1;
    const std::vector<long>& counts = h.Counts();
    steps.reserve(static_cast<qsizetype>(counts.size()) * 2 + 2);
    steps.append(QPointF(h.BinLow(0), 0));
    for (int i = 0; i < static_cast<int>(counts.size()); ++i) {
        const double c = static_cast<double>(counts[static_cast<std::size_t>(i)]);
        steps.append(QPointF(h.BinLow(i), c));
        steps.append(QPointF(h.BinLow(i + 1), c));
        highest = std::max(highest, counts[static_cast<std::size_t>(i)]);
    }
    steps.append(QPointF(h.BinLow(static_cast<int>(counts.size())), 0));
    histogram_->replace(steps);
    const double top = static_cast<double>(highest) * 1.1;
    const double tolerance = data_.primaryBand ? data_.primaryBand->percent : h.Scale();
    bandLow_->replace({QPointF(-tolerance, 0), QPointF(-tolerance, top)});
    bandHigh_->replace({QPointF(tolerance, 0), QPointF(tolerance, top)});
    histogramX_->setRange(h.BinLow(0), h.BinLow(static_cast<int>(counts.size())));
    // Labels at whole tolerances, computed from whole multiples so 0 reads 0.
    if (histogramScale_ != h.Scale()) {
        histogramScale_ = h.Scale();
        for (const QString& label : histogramX_->categoriesLabels()) histogramX_->remove(label);
        const QString separator = QLocale().decimalPoint();
        for (int k = -logcore::TDeviationHistogram::kTolerances;
             k <= logcore::TDeviationHistogram::kTolerances; ++k)
            histogramX_->append(QString::number(k * h.Scale(), 'g', 3).replace('.', separator),
                                k * h.Scale());
    }
    histogramY_->setRange(0, top);
}

void StatisticsWindow::FillColumn(int column, const logcore::TFigures& figures) {
    const std::string separator = QString(QLocale().decimalPoint()).toStdString();
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
