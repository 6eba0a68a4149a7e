// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/link_session.h"

#include <unistd.h>

#include <QFileInfo>
#include <QSerialPort>

LinkSession::LinkSession(std::unique_ptr<AdapterLocator> locator, QObject* parent)
    : QObject(parent), locator_(std::move(locator)), port_(new AdapterPort(this)) {
    for (QTimer* t : {&afterConnect_, &silence_, &decodePause_, &connectReply_})
        t->setSingleShot(true);
    afterConnect_.setInterval(kAfterConnectMs);
    wake_.setInterval(kWakeMs);
    silence_.setInterval(kSilenceMs);
    watch_.setInterval(kWatchMs);
    decodePause_.setInterval(kDecodePauseMs);
    connect(port_, &AdapterPort::ChunkArrived, this, &LinkSession::HandleChunk);
    connect(port_, &AdapterPort::ProbeFinished, this, &LinkSession::ProbeFinishedOnPort);
    connect(port_, &AdapterPort::Written, this, &LinkSession::Written);
    connect(port_, &AdapterPort::WriteFailed, this, [this] {
        if (port_->IsOpen()) PortError();
    });
    connect(port_, &AdapterPort::Error, this, [this](int e) {
        // A wait for written bytes may time out; that is no port failure. A
        // failed open is reported where it happens.
        if (e != QSerialPort::TimeoutError && port_->IsOpen()) PortError();
    });
    connect(&watch_, &QTimer::timeout, this, &LinkSession::WatchTick);
    connect(&connectReply_, &QTimer::timeout, this, [this] {
        if (state_ != TState::Connecting) return;
        SetState(TState::Ready);
        emit ConnectUnanswered();
    });
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
    return port_->PortName();
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
    port_->StartProbe();
}

bool LinkSession::OpenPort() {
    const TAdapterQuery query = locator_ ? locator_->gets() : TAdapterQuery{};
    if (query.Count != 1) {
        emit PortFailed(TPortProblem::NoAdapter, query.PortName,
                        query.Count > 1 ? QStringLiteral("more than one adapter") : QString());
        return false;
    }
    if (!port_->Open(query.PortName)) {
        emit PortFailed(OpenProblem(port_->OpenError(), query.PortName), query.PortName,
                        port_->OpenErrorText());
        return false;
    }
    return true;
}

void LinkSession::ProbeFinishedOnPort(bool answered) {
    const QString port = port_->PortName();
    if (answered) {
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
    connectReply_.start(kConnectReplyMs);
}

void LinkSession::Disconnect() {
    if (!port_->IsOpen()) return;
    Write("AT");
}

void LinkSession::Close() {
    watch_.stop();
    if (port_->IsOpen()) ClosePort(true);
}

void LinkSession::ClosePort(bool dropLink) {
    const bool wasConnected = state_ == TState::Connected;
    // On an orderly close whatever is queued leaves first, each after its gap,
    // then the drop; a failed port or probe takes nothing more.
    port_->Close(dropLink, dropLink ? AdapterPort::TWaiting::Send : AdapterPort::TWaiting::Drop);
    LinkDown(false);
    SetState(TState::Closed);
    if (wasConnected) emit LinkLost();
}

void LinkSession::Write(const QByteArray& bytes) {
    if (port_->IsOpen()) port_->Write(bytes);
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

void LinkSession::HandleChunk(const QByteArray& chunk) {
    using linkcore::TChunkKind;
    const TChunkKind kind = linkcore::ClassifyChunk(
        std::string_view(chunk.constData(), static_cast<std::size_t>(chunk.size())),
        DecodePaused());
    emit ChunkClassified(kind, chunk);
    const linkcore::TChunkEffects fx = linkcore::EffectsOf(kind);
    if (fx.clearPortBuffers) port_->ClearInput();
    switch (kind) {
        case TChunkKind::Connecting:
            SetState(TState::Connecting);
            connectReply_.start(kConnectingMs);
            break;
        case TChunkKind::ConnectFailed:
        case TChunkKind::NoConnection:
            connectReply_.stop();
            if (state_ == TState::Connected) LinkDown(true);
            if (port_->IsOpen()) SetState(TState::Ready);
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
        const std::string_view bytes(chunk.constData(), static_cast<std::size_t>(chunk.size()));
        for (const std::string_view frame : linkcore::FramesOf(bytes))
            emit FrameReceived(QByteArray(frame.data(), static_cast<qsizetype>(frame.size())));
    }
}

void LinkSession::LinkUp() {
    if (state_ == TState::Connected) return;
    connectReply_.stop();
    SetState(TState::Connected);
    afterConnect_.start();
    emit Connected();
}

// `lost`: the adapter said so; otherwise the port is closing.
void LinkSession::LinkDown(bool lost) {
    connectReply_.stop();
    afterConnect_.stop();
    wake_.stop();
    silence_.stop();
    decodePause_.stop();
    if (!lost) return;
    const bool wasConnected = state_ == TState::Connected;
    if (port_->IsOpen()) SetState(TState::Ready);
    if (wasConnected) emit LinkLost();
}

// The device went away (adapter unplugged): close at once, or its notifier
// keeps firing.
void LinkSession::PortError() {
    const QString port = port_->PortName();
    const QString detail = port_->ErrorText();
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
