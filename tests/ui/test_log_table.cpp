// SPDX-License-Identifier: GPL-3.0-or-later
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

#include "app/log_grid.h"
#include "app/log_table.h"
#include "app/log_table_model.h"
#include "app/main.h"
#include "control/recording_control.h"
#include "display/contrast.h"
#include "support/form_fixture.h"
#include "support/rlcd_frames.h"

namespace {

const QStringList kHeaders = {"Позиция", "Время",   "Основной", "Дополнительн.", "Схема",
                              "Частота", "Уровень", "Брак",     "Основ.% откл.", "Допол.% откл."};

QStringList Row(const TForm1& f, int row) {
    QStringList cells;
    for (int c = 0; c < LogTableModel::kColumns; ++c) cells << f.SG->Cells().Cell(row, c);
    return cells;
}

QColor Background(const TForm1& f, int row, int column) {
    const LogTableModel& m = f.SG->Cells();
    return m.data(m.index(row - 1, column), Qt::BackgroundRole).value<QColor>();
}

QColor Foreground(const TForm1& f, int row, int column) {
    const LogTableModel& m = f.SG->Cells();
    return m.data(m.index(row - 1, column), Qt::ForegroundRole).value<QColor>();
}

display::TRgb Rgb(const QColor& c) {
    return {c.red(), c.green(), c.blue()};
}

const QColor kRed(255, 0, 0);
const QColor kGreen(0, 128, 0);

}  // namespace

// The log grid on the window: its layouts, the row append and the reject
// colours, with a comma locale.
class LogTableTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia)); }
    void init() {
        fixture_ = std::make_unique<FormFixture>();
        f_ = fixture_->form.get();
        f_->SB4->setChecked(false);
    }
    void cleanup() { fixture_.reset(); }

    void startUpShowsTheSixteenRowMeasurementLayout() {
        TForm1& f = *f_;
        QCOMPARE(f.SG->Cells().RowCount(), 16);
        QCOMPARE(f.SG->model()->rowCount(), 15);  // row 0 is the view's header
        QCOMPARE(Row(f, 0), kHeaders);
        for (int c = 0; c < LogTableModel::kColumns; ++c)
            QCOMPARE(f.SG->model()->headerData(c, Qt::Horizontal).toString(), kHeaders[c]);
        const int widths[] = {68, 133, 131, 128, 50, 83, 73, 96, 105, 107};
        for (int c = 0; c < LogTableModel::kColumns; ++c) QCOMPARE(f.SG->columnWidth(c), widths[c]);
        QCOMPARE(f.SE1->value(), 1);
        for (int r = 1; r < 16; ++r) QCOMPARE(Row(f, r).join(""), QString());
    }

    void threeHeldReportsFillRowsOneToThree() {
        TForm1& f = *f_;
        for (int i = 0; i < 3; ++i) FeedRlcd(f, {.hold = true});
        for (int r = 1; r <= 3; ++r) {
            const QStringList row = Row(f, r);
            QCOMPARE(row[0], QString::number(r));
            QVERIFY2(
                QRegularExpression(R"(^\d\d\.\d\d\.\d\d \d\d:\d\d:\d\d$)").match(row[1]).hasMatch(),
                qPrintable(row[1]));
            QCOMPARE(row[2], f.L_Prim_RLC->text() + " " + f.L_prim_n->text());
            QCOMPARE(row[3], f.L_Sec_RLC->text() + " " + f.L_sec_n->text());
            QCOMPARE(row[4], f.L_SER_PER1->text());  // the circuit letter
            // Both tolerances off: no reject mark, no deviations.
            QCOMPARE(row[7], QString());
            QCOMPARE(row[8], QString());
            QCOMPARE(row[9], QString());
        }
        QCOMPARE(Row(f, 4).join(""), QString());
        QCOMPARE(f.SE1->value(), 4);
        QCOMPARE(f.log->LogPosition(), 4);
        QCOMPARE(f.SG->Cells().RowCount(), 16);
        QCOMPARE(f.SG->Row(), 3);
    }

    void startPositionFortyGrowsTheGridAndMovesTheCursor() {
        TForm1& f = *f_;
        f.SE1->setValue(40);
        f.log->AppendLogRow();
        QCOMPARE(f.SG->Cells().RowCount(), 41);
        QCOMPARE(f.SG->Row(), 40);
        QCOMPARE(f.SG->Cells().Cell(40, 0), QString("40"));
        QCOMPARE(f.SE1->value(), 41);
    }

    void theLargestStartPositionIsHeld() {
        TForm1& f = *f_;
        f.SE1->setValue(100000);
        f.log->AppendLogRow();
        QCOMPARE(f.SG->Cells().RowCount(), 100001);
        QCOMPARE(f.SG->Cells().Cell(100000, 0), QString("100000"));
        QCOMPARE(f.SG->Row(), 100000);
    }

    void firstTwoPositionsLeaveTheCursorAlone() {
        TForm1& f = *f_;
        f.log->SelectGridCell(5, 2);
        f.log->AppendLogRow();
        f.log->AppendLogRow();
        QCOMPARE(f.SG->Row(), 5);
        f.log->AppendLogRow();
        QCOMPARE(f.SG->Row(), 3);
        QCOMPARE(f.SG->Col(), 2);
    }

    void bothTolerancesOffKeepAnOlderRejectMark() {
        TForm1& f = *f_;
        f.CBox5->setEditText("1%");  // 1000 Ω against 10000 Ω: a reject
        FeedRlcd(f, {});
        f.SE1->setValue(1);
        f.log->AppendLogRow();
        QCOMPARE(f.SG->Cells().Cell(1, 7), QString("+"));
        f.CBox5->setEditText(f.CBox5->itemText(0));
        FeedRlcd(f, {});
        f.SE1->setValue(1);
        f.log->AppendLogRow();
        QCOMPARE(f.SG->Cells().Cell(1, 7), QString("+"));
        QCOMPARE(f.SG->Cells().Cell(1, 8), QString());
    }

    // Each row keeps the colours of its own verdict, whatever later readings do.
    void rejectColoursFollowEachRowsOwnVerdict() {
        TForm1& f = *f_;
        f.CBox5->setEditText("1%");
        f.CBox51->setEditText("1%");
        f.E11->setText("1000");                   // secondary R against 1000 Ω
        FeedRlcd(f, {.rs = 2000, .hold = true});  // primary out, secondary out
        f.E2->setText("2000");
        FeedRlcd(f, {.rs = 2000, .hold = true});  // primary in, secondary out
        f.E11->setText("2000");
        FeedRlcd(f, {.rs = 2000, .hold = true});  // both in
        f.E2->setText("1000");
        FeedRlcd(f, {.rs = 2000, .hold = true});  // primary out only

        struct Expected {
            QString mark;
            QColor c7, c8, c9;
        };
        const Expected rows[] = {{"+", kRed, kRed, kRed},
                                 {"+", kRed, QColor(), kRed},
                                 {"-", kGreen, QColor(), QColor()},
                                 {"+", kRed, kRed, QColor()}};
        for (int r = 1; r <= 4; ++r) {
            const Expected& e = rows[r - 1];
            QCOMPARE(f.SG->Cells().Cell(r, 7), e.mark);
            QCOMPARE(Background(f, r, 7), e.c7);
            QCOMPARE(Background(f, r, 8), e.c8);
            QCOMPARE(Background(f, r, 9), e.c9);
            for (int c = 0; c < 7; ++c) QCOMPARE(Background(f, r, c), QColor());
            // Every coloured cell's text is readable on it (WCAG AA); the old
            // pass cell drew black on the dark green (4.1:1).
            for (int c = 7; c <= 9; ++c) {
                const QColor fill = Background(f, r, c);
                if (!fill.isValid()) continue;
                const QColor text = Foreground(f, r, c);
                QVERIFY2(text.isValid(), qPrintable(QString("row %1 column %2").arg(r).arg(c)));
                QVERIFY(display::ContrastRatio(Rgb(text), Rgb(fill)) >= display::kReadableContrast);
            }
        }
        QCOMPARE(f.SG->Cells().Cell(1, 8), QString("-80,00"));
        QCOMPARE(f.SG->Cells().Cell(1, 9), QString("100,00"));
        QCOMPARE(f.SG->Cells().Cell(3, 9), QString("0,00"));
        // The header row is never coloured.
        QCOMPARE(f.SG->model()->headerData(7, Qt::Horizontal, Qt::BackgroundRole), QVariant());
    }

    void rlcScreenTurnsRedOnARejectAndBackOnAPass() {
        TForm1& f = *f_;
        const QColor neutral = f.Panel_RLCD->palette().color(QPalette::Window);
        f.CBox5->setEditText("5%");
        FeedRlcd(f, {.rs = 2000});
        QCOMPARE(f.Panel_RLCD->palette().color(QPalette::Window), kRed);
        QVERIFY(f.Panel_RD->palette().color(QPalette::Window) != kRed);
        f.E2->setText("2000");
        FeedRlcd(f, {.rs = 2000});
        QCOMPARE(f.Panel_RLCD->palette().color(QPalette::Window), neutral);
        // A power-save report is not checked: the colour stays.
        f.E2->setText("");
        FeedRlcd(f, {.powerSave = true});
        QCOMPARE(f.Panel_RLCD->palette().color(QPalette::Window), neutral);
        QCOMPARE(f.SG->Cells().Cell(1, 0), QString());
    }

    void singlePartGridRefusesTheUsersCursorWhileStopped() {
        TForm1& f = *f_;
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        f.log->SelectGridCell(1, 0);
        const QModelIndex target = f.SG->model()->index(4, 3);
        QTest::mouseClick(f.SG->viewport(), Qt::LeftButton, {}, f.SG->visualRect(target).center());
        QCOMPARE(f.SG->Row(), 1);
        QCOMPARE(f.SG->Col(), 0);
        QTest::keyClick(f.SG, Qt::Key_Down);
        QCOMPARE(f.SG->Row(), 1);

        // Multi mode allows it.
        f.CBox10->setCurrentIndex(1);
        f.recording->CBox10Click();
        f.SG->Cells().SetRowCount(10);
        QTest::mouseClick(f.SG->viewport(), Qt::LeftButton, {}, f.SG->visualRect(target).center());
        QCOMPARE(f.SG->Row(), 5);
        QCOMPARE(f.SG->Col(), 3);
    }

    void multiModeClickLoadsTheEntryOnlyFromTheFirstFourColumns() {
        TForm1& f = *f_;
        QList<int> loaded;
        f.profiles.ProfileCount = [] { return 3; };
        f.profiles.LoadProfileEntry = [&loaded](int n) { loaded << n; };
        f.CBox6->clear();
        f.CBox6->addItems({"R1", "C2", "L3"});
        f.SE2->setMaximum(4);
        f.log->SGMouseUp(2, 5);  // single-part mode: nothing
        f.CBox10->setCurrentIndex(1);
        f.log->SGMouseUp(2, 5);
        f.log->SGMouseUp(4, 1);   // below the last entry
        f.log->SGMouseUp(-1, 1);  // the header
        QVERIFY(loaded.isEmpty());
        f.log->SGMouseUp(2, 3);
        QCOMPARE(loaded, QList<int>{2});
        QCOMPARE(f.SE2->value(), 2);
        QCOMPARE(f.CBox6->currentText(), QString("C2"));
    }

  private:
    std::unique_ptr<FormFixture> fixture_;
    TForm1* f_ = nullptr;
};

QTEST_MAIN(LogTableTest)
#include "test_log_table.moc"
