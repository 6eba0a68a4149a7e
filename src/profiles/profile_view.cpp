// SPDX-License-Identifier: GPL-3.0-or-later
#include "profiles/profile_view.h"

#include "display/format.h"
#include "protocol/settings.h"

namespace profiles {
namespace {

using i18n::TLexicons;

// A damaged parameter or unit byte reads as item 0, as loading does.
int ListIndex(std::uint8_t stored) {
    return stored <= 2 ? stored : 0;
}

bool IsOff(const std::string& tolerance) {
    return tolerance == kToleranceOff;
}

std::string AutoPrefix(std::uint8_t autoFlag) {
    return autoFlag == 1 ? "A" : "";
}

std::string PrimaryCell(const TProfileEntry& e, const TLexicons& lex) {
    if (IsOff(e.primaryTolerance)) return {};
    static constexpr char kLetters[] = {'R', 'L', 'C'};
    const char q = kLetters[ListIndex(e.primaryParameter)];
    return std::string(1, q) + " " + e.primaryTolerance + " " + e.primaryReference +
           UnitText(q, ListIndex(e.primaryUnit), lex);
}

std::string SecondaryCell(const TProfileEntry& e, const TLexicons& lex) {
    if (IsOff(e.secondaryTolerance)) return {};
    static constexpr char kLetters[] = {'R', 'Q', 'D'};
    const int parameter = ListIndex(e.secondaryParameter);
    std::string cell = std::string(1, kLetters[parameter]) + " " + e.secondaryTolerance + " " +
                       e.secondaryReference;
    if (parameter == 0) cell += UnitText('R', ListIndex(e.secondaryUnit), lex);
    return cell;
}

std::string CircuitCell(const TProfileEntry& e, const TLexicons& lex) {
    const auto s = protocol::TMeterSettings::FromBytes(e.settings);
    if (s.CircuitAuto() == 1) return "A";
    return lex.Dlang2.GetItem(s.Series() == 1 ? 2 : 3);
}

}  // namespace

THeaderCells ProfileHeaderCells(const TLexicons& lex) {
    THeaderCells h;
    h[1] = lex.D2.GetItem(11);
    h[2] = lex.D2.GetItem(12);
    h[3] = lex.D2.GetItem(13);
    h[7] = lex.D2.GetItem(15);
    h[8] = lex.D2.GetItem(14);
    h[9] = std::string();
    return h;
}

std::string UnitText(char quantity, int unitIndex, const TLexicons& lex) {
    using namespace i18n::prefix;
    if (unitIndex < 0 || unitIndex > 2) unitIndex = 0;
    switch (quantity) {
        case 'R': {
            static constexpr int kPrefix[] = {-1, Kilo, Mega};
            const int p = kPrefix[unitIndex];
            return (p < 0 ? std::string() : lex.Dlang1.GetItem(p)) + display::OhmSymbol(lex);
        }
        case 'L': {
            std::string prefix = unitIndex == 0   ? display::MicroPrefix(lex)
                                 : unitIndex == 1 ? lex.Dlang1.GetItem(Milli)
                                                  : std::string();
            return prefix + lex.Dlang3.GetItem(i18n::unit::Henry);
        }
        default: {
            std::string prefix = unitIndex == 0   ? lex.Dlang1.GetItem(Pico)
                                 : unitIndex == 1 ? lex.Dlang1.GetItem(Nano)
                                                  : display::MicroPrefix(lex);
            return prefix + lex.Dlang3.GetItem(i18n::unit::Farad);
        }
    }
}

std::string FrequencyCell(const TProfileEntry& e, protocol::TMeterModel model,
                          std::uint8_t currentFreqIndex, const TLexicons& lex) {
    const auto s = protocol::TMeterSettings::FromBytes(e.settings);
    int index = s.FreqIndex();
    if (index > protocol::ModelInfo(model).maxFreqIndex) index = 3;
    protocol::TMeterSettings current;
    current.FreqIndex() = currentFreqIndex;
    const int hz = protocol::FrequencyFromIndex(index, current, model).hz;
    std::string text;
    if (hz >= 1000)
        text = std::to_string(hz / 1000) + lex.Dlang1.GetItem(i18n::prefix::Kilo) +
               lex.Dlang3.GetItem(i18n::unit::Hertz);
    else if (currentFreqIndex != 0)
        text = std::to_string(hz) + lex.Dlang3.GetItem(i18n::unit::Hertz);
    return AutoPrefix(s.FreqAuto()) + text;
}

std::string LevelCell(const TProfileEntry& e, protocol::TMeterModel model, const TLexicons& lex) {
    const auto s = protocol::TMeterSettings::FromBytes(e.settings);
    int index = s.LevelIndex();
    const char* level = nullptr;
    if (model == protocol::TMeterModel::Ks17) {
        if (index > 2) index = 0;
        level = index == 2 ? "0.1" : "0.7";
    } else {
        if (index > 3) index = 0;
        static constexpr const char* kLevels[] = {"1.0", "1.0", "0.5", "0.1"};
        level = kLevels[index];
    }
    return AutoPrefix(s.LevelAuto()) + level + lex.Dlang3.GetItem(i18n::unit::VoltsRms);
}

std::string IntervalCell(const TProfileEntry& e, const TLexicons& lex) {
    const auto s = protocol::TMeterSettings::FromBytes(e.settings);
    static constexpr const char* kSeconds[] = {"2", "1", "0.5"};
    // A rate the meter does not have leaves the cell empty rather than guess.
    if (s.Rate() < 1 || s.Rate() > 3) return {};
    return std::string(kSeconds[s.Rate() - 1]) + lex.D3.GetItem(5);
}

TRowCells ProfileRowCells(const TProfileEntry& e, std::int32_t number, protocol::TMeterModel model,
                          std::uint8_t currentFreqIndex, const TLexicons& lex) {
    TRowCells row;
    row[0] = std::to_string(number);
    row[1] = e.name;
    row[2] = PrimaryCell(e, lex);
    row[3] = SecondaryCell(e, lex);
    row[4] = CircuitCell(e, lex);
    row[5] = FrequencyCell(e, model, currentFreqIndex, lex);
    row[6] = LevelCell(e, model, lex);
    row[7] = IntervalCell(e, lex);
    row[8] = std::to_string(e.startPosition);
    return row;
}

}  // namespace profiles
