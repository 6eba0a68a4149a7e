#include "link/serial_link.h"

#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSerialPort>
#include <QThread>
#include <algorithm>

#include "app/enable_timer.h"
#include "app/main.h"
#include "app/program_state.h"
#include "linkcore/chunk.h"

SerialAdapterLink::SerialAdapterLink(TForm1& form, TProgramState& state,
                                     std::unique_ptr<AdapterLocator> locator,
                                     SerialLinkEvents& events, QObject* parent)
    : QObject(parent),
      ComPort(new QSerialPort(this)),
      form_(form),
      state_(state),
      locator_(std::move(locator)),
      events_(events) {
    ComPort->setObjectName("ComPort");
    ComPort->setReadBufferSize(4000);
    chunkTimer_.setSingleShot(true);
    chunkTimer_.setInterval(kChunkPauseMs);
    probeTimer_.setSingleShot(true);
    gapTimer_.setSingleShot(true);
    connect(&gapTimer_, &QTimer::timeout, this, &SerialAdapterLink::SendQueued);
    connect(ComPort, &QSerialPort::readyRead, this, &SerialAdapterLink::ComPortRxChar);
    connect(&chunkTimer_, &QTimer::timeout, this, &SerialAdapterLink::ChunkEnded);
    connect(&probeTimer_, &QTimer::timeout, this, &SerialAdapterLink::ProbeTick);
    connect(ComPort, &QSerialPort::errorOccurred, this,
            [this](QSerialPort::SerialPortError e) { OnPortError(e); });
}

void SerialAdapterLink::OnPortError(int error) {
    const auto e = static_cast<QSerialPort::SerialPortError>(error);
    // Pseudo-terminals refuse the modem lines; that is no port failure.
    if (e == QSerialPort::NoError || e == QSerialPort::UnsupportedOperationError) return;
    ComPortException();
    // A read that fails or ends means the device is gone. Its notifier keeps
    // firing until the port is closed; close it from the event loop, not from
    // inside the port's own notification.
    if ((e == QSerialPort::ResourceError || e == QSerialPort::ReadError) && IsOpen() &&
        !lostPending_) {
        lostPending_ = true;
        QMetaObject::invokeMethod(this, &SerialAdapterLink::AdapterLost, Qt::QueuedConnection);
    }
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
    lostPending_ = false;
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
    return ComPort->isOpen();
}

bool SerialAdapterLink::FindAdapterPort() {
    if (!locator_) return false;
    const TAdapterQuery query = locator_->gets();
    state_.AdapterFound = query.Count == 1;
    if (!state_.AdapterFound) return false;
    if (state_.AdapterPortOpen) return true;
    if (IsOpen()) Close();
    portPath_ = query.PortName;
    ComPort->setPortName(query.PortName);
    Open();
    form_.P5->setEnabled(true);
    state_.AdapterPortOpen = IsOpen();
    return true;
}

void SerialAdapterLink::Open() {
    if (IsOpen()) return;
    ComPort->setBaudRate(QSerialPort::Baud9600);
    ComPort->setDataBits(QSerialPort::Data8);
    ComPort->setParity(QSerialPort::NoParity);
    ComPort->setStopBits(QSerialPort::OneStop);
    ComPort->setFlowControl(QSerialPort::NoFlowControl);
    if (!ComPort->open(QIODevice::ReadWrite)) {
        // The watch retries every tick: log a reason only when it is new.
        const QString line = OpenFailureLine(form_.lexicons, ComPort->error(), portPath_);
        if (line != lastOpenFailure_) Log(line);
        lastOpenFailure_ = line;
        ComPortException();
        return;
    }
    lastOpenFailure_.clear();
    ComPort->setDataTerminalReady(false);
    ComPort->setRequestToSend(false);
    pending_.clear();
    ComPortAfterOpen();
}

void SerialAdapterLink::Close() {
    if (!IsOpen()) return;
    ComPortBeforeClose();
    chunkTimer_.stop();
    pending_.clear();
    ComPort->close();
}

void SerialAdapterLink::Write(const QByteArray& bytes, std::function<void()> settled) {
    if (!IsOpen()) {
        ComPortException();
        if (settled) settled();
        return;
    }
    outbox_.push_back({bytes, std::move(settled)});
    if (!gapTimer_.isActive()) SendQueued();
}

namespace {
// Ten bits a byte at 9600 baud, rounded up.
qint64 WireMs(qsizetype bytes) {
    return (static_cast<qint64>(bytes) * 10 * 1000 + 9599) / 9600;
}
}  // namespace

qint64 SerialAdapterLink::MsUntilWriteAllowed() const {
    if (!sinceLastWrite_.isValid()) return 0;
    return std::max<qint64>(0, lastWriteMs_ + kWriteGapMs - sinceLastWrite_.elapsed());
}

void SerialAdapterLink::SendQueued() {
    while (!outbox_.empty()) {
        if (const qint64 wait = MsUntilWriteAllowed(); wait > 0) {
            gapTimer_.start(static_cast<int>(wait));
            return;
        }
        const TPendingWrite next = std::move(outbox_.front());
        outbox_.pop_front();
        if (!IsOpen() || ComPort->write(next.bytes) != next.bytes.size()) {
            ComPortException();
        } else {
            ComPort->flush();
            sinceLastWrite_.start();
            lastWriteMs_ = WireMs(next.bytes.size());
        }
        if (next.settled) next.settled();
    }
}

// Closing cannot wait on a timer: the drop command must go out before the port
// closes. The wait is at most one gap and happens only right after a write.
void SerialAdapterLink::WaitForWriteGap() const {
    if (const qint64 wait = MsUntilWriteAllowed(); wait > 0)
        QThread::msleep(static_cast<unsigned long>(wait));
}

void SerialAdapterLink::ComPortRxChar() {
    pending_.append(ComPort->readAll());
    if (pending_.size() >= kMaxChunk) {
        chunkTimer_.stop();
        ChunkEnded();
        return;
    }
    chunkTimer_.start();  // the chunk ends at the first 10 ms pause
}

void SerialAdapterLink::ChunkEnded() {
    QByteArray chunk = pending_.left(kMaxChunk);
    pending_.remove(0, chunk.size());
    if (probeStep_ != ProbeStep::Idle) {
        if (probeStep_ == ProbeStep::FirstAt) return;  // cleared before the second "AT"
        probeReply_.append(chunk);
        if (probeStep_ == ProbeStep::LateReply && !probeReply_.isEmpty()) FinishProbe();
        return;
    }
    HandleSerialInput(chunk);
}

void SerialAdapterLink::HandleSerialInput(const QByteArray& chunk) {
    using namespace linkcore;
    const TChunkKind kind =
        ClassifyChunk(std::string_view(chunk.constData(), static_cast<std::size_t>(chunk.size())),
                      state_.DecodePaused == 1);
    const TChunkEffects fx = EffectsOf(kind);
    if (fx.clearMeterConnected) state_.MeterConnected = false;
    if (fx.disableConnectButton) form_.B2->setEnabled(false);
    if (fx.disableRecordButton) form_.SP1->setEnabled(false);
    if (fx.startButtonTimer) EnableTimer(form_.T2);
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
    if (fx.enterConnectedState) events_.EnterConnectedState();
    if (fx.enterDisconnectedState) events_.EnterDisconnectedState();
    if (fx.decodeFrame) {
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(chunk.constData());
        events_.DecodeMeasurementFrame(
            std::span<const std::uint8_t>(bytes, static_cast<std::size_t>(chunk.size())));
    }
}

void SerialAdapterLink::ClearBuffers() {
    pending_.clear();
    if (!IsOpen()) return;
    ComPort->readAll();
    if (!ComPort->clear()) ComPortException();
}

void SerialAdapterLink::ComPortAfterOpen() {
    form_.B2->setEnabled(true);
}

void SerialAdapterLink::ComPortBeforeClose() {
    state_.MeterConnected = false;
    state_.AdapterPortOpen = false;
    // What waits for its turn would go to a port about to close: it fails, and
    // its senders hear so.
    gapTimer_.stop();
    std::deque<TPendingWrite> dropped;
    dropped.swap(outbox_);
    for (const TPendingWrite& w : dropped)
        if (w.settled) w.settled();
    if (IsOpen() && !deviceGone_) {
        WaitForWriteGap();
        ComPort->write("AT");  // drops the adapter's radio link
        ComPort->waitForBytesWritten(300);
        sinceLastWrite_.start();
        lastWriteMs_ = WireMs(2);
    }
    // No wake command goes out without a link.
    form_.T4->stop();
    form_.T34->stop();
    form_.B2->setEnabled(false);
    form_.SP1->setEnabled(false);
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

// The probe: "AT", 200 ms, clear; "AT" again, then everything that arrives in
// the next 200 ms must hold "OK". When nothing has come by then, the first
// reply still counts. It runs on timers so the window (and a meter simulated
// in-process) keep going.
void SerialAdapterLink::ProbeAdapter() {
    if (!FindAdapterPort()) return;
    Close();
    Open();
    probeReply_.clear();
    probeStep_ = ProbeStep::FirstAt;
    Write("AT");
    probeTimer_.start(kProbeSettleMs);
}

void SerialAdapterLink::ProbeTick() {
    if (probeStep_ == ProbeStep::FirstAt) {
        // A reply to the first "AT" still gathering must not end the second wait.
        chunkTimer_.stop();
        ClearBuffers();
        probeReply_.clear();
        probeStep_ = ProbeStep::SecondAt;
        Write("AT");
        probeTimer_.start(kProbeSettleMs);
        return;
    }
    if (probeStep_ == ProbeStep::SecondAt) {
        chunkTimer_.stop();
        probeReply_.append(pending_);
        pending_.clear();
        if (probeReply_.isEmpty()) {
            probeStep_ = ProbeStep::LateReply;
            probeTimer_.start(kProbeReplyTimeoutMs);
            return;
        }
    }
    FinishProbe();
}

void SerialAdapterLink::FinishProbe() {
    probeTimer_.stop();
    probeStep_ = ProbeStep::Idle;
    const QByteArray reply = probeReply_.left(kProbeReplyMax);
    probeReply_.clear();
    if (linkcore::ProbeAnswered(
            std::string_view(reply.constData(), static_cast<std::size_t>(reply.size()))))
        return;
    const QString port = portPath_;
    Close();
    emit ProbeUnanswered(port);
}
