// SPDX-License-Identifier: GPL-3.0-or-later
#include "display/contrast.h"

#include <algorithm>
#include <cmath>

namespace display {
namespace {

double Linear(int channel) {
    const double c = std::clamp(channel, 0, 255) / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double Luminance(TRgb c) {
    return 0.2126 * Linear(c.r) + 0.7152 * Linear(c.g) + 0.0722 * Linear(c.b);
}

}  // namespace

double ContrastRatio(TRgb a, TRgb b) {
    const double la = Luminance(a);
    const double lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

}  // namespace display
