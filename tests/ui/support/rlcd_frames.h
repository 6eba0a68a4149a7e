// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <span>

#include "app/main.h"
#include "protocol/frame.h"
#include "protocol/settings.h"

// RLCD frames of a part as a КС15 reports it: default settings with R as the
// primary and Q as the secondary parameter, series circuit.
struct RlcdReport {
    float rs = 1000.0f;
    float xs = -0.5f;
    bool hold = false;
    bool powerSave = false;
};

inline protocol::TMeasurementFrame RlcdFrameOf(const RlcdReport& r) {
    protocol::TMeterSettings settings;
    protocol::TMeterState state;
    protocol::ApplyDefaults(settings, state);
    settings.PrimAuto() = 0;
    settings.PrimIndex() = 1;  // R
    settings.Hold() = r.hold ? 1 : 0;
    protocol::TFrameFields f;
    f.status.displayMode = 1;
    f.status.model = 0;
    f.value1 = r.rs;
    f.value2 = r.xs;
    f.settings = protocol::ReportedSettingsBytes(settings);
    if (r.powerSave) {
        f.status.powerSave = true;
        f.powerSave = {true, 10};
    }
    return protocol::BuildMeasurementFrame(f);
}

inline void FeedRlcd(TForm1& form, const RlcdReport& r) {
    const protocol::TMeasurementFrame frame = RlcdFrameOf(r);
    form.DecodeMeasurementFrame(std::span<const std::uint8_t>(frame.data(), frame.size()));
}
