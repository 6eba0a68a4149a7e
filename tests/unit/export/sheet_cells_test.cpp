// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/sheet_cells.h"

#include <gtest/gtest.h>

#include "export/journal_grid.h"

namespace exporter {
namespace {

// What a data cell becomes: 'B' blank, 'T' text, 'N' number, 'D' date-time.
struct CellCase {
    const char* name;
    const char* text;
    int row;
    int column;
    const char* decimal;
    char kind;
    double number;
};

void PrintTo(const CellCase& c, std::ostream* os) {
    *os << c.name;
}

char Kind(const TCell& cell) {
    return std::visit(
        [](const auto& v) {
            using T = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<T, TBlank>) return 'B';
            if constexpr (std::is_same_v<T, TText>) return 'T';
            if constexpr (std::is_same_v<T, TNumber>) return 'N';
            return 'D';
        },
        cell);
}

class SheetCell : public ::testing::TestWithParam<CellCase> {};

TEST_P(SheetCell, Kind) {
    const CellCase& c = GetParam();
    const TCell cell = ClassifyCell(c.text, c.row, c.column, c.decimal);
    ASSERT_EQ(Kind(cell), c.kind);
    if (c.kind == 'N') {
        EXPECT_DOUBLE_EQ(std::get<TNumber>(cell).value, c.number);
    }
    if (c.kind == 'T') {
        EXPECT_EQ(std::get<TText>(cell).text, c.text);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SheetCell,
    ::testing::Values(CellCase{"Position", "40", 40, 0, ",", 'N', 40},
                      CellCase{"DeviationComma", "12,35", 1, 8, ",", 'N', 12.35},
                      CellCase{"NegativeDeviation", "-0,50", 1, 9, ",", 'N', -0.5},
                      CellCase{"DeviationPoint", "12.35", 1, 8, ".", 'N', 12.35},
                      CellCase{"PointUnderCommaLocaleIsText", "12.35", 1, 8, ",", 'T', 0},
                      CellCase{"ExponentForm", "1,235E4", 1, 8, ",", 'N', 12350},
                      CellCase{"NegativeExponent", "-1,2E-5", 1, 8, ",", 'N', -1.2e-5},
                      CellCase{"ExponentWithoutDigitsIsText", "1,2E", 1, 8, ",", 'T', 0},
                      CellCase{"TwoSeparatorsIsText", "1,2,3", 1, 8, ",", 'T', 0},
                      CellCase{"GroupedIsText", "1\u00A0000", 1, 8, ",", 'T', 0},
                      CellCase{"TrailingSeparator", "5,", 1, 8, ",", 'N', 5},
                      CellCase{"LeadingSeparator", ",5", 1, 8, ",", 'N', 0.5},
                      CellCase{"MultiByteSeparator", "2\u066B5", 1, 8, "\u066B", 'N', 2.5},
                      CellCase{"RejectPlusIsText", "+", 1, 7, ",", 'T', 0},
                      CellCase{"RejectMinusIsText", "-", 1, 7, ",", 'T', 0},
                      CellCase{"ReadingIsText", "R 1,000 кОм", 1, 2, ",", 'T', 0},
                      CellCase{"FrequencyIsText", "A1кГц", 1, 5, ",", 'T', 0},
                      CellCase{"HugeExponentIsText", "1E999", 1, 8, ",", 'T', 0},
                      CellCase{"Empty", "", 1, 3, ",", 'B', 0},
                      CellCase{"HeaderNumberStaysText", "1", 0, 0, ",", 'T', 0},
                      CellCase{"TimeStamp", "10.12.26 14:03:05", 1, 1, ",", 'D', 0},
                      CellCase{"TimeStampDotSeparator", "10.12.26 14.03.05", 1, 1, ",", 'D', 0},
                      CellCase{"TimeStampOutsideItsColumnIsText", "10.12.26 14:03:05", 1, 2, ",",
                               'T', 0},
                      CellCase{"EntryNameInTimeColumn", "Резистор", 1, 1, ",", 'T', 0},
                      CellCase{"NumberLikeEntryNameIsText", "0805", 1, 1, ",", 'T', 0},
                      CellCase{"DecimalEntryNameIsText", "4,7", 1, 1, ",", 'T', 0},
                      CellCase{"NumberLikeLevelIsText", "1", 1, 6, ",", 'T', 0},
                      CellCase{"NumberLikeFrequencyIsText", "100", 1, 5, ",", 'T', 0},
                      CellCase{"NumberLikeReadingIsText", "0805", 1, 2, ",", 'T', 0},
                      CellCase{"ImpossibleDateIsText", "31.02.26 14:03:05", 1, 1, ",", 'T', 0},
                      CellCase{"ImpossibleTimeIsText", "10.12.26 24:00:00", 1, 1, ",", 'T', 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SheetCell, TimeStampFields) {
    TDateTime t;
    ASSERT_TRUE(ParseLogDateTime("29.02.24 23:59:58", t));
    EXPECT_EQ(t, (TDateTime{2024, 2, 29, 23, 59, 58}));
    EXPECT_FALSE(ParseLogDateTime("29.02.25 23:59:58", t));
    EXPECT_FALSE(ParseLogDateTime("29.02.24 23:59:5", t));
    EXPECT_FALSE(ParseLogDateTime("29.02.24 23:59.58", t));
}

TEST(JournalGrid, RowsLandAtTheirPositionsAndTheLastWriteWins) {
    TJournalGridIndex g;
    g.Add(false, 40, 100);
    g.Add(false, 41, 200);
    g.Add(false, 40, 300);
    g.Add(false, 0, 400);
    g.Add(false, kMaxPosition + 1, 500);
    EXPECT_EQ(g.LastPosition(), 41);
    EXPECT_EQ(g.At(40), 300);
    EXPECT_EQ(g.At(41), 200);
    EXPECT_EQ(g.At(39), std::nullopt);
    EXPECT_EQ(g.At(42), std::nullopt);
    EXPECT_EQ(g.Skipped(), 2);
    EXPECT_FALSE(g.Multi());
    i18n::TLexicons lex;
    EXPECT_EQ(GridHeader(false, lex)[0], "Позиция");
    EXPECT_EQ(GridHeader(false, lex)[1], "Время");
}

TEST(JournalGrid, MultiJournalHasTheNameHeaderAndAnEmptyJournalOnlyHeaders) {
    TJournalGridIndex g;
    g.Add(true, 2, 0);
    g.Add(false, 3, 10);
    EXPECT_TRUE(g.Multi());
    i18n::TLexicons lex;
    EXPECT_EQ(GridHeader(true, lex)[1], "Наименование");
    EXPECT_EQ(GridHeader(true, lex)[2], "Основной");
    EXPECT_EQ(TJournalGridIndex{}.LastPosition(), 0);
}

}  // namespace
}  // namespace exporter
