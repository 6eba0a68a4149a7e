#include "link/link_session.h"

#include <unistd.h>

#include <QFileInfo>
#include <QSerialPort>
#include <QThread>

LinkSession::LinkSession(std::unique_ptr<AdapterLocator> locator, QObject* parent)
    : QObject(parent), locator_(std::move(locator)), port_(new QSerialPort(this)) {
    port_->setObjectName("ComPort");
    port_->setReadBufferSize(4000);
    for (QTimer* t :
         {&chunkTimer_, &probeTimer_, &gapTimer_, &afterConnect_, &silence_, &decodePause_})
        t->setSingleShot(true);
    chunkTimer_.setInterval(kChunkPauseMs);
    afterConnect_.setInterval(kAfterConnectMs);
    wake_.setInterval(kWakeMs);
    silence_.setInterval(kSilenceMs);
    watch_.setInterval(kWatchMs);
    decodePause_.setInterval(kDecodePauseMs);
    connect(port_, &QSerialPort::readyRead, this, &LinkSession::ReadyRead);
    connect(port_, &QSerialPort::errorOccurred, this, [this](QSerialPort::SerialPortError e) {
        // Pseudo-terminals refuse the modem lines, and a wait for written bytes
        // may time out; neither is a port failure. A failed open is reported
        // where it happens.
        if (e == QSerialPort::NoError || e == QSerialPort::UnsupportedOperationError ||
            e == QSerialPort::TimeoutError)
            return;
        if (port_->isOpen()) PortError();
    });
    connect(&chunkTimer_, &QTimer::timeout, this, &LinkSession::ChunkEnded);
    connect(&probeTimer_, &QTimer::timeout, this, &LinkSession::ProbeTick);
    connect(&gapTimer_, &QTimer::timeout, this, &LinkSession::FlushQueue);
    connect(&watch_, &QTimer::timeout, this, &LinkSession::WatchTick);
    connect(&afterConnect_, &QTimer::timeout, this, [this] {
        Wake();
        wake_.start();
        silence_.start();
    });
    connect(&wake_, &QTimer::timeout, this, &LinkSession::Wake);
    connect(&silence_, &QTimer::timeout, this, [this] {
        if (!wake_.isActive()) wake_.start();
        Wake();
    });
}

LinkSession::~LinkSession() {
    Close();
}

QString LinkSession::PortName() const {
    return port_->portName();
}

void LinkSession::SetState(TState state) {
    if (state_ == state) return;
    state_ = state;
    emit StateChanged(state);
}

LinkSession::TPortProblem LinkSession::OpenProblem(int serialPortError, const QString& path) {
    const QByteArray native = QFile::encodeName(path);
    if (serialPortError == QSerialPort::DeviceNotFoundError || !QFileInfo::exists(path))
        return TPortProblem::NoAdapter;
    // Qt reports a port locked by another program as a permission error too;
    // the device's own rights tell the two apart.
    if (::access(native.constData(), R_OK | W_OK) != 0) return TPortProblem::Permission;
    if (serialPortError == QSerialPort::PermissionError ||
        serialPortError == QSerialPort::OpenError)
        return TPortProblem::Busy;
    return TPortProblem::Unusable;
}

void LinkSession::Start() {
    if (state_ != TState::Closed) ClosePort(true);
    if (!watch_.isActive()) watch_.start();
    if (!OpenPort()) return;
    SetState(TState::Probing);
    probeReply_.clear();
    probeStep_ = ProbeStep::FirstAt;
    Write("AT");
    probeTimer_.start(kProbeSettleMs);
}

bool LinkSession::OpenPort() {
    const TAdapterQuery query = locator_ ? locator_->gets() : TAdapterQuery{};
    if (query.Count != 1) {
        emit PortFailed(TPortProblem::NoAdapter, query.PortName,
                        query.Count > 1 ? QStringLiteral("more than one adapter") : QString());
        return false;
    }
    port_->setPortName(query.PortName);
    port_->setBaudRate(QSerialPort::Baud9600);
    port_->setDataBits(QSerialPort::Data8);
    port_->setParity(QSerialPort::NoParity);
    port_->setStopBits(QSerialPort::OneStop);
    port_->setFlowControl(QSerialPort::NoFlowControl);
    if (!port_->open(QIODevice::ReadWrite)) {
        const QString detail = port_->errorString();
        emit PortFailed(OpenProblem(port_->error(), query.PortName), query.PortName, detail);
        port_->clearError();
        return false;
    }
    port_->setDataTerminalReady(false);
    port_->setRequestToSend(false);
    pending_.clear();
    queue_.clear();
    return true;
}

void LinkSession::ProbeTick() {
    if (probeStep_ == ProbeStep::FirstAt) {
        ClearBuffers();
        probeReply_.clear();
        probeStep_ = ProbeStep::SecondAt;
        Write("AT");
        probeTimer_.start(kProbeSettleMs + kProbeReplyTimeoutMs);
        return;
    }
    FinishProbe();
}

void LinkSession::FinishProbe() {
    probeTimer_.stop();
    probeStep_ = ProbeStep::Idle;
    const QByteArray reply = probeReply_.left(kProbeReplyMax);
    probeReply_.clear();
    const QString port = port_->portName();
    if (linkcore::ProbeAnswered(
            std::string_view(reply.constData(), static_cast<std::size_t>(reply.size())))) {
        SetState(TState::Ready);
        emit ProbeFinished(true, port);
        return;
    }
    ClosePort(false);
    emit ProbeFinished(false, port);
}

void LinkSession::Connect() {
    if (state_ != TState::Ready) return;
    SetState(TState::Connecting);
    Write("AT+CONNL");
}

void LinkSession::Disconnect() {
    if (!port_->isOpen()) return;
    Write("AT");
}

void LinkSession::Close() {
    watch_.stop();
    if (port_->isOpen()) ClosePort(true);
}

void LinkSession::ClosePort(bool dropLink) {
    probeTimer_.stop();
    probeStep_ = ProbeStep::Idle;
    chunkTimer_.stop();
    gapTimer_.stop();
    pending_.clear();
    const bool wasConnected = state_ == TState::Connected;
    if (port_->isOpen()) {
        // Whatever is queued leaves first, each after its gap, then the drop.
        if (dropLink) queue_.append("AT");
        for (const QByteArray& bytes : std::as_const(queue_)) {
            if (lastWrite_.isValid() && lastWrite_.elapsed() < kWriteGapMs)
                QThread::msleep(static_cast<unsigned long>(kWriteGapMs - lastWrite_.elapsed()));
            WriteNow(bytes);
            if (!port_->isOpen()) break;
            port_->waitForBytesWritten(300);
        }
        queue_.clear();
        if (port_->isOpen()) port_->close();
    }
    queue_.clear();
    LinkDown(false);
    SetState(TState::Closed);
    if (wasConnected) emit LinkLost();
}

void LinkSession::Write(const QByteArray& bytes) {
    if (!port_->isOpen()) return;
    const bool gapPassed = !lastWrite_.isValid() || lastWrite_.elapsed() >= kWriteGapMs;
    if (queue_.isEmpty() && gapPassed) {
        WriteNow(bytes);
        return;
    }
    queue_.append(bytes);
    if (!gapTimer_.isActive())
        gapTimer_.start(static_cast<int>(std::max<qint64>(0, kWriteGapMs - lastWrite_.elapsed())));
}

void LinkSession::WriteNow(const QByteArray& bytes) {
    if (port_->write(bytes) != bytes.size()) {
        PortError();
        return;
    }
    port_->flush();
    lastWrite_.start();
    emit Written(bytes);
}

void LinkSession::FlushQueue() {
    if (queue_.isEmpty() || !port_->isOpen()) return;
    WriteNow(queue_.takeFirst());
    if (!queue_.isEmpty()) gapTimer_.start(kWriteGapMs);
}

void LinkSession::SendCommand(const protocol::TCommandFrame& frame) {
    if (state_ != TState::Connected) return;
    Write(QByteArray(reinterpret_cast<const char*>(frame.data()),
                     static_cast<qsizetype>(frame.size())));
    decodePause_.start();
}

void LinkSession::Wake() {
    SendCommand(protocol::BuildFunctionCommand(protocol::FnWake, false));
}

void LinkSession::MeterAsleep() {
    if (state_ == TState::Connected && !wake_.isActive()) wake_.start();
}

void LinkSession::ReadyRead() {
    pending_.append(port_->readAll());
    if (pending_.size() >= kMaxChunk) {
        chunkTimer_.stop();
        ChunkEnded();
        return;
    }
    chunkTimer_.start();  // the chunk ends at the first 10 ms pause
}

void LinkSession::ChunkEnded() {
    const QByteArray chunk = pending_.left(kMaxChunk);
    pending_.remove(0, chunk.size());
    if (probeStep_ != ProbeStep::Idle) {
        probeReply_.append(chunk);
        if (probeStep_ == ProbeStep::SecondAt) FinishProbe();
        return;
    }
    HandleChunk(chunk);
}

void LinkSession::HandleChunk(const QByteArray& chunk) {
    using linkcore::TChunkKind;
    const TChunkKind kind = linkcore::ClassifyChunk(
        std::string_view(chunk.constData(), static_cast<std::size_t>(chunk.size())),
        DecodePaused());
    emit ChunkClassified(kind, chunk);
    const linkcore::TChunkEffects fx = linkcore::EffectsOf(kind);
    if (fx.clearPortBuffers) ClearBuffers();
    switch (kind) {
        case TChunkKind::Connecting:
            SetState(TState::Connecting);
            break;
        case TChunkKind::ConnectFailed:
        case TChunkKind::NoConnection:
            if (state_ == TState::Connected) LinkDown(true);
            if (port_->isOpen()) SetState(TState::Ready);
            emit ConnectFailed(kind == TChunkKind::NoConnection);
            break;
        case TChunkKind::Connected:
            LinkUp();
            break;
        case TChunkKind::Lost:
            LinkDown(true);
            break;
        default:
            break;
    }
    if (fx.decodeFrame && state_ == TState::Connected) {
        wake_.stop();
        silence_.start();
        emit FrameReceived(chunk);
    }
}

void LinkSession::LinkUp() {
    if (state_ == TState::Connected) return;
    SetState(TState::Connected);
    afterConnect_.start();
    emit Connected();
}

// `lost`: the adapter said so; otherwise the port is closing.
void LinkSession::LinkDown(bool lost) {
    afterConnect_.stop();
    wake_.stop();
    silence_.stop();
    decodePause_.stop();
    if (!lost) return;
    const bool wasConnected = state_ == TState::Connected;
    if (port_->isOpen()) SetState(TState::Ready);
    if (wasConnected) emit LinkLost();
}

void LinkSession::ClearBuffers() {
    pending_.clear();
    if (!port_->isOpen()) return;
    port_->readAll();
    port_->clear();
}

// The device went away (adapter unplugged): close at once, or its notifier
// keeps firing.
void LinkSession::PortError() {
    const QString port = port_->portName();
    const QString detail = port_->errorString();
    queue_.clear();
    ClosePort(false);
    emit PortFailed(TPortProblem::Gone, port, detail);
}

void LinkSession::WatchTick() {
    if (!reconnect_) return;
    switch (state_) {
        case TState::Closed:
            Start();
            break;
        case TState::Ready:
            Connect();
            break;
        default:
            break;
    }
}
