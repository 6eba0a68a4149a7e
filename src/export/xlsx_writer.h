#pragma once

#include <functional>
#include <memory>
#include <span>
#include <string>

#include "export/sheet_cells.h"

// Writes the log table as a workbook: one sheet, the grid's rows from the
// header row on, grid cell (r, c) at sheet row r, column c (both from 0),
// print margins 30 pt left and 10 pt right. Rows go out one at a time and
// are not kept (the writer's constant-memory mode), so a long log costs no
// memory.
namespace exporter {

struct TSheetOptions {
    std::string decimal = ",";  // the locale's decimal separator
};

class TXlsxWriter {
  public:
    // Nothing is created on disk until Finish; `error` tells why a workbook
    // could not even be started.
    static std::unique_ptr<TXlsxWriter> Start(const std::string& path, const TSheetOptions& options,
                                              std::string& error);
    ~TXlsxWriter();
    TXlsxWriter(const TXlsxWriter&) = delete;
    TXlsxWriter& operator=(const TXlsxWriter&) = delete;

    // The next grid row; row 0 first. False once a cell could not be written.
    bool WriteRow(std::span<const std::string, kSheetColumns> cells);
    // Writes the file. False with the reason when it cannot be written.
    bool Finish(std::string& error);

  private:
    struct TImpl;
    explicit TXlsxWriter(std::unique_ptr<TImpl> impl);
    std::unique_ptr<TImpl> impl_;
};

// The whole export: `fill(r, cells)` gives grid row r, for r = 0 .. rowCount - 1.
// False with the reason when the workbook could not be written; no file is
// left behind then.
bool WriteWorkbook(const std::string& path, const TSheetOptions& options, int rowCount,
                   const std::function<void(int row, TGridRow& cells)>& fill, std::string& error);

// Margins in inches, as the writer wants them.
inline constexpr double kLeftMarginInches = 30.0 / 72.0;
inline constexpr double kRightMarginInches = 10.0 / 72.0;

}  // namespace exporter
