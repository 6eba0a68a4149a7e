// SPDX-License-Identifier: GPL-3.0-or-later
#include <QAction>
#include <QChart>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineSeries>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>
#include <complex>
#include <numbers>

#include "app/log_grid.h"
#include "app/log_table_model.h"
#include "app/main.h"
#include "control/recording_control.h"
#include "control/sweep_control.h"
#include "control/sweep_window.h"
#include "support/demo_session.h"

namespace {

// A series RC of 1 kΩ and 100 nF, as the test works it out itself.
std::complex<double> SeriesRc(double hz) {
    return {1000.0, -1.0 / (2 * std::numbers::pi * hz * 100e-9)};
}

double Cell(const QTableWidget* t, int row, int column) {
    return QLocale().toDouble(t->item(row, column)->text());
}

// Ticks only the frequencies whose labels are listed.
void TickOnly(QListWidget* list, const QStringList& labels) {
    for (int r = 0; r < list->count(); ++r)
        list->item(r)->setCheckState(labels.contains(list->item(r)->text()) ? Qt::Checked
                                                                            : Qt::Unchecked);
}

}  // namespace

// The sweep window over the window's real serial link and the simulated meter.
class SweepWindowTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia)); }
    void init() {
        session_ = std::make_unique<DemoSession>("RC=1k,100n");
        QVERIFY(session_->Show());
        QVERIFY(session_->ConnectByClick("Ф"));
        TForm1& f = *session_->form;
        // The fastest report interval, as a person would choose it first.
        f.CB1->setCurrentIndex(0);
        emit f.CB1->activated(0);
        QTRY_COMPARE_WITH_TIMEOUT(session_->meter->Meter().Settings().Rate(), 3, 3000);
    }
    void cleanup() { session_.reset(); }

    // F8 (or the button) opens the window; a sweep fills the table and the
    // curves with the part's impedance, keeps the log untouched, blocks a
    // run while it goes and leaves the meter as it found it.
    void sweepFillsTableAndCurvesAndRestoresTheMeter() {
        TForm1& f = *session_->form;
        const protocol::TMeterSettings before = session_->meter->Meter().Settings();
        f.sweep->Shortcut()->trigger();
        SweepWindow* w = f.sweep->Window();
        QVERIFY(w && w->isVisible());
        QCOMPARE(w->FrequencyList()->count(), 14);
        QVERIFY(w->StartButton()->isEnabled());
        TickOnly(w->FrequencyList(), {"100 Гц", "1 кГц", "10 кГц", "100 кГц"});
        w->ReadingsBox()->setValue(2);

        QTest::mouseClick(w->StartButton(), Qt::LeftButton);
        QVERIFY(f.sweep->Running());
        QCOMPARE(w->StartButton()->text(), QString("Стоп"));
        QVERIFY2(!f.SP1->isEnabled(), "a run could start during a sweep");
        QTRY_VERIFY_WITH_TIMEOUT(!f.sweep->Running(), 60000);

        const QTableWidget* t = w->Table();
        QCOMPARE(t->rowCount(), 4);
        const double hz[] = {100, 1000, 10000, 100000};
        for (int r = 0; r < 4; ++r) {
            QCOMPARE(Cell(t, r, 0), hz[r]);
            const std::complex<double> z = SeriesRc(hz[r]);
            QVERIFY2(std::abs(Cell(t, r, 1) / std::abs(z) - 1) < 0.01,
                     qPrintable(t->item(r, 1)->text()));
            QVERIFY(std::abs(Cell(t, r, 2) - std::arg(z) * 180 / std::numbers::pi) < 0.6);
            QVERIFY(std::abs(Cell(t, r, 6) / 100e-9 - 1) < 0.01);  // C
            QCOMPARE(t->item(r, 10)->text(), QString("да"));
        }
        auto* z = qobject_cast<QLineSeries*>(w->ImpedanceChart()->series().value(0));
        QVERIFY(z);
        QCOMPARE(z->count(), 4);
        QCOMPARE(w->PhaseChart()->series().size(), 1);
        QVERIFY(w->Status()->text().contains("4"));

        // The meter is back as it was; a run may start again; no row was logged.
        QTRY_VERIFY_WITH_TIMEOUT(
            session_->meter->Meter().Settings().FreqIndex() == before.FreqIndex(), 3000);
        const protocol::TMeterSettings after = session_->meter->Meter().Settings();
        QCOMPARE(after.FreqAuto(), before.FreqAuto());
        QCOMPARE(after.LevelIndex(), before.LevelIndex());
        QCOMPARE(after.Series(), before.Series());
        QVERIFY(f.SP1->isEnabled());
        QVERIFY(f.SG->Cells().Cell(1, 0).isEmpty());

        // A second sweep is overlaid with its own name.
        f.CBox6->setEditText("C7");
        TickOnly(w->FrequencyList(), {"1 кГц"});
        QTest::mouseClick(w->StartButton(), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!f.sweep->Running(), 30000);
        QCOMPARE(w->PhaseChart()->series().size(), 2);
        QCOMPARE(w->PhaseChart()->series().at(1)->name(), QString("C7"));
        QCOMPARE(w->Table()->rowCount(), 1);

        // Saved points and plots: CSV, workbook, PNG and SVG.
        QTemporaryDir dir;
        for (const char* name : {"p.csv", "p.xlsx", "plot.png", "plot.svg"}) {
            const QString path = dir.filePath(name);
            f.sweep->SetChooser([&path](bool) { return path; });
            const bool plot = QString(name).startsWith("plot");
            QPushButton* save =
                w->findChild<QPushButton*>(plot ? "SweepSavePlot" : "SweepSavePoints");
            QTest::mouseClick(save, Qt::LeftButton);
            QFile file(path);
            QVERIFY2(file.open(QIODevice::ReadOnly), name);
            const QByteArray head = file.read(8);
            if (QString(name).endsWith("csv")) QVERIFY(head.startsWith("frequenc"));
            if (QString(name).endsWith("xlsx")) QVERIFY(head.startsWith("PK"));
            if (QString(name).endsWith("png")) QVERIFY(head.startsWith("\x89PNG"));
            if (QString(name).endsWith("svg")) QVERIFY(head.startsWith("<?xml"));
            QVERIFY(w->Status()->text().endsWith(path));
        }
    }

    // A run and a sweep exclude each other both ways; Stop ends a sweep at
    // once and still puts the meter back.
    void runAndSweepExcludeEachOtherAndStopRestores() {
        TForm1& f = *session_->form;
        const protocol::TMeterSettings before = session_->meter->Meter().Settings();
        f.sweep->BSweepClick();
        SweepWindow* w = f.sweep->Window();
        QTest::mouseClick(f.SP1, Qt::LeftButton);
        QVERIFY(f.SP1->isChecked());
        QVERIFY(!w->StartButton()->isEnabled());
        QCOMPARE(w->Status()->text(),
                 QString("Идёт запись: остановите её, чтобы начать развёртку"));
        QTest::mouseClick(f.SP1, Qt::LeftButton);
        QVERIFY(w->StartButton()->isEnabled());

        QTest::mouseClick(w->StartButton(), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(
            session_->meter->Meter().Settings().FreqIndex() != before.FreqIndex() ||
                w->Table()->rowCount() > 0,
            5000);
        QTest::mouseClick(w->StartButton(), Qt::LeftButton);
        QVERIFY(!f.sweep->Running());
        QCOMPARE(w->StartButton()->text(), QString("Пуск"));
        QTRY_VERIFY_WITH_TIMEOUT(
            session_->meter->Meter().Settings().FreqIndex() == before.FreqIndex(), 3000);
        QCOMPARE(session_->meter->Meter().Settings().FreqAuto(), before.FreqAuto());
        QVERIFY(f.SP1->isEnabled());
    }

    // With profile editing on no command reaches the meter: the sweep ends at
    // once and says why, instead of timing out point after point.
    void heldBackCommandsEndTheSweepWithTheReason() {
        TForm1& f = *session_->form;
        f.sweep->BSweepClick();
        SweepWindow* w = f.sweep->Window();
        f.SB4->setChecked(true);
        QTest::mouseClick(w->StartButton(), Qt::LeftButton);
        QVERIFY(!f.sweep->Running());
        QCOMPARE(w->Status()->text(),
                 QString("Команда не ушла к измерителю: выключите правку профиля"));
        QCOMPARE(w->StartButton()->text(), QString("Пуск"));
    }

  private:
    std::unique_ptr<DemoSession> session_;
};

QTEST_MAIN(SweepWindowTest)
#include "test_sweep_window.moc"
