// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>

#include "i18n/lexicon.h"
#include "protocol/model.h"
#include "protocol/settings.h"

// What a click in one of the settings pickers writes: the record fields and
// the indicator texts shown at once, before the meter reports the change back.
// Each text is std::optional: empty means the label keeps its text.
namespace display {

enum class TPicker { Frequency, Level, Primary, Secondary, Circuit, Source };

struct TPickerTexts {
    std::optional<std::string> L_freq_RLC;
    std::optional<std::string> L_Level_RLC;
    std::optional<std::string> L_Prim_RLC;
    std::optional<std::string> L_RLC_avto;
    std::optional<std::string> L_Sec_RLC;
    std::optional<std::string> L_RQD_avto;
    std::optional<std::string> L_SER_PER;
    std::optional<std::string> L_SER_PER1;
    std::optional<std::string> L_Source_RLC;
};

// Applies the choice of list item `index` to `settings`. An index the list
// cannot hold for the model changes nothing.
TPickerTexts ChoosePickerItem(TPicker picker, int index, protocol::TMeterSettings& settings,
                              protocol::TMeterModel model, const i18n::TLexicons& lexicons);

}  // namespace display
