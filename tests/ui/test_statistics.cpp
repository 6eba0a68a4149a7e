// SPDX-License-Identifier: GPL-3.0-or-later
#include <QAction>
#include <QApplication>
#include <QCategoryAxis>
#include <QChart>
#include <QComboBox>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QLineSeries>
#include <QLocale>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QScatterSeries>
#include <QTableWidget>
#include <QTest>

#include "app/log_table.h"
#include "app/main.h"
#include "control/recording_control.h"
#include "control/statistics_control.h"
#include "control/statistics_window.h"
#include "log/stat_report.h"
#include "protocol/frame.h"
#include "protocol/settings.h"
#include "support/english.h"
#include "support/form_fixture.h"

namespace {

// An RLCD frame of a resistor with R shown as the primary and Q as the
// secondary parameter.
protocol::TMeasurementFrame ResistorFrame(float rs, float xs = 20.0f) {
    protocol::TMeterSettings settings;
    protocol::TMeterState state;
    protocol::ApplyDefaults(settings, state);
    settings.PrimAuto() = 0;
    settings.PrimIndex() = 1;  // R
    settings.SecIndex() = 2;   // Q
    protocol::TFrameFields f;
    f.status.displayMode = 1;
    f.value1 = rs;
    f.value2 = xs;
    f.settings = protocol::ReportedSettingsBytes(settings);
    return protocol::BuildMeasurementFrame(f);
}

void Feed(TForm1& form, float rs, float xs = 20.0f) {
    const protocol::TMeasurementFrame frame = ResistorFrame(rs, xs);
    form.DecodeMeasurementFrame(std::span<const std::uint8_t>(frame.data(), frame.size()));
}

QString Label(const TForm1& form, int item) {
    return QString::fromStdString(form.lexicons.Dstat.GetItem(item));
}

}  // namespace

// The statistics window over the real log: it follows appended rows and the
// emptying of the log, and agrees with the command-line report of the journal.
class StatisticsTest : public QObject {
    Q_OBJECT

  private slots:
    void init() {
        fixture_ = std::make_unique<FormFixture>();
        f_ = fixture_->form.get();
        f_->SB4->setChecked(false);
        f_->show();
        // Sorted against 1 kOhm at 5 %.
        f_->CBox2->setCurrentIndex(0);
        f_->E2->setText("1");
        f_->CBox1->setCurrentIndex(1);
        f_->CBox5->setCurrentText("5%");
        f_->SP1->setEnabled(true);
        f_->SP1->click();  // recording: every frame is a row
        QVERIFY(f_->recording->Running());
    }
    void cleanup() { fixture_.reset(); }

    void openingOnAFilledLogShowsTheCounts() {
        TForm1& f = *f_;
        for (float rs : {1000.0f, 1100.0f, 990.0f, 900.0f}) Feed(f, rs);
        QVERIFY(!f.statistics->Window());
        QVERIFY(f.BStat->isEnabled());
        QCOMPARE(f.BStat->text(), Label(f, i18n::stat::Title));
        QApplication::setActiveWindow(&f);
        QWidget* focused = QApplication::focusWidget();
        QTest::mouseClick(f.BStat, Qt::LeftButton);

        StatisticsWindow* w = f.statistics->Window();
        QVERIFY(w);
        QVERIFY(w->isVisible());
        QCOMPARE(w->Figure(Label(f, i18n::stat::Rows)), QString("4"));
        QCOMPARE(w->Figure(Label(f, i18n::stat::Passed)), QString("2"));
        QCOMPARE(w->Figure(Label(f, i18n::stat::Rejected)), QString("2"));
        QCOMPARE(w->Figure(Label(f, i18n::stat::PrimaryOut)), QString("2"));
        QCOMPARE(w->Figure(Label(f, i18n::stat::Yield)),
                 QString("50") + QLocale().decimalPoint() + "00");
        // The trend has a point per row and the two rejects in red.
        QCOMPARE(w->PrimaryPlot().values->count(), 4);
        QCOMPARE(w->PrimaryPlot().rejects->count(), 2);
        const double scale = w->PrimaryPlot().scale;
        QCOMPARE(w->PrimaryPlot().lower->at(0).y() * scale, 950.0);
        QCOMPARE(w->PrimaryPlot().upper->at(0).y() * scale, 1050.0);
        // The main window keeps the keyboard.
        QCOMPARE(QApplication::focusWidget(), focused);
        QVERIFY(!w->isActiveWindow());
    }

    void appendedRowsUpdateTheOpenWindow() {
        TForm1& f = *f_;
        Feed(f, 1000.0f);
        f.statistics->Shortcut()->trigger();
        StatisticsWindow* w = f.statistics->Window();
        QVERIFY(w && w->isVisible());
        QCOMPARE(w->Figure(Label(f, i18n::stat::Rows)), QString("1"));
        // One value has no spread yet.
        QCOMPARE(w->Figure(Label(f, i18n::stat::Primary) + ": " + Label(f, i18n::stat::StdDev)),
                 Label(f, i18n::stat::NotDefined));

        Feed(f, 1200.0f);
        Feed(f, 1010.0f);
        QTRY_COMPARE(w->Figure(Label(f, i18n::stat::Rows)), QString("3"));
        QCOMPARE(w->Figure(Label(f, i18n::stat::Passed)), QString("2"));
        QCOMPARE(w->PrimaryPlot().values->count(), 3);
        QVERIFY(w->Figure(Label(f, i18n::stat::Primary) + ": " + Label(f, i18n::stat::Cpk)) !=
                Label(f, i18n::stat::NotDefined));
    }

    void emptyingTheLogResetsTheFigures() {
        TForm1& f = *f_;
        for (float rs : {1000.0f, 1100.0f}) Feed(f, rs);
        f.statistics->BStatClick();
        StatisticsWindow* w = f.statistics->Window();
        QCOMPARE(w->Figure(Label(f, i18n::stat::Rows)), QString("2"));

        QTest::mouseClick(f.B5, Qt::LeftButton);
        QTRY_COMPARE(w->Figure(Label(f, i18n::stat::Rows)), QString("0"));
        QCOMPARE(w->Figure(Label(f, i18n::stat::Yield)), Label(f, i18n::stat::NotDefined));
        QCOMPARE(w->PrimaryPlot().values->count(), 0);
        QCOMPARE(w->PrimaryPlot().rejects->count(), 0);
        QCOMPARE(w->HistogramSeries()->count(), 0);

        // The next log starts from nothing.
        f.SP1->click();
        Feed(f, 1000.0f);
        QTRY_COMPARE(w->Figure(Label(f, i18n::stat::Rows)), QString("1"));
    }

    // A language change empties the log; the window then speaks the new language.
    void languageChangeRetitlesTheButtonAndTheTable() {
        TForm1& f = *f_;
        Feed(f, 1000.0f);
        f.statistics->BStatClick();
        f.lexicons.SetLanguage(testing_support::English());
        f.log->SetLogHeaders();
        QCOMPARE(f.BStat->text(), QString("Statistics"));
        StatisticsWindow* w = f.statistics->Window();
        QCOMPARE(w->windowTitle(), QString("Statistics"));
        QTRY_COMPARE(w->Figure("Rows"), QString("0"));
        QCOMPARE(w->Table()->horizontalHeaderItem(0)->text(), QString("All"));
    }

    void multiModeShowsAColumnPerEntry() {
        TForm1& f = *f_;
        f.CBox10->setCurrentIndex(RecordingControl::Multi);
        f.recording->CBox10Click();
        f.SP1->setEnabled(true);
        f.SP1->click();
        f.SE2->setValue(1);
        Feed(f, 1000.0f);
        Feed(f, 1100.0f);
        f.statistics->BStatClick();
        QTableWidget* table = f.statistics->Window()->Table();
        QCOMPARE(table->columnCount(), 2);
        QCOMPARE(table->horizontalHeaderItem(0)->text(), Label(f, i18n::stat::All));
        QVERIFY(table->horizontalHeaderItem(1)->text().startsWith("1"));
        QCOMPARE(f.statistics->Window()->Figure(Label(f, i18n::stat::Rows), 1), QString("2"));
    }

    // The same figures from the journal the window wrote, through the tool.
    void toolOnTheJournalGivesTheWindowsFigures() {
        TForm1& f = *f_;
        for (float rs : {1000.0f, 1100.0f, 990.0f, 1020.0f, 1049.0f, 951.0f, 1000.5f}) Feed(f, rs);
        f.statistics->BStatClick();
        const QString journal = f.log->JournalPath();
        QVERIFY(!journal.isEmpty());

        QProcess tool;
        tool.start(RLC_METER_PATH,
                   {"stats", "--format", "json", "--ref", "R=1k", "--tol", "5%", journal});
        QVERIFY(tool.waitForFinished(10000));
        QCOMPARE(tool.exitCode(), 0);
        const QJsonObject all =
            QJsonDocument::fromJson(tool.readAllStandardOutput()).object()["all"].toObject();
        const logcore::TFigures w = f.statistics->Data().figures.All().Figures();
        QCOMPARE(all["rows"].toInt(), 7);
        QCOMPARE(all["rows"].toInt(), static_cast<int>(w.counts.count));
        QCOMPARE(all["passed"].toInt(), static_cast<int>(w.counts.passed));
        QCOMPARE(all["primary_out"].toInt(), static_cast<int>(w.counts.primaryOut));
        const QJsonObject primary = all["primary"].toObject();
        QCOMPARE(primary["mean"].toDouble(), *w.primary.mean);
        QCOMPARE(primary["stddev"].toDouble(), *w.primary.stdDev);
        QCOMPARE(primary["min"].toDouble(), *w.primary.min);
        QCOMPARE(primary["max"].toDouble(), *w.primary.max);
        QCOMPARE(primary["cp"].toDouble(), *w.primary.cp);
        QCOMPARE(primary["cpk"].toDouble(), *w.primary.cpk);
        const QJsonObject secondary = all["secondary"].toObject();
        QCOMPARE(secondary["mean"].toDouble(), *w.secondary.mean);
        QCOMPARE(secondary["stddev"].toDouble(), *w.secondary.stdDev);

        // The text report reads like the window's table, line by line.
        QProcess text;
        text.start(RLC_METER_PATH, {"stats", "--decimal", QString(QLocale().decimalPoint()),
                                    "--ref", "R=1k", "--tol", "5%", journal});
        QVERIFY(text.waitForFinished(10000));
        const QStringList lines = QString::fromUtf8(text.readAllStandardOutput()).split('\n');
        QTableWidget* table = f.statistics->Window()->Table();
        QCOMPARE(lines.value(0), Label(f, i18n::stat::All));
        for (int r = 0; r < table->rowCount(); ++r)
            QCOMPARE(lines.value(r + 1), "  " + table->verticalHeaderItem(r)->text() + ": " +
                                             table->item(r, 0)->text());
    }

    // The axes: labels at round ticks with a grid line at each, whole numbers
    // on the count axes and the unit after an SI prefix on the value axes.
    void axesShowRoundTicksWithUnits() {
        TForm1& f = *f_;
        for (float rs : {1000.4f, 1003.25f, 1001.88f, 1004.6f, 999.0f, 1001.0f, 1002.0f, 1002.0f})
            Feed(f, rs);
        f.statistics->BStatClick();
        StatisticsWindow* w = f.statistics->Window();
        // Round ticks over the values and the 5 % band, in kiloohms: each label
        // is the value of its grid line, with two decimals at most (the old
        // ticks read 1001.88 and 1003.25, without a unit).
        const QStringList y = w->PrimaryPlot().y->categoriesLabels();
        QVERIFY(y.size() >= 3);
        const QString point = QRegularExpression::escape(QLocale().decimalPoint());
        const QRegularExpression shape("^(-?\\d+(?:" + point + "\\d{1,2})?) кОм$");
        for (const QString& label : y) {
            const QRegularExpressionMatch m = shape.match(label);
            QVERIFY2(m.hasMatch(), qPrintable(y.join(" | ")));
            const double value = m.captured(1).replace(QLocale().decimalPoint(), ".").toDouble();
            QVERIFY(qFuzzyCompare(value * 1000, w->PrimaryPlot().y->endValue(label) * 1000));
        }
        QCOMPARE(w->PrimaryPlot().scale, 1000.0);
        QCOMPARE(w->PrimaryPlot().y->max(), w->PrimaryPlot().y->endValue(y.last()));
        // Counts: each label is the height of its grid line, the top one too.
        for (QCategoryAxis* counts : {w->HistogramY(), w->PrimaryPlot().x}) {
            const QStringList labels = counts->categoriesLabels();
            QVERIFY(labels.size() >= 2);
            for (const QString& label : labels) {
                bool whole = false;
                QCOMPARE(label.toLong(&whole), static_cast<long>(counts->endValue(label)));
                QVERIFY2(whole, qPrintable(label));
            }
            QCOMPARE(counts->max(), counts->endValue(labels.last()));
            QCOMPARE(counts->min(), 0.0);
        }
        QVERIFY(w->HistogramY()->max() >= 7);  // seven rows within ±1 %: one bin
        // A second redraw keeps the secondary axis readable.
        Feed(f, 1001.0f);
        QTRY_COMPARE(w->Figure(Label(f, i18n::stat::Rows)), QString("9"));
        QVERIFY(!w->SecondaryPlot().chart->title().contains("10^"));
        for (const QString& label : w->SecondaryPlot().y->categoriesLabels())
            QVERIFY2(!label.contains('e'), qPrintable(label));
    }

    // Values of any magnitude get labelled axes: a Q near 3.4e-40 once drew a
    // plot without y labels (the chart took the span for empty), labels are
    // never cut to "…", and the figures carry their unit.
    void anyMagnitudeIsLabelledAndFiguresHaveUnits() {
        TForm1& f = *f_;
        for (float xs : {3.4e-37f, 3.41e-37f, 3.39e-37f}) Feed(f, 1000.0f, xs);
        for (int i = 0; i < 12; ++i) Feed(f, 1000.0f + static_cast<float>(i % 5), 3.4e-37f);
        f.statistics->BStatClick();
        StatisticsWindow* w = f.statistics->Window();
        QTRY_COMPARE(w->Figure(Label(f, i18n::stat::Rows)), QString("15"));
        QCategoryAxis* y = w->SecondaryPlot().y;
        const QStringList labels = y->categoriesLabels();
        QVERIFY2(labels.size() >= 2, qPrintable(labels.join(" | ")));
        QVERIFY2(labels.first().endsWith("e-40"), qPrintable(labels.join(" | ")));
        // The plotted span is one the chart draws.
        QVERIFY2(y->max() - y->min() > 1e-6, qPrintable(QString::number(y->max() - y->min())));
        const double scale = w->SecondaryPlot().scale;
        QVERIFY(qAbs(w->SecondaryPlot().values->at(0).y() * scale - 3.4e-40) < 1e-42);
        QApplication::processEvents();
        for (QCategoryAxis* axis : {w->PrimaryPlot().x, w->PrimaryPlot().y, w->SecondaryPlot().x, y,
                                    w->HistogramX(), w->HistogramY()})
            QTRY_VERIFY2(
                !axis->labelsTruncated(),
                qPrintable(axis->titleText() + ": " + axis->categoriesLabels().join(" | ")));

        const QString mean = Label(f, i18n::stat::Primary) + ": " + Label(f, i18n::stat::Mean);
        QVERIFY2(w->Figure(mean).endsWith(" кОм"), qPrintable(w->Figure(mean)));
        const QString q = Label(f, i18n::stat::Secondary) + ": " + Label(f, i18n::stat::Mean);
        QVERIFY2(w->Figure(q).endsWith("e-40"), qPrintable(w->Figure(q)));  // Q has no unit
    }

    // Before any row: each plot says there is nothing yet, without axes; the
    // histogram tells a missing percentage tolerance from the editor.
    void emptyWindowSaysThereIsNothingYet() {
        TForm1& f = *f_;
        f.statistics->BStatClick();
        StatisticsWindow* w = f.statistics->Window();
        const QString nothing =
            QString::fromStdString(f.lexicons.Dplot.GetItem(i18n::plot::NoRowsYet));
        QVERIFY2(w->PrimaryPlot().chart->title().contains(nothing),
                 qPrintable(w->PrimaryPlot().chart->title()));
        QVERIFY(!w->PrimaryPlot().x->isVisible());
        QVERIFY(!w->PrimaryPlot().y->isVisible());
        QCOMPARE(w->HistogramChart()->title(), nothing);  // 5 % is set in the editor
        f.CBox5->setCurrentIndex(0);                      // off
        QTRY_COMPARE(w->HistogramChart()->title(), Label(f, i18n::stat::NoPercentTolerance));
        f.CBox5->setCurrentText("5%");
        QTRY_COMPARE(w->HistogramChart()->title(), nothing);
        Feed(f, 1000.0f);
        QTRY_COMPARE(w->Figure(Label(f, i18n::stat::Rows)), QString("1"));
        QCOMPARE(w->PrimaryPlot().chart->title(), Label(f, i18n::stat::Primary));
        QVERIFY(w->PrimaryPlot().y->isVisible());
        QVERIFY(w->HistogramChart()->title().isEmpty());
    }

    // F7 opens and closes it from the main window; in the window itself F7
    // and Esc close it.
    void f7AndEscClose() {
        TForm1& f = *f_;
        f.statistics->Shortcut()->trigger();
        StatisticsWindow* w = f.statistics->Window();
        QVERIFY(w && w->isVisible());
        f.statistics->Shortcut()->trigger();
        QVERIFY(!w->isVisible());
        for (const Qt::Key key : {Qt::Key_Escape, Qt::Key_F7}) {
            QTest::mouseClick(f.BStat, Qt::LeftButton);
            QVERIFY(w->isVisible());
            QTest::keyClick(w, key);
            QVERIFY2(!w->isVisible(), qPrintable(QKeySequence(key).toString()));
        }
    }

  private:
    std::unique_ptr<FormFixture> fixture_;
    TForm1* f_ = nullptr;
};

QTEST_MAIN(StatisticsTest)
#include "test_statistics.moc"
