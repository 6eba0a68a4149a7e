// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "display/format.h"
#include "display/indicators.h"
#include "display/picker_choice.h"
#include "display/rd_u_screen.h"
#include "display/rlc_screen.h"
#include "protocol/decoder.h"
#include "protocol/settings.h"
#include "protocol/state.h"

// The meter screens as a window keeps them, without a toolkit: every frame goes
// through the frame decoder and the screen of the current display mode, and
// the labels keep their texts from frame to frame. The window applies what
// changed to its widgets; the command-line decoder prints it.
namespace display {

enum class TPanel { Rlcd, Rd, U };

// The display's text controls, in screen order.
enum class TControl : std::uint8_t {
    L_Level_RLC,
    L_Source_RLC,
    L_freq_RLC,
    L_RLC_avto,
    L_Prim_RLC,
    L_SER_PER1,
    L_prim_n,
    L_RQD_avto,
    L_Sec_RLC,
    L_SER_PER,
    L_sec_n,
    L_righ1,
    L_righ2,
    L_righ3,
    L_righ4,
    L_righ5,
    L_righ6,
    RD_Prim,
    RD_prim_R,
    RD_V,
    J_prim,
    Joo,
    RD_J,
    RD_J1,
    RD_Auto,
    U_Prim,
    U_vrm,
    U_pp,
    JP5,
    Count
};
inline constexpr std::size_t kControlCount = static_cast<std::size_t>(TControl::Count);

const char* ControlName(TControl control);
std::optional<TControl> ControlByName(std::string_view name);

const char* PanelName(TPanel panel);  // "Panel_RLCD", "Panel_RD", "Panel_U"

// Control names of each display panel, in screen order.
const std::vector<std::string>& RlcdControls();
const std::vector<std::string>& RdControls();  // Im_Diod is an image, see Image()
const std::vector<std::string>& UControls();

struct TFrameOutcome {
    protocol::TFrameDecodeResult decode;    // validation and the decoder's window effects
    bool modelListsRefreshed = false;       // RefreshModelLists ran for the frame
    std::optional<TModelLists> modelLists;  // ... and its lists changed (model or language)
    std::optional<TRlcResult> rlcd;         // the RLCD screen ran
    std::optional<TRdScreen> rd;            // the RD screen ran
    std::optional<TUScreen> u;              // the U screen ran
    std::vector<TControl> changedTexts;     // controls whose text changed
};

class TScreenState {
  public:
    // `lexicons` must outlive this object; a language switch shows from the
    // next frame on.
    TScreenState(const i18n::TLexicons& lexicons, TSeparators separators);

    // The start-up of a window: the model, the default settings with their
    // indicators, and the model's lists. The RLCD panel is shown.
    // Returns the indicators shown, for the toggles that mirror the record.
    TSettingsIndicators Start(protocol::TMeterModel model);

    // One received frame. A rejected frame changes nothing.
    TFrameOutcome Feed(std::span<const std::uint8_t> bytes);

    // The display watchdog ran out: stale readings are cleared, JP5 hidden.
    void ClearStaleReadings();
    // A read-out emptied outside a frame (disconnection, port error).
    void ClearText(std::string_view control);

    // Re-show the indicators of the current record (after a picker or a
    // profile entry changed it).
    TSettingsIndicators ShowSettingsNow();
    TCircuitIndicators ShowCircuitNow();
    TModelLists RefreshModelListsNow();
    // The lists last made for the model and language; null before the first.
    const TModelLists* CurrentModelLists() const { return listsFor_ ? &lists_ : nullptr; }

    // A click in a settings picker: the record and the indicators change at
    // once. Returns the controls whose text was written.
    std::vector<std::string> ChoosePickerItem(TPicker picker, int index);

    // Text a control shows, or nothing when no one has written it yet.
    std::optional<std::string> Text(std::string_view control) const;
    const std::optional<std::string>& Text(TControl control) const {
        return texts_[static_cast<std::size_t>(control)];
    }
    // Every written text by control name.
    std::map<std::string, std::string, std::less<>> Texts() const;
    std::optional<int> Image() const { return image_; }  // Im_Diod

    TPanel VisiblePanel() const { return panel_; }
    std::uint8_t DisplayMode() const { return state_.DisplayMode; }
    bool Jp5Visible() const { return jp5Visible_; }
    bool SourceVisible() const { return sourceVisible_; }  // L_Source_RLC
    bool PanelRed() const { return panelRed_; }            // Panel_RLCD reject colour
    bool Sp3Enabled() const { return sp3Enabled_; }

    const protocol::TMeterState& State() const { return state_; }
    protocol::TMeterState& State() { return state_; }
    const protocol::TMeterSettings& Settings() const { return settings_; }
    protocol::TMeterSettings& Settings() { return settings_; }
    const TIndicatorMemory& Memory() const { return memory_; }

    void SetSeparators(TSeparators separators) { separators_ = std::move(separators); }
    void SetProfileEditing(bool on) { profileEditing_ = on; }      // SB4
    void SetRecordingRunning(bool on) { recordingRunning_ = on; }  // SP1
    void SetToleranceCheck(TToleranceCheck check) { toleranceCheck_ = std::move(check); }

  private:
    using TChanged = std::vector<TControl>;
    void Put(TChanged& changed, TControl control, const std::optional<std::string>& text);
    void ApplyIndicators(TChanged& changed, const TSettingsIndicators& ind);
    void ApplyCircuit(TChanged& changed, const TCircuitIndicators& c);
    void ApplyModelLists(TChanged& changed, const TModelLists& lists);
    void ApplyRlcd(TChanged& changed, const TRlcResult& r);
    void ApplyRd(TChanged& changed, const TRdScreen& s);
    void ApplyU(TChanged& changed, const TUScreen& s);
    // The lists of the current model and language; true when they were built anew.
    bool UpdateModelLists();
    TTextContext Context() const { return {lexicons_, separators_}; }

    const i18n::TLexicons& lexicons_;
    TSeparators separators_;
    protocol::TMeterState state_;
    protocol::TMeterSettings settings_;
    TIndicatorMemory memory_;
    std::array<std::optional<std::string>, kControlCount> texts_;
    TModelLists lists_;
    std::optional<std::pair<protocol::TMeterModel, std::uint64_t>> listsFor_;  // model, language
    std::optional<int> image_;
    TPanel panel_ = TPanel::Rlcd;
    bool jp5Visible_ = false;
    bool sourceVisible_ = false;
    bool panelRed_ = false;
    bool sp3Enabled_ = true;
    bool profileEditing_ = false;
    bool recordingRunning_ = false;
    TToleranceCheck toleranceCheck_;
};

}  // namespace display
