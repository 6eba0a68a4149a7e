// SPDX-License-Identifier: GPL-3.0-or-later
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "app/log_grid.h"
#include "app/log_table.h"
#include "app/log_table_model.h"
#include "app/main.h"
#include "connection/connection_manager.h"
#include "connection/serial_link.h"
#include "log/journal.h"
#include "support/demo_session.h"

// Recording from the simulated meter through the real serial code: rows appear
// in the grid as reports arrive, and the journal holds the same rows.
class RecordingSessionTest : public QObject {
    Q_OBJECT

  private slots:
    void init() {
        session_ = std::make_unique<DemoSession>();
        QVERIFY(session_->Show());
    }
    void cleanup() { session_.reset(); }

    void startRecordsReportsIntoTheGridAndTheJournal() {
        TForm1& f = *session_->form;
        QTRY_VERIFY_WITH_TIMEOUT(!f.connection->Serial().ProbeRunning(), 3000);
        f.connection->T3Timer();
        QTRY_VERIFY_WITH_TIMEOUT(f.B2->isEnabled(), 3000);
        QTest::mouseClick(f.B2, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(f.state.MeterConnected, 3000);
        QTRY_VERIFY_WITH_TIMEOUT(f.SP1->isEnabled(), 3000);
        QTRY_VERIFY_WITH_TIMEOUT(f.L_prim_n->text().contains("Ом"), 5000);

        QTest::mouseClick(f.SP1, Qt::LeftButton);
        QVERIFY(f.SP1->isChecked());
        const LogTableModel& cells = f.SG->Cells();
        QTRY_VERIFY_WITH_TIMEOUT(!cells.Cell(3, 0).isEmpty(), 15000);
        QTest::mouseClick(f.SP1, Qt::LeftButton);
        QVERIFY(!f.SP1->isChecked());
        const int rows = f.log->LogPosition() - 1;
        QVERIFY(rows >= 3);
        for (int r = 1; r <= rows; ++r) {
            QCOMPARE(cells.Cell(r, 0), QString::number(r));
            QCOMPARE(cells.Cell(r, 2), f.L_Prim_RLC->text() + " " + f.L_prim_n->text());
        }
        QCOMPARE(cells.Cell(rows + 1, 0), QString());

        const auto journal = logcore::ReadJournalFile(f.log->JournalPath().toStdString());
        QVERIFY(journal.problems.empty());
        QCOMPARE(journal.rows.size(), static_cast<std::size_t>(rows));
        for (int r = 1; r <= rows; ++r) {
            const logcore::TJournalRow& line = journal.rows[static_cast<std::size_t>(r - 1)];
            QCOMPARE(line.position, long(r));
            QVERIFY(line.mode == logcore::TLogMode::Single);
            for (int c = 0; c < LogTableModel::kColumns; ++c)
                QCOMPARE(QString::fromStdString(line.cells[static_cast<std::size_t>(c)]),
                         cells.Cell(r, c));
            QVERIFY(line.Rs > 990 && line.Rs < 1010);  // the simulated 1 kΩ part
            QVERIFY(line.primary.has_value());
        }
    }

  private:
    std::unique_ptr<DemoSession> session_;
};

QTEST_MAIN(RecordingSessionTest)
#include "test_recording_session.moc"
