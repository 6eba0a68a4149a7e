// SPDX-License-Identifier: GPL-3.0-or-later
#include "connection/serial_link.h"

#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSerialPort>

#include "app/enable_timer.h"
#include "app/main.h"
#include "app/program_state.h"
#include "control/recording_control.h"
#include "link/link_session.h"
#include "linkcore/chunk.h"

SerialAdapterLink::SerialAdapterLink(TForm1& form, TProgramState& state,
                                     std::unique_ptr<AdapterLocator> locator,
                                     SerialLinkEvents& events, QObject* parent)
    : QObject(parent),
      form_(form),
      state_(state),
      locator_(std::move(locator)),
      events_(events),
      port_(new AdapterPort(this)) {
    connect(port_, &AdapterPort::ChunkArrived, this, &SerialAdapterLink::HandleSerialInput);
    connect(port_, &AdapterPort::ProbeFinished, this, &SerialAdapterLink::ProbeFinished);
    connect(port_, &AdapterPort::WriteFailed, this, &SerialAdapterLink::ComPortException);
    connect(port_, &AdapterPort::Error, this, &SerialAdapterLink::ComPortException);
    connect(port_, &AdapterPort::Gone, this, &SerialAdapterLink::AdapterLost);
    connectWait_.setSingleShot(true);
    connect(&connectWait_, &QTimer::timeout, this, [this] {
        if (state_.MeterConnected) return;
        Log(QString::fromStdString(form_.lexicons.Dkeys.GetItem(i18n::keytext::ConnectUnanswered)));
        events_.ConnectRequestEnded();
    });
}

void SerialAdapterLink::SendConnect() {
    Write("AT+CONNL");
    // The same waits as the headless session's: the adapter's first reply
    // comes at once, the link or its refusal within seconds.
    connectWait_.start(LinkSession::kConnectReplyMs);
}

QString SerialAdapterLink::OpenFailureLine(const i18n::TLexicons& lexicons, int error,
                                           const QString& path) {
    using namespace i18n::link;
    const auto item = [&lexicons](int i) {
        return QString::fromStdString(lexicons.Dlink.GetItem(i));
    };
    // What the path is says more than the error code of the failed open.
    const QFileInfo info(path);
    if (!info.exists()) return item(PortNotFound) + " " + path;
    if (info.isDir() || info.isFile()) return item(NotASerialPort) + " " + path;
    switch (static_cast<QSerialPort::SerialPortError>(error)) {
        case QSerialPort::DeviceNotFoundError:
            return item(PortNotFound) + " " + path;
        case QSerialPort::UnsupportedOperationError:  // no terminal settings: a plain file
        case QSerialPort::OpenError:                  // a folder, a device without a line
            return item(NotASerialPort) + " " + path;
        case QSerialPort::PermissionError: {
            QString line = item(PortPermissionDenied) + " " + path;
#ifdef Q_OS_LINUX
            line += "; " + item(DialoutHint);
#endif
            return line;
        }
        default:
            return item(PortCannotOpen) + " " + path;
    }
}

void SerialAdapterLink::AdapterLost() {
    if (!IsOpen()) return;
    Log(QString::fromStdString(form_.lexicons.Dlink.GetItem(i18n::link::AdapterLost)) + " " +
        portPath_);
    // Connected, the window's own disconnection runs and logs the line the
    // closing would log again.
    const bool connected = state_.MeterConnected;
    if (connected) events_.EnterDisconnectedState();
    deviceGone_ = true;
    quietClose_ = connected;
    Close();
    deviceGone_ = quietClose_ = false;
}

bool SerialAdapterLink::IsOpen() const {
    return port_->IsOpen();
}

bool SerialAdapterLink::FindAdapterPort() {
    if (!locator_) return false;
    const TAdapterQuery query = locator_->gets();
    state_.AdapterFound = query.Count == 1;
    if (!state_.AdapterFound) return false;
    if (state_.AdapterPortOpen) return true;
    if (IsOpen()) Close();
    portPath_ = query.PortName;
    Open();
    form_.P5->setEnabled(true);
    state_.AdapterPortOpen = IsOpen();
    return true;
}

void SerialAdapterLink::Open() {
    if (IsOpen()) return;
    if (!port_->Open(portPath_)) {
        // The watch retries every tick: log a reason only when it is new.
        const QString line = OpenFailureLine(form_.lexicons, port_->OpenError(), portPath_);
        if (line != lastOpenFailure_) Log(line);
        lastOpenFailure_ = line;
        ComPortException();
        return;
    }
    lastOpenFailure_.clear();
    ComPortAfterOpen();
}

void SerialAdapterLink::Close() {
    if (!IsOpen()) return;
    ComPortBeforeClose();
}

void SerialAdapterLink::HandleSerialInput(const QByteArray& chunk) {
    using namespace linkcore;
    const TChunkKind kind =
        ClassifyChunk(std::string_view(chunk.constData(), static_cast<std::size_t>(chunk.size())),
                      state_.DecodePaused == 1);
    const TChunkEffects fx = EffectsOf(kind);
    if (fx.clearMeterConnected) state_.MeterConnected = false;
    if (fx.disableConnectButton) form_.B2->setEnabled(false);
    if (fx.disableRecordButton) form_.recording->AllowStart(false);
    if (fx.startButtonTimer) EnableTimer(form_.T2);
    if (kind == TChunkKind::Connecting) connectWait_.start(LinkSession::kConnectingMs);
    if (fx.connectRequestEnded || fx.enterConnectedState || fx.enterDisconnectedState)
        connectWait_.stop();
    if (fx.memoPrefix || fx.memoItem) {
        QString line = fx.memoPrefix
                           ? QString::fromUtf8(fx.memoPrefix->data(),
                                               static_cast<qsizetype>(fx.memoPrefix->size()))
                           : QString();
        if (fx.memoItem)
            line += QString::fromStdString(form_.lexicons.Dlang_connect.GetItem(*fx.memoItem));
        Log(line);
    }
    if (fx.clearPortBuffers) ClearBuffers();
    if (fx.logConnectRefused)
        Log(QString::fromStdString(form_.lexicons.Dkeys.GetItem(i18n::keytext::ConnectRefused)));
    if (fx.connectRequestEnded) events_.ConnectRequestEnded();
    if (fx.enterConnectedState) events_.EnterConnectedState();
    if (fx.enterDisconnectedState) events_.EnterDisconnectedState();
    if (fx.decodeFrame) {
        const std::string_view bytes(chunk.constData(), static_cast<std::size_t>(chunk.size()));
        for (const std::string_view frame : FramesOf(bytes))
            events_.DecodeMeasurementFrame(std::span<const std::uint8_t>(
                reinterpret_cast<const std::uint8_t*>(frame.data()), frame.size()));
    }
}

void SerialAdapterLink::ClearBuffers() {
    if (!port_->ClearInput()) ComPortException();
}

void SerialAdapterLink::ComPortAfterOpen() {
    form_.B2->setEnabled(true);
}

void SerialAdapterLink::ComPortBeforeClose() {
    connectWait_.stop();
    state_.MeterConnected = false;
    state_.AdapterPortOpen = false;
    // What waits for its turn would go to a port about to close: it fails, and
    // its senders hear so. "AT" drops the adapter's radio link, unless the
    // device is gone already.
    port_->Close(!deviceGone_, AdapterPort::TWaiting::Drop);
    // No wake command goes out without a link.
    form_.T4->stop();
    form_.T34->stop();
    form_.B2->setEnabled(false);
    form_.recording->AllowStart(false);
    EnableTimer(form_.T2);
    form_.B2->setText(QString::fromStdString(form_.lexicons.Dlang_connect.GetItem(0)));
    if (!quietClose_) Log(QString::fromStdString(form_.lexicons.Dlang_connect.GetItem(5)));
    EnableTimer(form_.T3);
    form_.view.ClearReadings(
        {"L_prim_n", "L_sec_n", "L_righ1", "L_righ2", "L_righ3", "L_righ4", "L_righ5", "L_righ6"});
}

void SerialAdapterLink::ComPortException() {
    form_.view.ClearReadings({"L_righ4"});
}

void SerialAdapterLink::Log(const QString& line) {
    form_.Memo1->appendPlainText(line);
}

// The start-up check runs in the background, so the window (and a meter
// simulated in-process) keep going.
void SerialAdapterLink::ProbeAdapter() {
    if (!FindAdapterPort()) return;
    Close();
    Open();
    port_->StartProbe();
}

void SerialAdapterLink::ProbeFinished(bool answered) {
    if (answered) return;
    const QString port = portPath_;
    Close();
    emit ProbeUnanswered(port);
}
