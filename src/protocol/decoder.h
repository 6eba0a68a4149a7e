// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "i18n/lexicon.h"
#include "protocol/frame.h"
#include "protocol/state.h"

// Validation of a received frame and the effects it has on the window, as
// data. The window applies the effects in the order of the fields below.
namespace protocol {

// Screen procedure to run for the frame.
enum class TScreen { None, Rlcd, Rd, U };

struct TFrameEffects {
    // T34 (wake-up timer): every accepted frame stops it; a sleep frame starts
    // it again afterwards.
    bool stopT34 = false;
    bool startT34 = false;

    // JP5, the power-save indicator: shown with `jp5Text` for a power-save
    // frame, hidden otherwise.
    bool jp5Visible = false;
    std::string jp5Text;  // meaningful only when jp5Visible

    // Model display. Check radio button RB<modelRadioButton>. When it was not
    // checked yet, its click behaviour follows: Model is already set here, so
    // the window rebuilds the model lists and saves the model to the settings
    // file. `modelChanged`: the frame's model differs from the previous one.
    int modelRadioButton = 1;
    bool modelChanged = false;
    bool button3Visible = false;  // Button3 "U"

    bool sp4Down = false;  // SP4 "Яркость" mirrors the brightness key

    // False while SB4 "Изменение профиля" is down: the frame stops here and
    // the three fields below stay off.
    bool screensUpdated = false;
    bool restartT33 = false;         // stop, then start the display watchdog
    bool refreshModelLists = false;  // RefreshModelLists
    TScreen screen = TScreen::None;  // ShowRlcdMode / ShowRdMode / ShowUMode
};

struct TFrameDecodeResult {
    bool accepted = false;
    TFrameRejection rejection = TFrameRejection::None;
    // The new meter state (Model, DisplayMode, PowerSave); an unchanged copy
    // when the frame is rejected.
    TMeterState state;
    std::optional<TPowerSaveInfo> powerSave;  // for a power-save frame
    TFrameEffects effects;                    // all off when rejected
};

// `profileEditing`: SB4 "Изменение профиля" is down. Reads bytes 0..17 only;
// fewer than 18 bytes are rejected without reading any.
TFrameDecodeResult DecodeMeasurementFrame(std::span<const std::uint8_t> bytes,
                                          const TMeterState& state, bool profileEditing,
                                          const i18n::TLexicons& lexicons);

// JP5 text of a power-save frame, e.g. "Сон 300сек".
std::string PowerSaveText(const TPowerSaveInfo& info, const i18n::TLexicons& lexicons);

}  // namespace protocol
