// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QBluetoothUuid>
#include <QObject>

#include "link/ble_central.h"

class ConnectionManager;
class TForm1;
struct TProgramState;

// The direct Bluetooth LE link's handlers: picks the meter out of the devices
// a discovery finds, reaches its data characteristic, and hands its frames to
// the decoder. The connection manager decides when discoveries start.
class BleLink : public QObject, public BleCentralEvents {
    Q_OBJECT

  public:
    BleLink(TForm1& form, TProgramState& state, BleCentral& central, ConnectionManager& manager,
            QObject* parent);

    // Service discovery, a moment after the meter was found.
    void T14Timer();

    void BLEDiscoverLEDevice() override;
    void BLEEndDiscoverDevices() override;
    void BLEDiscoveryFailed(TBleFailure why) override;
    void BLEServicesDiscovered(const QList<QBluetoothUuid>& services) override;
    void BLESubscribeFailed() override;
    void BLEConnect() override;
    void BLEDisconnect() override;
    void BLECharacteristicRead(const QByteArray& value) override;

    // Names the meter advertises, exactly as written.
    static bool IsMeterName(const QString& name);
    static QBluetoothUuid ServiceUuid();
    static QBluetoothUuid CharacteristicUuid();

  private:
    void Log(const QString& line);
    void DropUnusableDevice();

    TForm1& form_;
    TProgramState& state_;
    BleCentral& central_;
    ConnectionManager& manager_;
    // Subscription asked for the chosen device; a repeated services event must
    // not subscribe again (that would deliver every frame twice).
    bool subscribeRequested_ = false;
    // The running request has its device; a late end of the search means nothing.
    bool deviceChosen_ = false;
};
