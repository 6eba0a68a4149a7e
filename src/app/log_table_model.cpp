// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/log_table_model.h"

#include "log/log_row.h"

#include <QColor>
#include <algorithm>
#include <limits>

#include "display/contrast.h"

namespace {

QColor Colour(display::TRgb c) {
    return QColor(c.r, c.g, c.b);
}
constexpr std::size_t kMaxRowBytes = std::numeric_limits<std::uint16_t>::max();

}  // namespace

LogTableModel::LogTableModel(QObject* parent) : QAbstractTableModel(parent), rows_(1) {}

std::string_view LogTableModel::CellView(const TRow& row, int column) {
    const std::size_t begin = column == 0 ? 0 : row.end[static_cast<std::size_t>(column - 1)];
    const std::size_t end = row.end[static_cast<std::size_t>(column)];
    return std::string_view(row.text).substr(begin, end - begin);
}

void LogTableModel::Replace(TRow& row, int column, std::string_view text) {
    const auto c = static_cast<std::size_t>(column);
    const std::size_t begin = c == 0 ? 0 : row.end[c - 1];
    const std::size_t oldLength = row.end[c] - begin;
    // A row holds at most 64 KiB of text; a longer cell is cut (a grid cell
    // shows a few dozen characters at most).
    const std::size_t room = kMaxRowBytes - (row.text.size() - oldLength);
    if (text.size() > room) text = text.substr(0, room);
    row.text.replace(begin, oldLength, text);
    const auto shift =
        static_cast<std::ptrdiff_t>(text.size()) - static_cast<std::ptrdiff_t>(oldLength);
    for (std::size_t i = c; i < kColumns; ++i)
        row.end[i] = static_cast<std::uint16_t>(static_cast<std::ptrdiff_t>(row.end[i]) + shift);
}

void LogTableModel::SetRowCount(int rows) {
    rows = std::max(rows, 1);
    const int old = RowCount();
    if (rows > old) {
        beginInsertRows({}, old - 1, rows - 2);
        rows_.resize(static_cast<std::size_t>(rows));
        endInsertRows();
    } else if (rows < old) {
        beginRemoveRows({}, rows - 1, old - 2);
        rows_.resize(static_cast<std::size_t>(rows));
        rows_.shrink_to_fit();
        endRemoveRows();
    }
}

QString LogTableModel::Cell(int row, int column) const {
    return QString::fromStdString(CellUtf8(row, column));
}

std::string LogTableModel::CellUtf8(int row, int column) const {
    if (row < 0 || row >= RowCount() || column < 0 || column >= kColumns) return {};
    return std::string(CellView(rows_[static_cast<std::size_t>(row)], column));
}

void LogTableModel::SetCell(int row, int column, const QString& text) {
    if (row < 0 || row >= RowCount() || column < 0 || column >= kColumns) return;
    Replace(rows_[static_cast<std::size_t>(row)], column, text.toStdString());
    Changed(row, column, column);
}

void LogTableModel::WriteRow(int row, const TRowTexts& texts) {
    if (row < 0 || row >= RowCount()) return;
    TRow& r = rows_[static_cast<std::size_t>(row)];
    for (int c = 0; c < kColumns; ++c)
        if (const auto& text = texts[static_cast<std::size_t>(c)]) Replace(r, c, *text);
    Changed(row, 0, kColumns - 1);
}

void LogTableModel::ClearRows(int first, int last) {
    first = std::max(first, 0);
    last = std::min(last, RowCount() - 1);
    if (first > last) return;
    for (int r = first; r <= last; ++r) rows_[static_cast<std::size_t>(r)] = TRow{};
    if (first == 0) emit headerDataChanged(Qt::Horizontal, 0, kColumns - 1);
    if (last >= 1)
        emit dataChanged(index(std::max(first, 1) - 1, 0), index(last - 1, kColumns - 1));
}

void LogTableModel::SetRowVerdict(int row, int verdict) {
    if (row < 0 || row >= RowCount()) return;
    rows_[static_cast<std::size_t>(row)].verdict = static_cast<std::int16_t>(verdict);
    Changed(row, kRejectColumn, kColumns - 1);
}

void LogTableModel::SetRowMeasured(int row, const exporter::TMeasured& measured) {
    if (row < 1 || row >= RowCount()) return;
    rows_[static_cast<std::size_t>(row)].measured = std::make_unique<exporter::TMeasured>(measured);
}

const exporter::TMeasured* LogTableModel::RowMeasured(int row) const {
    if (row < 0 || row >= RowCount()) return nullptr;
    return rows_[static_cast<std::size_t>(row)].measured.get();
}

int LogTableModel::LastFilledRow() const {
    for (int r = RowCount() - 1; r >= 0; --r)
        if (!rows_[static_cast<std::size_t>(r)].text.empty()) return r;
    return -1;
}

int LogTableModel::RowVerdict(int row) const {
    if (row < 0 || row >= RowCount()) return 0;
    return rows_[static_cast<std::size_t>(row)].verdict;
}

void LogTableModel::Changed(int row, int firstColumn, int lastColumn) {
    if (row == 0)
        emit headerDataChanged(Qt::Horizontal, firstColumn, lastColumn);
    else
        emit dataChanged(index(row - 1, firstColumn), index(row - 1, lastColumn));
}

std::optional<QColor> LogTableModel::Background(int row, int column) const {
    if (column < kRejectColumn || !lexicons_) return std::nullopt;
    const TRow& r = rows_[static_cast<std::size_t>(row)];
    const logcore::TRowPaint paint =
        logcore::RowPaint(CellView(r, kRejectColumn), r.verdict, *lexicons_);
    using TFill = logcore::TRowPaint::TFill;
    const bool red = (column == kRejectColumn && paint.column7 == TFill::Red) ||
                     (column == kRejectColumn + 1 && paint.column8Red) ||
                     (column == kRejectColumn + 2 && paint.column9Red);
    if (red) return Colour(display::kRejectFill);
    if (column == kRejectColumn && paint.column7 == TFill::Green) return Colour(display::kPassFill);
    return std::nullopt;
}

std::optional<QColor> LogTableModel::Foreground(int row, int column) const {
    const std::optional<QColor> fill = Background(row, column);
    if (!fill) return std::nullopt;
    // The text colour that goes with each fill keeps it readable.
    return *fill == Colour(display::kPassFill) ? Colour(display::kPassText)
                                               : Colour(display::kRejectText);
}

int LogTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : RowCount() - 1;
}

int LogTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumns;
}

QVariant LogTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    const int row = index.row() + 1;
    if (row >= RowCount()) return {};
    if (role == Qt::DisplayRole) {
        // An empty cell holds no text at all, so the view lays out nothing for
        // it: most of a fresh log is empty cells.
        const std::string_view text =
            CellView(rows_[static_cast<std::size_t>(row)], index.column());
        return text.empty() ? QVariant() : QVariant(QString::fromUtf8(text.data(), text.size()));
    }
    if (role == Qt::BackgroundRole) {
        if (const auto colour = Background(row, index.column())) return *colour;
    }
    if (role == Qt::ForegroundRole) {
        if (const auto colour = Foreground(row, index.column())) return *colour;
    }
    return {};
}

QVariant LogTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) return {};
    if (orientation == Qt::Horizontal) return Cell(0, section);
    return section + 1;
}

Qt::ItemFlags LogTableModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}
