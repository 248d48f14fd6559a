// Saving and opening .xls through the extension dispatch of WorkbookFile.

#include "office/excel/workbookfile.h"

#include "tests/office/excel/xls/xlsmodelcompare.h"
#include "tests/office/excel/xls/xlsoracle.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

TEST(XlsWorkbookFile, SaveAsXlsWritesBiff8AndOpenReadsItBack) {
    QTemporaryDir dir;
    auto workbook = Workbook::createNew(3);
    workbook->sheet(0)->setText(1, 1, QStringLiteral("你好\nworld"));
    workbook->sheet(0)->setNumber(2, 1, 12.5);
    const QString path = dir.filePath(QStringLiteral("Out.XLS"));
    const WorkbookFileResult saved = WorkbookFile::save(*workbook, path);
    ASSERT_TRUE(saved.ok()) << saved.message.toStdString();
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("Out.XLS")});

    QString error;
    const QJsonObject book = xlsoracle::dump(path, &error);
    ASSERT_TRUE(error.isEmpty()) << error.toStdString();
    EXPECT_EQ(book.value(QStringLiteral("sheets")).toArray().size(), 3);
    EXPECT_EQ(
        xlsoracle::cell(xlsoracle::sheet(book, 0), 0, 0).value(QStringLiteral("value")).toString(),
        QStringLiteral("你好\nworld"));

    Workbook opened;
    const WorkbookFileResult loaded = WorkbookFile::load(path, opened);
    ASSERT_TRUE(loaded.ok()) << loaded.message.toStdString();
    EXPECT_EQ(opened.sheetCount(), 3);
    EXPECT_EQ(opened.sheet(0)->cell(2, 1)->number, 12.5);
    EXPECT_EQ(opened.path(), path);
}

TEST(XlsWorkbookFile, AFailedXlsSaveLeavesNoFileAndKeepsAnOldOne) {
    QTemporaryDir dir;
    auto workbook = Workbook::createNew(1);
    workbook->sheet(0)->setText(70000, 1, QStringLiteral("beyond row 65,536"));
    const QString fresh = dir.filePath(QStringLiteral("fresh.xls"));
    const WorkbookFileResult result = WorkbookFile::save(*workbook, fresh);
    EXPECT_FALSE(result.ok());
    EXPECT_TRUE(result.message.contains(QStringLiteral("A70000"))) << result.message.toStdString();
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());

    const QString existing = dir.filePath(QStringLiteral("existing.xls"));
    QFile old(existing);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("previous content");
    old.close();
    EXPECT_FALSE(WorkbookFile::save(*workbook, existing).ok());
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_EQ(old.readAll(), QByteArray("previous content"));
    EXPECT_FALSE(
        WorkbookFile::save(*workbook, dir.filePath(QStringLiteral("no/such/folder.xls"))).ok());
}

TEST(XlsWorkbookFile, XlsAndXlsxTemplatesOfOneWorkbookReadTheSame) {
    QTemporaryDir dir;
    auto workbook = Workbook::createNew(2);
    Worksheet& sheet = *workbook->sheet(0);
    CellFormat header;
    header.bold = true;
    header.fontName = QStringLiteral("宋体");
    header.fontSize = 12;
    header.fillColor = 0xFFFF00;
    header.bottom = {BorderLine::Medium, 0xFF0000};
    header.hAlign = CellFormat::HAlign::Center;
    header.wrap = true;
    CellFormat amount;
    amount.numberFormat = QStringLiteral("#,##0");
    amount.italic = true;
    for (int column = 1; column <= 4; ++column) {
        sheet.setText(1, column, QStringLiteral("列%1\n说明").arg(column));
        sheet.setFormat(1, column, header);
        sheet.setNumber(2, column, column * 1000);
        sheet.setFormat(2, column, amount);
        sheet.setColumnWidth(column, 8.43 + column * 3);
    }
    sheet.setRowHeight(1, 33.75);
    sheet.addMerge({3, 1, 4, 2});
    workbook->sheet(1)->setText(1, 1, QStringLiteral("second"));

    const QString xls = dir.filePath(QStringLiteral("t.xls"));
    const QString xlsx = dir.filePath(QStringLiteral("t.xlsx"));
    ASSERT_TRUE(WorkbookFile::save(*workbook, xls).ok());
    ASSERT_TRUE(WorkbookFile::save(*workbook, xlsx).ok());
    Workbook fromXls;
    Workbook fromXlsx;
    ASSERT_TRUE(WorkbookFile::load(xls, fromXls).ok());
    ASSERT_TRUE(WorkbookFile::load(xlsx, fromXlsx).ok());
    xlsmodelcompare::expectSameWorkbook(fromXlsx, fromXls);
}

TEST(XlsWorkbookFile, OpeningAnXlwtTemplate) {
    Workbook workbook;
    const WorkbookFileResult result =
        WorkbookFile::load(QStringLiteral("tests/data/xls/xlwt_template.xls"), workbook);
    ASSERT_TRUE(result.ok()) << result.message.toStdString();
    EXPECT_EQ(workbook.sheet(0)->cell(1, 1)->text, QStringLiteral("编号"));
    EXPECT_TRUE(workbook.sheet(0)->format(1, 1).bold);
}

}  // namespace
