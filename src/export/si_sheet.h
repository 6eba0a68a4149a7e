// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "export/sheet_cells.h"
#include "i18n/lexicon.h"
#include "log/journal.h"
#include "log/journal_reader.h"
#include "log/local_time.h"

// The workbook's second sheet: one row per measured log row, in plain numbers
// a spreadsheet can average and chart. The grid's copy on the first sheet
// holds texts such as "R 1,0012 кОм"; this sheet holds 1001.2 under a header
// that names the unit.
namespace exporter {

// The numbers behind one log row, as the journal keeps them.
using TMeasured = logcore::TJournalNumbers;

inline TMeasured MeasuredFromJournal(const logcore::TJournalNumbers& row) { return row; }

enum TSiColumn : int {
    kSiPosition,
    kSiName,
    kSiTime,
    kSiPrimaryParameter,
    kSiPrimary,
    kSiSecondaryParameter,
    kSiSecondary,
    kSiRs,
    kSiXs,
    kSiRp,
    kSiXp,
    kSiFrequency,
    kSiPrimaryDeviation,
    kSiSecondaryDeviation,
    kSiVerdict,
    kSiColumns
};

using TSiHeaders = std::array<std::string, kSiColumns>;
using TSiRow = std::array<TCell, kSiColumns>;

// Header texts and the sheet's name in the language of `lexicons`.
TSiHeaders SiHeaders(const i18n::TLexicons& lexicons);
std::string SiSheetName(const i18n::TLexicons& lexicons);

// The row of grid row `cells` (a data row of the measurement layout) and the
// numbers behind it. Texts point into `cells`. The name is column 1 of a multi
// row; the parameters are the reading's symbol ("R 1,000 кОм" -> "R"); the
// deviations are read back from the grid's texts with `decimal`; the verdict
// is left empty while no tolerance marked the row. Numbers that are not finite
// stay empty: a workbook cannot hold them.
TSiRow SiRow(std::span<const std::string, kSheetColumns> cells, const TMeasured& measured,
             std::string_view decimal);

}  // namespace exporter
