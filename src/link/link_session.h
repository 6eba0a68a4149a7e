// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>
#include <memory>

#include "link/adapter_locator.h"
#include "link/adapter_port.h"
#include "linkcore/chunk.h"
#include "protocol/command.h"

// One session with the meter through the USB Bluetooth LE adapter, with no
// window: finding and opening the adapter's port, the start-up probe, the
// radio link ("AT+CONNL" and the adapter's replies), watching the port, waking
// the meter after connecting and while it is silent, measurement frames out and
// command frames in. The window's connection manager and the command-line
// logger both drive it.
class LinkSession : public QObject {
    Q_OBJECT

  public:
    enum class TState { Closed, Probing, Ready, Connecting, Connected };
    // Why the adapter's port is not usable.
    enum class TPortProblem { NoAdapter, Busy, Permission, Unusable, Gone };

    explicit LinkSession(std::unique_ptr<AdapterLocator> locator, QObject* parent = nullptr);
    ~LinkSession() override;

    // Finds the adapter, opens its port and probes it: ends in Ready
    // (ProbeFinished true) or Closed (PortFailed, or ProbeFinished false).
    void Start();
    // Asks the adapter for the radio link; only when Ready.
    void Connect();
    // Drops the radio link ("AT"); the port stays open.
    void Disconnect();
    // Drops the radio link and closes the port; the bytes leave before it returns.
    void Close();
    // While reconnecting, a lost link or a failed connect is retried at every
    // watch tick, and a port that went away is looked for again.
    void SetReconnect(bool on) { reconnect_ = on; }

    // A 6-byte command frame for the meter. Frames arriving in the next 50 ms
    // are dropped, so the meter's next report cannot undo the change on screen.
    void SendCommand(const protocol::TCommandFrame& frame);
    // A frame said the meter sleeps: wake it until it reports again.
    void MeterAsleep();

    // One chunk as it arrived (bytes up to a 10 ms pause).
    void HandleChunk(const QByteArray& chunk);

    TState State() const { return state_; }
    QString PortName() const;
    bool DecodePaused() const { return decodePause_.isActive(); }

    // What a failed open of `path` means, from the port's error and the
    // device's access rights.
    static TPortProblem OpenProblem(int serialPortError, const QString& path);

    static constexpr int kWriteGapMs = AdapterPort::kWriteGapMs;
    static constexpr int kWatchMs = 2500;  // link watch and retries
    // The adapter answers "AT+CONNL" with "OK+CONNL" at once, and the radio
    // link is up or given up ("OK+CONNF") within seconds: past these, the
    // request is taken as lost.
    static constexpr int kConnectReplyMs = 3000;
    static constexpr int kConnectingMs = 15000;
    static constexpr int kAfterConnectMs = 1000;  // first wake after the link is up
    static constexpr int kWakeMs = 2000;          // wake repeats while the meter is silent
    // No report for this long (the slowest interval is 2 s) means a silent meter.
    static constexpr int kSilenceMs = 5000;
    static constexpr int kDecodePauseMs = 50;

  signals:
    void StateChanged(LinkSession::TState state);
    void PortFailed(LinkSession::TPortProblem problem, const QString& port, const QString& detail);
    void ProbeFinished(bool answered, const QString& port);
    // Every chunk outside the probe, classified.
    void ChunkClassified(linkcore::TChunkKind kind, const QByteArray& chunk);
    void Connected();
    // "OK+CONNF"/"OK+CONNE" (noConnection false) or "OK+CONNN" (true).
    void ConnectFailed(bool noConnection);
    void LinkLost();
    // "AT+CONNL" got no answer in time; the session is Ready again.
    void ConnectUnanswered();
    void FrameReceived(const QByteArray& frame);
    void Written(const QByteArray& bytes);

  private:
    bool OpenPort();
    void ClosePort(bool dropLink);
    void Write(const QByteArray& bytes);
    void ProbeFinishedOnPort(bool answered);
    void PortError();
    void WatchTick();
    void Wake();
    void SetState(TState state);
    void LinkUp();
    void LinkDown(bool lost);

    std::unique_ptr<AdapterLocator> locator_;
    AdapterPort* port_;
    TState state_ = TState::Closed;
    bool reconnect_ = false;
    QTimer watch_;
    QTimer afterConnect_;
    QTimer wake_;
    QTimer silence_;
    QTimer decodePause_;
    QTimer connectReply_;
};
