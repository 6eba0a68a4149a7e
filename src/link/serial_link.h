#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <deque>
#include <functional>
#include <memory>
#include <span>

#include "i18n/lexicon.h"
#include "link/adapter_locator.h"

class QSerialPort;
class TForm1;
struct TProgramState;

// What the serial link reports upward.
class SerialLinkEvents {
  public:
    virtual ~SerialLinkEvents() = default;
    virtual void EnterConnectedState() = 0;
    virtual void EnterDisconnectedState() = 0;
    virtual void DecodeMeasurementFrame(std::span<const std::uint8_t> frame) = 0;
};

// The USB Bluetooth LE adapter on a serial port: locating and opening it, the
// AT dialogue, and the chunks that arrive (adapter replies and measurement frames).
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
    bool ProbeRunning() const { return probeStep_ != ProbeStep::Idle; }

    // Line for the connection log when a port cannot be opened.
    static QString OpenFailureLine(const i18n::TLexicons& lexicons, int error, const QString& path);

    bool IsOpen() const;
    void Open();
    void Close();
    // The device under the open port is gone (unplugged adapter, closed
    // pseudo-terminal): close without a drop command, disconnect, say so.
    void AdapterLost();
    void SendConnect() { Write("AT+CONNL"); }
    void SendDrop() { Write("AT"); }
    // Each write goes out whole, at least kWriteGapMs after the previous one
    // has left the port; writes in between wait their turn on a timer.
    // `settled` runs once the bytes went out or failed to.
    void Write(const QByteArray& bytes, std::function<void()> settled = {});
    bool WritesWaiting() const { return !outbox_.empty(); }

    // One chunk as it arrived (bytes up to a 10 ms pause).
    void HandleSerialInput(const QByteArray& chunk);

    QSerialPort* ComPort;

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
    // The probe got no "OK": the caller shows the message box.
    void ProbeUnanswered(const QString& portName);

  private:
    enum class ProbeStep { Idle, FirstAt, SecondAt, LateReply };

    void ComPortRxChar();
    void ChunkEnded();
    void ComPortAfterOpen();
    void ComPortBeforeClose();
    void OnPortError(int error);
    void SendQueued();
    qint64 MsUntilWriteAllowed() const;
    void WaitForWriteGap() const;
    void ComPortException();
    void ClearBuffers();
    void ProbeTick();
    void FinishProbe();
    void Log(const QString& line);

    TForm1& form_;
    TProgramState& state_;
    std::unique_ptr<AdapterLocator> locator_;
    SerialLinkEvents& events_;
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
    qint64 lastWriteMs_ = 0;   // time on the wire of the last write
    QString portPath_;         // as the locator reported it; Qt shortens it ("pts/0")
    QString lastOpenFailure_;  // logged already; cleared by a successful open
    bool deviceGone_ = false;  // set while closing a port whose device vanished
    bool quietClose_ = false;  // the disconnection was logged already
    bool lostPending_ = false;
};
