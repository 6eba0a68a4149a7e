// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QTimer>

// Enabling a timer that already runs keeps its interval going; only a stop and
// a start restart it.
inline void EnableTimer(QTimer* timer) {
    if (!timer->isActive()) timer->start();
}
