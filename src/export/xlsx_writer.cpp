#include "export/xlsx_writer.h"

#include <xlsxwriter.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace exporter {

struct TXlsxWriter::TImpl {
    lxw_workbook* workbook = nullptr;
    lxw_worksheet* sheet = nullptr;
    lxw_format* dateTime = nullptr;
    TSheetOptions options;
    lxw_row_t row = 0;
    lxw_error firstError = LXW_NO_ERROR;
    std::string path;
    std::string partPath;  // written first, renamed to `path` when complete

    ~TImpl() {
        // A writer dropped without Finish still releases the workbook; its
        // unfinished file goes again.
        if (workbook) {
            workbook_close(workbook);
            std::remove(partPath.c_str());
        }
    }
};

TXlsxWriter::TXlsxWriter(std::unique_ptr<TImpl> impl) : impl_(std::move(impl)) {}
TXlsxWriter::~TXlsxWriter() = default;

std::unique_ptr<TXlsxWriter> TXlsxWriter::Start(const std::string& path,
                                                const TSheetOptions& options, std::string& error) {
    auto impl = std::make_unique<TImpl>();
    impl->options = options;
    impl->path = path;
    impl->partPath = path + ".part";
    lxw_workbook_options opt{};
    opt.constant_memory = LXW_TRUE;
    errno = 0;
    impl->workbook = workbook_new_opt(impl->partPath.c_str(), &opt);
    if (!impl->workbook) {
        error = errno ? std::strerror(errno) : "cannot start a workbook";
        return nullptr;
    }
    impl->sheet = workbook_add_worksheet(impl->workbook, nullptr);
    if (!impl->sheet) {
        error = "cannot add a worksheet";
        return nullptr;
    }
    worksheet_set_margins(impl->sheet, kLeftMarginInches, kRightMarginInches, -1, -1);
    impl->dateTime = workbook_add_format(impl->workbook);
    format_set_num_format(impl->dateTime, "dd.mm.yy hh:mm:ss");
    return std::unique_ptr<TXlsxWriter>(new TXlsxWriter(std::move(impl)));
}

bool TXlsxWriter::WriteRow(std::span<const std::string, kSheetColumns> cells) {
    TImpl& w = *impl_;
    if (w.firstError != LXW_NO_ERROR) return false;
    const int gridRow = static_cast<int>(w.row);
    for (int c = 0; c < kSheetColumns; ++c) {
        const std::string& text = cells[static_cast<std::size_t>(c)];
        const auto col = static_cast<lxw_col_t>(c);
        const TCell cell = ClassifyCell(text, gridRow, c, w.options.decimal);
        lxw_error e = LXW_NO_ERROR;
        if (const auto* n = std::get_if<TNumber>(&cell)) {
            e = worksheet_write_number(w.sheet, w.row, col, n->value, nullptr);
        } else if (const auto* t = std::get_if<TDateTime>(&cell)) {
            lxw_datetime dt{t->year, t->month,  t->day,
                            t->hour, t->minute, static_cast<double>(t->second)};
            e = worksheet_write_datetime(w.sheet, w.row, col, &dt, w.dateTime);
        } else if (std::holds_alternative<TText>(cell)) {
            e = worksheet_write_string(w.sheet, w.row, col, text.c_str(), nullptr);
        }  // an empty cell is left out, as an empty text typed into a sheet is
        if (e != LXW_NO_ERROR) {
            w.firstError = e;
            return false;
        }
    }
    ++w.row;
    return true;
}

bool TXlsxWriter::Finish(std::string& error) {
    TImpl& w = *impl_;
    lxw_workbook* workbook = w.workbook;
    w.workbook = nullptr;
    if (!workbook) {
        error = "the workbook is already finished";
        return false;
    }
    errno = 0;
    const lxw_error e = workbook_close(workbook);
    const int closeErrno = errno;
    const lxw_error first = w.firstError != LXW_NO_ERROR ? w.firstError : e;
    if (first != LXW_NO_ERROR) {
        error = lxw_strerror(first);
        if (closeErrno) error += std::string(": ") + std::strerror(closeErrno);
        std::remove(w.partPath.c_str());
        return false;
    }
    // Complete files only: a reader never sees a half-written workbook.
    if (std::rename(w.partPath.c_str(), w.path.c_str()) != 0) {
        error = std::string("cannot rename the finished workbook: ") + std::strerror(errno);
        std::remove(w.partPath.c_str());
        return false;
    }
    return true;
}

bool WriteWorkbook(const std::string& path, const TSheetOptions& options, int rowCount,
                   const std::function<void(int row, TGridRow& cells)>& fill, std::string& error) {
    auto writer = TXlsxWriter::Start(path, options, error);
    if (!writer) return false;
    TGridRow cells;
    for (int r = 0; r < rowCount; ++r) {
        for (std::string& c : cells) c.clear();
        fill(r, cells);
        if (!writer->WriteRow(cells)) break;
    }
    return writer->Finish(error);
}

}  // namespace exporter
