// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "i18n/lexicon.h"
#include "profiles/profile_file.h"
#include "protocol/model.h"

// The profile view of the log table: one row per entry. Texts come from the
// current language's lexicons, frequencies and levels from the current model.
namespace profiles {

inline constexpr int kViewColumns = 10;

// Header row of the view; an empty optional keeps the measurement header.
using THeaderCells = std::array<std::optional<std::string>, kViewColumns>;
THeaderCells ProfileHeaderCells(const i18n::TLexicons& lexicons);

using TRowCells = std::array<std::string, kViewColumns>;

// Row of entry `number`. `currentFreqIndex` is the meter's current frequency
// index: while it is 0 (DC) frequencies below 1 kHz read as empty.
TRowCells ProfileRowCells(const TProfileEntry& entry, std::int32_t number,
                          protocol::TMeterModel model, std::uint8_t currentFreqIndex,
                          const i18n::TLexicons& lexicons);

// The single cells, for the command-line tool and tests.
// `quantity`: 'R', 'L' or 'C'.
std::string UnitText(char quantity, int unitIndex, const i18n::TLexicons& lexicons);
std::string FrequencyCell(const TProfileEntry& entry, protocol::TMeterModel model,
                          std::uint8_t currentFreqIndex, const i18n::TLexicons& lexicons);
std::string LevelCell(const TProfileEntry& entry, protocol::TMeterModel model,
                      const i18n::TLexicons& lexicons);
std::string IntervalCell(const TProfileEntry& entry, const i18n::TLexicons& lexicons);

}  // namespace profiles
