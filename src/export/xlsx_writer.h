// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "export/sheet_cells.h"
#include "export/si_sheet.h"

// Writes the log table as a workbook. The first sheet is the grid's copy: the
// grid's rows from the header row on, grid cell (r, c) at sheet row r, column
// c (both from 0), print margins 30 pt left and 10 pt right. The second sheet
// holds the numbers behind each measured row (see si_sheet.h), with a frozen
// header row and an autofilter. Every column is as wide as its widest text.
// Rows go out one at a time and are not kept (the writer's constant-memory
// mode, each sheet filled in row order), so a long log costs no memory.
namespace exporter {

struct TSheetOptions {
    std::string decimal = ",";  // the locale's decimal separator
    TSiHeaders siHeaders;       // header row of the second sheet
    std::string siSheetName;    // empty: the writer's default name
};

// Options whose texts are in the language of `lexicons`.
TSheetOptions SheetOptions(const i18n::TLexicons& lexicons, std::string decimal);

class TXlsxWriter {
  public:
    // Nothing is created on disk until Finish; `error` tells why a workbook
    // could not even be started.
    static std::unique_ptr<TXlsxWriter> Start(const std::string& path, const TSheetOptions& options,
                                              std::string& error);
    ~TXlsxWriter();
    TXlsxWriter(const TXlsxWriter&) = delete;
    TXlsxWriter& operator=(const TXlsxWriter&) = delete;

    // The next grid row; row 0 first. A data row with the numbers behind it
    // also gets its row on the second sheet. False once a cell could not be
    // written.
    bool WriteRow(std::span<const std::string, kSheetColumns> cells,
                  const TMeasured* measured = nullptr);
    // Writes the file. False with the reason when it cannot be written.
    bool Finish(std::string& error);

  private:
    struct TImpl;
    explicit TXlsxWriter(std::unique_ptr<TImpl> impl);
    std::unique_ptr<TImpl> impl_;
};

// One grid row and, for a measured row, the numbers behind it.
struct TExportRow {
    TGridRow cells;
    std::optional<TMeasured> measured;
};

// The whole export: `fill(r, row)` gives grid row r, for r = 0 .. rowCount - 1.
// False with the reason when the workbook could not be written; no file is
// left behind then.
bool WriteWorkbook(const std::string& path, const TSheetOptions& options, int rowCount,
                   const std::function<void(int row, TExportRow& out)>& fill, std::string& error);

// A plain table on one sheet: the header row (frozen, with an autofilter),
// then `fill(r, cells)` for r = 0 .. rowCount - 1, each column as wide as its
// widest text. Used for tables other than the log's. Same promises as
// WriteWorkbook: no file is left behind when it fails.
bool WriteTableWorkbook(const std::string& path, const std::string& sheetName,
                        const std::vector<std::string>& header, int rowCount,
                        const std::function<void(int row, std::vector<TCell>& out)>& fill,
                        std::string& error);

// Margins in inches, as the writer wants them.
inline constexpr double kLeftMarginInches = 30.0 / 72.0;
inline constexpr double kRightMarginInches = 10.0 / 72.0;

// Column width in the spreadsheet's character units for a column whose widest
// text has `characters` characters; `filterButton` leaves room for an
// autofilter's button beside a header.
double ColumnWidth(std::size_t characters, bool filterButton = false);

// Characters of a UTF-8 text.
std::size_t Utf8Length(std::string_view text);

}  // namespace exporter
