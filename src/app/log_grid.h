// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QTableView>
#include <array>
#include <functional>
#include <utility>

class LogTableModel;

// The log grid `SG`: a read-only table over LogTableModel whose header shows
// the model's row 0. Rows and columns here are grid rows (1 is the first data
// row), as the handlers think of them.
class LogGrid : public QTableView {
    Q_OBJECT

  public:
    explicit LogGrid(QWidget* parent);

    LogTableModel& Cells() { return *cells_; }
    const LogTableModel& Cells() const { return *cells_; }

    // Another log shown in place of this one (an opened journal), read-only;
    // the log itself goes on in Cells(). Null shows the log again.
    void ShowOther(LogTableModel* other);
    bool ShowsOther() const;
    // What the grid shows now.
    const LogTableModel& Shown() const;

    // Grid row and column of the cursor (0, 0 when it is on no cell).
    int Row() const;
    int Col() const;
    // Moves the cursor without asking SelectionAllowed (the program moves it).
    void MoveCursor(int row, int column);

    // While locked (a recording run) the user can neither move the cursor nor
    // click cells, but the grid is drawn and scrolls as usual: a disabled
    // grid would grey out every cell and its colours.
    void SetLocked(bool locked) { locked_ = locked; }

    // Column widths: the design widths, widened in proportion to take
    // `extra` pixels more (a window wider than its design).
    static std::array<int, 10> ColumnWidths(int extra);
    bool Locked() const { return locked_; }

    // Asked before the user moves the cursor; refused moves do nothing.
    std::function<bool()> SelectionAllowed;
    // Mouse released over grid row `row`, column `column` (row 0 is the header).
    std::function<void(int row, int column)> MouseUp;

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    bool Allowed() const { return !locked_ && (!SelectionAllowed || SelectionAllowed()); }

    LogTableModel* cells_;
    bool locked_ = false;
    std::pair<int, int> logCursor_{0, 0};  // while another log is shown
};
