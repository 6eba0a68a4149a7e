// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/adapter_port.h"

#include <QSerialPort>
#include <QThread>
#include <algorithm>

#include "linkcore/chunk.h"

namespace {
// Ten bits a byte at 9600 baud, rounded up.
qint64 WireMs(qsizetype bytes) {
    return (static_cast<qint64>(bytes) * 10 * 1000 + 9599) / 9600;
}
}  // namespace

AdapterPort::AdapterPort(QObject* parent) : QObject(parent), port_(new QSerialPort(this)) {
    port_->setObjectName("ComPort");
    port_->setReadBufferSize(4000);
    for (QTimer* t : {&chunkTimer_, &probeTimer_, &gapTimer_}) t->setSingleShot(true);
    chunkTimer_.setInterval(kChunkPauseMs);
    connect(port_, &QSerialPort::readyRead, this, &AdapterPort::ReadyRead);
    connect(&chunkTimer_, &QTimer::timeout, this, &AdapterPort::ChunkEnded);
    connect(&probeTimer_, &QTimer::timeout, this, &AdapterPort::ProbeTick);
    connect(&gapTimer_, &QTimer::timeout, this, &AdapterPort::SendQueued);
    connect(port_, &QSerialPort::errorOccurred, this, [this](QSerialPort::SerialPortError e) {
        // Pseudo-terminals refuse the modem lines; that is no port failure.
        if (e == QSerialPort::NoError || e == QSerialPort::UnsupportedOperationError) return;
        emit Error(e);
        // A read that fails or ends means the device is gone. Its notifier
        // keeps firing until the port is closed; the owner closes it from the
        // event loop, not from inside the port's own notification.
        if ((e == QSerialPort::ResourceError || e == QSerialPort::ReadError) && IsOpen() &&
            !gonePending_) {
            gonePending_ = true;
            const QString detail = port_->errorString();
            QMetaObject::invokeMethod(
                this,
                [this, detail] {
                    gonePending_ = false;
                    if (IsOpen()) emit Gone(detail);
                },
                Qt::QueuedConnection);
        }
    });
}

bool AdapterPort::IsOpen() const {
    return port_->isOpen();
}

QString AdapterPort::PortName() const {
    return port_->portName();
}

QString AdapterPort::ErrorText() const {
    return port_->errorString();
}

bool AdapterPort::Open(const QString& path) {
    if (IsOpen()) return true;
    path_ = path;
    port_->setPortName(path);
    port_->setBaudRate(QSerialPort::Baud9600);
    port_->setDataBits(QSerialPort::Data8);
    port_->setParity(QSerialPort::NoParity);
    port_->setStopBits(QSerialPort::OneStop);
    port_->setFlowControl(QSerialPort::NoFlowControl);
    if (!port_->open(QIODevice::ReadWrite)) {
        openError_ = port_->error();
        openErrorText_ = port_->errorString();
        port_->clearError();
        return false;
    }
    openError_ = QSerialPort::NoError;
    openErrorText_.clear();
    port_->setDataTerminalReady(false);
    port_->setRequestToSend(false);
    pending_.clear();
    return true;
}

void AdapterPort::Close(bool dropLink, TWaiting waiting) {
    probeTimer_.stop();
    probeStep_ = ProbeStep::Idle;
    probeReply_.clear();
    chunkTimer_.stop();
    gapTimer_.stop();
    pending_.clear();
    // Closing cannot wait on a timer: the bytes must go out first. Each wait is
    // at most one gap.
    const auto sendNow = [this](const QByteArray& bytes) {
        if (!IsOpen()) return;
        if (const qint64 wait = MsUntilWriteAllowed(); wait > 0)
            QThread::msleep(static_cast<unsigned long>(wait));
        // Waiting with nothing left to write would only time out.
        if (WriteNow(bytes) && port_->bytesToWrite() > 0) port_->waitForBytesWritten(300);
    };
    std::deque<TPendingWrite> left;
    left.swap(outbox_);
    for (const TPendingWrite& w : left) {
        if (waiting == TWaiting::Send) sendNow(w.bytes);
        if (w.settled) w.settled();
    }
    if (dropLink) sendNow("AT");
    if (IsOpen()) port_->close();
}

void AdapterPort::Write(const QByteArray& bytes, std::function<void()> settled) {
    if (!IsOpen()) {
        emit WriteFailed();
        if (settled) settled();
        return;
    }
    outbox_.push_back({bytes, std::move(settled)});
    if (!gapTimer_.isActive()) SendQueued();
}

qint64 AdapterPort::MsUntilWriteAllowed() const {
    if (!sinceLastWrite_.isValid()) return 0;
    return std::max<qint64>(0, lastWriteMs_ + kWriteGapMs - sinceLastWrite_.elapsed());
}

bool AdapterPort::WriteNow(const QByteArray& bytes) {
    if (!IsOpen() || port_->write(bytes) != bytes.size()) {
        emit WriteFailed();
        return false;
    }
    port_->flush();
    sinceLastWrite_.start();
    lastWriteMs_ = WireMs(bytes.size());
    emit Written(bytes);
    return true;
}

void AdapterPort::SendQueued() {
    while (!outbox_.empty()) {
        if (const qint64 wait = MsUntilWriteAllowed(); wait > 0) {
            gapTimer_.start(static_cast<int>(wait));
            return;
        }
        const TPendingWrite next = std::move(outbox_.front());
        outbox_.pop_front();
        WriteNow(next.bytes);
        if (next.settled) next.settled();
    }
}

bool AdapterPort::ClearInput() {
    pending_.clear();
    if (!IsOpen()) return true;
    port_->readAll();
    return port_->clear();
}

void AdapterPort::ReadyRead() {
    pending_.append(port_->readAll());
    if (pending_.size() >= kMaxChunk) {
        chunkTimer_.stop();
        ChunkEnded();
        return;
    }
    chunkTimer_.start();  // the chunk ends at the first 10 ms pause
}

void AdapterPort::ChunkEnded() {
    const QByteArray chunk = pending_.left(kMaxChunk);
    pending_.remove(0, chunk.size());
    if (probeStep_ != ProbeStep::Idle) {
        if (probeStep_ == ProbeStep::FirstAt) return;  // cleared before the second "AT"
        probeReply_.append(chunk);
        if (probeStep_ == ProbeStep::LateReply && !probeReply_.isEmpty()) FinishProbe();
        return;
    }
    emit ChunkArrived(chunk);
}

// Runs on timers so a window (and a meter simulated in-process) keep going.
void AdapterPort::StartProbe() {
    probeReply_.clear();
    probeStep_ = ProbeStep::FirstAt;
    Write("AT");
    probeTimer_.start(kProbeSettleMs);
}

void AdapterPort::ProbeTick() {
    if (probeStep_ == ProbeStep::FirstAt) {
        // A reply to the first "AT" still gathering must not end the second wait.
        chunkTimer_.stop();
        ClearInput();
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

void AdapterPort::FinishProbe() {
    probeTimer_.stop();
    probeStep_ = ProbeStep::Idle;
    const QByteArray reply = probeReply_.left(kProbeReplyMax);
    probeReply_.clear();
    emit ProbeFinished(linkcore::ProbeAnswered(
        std::string_view(reply.constData(), static_cast<std::size_t>(reply.size()))));
}
