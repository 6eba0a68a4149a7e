// SPDX-License-Identifier: GPL-3.0-or-later
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include "app/main.h"
#include "connection/connection_manager.h"
#include "connection/serial_link.h"
#include "support/demo_session.h"

// The window's buttons and pickers against the simulated meter: a request goes
// out, the meter obeys, and the screen follows what the meter then reports.
class ModeButtonsTest : public QObject {
    Q_OBJECT

  private slots:
    void init() {
        session_ = std::make_unique<DemoSession>();
        form_ = session_->form.get();
        meter_ = session_->meter.get();
        QVERIFY(session_->Show());

        QVERIFY(session_->ConnectByClick());
    }
    void cleanup() { session_.reset(); }

    void rdButtonSwitchesTheMeterAndTheScreen() {
        TForm1& f = *form_;
        QTest::mouseClick(f.Button1, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(f.Panel_RD->isVisible(), 5000);
        QCOMPARE(meter_->Meter().Mode(), protocol::TDisplayMode::Rd);
        QVERIFY(!f.Panel_RLCD->isVisible() && !f.Panel_U->isVisible());
        QCOMPARE(f.RD_prim_R->text(), QString("R"));
        QVERIFY(f.RD_Prim->text().contains("Ом"));
        QVERIFY(f.Im_Diod->pixmap().toImage() == f.ImList1[2].toImage());
        QVERIFY(!f.SP3->isEnabled());

        QTest::mouseClick(f.Button2, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(f.Panel_RLCD->isVisible(), 5000);
        QVERIFY(!f.Panel_RD->isVisible());
        QVERIFY(f.SP3->isEnabled());
    }

    void uButtonSwitchesTheMeterAndTheScreen() {
        TForm1& f = *form_;
        QTest::mouseClick(f.Button3, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(f.Panel_U->isVisible(), 5000);
        QCOMPARE(meter_->Meter().Mode(), protocol::TDisplayMode::U);
        QVERIFY(f.U_vrm->text().startsWith("Vскз="));
    }

    void pickerChoiceReachesTheMeterAndComesBack() {
        TForm1& f = *form_;
        QTest::mouseClick(f.L_freq_RLC, Qt::LeftButton);
        QListWidget* list = f.ListBox_freq_RLC;
        list->scrollToItem(list->item(1));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(list->item(1)).center());
        QCOMPARE(f.L_freq_RLC->text(), QString("100Гц"));
        QTRY_COMPARE_WITH_TIMEOUT(int(meter_->Meter().Settings().FreqIndex()), 1, 3000);
        // The meter's next report carries the setting back; the auto marker is a blank.
        QTRY_COMPARE_WITH_TIMEOUT(f.L_freq_RLC->text(), QString(" 100Гц"), 5000);
        QCOMPARE(f.screen.State().FrequencyHz, 100);
        QCOMPARE(f.ListBox_freq_RLC->currentRow(), 1);
    }

  private:
    std::unique_ptr<DemoSession> session_;
    TForm1* form_ = nullptr;
    DemoMeter* meter_ = nullptr;
};

QTEST_MAIN(ModeButtonsTest)
#include "test_mode_buttons.moc"
