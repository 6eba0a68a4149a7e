// SPDX-License-Identifier: GPL-3.0-or-later
#include "display/screen_state.h"

#include <type_traits>

namespace display {

const char* PanelName(TPanel panel) {
    switch (panel) {
        case TPanel::Rd:
            return "Panel_RD";
        case TPanel::U:
            return "Panel_U";
        default:
            return "Panel_RLCD";
    }
}

const std::vector<std::string>& RlcdControls() {
    static const std::vector<std::string> names{
        "L_Level_RLC", "L_Source_RLC", "L_freq_RLC", "L_RLC_avto", "L_Prim_RLC", "L_SER_PER1",
        "L_prim_n",    "L_RQD_avto",   "L_Sec_RLC",  "L_SER_PER",  "L_sec_n",    "L_righ1",
        "L_righ2",     "L_righ3",      "L_righ4",    "L_righ5",    "L_righ6"};
    return names;
}

const std::vector<std::string>& RdControls() {
    static const std::vector<std::string> names{"RD_Prim", "RD_prim_R", "RD_V",  "J_prim",
                                                "Joo",     "RD_J",      "RD_J1", "RD_Auto"};
    return names;
}

const std::vector<std::string>& UControls() {
    static const std::vector<std::string> names{"U_Prim", "U_vrm", "U_pp"};
    return names;
}

namespace {

constexpr std::array<const char*, kControlCount> kControlNames{
    "L_Level_RLC", "L_Source_RLC", "L_freq_RLC", "L_RLC_avto", "L_Prim_RLC", "L_SER_PER1",
    "L_prim_n",    "L_RQD_avto",   "L_Sec_RLC",  "L_SER_PER",  "L_sec_n",    "L_righ1",
    "L_righ2",     "L_righ3",      "L_righ4",    "L_righ5",    "L_righ6",    "RD_Prim",
    "RD_prim_R",   "RD_V",         "J_prim",     "Joo",        "RD_J",       "RD_J1",
    "RD_Auto",     "U_Prim",       "U_vrm",      "U_pp",       "JP5"};

// Builds a screen's result straight into its optional: emplace converts
// through this, so a result and its many texts are never moved.
template <typename Make>
struct InPlace {
    Make make;
    operator std::invoke_result_t<Make&>() { return make(); }
};
template <typename Make>
InPlace(Make) -> InPlace<Make>;

}  // namespace

const char* ControlName(TControl control) {
    return kControlNames[static_cast<std::size_t>(control)];
}

std::optional<TControl> ControlByName(std::string_view name) {
    for (std::size_t i = 0; i < kControlCount; ++i)
        if (name == kControlNames[i]) return static_cast<TControl>(i);
    return std::nullopt;
}

TScreenState::TScreenState(const i18n::TLexicons& lexicons, TSeparators separators)
    : lexicons_(lexicons), separators_(std::move(separators)) {}

void TScreenState::Put(TChanged& changed, TControl control,
                       const std::optional<std::string>& text) {
    if (!text) return;
    std::optional<std::string>& slot = texts_[static_cast<std::size_t>(control)];
    if (slot && *slot == *text) return;
    slot = *text;
    changed.push_back(control);
}

void TScreenState::ApplyIndicators(TChanged& changed, const TSettingsIndicators& ind) {
    Put(changed, TControl::L_RLC_avto, ind.L_RLC_avto);
    Put(changed, TControl::L_freq_RLC, ind.L_freq_RLC);
    Put(changed, TControl::L_Level_RLC, ind.L_Level_RLC);
    Put(changed, TControl::L_Prim_RLC, ind.L_Prim_RLC);
    Put(changed, TControl::L_RQD_avto, ind.L_RQD_avto);
    Put(changed, TControl::L_Sec_RLC, ind.L_Sec_RLC);
    memory_ = ind.memory;
}

void TScreenState::ApplyCircuit(TChanged& changed, const TCircuitIndicators& c) {
    Put(changed, TControl::L_SER_PER, c.L_SER_PER);
    Put(changed, TControl::L_SER_PER1, c.L_SER_PER1);
}

void TScreenState::ApplyModelLists(TChanged& changed, const TModelLists& lists) {
    Put(changed, TControl::L_Level_RLC, lists.L_Level_RLC);
    sourceVisible_ = lists.L_Source_RLC_Visible;
}

void TScreenState::ApplyRlcd(TChanged& changed, const TRlcResult& r) {
    const TRlcScreen& s = r.screen;
    panel_ = TPanel::Rlcd;
    sp3Enabled_ = true;
    Put(changed, TControl::L_Source_RLC, s.L_Source_RLC);
    Put(changed, TControl::L_SER_PER1, s.L_SER_PER1);
    Put(changed, TControl::L_prim_n, s.L_prim_n);
    Put(changed, TControl::L_SER_PER, s.L_SER_PER);
    Put(changed, TControl::L_sec_n, s.L_sec_n);
    Put(changed, TControl::L_RLC_avto, s.L_RLC_avto);
    Put(changed, TControl::L_freq_RLC, s.L_freq_RLC);
    Put(changed, TControl::L_Level_RLC, s.L_Level_RLC);
    Put(changed, TControl::L_Prim_RLC, s.L_Prim_RLC);
    Put(changed, TControl::L_RQD_avto, s.L_RQD_avto);
    Put(changed, TControl::L_Sec_RLC, s.L_Sec_RLC);
    Put(changed, TControl::L_righ1, s.L_righ1);
    Put(changed, TControl::L_righ2, s.L_righ2);
    Put(changed, TControl::L_righ3, s.L_righ3);
    Put(changed, TControl::L_righ4, s.L_righ4);
    Put(changed, TControl::L_righ5, s.L_righ5);
    Put(changed, TControl::L_righ6, s.L_righ6);
    if (s.Panel_RLCD_Red) panelRed_ = *s.Panel_RLCD_Red;
    settings_ = r.settings;
    state_ = r.state;
    memory_ = r.memory;
}

void TScreenState::ApplyRd(TChanged& changed, const TRdScreen& s) {
    panel_ = TPanel::Rd;
    sp3Enabled_ = s.SP3_Enabled;
    Put(changed, TControl::RD_Prim, s.RD_Prim);
    Put(changed, TControl::RD_prim_R, s.RD_prim_R);
    Put(changed, TControl::RD_V, s.RD_V);
    Put(changed, TControl::J_prim, s.J_prim);
    Put(changed, TControl::Joo, s.Joo);
    Put(changed, TControl::RD_J, s.RD_J);
    Put(changed, TControl::RD_J1, s.RD_J1);
    Put(changed, TControl::RD_Auto, s.RD_Auto);
    if (s.Im_Diod) image_ = s.Im_Diod;
}

void TScreenState::ApplyU(TChanged& changed, const TUScreen& s) {
    panel_ = TPanel::U;
    sp3Enabled_ = s.SP3_Enabled;
    Put(changed, TControl::U_Prim, s.U_Prim);
    Put(changed, TControl::U_vrm, s.U_vrm);
    Put(changed, TControl::U_pp, s.U_pp);
}

TSettingsIndicators TScreenState::Start(protocol::TMeterModel model) {
    state_.Model = model;
    protocol::ApplyDefaults(settings_, state_);
    TSettingsIndicators shown = ShowSettingsNow();
    ShowCircuitNow();
    RefreshModelListsNow();
    panel_ = TPanel::Rlcd;
    return shown;
}

TSettingsIndicators TScreenState::ShowSettingsNow() {
    TSettingsIndicators ind = ShowSettings(settings_, state_.Model, state_.FrequencyHz,
                                           profileEditing_, memory_, lexicons_);
    TChanged changed;
    ApplyIndicators(changed, ind);
    return ind;
}

TCircuitIndicators TScreenState::ShowCircuitNow() {
    TCircuitIndicators c = ShowCircuit(settings_);
    TChanged changed;
    ApplyCircuit(changed, c);
    return c;
}

std::vector<std::string> TScreenState::ChoosePickerItem(TPicker picker, int index) {
    const TPickerTexts t =
        display::ChoosePickerItem(picker, index, settings_, state_.Model, lexicons_);
    TChanged changed;
    Put(changed, TControl::L_freq_RLC, t.L_freq_RLC);
    Put(changed, TControl::L_Level_RLC, t.L_Level_RLC);
    Put(changed, TControl::L_Prim_RLC, t.L_Prim_RLC);
    Put(changed, TControl::L_RLC_avto, t.L_RLC_avto);
    Put(changed, TControl::L_Sec_RLC, t.L_Sec_RLC);
    Put(changed, TControl::L_RQD_avto, t.L_RQD_avto);
    Put(changed, TControl::L_SER_PER, t.L_SER_PER);
    Put(changed, TControl::L_SER_PER1, t.L_SER_PER1);
    Put(changed, TControl::L_Source_RLC, t.L_Source_RLC);
    std::vector<std::string> names;
    for (TControl c : changed) names.emplace_back(ControlName(c));
    return names;
}

bool TScreenState::UpdateModelLists() {
    const std::pair key{state_.Model, lexicons_.language.Version()};
    if (listsFor_ == key) return false;
    lists_ = RefreshModelLists(state_.Model, lexicons_);
    listsFor_ = key;
    return true;
}

TModelLists TScreenState::RefreshModelListsNow() {
    UpdateModelLists();
    TChanged changed;
    ApplyModelLists(changed, lists_);
    return lists_;
}

TFrameOutcome TScreenState::Feed(std::span<const std::uint8_t> bytes) {
    TFrameOutcome out;
    out.decode = protocol::DecodeMeasurementFrame(bytes, state_, profileEditing_, lexicons_);
    if (!out.decode.accepted) return out;
    state_ = out.decode.state;
    const protocol::TFrameEffects& e = out.decode.effects;
    TChanged& changed = out.changedTexts;
    changed.reserve(kControlCount);  // one allocation instead of one per doubling

    jp5Visible_ = e.jp5Visible;
    if (e.jp5Visible) Put(changed, TControl::JP5, e.jp5Text);
    if (e.refreshModelLists || e.modelChanged) {
        // The lists depend on the model and the language only.
        out.modelListsRefreshed = true;
        if (UpdateModelLists()) out.modelLists = lists_;
        ApplyModelLists(changed, lists_);
    }

    const auto frame = bytes.first<protocol::kFrameSize>();
    protocol::TMeasurementFrame copy;
    std::copy(frame.begin(), frame.end(), copy.begin());
    switch (e.screen) {
        case protocol::TScreen::Rlcd: {
            TRlcInput in{settings_,         state_,         memory_, profileEditing_,
                         recordingRunning_, toleranceCheck_};
            out.rlcd.emplace(InPlace{[&] { return ShowRlcdMode(copy, in, Context()); }});
            ApplyRlcd(changed, *out.rlcd);
            break;
        }
        case protocol::TScreen::Rd:
            out.rd.emplace(InPlace{[&] { return ShowRdMode(copy, Context()); }});
            ApplyRd(changed, *out.rd);
            break;
        case protocol::TScreen::U:
            out.u.emplace(InPlace{[&] { return ShowUMode(copy, Context()); }});
            ApplyU(changed, *out.u);
            break;
        case protocol::TScreen::None:
            break;
    }
    return out;
}

void TScreenState::ClearStaleReadings() {
    jp5Visible_ = false;
    for (TControl control :
         {TControl::L_sec_n, TControl::L_prim_n, TControl::L_righ1, TControl::L_righ2,
          TControl::L_righ3, TControl::L_righ4, TControl::L_righ5, TControl::L_righ6})
        texts_[static_cast<std::size_t>(control)] = "";
}

void TScreenState::ClearText(std::string_view control) {
    if (const auto c = ControlByName(control))
        if (auto& slot = texts_[static_cast<std::size_t>(*c)]) slot->clear();
}

std::optional<std::string> TScreenState::Text(std::string_view control) const {
    const auto c = ControlByName(control);
    if (!c) return std::nullopt;
    return texts_[static_cast<std::size_t>(*c)];
}

std::map<std::string, std::string, std::less<>> TScreenState::Texts() const {
    std::map<std::string, std::string, std::less<>> texts;
    for (std::size_t i = 0; i < kControlCount; ++i)
        if (texts_[i]) texts.emplace(kControlNames[i], *texts_[i]);
    return texts;
}

}  // namespace display
