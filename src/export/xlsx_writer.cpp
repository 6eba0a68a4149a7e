// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/xlsx_writer.h"

#include <xlsxwriter.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <vector>

#include "export/export_target.h"
#include "export/stderr_capture.h"

namespace exporter {
namespace {

constexpr const char* kDateTimeFormat = "dd.mm.yy hh:mm:ss";
constexpr std::size_t kDateTimeCharacters = 17;
// A spreadsheet shows a number in its general format with at most 11 characters.
constexpr std::size_t kMaxNumberCharacters = 11;

std::size_t NumberCharacters(double v) {
    char text[64];
    // As "%.10G" prints it, at a fraction of printf's cost on every number cell.
    const auto end = std::to_chars(text, text + sizeof text, v, std::chars_format::general, 10).ptr;
    return std::min(static_cast<std::size_t>(std::max<std::ptrdiff_t>(end - text, 1)),
                    kMaxNumberCharacters);
}

// One sheet and what its columns have held so far.
struct TSheet {
    lxw_worksheet* sheet = nullptr;
    lxw_row_t row = 0;
    std::vector<std::size_t> widest;  // characters, per column
    bool filter = false;

    void Saw(int column, std::size_t characters) {
        std::size_t& w = widest[static_cast<std::size_t>(column)];
        w = std::max(w, characters);
    }
    // The column widths, once every row is in.
    void SetWidths() const {
        for (std::size_t c = 0; c < widest.size(); ++c)
            if (widest[c] > 0)
                worksheet_set_column(sheet, static_cast<lxw_col_t>(c), static_cast<lxw_col_t>(c),
                                     ColumnWidth(widest[c], filter), nullptr);
    }
};

}  // namespace

std::size_t Utf8Length(std::string_view text) {
    return static_cast<std::size_t>(
        std::count_if(text.begin(), text.end(), [](char c) { return (c & 0xC0) != 0x80; }));
}

double ColumnWidth(std::size_t characters, bool filterButton) {
    // Proportional fonts run a little wider than their digit width on letters.
    const double width = static_cast<double>(characters) * 1.15 + 1.0 + (filterButton ? 2.5 : 0.0);
    return std::min(width, 255.0);
}

TSheetOptions SheetOptions(const i18n::TLexicons& lexicons, std::string decimal) {
    TSheetOptions options;
    options.decimal = std::move(decimal);
    options.siHeaders = SiHeaders(lexicons);
    options.siSheetName = SiSheetName(lexicons);
    return options;
}

namespace {

// Writes one cell; `text` is the cell as the grid shows it (for its width).
lxw_error WriteCell(TSheet& s, int column, const TCell& cell, std::string_view text,
                    lxw_format* dateTime) {
    const auto col = static_cast<lxw_col_t>(column);
    lxw_error e = LXW_NO_ERROR;
    if (const auto* n = std::get_if<TNumber>(&cell)) {
        e = worksheet_write_number(s.sheet, s.row, col, n->value, nullptr);
        s.Saw(column, text.empty() ? NumberCharacters(n->value) : Utf8Length(text));
    } else if (const auto* t = std::get_if<TDateTime>(&cell)) {
        lxw_datetime dt{t->year, t->month,  t->day,
                        t->hour, t->minute, t->second + t->millisecond / 1000.0};
        e = worksheet_write_datetime(s.sheet, s.row, col, &dt, dateTime);
        s.Saw(column, kDateTimeCharacters);
    } else if (const auto* x = std::get_if<TText>(&cell)) {
        const std::string copy(x->text);  // the writer wants it ended by a zero
        e = worksheet_write_string(s.sheet, s.row, col, copy.c_str(), nullptr);
        s.Saw(column, Utf8Length(x->text));
    }  // an empty cell is left out, as an empty text typed into a sheet is
    return e;
}

// A workbook written as "<path>.part" and renamed to its name only when
// complete, so a reader never sees a half-written one.
struct TWorkbookFile {
    lxw_workbook* workbook = nullptr;
    std::string path;
    std::string partPath;

    TWorkbookFile() = default;
    TWorkbookFile(const TWorkbookFile&) = delete;
    TWorkbookFile& operator=(const TWorkbookFile&) = delete;
    ~TWorkbookFile() {
        // Dropped without Close: the workbook is still released and its
        // unfinished file goes again.
        if (workbook) {
            TStderrCapture quiet;
            workbook_close(workbook);
            std::remove(partPath.c_str());
        }
    }

    bool Open(const std::string& target, std::string& error) {
        // Through a symbolic link to its file; never over a folder or a device.
        if (!ResolveExportTarget(target, path, error)) return false;
        partPath = path + ".part";
        if (!ClearStalePart(partPath, error)) return false;
        lxw_workbook_options opt{};
        opt.constant_memory = LXW_TRUE;
        errno = 0;
        TStderrCapture library;
        workbook = workbook_new_opt(partPath.c_str(), &opt);
        if (!workbook) {
            error = errno ? std::strerror(errno) : "cannot start a workbook";
            const std::string said = library.Finish();
            if (!said.empty()) error += " (" + said + ")";
            return false;
        }
        return true;
    }

    lxw_worksheet* AddSheet(const std::string& name, std::string& error) {
        const bool nameUsable =
            !name.empty() && workbook_validate_sheet_name(workbook, name.c_str()) == LXW_NO_ERROR;
        TStderrCapture library;
        lxw_worksheet* sheet =
            workbook_add_worksheet(workbook, nameUsable ? name.c_str() : nullptr);
        if (!sheet) {
            error = "cannot add a worksheet";
            const std::string said = library.Finish();
            if (!said.empty()) error += " (" + said + ")";
        }
        return sheet;
    }

    // Writes the file; `firstError` is the first cell that could not be written.
    bool Close(lxw_error firstError, std::string& error) {
        lxw_workbook* closing = workbook;
        if (!closing) {
            error = "the workbook is already finished";
            return false;
        }
        workbook = nullptr;
        errno = 0;
        TStderrCapture library;
        const lxw_error e = workbook_close(closing);
        const int closeErrno = errno;
        const std::string said = library.Finish();
        const lxw_error first = firstError != LXW_NO_ERROR ? firstError : e;
        if (first != LXW_NO_ERROR) {
            error = lxw_strerror(first);
            if (closeErrno) error += std::string(": ") + std::strerror(closeErrno);
            if (!said.empty()) error += " (" + said + ")";
            std::remove(partPath.c_str());
            return false;
        }
        if (std::rename(partPath.c_str(), path.c_str()) != 0) {
            error = std::string("cannot rename the finished workbook: ") + std::strerror(errno);
            std::remove(partPath.c_str());
            return false;
        }
        return true;
    }
};

}  // namespace

struct TXlsxWriter::TImpl {
    TWorkbookFile file;
    TSheet grid;
    TSheet numbers;
    lxw_format* dateTime = nullptr;
    TSheetOptions options;
    lxw_error firstError = LXW_NO_ERROR;

    bool Write(TSheet& s, int column, const TCell& cell, std::string_view text) {
        if (firstError != LXW_NO_ERROR) return false;
        const lxw_error e = WriteCell(s, column, cell, text, dateTime);
        if (e != LXW_NO_ERROR) firstError = e;
        return e == LXW_NO_ERROR;
    }
};

TXlsxWriter::TXlsxWriter(std::unique_ptr<TImpl> impl) : impl_(std::move(impl)) {}
TXlsxWriter::~TXlsxWriter() = default;

std::unique_ptr<TXlsxWriter> TXlsxWriter::Start(const std::string& path,
                                                const TSheetOptions& options, std::string& error) {
    auto impl = std::make_unique<TImpl>();
    impl->options = options;
    if (!impl->file.Open(path, error)) return nullptr;
    impl->grid.sheet = impl->file.AddSheet({}, error);
    if (!impl->grid.sheet) return nullptr;
    impl->numbers.sheet = impl->file.AddSheet(options.siSheetName, error);
    if (!impl->numbers.sheet) return nullptr;
    impl->grid.widest.assign(kSheetColumns, 0);
    impl->numbers.widest.assign(kSiColumns, 0);
    impl->numbers.filter = true;
    worksheet_set_margins(impl->grid.sheet, kLeftMarginInches, kRightMarginInches, -1, -1);
    impl->dateTime = workbook_add_format(impl->file.workbook);
    format_set_num_format(impl->dateTime, kDateTimeFormat);

    TSheet& numbers = impl->numbers;
    worksheet_freeze_panes(numbers.sheet, 1, 0);
    for (int c = 0; c < kSiColumns; ++c) {
        const std::string& header = options.siHeaders[static_cast<std::size_t>(c)];
        impl->Write(numbers, c, header.empty() ? TCell{TBlank{}} : TCell{TText{header}}, header);
    }
    numbers.row = 1;
    return std::unique_ptr<TXlsxWriter>(new TXlsxWriter(std::move(impl)));
}

bool TXlsxWriter::WriteRow(std::span<const std::string, kSheetColumns> cells,
                           const TMeasured* measured) {
    TImpl& w = *impl_;
    if (w.firstError != LXW_NO_ERROR) return false;
    const int gridRow = static_cast<int>(w.grid.row);
    for (int c = 0; c < kSheetColumns; ++c) {
        const std::string& text = cells[static_cast<std::size_t>(c)];
        if (!w.Write(w.grid, c, ClassifyCell(text, gridRow, c, w.options.decimal), text))
            return false;
    }
    ++w.grid.row;
    if (measured && gridRow > 0) {
        const TSiRow row = SiRow(cells, *measured, w.options.decimal);
        for (int c = 0; c < kSiColumns; ++c)
            if (!w.Write(w.numbers, c, row[static_cast<std::size_t>(c)], {})) return false;
        ++w.numbers.row;
    }
    return true;
}

bool TXlsxWriter::Finish(std::string& error) {
    TImpl& w = *impl_;
    if (w.file.workbook && w.firstError == LXW_NO_ERROR) {
        w.grid.SetWidths();
        w.numbers.SetWidths();
        worksheet_autofilter(w.numbers.sheet, 0, 0, w.numbers.row - 1, kSiColumns - 1);
    }
    return w.file.Close(w.firstError, error);
}

bool WriteWorkbook(const std::string& path, const TSheetOptions& options, int rowCount,
                   const std::function<void(int row, TExportRow& out)>& fill, std::string& error) {
    auto writer = TXlsxWriter::Start(path, options, error);
    if (!writer) return false;
    TExportRow row;
    for (int r = 0; r < rowCount; ++r) {
        for (std::string& c : row.cells) c.clear();
        row.measured.reset();
        fill(r, row);
        if (!writer->WriteRow(row.cells, row.measured ? &*row.measured : nullptr)) break;
    }
    return writer->Finish(error);
}

bool WriteTableWorkbook(const std::string& path, const std::string& sheetName,
                        const std::vector<std::string>& header, int rowCount,
                        const std::function<void(int row, std::vector<TCell>& out)>& fill,
                        std::string& error) {
    TWorkbookFile file;
    if (!file.Open(path, error)) return false;
    TSheet table;
    table.sheet = file.AddSheet(sheetName, error);
    if (!table.sheet) return false;
    table.widest.assign(header.size(), 0);
    table.filter = true;
    lxw_error first = LXW_NO_ERROR;
    const auto columns = static_cast<int>(header.size());
    auto write = [&](int column, const TCell& cell, std::string_view text) {
        if (first == LXW_NO_ERROR && column < columns)
            first = WriteCell(table, column, cell, text, nullptr);
    };
    worksheet_freeze_panes(table.sheet, 1, 0);
    for (int c = 0; c < columns; ++c)
        write(c, TText{header[static_cast<std::size_t>(c)]}, header[static_cast<std::size_t>(c)]);
    std::vector<TCell> cells;
    for (int r = 0; r < rowCount && first == LXW_NO_ERROR; ++r) {
        cells.assign(header.size(), TBlank{});
        fill(r, cells);
        ++table.row;
        for (int c = 0; c < columns; ++c) write(c, cells[static_cast<std::size_t>(c)], {});
    }
    if (first == LXW_NO_ERROR) {
        table.SetWidths();
        if (columns > 0)
            worksheet_autofilter(table.sheet, 0, 0, table.row, static_cast<lxw_col_t>(columns - 1));
    }
    return file.Close(first, error);
}

}  // namespace exporter
