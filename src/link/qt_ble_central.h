// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QBluetoothDeviceDiscoveryAgent>
#include <QBluetoothDeviceInfo>
#include <QLowEnergyCharacteristic>
#include <QLowEnergyController>
#include <QLowEnergyService>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include "link/ble_central.h"
#include "link/ble_event_gate.h"

// The platform's Bluetooth LE radio through Qt Bluetooth (BlueZ on Linux).
// A discovery looks for low-energy devices only; the chosen device is reached
// with a controller of its own, and the characteristic's notifications are
// switched on through its client configuration descriptor.
class QtBleCentral : public QObject, public BleCentral {
    Q_OBJECT

  public:
    explicit QtBleCentral(QObject* parent = nullptr);
    ~QtBleCentral() override;

    void Attach(BleCentralEvents& events) override { gate_.Attach(events); }
    void SetEnabled(bool enabled) override;
    TDiscoveryStart StartDiscovery(int timeoutMs) override;
    TBleFailure LastFailure() const override { return lastFailure_; }
    void CancelDiscovery() override;
    QStringList DiscoveredDevices() const override;
    void ChooseDevice(int index) override;
    void DiscoverServices() override;
    bool HasService(const QBluetoothUuid& service) const override;
    bool Subscribe(const QBluetoothUuid& service, const QBluetoothUuid& characteristic) override;
    void Disconnect() override;
    bool Write(const QByteArray& bytes) override;

    static TBleFailure FailureOf(QBluetoothDeviceDiscoveryAgent::Error error);

    // Reaching a device and switching its notifications on normally takes a
    // second or two; a stack that never answers must not hold the link forever.
    static constexpr int kLinkSetupTimeoutMs = 20000;

  private:
    void OnDeviceDiscovered(const QBluetoothDeviceInfo& info);
    void OnDiscoveryError(QBluetoothDeviceDiscoveryAgent::Error error);
    void OnServiceState(QLowEnergyService::ServiceState state);
    void EnableNotifications();
    void SubscribeFailed();
    void LinkLost();
    void DropLink();

    BleEventGate gate_{*this};
    QPointer<QBluetoothDeviceDiscoveryAgent> agent_;
    bool starting_ = false;
    QList<QBluetoothDeviceInfo> devices_;  // found by the running discovery, in order
    QBluetoothDeviceInfo chosen_;
    QPointer<QLowEnergyController> controller_;
    QList<QBluetoothUuid> services_;
    QPointer<QLowEnergyService> service_;
    QBluetoothUuid wanted_;
    QLowEnergyCharacteristic characteristic_;
    bool up_ = false;
    QTimer setupWatchdog_;
    TBleFailure lastFailure_ = TBleFailure::Other;
};
