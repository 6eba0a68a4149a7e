// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/journal_grid.h"

#include "export/si_sheet.h"

namespace exporter {

void TJournalGridIndex::Add(bool multi, long position, long long offset) {
    if (!multi_) multi_ = multi;
    if (position < 1 || position > maxPosition_) {
        ++skipped_;
        return;
    }
    const auto at = static_cast<std::size_t>(position);
    if (at >= offsets_.size()) offsets_.resize(at + 1, -1);
    offsets_[at] = offset;
}

std::optional<long long> TJournalGridIndex::At(std::int32_t position) const {
    if (position < 1 || static_cast<std::size_t>(position) >= offsets_.size()) return std::nullopt;
    const long long offset = offsets_[static_cast<std::size_t>(position)];
    if (offset < 0) return std::nullopt;
    return offset;
}

bool IndexJournal(logcore::TJournalReader& reader, TJournalGridIndex& index,
                  const std::function<void(const logcore::TJournalProblem&)>& problem) {
    bool journal = true;
    for (logcore::TJournalReader::TStep step;
         (step = reader.Next()) != logcore::TJournalReader::TStep::End;) {
        if (step == logcore::TJournalReader::TStep::Row) {
            const logcore::TJournalRowView& row = reader.Row();
            index.Add(row.mode == logcore::TLogMode::Multi, row.position, row.offset);
            continue;
        }
        if (problem) problem(reader.Problem());
        journal = journal && !logcore::NotAJournal(reader.Problem());
    }
    return journal;
}

bool ReadGridRow(logcore::TJournalReader& reader, const TJournalGridIndex& index,
                 std::int32_t position, TExportRow& out) {
    const auto offset = index.At(position);
    if (!offset) return true;
    if (!reader.ReadRowAt(*offset, 0)) return false;
    const logcore::TJournalRowView& row = reader.Row();
    for (std::size_t c = 0; c < out.cells.size(); ++c) out.cells[c].assign(row.cells[c]);
    out.measured = MeasuredFromJournal(row);
    return true;
}

TGridRow GridHeader(bool multi, const i18n::TLexicons& lex) {
    TGridRow header;
    for (int c = 0; c < kSheetColumns; ++c)
        header[static_cast<std::size_t>(c)] = lex.D2.GetItem(c + 1);
    if (multi) header[1] = lex.D2.GetItem(11);  // entry names instead of times
    return header;
}

}  // namespace exporter
