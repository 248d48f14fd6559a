// The .xls writer, checked by reading every file back with python3-xlrd.

#include "office/excel/xls/xlswriter.h"

#include "office/excel/workbookfile.h"
#include "tests/office/excel/xls/xlsoracle.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class XlsWriterTest : public ::testing::Test {
protected:
    /* Save the workbook into the temporary folder and dump it with xlrd. */
    QJsonObject saveAndDump(const Workbook& workbook,
                            const QString& name = QStringLiteral("out.xls")) {
        const QString path = m_dir.filePath(name);
        const WorkbookFileResult result = WorkbookFile::save(workbook, path);
        EXPECT_TRUE(result.ok()) << result.message.toStdString();
        QString error;
        const QJsonObject book = xlsoracle::dump(path, &error);
        EXPECT_TRUE(error.isEmpty()) << error.toStdString();
        return book;
    }

    QTemporaryDir m_dir;
};

/* A cell's text value in a dump. */
QString textOf(const QJsonObject& sheet, int row, int column) {
    return xlsoracle::cell(sheet, row, column).value(QStringLiteral("value")).toString();
}

/* A cell's number value in a dump. */
double numberOf(const QJsonObject& sheet, int row, int column) {
    return xlsoracle::cell(sheet, row, column).value(QStringLiteral("value")).toDouble();
}

/* A cell's xlrd type (1 text, 2 number, 4 boolean, 6 blank). */
int typeOf(const QJsonObject& sheet, int row, int column) {
    return xlsoracle::cell(sheet, row, column).value(QStringLiteral("type")).toInt(-1);
}

TEST_F(XlsWriterTest, ValuesAndSheetNamesReadBack) {
    Workbook workbook;
    Worksheet& first = *workbook.addSheet(QStringLiteral("数据"));
    Worksheet& second = *workbook.addSheet(QStringLiteral("Second sheet"));
    first.setText(1, 1, QStringLiteral("Name"));
    first.setText(1, 2, QStringLiteral("中文内容，测试"));
    first.setText(2, 1, QStringLiteral("line one\nline two\nthree"));
    first.setText(2, 2, QString());
    first.setNumber(3, 1, 42);         // RK integer
    first.setNumber(3, 2, 1.5);        // RK scaled by 100
    first.setNumber(3, 3, 0.1 + 0.2);  // needs a full NUMBER
    first.setNumber(3, 4, -123456789012.0);
    first.setNumber(3, 5, 1e-300);
    first.setBoolean(4, 1, true);
    first.setBoolean(4, 2, false);
    for (int column = 1; column <= 10; ++column) {  // one MULRK run
        first.setNumber(5, column, column * 2.25);
    }
    second.setText(65536, 256, QStringLiteral("last cell"));

    const QJsonObject book = saveAndDump(workbook);
    ASSERT_EQ(book.value(QStringLiteral("sheets")).toArray().size(), 2);
    const QJsonObject sheet = xlsoracle::sheet(book, 0);
    EXPECT_EQ(sheet.value(QStringLiteral("name")).toString(), QStringLiteral("数据"));
    EXPECT_EQ(xlsoracle::sheet(book, 1).value(QStringLiteral("name")).toString(),
              QStringLiteral("Second sheet"));
    EXPECT_EQ(textOf(sheet, 0, 0), QStringLiteral("Name"));
    EXPECT_EQ(textOf(sheet, 0, 1), QStringLiteral("中文内容，测试"));
    EXPECT_EQ(textOf(sheet, 1, 0), QStringLiteral("line one\nline two\nthree"));
    EXPECT_EQ(typeOf(sheet, 1, 1), 1);
    EXPECT_EQ(textOf(sheet, 1, 1), QString());
    EXPECT_EQ(numberOf(sheet, 2, 0), 42);
    EXPECT_EQ(numberOf(sheet, 2, 1), 1.5);
    EXPECT_EQ(numberOf(sheet, 2, 2), 0.1 + 0.2);
    EXPECT_EQ(numberOf(sheet, 2, 3), -123456789012.0);
    EXPECT_EQ(numberOf(sheet, 2, 4), 1e-300);
    EXPECT_EQ(typeOf(sheet, 3, 0), 4);
    EXPECT_EQ(numberOf(sheet, 3, 0), 1);
    EXPECT_EQ(numberOf(sheet, 3, 1), 0);
    for (int column = 0; column < 10; ++column) {
        EXPECT_EQ(numberOf(sheet, 4, column), (column + 1) * 2.25) << column;
    }
    const QJsonObject last = xlsoracle::sheet(book, 1);
    EXPECT_EQ(last.value(QStringLiteral("nrows")).toInt(), 65536);
    EXPECT_EQ(last.value(QStringLiteral("ncols")).toInt(), 256);
    EXPECT_EQ(textOf(last, 65535, 255), QStringLiteral("last cell"));
}

TEST_F(XlsWriterTest, FontsFillsBordersAlignmentAndNumberFormats) {
    Workbook workbook;
    Worksheet& sheet = *workbook.addSheet();
    CellFormat bold;
    bold.bold = true;
    bold.fontName = QStringLiteral("宋体");
    bold.fontSize = 14;
    sheet.setText(1, 1, QStringLiteral("bold"));
    sheet.setFormat(1, 1, bold);

    CellFormat decorated;
    decorated.italic = true;
    decorated.strike = true;
    decorated.underline = CellFormat::Underline::Double;
    decorated.fontColor = 0xFF0000;
    decorated.fillColor = 0xFFFF00;
    sheet.setText(1, 2, QStringLiteral("decorated"));
    sheet.setFormat(1, 2, decorated);

    CellFormat framed;
    framed.left = {BorderLine::Thin, kAutoColor};
    framed.right = {BorderLine::Medium, 0x0000FF};
    framed.top = {BorderLine::Double, 0x008000};
    framed.bottom = {BorderLine::Dashed, kAutoColor};
    framed.hAlign = CellFormat::HAlign::Center;
    framed.vAlign = CellFormat::VAlign::Top;
    framed.wrap = true;
    sheet.setNumber(2, 1, 1.5);
    sheet.setFormat(2, 1, framed);

    const QStringList formats = {QStringLiteral("0.00"), QStringLiteral("0%"),
                                 QStringLiteral("#,##0"), QStringLiteral("0.000"),
                                 QStringLiteral("@")};
    for (int i = 0; i < formats.size(); ++i) {
        CellFormat number;
        number.numberFormat = formats[i];
        sheet.setNumber(3, i + 1, 0.25);
        sheet.setFormat(3, i + 1, number);
    }
    // A colour outside the default palette gets its own entry.
    CellFormat custom;
    custom.fillColor = 0x123456;
    custom.fontColor = 0xFEDCBA;
    sheet.setText(4, 1, QStringLiteral("custom colours"));
    sheet.setFormat(4, 1, custom);

    const QJsonObject book = saveAndDump(workbook);
    const QJsonObject dumped = xlsoracle::sheet(book, 0);
    const QJsonObject a1 = xlsoracle::cell(dumped, 0, 0);
    EXPECT_GE(xlsoracle::format(a1, "font", "weight").toInt(), 700);
    EXPECT_TRUE(xlsoracle::format(a1, "font", "bold").toBool());
    EXPECT_EQ(xlsoracle::format(a1, "font", "name").toString(), QStringLiteral("宋体"));
    EXPECT_EQ(xlsoracle::format(a1, "font", "height").toInt(), 280);

    const QJsonObject b1 = xlsoracle::cell(dumped, 0, 1);
    EXPECT_LT(xlsoracle::format(b1, "font", "weight").toInt(), 700);
    EXPECT_EQ(xlsoracle::format(b1, "font", "name").toString(), QStringLiteral("Calibri"));
    EXPECT_TRUE(xlsoracle::format(b1, "font", "italic").toBool());
    EXPECT_TRUE(xlsoracle::format(b1, "font", "struck").toBool());
    EXPECT_EQ(xlsoracle::format(b1, "font", "underline").toInt(), 2);
    EXPECT_EQ(xlsoracle::format(b1, "font", "color").toString(), QStringLiteral("FF0000"));
    EXPECT_EQ(xlsoracle::format(b1, "fill", "pattern").toInt(), 1);
    EXPECT_EQ(xlsoracle::format(b1, "fill", "color").toString(), QStringLiteral("FFFF00"));

    const QJsonObject a2 = xlsoracle::cell(dumped, 1, 0);
    const QJsonObject borders =
        a2.value(QStringLiteral("format")).toObject().value(QStringLiteral("borders")).toObject();
    const auto side = [&](const char* name, const char* field) {
        return borders.value(QLatin1String(name)).toObject().value(QLatin1String(field));
    };
    EXPECT_EQ(side("left", "style").toInt(), 1);
    EXPECT_EQ(side("right", "style").toInt(), 2);
    EXPECT_EQ(side("right", "color").toString(), QStringLiteral("0000FF"));
    EXPECT_EQ(side("top", "style").toInt(), 6);
    EXPECT_EQ(side("top", "color").toString(), QStringLiteral("008000"));
    EXPECT_EQ(side("bottom", "style").toInt(), 3);
    EXPECT_EQ(xlsoracle::format(a2, "align", "hor").toInt(), 2);
    EXPECT_EQ(xlsoracle::format(a2, "align", "vert").toInt(), 0);
    EXPECT_EQ(xlsoracle::format(a2, "align", "wrap").toInt(), 1);
    EXPECT_EQ(xlsoracle::format(a2, "fill", "pattern").toInt(), 0);

    for (int i = 0; i < formats.size(); ++i) {
        const QJsonObject cell = xlsoracle::cell(dumped, 2, i);
        EXPECT_EQ(cell.value(QStringLiteral("format"))
                      .toObject()
                      .value(QStringLiteral("numfmt"))
                      .toString(),
                  formats[i]);
    }
    const QJsonObject a4 = xlsoracle::cell(dumped, 3, 0);
    EXPECT_EQ(xlsoracle::format(a4, "fill", "color").toString(), QStringLiteral("123456"));
    EXPECT_EQ(xlsoracle::format(a4, "font", "color").toString(), QStringLiteral("FEDCBA"));
}

TEST_F(XlsWriterTest, MergesWidthsHeightsAndBlankCells) {
    Workbook workbook;
    Worksheet& sheet = *workbook.addSheet();
    sheet.setText(1, 1, QStringLiteral("merged"));
    sheet.addMerge({1, 1, 2, 3});  // A1:C2
    sheet.addMerge({5, 2, 9, 2});  // B5:B9
    sheet.setColumnWidth(1, 20);
    sheet.setColumnWidth(2, 8.43);
    sheet.setColumnWidth(3, 8.43);
    sheet.setColumnWidth(5, 0);
    sheet.setRowHeight(1, 30);
    sheet.setRowHeight(7, 12.75);  // a row with a height and no cells
    CellFormat filled;
    filled.fillColor = 0xC0C0C0;
    for (int column = 4; column <= 6; ++column) {  // MULBLANK
        sheet.setFormat(10, column, filled);
    }
    sheet.setFormat(12, 2, filled);  // BLANK

    const QJsonObject dumped = xlsoracle::sheet(saveAndDump(workbook), 0);
    const QJsonArray merges = dumped.value(QStringLiteral("merges")).toArray();
    ASSERT_EQ(merges.size(), 2);
    EXPECT_EQ(merges.at(0).toArray(), (QJsonArray{0, 2, 0, 3}));
    EXPECT_EQ(merges.at(1).toArray(), (QJsonArray{4, 9, 1, 2}));
    const QJsonObject widths = dumped.value(QStringLiteral("widths")).toObject();
    EXPECT_EQ(widths.value(QStringLiteral("0")).toInt(), XlsWriter::widthToUnits(20));
    EXPECT_EQ(widths.value(QStringLiteral("0")).toInt(), 5120);
    EXPECT_EQ(widths.value(QStringLiteral("1")).toInt(), 2158);
    EXPECT_EQ(widths.value(QStringLiteral("2")).toInt(), 2158);
    EXPECT_EQ(widths.value(QStringLiteral("4")).toInt(), 0);
    const QJsonObject heights = dumped.value(QStringLiteral("heights")).toObject();
    EXPECT_EQ(heights.value(QStringLiteral("0")).toArray(), (QJsonArray{600, 1}));
    EXPECT_EQ(heights.value(QStringLiteral("6")).toArray(), (QJsonArray{255, 1}));
    for (int column = 3; column <= 5; ++column) {
        EXPECT_EQ(typeOf(dumped, 9, column), 6) << column;
        EXPECT_EQ(xlsoracle::format(xlsoracle::cell(dumped, 9, column), "fill", "color").toString(),
                  QStringLiteral("C0C0C0"));
    }
    EXPECT_EQ(typeOf(dumped, 11, 1), 6);
}

TEST_F(XlsWriterTest, SharedStringsLargeEnoughForContinueRecords) {
    Workbook workbook;
    Worksheet& sheet = *workbook.addSheet();
    QStringList expected;
    for (int row = 1; row <= 6000; ++row) {
        expected << QStringLiteral("text %1 %2").arg(row).arg(QString(row % 37, QLatin1Char('x')));
        sheet.setText(row, 1, expected.last());
        sheet.setText(row, 2, QStringLiteral("重复"));  // one shared string for many cells
    }
    // Long strings cross record boundaries, 8-bit and 16-bit.
    const QString longLatin = QString(20000, QLatin1Char('L'));
    QString longChinese;
    for (int i = 0; i < 12000; ++i) {
        longChinese.append(QChar(0x4E00 + i % 2000));
    }
    sheet.setText(1, 3, longLatin);
    sheet.setText(2, 3, longChinese);
    sheet.setText(3, 3, QString(32767, QLatin1Char('m')));

    QByteArray stream;
    ASSERT_TRUE(XlsWriter::buildStream(workbook, stream).ok());
    EXPECT_GT(stream.size(), 8 * 8224);

    const QJsonObject dumped = xlsoracle::sheet(saveAndDump(workbook), 0);
    for (int row = 0; row < 6000; row += 7) {
        ASSERT_EQ(textOf(dumped, row, 0), expected[row]) << row;
        ASSERT_EQ(textOf(dumped, row, 1), QStringLiteral("重复")) << row;
    }
    EXPECT_EQ(textOf(dumped, 5999, 0), expected.last());
    EXPECT_EQ(textOf(dumped, 0, 2), longLatin);
    EXPECT_EQ(textOf(dumped, 1, 2), longChinese);
    EXPECT_EQ(textOf(dumped, 2, 2).size(), 32767);
}

TEST_F(XlsWriterTest, ManyMergesAndColoursAndTheActiveSheet) {
    Workbook workbook;
    workbook.addSheet();
    Worksheet& sheet = *workbook.addSheet();
    for (int i = 0; i < 1500; ++i) {  // more than one MERGEDCELLS record holds
        sheet.addMerge({2 * i + 1, 1, 2 * i + 2, 1});
    }
    for (int i = 0; i < 80; ++i) {  // more colours than the palette has entries
        CellFormat format;
        format.fillColor = static_cast<std::uint32_t>(i * 0x030507);
        sheet.setText(i + 1, 2, QString::number(i));
        sheet.setFormat(i + 1, 2, format);
    }
    workbook.setActiveSheet(1);
    const QJsonObject book = saveAndDump(workbook);
    EXPECT_EQ(book.value(QStringLiteral("active")).toInt(), 1);
    const QJsonObject dumped = xlsoracle::sheet(book, 1);
    EXPECT_EQ(dumped.value(QStringLiteral("merges")).toArray().size(), 1500);
    for (int i = 0; i < 80; ++i) {
        EXPECT_EQ(xlsoracle::format(xlsoracle::cell(dumped, i, 1), "fill", "pattern").toInt(), 1);
    }
    // The first 56 colours (0x000000 is in the default palette) are exact.
    EXPECT_EQ(xlsoracle::format(xlsoracle::cell(dumped, 20, 1), "fill", "color").toString(),
              QStringLiteral("3C648C"));
}

TEST_F(XlsWriterTest, BeyondExcel97LimitsTheSaveFailsWithAReason) {
    struct Case {
        const char* name;
        int row;
        int column;
        QString text;
        const char* expected;
    };
    const Case cases[] = {
        {"row 65537", 65537, 1, QStringLiteral("x"), "65536 rows"},
        {"column 257", 1, 257, QStringLiteral("x"), "IW1"},
        {"text of 32768 characters", 1, 1, QString(32768, QLatin1Char('a')), "32767"},
    };
    for (const Case& item : cases) {
        Workbook workbook;
        Worksheet& sheet = *workbook.addSheet(QStringLiteral("Data"));
        sheet.setText(item.row, item.column, item.text);
        const QString path = m_dir.filePath(QStringLiteral("limit.xls"));
        const WorkbookFileResult result = WorkbookFile::save(workbook, path);
        EXPECT_FALSE(result.ok()) << item.name;
        EXPECT_TRUE(result.message.contains(QLatin1String(item.expected)))
            << result.message.toStdString();
        EXPECT_TRUE(result.message.contains(QStringLiteral("Data"))) << item.name;
        EXPECT_FALSE(QFile::exists(path)) << item.name;
    }
}

TEST_F(XlsWriterTest, MergesBeyondTheLimitsFailAndFormatsAloneAreLeftOut) {
    Workbook merged;
    merged.addSheet()->addMerge({65536, 1, 65537, 1});
    EXPECT_FALSE(WorkbookFile::save(merged, m_dir.filePath(QStringLiteral("m.xls"))).ok());

    Workbook formatted;
    Worksheet& sheet = *formatted.addSheet();
    CellFormat bold;
    bold.bold = true;
    sheet.setFormat(70000, 1, bold);
    sheet.setFormat(1, 300, bold);
    sheet.setText(1, 1, QStringLiteral("kept"));
    const QJsonObject dumped = xlsoracle::sheet(saveAndDump(formatted), 0);
    EXPECT_EQ(textOf(dumped, 0, 0), QStringLiteral("kept"));
    EXPECT_EQ(dumped.value(QStringLiteral("nrows")).toInt(), 1);
}

TEST_F(XlsWriterTest, AWorkbookWithoutSheetsIsNotSaved) {
    Workbook empty;
    const QString path = m_dir.filePath(QStringLiteral("empty.xls"));
    const WorkbookFileResult result = WorkbookFile::save(empty, path);
    EXPECT_FALSE(result.ok());
    EXPECT_TRUE(result.message.contains(QStringLiteral("no sheet")));
    EXPECT_FALSE(QFile::exists(path));
}

TEST_F(XlsWriterTest, CellFormatsBeyondTheLimitTakeTheNearestKept) {
    Workbook workbook;
    Worksheet& sheet = *workbook.addSheet();
    // Borders and alignment only, so no other limit (fonts, number formats) comes first.
    for (int i = 0; i < 4100; ++i) {
        CellFormat format;
        format.left.style = static_cast<BorderLine::Style>(i % 8);
        format.right.style = static_cast<BorderLine::Style>((i / 8) % 8);
        format.top.style = static_cast<BorderLine::Style>((i / 64) % 8);
        format.hAlign = static_cast<CellFormat::HAlign>((i / 512) % 5);
        format.wrap = i >= 2560;
        sheet.setNumber(i + 1, 1, i);
        sheet.setFormat(i + 1, 1, format);
    }
    const QString path = m_dir.filePath(QStringLiteral("formats.xls"));
    const WorkbookFileResult result = WorkbookFile::save(workbook, path);
    ASSERT_TRUE(result.ok()) << result.message.toStdString();
    // Format 0 is the default XF: formats 1..3999 fill the 4,000 cell XFs with it.
    EXPECT_TRUE(result.warning.startsWith(QStringLiteral("100 cell formats")))
        << result.warning.toStdString();
    EXPECT_TRUE(result.warning.contains(QStringLiteral("4000"))) << result.warning.toStdString();
    QString error;
    const QJsonObject book = xlsoracle::dump(path, &error);
    ASSERT_TRUE(error.isEmpty()) << error.toStdString();
    const QJsonObject dumped = xlsoracle::sheet(book, 0);
    const auto xf = [&](int row) {
        return xlsoracle::cell(dumped, row, 0)
            .value(QStringLiteral("format"))
            .toObject()
            .value(QStringLiteral("xf"));
    };
    // The first kept format with the same borders: 4000 has left 0, right 4, top 6 (= 416);
    // 4099 has left 3, right 0, top 0 (= 3).
    EXPECT_EQ(xf(4000), xf(416));
    EXPECT_EQ(xf(4099), xf(3));
    EXPECT_NE(xf(3999), xf(416));
    EXPECT_EQ(numberOf(dumped, 4099, 0), 4099);
}

TEST(XlsWidths, WidthsAndUnitsConvertBothWays) {
    EXPECT_EQ(XlsWriter::widthToUnits(8.43), 2158);
    EXPECT_EQ(XlsWriter::widthToUnits(20), 5120);
    EXPECT_EQ(XlsWriter::widthToUnits(0), 0);
    EXPECT_EQ(XlsWriter::widthToUnits(-3), 0);
    EXPECT_EQ(XlsWriter::widthToUnits(255), 65280);
    EXPECT_EQ(XlsWriter::widthToUnits(1e9), 65535);
    for (double width : {1.0, 8.43, 10.71, 20.0, 50.5, 100.0, 255.0}) {
        EXPECT_DOUBLE_EQ(XlsWriter::unitsToWidth(XlsWriter::widthToUnits(width)), width) << width;
    }
    EXPECT_DOUBLE_EQ(XlsWriter::unitsToWidth(4000), 15.625);  // no hundredths give 4000
    EXPECT_DOUBLE_EQ(XlsWriter::unitsToWidth(2340), 9.14);    // hundredths win a tie
}

}  // namespace
