// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAbstractTableModel>
#include <QString>
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "export/si_sheet.h"
#include "i18n/lexicon.h"

// The cells of the log grid. Row 0 holds the header texts like any other row
// (the export copies it as the sheet's header); the view shows it as its fixed
// header, so the model's own rows are grid rows 1 and on.
//
// A row keeps its ten texts in one UTF-8 string with the end offset of each
// cell, so an empty row costs a few dozen bytes and the largest log (100 000
// rows) stays small. Each row also keeps the verdict it was written with, so a
// row's reject colours never follow a later measurement.
class LogTableModel : public QAbstractTableModel {
    Q_OBJECT

  public:
    static constexpr int kColumns = 10;
    static constexpr int kRejectColumn = 7;
    using TRowTexts = std::array<std::optional<std::string>, kColumns>;

    explicit LogTableModel(QObject* parent = nullptr);

    // Grid coordinates: row 0 is the header row.
    int RowCount() const { return static_cast<int>(rows_.size()); }
    void SetRowCount(int rows);  // at least 1 (the header row stays)
    QString Cell(int row, int column) const;
    std::string CellUtf8(int row, int column) const;
    void SetCell(int row, int column, const QString& text);
    // Writes the cells that hold a text and leaves the others as they are.
    void WriteRow(int row, const TRowTexts& texts);
    // Empties rows `first` to `last` (grid rows, inclusive, clipped to the grid).
    void ClearRows(int first, int last);

    // The numbers behind a measured row, for the export's number sheet; null
    // for a row no measurement wrote (headers, entry names, emptied rows).
    void SetRowMeasured(int row, const exporter::TMeasured& measured);
    const exporter::TMeasured* RowMeasured(int row) const;
    // The last grid row that holds any text (0 when only the header does, -1
    // when not even that).
    int LastFilledRow() const;

    // Verdict the row was written with (0 when it never was).
    void SetRowVerdict(int row, int verdict);
    int RowVerdict(int row) const;
    // The reject marks are read in these lexicons' current language.
    void SetLexicons(const i18n::TLexicons* lexicons) { lexicons_ = lexicons; }

    // QAbstractTableModel
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

  private:
    struct TRow {
        std::string text;                           // the ten cells one after another
        std::array<std::uint16_t, kColumns> end{};  // end offset of each cell in `text`
        std::int16_t verdict = 0;
        std::unique_ptr<const exporter::TMeasured> measured;
    };
    static std::string_view CellView(const TRow& row, int column);
    static void Replace(TRow& row, int column, std::string_view text);
    std::optional<QColor> Background(int row, int column) const;
    std::optional<QColor> Foreground(int row, int column) const;
    void Changed(int row, int firstColumn, int lastColumn);

    std::vector<TRow> rows_;
    const i18n::TLexicons* lexicons_ = nullptr;
};
