// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QMetaObject>
#include <QObject>
#include <functional>

#include "link/ble_central.h"

// Hands a central's events to its handlers from the event loop, one at a time.
// Events are queued, so a handler never runs inside a call it made into the
// central (cancelling a discovery, say). An event still queued when the central
// is switched off, or when the link it belongs to is dropped (Reset), is lost.
class BleEventGate {
  public:
    explicit BleEventGate(QObject& context) : context_(context) {}

    void Attach(BleCentralEvents& events) { events_ = &events; }
    void SetOpen(bool open) {
        if (!open) Reset();
        open_ = open;
    }
    bool Open() const { return open_; }
    // Events posted so far are lost.
    void Reset() { ++generation_; }

    void Post(std::function<void(BleCentralEvents&)> event) {
        if (!open_) return;
        const unsigned generation = generation_;
        QMetaObject::invokeMethod(
            &context_,
            [this, generation, event = std::move(event)] {
                if (open_ && generation == generation_ && events_) event(*events_);
            },
            Qt::QueuedConnection);
    }

  private:
    QObject& context_;
    BleCentralEvents* events_ = nullptr;
    bool open_ = false;
    unsigned generation_ = 0;
};
