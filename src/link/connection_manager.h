#pragma once

#include <QObject>
#include <functional>
#include <memory>

#include "link/ble_central.h"
#include "link/serial_link.h"

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

    void B2Click();
    void CheckBox_connect_autoClick();
    void T2Timer();
    void T3Timer();
    void T4Timer();
    void T50Timer();
    void T34Timer();

    void EnterConnectedState() override;
    void EnterDisconnectedState() override;
    void DecodeMeasurementFrame(std::span<const std::uint8_t> frame) override;

    // Window about to close: stop the watch, drop Bluetooth LE. Closing is never refused.
    void FormCloseQuery();
    // Window going away: closing the port sends "AT" to drop the radio link.
    void CloseLinks();

    static constexpr int kDiscoveryTimeoutMs = 1900;

  private:
    bool ConnectCaptionShown() const;
    void StartBleDiscovery(bool stopWatchOnErrorOnlyWhenPortOpen);
    void Log(int connectItem);
    QString Item(int index) const;

    TForm1& form_;
    TProgramState& state_;
    std::unique_ptr<BleCentral> ble_;
    Hooks hooks_;
    SerialAdapterLink* serial_;
    CommandSender* commands_;
};
