// The .xls reader: round trips through the writer, a template written by python3-xlwt, and
// damaged input.

#include "office/excel/xls/xlsreader.h"

#include "office/excel/xls/xlsolestream.h"
#include "office/excel/workbookfile.h"
#include "office/excel/xls/xlswriter.h"

#include "tests/office/excel/xls/xlsmodelcompare.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

namespace {

/* A workbook with every kind of content the writer knows. */
void fillRichWorkbook(Workbook& workbook) {
    Worksheet& first = *workbook.addSheet(QStringLiteral("表一"));
    Worksheet& second = *workbook.addSheet(QStringLiteral("Numbers & more"));
    first.setText(1, 1, QStringLiteral("标题\n第二行"));
    first.setText(1, 2, QString(9000, QChar(0x6587)));  // continues in the SST
    first.setText(2, 1, QString());
    first.setBoolean(2, 2, true);
    first.setNumber(3, 1, 123456789.125);
    first.setNumber(3, 2, -0.5);
    for (int column = 1; column <= 30; ++column) {
        second.setNumber(1, column, column * 1.25);
        second.setText(2, column, QStringLiteral("t%1").arg(column % 4));
    }
    CellFormat heading;
    heading.fontName = QStringLiteral("Arial");
    heading.fontSize = 16;
    heading.bold = true;
    heading.underline = CellFormat::Underline::Single;
    heading.fontColor = 0x1F497D;
    heading.fillColor = 0xDCE6F1;
    heading.left = {BorderLine::Thin, 0x000000};
    heading.right = {BorderLine::Thick, 0xFF0000};
    heading.top = {BorderLine::Hair, kAutoColor};
    heading.bottom = {BorderLine::Double, 0x0000FF};
    heading.hAlign = CellFormat::HAlign::Center;
    heading.vAlign = CellFormat::VAlign::Center;
    heading.wrap = true;
    first.setFormat(1, 1, heading);
    CellFormat money;
    money.numberFormat = QStringLiteral("#,##0.00");
    money.hAlign = CellFormat::HAlign::Right;
    first.setFormat(3, 1, money);
    CellFormat percent;
    percent.numberFormat = QStringLiteral("0.0%");
    percent.italic = true;
    percent.strike = true;
    first.setFormat(3, 2, percent);
    first.setFormat(5, 5, heading);  // formatted, empty
    first.addMerge({1, 1, 1, 3});
    first.addMerge({6, 2, 8, 4});
    first.setColumnWidth(1, 30.5);
    first.setColumnWidth(3, 4.71);
    first.setRowHeight(1, 45);
    first.setRowHeight(9, 6.75);
    workbook.setActiveSheet(1);
}

class XlsReaderTest : public ::testing::Test {
protected:
    QTemporaryDir m_dir;
};

TEST_F(XlsReaderTest, RoundTripKeepsValuesFormatsAndLayout) {
    Workbook written;
    fillRichWorkbook(written);
    const QString path = m_dir.filePath(QStringLiteral("round.xls"));
    ASSERT_TRUE(WorkbookFile::save(written, path).ok());
    Workbook read;
    const WorkbookFileResult result = XlsReader::read(path, read);
    ASSERT_TRUE(result.ok()) << result.message.toStdString();
    xlsmodelcompare::expectSameWorkbook(written, read);
}

TEST_F(XlsReaderTest, RoundTripOfAStreamWithManyStringsAndMerges) {
    Workbook written;
    Worksheet& sheet = *written.addSheet();
    for (int row = 1; row <= 3000; ++row) {
        sheet.setText(row, 1,
                      QStringLiteral("行 %1 %2").arg(row).arg(QString(row % 90, QLatin1Char('z'))));
        sheet.setNumber(row, 2, row * 0.01);
        if (row % 2 == 1) {
            sheet.addMerge({row, 3, row + 1, 4});
        }
    }
    QByteArray stream;
    ASSERT_TRUE(XlsWriter::buildStream(written, stream).ok());
    Workbook read;
    const WorkbookFileResult result = XlsReader::readStream(stream, read);
    ASSERT_TRUE(result.ok()) << result.message.toStdString();
    xlsmodelcompare::expectSameWorkbook(written, read);
}

TEST_F(XlsReaderTest, TemplateWrittenByXlwt) {
    Workbook workbook;
    const WorkbookFileResult result =
        XlsReader::read(QStringLiteral("tests/data/xls/xlwt_template.xls"), workbook);
    ASSERT_TRUE(result.ok()) << result.message.toStdString();
    ASSERT_EQ(workbook.sheetCount(), 2);
    const Worksheet& sheet = *workbook.sheet(0);
    EXPECT_EQ(sheet.name(), QStringLiteral("模板"));
    EXPECT_EQ(workbook.sheet(1)->name(), QStringLiteral("Second"));

    const CellFormat& header = sheet.format(1, 1);
    EXPECT_EQ(sheet.cell(1, 1)->text, QStringLiteral("编号"));
    EXPECT_EQ(sheet.cell(1, 2)->text, QStringLiteral("Name\nsecond line"));
    // Arial is the template's default font (font 0), so it reads as "not set"; the size
    // differs from the default 10 points.
    EXPECT_TRUE(header.fontName.isEmpty());
    EXPECT_EQ(header.fontSize, 12);
    EXPECT_TRUE(sheet.format(4, 1) == CellFormat());
    EXPECT_TRUE(header.bold);
    EXPECT_EQ(header.fontColor, 0xFF0000u);
    EXPECT_EQ(header.fillColor, 0xFFFF00u);
    EXPECT_EQ(header.left.style, BorderLine::Thin);
    EXPECT_EQ(header.right.style, BorderLine::Medium);
    EXPECT_EQ(header.bottom.style, BorderLine::Double);
    EXPECT_EQ(header.hAlign, CellFormat::HAlign::Center);
    EXPECT_EQ(header.vAlign, CellFormat::VAlign::Top);
    EXPECT_TRUE(header.wrap);

    EXPECT_EQ(sheet.cell(2, 1)->text, QStringLiteral("merged A2:B3"));
    EXPECT_EQ(sheet.merges(), (std::vector<CellRange>{{2, 1, 3, 2}}));
    EXPECT_EQ(sheet.cell(2, 3)->number, 1234.5);
    EXPECT_EQ(sheet.format(2, 3).numberFormat, QStringLiteral("#,##0.00"));
    EXPECT_EQ(sheet.cell(3, 3)->number, 0.125);
    EXPECT_EQ(sheet.format(3, 3).numberFormat, QStringLiteral("0.0%"));
    EXPECT_EQ(sheet.cell(4, 1)->number, 42);
    EXPECT_EQ(sheet.cell(4, 2)->number, -7);
    EXPECT_EQ(sheet.cell(4, 3)->number, 3.14159265358979);
    EXPECT_EQ(sheet.cell(5, 1)->kind, Cell::Kind::Boolean);
    EXPECT_EQ(sheet.cell(5, 1)->number, 1);
    EXPECT_EQ(sheet.cell(5, 2)->number, 0);
    // xlwt stores an empty string as the formula's result, as xlrd reads it too.
    EXPECT_TRUE(sheet.cell(5, 3) == nullptr || !sheet.cell(5, 3)->hasValue());
    EXPECT_EQ(sheet.cell(6, 1)->text, QString(9000, QLatin1Char('x')));
    EXPECT_EQ(sheet.format(7, 1).fillColor, 0xCCFFCCu);

    EXPECT_EQ(sheet.columnWidth(1), XlsWriter::unitsToWidth(20 * 256));
    EXPECT_EQ(sheet.columnWidth(3), XlsWriter::unitsToWidth(4000));
    EXPECT_EQ(sheet.rowHeight(1), 30);
    EXPECT_EQ(workbook.sheet(1)->cell(2, 2)->number, 2.5);
}

TEST_F(XlsReaderTest, OurSmallFixtureReadsAndEveryPrefixOfItFailsCleanly) {
    QFile file(QStringLiteral("tests/data/xls/sheetweaver_small.biff"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray stream = file.readAll();
    Workbook whole;
    ASSERT_TRUE(XlsReader::readStream(stream, whole).ok());
    EXPECT_EQ(whole.sheetCount(), 2);
    EXPECT_EQ(whole.sheet(0)->cell(1, 2)->text, QStringLiteral("中文"));
    for (int size = 0; size < stream.size(); ++size) {
        Workbook part;
        const WorkbookFileResult result = XlsReader::readStream(stream.left(size), part);
        // A prefix can end between two records of the last sheet; then it reads what it got.
        if (size < stream.size() - 200) {
            EXPECT_FALSE(result.ok()) << size;
            EXPECT_FALSE(result.message.isEmpty()) << size;
        }
    }
}

TEST_F(XlsReaderTest, DamagedInputGivesAnErrorNotACrash) {
    QFile file(QStringLiteral("tests/data/xls/sheetweaver_small.biff"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray stream = file.readAll();
    QRandomGenerator random(20261208);
    for (int round = 0; round < 3000; ++round) {
        QByteArray damaged = stream;
        const int flips = 1 + random.bounded(8);
        for (int i = 0; i < flips; ++i) {
            damaged[random.bounded(damaged.size())] = static_cast<char>(random.bounded(256));
        }
        Workbook workbook;
        const WorkbookFileResult result = XlsReader::readStream(damaged, workbook);
        EXPECT_TRUE(result.ok() || !result.message.isEmpty());
    }

    struct Case {
        const char* name;
        QByteArray bytes;
        const char* expected;
    };
    const Case cases[] = {
        {"empty", QByteArray(), "BOF"},
        {"not a record stream", QByteArray("hello world, this is text"), "BOF"},
        {"Excel 5 BOF", QByteArray::fromHex("0908 0800 0005 0500 0000 0000"), "BIFF8"},
        {"globals without EOF",
         QByteArray::fromHex("0908 1000 0006 0500 bb0d cc07 00000000 06000000"), "EOF"},
        {"sheet outside the stream",
         QByteArray::fromHex("0908 1000 0006 0500 bb0d cc07 00000000 06000000"
                             "8500 0b00 ffff0000 00 00 0300 616263"
                             "0a00 0000"),
         "does not start"},
    };
    for (const Case& item : cases) {
        Workbook workbook;
        const WorkbookFileResult result = XlsReader::readStream(item.bytes, workbook);
        EXPECT_FALSE(result.ok()) << item.name;
        EXPECT_TRUE(result.message.contains(QLatin1String(item.expected)))
            << item.name << ": " << result.message.toStdString();
    }
}

TEST_F(XlsReaderTest, FilesThatAreNotXlsWorkbooks) {
    Workbook workbook;
    EXPECT_FALSE(XlsReader::read(m_dir.filePath(QStringLiteral("missing.xls")), workbook).ok());
    const QString text = m_dir.filePath(QStringLiteral("text.xls"));
    QFile file(text);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("just text, no compound file");
    file.close();
    const WorkbookFileResult result = XlsReader::read(text, workbook);
    EXPECT_FALSE(result.ok());
    EXPECT_TRUE(result.message.contains(QStringLiteral("compound file")))
        << result.message.toStdString();
    // A docx-like ZIP under an .xls name is no compound file either.
    EXPECT_FALSE(XlsReader::readData(QByteArray("PK\x03\x04 rest of a zip"), workbook).ok());
}

/* One record: id, length, data. */
QByteArray record(quint16 id, const QByteArray& data) {
    QByteArray bytes(4, '\0');
    qToLittleEndian<quint16>(id, bytes.data());
    qToLittleEndian<quint16>(static_cast<quint16>(data.size()), bytes.data() + 2);
    return bytes + data;
}

/* The stream of a one-sheet workbook with `records` added to the sheet before WINDOW2. */
QByteArray streamWith(const QByteArray& records) {
    Workbook workbook;
    workbook.addSheet(QStringLiteral("S"))->setText(1, 1, QStringLiteral("anchor"));
    QByteArray stream;
    EXPECT_TRUE(XlsWriter::buildStream(workbook, stream).ok());
    const int window = stream.lastIndexOf(QByteArray::fromHex("3e021200"));
    return stream.left(window) + records + stream.mid(window);
}

TEST_F(XlsReaderTest, CellRecordsOtherWritersUse) {
    QByteArray records;
    // LABEL (MS-XLS 2.4.148) and RSTRING with one formatting run.
    records += record(0x0204, QByteArray::fromHex("0100 0000 0f00 0300 00 616263"));
    records +=
        record(0x00D6, QByteArray::fromHex("0100 0100 0f00 0200 01 2d4e 8765 0100 0000 0000"));
    // FORMULA with a string result in STRING, continued with a width flag.
    records +=
        record(0x0006, QByteArray::fromHex("0200 0000 0f00 0000000000 00ffff 0000 00000000 0000"));
    records += record(0x0207, QByteArray::fromHex("0400 00 7879"));
    records += record(0x003C, QByteArray::fromHex("01 2d4e 8765"));
    // FORMULA with a boolean, an error and a number result; BOOLERR with an error.
    records +=
        record(0x0006, QByteArray::fromHex("0200 0100 0f00 0100010000 00ffff 0000 00000000 0000"));
    records +=
        record(0x0006, QByteArray::fromHex("0200 0200 0f00 0200070000 00ffff 0000 00000000 0000"));
    records +=
        record(0x0006, QByteArray::fromHex("0200 0300 0f00 000000000000f83f 0000 00000000 0000"));
    records += record(0x0205, QByteArray::fromHex("0300 0000 0f00 2a 01"));
    // A STRING with no formula before it is ignored; a LABELSST past the table keeps no text.
    records += record(0x0207, QByteArray::fromHex("0100 00 71"));
    records += record(0x00FD, QByteArray::fromHex("0400 0000 0f00 63000000"));
    // COLINFO over columns B:D, a hidden row 6.
    records += record(0x007D, QByteArray::fromHex("0100 0300 0014 0f00 0000 0000"));
    records += record(0x0208, QByteArray::fromHex("0500 0000 0000 2c01 0000 0000 20010f00"));
    Workbook workbook;
    const WorkbookFileResult result = XlsReader::readStream(streamWith(records), workbook);
    ASSERT_TRUE(result.ok()) << result.message.toStdString();
    const Worksheet& sheet = *workbook.sheet(0);
    EXPECT_EQ(sheet.cell(2, 1)->text, QStringLiteral("abc"));
    EXPECT_EQ(sheet.cell(2, 2)->text, QStringLiteral("中文"));
    EXPECT_EQ(sheet.cell(3, 1)->text, QStringLiteral("xy中文"));
    EXPECT_EQ(sheet.cell(3, 2)->kind, Cell::Kind::Boolean);
    EXPECT_EQ(sheet.cell(3, 2)->number, 1);
    EXPECT_EQ(sheet.cell(3, 3)->text, QStringLiteral("#DIV/0!"));
    EXPECT_EQ(sheet.cell(3, 4)->number, 1.5);
    EXPECT_EQ(sheet.cell(4, 1)->text, QStringLiteral("#N/A"));
    EXPECT_EQ(sheet.cell(5, 1), nullptr);
    EXPECT_EQ(sheet.cell(1, 1)->text, QStringLiteral("anchor"));
    for (int column = 2; column <= 4; ++column) {
        EXPECT_EQ(sheet.columnWidth(column), 20) << column;
    }
    EXPECT_EQ(sheet.rowHeight(6), 0);
}

TEST_F(XlsReaderTest, StyledColumnWithoutASetWidthShowsItsWidthUnlessItIsADefault) {
    Workbook source;
    Worksheet& sheet = *source.addSheet(QStringLiteral("S"));
    CellFormat bold;
    bold.bold = true;
    sheet.setColumnFormat(2, 2, sheet.formatTable().intern(bold));
    QByteArray stream;
    ASSERT_TRUE(XlsWriter::buildStream(source, stream).ok());
    const int colInfo = stream.indexOf(QByteArray::fromHex("7d000c000100"));
    ASSERT_GT(colInfo, 0);
    // coldx without fUserSet: Excel's default (2340), ours (2158), xlwt's default (2962).
    for (const auto& [units, width] : {std::pair<int, double>{2340, Worksheet::kDefaultColumnWidth},
                                       {2158, Worksheet::kDefaultColumnWidth},
                                       {2962, XlsWriter::unitsToWidth(2962)}}) {
        stream[colInfo + 8] = static_cast<char>(units & 0xFF);
        stream[colInfo + 9] = static_cast<char>(units >> 8);
        Workbook read;
        ASSERT_TRUE(XlsReader::readStream(stream, read).ok());
        EXPECT_DOUBLE_EQ(read.sheet(0)->columnWidth(2), width) << units;
        EXPECT_TRUE(read.sheet(0)->format(7, 2).bold);
    }
}

TEST_F(XlsReaderTest, OverlappingSheetsAndCraftedCountsAreBounded) {
    // Many sheet entries pointing at one sheet substream: read within the budget or refused.
    Workbook source;
    Worksheet& sheet = *source.addSheet();
    for (int row = 1; row <= 2000; ++row) {
        sheet.setNumber(row, 1, row);
    }
    QByteArray stream;
    ASSERT_TRUE(XlsWriter::buildStream(source, stream).ok());
    // Find the BOUNDSHEET record and repeat it 500 times.
    int at = 0;
    while (qFromLittleEndian<quint16>(stream.constData() + at) != 0x0085) {
        at += 4 + qFromLittleEndian<quint16>(stream.constData() + at + 2);
    }
    const int size = 4 + qFromLittleEndian<quint16>(stream.constData() + at + 2);
    const QByteArray entry = stream.mid(at, size);
    QByteArray crafted = stream.left(at);
    for (int i = 0; i < 500; ++i) {
        crafted += entry;
    }
    const int shift = crafted.size() - at - size;
    crafted += stream.mid(at + size);
    // Point every entry at the one sheet, now moved by `shift` bytes.
    for (int i = 0; i < 500; ++i) {
        char* position = crafted.data() + at + i * size + 4;
        qToLittleEndian<quint32>(qFromLittleEndian<quint32>(position) + shift, position);
    }
    Workbook read;
    const WorkbookFileResult result = XlsReader::readStream(crafted, read);
    EXPECT_FALSE(result.ok());
    EXPECT_TRUE(result.message.contains(QStringLiteral("overlap"))) << result.message.toStdString();
}

}  // namespace
