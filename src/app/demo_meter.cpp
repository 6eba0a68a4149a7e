// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/demo_meter.h"

#include <QSocketNotifier>

DemoMeter::DemoMeter(sim::TSimConfig config, QObject* parent)
    : QObject(parent),
      meter_(std::move(config)),
      notifier_(new QSocketNotifier(pty_.MasterFd(), QSocketNotifier::Read, this)) {
    wake_.setSingleShot(true);
    connect(notifier_, &QSocketNotifier::activated, this, &DemoMeter::OnInput);
    connect(&wake_, &QTimer::timeout, this, [this] {
        CatchUp();
        Flush();
        ScheduleNext();
    });
    clock_.start();
    ScheduleNext();
}

// The simulator's clock follows the wall clock.
void DemoMeter::CatchUp() {
    const qint64 now = clock_.elapsed();
    if (now > simulatedMs_) {
        meter_.Advance(static_cast<int>(now - simulatedMs_));
        simulatedMs_ = now;
    }
}

void DemoMeter::OnInput() {
    CatchUp();
    const std::vector<std::uint8_t> bytes = pty_.ReadAvailable();
    if (!bytes.empty()) {
        const QByteArray piece(reinterpret_cast<const char*>(bytes.data()),
                               static_cast<qsizetype>(bytes.size()));
        received_.append(piece);
        const qint64 now = clock_.elapsed();
        if (commands_.isEmpty() || now - lastInputMs_ >= sim::TSimMeter::kCommandQuietMs)
            commands_.append(piece);
        else
            commands_.last().append(piece);
        lastInputMs_ = now;
        meter_.Receive(bytes);
    }
    Flush();
    ScheduleNext();
}

void DemoMeter::Flush() {
    for (const sim::Bytes& burst : meter_.TakeBursts()) pty_.Write(burst);
}

void DemoMeter::ScheduleNext() {
    const int due = meter_.MsUntilNextEvent();
    if (due >= 0)
        wake_.start(due);
    else
        wake_.stop();
}
