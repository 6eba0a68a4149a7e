// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/journal_grid.h"

namespace exporter {

void TJournalGridIndex::Add(bool multi, long position, long long offset) {
    if (!multi_) multi_ = multi;
    if (position < 1 || position > kMaxPosition) {
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

TGridRow GridHeader(bool multi, const i18n::TLexicons& lex) {
    TGridRow header;
    for (int c = 0; c < kSheetColumns; ++c)
        header[static_cast<std::size_t>(c)] = lex.D2.GetItem(c + 1);
    if (multi) header[1] = lex.D2.GetItem(11);  // entry names instead of times
    return header;
}

}  // namespace exporter
