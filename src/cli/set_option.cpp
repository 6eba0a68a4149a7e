// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/set_option.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "display/indicators.h"

namespace cli {
namespace {

using display::TPicker;
using protocol::TMeterModel;

constexpr const char* kNames = "freq, level, primary, secondary, circuit, source, rate";

// Items whose picker text is a word, not a number with a unit.
const std::vector<std::vector<std::string>>& WordItems(TPicker picker) {
    static const std::vector<std::vector<std::string>> primary{
        {"auto"}, {"R"}, {"C"}, {"L"}, {"Z"}, {"C>0.5u"}, {"C>40m"}};
    static const std::vector<std::vector<std::string>> secondary{{"auto"}, {"R"}, {"Q"}, {"D"}};
    static const std::vector<std::vector<std::string>> circuit{
        {"auto"}, {"parallel", "p"}, {"series", "s"}};
    static const std::vector<std::vector<std::string>> none;
    switch (picker) {
        case TPicker::Primary:
            return primary;
        case TPicker::Secondary:
            return secondary;
        case TPicker::Circuit:
            return circuit;
        default:
            return none;
    }
}

// Report interval items of the window ("0.5с", "1с", "2с") and the rate code
// each sends.
struct TRateItem {
    const char* seconds;
    int code;
};
constexpr TRateItem kRates[] = {{"0.5", 3}, {"1", 2}, {"2", 1}};

std::optional<TPicker> PickerNamed(const std::string& name) {
    if (name == "freq") return TPicker::Frequency;
    if (name == "level") return TPicker::Level;
    if (name == "primary") return TPicker::Primary;
    if (name == "secondary") return TPicker::Secondary;
    if (name == "circuit") return TPicker::Circuit;
    if (name == "source") return TPicker::Source;
    return std::nullopt;
}

std::string Lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

void StripSuffix(std::string& s, std::string_view suffix) {
    if (s.size() > suffix.size() && s.ends_with(suffix)) s.resize(s.size() - suffix.size());
}

// A value without blanks and unit, "auto" for the auto marker; numbers with a
// k prefix in hertz or ohms.
std::string Normalised(std::string s) {
    s.erase(std::remove(s.begin(), s.end(), ' '), s.end());
    StripSuffix(s, "\u03A9");
    s = Lower(std::move(s));
    for (std::string_view unit : {"vrms", "hz", "ohm", "om", "v"}) StripSuffix(s, unit);
    return s;
}

std::optional<double> Number(const std::string& s) {
    std::string digits = s;
    double factor = 1;
    if (!digits.empty() && digits.back() == 'k') {
        factor = 1000;
        digits.pop_back();
    }
    double v = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), v);
    if (digits.empty() || ec != std::errc{} || end != digits.data() + digits.size())
        return std::nullopt;
    return v * factor;
}

bool SameValue(const std::string& typed, const std::string& item) {
    const std::string a = Normalised(typed);
    const std::string b = Normalised(item);
    if (a == b) return true;
    const auto x = Number(a);
    const auto y = Number(b);
    return x && y && std::abs(*x - *y) <= 1e-9 * std::max(std::abs(*x), 1.0);
}

int ItemCount(TPicker picker, TMeterModel model, const i18n::TLexicons& lexicons) {
    const display::TModelLists lists = display::RefreshModelLists(model, lexicons);
    switch (picker) {
        case TPicker::Frequency:
            return 6 + static_cast<int>(lists.frequencyItemsFrom6.size());
        case TPicker::Level:
            return 1 + static_cast<int>(lists.levelItemsFrom1.size());
        case TPicker::Source:
            return protocol::ModelInfo(model).sourcePickerShown ? 3 : 0;
        default:
            return static_cast<int>(WordItems(picker).size());
    }
}

// The spellings of one item: the words of the list, or the indicator text the
// window shows for it, unit dropped.
std::vector<std::string> ItemSpellings(TPicker picker, int index, TMeterModel model,
                                       const i18n::TLexicons& lexicons) {
    if (index == 0) return {"auto"};
    const auto& words = WordItems(picker);
    if (!words.empty()) return words[static_cast<std::size_t>(index)];
    protocol::TMeterSettings scratch;
    const display::TPickerTexts t =
        display::ChoosePickerItem(picker, index, scratch, model, lexicons);
    const std::optional<std::string>& text = picker == TPicker::Frequency ? t.L_freq_RLC
                                             : picker == TPicker::Level   ? t.L_Level_RLC
                                                                          : t.L_Source_RLC;
    return {Normalised(text.value_or(""))};
}

std::optional<int> FindItem(TPicker picker, const std::string& value, TMeterModel model,
                            const i18n::TLexicons& lexicons) {
    const int count = ItemCount(picker, model, lexicons);
    for (int i = 0; i < count; ++i)
        for (const std::string& spelling : ItemSpellings(picker, i, model, lexicons))
            if (SameValue(value, spelling)) return i;
    return std::nullopt;
}

std::string Join(const std::vector<std::string>& items) {
    std::string out;
    for (const std::string& s : items) out += (out.empty() ? "" : ", ") + s;
    return out;
}

}  // namespace

std::vector<std::string> AllowedValues(const std::string& name, TMeterModel model,
                                       const i18n::TLexicons& lexicons) {
    std::vector<std::string> out;
    if (name == "rate") {
        for (const TRateItem& r : kRates) out.emplace_back(r.seconds);
        return out;
    }
    const auto picker = PickerNamed(name);
    if (!picker) return out;
    const int count = ItemCount(*picker, model, lexicons);
    for (int i = 0; i < count; ++i) {
        const auto spellings = ItemSpellings(*picker, i, model, lexicons);
        std::string item = spellings.front();
        if (spellings.size() > 1) item += " (" + spellings[1] + ")";
        out.push_back(item);
    }
    return out;
}

std::optional<std::vector<TSetChoice>> ParseSetOption(const std::string& text,
                                                      std::optional<TMeterModel> model,
                                                      const i18n::TLexicons& lexicons,
                                                      std::string& error) {
    std::vector<TSetChoice> choices;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t comma = std::min(text.find(',', start), text.size());
        const std::string item = text.substr(start, comma - start);
        start = comma + 1;
        const std::size_t eq = item.find('=');
        if (eq == std::string::npos || eq == 0 || eq + 1 == item.size()) {
            error = "--set takes NAME=VALUE items separated by commas (got '" + item +
                    "'); names: " + kNames;
            return std::nullopt;
        }
        TSetChoice c;
        c.name = item.substr(0, eq);
        c.value = item.substr(eq + 1);
        c.picker = PickerNamed(c.name);
        if (!c.picker && c.name != "rate") {
            error = "--set: unknown setting '" + c.name + "'; names: " + kNames;
            return std::nullopt;
        }
        // The model's own list, or the first model that offers the value.
        std::vector<TMeterModel> models;
        if (model) {
            models.push_back(*model);
        } else {
            for (const protocol::TModelInfo& info : protocol::kModels) models.push_back(info.model);
        }
        std::optional<int> index;
        for (TMeterModel m : models) {
            if (c.picker) {
                index = FindItem(*c.picker, c.value, m, lexicons);
            } else {
                std::string seconds = Normalised(c.value);
                StripSuffix(seconds, "s");
                for (const TRateItem& r : kRates)
                    if (SameValue(seconds, r.seconds)) index = r.code;
            }
            if (index) break;
        }
        if (!index) {
            std::vector<std::string> allowed;
            for (TMeterModel m : models)
                for (const std::string& v : AllowedValues(c.name, m, lexicons))
                    if (std::find(allowed.begin(), allowed.end(), v) == allowed.end())
                        allowed.push_back(v);
            error = "--set: " + c.name + "=" + c.value + " is not offered";
            if (model) error += " by the " + std::string(protocol::ModelInfo(*model).name);
            error += allowed.empty() ? std::string("; this model has no such picker")
                                     : "; allowed values: " + Join(allowed);
            return std::nullopt;
        }
        c.index = *index;
        choices.push_back(std::move(c));
        if (comma == text.size()) break;
    }
    return choices;
}

void ApplySetChoices(const std::vector<TSetChoice>& choices, protocol::TMeterSettings& settings,
                     TMeterModel model, const i18n::TLexicons& lexicons) {
    for (const TSetChoice& c : choices) {
        if (c.picker)
            display::ChoosePickerItem(*c.picker, c.index, settings, model, lexicons);
        else
            settings.Rate() = static_cast<std::uint8_t>(c.index);
    }
}

}  // namespace cli
