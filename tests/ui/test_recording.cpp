// SPDX-License-Identifier: GPL-3.0-or-later
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include "app/log_grid.h"
#include "app/log_table.h"
#include "app/log_table_model.h"
#include "app/main.h"
#include "connection/command_sender.h"
#include "connection/connection_manager.h"
#include "control/recording_control.h"
#include "log/journal.h"
#include "protocol/command.h"
#include "support/rlcd_frames.h"
#include "support/shown_form.h"

namespace {

// The space key as the user presses it: it starts at the focused control.
void PressSpace(TForm1& f) {
    QWidget* target = QApplication::focusWidget();
    if (!target || target->window() != &f) target = &f;
    QTest::keyClick(target, Qt::Key_Space);
}

int FilledRows(const TForm1& f) {
    int n = 0;
    for (int r = 1; r < f.SG->Cells().RowCount(); ++r)
        if (!f.SG->Cells().Cell(r, 0).isEmpty()) ++n;
    return n;
}

logcore::TJournalContents Journal(const QString& path) {
    return logcore::ReadJournalFile(path.toStdString());
}

}  // namespace

// Recording on a shown, connected window whose adapter is a pseudo-terminal.
class RecordingTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia)); }
    void init() {
        w_ = std::make_unique<ShownForm>();
        QVERIFY(w_->Start());
        w_->Connect();
        w_->form->SP1->setEnabled(true);
    }
    void cleanup() { w_.reset(); }

    void spaceRecordsOnlyWhenEveryConditionHolds_data() {
        QTest::addColumn<QString>("blocker");
        QTest::newRow("none") << "";
        QTest::newRow("decoding paused") << "paused";
        QTest::newRow("profile editing") << "SB4";
        QTest::newRow("recording running") << "SP1";
        QTest::newRow("not connected") << "disconnected";
        QTest::newRow("meter asleep") << "power save";
    }
    void spaceRecordsOnlyWhenEveryConditionHolds() {
        QFETCH(QString, blocker);
        TForm1& f = *w_->form;
        FeedRlcd(f, {});
        if (blocker == "paused") f.state.DecodePaused = 1;
        if (blocker == "SB4") f.SB4->setChecked(true);
        if (blocker == "SP1") f.SP1->setChecked(true);
        if (blocker == "disconnected") f.state.MeterConnected = false;
        if (blocker == "power save") FeedRlcd(f, {.powerSave = true});
        PressSpace(f);
        const bool recorded = blocker.isEmpty();
        QCOMPARE(FilledRows(f), recorded ? 1 : 0);
        QCOMPARE(f.SE1->value(), recorded ? 2 : 1);
        if (recorded) QCOMPARE(f.SG->Cells().Cell(1, 0), QString("1"));
    }

    void spaceInMultiModePreparesTheGridFirst() {
        TForm1& f = *w_->form;
        UseProfile(f, {"R1", "C2", "L3"});
        f.CBox10->setCurrentIndex(1);
        f.recording->CBox10Click();
        f.SE2->setValue(2);
        FeedRlcd(f, {});
        PressSpace(f);
        QVERIFY(f.recording->MultiLogPrepared());
        QCOMPARE(f.SG->Cells().RowCount(), 4);
        QCOMPARE(f.SG->Cells().Cell(2, 1), QString("C2"));
        QCOMPARE(f.SG->Cells().Cell(2, 2), f.L_Prim_RLC->text() + " " + f.L_prim_n->text());
        QCOMPARE(f.SG->Cells().Cell(1, 2), QString());
    }

    // With no profile entries the grid is the header alone; the entry's row is
    // added rather than written where no one can see it.
    void multiRowBeyondTheGridIsAdded() {
        TForm1& f = *w_->form;
        f.CBox10->setCurrentIndex(1);
        f.recording->CBox10Click();
        QCOMPARE(f.SG->Cells().RowCount(), 1);
        FeedRlcd(f, {});
        PressSpace(f);
        QCOMPARE(f.SG->Cells().RowCount(), 2);
        QCOMPARE(f.SG->Cells().Cell(1, 0), QString("1"));
        QCOMPARE(f.SG->model()->rowCount(), 1);
    }

    // Running: every shown report without hold is a row; stopped: only held ones.
    void appendRuleFollowsStartStopAndHold_data() {
        QTest::addColumn<bool>("running");
        QTest::addColumn<bool>("hold");
        QTest::addColumn<bool>("row");
        QTest::newRow("running, live") << true << false << true;
        QTest::newRow("running, held") << true << true << false;
        QTest::newRow("stopped, live") << false << false << false;
        QTest::newRow("stopped, held") << false << true << true;
    }
    void appendRuleFollowsStartStopAndHold() {
        QFETCH(bool, running);
        QFETCH(bool, hold);
        QFETCH(bool, row);
        TForm1& f = *w_->form;
        if (running) QTest::mouseClick(f.SP1, Qt::LeftButton);
        QCOMPARE(f.SP1->isChecked(), running);
        FeedRlcd(f, {.hold = hold});
        FeedRlcd(f, {.hold = hold});
        QCOMPARE(FilledRows(f), row ? 2 : 0);
        FeedRlcd(f, {.hold = hold, .powerSave = true});
        QCOMPARE(FilledRows(f), row ? 2 : 0);
    }

    void startAndStopSwitchCaptionGridAndHold() {
        TForm1& f = *w_->form;
        QTest::mouseClick(f.SP1, Qt::LeftButton);
        QCOMPARE(f.SP1->text(), QString("Стоп"));
        QVERIFY(f.SG->Locked());
        QVERIFY(!f.SP3->isEnabled());
        QTest::mouseClick(f.SP1, Qt::LeftButton);
        QCOMPARE(f.SP1->text(), QString("Пуск"));
        QVERIFY(!f.SG->Locked());
        QVERIFY(f.SP3->isEnabled());
    }

    // While recording the grid is drawn as usual (a disabled grid greys every
    // cell and its colours) but a click does not move its cursor, though the
    // log would allow a selection during a run.
    void gridIsLockedNotGreyedWhileRecording() {
        TForm1& f = *w_->form;
        const QModelIndex target = f.SG->model()->index(2, 3);
        QVERIFY(target.isValid());
        QTest::mouseClick(f.SP1, Qt::LeftButton);
        QVERIFY(f.SG->isEnabled());
        QVERIFY(f.SG->SelectionAllowed());
        const QModelIndex before = f.SG->currentIndex();
        QTest::mouseClick(f.SG->viewport(), Qt::LeftButton, {}, f.SG->visualRect(target).center());
        QCOMPARE(f.SG->currentIndex(), before);
        QTest::mouseClick(f.SP1, Qt::LeftButton);
        QVERIFY(!f.SG->Locked());
    }

    void multiRunRewritesTheChosenEntrysRow() {
        TForm1& f = *w_->form;
        UseProfile(f, {"R1", "C2", "L3"});
        f.CBox10->setCurrentIndex(1);
        f.recording->CBox10Click();
        f.SE2->setValue(3);
        QTest::mouseClick(f.SP1, Qt::LeftButton);
        QCOMPARE(f.SG->Cells().RowCount(), 4);
        for (int i = 1; i <= 3; ++i) QCOMPARE(f.SG->Cells().Cell(i, 0), QString::number(i));
        QCOMPARE(f.SG->Cells().Cell(0, 1), QString("Наименование"));
        QCOMPARE(f.SG->Cells().Cell(0, 2), QString("Основной"));
        FeedRlcd(f, {.rs = 1000});
        FeedRlcd(f, {.rs = 1500});
        QCOMPARE(f.SG->Cells().Cell(3, 1), QString("L3"));
        QVERIFY(f.SG->Cells().Cell(3, 2).contains("1,5"));
        QCOMPARE(f.SG->Cells().Cell(1, 2), QString());
        QCOMPARE(f.SG->Cells().Cell(2, 2), QString());
        QCOMPARE(f.SE2->value(), 3);
        QCOMPARE(f.SG->Cells().RowCount(), 4);
        // Both reports are in the journal, the rewrite as a line of its own.
        const auto journal = Journal(f.log->JournalPath());
        QCOMPARE(journal.rows.size(), std::size_t{2});
        QCOMPARE(journal.rows[1].name, std::string("L3"));
        QCOMPARE(journal.rows[1].position, 3L);
    }

    void modeSwitchReleasesStartAndChangesTheLayout() {
        TForm1& f = *w_->form;
        QTest::mouseClick(f.SP1, Qt::LeftButton);
        FeedRlcd(f, {});
        QCOMPARE(FilledRows(f), 1);

        f.CBox10->setCurrentIndex(1);
        f.recording->CBox10Click();
        QVERIFY(!f.SP1->isChecked());
        QCOMPARE(f.SP1->text(), QString("Пуск"));
        QVERIFY(!f.SG->Locked());
        QVERIFY(!f.B5->isEnabled());
        QVERIFY(!f.recording->MultiLogPrepared());
        QCOMPARE(f.SG->Cells().Cell(0, 1), QString("Наименование"));
        QCOMPARE(f.SG->Cells().Cell(0, 8), QString("Нач.позиция"));
        QCOMPARE(f.SG->Cells().Cell(0, 9), QString());
        QCOMPARE(f.SG->Cells().RowCount(), 1);  // no profile entries

        f.CBox10->setCurrentIndex(0);
        f.recording->CBox10Click();
        QVERIFY(f.B5->isEnabled());
        QCOMPARE(f.SG->Cells().RowCount(), 16);
        QCOMPARE(f.SG->Cells().Cell(0, 1), QString("Время"));
        QCOMPARE(FilledRows(f), 0);
        QCOMPARE(f.SG->Row(), 1);
        QCOMPARE(f.SG->Col(), 0);
    }

    void clearReleasesStartAndEmptiesTheLog() {
        TForm1& f = *w_->form;
        f.SE1->setValue(30);
        QTest::mouseClick(f.SP1, Qt::LeftButton);
        FeedRlcd(f, {});
        QCOMPARE(f.SG->Cells().RowCount(), 31);
        QTest::mouseClick(f.B5, Qt::LeftButton);
        QVERIFY(!f.SP1->isChecked());
        QCOMPARE(f.SP1->text(), QString("Пуск"));
        QCOMPARE(f.SG->Cells().RowCount(), 16);
        QCOMPARE(f.SE1->value(), 1);
        QCOMPARE(FilledRows(f), 0);
    }

    void reportIntervalIsSentAsRate_data() {
        QTest::addColumn<int>("item");
        QTest::addColumn<int>("rate");
        QTest::addColumn<QByteArray>("command");
        QTest::newRow("0.5 s") << 0 << 3 << QByteArray::fromHex("412480310A01");
        QTest::newRow("1 s") << 1 << 2 << QByteArray::fromHex("412480210A01");
        QTest::newRow("2 s") << 2 << 1 << QByteArray::fromHex("412480110A01");
    }
    void reportIntervalIsSentAsRate() {
        QFETCH(int, item);
        QFETCH(int, rate);
        QFETCH(QByteArray, command);
        TForm1& f = *w_->form;
        f.CB1->setCurrentIndex(item);
        emit f.CB1->activated(item);
        QCOMPARE(f.screen.Settings().Rate(), rate);
        QCOMPARE(f.state.DecodePaused, 1);
        const QByteArray sent = w_->port.Read(6);
        QCOMPARE(sent, command);
        const auto parsed = protocol::ParseCommandFrame(
            std::span(reinterpret_cast<const std::uint8_t*>(sent.constData()), 6));
        QVERIFY(parsed);
        QCOMPARE(std::get<protocol::TSettingsCommand>(*parsed).rate, rate);
    }

    void openingTheIntervalListPausesDecoding() {
        TForm1& f = *w_->form;
        f.state.DecodePaused = 0;
        f.CB1->showPopup();
        QCOMPARE(f.state.DecodePaused, 1);
        f.CB1->hidePopup();
    }

    void entryArrowsLoadEntriesButNotTheFreeSlot() {
        TForm1& f = *w_->form;
        QList<int> loaded;
        UseProfile(f, {"R1", "C2"});
        f.profiles.LoadProfileEntry = [&loaded](int n) { loaded << n; };
        f.CBox10->setCurrentIndex(1);
        f.recording->CBox10Click();
        f.SE2->setValue(1);
        f.SE2->stepBy(1);
        QCOMPARE(loaded, QList<int>{2});
        QCOMPARE(f.SG->Row(), 2);
        QCOMPARE(f.SG->Col(), 1);
        QVERIFY(f.BB2->isEnabled());
        f.SE2->stepBy(1);  // the free slot
        QCOMPARE(loaded, QList<int>{2});
        QVERIFY(!f.BB2->isEnabled());
        f.SE2->stepBy(-1);
        QCOMPARE(loaded, (QList<int>{2, 2}));
    }

    // Rows go to the journal as they are appended; each emptied log starts a file.
    void journalHoldsEveryRowAndStartsAFilePerLog() {
        TForm1& f = *w_->form;
        for (int i = 0; i < 3; ++i) FeedRlcd(f, {.rs = 1000.0f + i, .hold = true});
        const QString first = f.log->JournalPath();
        QVERIFY(first.startsWith(w_->fixture->settingsDir.path() + "/journal/"));
        auto journal = Journal(first);
        QVERIFY(journal.problems.empty());
        QCOMPARE(journal.rows.size(), std::size_t{3});
        for (int r = 1; r <= 3; ++r) {
            const logcore::TJournalRow& line = journal.rows[static_cast<std::size_t>(r - 1)];
            for (int c = 0; c < LogTableModel::kColumns; ++c)
                QCOMPARE(QString::fromStdString(line.cells[static_cast<std::size_t>(c)]),
                         f.SG->Cells().Cell(r, c));
            QCOMPARE(line.position, long(r));
            QCOMPARE(line.Rs, 1000.0 + r - 1);
        }
        QTest::mouseClick(f.B5, Qt::LeftButton);
        QTest::qWait(1100);  // a new file is named after its first row's second
        FeedRlcd(f, {.hold = true});
        QVERIFY(f.log->JournalPath() != first);
        QCOMPARE(Journal(f.log->JournalPath()).rows.size(), std::size_t{1});
        QCOMPARE(Journal(first).rows.size(), std::size_t{3});
    }

    void unwritableJournalShowsOneLineAndRecordingGoesOn() {
        TForm1& f = *w_->form;
        // A file where the journal folder should be.
        QFile blocker(w_->fixture->settingsDir.path() + "/journal");
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        const int before = f.Memo1->blockCount();
        for (int i = 0; i < 3; ++i) FeedRlcd(f, {.hold = true});
        QCOMPARE(FilledRows(f), 3);
        QCOMPARE(f.Memo1->blockCount(), before + 1);
        QVERIFY(f.Memo1->toPlainText().contains("Журнал не записывается"));
    }

  private:
    static void UseProfile(TForm1& f, const QStringList& names) {
        const int count = static_cast<int>(names.size());
        f.profiles.ProfileCount = [count] { return count; };
        f.state.ProfileCount = count;
        f.profiles.ReopenProfile = [] { return false; };
        f.CBox6->clear();
        f.CBox6->addItems(names);
        f.SE2->setMaximum(count + 1);
    }

    std::unique_ptr<ShownForm> w_;
};

QTEST_MAIN(RecordingTest)
#include "test_recording.moc"
