// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QBluetoothUuid>
#include <QByteArray>
#include <QList>
#include <QStringList>

// The direct Bluetooth LE link as the connection manager, the link's handlers
// and the command path see it: the platform's radio, or a stand-in.
enum class TDiscoveryStart { Started, CannotStart, Error };

// Why a discovery could not run; each has a line of its own in the connection log.
enum class TBleFailure { NoRadio, RadioOff, PermissionRefused, Unsupported, Other };

// What the central reports. Events reach these handlers later from the event
// loop, one at a time, never from inside a call into the central, and never
// while the central is switched off or after the link they belong to was dropped.
class BleCentralEvents {
  public:
    virtual ~BleCentralEvents() = default;
    // One more device was found; DiscoveredDevices() holds the whole list.
    virtual void BLEDiscoverLEDevice() = 0;
    virtual void BLEEndDiscoverDevices() = 0;
    // The discovery stopped with an error after it had started.
    virtual void BLEDiscoveryFailed(TBleFailure why) = 0;
    // Services of the chosen device (empty when none could be read).
    virtual void BLEServicesDiscovered(const QList<QBluetoothUuid>& services) = 0;
    // Subscribe() could not switch notifications on.
    virtual void BLESubscribeFailed() = 0;
    // The link carries data: notifications are on.
    virtual void BLEConnect() = 0;
    // The device went away, or could not be reached at all.
    virtual void BLEDisconnect() = 0;
    virtual void BLECharacteristicRead(const QByteArray& value) = 0;
};

class BleCentral {
  public:
    virtual ~BleCentral() = default;
    virtual void Attach(BleCentralEvents& events) = 0;
    // Off: discovery and link stop, and no event reaches the handlers.
    virtual void SetEnabled(bool enabled) = 0;
    virtual TDiscoveryStart StartDiscovery(int timeoutMs) = 0;
    // Why the last StartDiscovery did not start.
    virtual TBleFailure LastFailure() const = 0;
    virtual void CancelDiscovery() = 0;
    // Advertised names of the devices the running discovery found, in order.
    virtual QStringList DiscoveredDevices() const = 0;
    // Makes device `index` of that list the one the link talks to.
    virtual void ChooseDevice(int index) = 0;
    // Reaches the chosen device and reads its services (BLEServicesDiscovered).
    virtual void DiscoverServices() = 0;
    virtual bool HasService(const QBluetoothUuid& service) const = 0;
    // Switches notifications of the characteristic on and remembers it for
    // writes: BLEConnect once they are on, BLESubscribeFailed if they cannot be.
    // False when the service or characteristic is not there at all.
    virtual bool Subscribe(const QBluetoothUuid& service, const QBluetoothUuid& characteristic) = 0;
    // Drops the link without reporting it; the caller runs the disconnect handling.
    virtual void Disconnect() = 0;
    // False when there is no characteristic to write to (the command is dropped).
    virtual bool Write(const QByteArray& bytes) = 0;
};

// No Bluetooth LE radio: discovery cannot start, writes go nowhere.
class NullBleCentral : public BleCentral {
  public:
    void Attach(BleCentralEvents&) override {}
    void SetEnabled(bool) override {}
    TDiscoveryStart StartDiscovery(int) override { return TDiscoveryStart::Error; }
    TBleFailure LastFailure() const override { return TBleFailure::NoRadio; }
    void CancelDiscovery() override {}
    QStringList DiscoveredDevices() const override { return {}; }
    void ChooseDevice(int) override {}
    void DiscoverServices() override {}
    bool HasService(const QBluetoothUuid&) const override { return false; }
    bool Subscribe(const QBluetoothUuid&, const QBluetoothUuid&) override { return false; }
    void Disconnect() override {}
    bool Write(const QByteArray&) override { return false; }
};
