// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/log_grid.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyle>
#include <algorithm>

#include "app/log_table_model.h"
#include "app/text_fit.h"

namespace {
constexpr int kColumnWidths[LogTableModel::kColumns] = {68, 133, 131, 128, 50,
                                                        83, 73,  96,  105, 107};

// The header's font goes down from its design size until every column's name
// fits its column (a font wider than the design's would cut them off).
void FitHeader(QHeaderView* header) {
    const int margin = header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
    widgets::ShrinkToFit(header, [header, margin](const QFont& font) {
        const QFontMetrics fm(font);
        for (int c = 0; c < header->count(); ++c)
            if (fm.horizontalAdvance(header->model()->headerData(c, Qt::Horizontal).toString()) +
                    2 * margin >
                header->sectionSize(c))
                return false;
        return true;
    });
}

}  // namespace

LogGrid::LogGrid(QWidget* parent) : QTableView(parent), cells_(new LogTableModel(this)) {
    setModel(cells_);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setFocusPolicy(Qt::ClickFocus);  // not in the tab order
    setShowGrid(true);
    setWordWrap(false);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(24);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionsClickable(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    for (int c = 0; c < LogTableModel::kColumns; ++c) setColumnWidth(c, kColumnWidths[c]);
    connect(cells_, &QAbstractItemModel::headerDataChanged, this,
            [this] { FitHeader(horizontalHeader()); });
    connect(horizontalHeader(), &QHeaderView::sectionResized, this,
            [this] { FitHeader(horizontalHeader()); });
}

std::array<int, 10> LogGrid::ColumnWidths(int extra) {
    static_assert(LogTableModel::kColumns == 10);
    std::array<int, 10> out{};
    int designed = 0;
    for (const int w : kColumnWidths) designed += w;
    extra = std::max(0, extra);
    int given = 0;
    for (int c = 0; c < 10; ++c) {
        out[static_cast<std::size_t>(c)] = kColumnWidths[c] * (designed + extra) / designed;
        given += out[static_cast<std::size_t>(c)];
    }
    // What rounding left over goes to the last column.
    out[9] += designed + extra - given;
    return out;
}

void LogGrid::resizeEvent(QResizeEvent* event) {
    QTableView::resizeEvent(event);
    // The room a window wider than its design gives.
    const QWidget* w = window();
    const std::array<int, 10> widths = ColumnWidths(w == this ? 0 : w->width() - w->minimumWidth());
    for (int c = 0; c < LogTableModel::kColumns; ++c)
        if (columnWidth(c) != widths[static_cast<std::size_t>(c)])
            setColumnWidth(c, widths[static_cast<std::size_t>(c)]);
}

int LogGrid::Row() const {
    const QModelIndex i = currentIndex();
    return i.isValid() ? i.row() + 1 : 0;
}

int LogGrid::Col() const {
    const QModelIndex i = currentIndex();
    return i.isValid() ? i.column() : 0;
}

void LogGrid::ShowOther(LogTableModel* other) {
    QAbstractItemModel* wanted = other ? static_cast<QAbstractItemModel*>(other) : cells_;
    if (model() == wanted) return;
    // The log's cursor comes back with the log.
    if (!ShowsOther()) logCursor_ = {Row(), Col()};
    int widths[LogTableModel::kColumns];
    for (int c = 0; c < LogTableModel::kColumns; ++c) widths[c] = columnWidth(c);
    setModel(wanted);
    for (int c = 0; c < LogTableModel::kColumns; ++c) setColumnWidth(c, widths[c]);
    if (!ShowsOther() && logCursor_.first > 0) MoveCursor(logCursor_.first, logCursor_.second);
}

bool LogGrid::ShowsOther() const {
    return model() != cells_;
}

const LogTableModel& LogGrid::Shown() const {
    return *static_cast<const LogTableModel*>(model());
}

void LogGrid::MoveCursor(int row, int column) {
    if (ShowsOther()) return;  // the cursor belongs to the log, not to a view
    const QModelIndex i = cells_->index(row - 1, column);
    if (!i.isValid()) return;
    selectionModel()->setCurrentIndex(i, QItemSelectionModel::ClearAndSelect);
    scrollTo(i);
}

void LogGrid::mousePressEvent(QMouseEvent* event) {
    if (!Allowed()) return;
    QTableView::mousePressEvent(event);
}

void LogGrid::mouseMoveEvent(QMouseEvent* event) {
    if (!Allowed()) return;
    QTableView::mouseMoveEvent(event);
}

void LogGrid::mouseDoubleClickEvent(QMouseEvent* event) {
    if (!Allowed()) return;
    QTableView::mouseDoubleClickEvent(event);
}

void LogGrid::keyPressEvent(QKeyEvent* event) {
    if (locked_) {
        event->ignore();  // the window's own keys still work
        return;
    }
    QTableView::keyPressEvent(event);
}

void LogGrid::mouseReleaseEvent(QMouseEvent* event) {
    if (locked_) return;
    QTableView::mouseReleaseEvent(event);
    if (!MouseUp || ShowsOther()) return;  // a click in a view leaves the log alone
    const QPoint at = event->position().toPoint();
    const QModelIndex i = indexAt(at);
    if (i.isValid()) {
        MouseUp(i.row() + 1, i.column());
    } else {
        // Over no cell: the header (row 0) or below the last row.
        const int column = columnAt(at.x());
        if (column >= 0) MouseUp(-1, column);
    }
}

QModelIndex LogGrid::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
    if (!Allowed()) return currentIndex();
    return QTableView::moveCursor(action, modifiers);
}
