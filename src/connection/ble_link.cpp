// SPDX-License-Identifier: GPL-3.0-or-later
#include "connection/ble_link.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <span>

#include "app/enable_timer.h"
#include "app/main.h"
#include "app/program_state.h"
#include "connection/connection_manager.h"
#include "protocol/frame.h"

namespace {
constexpr quint16 kMeterService = 0xFFE0;
constexpr quint16 kMeterCharacteristic = 0xFFE1;
}  // namespace

BleLink::BleLink(TForm1& form, TProgramState& state, BleCentral& central,
                 ConnectionManager& manager, QObject* parent)
    : QObject(parent), form_(form), state_(state), central_(central), manager_(manager) {
    connect(form_.T14, &QTimer::timeout, this, &BleLink::T14Timer);
}

bool BleLink::IsMeterName(const QString& name) {
    return name == QLatin1String("RU15D") || name == QLatin1String("VU15R1");
}

QBluetoothUuid BleLink::ServiceUuid() {
    return QBluetoothUuid(kMeterService);
}

QBluetoothUuid BleLink::CharacteristicUuid() {
    return QBluetoothUuid(kMeterCharacteristic);
}

void BleLink::Log(const QString& line) {
    form_.Memo1->appendPlainText(line);
}

void BleLink::BLEDiscoverLEDevice() {
    const QStringList devices = central_.DiscoveredDevices();
    Log("DEV" + QString::number(devices.size()));
    int match = -1;
    for (int i = 0; i < devices.size(); ++i) {
        Log(devices[i]);
        if (IsMeterName(devices[i])) match = i;  // the last one wins
    }
    if (match < 0) return;
    central_.CancelDiscovery();
    central_.ChooseDevice(match);
    deviceChosen_ = true;
    subscribeRequested_ = false;
    state_.Scanning = false;
    form_.T3->stop();
    form_.T14->start();
}

void BleLink::BLEEndDiscoverDevices() {
    Log("BLEEndDiscoverDevices");
    state_.Scanning = false;
    if (!deviceChosen_) manager_.BleMeterNotFound();
}

void BleLink::BLEDiscoveryFailed(TBleFailure why) {
    manager_.BleDiscoveryFailed(why);
}

void BleLink::T14Timer() {
    form_.T14->stop();
    // One request is enough: the platform reports the services on this thread.
    central_.DiscoverServices();
    Log("Services scan off");
}

void BleLink::BLEServicesDiscovered(const QList<QBluetoothUuid>& services) {
    Log("Services tuning");
    if (services.isEmpty()) {
        Log("Services error");
        DropUnusableDevice();
        return;
    }
    Log("Characteristic tuning");
    if (!central_.HasService(ServiceUuid())) {
        Log("Characteristic error1");
        DropUnusableDevice();
        return;
    }
    if (subscribeRequested_) return;
    subscribeRequested_ = true;
    if (!central_.Subscribe(ServiceUuid(), CharacteristicUuid())) {
        Log("Characteristic error");
        DropUnusableDevice();
    }
}

void BleLink::BLESubscribeFailed() {
    Log("Characteristic error");
    DropUnusableDevice();
}

// A device that carries no meter data would hold the window in a request that
// never ends (the watch stopped, the button blank): let it go, as if it had
// disconnected, so the button and auto-connect work again.
void BleLink::DropUnusableDevice() {
    central_.Disconnect();
    BLEDisconnect();
}

void BleLink::BLEConnect() {
    state_.BleLinkUp = true;
    manager_.EnterConnectedState();
}

void BleLink::BLEDisconnect() {
    subscribeRequested_ = false;
    deviceChosen_ = false;
    form_.T14->stop();
    state_.BleLinkUp = false;
    manager_.EnterDisconnectedState();
    state_.Scanning = false;
    central_.SetEnabled(false);
}

void BleLink::BLECharacteristicRead(const QByteArray& value) {
    if (state_.DecodePaused == 1) return;
    if (value.size() != static_cast<qsizetype>(protocol::kFrameSize)) return;
    manager_.DecodeMeasurementFrame(
        std::span(reinterpret_cast<const std::uint8_t*>(value.constData()), protocol::kFrameSize));
}
