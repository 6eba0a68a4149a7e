// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "export/sheet_cells.h"
#include "export/si_sheet.h"
#include "i18n/lexicon.h"

// The log table rebuilt from a journal: what the grid held when the journal's
// last row was written, so a run recorded before a crash can still be
// exported in the same layout.
namespace exporter {

struct TJournalGridRow {
    bool multi = false;
    std::int32_t position = 0;
    TGridRow cells;
    std::optional<TMeasured> measured;  // the numbers behind the row
};

// Positions the grid can hold (the start-position spinner's range).
inline constexpr std::int32_t kMaxPosition = 100000;

struct TJournalGrid {
    std::vector<TGridRow> rows;  // row 0 the headers
    // The numbers behind each row, parallel to `rows`.
    std::vector<std::optional<TMeasured>> measured;
    int skipped = 0;  // journal rows whose position is out of range
};

// Each position's last row wins, as a rewrite in the grid does; positions
// that were never written are empty rows. The sheet ends with the highest
// position. Headers are the measurement headers of the journal's mode (the
// first row's), in the language of `lexicons`.
TJournalGrid GridFromJournal(std::span<const TJournalGridRow> journal,
                             const i18n::TLexicons& lexicons);

}  // namespace exporter
