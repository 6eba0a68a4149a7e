// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/demo_radio.h"

#include <QBluetoothUuid>
#include <map>

#include "connection/ble_link.h"

namespace {

QBluetoothUuid GenericAccess() {
    return QBluetoothUuid(QBluetoothUuid::ServiceClassUuid::GenericAccess);
}

}  // namespace

DemoRadio::DemoRadio(sim::TSimConfig config, QObject* parent)
    : QObject(parent), meter_(std::move(config)), devices_{{"RU15D", TRadioKind::Meter, 200}} {
    wake_.setSingleShot(true);
    connect(&wake_, &QTimer::timeout, this, [this] {
        CatchUp();
        Deliver();
    });
    clock_.start();
}

// The simulator's clock follows the wall clock.
void DemoRadio::CatchUp() {
    const qint64 now = clock_.elapsed();
    if (now > simulatedMs_) {
        meter_.Advance(static_cast<int>(now - simulatedMs_));
        simulatedMs_ = now;
    }
}

// Frames become notifications; a link the meter dropped is reported.
void DemoRadio::Deliver() {
    for (const sim::Bytes& burst : meter_.TakeBursts()) {
        if (!linked_ || subscriptions_ == 0) continue;
        const QByteArray value(reinterpret_cast<const char*>(burst.data()),
                               static_cast<qsizetype>(burst.size()));
        // A stack asked twice delivers twice, as a careless one would.
        for (int i = 0; i < subscriptions_; ++i)
            gate_.Post([value](BleCentralEvents& e) { e.BLECharacteristicRead(value); });
    }
    if (linked_ && !meter_.Linked()) {
        linked_ = false;
        subscriptions_ = 0;
        gate_.Post([](BleCentralEvents& e) { e.BLEDisconnect(); });
    }
    ScheduleNext();
}

void DemoRadio::ScheduleNext() {
    const int due = meter_.MsUntilNextEvent();
    if (linked_ && due >= 0)
        wake_.start(due);
    else
        wake_.stop();
}

void DemoRadio::GoOutOfRange() {
    inRange_ = false;
    CatchUp();
    meter_.DropRadio();
    Deliver();
}

void DemoRadio::SetEnabled(bool enabled) {
    gate_.SetOpen(enabled);
    if (enabled) return;
    ++search_;
    Disconnect();
}

bool DemoRadio::MeterReachable() const {
    return inRange_ && meter_.Power() != sim::TPowerState::Off;
}

TDiscoveryStart DemoRadio::StartDiscovery(int timeoutMs) {
    if (failStart_) {
        lastFailure_ = *failStart_;
        return TDiscoveryStart::CannotStart;
    }
    ++discoveries_;
    Disconnect();
    const unsigned search = ++search_;
    found_.clear();
    chosen_ = -1;
    // Devices due at the same moment are found together: the list holds all of
    // them before the first of their events is handled.
    std::map<int, QList<int>> due;
    for (int i = 0; i < static_cast<int>(devices_.size()); ++i)
        if (devices_[static_cast<std::size_t>(i)].foundAfterMs < timeoutMs)
            due[devices_[static_cast<std::size_t>(i)].foundAfterMs].append(i);
    for (const auto& [ms, found] : due) {
        // A structured binding cannot be captured before Clang 16.
        QTimer::singleShot(ms, this, [this, search, indices = found] {
            if (search != search_) return;
            for (int i : indices) {
                // The meter advertises only while it is on and in reach.
                if (devices_[static_cast<std::size_t>(i)].kind == TRadioKind::Meter &&
                    !MeterReachable())
                    continue;
                found_.append(i);
                gate_.Post([](BleCentralEvents& e) { e.BLEDiscoverLEDevice(); });
            }
        });
    }
    QTimer::singleShot(timeoutMs, this, [this, search] {
        if (search != search_) return;
        ++search_;
        gate_.Post([](BleCentralEvents& e) { e.BLEEndDiscoverDevices(); });
    });
    return TDiscoveryStart::Started;
}

void DemoRadio::CancelDiscovery() {
    ++search_;
    gate_.Reset();
}

QStringList DemoRadio::DiscoveredDevices() const {
    QStringList names;
    for (int i : found_) names.append(devices_[static_cast<std::size_t>(i)].name);
    return names;
}

void DemoRadio::ChooseDevice(int index) {
    chosen_ = found_.value(index, -1);
}

TRadioKind DemoRadio::ChosenKind() const {
    if (chosen_ < 0 || chosen_ >= static_cast<int>(devices_.size())) return TRadioKind::Other;
    return devices_[static_cast<std::size_t>(chosen_)].kind;
}

void DemoRadio::DiscoverServices() {
    ++serviceRequests_;
    const unsigned search = search_;
    QTimer::singleShot(kServiceDelayMs, this, [this, search] {
        if (search != search_ || chosen_ < 0) return;
        if (MeterChosen()) {
            CatchUp();
            if (!MeterReachable() || !meter_.ConnectRadio()) {
                gate_.Post([](BleCentralEvents& e) { e.BLEDisconnect(); });
                return;
            }
            linked_ = true;
            ScheduleNext();
        }
        QList<QBluetoothUuid> services;
        if (ChosenKind() != TRadioKind::NoServices) services.append(GenericAccess());
        if (MeterChosen() || ChosenKind() == TRadioKind::NoNotify)
            services.append(BleLink::ServiceUuid());
        const int times = servicesTwice_ ? 2 : 1;
        for (int i = 0; i < times; ++i)
            gate_.Post([services](BleCentralEvents& e) { e.BLEServicesDiscovered(services); });
    });
}

bool DemoRadio::HasService(const QBluetoothUuid& service) const {
    switch (ChosenKind()) {
        case TRadioKind::NoServices:
            return false;
        case TRadioKind::NoNotify:
            return service == GenericAccess() || service == BleLink::ServiceUuid();
        default:
            return chosen_ >= 0 &&
                   (service == GenericAccess() || (linked_ && service == BleLink::ServiceUuid()));
    }
}

bool DemoRadio::Subscribe(const QBluetoothUuid& service, const QBluetoothUuid& characteristic) {
    if (service != BleLink::ServiceUuid() || characteristic != BleLink::CharacteristicUuid())
        return false;
    if (ChosenKind() == TRadioKind::NoNotify) {
        gate_.Post([](BleCentralEvents& e) { e.BLESubscribeFailed(); });
        return true;
    }
    if (!linked_) return false;
    if (++subscriptions_ == 1) gate_.Post([](BleCentralEvents& e) { e.BLEConnect(); });
    return true;
}

void DemoRadio::Disconnect() {
    linked_ = false;
    subscriptions_ = 0;
    CatchUp();
    meter_.DropRadio();
    meter_.TakeBursts();
    wake_.stop();
    gate_.Reset();
}

bool DemoRadio::Write(const QByteArray& bytes) {
    if (!linked_ || subscriptions_ == 0) return false;
    writes_.append(bytes);
    CatchUp();
    meter_.RadioWrite(std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                static_cast<std::size_t>(bytes.size())));
    Deliver();
    return true;
}
