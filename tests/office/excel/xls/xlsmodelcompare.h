#pragma once

// Comparing two workbooks as the model sees them, for the .xls and .xlsx round-trip tests.

#include "office/excel/model/workbook.h"

#include <gtest/gtest.h>

namespace xlsmodelcompare {

/* Compare two workbooks as the model sees them; the first difference fails. */
inline void expectSameWorkbook(const Workbook& expected, const Workbook& actual) {
    ASSERT_EQ(actual.sheetCount(), expected.sheetCount());
    EXPECT_EQ(actual.activeSheet(), expected.activeSheet());
    for (int i = 0; i < expected.sheetCount(); ++i) {
        const Worksheet& want = *expected.sheet(i);
        const Worksheet& got = *actual.sheet(i);
        EXPECT_EQ(got.name(), want.name());
        EXPECT_EQ(got.cellCount(), want.cellCount()) << want.name().toStdString();
        for (const auto& [row, entry] : want.rows()) {
            for (const Cell& cell : entry.cells) {
                const Cell* read = got.cell(row, cell.column);
                const std::string where = CellRange::cellName(row, cell.column).toStdString();
                ASSERT_NE(read, nullptr) << where;
                EXPECT_EQ(read->kind, cell.kind) << where;
                EXPECT_EQ(read->number, cell.number) << where;
                EXPECT_EQ(read->text, cell.text) << where;
                EXPECT_TRUE(got.format(row, cell.column) == want.format(row, cell.column)) << where;
            }
        }
        EXPECT_EQ(got.merges(), want.merges());
        EXPECT_EQ(got.columnWidths(), want.columnWidths());
        EXPECT_EQ(got.rowHeights(), want.rowHeights());
    }
}

}  // namespace xlsmodelcompare
