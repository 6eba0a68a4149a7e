// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>

#include "display/format.h"
#include "protocol/frame.h"

// The RD screen (DC resistance and diode test) and the U screen (voltage and
// current). Neither touches the settings record or the log; they only fill
// their panel. An empty optional leaves the control as it was.
namespace display {

struct TRdScreen {
    std::optional<std::string> RD_Prim;    // main reading
    std::optional<std::string> RD_prim_R;  // "R" or "D"
    std::optional<std::string> RD_V;       // test voltage
    std::optional<std::string> J_prim;     // "I"
    std::optional<std::string> Joo;        // index letter of I1
    std::optional<std::string> RD_J;       // "=" and I1
    std::optional<std::string> RD_J1;      // I2
    std::optional<std::string> RD_Auto;
    std::optional<int> Im_Diod;  // image of ImList1 (0..2)
    bool SP3_Enabled = false;    // "Захват" is off in this mode
};

struct TUScreen {
    std::optional<std::string> U_Prim;  // main reading
    std::optional<std::string> U_vrm;   // rms or maximum
    std::optional<std::string> U_pp;    // peak-to-peak, minimum or resistance
    bool SP3_Enabled = false;
};

TRdScreen ShowRdMode(const protocol::TMeasurementFrame& frame, const TTextContext& ctx);
TUScreen ShowUMode(const protocol::TMeasurementFrame& frame, const TTextContext& ctx);

// A current given in microamperes, in micro- or milliamperes.
std::string FormatMicroMilliAmps(double microAmps, const TTextContext& ctx);

}  // namespace display
