// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

// The meter family and what each model offers. Everything the window builds
// per model (picker lists, the U button, the source picker) reads this table.
namespace protocol {

enum class TMeterModel : std::uint8_t { Ks15 = 0, Ks16 = 1, Ks17 = 2, Ks19 = 3 };

inline constexpr int kModelCount = 4;

struct TModelInfo {
    TMeterModel model;
    std::string_view name;               // as shown on the radio button
    int radioButton;                     // 1..4: RB1..RB4
    std::uint8_t maxFreqIndex;           // frequency indices 1..maxFreqIndex are offered
    int levelCount;                      // level indices 1..levelCount are offered
    std::array<int, 3> levelMillivolts;  // rms test level of level index 1..levelCount
    bool sourcePickerShown;              // L_Source_RLC
    bool uModeOffered;                   // Button3 "U"
    int fixedSourceOhms;                 // generator resistance; 0 = chosen by SourceIndex
};

inline constexpr std::array<TModelInfo, kModelCount> kModels{{
    {TMeterModel::Ks15, "КС15", 1, 14, 3, {1000, 500, 100}, false, true, 0},
    {TMeterModel::Ks16, "КС16", 2, 6, 3, {1000, 500, 100}, true, false, 0},
    {TMeterModel::Ks17, "КС17", 3, 5, 2, {700, 100, 0}, false, true, 499},
    {TMeterModel::Ks19, "КС19", 4, 5, 3, {1000, 500, 100}, false, false, 200},
}};

// A model code as carried by a frame (0..7); only 0..3 name a model.
constexpr bool IsKnownModel(int code) {
    return code >= 0 && code < kModelCount;
}

constexpr const TModelInfo& ModelInfo(TMeterModel model) {
    return kModels[static_cast<std::uint8_t>(model) & 3];
}

// Generator source resistance the RLCD computations use, ohms.
constexpr int GeneratorSourceOhms(TMeterModel model, std::uint8_t sourceIndex) {
    const TModelInfo& info = ModelInfo(model);
    if (info.fixedSourceOhms != 0) return info.fixedSourceOhms;
    return sourceIndex == 1 ? 1600 : 100;
}

// Frequency of an index by the table alone (no DC rule); 50 outside 1..14.
// Index 6 is 250 kHz on the КС16 only.
int TableFrequencyHz(int index, TMeterModel model);

}  // namespace protocol
