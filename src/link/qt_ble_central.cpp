// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/qt_ble_central.h"

#include <QBluetoothLocalDevice>
#include <QLowEnergyDescriptor>

namespace {

// Client configuration values (little-endian bit 0: notify, bit 1: indicate).
const QByteArray kEnableNotification = QByteArray::fromHex("0100");
const QByteArray kEnableIndication = QByteArray::fromHex("0200");

bool SameDevice(const QBluetoothDeviceInfo& a, const QBluetoothDeviceInfo& b) {
    // Some platforms hide the address and give a per-host identifier instead.
    if (!a.address().isNull()) return a.address() == b.address();
    return !a.deviceUuid().isNull() && a.deviceUuid() == b.deviceUuid();
}

}  // namespace

QtBleCentral::QtBleCentral(QObject* parent) : QObject(parent) {
    setupWatchdog_.setSingleShot(true);
    setupWatchdog_.setInterval(kLinkSetupTimeoutMs);
    connect(&setupWatchdog_, &QTimer::timeout, this, &QtBleCentral::LinkLost);
}

QtBleCentral::~QtBleCentral() {
    gate_.SetOpen(false);
    if (agent_) agent_->disconnect(this);
    DropLink();
}

TBleFailure QtBleCentral::FailureOf(QBluetoothDeviceDiscoveryAgent::Error error) {
    using E = QBluetoothDeviceDiscoveryAgent;
    switch (error) {
        case E::PoweredOffError:
            return TBleFailure::RadioOff;
        case E::InvalidBluetoothAdapterError:
            return TBleFailure::NoRadio;
        case E::InputOutputError:
            // BlueZ reports a missing adapter and a missing daemon this way.
            return QBluetoothLocalDevice::allDevices().isEmpty() ? TBleFailure::NoRadio
                                                                 : TBleFailure::Other;
        case E::MissingPermissionsError:
        case E::LocationServiceTurnedOffError:
            return TBleFailure::PermissionRefused;
        case E::UnsupportedPlatformError:
        case E::UnsupportedDiscoveryMethod:
            return TBleFailure::Unsupported;
        default:
            return TBleFailure::Other;
    }
}

void QtBleCentral::SetEnabled(bool enabled) {
    gate_.SetOpen(enabled);
    if (enabled) return;
    if (agent_ && agent_->isActive()) agent_->stop();
    DropLink();
}

TDiscoveryStart QtBleCentral::StartDiscovery(int timeoutMs) {
    DropLink();
    devices_.clear();
    chosen_ = {};
    // A fresh agent each time: an agent keeps some errors and refuses to start again.
    if (agent_) {
        agent_->disconnect(this);
        agent_->stop();
        agent_->deleteLater();
    }
    agent_ = new QBluetoothDeviceDiscoveryAgent(this);
    agent_->setLowEnergyDiscoveryTimeout(timeoutMs);
    connect(agent_, &QBluetoothDeviceDiscoveryAgent::deviceDiscovered, this,
            &QtBleCentral::OnDeviceDiscovered);
    // A name can arrive after the device itself (in a later scan response).
    connect(agent_, &QBluetoothDeviceDiscoveryAgent::deviceUpdated, this,
            [this](const QBluetoothDeviceInfo& info) { OnDeviceDiscovered(info); });
    connect(agent_, &QBluetoothDeviceDiscoveryAgent::finished, this,
            [this] { gate_.Post([](BleCentralEvents& e) { e.BLEEndDiscoverDevices(); }); });
    connect(agent_, &QBluetoothDeviceDiscoveryAgent::errorOccurred, this,
            &QtBleCentral::OnDiscoveryError);

    starting_ = true;
    agent_->start(QBluetoothDeviceDiscoveryAgent::LowEnergyMethod);
    starting_ = false;
    if (agent_->isActive() && agent_->error() == QBluetoothDeviceDiscoveryAgent::NoError)
        return TDiscoveryStart::Started;
    lastFailure_ = FailureOf(agent_->error());
    return lastFailure_ == TBleFailure::Other ? TDiscoveryStart::Error
                                              : TDiscoveryStart::CannotStart;
}

void QtBleCentral::OnDiscoveryError(QBluetoothDeviceDiscoveryAgent::Error error) {
    if (starting_) return;  // StartDiscovery reports it
    const TBleFailure why = FailureOf(error);
    gate_.Post([why](BleCentralEvents& e) { e.BLEDiscoveryFailed(why); });
}

void QtBleCentral::OnDeviceDiscovered(const QBluetoothDeviceInfo& info) {
    for (QBluetoothDeviceInfo& known : devices_) {
        if (!SameDevice(known, info)) continue;
        // Reported again: only a name that arrived late is news.
        const bool renamed = known.name() != info.name();
        known = info;
        if (renamed) gate_.Post([](BleCentralEvents& e) { e.BLEDiscoverLEDevice(); });
        return;
    }
    devices_.append(info);
    gate_.Post([](BleCentralEvents& e) { e.BLEDiscoverLEDevice(); });
}

void QtBleCentral::CancelDiscovery() {
    if (!agent_) return;
    // Nothing more from this search: neither devices still queued nor its end.
    agent_->disconnect(this);
    if (agent_->isActive()) agent_->stop();
    gate_.Reset();
}

QStringList QtBleCentral::DiscoveredDevices() const {
    QStringList names;
    for (const QBluetoothDeviceInfo& d : devices_) names.append(d.name());
    return names;
}

void QtBleCentral::ChooseDevice(int index) {
    chosen_ = devices_.value(index);
}

void QtBleCentral::DiscoverServices() {
    DropLink();
    if (!chosen_.isValid()) {
        gate_.Post([](BleCentralEvents& e) { e.BLEServicesDiscovered({}); });
        return;
    }
    QLowEnergyController* c = QLowEnergyController::createCentral(chosen_, this);
    controller_ = c;
    connect(c, &QLowEnergyController::connected, this, [this, c] {
        if (c == controller_) c->discoverServices();
    });
    connect(c, &QLowEnergyController::discoveryFinished, this, [this, c] {
        if (c != controller_) return;
        services_ = c->services();
        gate_.Post([s = services_](BleCentralEvents& e) { e.BLEServicesDiscovered(s); });
    });
    connect(c, &QLowEnergyController::errorOccurred, this, [this, c] {
        if (c == controller_) LinkLost();
    });
    connect(c, &QLowEnergyController::disconnected, this, [this, c] {
        if (c == controller_) LinkLost();
    });
    setupWatchdog_.start();
    c->connectToDevice();
}

bool QtBleCentral::HasService(const QBluetoothUuid& service) const {
    return controller_ && services_.contains(service);
}

bool QtBleCentral::Subscribe(const QBluetoothUuid& service, const QBluetoothUuid& characteristic) {
    if (!HasService(service)) return false;
    if (service_) return true;  // one subscription per link
    QLowEnergyService* s = controller_->createServiceObject(service, this);
    if (!s) return false;
    service_ = s;
    wanted_ = characteristic;
    connect(s, &QLowEnergyService::stateChanged, this,
            [this, s](QLowEnergyService::ServiceState st) {
                if (s == service_) OnServiceState(st);
            });
    connect(s, &QLowEnergyService::characteristicChanged, this,
            [this, s](const QLowEnergyCharacteristic& ch, const QByteArray& value) {
                if (s != service_ || ch.uuid() != wanted_) return;
                gate_.Post([value](BleCentralEvents& e) { e.BLECharacteristicRead(value); });
            });
    connect(
        s, &QLowEnergyService::descriptorWritten, this,
        [this, s](const QLowEnergyDescriptor& d, const QByteArray&) {
            if (s != service_ || up_ ||
                d.uuid() != QBluetoothUuid(
                                QBluetoothUuid::DescriptorType::ClientCharacteristicConfiguration))
                return;
            up_ = true;
            setupWatchdog_.stop();
            gate_.Post([](BleCentralEvents& e) { e.BLEConnect(); });
        });
    // Errors once the link is up come from writes; commands have no answer anyway.
    connect(s, &QLowEnergyService::errorOccurred, this, [this, s] {
        if (s == service_ && !up_) SubscribeFailed();
    });
    s->discoverDetails();
    return true;
}

void QtBleCentral::OnServiceState(QLowEnergyService::ServiceState state) {
    if (state == QLowEnergyService::RemoteServiceDiscovered) EnableNotifications();
}

void QtBleCentral::EnableNotifications() {
    characteristic_ = service_->characteristic(wanted_);
    const auto props = characteristic_.properties();
    const QLowEnergyDescriptor config = characteristic_.clientCharacteristicConfiguration();
    if (!characteristic_.isValid() || !config.isValid()) {
        SubscribeFailed();
        return;
    }
    if (props & QLowEnergyCharacteristic::Notify)
        service_->writeDescriptor(config, kEnableNotification);
    else if (props & QLowEnergyCharacteristic::Indicate)
        service_->writeDescriptor(config, kEnableIndication);
    else
        SubscribeFailed();
}

void QtBleCentral::SubscribeFailed() {
    setupWatchdog_.stop();
    characteristic_ = {};
    if (service_) service_->disconnect(this);
    gate_.Post([](BleCentralEvents& e) { e.BLESubscribeFailed(); });
}

void QtBleCentral::LinkLost() {
    if (!controller_) return;
    DropLink();
    gate_.Post([](BleCentralEvents& e) { e.BLEDisconnect(); });
}

void QtBleCentral::Disconnect() {
    DropLink();
}

void QtBleCentral::DropLink() {
    setupWatchdog_.stop();
    up_ = false;
    characteristic_ = {};
    services_.clear();
    if (service_) {
        service_->disconnect(this);
        service_->deleteLater();
        service_ = nullptr;
    }
    if (controller_) {
        controller_->disconnect(this);
        controller_->disconnectFromDevice();
        controller_->deleteLater();
        controller_ = nullptr;
    }
    gate_.Reset();
}

bool QtBleCentral::Write(const QByteArray& bytes) {
    if (!service_ || !up_ || !characteristic_.isValid()) return false;
    const auto props = characteristic_.properties();
    // Without a response when the meter allows it: no round trip per command.
    if (props & QLowEnergyCharacteristic::WriteNoResponse)
        service_->writeCharacteristic(characteristic_, bytes,
                                      QLowEnergyService::WriteWithoutResponse);
    else if (props & QLowEnergyCharacteristic::Write)
        service_->writeCharacteristic(characteristic_, bytes, QLowEnergyService::WriteWithResponse);
    else
        return false;
    return true;
}
