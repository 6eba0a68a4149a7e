// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/si_sheet.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "export/xlsx_writer.h"

namespace exporter {
namespace {

TGridRow SingleRow() {
    return {
        "7", "10.12.26 14:03:05", "R 1,0012 кОм", "Q 3,000", "S", "1кГц", "1.0Вскз", "+", "12,35",
        ""};
}

TMeasured Measured() {
    TMeasured m;
    m.time = {2026, 12, 10, 14, 3, 5, 250, 60};
    m.Rs = 1001.2;
    m.Xs = 3003.6;
    m.Rp = 10012;
    m.Xp = 3337.3;
    m.frequencyHz = 1000;
    m.primary = 1001.2;
    m.secondary = 3.0;
    m.verdict = 1;
    return m;
}

double NumberAt(const TSiRow& row, int column) {
    const auto* n = std::get_if<TNumber>(&row[static_cast<std::size_t>(column)]);
    return n ? n->value : std::nan("");
}

std::string TextAt(const TSiRow& row, int column) {
    const auto* t = std::get_if<TText>(&row[static_cast<std::size_t>(column)]);
    return t ? std::string(t->text) : "<not text>";
}

bool BlankAt(const TSiRow& row, int column) {
    return std::holds_alternative<TBlank>(row[static_cast<std::size_t>(column)]);
}

TEST(SiSheet, SingleRowHoldsTheNumbersInSiUnits) {
    const TGridRow cells = SingleRow();
    const TSiRow row = SiRow(cells, Measured(), ",");
    EXPECT_EQ(NumberAt(row, kSiPosition), 7);
    EXPECT_TRUE(BlankAt(row, kSiName));
    EXPECT_EQ(std::get<TDateTime>(row[kSiTime]), (TDateTime{2026, 12, 10, 14, 3, 5, 250}));
    EXPECT_EQ(TextAt(row, kSiPrimaryParameter), "R");
    EXPECT_EQ(NumberAt(row, kSiPrimary), 1001.2);
    EXPECT_EQ(TextAt(row, kSiSecondaryParameter), "Q");
    EXPECT_EQ(NumberAt(row, kSiSecondary), 3.0);
    EXPECT_EQ(NumberAt(row, kSiRs), 1001.2);
    EXPECT_EQ(NumberAt(row, kSiXs), 3003.6);
    EXPECT_EQ(NumberAt(row, kSiRp), 10012);
    EXPECT_EQ(NumberAt(row, kSiXp), 3337.3);
    EXPECT_EQ(NumberAt(row, kSiFrequency), 1000);
    EXPECT_DOUBLE_EQ(NumberAt(row, kSiPrimaryDeviation), 12.35);
    EXPECT_TRUE(BlankAt(row, kSiSecondaryDeviation));
    EXPECT_EQ(NumberAt(row, kSiVerdict), 1);
}

TEST(SiSheet, MultiRowNamesItsEntryAsText) {
    TGridRow cells = SingleRow();
    cells[1] = "0805";
    TMeasured m = Measured();
    m.mode = logcore::TLogMode::Multi;
    const TSiRow row = SiRow(cells, m, ",");
    EXPECT_EQ(TextAt(row, kSiName), "0805");
    EXPECT_TRUE(std::holds_alternative<TDateTime>(row[kSiTime]));
}

TEST(SiSheet, MissingAndUnwritableValuesStayEmpty) {
    TGridRow cells = SingleRow();
    cells[3] = "  ";  // no secondary parameter
    cells[7] = "";    // no tolerance on: no verdict
    cells[8] = "";
    TMeasured m = Measured();
    m.secondary.reset();
    m.Xp = std::numeric_limits<double>::infinity();
    m.Rp = std::nan("");
    const TSiRow row = SiRow(cells, m, ",");
    EXPECT_TRUE(BlankAt(row, kSiSecondaryParameter));
    EXPECT_TRUE(BlankAt(row, kSiSecondary));
    EXPECT_TRUE(BlankAt(row, kSiRp));
    EXPECT_TRUE(BlankAt(row, kSiXp));
    EXPECT_TRUE(BlankAt(row, kSiPrimaryDeviation));
    EXPECT_TRUE(BlankAt(row, kSiVerdict));
}

TEST(SiSheet, HeadersNameTheUnitsInEitherLanguage) {
    i18n::TLexicons lex;
    const TSiHeaders ru = SiHeaders(lex);
    EXPECT_EQ(ru[kSiRs], "Rs, Ом");
    EXPECT_EQ(ru[kSiFrequency], "Частота, Гц");
    EXPECT_EQ(ru[kSiPrimaryDeviation], "Основ. откл., %");
    for (const std::string& h : ru) EXPECT_FALSE(h.empty());
    EXPECT_FALSE(SiSheetName(lex).empty());
}

TEST(ColumnWidths, GrowWithTheWidestTextAndLeaveRoomForAFilterButton) {
    // A date-time of 17 characters must fit: narrower columns show "#####".
    EXPECT_GE(ColumnWidth(17), 18.0);
    EXPECT_LT(ColumnWidth(4), ColumnWidth(17));
    EXPECT_GT(ColumnWidth(6, true), ColumnWidth(6));
    EXPECT_LE(ColumnWidth(100000), 255.0);
    EXPECT_EQ(Utf8Length("Основной"), 8u);
    EXPECT_EQ(Utf8Length("1.0Вскз"), 7u);
}

}  // namespace
}  // namespace exporter
