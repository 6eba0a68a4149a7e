// SPDX-License-Identifier: GPL-3.0-or-later
#include "display/picker_choice.h"

#include <array>

#include "display/format.h"

namespace display {
namespace {

using protocol::TMeterModel;
using protocol::TMeterSettings;

// Longest list of each picker (the frequency list of the model with most items).
constexpr std::array<int, 6> kMaxItems{15, 4, 7, 4, 3, 3};

std::string Kilo(const i18n::TLexicons& lex) {
    return lex.Dlang1.GetItem(i18n::prefix::Kilo);
}

TPickerTexts ChooseFrequency(int index, TMeterSettings& s, TMeterModel model,
                             const i18n::TLexicons& lex) {
    TPickerTexts t;
    const std::string hz = lex.Dlang3.GetItem(i18n::unit::Hertz);
    const std::string kHz = Kilo(lex) + hz;
    s.FreqAuto() = 0;
    static constexpr std::array<const char*, 6> kFirst{"A10", "100", "120", "1", "10", "100"};
    if (index <= 5)
        t.L_freq_RLC =
            kFirst[static_cast<std::size_t>(index)] + (index == 1 || index == 2 ? hz : kHz);
    if (index == 0) s.FreqAuto() = 1;
    const auto freqIndex = static_cast<std::uint8_t>(index);
    if (model == TMeterModel::Ks17) {
        s.FreqIndex() = index > 5 ? 3 : freqIndex;
        return t;
    }
    if (index == 6) t.L_freq_RLC = (model == TMeterModel::Ks15 ? "20" : "250") + kHz;
    if (model == TMeterModel::Ks16) {
        s.FreqIndex() = index > 6 ? 3 : freqIndex;
        return t;
    }
    static constexpr std::array<const char*, 8> kHigh{"30", "40", "50", "60",
                                                      "70", "80", "90", "150"};
    if (index >= 7) t.L_freq_RLC = kHigh[static_cast<std::size_t>(index - 7)] + kHz;
    s.FreqIndex() = freqIndex;
    return t;
}

TPickerTexts ChooseLevel(int index, TMeterSettings& s, TMeterModel model,
                         const i18n::TLexicons& lex) {
    TPickerTexts t;
    const std::string rms = lex.Dlang3.GetItem(i18n::unit::VoltsRms);
    const bool ks17 = model == TMeterModel::Ks17;
    s.LevelAuto() = 0;
    switch (index) {
        case 0:
            t.L_Level_RLC = (ks17 ? "A0.7" : "A1.0") + rms;
            s.LevelAuto() = 1;
            s.LevelIndex() = 1;
            break;
        case 1:
            t.L_Level_RLC = (ks17 ? "0.7" : "1.0") + rms;
            s.LevelIndex() = 1;
            break;
        case 2:
            t.L_Level_RLC = (ks17 ? "0.1" : "0.5") + rms;
            s.LevelIndex() = 2;
            break;
        default:
            // The fourth item does not exist for this model; its label stays.
            if (!ks17) t.L_Level_RLC = "0.1" + rms;
            s.LevelIndex() = ks17 ? 1 : 3;
            break;
    }
    return t;
}

TPickerTexts ChoosePrimary(int index, TMeterSettings& s) {
    TPickerTexts t;
    // Items 5 and 6 are the two capacitance ranges, shown with the Cyrillic letter.
    static constexpr std::array<const char*, 7> kSymbol{"C", "R", "C", "L", "Z", "С", "С"};
    t.L_Prim_RLC.emplace(kSymbol[static_cast<std::size_t>(index)]);
    t.L_RLC_avto.emplace(index == 0 ? "A" : " ");
    s.PrimAuto() = index == 0 ? 1 : 0;
    s.PrimIndex() = static_cast<std::uint8_t>(index);
    return t;
}

TPickerTexts ChooseSecondary(int index, TMeterSettings& s) {
    TPickerTexts t;
    s.SecAuto() = 0;
    if (index == 0) {
        t.L_RQD_avto.emplace("A");
        s.SecAuto() = 1;
    } else {
        static constexpr std::array<const char*, 4> kSymbol{"", "R", "Q", "D"};
        t.L_Sec_RLC.emplace(kSymbol[static_cast<std::size_t>(index)]);
        t.L_RQD_avto.emplace("");
        // Q and D have no equivalent circuit.
        if (index >= 2) t.L_SER_PER.emplace(" ");
    }
    s.SecIndex() = static_cast<std::uint8_t>(index);
    return t;
}

TPickerTexts ChooseCircuit(int index, TMeterSettings& s) {
    TPickerTexts t;
    static constexpr std::array<const char*, 3> kLetter{"A", "P", "S"};
    t.L_SER_PER = t.L_SER_PER1 = kLetter[static_cast<std::size_t>(index)];
    s.CircuitAuto() = index == 0 ? 1 : 0;
    s.Series() = index == 1 ? 0 : 1;
    return t;
}

TPickerTexts ChooseSource(int index, TMeterSettings& s, const i18n::TLexicons& lex) {
    TPickerTexts t;
    s.SourceAuto() = 0;
    s.SourceIndex() = 0;
    if (index == 0) {
        t.L_Source_RLC.emplace("A");
        s.SourceAuto() = 1;
    } else if (index == 1) {
        t.L_Source_RLC = "100" + OhmSymbol(lex);
    } else {
        t.L_Source_RLC = "1.6" + Kilo(lex) + OhmSymbol(lex);
        s.SourceIndex() = 1;
    }
    return t;
}

}  // namespace

TPickerTexts ChoosePickerItem(TPicker picker, int index, TMeterSettings& settings,
                              TMeterModel model, const i18n::TLexicons& lexicons) {
    if (index < 0 || index >= kMaxItems[static_cast<std::size_t>(picker)]) return {};
    switch (picker) {
        case TPicker::Frequency:
            return ChooseFrequency(index, settings, model, lexicons);
        case TPicker::Level:
            return ChooseLevel(index, settings, model, lexicons);
        case TPicker::Primary:
            return ChoosePrimary(index, settings);
        case TPicker::Secondary:
            return ChooseSecondary(index, settings);
        case TPicker::Circuit:
            return ChooseCircuit(index, settings);
        case TPicker::Source:
            return ChooseSource(index, settings, lexicons);
    }
    return {};
}

}  // namespace display
