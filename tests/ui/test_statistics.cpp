#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QLineSeries>
#include <QLocale>
#include <QProcess>
#include <QPushButton>
#include <QScatterSeries>
#include <QTableWidget>
#include <QTest>

#include "app/log_table.h"
#include "app/main.h"
#include "control/recording_control.h"
#include "control/statistics_control.h"
#include "control/statistics_window.h"
#include "support/english.h"
#include "log/stat_report.h"
#include "protocol/frame.h"
#include "protocol/settings.h"
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

void Feed(TForm1& form, float rs) {
    const protocol::TMeasurementFrame frame = ResistorFrame(rs);
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
        QCOMPARE(w->PrimaryPlot().lower->at(0).y(), 950.0);
        QCOMPARE(w->PrimaryPlot().upper->at(0).y(), 1050.0);
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

  private:
    std::unique_ptr<FormFixture> fixture_;
    TForm1* f_ = nullptr;
};

QTEST_MAIN(StatisticsTest)
#include "test_statistics.moc"
