// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "export/sheet_cells.h"
#include "export/xlsx_writer.h"
#include "i18n/lexicon.h"
#include "log/journal_reader.h"

// The log table rebuilt from a journal: what the grid held when the journal's
// last row was written, so a run recorded before a crash can still be
// exported in the same layout. The journal is read twice instead of being
// held: a first pass notes where each position's last row starts, the
// export then reads those rows in the grid's order.
namespace exporter {

// Positions a sheet can hold below its header row. The window's grid stops at
// the start-position spinner's 100 000; `rlc-meter log` counts on past it.
inline constexpr std::int32_t kMaxPosition = 1048575;

class TJournalGridIndex {
  public:
    // Positions past `maxPosition` are skipped like those below 1.
    explicit TJournalGridIndex(std::int32_t maxPosition = kMaxPosition)
        : maxPosition_(maxPosition) {}

    // A readable journal row for `position`, starting at byte `offset`. Each
    // position's last row wins, as a rewrite in the grid does.
    void Add(bool multi, long position, long long offset);

    // The journal's mode, the first row's.
    bool Multi() const { return multi_.value_or(false); }
    // The sheet ends with the highest position; positions never written are
    // empty rows.
    std::int32_t LastPosition() const { return static_cast<std::int32_t>(offsets_.size()) - 1; }
    // Where the row of a position starts; nothing for an empty row.
    std::optional<long long> At(std::int32_t position) const;
    // Journal rows whose position is out of range.
    long Skipped() const { return skipped_; }

  private:
    std::int32_t maxPosition_;
    std::optional<bool> multi_;
    std::vector<long long> offsets_{-1};  // by position; -1 none
    long skipped_ = 0;
};

// The first pass: every row of the journal into `index`, every problem to
// `problem`. False when the file is no journal at all (or cannot be read).
bool IndexJournal(logcore::TJournalReader& reader, TJournalGridIndex& index,
                  const std::function<void(const logcore::TJournalProblem&)>& problem);

// The second pass, one grid row (position) at a time: its cells and numbers
// into `out`, left empty for a position no row wrote. False when the row can
// no longer be read (the file changed since the first pass).
bool ReadGridRow(logcore::TJournalReader& reader, const TJournalGridIndex& index,
                 std::int32_t position, TExportRow& out);

// The header row: the measurement headers of the mode, in the language of
// `lexicons`.
TGridRow GridHeader(bool multi, const i18n::TLexicons& lexicons);

}  // namespace exporter
