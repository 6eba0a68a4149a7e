// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "display/picker_choice.h"
#include "i18n/lexicon.h"
#include "protocol/model.h"
#include "protocol/settings.h"

// --set NAME=VALUE,...: meter settings chosen on the command line as the
// window's pickers offer them. Names:
//
//   name       picker                 values
//   freq       test frequency         auto, 100, 120, 1k, 10k, 100k, then the model's own
//   level      test level             auto, then the model's levels (1.0, 0.5, 0.1 or 0.7, 0.1)
//   primary    primary parameter      auto, R, C, L, Z, C>0.5u, C>40m
//   secondary  secondary parameter    auto, R, Q, D
//   circuit    equivalent circuit     auto, parallel (p), series (s)
//   source     generator resistance   auto, 100, 1.6k (models with the source picker)
//   rate       report interval, s     0.5, 1, 2
//
// Frequency, level and source values are the indicator texts of the item
// without their unit ("1kHz" is 1k; "1kHz", "1 kHz" and 1000 are accepted too).
namespace cli {

struct TSetChoice {
    std::string name;                        // as typed
    std::string value;                       // as typed
    std::optional<display::TPicker> picker;  // empty for rate
    int index = 0;                           // picker item, or the rate code
};

// Splits and checks the option against the lists of `model`; with no model,
// a value any model offers passes. On failure `error` names the allowed names
// or values.
std::optional<std::vector<TSetChoice>> ParseSetOption(const std::string& text,
                                                      std::optional<protocol::TMeterModel> model,
                                                      const i18n::TLexicons& lexicons,
                                                      std::string& error);

// The values a setting offers on a model, as the help and the messages list them.
std::vector<std::string> AllowedValues(const std::string& name, protocol::TMeterModel model,
                                       const i18n::TLexicons& lexicons);

// The choices made one after the other on the record, the window's way.
void ApplySetChoices(const std::vector<TSetChoice>& choices, protocol::TMeterSettings& settings,
                     protocol::TMeterModel model, const i18n::TLexicons& lexicons);

}  // namespace cli
