// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/journal_grid.h"

#include <algorithm>

namespace exporter {

TJournalGrid GridFromJournal(std::span<const TJournalGridRow> journal, const i18n::TLexicons& lex) {
    TJournalGrid grid;
    const bool multi = !journal.empty() && journal.front().multi;
    TGridRow header;
    for (int c = 0; c < kSheetColumns; ++c)
        header[static_cast<std::size_t>(c)] = lex.D2.GetItem(c + 1);
    if (multi) header[1] = lex.D2.GetItem(11);  // entry names instead of times

    std::int32_t last = 0;
    for (const TJournalGridRow& r : journal)
        if (r.position >= 1 && r.position <= kMaxPosition) last = std::max(last, r.position);
    grid.rows.resize(static_cast<std::size_t>(last) + 1);
    grid.measured.resize(grid.rows.size());
    grid.rows[0] = header;
    for (const TJournalGridRow& r : journal) {
        if (r.position < 1 || r.position > kMaxPosition) {
            ++grid.skipped;
            continue;
        }
        grid.rows[static_cast<std::size_t>(r.position)] = r.cells;
        grid.measured[static_cast<std::size_t>(r.position)] = r.measured;
    }
    return grid;
}

}  // namespace exporter
