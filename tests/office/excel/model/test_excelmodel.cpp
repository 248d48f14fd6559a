#include "office/excel/model/workbook.h"

#include <gtest/gtest.h>

namespace {

TEST(CellRange, ParsesCellsRangesRowsAndColumns) {
    const auto parse = [](const char* text) {
        return CellRange::parse(QString::fromLatin1(text)).value_or(CellRange{0, 0, 0, 0});
    };
    EXPECT_EQ(parse("B2"), CellRange::cell(2, 2));
    EXPECT_EQ(parse("D9:B2"), (CellRange{2, 2, 9, 4}));
    EXPECT_EQ(parse("$a$1:$c$3"), (CellRange{1, 1, 3, 3}));
    EXPECT_EQ(parse("1:100"), (CellRange{1, 1, 100, kMaxColumns}));
    EXPECT_TRUE(parse("1:100").isWholeRows());
    EXPECT_EQ(parse("A:A"), (CellRange{1, 1, kMaxRows, 1}));
    EXPECT_TRUE(parse("A:A").isWholeColumns());
    EXPECT_EQ(parse("XFD1048576"), CellRange::cell(kMaxRows, kMaxColumns));
    EXPECT_EQ(parse("1:1048576"), (CellRange{1, 1, kMaxRows, kMaxColumns}));
}

TEST(CellRange, RejectsMalformedAndOutOfSheetReferences) {
    for (const char* text : {"", "A", "1", "A0", "XFE1", "A1048577", "1:1048577", "A1:B", "A:1",
                             "A1:B2:C3", "A-1", "AAAA1", "1A", "A1 B2", ":", "0:3"}) {
        EXPECT_FALSE(CellRange::parse(QString::fromLatin1(text))) << text;
    }
}

TEST(CellRange, NamesColumnsAndCells) {
    EXPECT_EQ(CellRange::columnName(1), QStringLiteral("A"));
    EXPECT_EQ(CellRange::columnName(26), QStringLiteral("Z"));
    EXPECT_EQ(CellRange::columnName(27), QStringLiteral("AA"));
    EXPECT_EQ(CellRange::columnName(702), QStringLiteral("ZZ"));
    EXPECT_EQ(CellRange::columnName(703), QStringLiteral("AAA"));
    EXPECT_EQ(CellRange::columnName(kMaxColumns), QStringLiteral("XFD"));
    EXPECT_TRUE(CellRange::columnName(0).isEmpty());
    EXPECT_EQ((CellRange{2, 2, 9, 4}).toString(), QStringLiteral("B2:D9"));
}

TEST(Worksheet, StoresSparseCellsInOrder) {
    Worksheet sheet(QStringLiteral("S"), nullptr);
    sheet.setText(1000000, 16000, QStringLiteral("far"));
    sheet.setNumber(1, 3, 2.5);
    sheet.setNumber(1, 1, 1);
    sheet.setBoolean(1, 2, true);
    EXPECT_EQ(sheet.cellCount(), 4);
    EXPECT_EQ(sheet.rows().size(), 2u);
    const auto& row = sheet.rows().begin()->second.cells;
    ASSERT_EQ(row.size(), 3u);
    EXPECT_EQ(row[0].column, 1);
    EXPECT_EQ(row[1].column, 2);
    EXPECT_EQ(row[2].column, 3);
    EXPECT_EQ(sheet.cell(1000000, 16000)->text, QStringLiteral("far"));
    EXPECT_EQ(sheet.usedRange(), (CellRange{1, 1, 1000000, 16000}));
    EXPECT_FALSE(sheet.setNumber(0, 1, 1));
    EXPECT_FALSE(sheet.setNumber(1, kMaxColumns + 1, 1));
    EXPECT_EQ(sheet.cellCount(), 4);
}

TEST(Worksheet, ClearingKeepsFormatsAndDropsBareCells) {
    Worksheet sheet(QStringLiteral("S"), nullptr);
    CellFormat bold;
    bold.bold = true;
    sheet.setText(2, 2, QStringLiteral("x"));
    sheet.setFormat(2, 2, bold);
    sheet.clearValue(2, 2);
    ASSERT_NE(sheet.cell(2, 2), nullptr);
    EXPECT_FALSE(sheet.cell(2, 2)->hasValue());
    EXPECT_TRUE(sheet.format(2, 2).bold);
    sheet.setFormatIndex(2, 2, 0);
    EXPECT_EQ(sheet.cell(2, 2), nullptr);
    EXPECT_EQ(sheet.cellCount(), 0);
    EXPECT_FALSE(sheet.usedRange());
}

TEST(Worksheet, MergesReplaceOverlapsAndIgnoreSingleCells) {
    Worksheet sheet(QStringLiteral("S"), nullptr);
    sheet.addMerge({1, 1, 2, 2});
    sheet.addMerge({5, 5, 5, 5});
    EXPECT_EQ(sheet.merges().size(), 1u);
    sheet.addMerge({2, 2, 3, 3});
    ASSERT_EQ(sheet.merges().size(), 1u);
    EXPECT_EQ(sheet.merges()[0], (CellRange{2, 2, 3, 3}));
}

TEST(Worksheet, SizesAreCappedResetByNegativesAndBoundToTheSheet) {
    Worksheet sheet(QStringLiteral("S"), nullptr);
    EXPECT_EQ(sheet.columnWidth(3), Worksheet::kDefaultColumnWidth);
    EXPECT_EQ(sheet.rowHeight(3), Worksheet::kDefaultRowHeight);
    sheet.setColumnWidth(3, 1000);
    sheet.setRowHeight(3, 1000);
    EXPECT_EQ(sheet.columnWidth(3), 255.0);
    EXPECT_EQ(sheet.rowHeight(3), 409.0);
    sheet.setColumnWidth(4, 0);
    EXPECT_EQ(sheet.columnWidth(4), 0.0);  // hidden, not the default
    sheet.setColumnWidth(3, -1);
    sheet.setRowHeight(3, -1);
    EXPECT_EQ(sheet.columnWidth(3), Worksheet::kDefaultColumnWidth);
    EXPECT_EQ(sheet.rowHeight(3), Worksheet::kDefaultRowHeight);
    sheet.setColumnWidth(0, 20);
    sheet.setColumnWidth(kMaxColumns + 1, 20);
    sheet.setRowHeight(0, 20);
    sheet.setRowHeight(kMaxRows + 1, 20);
    EXPECT_EQ(sheet.columnWidths().size(), 1u);
    EXPECT_TRUE(sheet.rowHeights().empty());
}

TEST(FormatTable, InternsEqualFormatsOnce) {
    FormatTable table;
    CellFormat a;
    a.bold = true;
    CellFormat b = a;
    EXPECT_EQ(table.intern(CellFormat()), 0);
    EXPECT_EQ(table.intern(a), 1);
    EXPECT_EQ(table.intern(b), 1);
    b.fillColor = 0x112233;
    EXPECT_EQ(table.intern(b), 2);
    EXPECT_EQ(table.size(), 3);
    EXPECT_EQ(table.at(99), CellFormat());
}

TEST(Workbook, NewWorkbookHasThreeSheets) {
    const auto book = Workbook::createNew();
    ASSERT_EQ(book->sheetCount(), 3);
    EXPECT_EQ(book->sheet(0)->name(), QStringLiteral("Sheet1"));
    EXPECT_EQ(book->sheet(2)->name(), QStringLiteral("Sheet3"));
    EXPECT_EQ(book->sheet(0)->sharedFormatTable(), book->sharedFormatTable());
}

TEST(Workbook, NewSheetsTakeTheNextNeverUsedName) {
    const auto book = Workbook::createNew();
    book->removeSheet(2);
    EXPECT_EQ(book->insertSheet(0)->name(), QStringLiteral("Sheet4"));
    ASSERT_EQ(book->renameSheet(1, QStringLiteral("sheet5")), Workbook::NameError::None);
    EXPECT_EQ(book->addSheet()->name(), QStringLiteral("Sheet6"));
}

TEST(Workbook, RenameFollowsExcelRules) {
    const auto book = Workbook::createNew();
    EXPECT_EQ(book->renameSheet(0, QString()), Workbook::NameError::Empty);
    EXPECT_EQ(book->renameSheet(0, QString(32, QLatin1Char('a'))), Workbook::NameError::TooLong);
    EXPECT_EQ(book->renameSheet(0, QString(31, QLatin1Char('a'))), Workbook::NameError::None);
    for (const char* bad : {"a[b", "a]b", "a:b", "a*b", "a?b", "a/b", "a\\b", "'quoted'"}) {
        EXPECT_EQ(book->renameSheet(1, QString::fromLatin1(bad)), Workbook::NameError::BadCharacter)
            << bad;
    }
    EXPECT_EQ(book->renameSheet(1, QStringLiteral("SHEET3")), Workbook::NameError::Clash);
    EXPECT_EQ(book->renameSheet(2, QStringLiteral("SHEET3")), Workbook::NameError::None);
    EXPECT_EQ(book->sheet(2)->name(), QStringLiteral("SHEET3"));
    EXPECT_EQ(book->sheet(1)->name(), QStringLiteral("Sheet2"));
    EXPECT_EQ(book->renameSheet(9, QStringLiteral("x")), Workbook::NameError::NoSheet);
}

/* Whether indexOf gives every sheet its position. */
bool positionsAgree(const Workbook& book) {
    for (int i = 0; i < book.sheetCount(); ++i) {
        if (book.indexOf(book.sheet(i).get()) != i) {
            return false;
        }
    }
    return true;
}

TEST(Workbook, InsertMoveRemoveKeepOrderAndActiveSheet) {
    const auto book = Workbook::createNew();
    const Worksheet* s1 = book->sheet(0).get();
    const Worksheet* s3 = book->sheet(2).get();
    book->setActiveSheet(2);
    ASSERT_TRUE(book->moveSheet(2, 0));  // Sheet3 before Sheet1
    EXPECT_EQ(book->sheet(0).get(), s3);
    EXPECT_EQ(book->activeSheet(), 0);
    EXPECT_TRUE(positionsAgree(*book));
    ASSERT_TRUE(book->moveSheet(0, 3));  // back to the end
    EXPECT_EQ(book->sheet(2).get(), s3);
    EXPECT_EQ(book->sheet(0).get(), s1);
    EXPECT_TRUE(positionsAgree(*book));
    EXPECT_FALSE(book->moveSheet(0, 4));
    const std::shared_ptr<Worksheet> inserted = book->insertSheet(1);
    EXPECT_EQ(book->indexOf(inserted.get()), 1);
    EXPECT_TRUE(positionsAgree(*book));
    EXPECT_TRUE(book->removeSheet(1));
    EXPECT_EQ(book->indexOf(inserted.get()), -1);
    EXPECT_TRUE(positionsAgree(*book));
    EXPECT_TRUE(book->removeSheet(2));
    EXPECT_TRUE(book->removeSheet(1));
    EXPECT_FALSE(book->removeSheet(0));  // the last sheet stays
    EXPECT_EQ(book->sheetCount(), 1);
    EXPECT_EQ(book->activeSheet(), 0);
}

}  // namespace
