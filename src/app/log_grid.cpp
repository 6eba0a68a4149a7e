// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/log_grid.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>

#include "app/log_table_model.h"

namespace {
constexpr int kColumnWidths[LogTableModel::kColumns] = {68, 133, 131, 128, 50,
                                                        83, 73,  96,  105, 107};
}

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
}

int LogGrid::Row() const {
    const QModelIndex i = currentIndex();
    return i.isValid() ? i.row() + 1 : 0;
}

int LogGrid::Col() const {
    const QModelIndex i = currentIndex();
    return i.isValid() ? i.column() : 0;
}

void LogGrid::MoveCursor(int row, int column) {
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
    if (!MouseUp) return;
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
