// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPixmap>
#include <array>

namespace diode {
// 60 × 80 pictures of the part on the RD screen: diode pointing down, diode
// pointing up, resistor.
std::array<QPixmap, 3> Pictures();
}  // namespace diode
