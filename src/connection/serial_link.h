// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>
#include <span>

#include "i18n/lexicon.h"
#include "link/adapter_locator.h"
#include "link/adapter_port.h"

class TForm1;
struct TProgramState;

// What the serial link reports upward.
class SerialLinkEvents {
  public:
    virtual ~SerialLinkEvents() = default;
    virtual void EnterConnectedState() = 0;
    virtual void EnterDisconnectedState() = 0;
    virtual void DecodeMeasurementFrame(std::span<const std::uint8_t> frame) = 0;
    // A connect request ended without a link (refused, or no answer in time).
    virtual void ConnectRequestEnded() = 0;
};

// The USB Bluetooth LE adapter as the window shows it: locating and opening
// its port, the AT dialogue, and what the chunks that arrive (adapter replies
// and measurement frames) do to the window. The port itself is the link
// session's AdapterPort.
class SerialAdapterLink : public QObject {
    Q_OBJECT

  public:
    // `locator` may be null: no way to find an adapter, the link stays unused.
    SerialAdapterLink(TForm1& form, TProgramState& state, std::unique_ptr<AdapterLocator> locator,
                      SerialLinkEvents& events, QObject* parent);

    bool FindAdapterPort();
    // Start-up check that the adapter answers; runs in the background and
    // reports a silent adapter with a message box.
    void ProbeAdapter();
    bool ProbeRunning() const { return port_->ProbeRunning(); }

    // Line for the connection log when a port cannot be opened.
    static QString OpenFailureLine(const i18n::TLexicons& lexicons, int error, const QString& path);

    bool IsOpen() const;
    void Open();
    void Close();
    // The device under the open port is gone (unplugged adapter, closed
    // pseudo-terminal): close without a drop command, disconnect, say so.
    void AdapterLost();
    // Asks for the radio link; a request that gets no answer in time ends
    // with a line in the connection log.
    void SendConnect();
    void SendDrop() { Write("AT"); }
    // Spaced for the adapter as AdapterPort::Write says; `settled` runs once
    // the bytes went out or failed to.
    void Write(const QByteArray& bytes, std::function<void()> settled = {}) {
        port_->Write(bytes, std::move(settled));
    }
    bool WritesWaiting() const { return port_->WritesWaiting(); }

    // One chunk as it arrived (bytes up to a 10 ms pause).
    void HandleSerialInput(const QByteArray& chunk);

  signals:
    // The probe got no "OK": the caller shows the message box.
    void ProbeUnanswered(const QString& portName);

  private:
    void ComPortAfterOpen();
    void ComPortBeforeClose();
    void ComPortException();
    void ClearBuffers();
    void ProbeFinished(bool answered);
    void Log(const QString& line);

    TForm1& form_;
    TProgramState& state_;
    std::unique_ptr<AdapterLocator> locator_;
    SerialLinkEvents& events_;
    AdapterPort* port_;
    QString portPath_;         // as the locator reported it
    QString lastOpenFailure_;  // logged already; cleared by a successful open
    QTimer connectWait_;       // runs while a connect request waits for its answer
    bool deviceGone_ = false;  // set while closing a port whose device vanished
    bool quietClose_ = false;  // the disconnection was logged already
};
