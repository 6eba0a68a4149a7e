// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QTimer>
#include <memory>

#include "sim/meter.h"
#include "sim/pty.h"

class QSocketNotifier;

// The simulated adapter and meter inside the application (--demo): it serves a
// pseudo-terminal from the event loop, and the window opens that terminal with
// its ordinary serial code.
class DemoMeter : public QObject {
    Q_OBJECT

  public:
    explicit DemoMeter(sim::TSimConfig config, QObject* parent = nullptr);

    QString PortPath() const { return QString::fromStdString(pty_.SlavePath()); }
    sim::TSimMeter& Meter() { return meter_; }
    // Every byte the host wrote so far, for tests and for watching a session.
    const QByteArray& Received() const { return received_; }
    // The same, cut where the host paused as long as the adapter needs to end a
    // command: each piece is what the adapter took as one command.
    const QList<QByteArray>& ReceivedCommands() const { return commands_; }

  private:
    void CatchUp();
    void OnInput();
    void Flush();
    void ScheduleNext();

    sim::TPtyPair pty_;
    sim::TSimMeter meter_;
    QSocketNotifier* notifier_;
    QTimer wake_;
    QElapsedTimer clock_;
    qint64 simulatedMs_ = 0;
    QByteArray received_;
    QList<QByteArray> commands_;
    qint64 lastInputMs_ = 0;
};
