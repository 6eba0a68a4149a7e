// SPDX-License-Identifier: GPL-3.0-or-later
#include <QBluetoothLocalDevice>
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "app/demo_radio.h"
#include "app/main.h"
#include "connection/command_sender.h"
#include "connection/connection_manager.h"
#include "link/qt_ble_central.h"
#include "protocol/command.h"
#include "support/ble_radio.h"
#include "support/form_fixture.h"
#include "support/pty_port.h"
#include "support/shown_form.h"

using namespace ble_test;

// The whole road on a shown window: connect, frames, a command, a lost link and
// the automatic way back.
class BleSessionTest : public QObject {
    Q_OBJECT

  private slots:
    void linkDropsAndComesBackWithAutoConnect() {
        auto owned = std::make_unique<DemoRadio>(ExactMeter());
        DemoRadio& radio = *owned;
        FormFixture fixture(nullptr, std::move(owned));
        TForm1& f = *fixture.form;
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        QTest::mouseClick(f.CheckBox_connect_auto, Qt::LeftButton);

        f.connection->T3Timer();
        QTRY_VERIFY_WITH_TIMEOUT(f.state.MeterConnected, kLinkTimeoutMs);
        QCOMPARE(f.B2->text(), QString("Отключить"));
        // A second after connecting the meter is woken (brightness bit set: SP4 is up).
        QTRY_VERIFY_WITH_TIMEOUT(!radio.Writes().isEmpty(), kLinkTimeoutMs);
        QCOMPARE(radio.Writes().first(), QByteArray::fromHex("C0010101 0A01 0000"));
        QTRY_VERIFY_WITH_TIMEOUT(f.L_prim_n->text().endsWith("Ом"), kLinkTimeoutMs);
        QVERIFY(f.Panel_RLCD->isVisible());

        // A frequency choice reaches the meter as the 8-byte form, and it obeys.
        const qsizetype before = radio.Writes().size();
        QTest::mouseClick(f.L_freq_RLC, Qt::LeftButton);
        QVERIFY(ClickItem(f.ListBox_freq_RLC, 3));
        QCOMPARE(radio.Writes().size(), before + 1);
        QCOMPARE(radio.Writes().last(), QByteArray::fromHex("41038021 0A01 0000"));
        QCOMPARE(radio.Meter().Settings().FreqIndex(), 3);
        QCOMPARE(radio.Meter().Settings().FreqAuto(), 0);

        radio.GoOutOfRange();
        QTRY_VERIFY_WITH_TIMEOUT(!f.state.MeterConnected, kLinkTimeoutMs);
        QCOMPARE(f.B2->text(), QString("Подключить"));
        QVERIFY(LogLines(f).contains("Отключено"));
        QVERIFY(f.T3->isActive());
        QVERIFY(f.L_prim_n->text().isEmpty());

        // Back in reach: the watch's own ticks find it again and readings resume.
        radio.ComeBack();
        QTRY_VERIFY_WITH_TIMEOUT(f.state.MeterConnected, 4 * kLinkTimeoutMs);
        QTRY_VERIFY_WITH_TIMEOUT(f.L_prim_n->text().endsWith("Ом"), kLinkTimeoutMs);
        QVERIFY(!f.B2->isEnabled());  // auto-connect keeps it
    }

    void powerOffFromTheWindowEndsTheLink() {
        auto owned = std::make_unique<DemoRadio>(ExactMeter());
        DemoRadio& radio = *owned;
        FormFixture fixture(nullptr, std::move(owned));
        TForm1& f = *fixture.form;
        f.T3->stop();
        f.connection->B2Click();
        QTRY_VERIFY_WITH_TIMEOUT(f.state.MeterConnected, kLinkTimeoutMs);
        f.connection->Commands().SendFunctionCommand(protocol::FnPowerOff);
        QCOMPARE(radio.Writes().last().size(), 8);
        QTRY_VERIFY_WITH_TIMEOUT(!f.state.MeterConnected, kLinkTimeoutMs);
        QVERIFY(!radio.Linked());
    }

    void disconnectButtonDropsTheLinkAtOnce() {
        auto owned = std::make_unique<DemoRadio>(ExactMeter());
        DemoRadio& radio = *owned;
        FormFixture fixture(nullptr, std::move(owned));
        TForm1& f = *fixture.form;
        f.T3->stop();
        f.connection->B2Click();
        QTRY_VERIFY_WITH_TIMEOUT(f.state.MeterConnected, kLinkTimeoutMs);
        f.connection->T2Timer();
        f.connection->B2Click();
        QVERIFY(!f.state.MeterConnected && !f.state.BleLinkUp);
        QVERIFY(!radio.Linked() && !radio.Enabled());
        QCOMPARE(LogLines(f).count("Отключено"), 1);
        QTest::qWait(1500);  // no frame and no second disconnect come late
        QVERIFY(f.L_prim_n->text().isEmpty());
        QCOMPARE(LogLines(f).count("Отключено"), 1);
    }
};

// The adapter and the radio together: the adapter wins.
class AdapterOverRadioTest : public QObject {
    Q_OBJECT

  private slots:
    void connectUsesTheAdapterOnly() {
        PtyPort port;
        auto owned = std::make_unique<DemoRadio>(ExactMeter());
        DemoRadio& radio = *owned;
        FormFixture fixture(std::make_unique<FixedPortLocator>(port.Path()), std::move(owned));
        TForm1& f = *fixture.form;
        QVERIFY(f.connection->Serial().FindAdapterPort());
        port.Drain();
        f.connection->B2Click();
        QCOMPARE(port.Read(8), QByteArray("AT+CONNL"));
        QVERIFY(!f.state.UseDirectBle && !f.state.Scanning);
        QCOMPARE(radio.DiscoveriesStarted(), 0);
        f.connection->T3Timer();
        QCOMPARE(radio.DiscoveriesStarted(), 0);
    }

    // Connected over the radio, an adapter that appears takes the commands.
    void commandsGoToTheAdapterOnceItIsThere() {
        PtyPort port;
        auto ownedLocator = std::make_unique<FixedPortLocator>(QString());
        FixedPortLocator& locator = *ownedLocator;
        auto owned = std::make_unique<DemoRadio>(ExactMeter());
        DemoRadio& radio = *owned;
        FormFixture fixture(std::move(ownedLocator), std::move(owned));
        TForm1& f = *fixture.form;
        f.T3->stop();
        f.connection->B2Click();
        QTRY_VERIFY_WITH_TIMEOUT(f.state.MeterConnected, kLinkTimeoutMs);
        locator.SetPath(port.Path());
        QVERIFY(f.connection->Serial().FindAdapterPort());
        port.Drain();
        const qsizetype writes = radio.Writes().size();
        f.connection->Commands().SendFunctionCommand(protocol::FnRd);
        QCOMPARE(port.Read(6), QByteArray::fromHex("C2010101 0A01"));
        QCOMPARE(radio.Writes().size(), writes);
    }
};

// The real Qt Bluetooth central on a machine with no radio (and no Bluetooth
// daemon): starting with auto-connect on must end in the failure path.
class RealCentralTest : public QObject {
    Q_OBJECT

  private slots:
    void startWithAutoConnectAndNoRadio() {
        if (!QBluetoothLocalDevice::allDevices().isEmpty())
            QSKIP("this machine has a Bluetooth radio");
        QTemporaryDir dir;
        QByteArray dat(206, '\0');
        dat[204] = 1;  // auto-connect
        QFile file(dir.path() + "/1.dat");
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(dat);
        file.close();

        TForm1Ports ports;
        ports.ble = std::make_unique<QtBleCentral>();
        ports.settingsFolder = dir.path();
        TForm1 f(std::move(ports));
        f.show();
        QVERIFY(f.CheckBox_connect_auto->isChecked());
        QVERIFY(!f.B2->isEnabled());
        // The watch's first tick comes 2.5 s after start.
        QTRY_VERIFY_WITH_TIMEOUT(LogLines(f).contains(kScanFailed), kLinkTimeoutMs);
        QCOMPARE(LogLines(f).last(),
                 QString("Bluetooth LE: нет радиомодуля или не запущена служба Bluetooth"));
        QVERIFY(!f.state.UseDirectBle && !f.state.Scanning);
        QVERIFY(f.B2->isEnabled());
        QCOMPARE(f.B2->text(), QString("Подключить"));

        // A click tries once more and gives the button straight back.
        QTest::mouseClick(f.B2, Qt::LeftButton);
        QCOMPARE(LogLines(f).count(kScanFailed), 2);
        QCOMPARE(f.B2->text(), QString("Подключить"));
        QVERIFY(f.B2->isEnabled());
        f.close();
    }
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    int status = 0;
    {
        BleSessionTest t;
        status |= QTest::qExec(&t, argc, argv);
    }
    {
        AdapterOverRadioTest t;
        status |= QTest::qExec(&t, argc, argv);
    }
    {
        RealCentralTest t;
        status |= QTest::qExec(&t, argc, argv);
    }
    return status;
}

#include "test_ble_session.moc"
