// SPDX-License-Identifier: GPL-3.0-or-later
#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

#include "app/main.h"
#include "connection/command_sender.h"
#include "connection/connection_manager.h"
#include "connection/serial_link.h"
#include "control/picker_control.h"
#include "support/demo_session.h"

// A whole session: the window's real serial code opens a pseudo-terminal served
// by the simulated adapter and meter, exactly as with --demo.
class DemoSessionTest : public QObject {
    Q_OBJECT

  private slots:
    void init() {
        session_ = std::make_unique<DemoSession>();
        form_ = session_->form.get();
        meter_ = session_->meter.get();
        QVERIFY(session_->Show());
    }
    void cleanup() { session_.reset(); }

    void probeConnectMeasureChangeAndLose() {
        TForm1& f = *form_;
        SerialAdapterLink& serial = f.connection->Serial();
        // The start-up probe is answered: no message box, the port stays usable.
        QTRY_VERIFY_WITH_TIMEOUT(!serial.ProbeRunning(), 3000);
        QVERIFY(meter_->Received().contains("ATAT"));
        QVERIFY(!f.findChild<QWidget*>("qt_msgbox_label"));

        f.connection->T3Timer();  // the watch takes the port over, as after 2.5 s
        QVERIFY(serial.IsOpen());
        QTRY_VERIFY_WITH_TIMEOUT(f.B2->isEnabled(), 3000);
        QTest::mouseClick(f.B2, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(f.state.MeterConnected, 3000);
        QCOMPARE(f.B2->text(), QString("Отключить"));
        QVERIFY(meter_->Meter().Linked());

        // Frames reach the RLC screen.
        QTRY_VERIFY_WITH_TIMEOUT(f.L_prim_n->text().contains("Ом"), 5000);

        // A settings change reaches the meter as the exact six bytes.
        f.T4->stop();
        f.state.DecodePaused = 0;
        const qsizetype before = meter_->Received().size();
        const bool soundWasOn = f.SP2->isChecked();
        QTest::mouseClick(f.SP2, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(meter_->Received().size() >= before + 6, 2000);
        const QByteArray sent = meter_->Received().mid(before, 6);
        const protocol::TCommandFrame& expected = f.connection->Commands().LastFrame();
        QCOMPARE(sent, QByteArray(reinterpret_cast<const char*>(expected.data()), 6));
        QCOMPARE((std::uint8_t(sent.at(2)) & 0x80) != 0, !soundWasOn);
        QTRY_VERIFY_WITH_TIMEOUT((meter_->Meter().Settings().Sound() == 1) == !soundWasOn, 2000);

        // Disconnecting drops the radio link; the adapter's "OK+LOST" ends the session.
        QTRY_VERIFY_WITH_TIMEOUT(f.B2->isEnabled(), 5000);  // T2 gives the button back
        QTest::mouseClick(f.B2, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!f.state.MeterConnected, 3000);
        QCOMPARE(f.B2->text(), QString("Подключить"));
        QVERIFY(f.T3->isActive());
        QVERIFY(!meter_->Meter().Linked());
    }

    // The adapter tells commands apart only by a pause. Reopening the port
    // drops the radio link with "AT" and auto-connect follows at once with
    // "AT+CONNL": both must arrive as commands of their own, so the first
    // attempt connects. Once the link is down no wake command goes out.
    void commandsReachTheAdapterApart() {
        TForm1& f = *form_;
        QTRY_VERIFY_WITH_TIMEOUT(!f.connection->Serial().ProbeRunning(), 3000);
        f.CheckBox_connect_auto->setChecked(true);
        const qsizetype before = meter_->ReceivedCommands().size();
        f.connection->T3Timer();  // closes the probe's port, reopens it, connects
        f.T3->stop();             // no second attempt: the first one must do
        QTRY_VERIFY_WITH_TIMEOUT(f.state.MeterConnected, 3000);
        QCOMPARE(meter_->ReceivedCommands().mid(before), (QList<QByteArray>{"AT", "AT+CONNL"}));

        meter_->Meter().PowerOff();  // the meter goes away: "OK+LOST"
        QTRY_VERIFY_WITH_TIMEOUT(!f.state.MeterConnected, 3000);
        const qsizetype afterLoss = meter_->ReceivedCommands().size();
        f.connection->T34Timer();  // a wake tick due just before the reconnect
        f.connection->T3Timer();
        QTest::qWait(300);
        QCOMPARE(meter_->ReceivedCommands().mid(afterLoss), (QList<QByteArray>{"AT+CONNL"}));
    }

    // The demo's resistor, with its loss factor D chosen on the screen as a
    // person chooses it: a plain number, not the 1E41 of a reactance of zero.
    void resistorShowsASaneLossFactor() {
        TForm1& f = *form_;
        QVERIFY(session_->ConnectByClick());

        QTest::mouseClick(f.L_Sec_RLC, Qt::LeftButton);
        QListWidget* list = f.ListBox_sec_RLC;
        QVERIFY(list->isVisible());
        const QRect d = list->visualItemRect(list->item(3));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, d.center());
        f.pickers->ClosePickers();
        QTRY_VERIFY_WITH_TIMEOUT(meter_->Meter().Settings().SecIndex() == 3, 3000);
        QTRY_COMPARE_WITH_TIMEOUT(f.L_Sec_RLC->text(), QString("D"), 5000);
        QTRY_VERIFY_WITH_TIMEOUT(!f.L_sec_n->text().trimmed().isEmpty(), 5000);
        const QString shown = f.L_sec_n->text();
        const QRegularExpressionMatch exponent = QRegularExpression("E(\\d+)").match(shown);
        QVERIFY2(!exponent.hasMatch() || exponent.captured(1).toInt() < 10, qPrintable(shown));
    }

  private:
    std::unique_ptr<DemoSession> session_;
    TForm1* form_ = nullptr;
    DemoMeter* meter_ = nullptr;
};

QTEST_MAIN(DemoSessionTest)
#include "test_demo_session.moc"
