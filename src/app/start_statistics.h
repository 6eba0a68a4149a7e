// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>

#include "sim/part.h"

class TForm1;

// --statistics: opens the statistics window at start. Given the demo meter's
// part (R, L or C), the reference editor is first set to that part's value
// with a 0.1 % tolerance, so a demo run shows sorting, rejects and the band.
void OpenStatisticsAtStart(TForm1& form, const std::optional<sim::TPart>& demoPart);
