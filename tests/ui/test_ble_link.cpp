// SPDX-License-Identifier: GPL-3.0-or-later
#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "app/demo_radio.h"
#include "app/main.h"
#include "connection/ble_link.h"
#include "connection/command_sender.h"
#include "connection/connection_manager.h"
#include "protocol/command.h"
#include "support/ble_radio.h"
#include "support/form_fixture.h"

Q_DECLARE_METATYPE(std::vector<TRadioDevice>)
Q_DECLARE_METATYPE(TBleFailure)
Q_DECLARE_METATYPE(TRadioKind)

using namespace ble_test;

namespace {

QByteArray Frame(sim::TSimMeter& meter) {
    const protocol::TMeasurementFrame f = meter.BuildFrame();
    return QByteArray(reinterpret_cast<const char*>(f.data()), static_cast<qsizetype>(f.size()));
}

TRadioDevice Other(const char* name, int ms) {
    return {name, TRadioKind::Other, ms};
}
TRadioDevice Meter(const char* name, int ms) {
    return {name, TRadioKind::Meter, ms};
}

}  // namespace

// The direct Bluetooth LE link's handlers with the simulated radio and meter:
// events arrive from the event loop as they would from a platform stack.
class BleLinkTest : public QObject {
    Q_OBJECT

  private slots:
    void init() {
        auto radio = std::make_unique<DemoRadio>(ExactMeter());
        radio_ = radio.get();
        fixture_ = std::make_unique<FormFixture>(nullptr, std::move(radio));
        f_ = fixture_->form.get();
        f_->T3->stop();  // the tests tick the watch themselves
    }
    void cleanup() {
        fixture_.reset();
        radio_ = nullptr;
    }

    void theMeterIsPickedOutOfTheFoundDevices_data() {
        QTest::addColumn<std::vector<TRadioDevice>>("devices");
        QTest::addColumn<QStringList>("log");
        QTest::addColumn<int>("chosen");

        // Two found at once: both are in the list when the first event is handled.
        QTest::newRow("the later of two RU15D")
            << std::vector{Other("RU15D", 40), Meter("RU15D", 40)}
            << QStringList{"DEV2", "RU15D", "RU15D", "Services scan off"} << 1;
        QTest::newRow("VU15R1 after another device")
            << std::vector{Other("Phone", 30), Meter("VU15R1", 60)}
            << QStringList{"DEV1", "Phone", "DEV2", "Phone", "VU15R1", "Services scan off"} << 1;
        // Each event writes the whole list again.
        QTest::newRow("near misses are not chosen")
            << std::vector{Other("VU15R1x", 30), Other("vu15r1", 60), Other("RU15D ", 90),
                           Other("ru15d", 90)}
            << QStringList{"DEV1",   "VU15R1x", "DEV2",    "VU15R1x",
                           "vu15r1", "DEV4",    "VU15R1x", "vu15r1",
                           "RU15D ", "ru15d",   "DEV4",    "VU15R1x",
                           "vu15r1", "RU15D ",  "ru15d",   "BLEEndDiscoverDevices",
                           kNotFound}
            << -1;
    }
    void theMeterIsPickedOutOfTheFoundDevices() {
        QFETCH(std::vector<TRadioDevice>, devices);
        QFETCH(QStringList, log);
        QFETCH(int, chosen);
        TForm1& f = *f_;
        radio_->SetDevices(devices);
        f.connection->B2Click();
        QVERIFY(f.state.Scanning);
        if (chosen >= 0) {
            QTRY_VERIFY_WITH_TIMEOUT(f.state.MeterConnected, kLinkTimeoutMs);
            QCOMPARE(radio_->ChosenDevice(), chosen);
        } else {
            QTRY_VERIFY_WITH_TIMEOUT(!f.state.Scanning, kLinkTimeoutMs);
            // The request is over: the button comes back.
            QCOMPARE(f.B2->text(), QString("Подключить"));
            QVERIFY(f.T2->isActive());
            QVERIFY(!f.state.MeterConnected);
        }
        const QStringList written = LogFrom(f, log.first());
        QCOMPARE(written.mid(0, log.size()), log);
        if (chosen < 0) QCOMPARE(written.size(), log.size());
    }

    void aFoundMeterStopsTheWatchUntilTheServiceDiscovery() {
        TForm1& f = *f_;
        f.T3->start();
        f.connection->B2Click();
        QTRY_VERIFY_WITH_TIMEOUT(f.T14->isActive(), kLinkTimeoutMs);
        QVERIFY(!f.T3->isActive());
        QVERIFY(!f.state.Scanning);
        QCOMPARE(radio_->ServiceRequests(), 0);
        f.connection->BleHandlers().T14Timer();
        QVERIFY(!f.T14->isActive());
        QCOMPARE(radio_->ServiceRequests(), 1);
        QCOMPARE(LogLines(f).last(), QString("Services scan off"));
        QTRY_VERIFY_WITH_TIMEOUT(f.state.MeterConnected, kLinkTimeoutMs);
        QVERIFY(f.state.BleLinkUp);
        QCOMPARE(radio_->ServiceRequests(), 1);  // requested once
        QCOMPARE(LogFrom(f, "Services scan off"),
                 (QStringList{"Services scan off", "Services tuning", "Characteristic tuning",
                              "Подключено"}));
    }

    // With auto-connect on, a search that finds nothing is simply repeated.
    void autoConnectSearchesAgainOnTheNextWatchTick() {
        TForm1& f = *f_;
        radio_->SetDevices({Other("Phone", 30)});
        QTest::mouseClick(f.CheckBox_connect_auto, Qt::LeftButton);
        f.connection->T3Timer();
        QCOMPARE(radio_->DiscoveriesStarted(), 1);
        f.connection->T3Timer();  // a search is running: no second one
        QCOMPARE(radio_->DiscoveriesStarted(), 1);
        QTRY_VERIFY_WITH_TIMEOUT(!f.state.Scanning, kLinkTimeoutMs);
        QCOMPARE(LogLines(f).last(), QString("BLEEndDiscoverDevices"));
        QCOMPARE(f.B2->text(), QString("Подключить"));
        QVERIFY(!f.B2->isEnabled());
        f.connection->T3Timer();
        QCOMPARE(radio_->DiscoveriesStarted(), 2);
    }

    void aDeviceThatCarriesNoMeterDataIsLetGo_data() {
        QTest::addColumn<TRadioKind>("kind");
        QTest::addColumn<QStringList>("log");
        QTest::newRow("no services at all")
            << TRadioKind::NoServices
            << QStringList{"Services tuning", "Services error", "Отключено"};
        QTest::newRow("no meter service") << TRadioKind::Other
                                          << QStringList{"Services tuning", "Characteristic tuning",
                                                         "Characteristic error1", "Отключено"};
        QTest::newRow("notifications refused")
            << TRadioKind::NoNotify
            << QStringList{"Services tuning", "Characteristic tuning", "Characteristic error",
                           "Отключено"};
    }
    void aDeviceThatCarriesNoMeterDataIsLetGo() {
        QFETCH(TRadioKind, kind);
        QFETCH(QStringList, log);
        TForm1& f = *f_;
        radio_->SetDevices({{"RU15D", kind, 30}});
        f.connection->B2Click();
        QTRY_VERIFY_WITH_TIMEOUT(LogLines(f).contains("Отключено"), kLinkTimeoutMs);
        QCOMPARE(LogFrom(f, "Services tuning"), log);
        QVERIFY(!f.state.MeterConnected && !f.state.BleLinkUp);
        QCOMPARE(radio_->Subscriptions(), 0);
        // Not stuck: the button and the watch work again, the radio rests until then.
        QCOMPARE(f.B2->text(), QString("Подключить"));
        QVERIFY(f.T2->isActive() && f.T3->isActive());
        QVERIFY(!radio_->Enabled());
    }

    // Qt's stack may report the services more than once; one subscription only.
    void servicesReportedTwiceSubscribeOnce() {
        TForm1& f = *f_;
        radio_->ReportServicesTwice(true);
        f.connection->B2Click();
        QTRY_VERIFY_WITH_TIMEOUT(f.state.MeterConnected, kLinkTimeoutMs);
        QTRY_COMPARE_WITH_TIMEOUT(LogLines(f).count("Services tuning"), 2, kLinkTimeoutMs);
        QCOMPARE(LogLines(f).count("Characteristic tuning"), 2);
        QCOMPARE(radio_->Subscriptions(), 1);
        QCOMPARE(LogLines(f).count("Подключено"), 1);
    }

    void notifications_data() {
        QTest::addColumn<int>("extraBytes");  // added to (or cut from) one frame
        QTest::addColumn<int>("paused");
        QTest::addColumn<bool>("decoded");
        QTest::newRow("a frame") << 0 << 0 << true;
        QTest::newRow("a frame while decoding is paused is lost") << 0 << 1 << false;
        QTest::newRow("one byte short") << -1 << 0 << false;
        QTest::newRow("one byte over") << 1 << 0 << false;
        QTest::newRow("two frames in one value") << 18 << 0 << false;
    }
    void notifications() {
        QFETCH(int, extraBytes);
        QFETCH(int, paused);
        QFETCH(bool, decoded);
        TForm1& f = *f_;
        QByteArray value = Frame(radio_->Meter());
        if (extraBytes < 0)
            value.chop(-extraBytes);
        else
            value.append(value.left(extraBytes));
        f.SB4->setChecked(false);  // as when connected: frames reach the screen
        f.state.DecodePaused = paused;
        f.connection->BleHandlers().BLECharacteristicRead(value);
        QCOMPARE(f.T33->isActive(), decoded);  // every shown frame restarts the blanking
        QCOMPARE(!f.L_prim_n->text().isEmpty(), decoded);
    }

    void discoveryThatCannotStart_data() {
        QTest::addColumn<TBleFailure>("why");
        QTest::addColumn<QString>("reason");
        QTest::newRow("no radio")
            << TBleFailure::NoRadio
            << "Bluetooth LE: нет радиомодуля или не запущена служба Bluetooth";
        QTest::newRow("radio off") << TBleFailure::RadioOff << "Bluetooth LE: радиомодуль выключен";
        QTest::newRow("permission refused") << TBleFailure::PermissionRefused
                                            << "Bluetooth LE: нет разрешения на работу с Bluetooth";
        QTest::newRow("unsupported")
            << TBleFailure::Unsupported << "Bluetooth LE: поиск устройств здесь не поддерживается";
        QTest::newRow("other") << TBleFailure::Other << "Bluetooth LE: ошибка поиска устройств";
    }
    // The button must never stay blank and disabled, and the log says why once.
    void discoveryThatCannotStart() {
        QFETCH(TBleFailure, why);
        QFETCH(QString, reason);
        TForm1& f = *f_;
        radio_->FailDiscoveryStart(why);
        f.connection->B2Click();
        QCOMPARE(LogLines(f).mid(LogLines(f).size() - 2), (QStringList{kScanFailed, reason}));
        QVERIFY(!f.state.UseDirectBle && !f.state.Scanning);
        QCOMPARE(f.B2->text(), QString("Подключить"));
        QVERIFY(f.B2->isEnabled());
        QVERIFY(f.T3->isActive());  // still watching for an adapter

        // The watch does not retry on its own...
        QTest::mouseClick(f.CheckBox_connect_auto, Qt::LeftButton);
        const int lines = LogLines(f).size();
        f.connection->T3Timer();
        QCOMPARE(LogLines(f).size(), lines);
        // ...but asking again tries the radio again, and it may work now.
        QTest::mouseClick(f.CheckBox_connect_auto, Qt::LeftButton);
        radio_->FailDiscoveryStart(std::nullopt);
        f.connection->B2Click();
        QVERIFY(f.state.UseDirectBle && f.state.Scanning);
        QCOMPARE(radio_->DiscoveriesStarted(), 1);
        QTRY_VERIFY_WITH_TIMEOUT(f.state.MeterConnected, kLinkTimeoutMs);
    }

    // Auto-connect keeps the button disabled; when the radio fails and no
    // adapter is there, the button is the only way left.
    void failedDiscoveryUnderAutoConnectGivesTheButtonBack() {
        TForm1& f = *f_;
        QTest::mouseClick(f.CheckBox_connect_auto, Qt::LeftButton);
        QVERIFY(!f.B2->isEnabled());
        radio_->FailDiscoveryStart(TBleFailure::RadioOff);
        f.connection->T3Timer();
        QVERIFY(LogLines(f).contains(kScanFailed));
        QVERIFY(f.B2->isEnabled());
        QCOMPARE(f.B2->text(), QString("Подключить"));
        QVERIFY(f.T3->isActive());
    }

    void breakingOffAfterTheStartIsAFailureToo() {
        TForm1& f = *f_;
        f.connection->B2Click();
        QVERIFY(f.state.Scanning);
        radio_->CancelDiscovery();  // the platform's search dies: no devices, no end
        f.connection->BleHandlers().BLEDiscoveryFailed(TBleFailure::Other);
        QVERIFY(LogLines(f).contains(kScanFailed));
        QVERIFY(!f.state.Scanning && !f.state.UseDirectBle);
        QCOMPARE(f.B2->text(), QString("Подключить"));
        QVERIFY(f.B2->isEnabled());
    }

    void switchedOffTheRadioDeliversNothing() {
        TForm1& f = *f_;
        f.connection->B2Click();
        radio_->SetEnabled(false);
        QTest::qWait(600);
        QVERIFY(!LogLines(f).contains("DEV1"));
        QVERIFY(!f.T14->isActive());
    }

  private:
    std::unique_ptr<FormFixture> fixture_;
    DemoRadio* radio_ = nullptr;
    TForm1* f_ = nullptr;
};

QTEST_MAIN(BleLinkTest)
#include "test_ble_link.moc"
