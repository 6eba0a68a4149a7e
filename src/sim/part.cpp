// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/part.h"

#include <charconv>
#include <cmath>
#include <complex>
#include <numbers>

namespace sim {
namespace {

// Leakage of a capacitor and winding resistance of a bare inductor, ohms.
constexpr double kOpenOhms = 1e9;
constexpr double kWireOhms = 0.05;
// A resistor's leads and body: a little series inductance and a little
// capacitance across it. A reactance of exactly zero is no reading a meter
// makes (nor one its frames can carry: D would be R / 0).
constexpr double kLeadHenries = 10e-9;
constexpr double kBodyFarads = 0.1e-12;

std::optional<double> ParseValue(std::string_view text) {
    double scale = 1;
    struct Prefix {
        std::string_view suffix;
        double scale;
    };
    static constexpr Prefix kPrefixes[] = {{"p", 1e-12}, {"n", 1e-9}, {"u", 1e-6}, {"µ", 1e-6},
                                           {"m", 1e-3},  {"k", 1e3},  {"M", 1e6},  {"G", 1e9}};
    for (const Prefix& p : kPrefixes) {
        if (text.size() > p.suffix.size() && text.ends_with(p.suffix)) {
            scale = p.scale;
            text.remove_suffix(p.suffix.size());
            break;
        }
    }
    double v = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    v *= scale;
    if (!(v > 0) || !std::isfinite(v)) return std::nullopt;
    return v;
}

}  // namespace

std::optional<TPart> ParsePart(std::string_view text) {
    if (text == "none") return TPart{TPartKind::Open, kOpenOhms, 0, 0};
    const auto eq = text.find('=');
    if (eq == std::string_view::npos) return std::nullopt;
    const std::string_view kind = text.substr(0, eq);
    const std::string_view values = text.substr(eq + 1);
    const auto comma = values.find(',');
    TPart part;
    if (kind == "RC" || kind == "RL") {
        if (comma == std::string_view::npos) return std::nullopt;
        const auto r = ParseValue(values.substr(0, comma));
        const auto second = ParseValue(values.substr(comma + 1));
        if (!r || !second) return std::nullopt;
        part.ohms = *r;
        if (kind == "RC") {
            part.kind = TPartKind::SeriesRc;
            part.farads = *second;
        } else {
            part.kind = TPartKind::SeriesRl;
            part.henries = *second;
        }
        return part;
    }
    if (comma != std::string_view::npos) return std::nullopt;
    const auto v = ParseValue(values);
    if (!v) return std::nullopt;
    if (kind == "R") {
        part.kind = TPartKind::Resistor;
        part.ohms = *v;
    } else if (kind == "C") {
        part = {TPartKind::Capacitor, 0, *v, 0};
    } else if (kind == "L") {
        part = {TPartKind::Inductor, kWireOhms, 0, *v};
    } else {
        return std::nullopt;
    }
    return part;
}

std::optional<protocol::TDisplayMode> ParseMode(std::string_view text) {
    if (text == "rlcd") return protocol::TDisplayMode::Rlcd;
    if (text == "rd") return protocol::TDisplayMode::Rd;
    if (text == "u") return protocol::TDisplayMode::U;
    return std::nullopt;
}

std::string BadOptionMessage(std::string_view option, std::string_view value,
                             std::string_view accepted) {
    std::string m = "bad value '";
    m.append(value).append("' for ").append(option).append("; accepted: ").append(accepted);
    return m;
}

TImpedance SeriesImpedance(const TPart& part, double hz) {
    if (hz <= 0) return {DcResistance(part), 0};
    const double w = 2 * std::numbers::pi * hz;
    switch (part.kind) {
        case TPartKind::Resistor: {
            using Z = std::complex<double>;
            const Z z = 1.0 / (1.0 / Z(part.ohms, w * kLeadHenries) + Z(0, w * kBodyFarads));
            return {z.real(), z.imag()};
        }
        case TPartKind::Capacitor:
            // Leakage in parallel, seen as a tiny series loss.
            return {1 / (w * w * part.farads * part.farads * kOpenOhms), -1 / (w * part.farads)};
        case TPartKind::SeriesRc:
            return {part.ohms, -1 / (w * part.farads)};
        case TPartKind::Inductor:
        case TPartKind::SeriesRl:
            return {part.ohms, w * part.henries};
        case TPartKind::Open:
            return {kOpenOhms, 0};
    }
    return {part.ohms, 0};
}

double DcResistance(const TPart& part) {
    switch (part.kind) {
        case TPartKind::Capacitor:
        case TPartKind::SeriesRc:
        case TPartKind::Open:
            return kOpenOhms;
        default:
            return part.ohms;
    }
}

}  // namespace sim
