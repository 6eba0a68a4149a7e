// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "i18n/lexicon.h"
#include "protocol/model.h"
#include "protocol/settings.h"

// The indicators of the current settings on the RLCD screen, the front-panel
// buttons that mirror settings, and the picker items that depend on the model.
// Each label is std::optional: empty means the control keeps its text.
namespace display {

// Frequency and level as last shown, without the auto marker. The log row
// reads them, so they outlive a single frame.
struct TIndicatorMemory {
    std::string FrequencyText;
    std::string LevelText;
};

// Front-panel buttons that mirror settings.
struct TSettingsButtons {
    std::optional<bool> SP1_Enabled;   // "Пуск"; empty: keeps its state
    bool SP3_Down = false;             // "Захват"
    bool SP2_Down = false;             // "Звук"
    std::optional<int> CB1_ItemIndex;  // report interval; empty: unchanged
};

struct TSettingsIndicators {
    std::optional<std::string> L_RLC_avto;
    std::optional<std::string> L_freq_RLC;
    std::optional<std::string> L_Level_RLC;
    std::optional<std::string> L_Prim_RLC;
    std::optional<std::string> L_RQD_avto;
    std::optional<std::string> L_Sec_RLC;
    TSettingsButtons buttons;
    TIndicatorMemory memory;  // updated copy
};

// `profileEditing`: SB4 "Изменение профиля" is down. `frequencyHz` must be
// current for the record already.
TSettingsIndicators ShowSettings(const protocol::TMeterSettings& settings,
                                 protocol::TMeterModel model, int frequencyHz, bool profileEditing,
                                 const TIndicatorMemory& memory, const i18n::TLexicons& lexicons);

struct TCircuitIndicators {
    std::optional<int> ListBox_ser_per_ItemIndex;
    std::optional<std::string> L_SER_PER;
    std::optional<std::string> L_SER_PER1;
};

TCircuitIndicators ShowCircuit(const protocol::TMeterSettings& settings);

// Model-dependent picker items. Frequency items 0..5 and level item 0 are
// designed in the window and never rewritten, so only the rest is given.
struct TModelLists {
    bool P16_Visible = false;                      // the model chooser is closed
    std::vector<std::string> frequencyItemsFrom6;  // ListBox_freq_RLC items 6..
    std::vector<std::string> levelItemsFrom1;      // ListBox_Level_RLC items 1..
    std::string L_Level_RLC;
    bool L_Source_RLC_Visible = false;
};

TModelLists RefreshModelLists(protocol::TMeterModel model, const i18n::TLexicons& lexicons);

// The level text of a model and level index, without the auto marker; empty
// for an index the table does not know.
std::optional<std::string> LevelTextFor(protocol::TMeterModel model, int levelIndex,
                                        const i18n::TLexicons& lexicons);

// "A" for an automatic setting, else a blank.
inline std::string AutoMarker(std::uint8_t autoFlag) {
    return autoFlag == 1 ? "A" : " ";
}

}  // namespace display
