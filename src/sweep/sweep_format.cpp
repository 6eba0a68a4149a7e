// SPDX-License-Identifier: GPL-3.0-or-later
#include "sweep/sweep_format.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>

namespace sweep {
namespace {

constexpr const char* kKeys[] = {
    "frequency_hz", "rs_ohm", "xs_ohm", "z_ohm",   "theta_deg", "rp_ohm",   "xp_ohm", "l_henry",
    "c_farad",      "d",      "q",      "esr_ohm", "spread",    "readings", "settled"};
constexpr std::size_t kFieldCount = std::size(kKeys);

// Shortest text that reads back as the same double; none when not finite.
std::optional<std::string> Number(double v) {
    if (!std::isfinite(v)) return std::nullopt;
    char buf[32];
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v);
    if (ec != std::errc{}) return std::nullopt;
    return std::string(buf, end);
}

std::optional<std::string> Number(const std::optional<double>& v) {
    return v ? Number(*v) : std::nullopt;
}

// The fields of a point in key order; none where JSON writes null.
std::vector<std::optional<std::string>> Fields(const TSweepPoint& p) {
    std::vector<std::optional<std::string>> f;
    f.reserve(kFieldCount);
    f.push_back(std::to_string(p.frequencyHz));
    const bool measured = p.readingsUsed > 0;
    auto add = [&](auto v) { f.push_back(measured ? Number(v) : std::nullopt); };
    add(p.Rs);
    add(p.Xs);
    add(p.Z);
    add(p.thetaDeg);
    add(p.Rp);
    add(p.Xp);
    add(p.henry);
    add(p.farad);
    add(p.D);
    add(p.Q);
    add(p.esr);
    add(p.spread);
    f.push_back(std::to_string(p.readingsUsed));
    f.push_back(std::nullopt);  // settled: written by each format its own way
    return f;
}

std::string Trimmed(std::string_view s) {
    std::string out;
    for (char c : s)
        if (c != ' ' && c != '\t') out += c;
    return out;
}

bool EndsWithNoCase(const std::string& s, std::string_view suffix) {
    if (s.size() < suffix.size()) return false;
    return std::equal(suffix.rbegin(), suffix.rend(), s.rbegin(),
                      [](char a, char b) { return (a | 0x20) == (b | 0x20); });
}

// Hertz of an item, or none when it is no frequency.
std::optional<int> Hertz(std::string item) {
    if (EndsWithNoCase(item, "hz")) item.resize(item.size() - 2);
    double factor = 1;
    if (!item.empty() && (item.back() == 'k' || item.back() == 'K')) {
        factor = 1000;
        item.pop_back();
    }
    double v = 0;
    const char* first = item.data();
    const char* last = first + item.size();
    const auto [end, ec] = std::from_chars(first, last, v, std::chars_format::fixed);
    if (item.empty() || ec != std::errc{} || end != last || !(v > 0) || v * factor > 1e7)
        return std::nullopt;
    const double hz = v * factor;
    if (std::abs(hz - std::round(hz)) > 1e-6) return std::nullopt;
    return static_cast<int>(std::round(hz));
}

}  // namespace

std::string CsvHeader() {
    std::string h;
    for (const char* key : kKeys) {
        if (!h.empty()) h += ';';
        h += key;
    }
    return h + "\r\n";
}

std::string CsvLine(const TSweepPoint& point) {
    std::vector<std::optional<std::string>> f = Fields(point);
    f.back() = point.settled ? "1" : "0";
    std::string line;
    for (std::size_t i = 0; i < f.size(); ++i) {
        if (i) line += ';';
        if (f[i]) line += *f[i];
    }
    return line + "\r\n";
}

std::string JsonLine(const TSweepPoint& point) {
    std::vector<std::optional<std::string>> f = Fields(point);
    f.back() = point.settled ? "true" : "false";
    std::string line = "{";
    for (std::size_t i = 0; i < f.size(); ++i) {
        if (i) line += ',';
        line += '"';
        line += kKeys[i];
        line += "\":";
        line += f[i] ? *f[i] : "null";
    }
    return line + "}\n";
}

std::string FrequencyText(int hz) {
    if (hz >= 1000 && hz % 1000 == 0) return std::to_string(hz / 1000) + "k";
    if (hz >= 1000) return Number(hz / 1000.0).value_or("") + "k";
    return std::to_string(hz);
}

std::vector<std::string> OfferedFrequencyTexts(protocol::TMeterModel model) {
    std::vector<std::string> texts;
    for (int index : DefaultFrequencyIndices(model))
        texts.push_back(FrequencyText(protocol::TableFrequencyHz(index, model)));
    return texts;
}

TFrequencyList ParseFrequencyList(std::string_view text, protocol::TMeterModel model) {
    TFrequencyList list;
    using TProblem = TFrequencyList::TProblem;
    if (Trimmed(text).empty()) {
        list.problem = TProblem::Empty;
        return list;
    }
    const int maxIndex = protocol::ModelInfo(model).maxFreqIndex;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t comma = text.find(',', start);
        if (comma == std::string_view::npos) comma = text.size();
        const std::string_view typed = text.substr(start, comma - start);
        start = comma + 1;
        const auto hz = Hertz(Trimmed(typed));
        if (!hz) {
            list.problem = TProblem::NotAFrequency;
            list.item = std::string(typed);
            return list;
        }
        int found = 0;
        for (int i = 1; i <= maxIndex && !found; ++i)
            if (protocol::TableFrequencyHz(i, model) == *hz) found = i;
        if (!found) {
            list.problem = TProblem::NotOffered;
            list.item = std::string(typed);
            return list;
        }
        if (std::find(list.indices.begin(), list.indices.end(), found) == list.indices.end())
            list.indices.push_back(found);
    }
    return list;
}

}  // namespace sweep
