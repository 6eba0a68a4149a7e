// SPDX-License-Identifier: GPL-3.0-or-later
#include "display/indicators.h"

#include <charconv>

#include "display/format.h"

namespace display {
namespace {

using protocol::TMeterModel;

const std::string& Unit(const i18n::TLexicons& lex, int item) {
    return lex.Dlang3.GetItem(item);
}

std::string KiloHertz(std::string_view number, const i18n::TLexicons& lex) {
    return Concat(number, lex.Dlang1.GetItem(i18n::prefix::Kilo), Unit(lex, i18n::unit::Hertz));
}

std::string VoltsRms(const char* number, const i18n::TLexicons& lex) {
    return Concat(number, Unit(lex, i18n::unit::VoltsRms));
}

// The decimal text of a non-negative count.
std::string_view Decimal(int value, char (&buf)[16]) {
    const auto end = std::to_chars(buf, buf + sizeof buf, value).ptr;
    return {buf, static_cast<std::size_t>(end - buf)};
}

}  // namespace

std::optional<std::string> LevelTextFor(TMeterModel model, int levelIndex,
                                        const i18n::TLexicons& lex) {
    const std::string& rms = Unit(lex, i18n::unit::VoltsRms);
    const std::string& volt = Unit(lex, i18n::unit::Volt);
    if (model == TMeterModel::Ks17) {
        switch (levelIndex) {
            case 0:
            case 1:
                return "0.7" + rms;
            case 2:
                return "0.1" + rms;
            case 3:
                return "0.1" + volt;
            case 4:
                return "0.5" + rms;
            default:
                return std::nullopt;
        }
    }
    switch (levelIndex) {
        case 0:
        case 1:
            return "1.0" + rms;
        case 2:
            return "0.5" + rms;
        case 3:
            return "0.1" + rms;
        case 4:
            return "0.1" + volt;
        default:
            return std::nullopt;
    }
}

TSettingsIndicators ShowSettings(const protocol::TMeterSettings& settings, TMeterModel model,
                                 int frequencyHz, bool profileEditing,
                                 const TIndicatorMemory& memory, const i18n::TLexicons& lex) {
    TSettingsIndicators out;
    out.memory = memory;
    out.L_RLC_avto = AutoMarker(settings.PrimAuto());

    if (settings.Hold() == 1) {
        out.buttons.SP1_Enabled = false;
        out.buttons.SP3_Down = true;
    } else {
        if (!profileEditing) out.buttons.SP1_Enabled = true;
        out.buttons.SP3_Down = false;
    }
    out.buttons.SP2_Down = settings.Sound() == 1;
    switch (settings.Rate()) {
        case 3:
            out.buttons.CB1_ItemIndex = 0;
            break;
        case 2:
            out.buttons.CB1_ItemIndex = 1;
            break;
        case 1:
            out.buttons.CB1_ItemIndex = 2;
            break;
        default:
            break;
    }

    if (settings.FreqIndex() == 0) {
        out.L_freq_RLC.emplace("");  // DC: no frequency, the log keeps the last one
    } else {
        char digits[16];
        out.memory.FrequencyText =
            frequencyHz > 999 ? KiloHertz(Decimal(frequencyHz / 1000, digits), lex)
                              : Concat(Decimal(frequencyHz, digits), Unit(lex, i18n::unit::Hertz));
        out.L_freq_RLC.emplace(
            Concat(settings.FreqAuto() == 1 ? "A" : " ", out.memory.FrequencyText));
    }

    if (auto level = LevelTextFor(model, settings.LevelIndex(), lex))
        out.memory.LevelText = std::move(*level);
    out.L_Level_RLC.emplace(Concat(settings.LevelAuto() == 1 ? "A" : " ", out.memory.LevelText));

    switch (settings.PrimIndex()) {
        case 1:
            out.L_Prim_RLC.emplace("R");
            break;
        case 2:
            out.L_Prim_RLC.emplace("C");
            break;
        case 3:
            out.L_Prim_RLC.emplace("L");
            break;
        case 4:
            out.L_Prim_RLC.emplace("Z");
            break;
        default:
            break;  // the capacitance ranges keep the symbol shown
    }

    out.L_RQD_avto = AutoMarker(settings.SecAuto());
    switch (settings.SecIndex()) {
        case 0:
            out.L_Sec_RLC.emplace(" ");
            break;
        case 1:
            out.L_Sec_RLC.emplace("R");
            break;
        case 2:
            out.L_Sec_RLC.emplace("Q");
            break;
        case 3:
            out.L_Sec_RLC.emplace("D");
            break;
        case 4:
            out.L_Sec_RLC.emplace("\u019F");
            break;
        default:
            break;
    }
    return out;
}

TCircuitIndicators ShowCircuit(const protocol::TMeterSettings& settings) {
    TCircuitIndicators out;
    auto set = [&](int item, const char* letter) {
        out.ListBox_ser_per_ItemIndex = item;
        out.L_SER_PER = letter;
        out.L_SER_PER1 = letter;
    };
    if (settings.CircuitAuto() == 1)
        set(0, "A");
    else if (settings.Series() == 1)
        set(2, "S");
    else if (settings.Series() == 0)
        set(1, "P");
    return out;
}

TModelLists RefreshModelLists(TMeterModel model, const i18n::TLexicons& lex) {
    TModelLists out;
    if (model == TMeterModel::Ks17) {
        out.L_Level_RLC = VoltsRms("0.7", lex);
        out.levelItemsFrom1 = {VoltsRms("0.7", lex), VoltsRms("0.1", lex)};
        return out;
    }
    out.L_Level_RLC = VoltsRms("1.0", lex);
    out.levelItemsFrom1 = {VoltsRms("1.0", lex), VoltsRms("0.5", lex), VoltsRms("0.1", lex)};
    if (model == TMeterModel::Ks15) {
        for (const char* khz : {"20", "30", "40", "50", "60", "70", "80", "90", "150"})
            out.frequencyItemsFrom6.push_back(KiloHertz(khz, lex));
    } else if (model == TMeterModel::Ks16) {
        out.frequencyItemsFrom6.push_back(KiloHertz("250", lex));
        out.L_Source_RLC_Visible = true;
    }
    return out;
}

}  // namespace display
