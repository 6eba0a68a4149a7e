// SPDX-License-Identifier: GPL-3.0-or-later
#include "protocol/model.h"

namespace protocol {
namespace {

// Hertz of frequency indices 1..14; index 6 differs on the КС16.
constexpr std::array<int, 15> kFrequencyHz{0,     100,   120,   1000,  10000, 100000, 20000, 30000,
                                           40000, 50000, 60000, 70000, 80000, 90000,  150000};
constexpr int kKs16Index6Hz = 250000;
constexpr int kOutsideTableHz = 50;

}  // namespace

int TableFrequencyHz(int index, TMeterModel model) {
    if (index < 1 || index >= static_cast<int>(kFrequencyHz.size())) return kOutsideTableHz;
    if (index == 6 && model == TMeterModel::Ks16) return kKs16Index6Hz;
    return kFrequencyHz[index];
}

}  // namespace protocol
