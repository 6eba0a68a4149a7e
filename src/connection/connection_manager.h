// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <functional>
#include <memory>

#include "connection/serial_link.h"
#include "link/ble_central.h"

class BleLink;
class CommandSender;
class TForm1;
struct TProgramState;

// Chooses the link, runs connect/disconnect requests and auto-connect, watches
// the adapter, and switches the window between connected and disconnected.
class ConnectionManager : public QObject, public SerialLinkEvents {
    Q_OBJECT

  public:
    struct Hooks {
        std::function<void()> SaveAutoConnect;
        std::function<void(std::span<const std::uint8_t>)> DecodeMeasurementFrame;
    };

    ConnectionManager(TForm1& form, TProgramState& state, std::unique_ptr<AdapterLocator> locator,
                      std::unique_ptr<BleCentral> ble, Hooks hooks, QObject* parent);

    SerialAdapterLink& Serial() { return *serial_; }
    CommandSender& Commands() { return *commands_; }
    BleCentral& Ble() { return *ble_; }
    BleLink& BleHandlers() { return *bleLink_; }

    void B2Click();
    void CheckBox_connect_autoClick();
    void T2Timer();
    void T3Timer();
    void T4Timer();
    void T50Timer();
    void T34Timer();

    void EnterConnectedState() override;
    void EnterDisconnectedState() override;
    void ConnectRequestEnded() override;
    void DecodeMeasurementFrame(std::span<const std::uint8_t> frame) override;

    // A Bluetooth LE discovery could not start or broke off: direct Bluetooth
    // LE is given up until the user asks for a connection again.
    void BleDiscoveryFailed(TBleFailure why);
    // A discovery ended without finding the meter.
    void BleMeterNotFound();

    // Window about to close: stop the watch, drop Bluetooth LE. Closing is never refused.
    void FormCloseQuery();
    // Window going away: closing the port sends "AT" to drop the radio link.
    void CloseLinks();

    static constexpr int kDiscoveryTimeoutMs = 1900;

  private:
    bool ConnectCaptionShown() const;
    void StartBleDiscovery();
    void Log(int connectItem);
    QString Item(int index) const;

    TForm1& form_;
    TProgramState& state_;
    std::unique_ptr<BleCentral> ble_;
    Hooks hooks_;
    SerialAdapterLink* serial_;
    CommandSender* commands_;
    BleLink* bleLink_;
    // Direct Bluetooth LE was given up because the radio failed, not because
    // the adapter took over: a connect request may try the radio again.
    bool radioGaveUp_ = false;
};
