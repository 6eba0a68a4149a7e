// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// Link flags and profile identity shared by the links, the decoder and the
// controls. The meter state and settings record live in the window's screen
// state. Everything touches these on the event-loop thread only.
struct TProgramState {
    bool MeterConnected = false;
    int DecodePaused = 0;
    bool UseDirectBle = true;
    bool BleLinkUp = false;
    bool Scanning = false;
    bool AdapterFound = false;
    bool AdapterPortOpen = false;

    QString ProfilePath;
    QString ProfileName;
    int ProfileCount = 0;
};
