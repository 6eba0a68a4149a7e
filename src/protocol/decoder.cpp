// SPDX-License-Identifier: GPL-3.0-or-later
#include "protocol/decoder.h"

namespace protocol {
namespace {

constexpr int kSecondsSign = 5;  // D3 item "сек"

TScreen ScreenOf(std::uint8_t displayMode) {
    switch (displayMode) {
        case static_cast<std::uint8_t>(TDisplayMode::Rlcd):
            return TScreen::Rlcd;
        case static_cast<std::uint8_t>(TDisplayMode::Rd):
            return TScreen::Rd;
        case static_cast<std::uint8_t>(TDisplayMode::U):
            return TScreen::U;
        default:
            return TScreen::None;
    }
}

}  // namespace

std::string PowerSaveText(const TPowerSaveInfo& info, const i18n::TLexicons& lexicons) {
    const int state = info.asleep ? i18n::connect::Asleep : i18n::connect::Economy;
    return lexicons.Dlang_connect.GetItem(state) + " " + std::to_string(info.seconds) +
           lexicons.D3.GetItem(kSecondsSign);
}

TFrameDecodeResult DecodeMeasurementFrame(std::span<const std::uint8_t> bytes,
                                          const TMeterState& state, bool profileEditing,
                                          const i18n::TLexicons& lexicons) {
    TFrameDecodeResult r;
    r.state = state;
    r.rejection = ValidateFrame(bytes);
    if (r.rejection != TFrameRejection::None) return r;
    r.accepted = true;

    const auto frame = bytes.first<kFrameSize>();
    const TStatus status = DecodeStatus(frame[fb::Status]);
    TFrameEffects& e = r.effects;

    r.state.Model = static_cast<TMeterModel>(status.model);
    if (status.displayMode != 0) r.state.DisplayMode = status.displayMode;

    e.stopT34 = true;
    r.state.PowerSave = status.powerSave;
    if (status.powerSave) {
        r.powerSave = DecodePowerSave(frame);
        e.jp5Visible = true;
        e.jp5Text = PowerSaveText(*r.powerSave, lexicons);
        e.startT34 = r.powerSave->asleep;
    }

    const TModelInfo& model = ModelInfo(r.state.Model);
    e.modelRadioButton = model.radioButton;
    e.modelChanged = r.state.Model != state.Model;
    e.button3Visible = model.uModeOffered;
    e.sp4Down = status.brightnessKey;

    if (profileEditing) return r;
    e.screensUpdated = true;
    e.restartT33 = true;
    e.refreshModelLists = true;
    e.screen = ScreenOf(r.state.DisplayMode);
    return r;
}

}  // namespace protocol
