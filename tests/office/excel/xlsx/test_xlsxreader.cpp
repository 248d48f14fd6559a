#include "office/excel/xlsx/xlsxreader.h"

#include "office/excel/workbookfile.h"

#include "tests/office/excel/xls/xlsmodelcompare.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <quazip/quazip.h>
#include <quazip/quazipfile.h>
#include <quazip/quazipnewinfo.h>

namespace {

// A workbook with every kind of content the model holds.
std::shared_ptr<Workbook> sampleWorkbook() {
    auto book = Workbook::createNew(3);
    book->renameSheet(1, QStringLiteral("表 二"));
    Worksheet& sheet = *book->sheet(0);
    sheet.setText(1, 1, QStringLiteral("text"));
    sheet.setNumber(1, 2, -1234.5678);
    sheet.setNumber(1, 3, 0.1 + 0.2);  // needs all 17 digits
    sheet.setBoolean(1, 4, false);
    sheet.setText(2, 1, QStringLiteral("a\u0001b\rc_x0041_d  "));
    sheet.setText(2, 2, QStringLiteral("text"));  // shared twice
    sheet.setText(3, 16384, QStringLiteral("last column"));
    sheet.setText(kMaxRows, 1, QStringLiteral("last row"));
    CellFormat format;
    format.fontName = QStringLiteral("宋体");
    format.fontSize = 9;
    format.bold = true;
    format.underline = CellFormat::Underline::Double;
    format.fontColor = 0x336699;
    format.fillColor = 0xFFEEDD;
    format.left = {BorderLine::Thick, 0x010203};
    format.bottom = {BorderLine::Hair, kAutoColor};
    format.hAlign = CellFormat::HAlign::Right;
    format.vAlign = CellFormat::VAlign::Center;
    format.wrap = true;
    format.numberFormat = QStringLiteral("0.000%");
    sheet.setFormat(1, 2, format);
    CellFormat empty;
    empty.fillColor = 0x00FF00;
    sheet.setFormat(5, 5, empty);  // formatted, no value
    sheet.addMerge({6, 1, 8, 2});
    sheet.setColumnWidth(2, 17.25);
    for (int c = 10; c <= kMaxColumns; ++c) {
        sheet.setColumnWidth(c, c < 12 ? 5 : 9);  // written as runs, read back per column
    }
    sheet.setRowHeight(4, 41.5);
    book->sheet(2)->setNumber(1, 1, 3);
    book->setActiveSheet(2);
    return book;
}

class XlsxReaderTest : public ::testing::Test {
protected:
    QString path(const QString& name) const { return m_dir.filePath(name); }

    // Write a package of raw parts.
    void writeZip(const QString& file, const QList<QPair<QString, QByteArray>>& parts) {
        QuaZip zip(file);
        ASSERT_TRUE(zip.open(QuaZip::mdCreate));
        for (const auto& part : parts) {
            QuaZipFile out(&zip);
            ASSERT_TRUE(out.open(QIODevice::WriteOnly, QuaZipNewInfo(part.first)));
            out.write(part.second);
            out.close();
        }
        zip.close();
    }

    // A package with one sheet "T" (xl/worksheets/sheet1.xml) and optional styles.
    void writeOneSheetPackage(const QString& file, const QByteArray& sheet,
                              const QByteArray& styles = QByteArray()) {
        const QByteArray ns = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
        QByteArray rels =
            "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
            "<Relationship Id=\"rId1\" Type=\"" +
            ns + "/worksheet\" Target=\"worksheets/sheet1.xml\"/>";
        if (!styles.isEmpty()) {
            rels += "<Relationship Id=\"rId2\" Type=\"" + ns + "/styles\" Target=\"styles.xml\"/>";
        }
        rels += "</Relationships>";
        const QByteArray workbook =
            "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
            "xmlns:r=\"" +
            ns + "\"><sheets><sheet name=\"T\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>";
        QList<QPair<QString, QByteArray>> parts = {
            {QStringLiteral("xl/_rels/workbook.xml.rels"), rels},
            {QStringLiteral("xl/workbook.xml"), workbook},
            {QStringLiteral("xl/worksheets/sheet1.xml"), sheet}};
        if (!styles.isEmpty()) {
            parts.append({QStringLiteral("xl/styles.xml"), styles});
        }
        writeZip(file, parts);
    }

    QTemporaryDir m_dir;
};

TEST_F(XlsxReaderTest, RoundTripKeepsEverything) {
    const auto book = sampleWorkbook();
    for (const char* name : {"round.xlsx", "round.xlsm"}) {
        ASSERT_TRUE(WorkbookFile::save(*book, path(QLatin1String(name))).ok());
        Workbook read;
        const WorkbookFileResult result = WorkbookFile::load(path(QLatin1String(name)), read);
        ASSERT_TRUE(result.ok()) << result.message.toStdString();
        xlsmodelcompare::expectSameWorkbook(*book, read);
        EXPECT_EQ(read.path(), path(QLatin1String(name)));
    }
}

TEST_F(XlsxReaderTest, ReadsATemplateWrittenByOpenpyxl) {
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral(SW_SOURCE_DIR "/tests/office/excel/xlsx/make_template.py"),
                  path(QStringLiteral("t.xlsx"))});
    ASSERT_TRUE(python.waitForFinished(60000));
    ASSERT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();
    Workbook book;
    const WorkbookFileResult result = WorkbookFile::load(path(QStringLiteral("t.xlsx")), book);
    ASSERT_TRUE(result.ok()) << result.message.toStdString();
    ASSERT_EQ(book.sheetCount(), 2);
    const Worksheet& sheet = *book.sheet(0);
    EXPECT_EQ(sheet.name(), QStringLiteral("Vorlage"));
    EXPECT_EQ(sheet.cell(1, 1)->text, QStringLiteral("Title"));
    const CellFormat& title = sheet.format(1, 1);
    EXPECT_EQ(title.fontName, QStringLiteral("Arial"));
    EXPECT_DOUBLE_EQ(title.fontSize, 14);
    EXPECT_TRUE(title.bold);
    EXPECT_EQ(title.fontColor, 0xFF0000u);
    EXPECT_EQ(title.fillColor, 0xFFFF00u);
    EXPECT_EQ(title.bottom.style, BorderLine::Thin);
    EXPECT_EQ(title.bottom.color, 0x0000FFu);
    EXPECT_EQ(title.left.style, BorderLine::None);
    EXPECT_EQ(title.hAlign, CellFormat::HAlign::Center);
    EXPECT_EQ(title.vAlign, CellFormat::VAlign::Center);
    EXPECT_TRUE(title.wrap);
    EXPECT_DOUBLE_EQ(sheet.cell(2, 1)->number, 1234.5);
    EXPECT_EQ(sheet.format(2, 1).numberFormat, QStringLiteral("#,##0.00"));
    EXPECT_EQ(sheet.cell(2, 2)->kind, Cell::Kind::Boolean);
    EXPECT_EQ(sheet.cell(2, 2)->number, 1);
    EXPECT_EQ(sheet.merges(), std::vector<CellRange>({{1, 1, 1, 3}}));
    EXPECT_DOUBLE_EQ(sheet.columnWidth(1), 25);
    EXPECT_DOUBLE_EQ(sheet.rowHeight(1), 30);
    EXPECT_EQ(sheet.format(3, 1), CellFormat());  // the base style reads as the default
    const Worksheet& second = *book.sheet(1);
    EXPECT_EQ(second.cell(3, 2)->text, QStringLiteral("plain"));
    // Accent 1 of the theme part openpyxl writes (the Office 2007 theme).
    EXPECT_EQ(second.format(3, 3).fillColor, 0x4F81BDu);
}

TEST_F(XlsxReaderTest, InlineStringsFormulaResultsAndCellsWithoutReferences) {
    const QByteArray rels =
        "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
        "<Relationship Id=\"rId1\" "
        "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
        "officeDocument\" "
        "Target=\"xl/workbook.xml\"/></Relationships>";
    const QByteArray wbRels =
        "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
        "<Relationship Id=\"rId7\" "
        "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet\" "
        "Target=\"/xl/worksheets/data.xml\"/></Relationships>";
    const QByteArray workbook =
        "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
        "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
        "<sheets><sheet name=\"Only\" sheetId=\"1\" r:id=\"rId7\"/></sheets></workbook>";
    const QByteArray sheet =
        "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><sheetData>"
        "<row><c t=\"inlineStr\"><is><t>in</t><r><t>line</t></r><rPh><t>x</t></rPh></is></c>"
        "<c t=\"str\"><f>A1</f><v>formula</v></c><c><v>2.5</v></c></row>"
        "<row r=\"3\"><c r=\"C3\" t=\"e\"><v>#N/A</v></c><c r=\"ZZZZ3\"><v>1</v></c></row>"
        "</sheetData></worksheet>";
    writeZip(path(QStringLiteral("raw.xlsx")),
             {{QStringLiteral("_rels/.rels"), rels},
              {QStringLiteral("xl/_rels/workbook.xml.rels"), wbRels},
              {QStringLiteral("xl/workbook.xml"), workbook},
              {QStringLiteral("xl/worksheets/data.xml"), sheet}});
    Workbook book;
    const WorkbookFileResult result = WorkbookFile::load(path(QStringLiteral("raw.xlsx")), book);
    ASSERT_TRUE(result.ok()) << result.message.toStdString();
    const Worksheet& only = *book.sheet(0);
    EXPECT_EQ(only.cell(1, 1)->text, QStringLiteral("inline"));
    EXPECT_EQ(only.cell(1, 2)->text, QStringLiteral("formula"));
    EXPECT_DOUBLE_EQ(only.cell(1, 3)->number, 2.5);
    EXPECT_EQ(only.cell(3, 3)->text, QStringLiteral("#N/A"));
    EXPECT_EQ(only.cellCount(), 4);  // the malformed reference is skipped
}

TEST_F(XlsxReaderTest, PrefixedMarkupGoesThroughTheGeneralReaderWithTheSameResult) {
    const QByteArray rels =
        "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
        "<Relationship Id=\"rId1\" "
        "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet\" "
        "Target=\"worksheets/sheet1.xml\"/></Relationships>";
    const QByteArray workbook =
        "<x:workbook xmlns:x=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
        "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
        "<x:sheets><x:sheet name=\"P\" sheetId=\"1\" r:id=\"rId1\"/></x:sheets></x:workbook>";
    const QByteArray body =
        "<row r=\"2\" ht=\"22\" customHeight=\"1\"><c r=\"B2\" "
        "t=\"inlineStr\"><is><t>a&amp;b&#10;c</t></is>"
        "</c><c r=\"C2\"><v>-1.25E3</v></c><c r=\"D2\" t=\"b\"><v>1</v></c></row>";
    const QByteArray prefixed =
        "<x:worksheet xmlns:x=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
        "<x:sheetData>" +
        QByteArray(body).replace("<", "<x:").replace("<x:/", "</x:") +
        "</x:sheetData><x:mergeCells><x:mergeCell ref=\"B2:C2\"/></x:mergeCells></x:worksheet>";
    const QByteArray plain =
        "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
        "<sheetData>" +
        body + "</sheetData><mergeCells><mergeCell ref=\"B2:C2\"/></mergeCells></worksheet>";
    Workbook books[2];
    const QByteArray sheets[2] = {prefixed, plain};
    for (int i = 0; i < 2; ++i) {
        const QString file = path(QStringLiteral("p%1.xlsx").arg(i));
        writeZip(file, {{QStringLiteral("xl/_rels/workbook.xml.rels"), rels},
                        {QStringLiteral("xl/workbook.xml"), workbook},
                        {QStringLiteral("xl/worksheets/sheet1.xml"), sheets[i]}});
        const WorkbookFileResult result = WorkbookFile::load(file, books[i]);
        ASSERT_TRUE(result.ok()) << result.message.toStdString();
        const Worksheet& sheet = *books[i].sheet(0);
        EXPECT_EQ(sheet.cell(2, 2)->text, QStringLiteral("a&b\nc")) << i;
        EXPECT_EQ(sheet.cell(2, 3)->number, -1250) << i;
        EXPECT_EQ(sheet.cell(2, 4)->kind, Cell::Kind::Boolean) << i;
        EXPECT_DOUBLE_EQ(sheet.rowHeight(2), 22) << i;
        EXPECT_EQ(sheet.merges(), std::vector<CellRange>({{2, 2, 2, 3}})) << i;
    }
    xlsmodelcompare::expectSameWorkbook(books[0], books[1]);
}

TEST_F(XlsxReaderTest, SharedStringsWithRichTextAndPhoneticRunsBothWays) {
    const QByteArray rels =
        "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
        "<Relationship Id=\"rId1\" "
        "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet\" "
        "Target=\"worksheets/sheet1.xml\"/><Relationship Id=\"rId2\" "
        "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
        "sharedStrings\" "
        "Target=\"sharedStrings.xml\"/></Relationships>";
    const QByteArray workbook =
        "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
        "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
        "<sheets><sheet name=\"S\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>";
    const QByteArray sheet =
        "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><sheetData>"
        "<row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c><c r=\"B1\" t=\"s\"><v>1</v></c>"
        "<c r=\"C1\" t=\"s\"><v>2</v></c><c r=\"D1\" t=\"s\"><v>3</v></c></row>"
        "</sheetData></worksheet>";
    const QByteArray items =
        "<si><t>plain &lt;x&gt;</t></si>"
        "<si><r><rPr><b/><sz val=\"11\"/></rPr><t>ri</t></r><r><t xml:space=\"preserve\">ch "
        "</t></r></si>"
        "<si><t>漢字</t><rPh sb=\"0\" eb=\"2\"><t>かんじ</t></rPh><phoneticPr fontId=\"1\"/></si>"
        "<si><t>a_x000D_b</t></si>";
    const QByteArray plain =
        "<sst xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" count=\"4\">" +
        items + "</sst>";
    const QByteArray prefixed =
        "<x:sst xmlns:x=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">" +
        QByteArray(items).replace("<", "<x:").replace("<x:/", "</x:") + "</x:sst>";
    for (const QByteArray& strings : {plain, prefixed}) {
        writeZip(path(QStringLiteral("sst.xlsx")),
                 {{QStringLiteral("xl/_rels/workbook.xml.rels"), rels},
                  {QStringLiteral("xl/workbook.xml"), workbook},
                  {QStringLiteral("xl/worksheets/sheet1.xml"), sheet},
                  {QStringLiteral("xl/sharedStrings.xml"), strings}});
        Workbook book;
        const WorkbookFileResult result =
            WorkbookFile::load(path(QStringLiteral("sst.xlsx")), book);
        ASSERT_TRUE(result.ok()) << result.message.toStdString();
        const Worksheet& s = *book.sheet(0);
        EXPECT_EQ(s.cell(1, 1)->text, QStringLiteral("plain <x>"));
        EXPECT_EQ(s.cell(1, 2)->text, QStringLiteral("rich "));
        EXPECT_EQ(s.cell(1, 3)->text, QStringLiteral("漢字"));
        EXPECT_EQ(s.cell(1, 4)->text, QStringLiteral("a\rb"));
    }
}

TEST_F(XlsxReaderTest, TruncatedSheetDataFails) {
    ASSERT_TRUE(WorkbookFile::save(*sampleWorkbook(), path(QStringLiteral("ok.xlsx"))).ok());
    QByteArray sheet;
    {
        QuaZip zip(path(QStringLiteral("ok.xlsx")));
        ASSERT_TRUE(zip.open(QuaZip::mdUnzip));
        ASSERT_TRUE(zip.setCurrentFile(QStringLiteral("xl/worksheets/sheet1.xml")));
        QuaZipFile file(&zip);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        sheet = file.readAll();
    }
    for (int cut : {sheet.indexOf("<sheetData>") + 30, sheet.size() / 2, sheet.size() - 20}) {
        writeOneSheetPackage(path(QStringLiteral("cut.xlsx")), sheet.left(cut));
        Workbook book;
        const WorkbookFileResult result =
            WorkbookFile::load(path(QStringLiteral("cut.xlsx")), book);
        EXPECT_FALSE(result.ok()) << cut;
        EXPECT_TRUE(result.message.contains(QStringLiteral("sheet1.xml")))
            << result.message.toStdString();
    }
}

TEST_F(XlsxReaderTest, IndexedTintedAndAutomaticColours) {
    const QByteArray styles =
        "<styleSheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
        "<fonts count=\"2\"><font><sz val=\"11\"/><name val=\"Calibri\"/></font>"
        "<font><sz val=\"11\"/><color indexed=\"10\"/><name val=\"Calibri\"/></font></fonts>"
        "<fills count=\"3\"><fill><patternFill patternType=\"none\"/></fill>"
        "<fill><patternFill patternType=\"gray125\"/></fill><fill><patternFill "
        "patternType=\"solid\">"
        "<fgColor rgb=\"FF000000\" tint=\"0.5\"/></patternFill></fill></fills>"
        "<borders count=\"2\"><border/><border><left style=\"mediumDashDot\"><color "
        "auto=\"1\"/></left>"
        "<bottom style=\"thin\"><color indexed=\"3\"/></bottom></border></borders>"
        "<cellXfs count=\"3\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\"/>"
        "<xf numFmtId=\"14\" fontId=\"1\" fillId=\"2\" borderId=\"1\"/>"
        "<xf numFmtId=\"0\" fontId=\"7\" fillId=\"-1\" borderId=\"99\"/></cellXfs></styleSheet>";
    const QByteArray sheet =
        "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><sheetData>"
        "<row r=\"1\"><c r=\"A1\" s=\"1\"><v>1</v></c><c r=\"B1\" s=\"9\"><v>2</v></c>"
        "<c r=\"C1\" s=\"2\"><v>3</v></c></row>"
        "</sheetData></worksheet>";
    writeOneSheetPackage(path(QStringLiteral("colours.xlsx")), sheet, styles);
    Workbook book;
    const WorkbookFileResult result =
        WorkbookFile::load(path(QStringLiteral("colours.xlsx")), book);
    ASSERT_TRUE(result.ok()) << result.message.toStdString();
    const CellFormat& format = book.sheet(0)->format(1, 1);
    EXPECT_EQ(format.fontColor, 0xFF0000u);  // indexed 10
    EXPECT_EQ(format.fillColor, 0x808080u);  // black lightened by half
    EXPECT_EQ(format.left.style, BorderLine::Dashed);
    EXPECT_EQ(format.left.color, kAutoColor);
    EXPECT_EQ(format.bottom.color, 0x00FF00u);  // indexed 3
    EXPECT_EQ(format.numberFormat, QStringLiteral("mm-dd-yy"));
    EXPECT_EQ(format.fontName, QString());                 // the base font reads as the default
    EXPECT_EQ(book.sheet(0)->format(1, 2), CellFormat());  // a style index out of range
    EXPECT_EQ(book.sheet(0)->format(1, 3), CellFormat());  // font, fill, border out of range
}

TEST_F(XlsxReaderTest, BrokenFilesFailWithAMessage) {
    QFile text(path(QStringLiteral("text.xlsx")));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("not a zip archive");
    text.close();
    Workbook book;
    WorkbookFileResult result = WorkbookFile::load(path(QStringLiteral("text.xlsx")), book);
    EXPECT_FALSE(result.ok());
    EXPECT_FALSE(result.message.isEmpty());

    writeZip(path(QStringLiteral("empty.xlsx")), {{QStringLiteral("hello.txt"), "hi"}});
    Workbook empty;
    result = WorkbookFile::load(path(QStringLiteral("empty.xlsx")), empty);
    EXPECT_FALSE(result.ok());
    EXPECT_TRUE(result.message.contains(QStringLiteral("missing"))) << result.message.toStdString();

    // A part that expands far beyond any real ratio is refused before it is inflated.
    writeZip(path(QStringLiteral("bomb.xlsx")),
             {{QStringLiteral("xl/_rels/workbook.xml.rels"), QByteArray(20 * 1024 * 1024, ' ')}});
    Workbook bomb;
    result = WorkbookFile::load(path(QStringLiteral("bomb.xlsx")), bomb);
    EXPECT_FALSE(result.ok());
    EXPECT_TRUE(result.message.contains(QStringLiteral("too large")))
        << result.message.toStdString();

    Workbook notEmpty;
    notEmpty.addSheet();
    EXPECT_FALSE(WorkbookFile::load(path(QStringLiteral("empty.xlsx")), notEmpty).ok());
    Workbook none;
    EXPECT_FALSE(WorkbookFile::load(path(QStringLiteral("none.xlsx")), none).ok());
    EXPECT_FALSE(WorkbookFile::load(path(QStringLiteral("text.csv")), none).ok());
}

}  // namespace
