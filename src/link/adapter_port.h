// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>
#include <deque>
#include <functional>

class QSerialPort;

// The serial port of the USB Bluetooth LE adapter, without any window: opening
// it at the adapter's line settings, writes spaced so the adapter tells its
// commands apart, incoming bytes cut into chunks at pauses, the start-up probe,
// and noticing a device that went away. The link session and the window's
// serial link both stand on it.
class AdapterPort : public QObject {
    Q_OBJECT

  public:
    explicit AdapterPort(QObject* parent = nullptr);

    // Opens `path` at 9600 8N1 without flow control. On failure the port stays
    // closed and OpenError/OpenErrorText say why.
    bool Open(const QString& path);
    int OpenError() const { return openError_; }
    QString OpenErrorText() const { return openErrorText_; }
    bool IsOpen() const;
    // As it was opened; Qt's own name for it is shortened ("pts/0").
    QString Path() const { return path_; }
    QString PortName() const;
    // The port's own words for its last error.
    QString ErrorText() const;

    enum class TWaiting { Drop, Send };
    // Closes the port. Writes still waiting for their turn are sent first or
    // dropped (their `settled` runs either way); then "AT" drops the adapter's
    // radio link unless `dropLink` is false. The gaps are waited out here, as
    // the bytes must leave before the port closes: a few tens of milliseconds.
    void Close(bool dropLink, TWaiting waiting);

    // Each write goes out whole, at least kWriteGapMs after the previous one
    // has left the wire; writes in between wait their turn on a timer.
    // `settled` runs once the bytes went out or failed to.
    void Write(const QByteArray& bytes, std::function<void()> settled = {});
    bool WritesWaiting() const { return !outbox_.empty(); }

    // Drops what has arrived and not been handed out yet; false when the port
    // refused to clear its buffers.
    bool ClearInput();

    // The probe: "AT", 200 ms, clear; "AT" again, then whatever arrives in the
    // next 200 ms must hold "OK". When nothing has come by then, the first
    // reply within a second still counts. Chunks go to the probe meanwhile.
    void StartProbe();
    bool ProbeRunning() const { return probeStep_ != ProbeStep::Idle; }

    static constexpr int kChunkPauseMs = 10;
    static constexpr int kMaxChunk = 1000;
    static constexpr int kProbeSettleMs = 200;
    // The adapter answers "AT" within a few milliseconds; a second is plenty,
    // and a dead port must not hold up the start.
    static constexpr int kProbeReplyTimeoutMs = 1000;
    static constexpr int kProbeReplyMax = 40;
    // The adapter ends a command when its input pauses; two writes closer than
    // this would reach it as one unknown command.
    static constexpr int kWriteGapMs = 60;

  signals:
    // Bytes up to a 10 ms pause (or kMaxChunk of them), outside the probe.
    void ChunkArrived(const QByteArray& chunk);
    void ProbeFinished(bool answered);
    void Written(const QByteArray& bytes);
    // A write the port did not take whole.
    void WriteFailed();
    // Any error of the port but the modem lines a pseudo-terminal refuses.
    void Error(int serialPortError);
    // The device under the open port is gone (a read failed or hit its end).
    // Comes from the event loop, not from inside the port's notification, and
    // only while the port is still open.
    void Gone(const QString& detail);

  private:
    enum class ProbeStep { Idle, FirstAt, SecondAt, LateReply };

    void ReadyRead();
    void ChunkEnded();
    void SendQueued();
    qint64 MsUntilWriteAllowed() const;
    bool WriteNow(const QByteArray& bytes);
    void ProbeTick();
    void FinishProbe();

    QSerialPort* port_;
    QString path_;
    int openError_ = 0;
    QString openErrorText_;
    QTimer chunkTimer_;
    QByteArray pending_;
    QTimer probeTimer_;
    ProbeStep probeStep_ = ProbeStep::Idle;
    QByteArray probeReply_;
    struct TPendingWrite {
        QByteArray bytes;
        std::function<void()> settled;
    };
    std::deque<TPendingWrite> outbox_;
    QTimer gapTimer_;
    QElapsedTimer sinceLastWrite_;
    qint64 lastWriteMs_ = 0;  // time on the wire of the last write
    bool gonePending_ = false;
};
