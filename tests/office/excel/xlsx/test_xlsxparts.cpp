// The .xlsx part writers, element by element against the exact text they must write.

#include "office/excel/xlsx/xmlsink.h"

#include "office/excel/xlsx/xlsxcontenttypespart.h"
#include "office/excel/xlsx/xlsxdocpropspart.h"
#include "office/excel/xlsx/xlsxrelationshipspart.h"
#include "office/excel/xlsx/xlsxsharedstringspart.h"
#include "office/excel/xlsx/xlsxsheetpart.h"
#include "office/excel/xlsx/xlsxstylespart.h"
#include "office/excel/xlsx/xlsxtext.h"
#include "office/excel/xlsx/xlsxworkbookpart.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <vector>

namespace {

// One escape: what the sink writes for `input` as cell text or as an attribute value, or ""
// when it must refuse it.
struct EscapeCase {
    const char* name;
    bool attribute;
    QString input;
    QByteArray expected;
};

/* Attributes and cell text each escape their own set of characters; cell text reads back
   whole. */
TEST(XmlSink, EscapesAttributesAndCellText) {
    const EscapeCase cases[] = {
        {"attribute markup and white space", true, QStringLiteral("a&<>\"\t\n\r'"),
         " v=\"a&amp;&lt;&gt;&quot;&#9;&#10;&#13;'\""},
        {"attribute UTF-8", true, QStringLiteral("数据 ä😀"), " v=\"数据 ä😀\""},
        {"control character in an attribute", true, QStringLiteral("a\x01"), ""},
        {"U+FFFE in an attribute", true, QString(QChar(0xFFFE)), ""},
        {"unpaired surrogate in an attribute", true, QString(QChar(0xDC00)), ""},
        {"cell text markup", false, QStringLiteral("a&b<c>d\"e'\tf\n"),
         "a&amp;b&lt;c&gt;d\"e'\tf\n"},
        {"cell text carriage return", false, QStringLiteral("cr\r"), "cr_x000D_"},
        {"cell text control character", false, QString(QChar(0x1F)), "_x001F_"},
        {"cell text escape lookalike", false, QStringLiteral("<_x00ab_&>"),
         "&lt;_x005F_x00ab_&amp;&gt;"},
        {"cell text not an escape", false, QStringLiteral("_x00G1_ _x12_"), "_x00G1_ _x12_"},
        {"cell text U+FFFF and lone surrogates", false,
         QString(QChar(0xFFFF)) + QChar(0xD800) + QLatin1Char('x') + QChar(0xDC00),
         "_xFFFF__xD800_x_xDC00_"},
        {"cell text pair and tab", false, QStringLiteral("😀\tend"), "😀\tend"},
    };
    for (const EscapeCase& c : cases) {
        XmlSink out;
        if (c.attribute) {
            out.attribute("v", c.input);
        } else {
            out.cellText(c.input);
            const QString markup = QString::fromUtf8(out.bytes())
                                       .replace(QLatin1String("&lt;"), QLatin1String("<"))
                                       .replace(QLatin1String("&gt;"), QLatin1String(">"))
                                       .replace(QLatin1String("&amp;"), QLatin1String("&"));
            EXPECT_EQ(XlsxText::unescape(markup), c.input) << c.name;
        }
        EXPECT_EQ(out.ok(), !c.expected.isEmpty()) << c.name;
        EXPECT_EQ(out.ok() ? out.bytes() : QByteArray(), c.expected) << c.name;
    }
}

// One part's writer and an element it must write, exactly.
struct PartCase {
    const char* name;
    std::function<void(XmlSink&)> write;
    const char* expected;
};

/* A sheet with a frozen row, a column width, every kind of cell, a row height and a merge. */
std::shared_ptr<Workbook> sampleWorkbook() {
    auto book = Workbook::createNew(2);
    book->renameSheet(1, QStringLiteral("R&D \"Q1\""));
    book->setActiveSheet(1);
    Worksheet& sheet = *book->sheet(0);
    sheet.setFrozenRows(1);
    sheet.setColumnWidth(2, 12.5);
    sheet.setNumber(3, 1, 0.1);
    sheet.setBoolean(3, 2, true);
    sheet.setNumber(3, 3, std::nan(""));
    sheet.setText(3, 4, QStringLiteral(" a&b "));
    sheet.setText(4, 1, QStringLiteral("x_x0041_"));
    sheet.setText(4, 2, QStringLiteral(" a&b "));
    sheet.setRowHeight(5, 20);
    sheet.addMerge({7, 1, 8, 2});
    sheet.setAutoFilter({1, 1, 4, 4});
    CellFormat format;
    format.bold = format.italic = format.strike = format.wrap = true;
    format.underline = CellFormat::Underline::Double;
    format.fontSize = 14;
    format.fontColor = 0xFF0000;
    format.fontName = QStringLiteral("A&B");
    format.fillColor = 0x00FF00;
    format.left = {BorderLine::Thin, 0x0000FF};
    format.right = {BorderLine::Medium, kAutoColor};
    format.numberFormat = QStringLiteral("\"x\"0.000");
    format.hAlign = CellFormat::HAlign::Center;
    format.vAlign = CellFormat::VAlign::Top;
    sheet.setFormat(4, 1, format);
    return book;
}

/* Each case's part holds its element exactly. */
void expectElements(const std::vector<PartCase>& cases) {
    for (const PartCase& c : cases) {
        XmlSink out;
        c.write(out);
        ASSERT_TRUE(out.ok()) << c.name;
        EXPECT_TRUE(out.bytes().contains(c.expected))
            << c.name << "\n  wanted: " << c.expected << "\n  in: " << out.bytes().constData();
    }
}

/* The package's fixed parts: content types, relationships, properties and the workbook. */
TEST(XlsxParts, FixedPartsWriteTheirElementsExactly) {
    const auto book = sampleWorkbook();
    const auto types = [](XmlSink& out) { XlsxContentTypesPart::write(out, 2, true); };
    const auto workbookRels = [](XmlSink& out) {
        XlsxRelationshipsPart::writeWorkbookRels(out, 2);
    };
    const auto workbook = [&](XmlSink& out) { XlsxWorkbookPart::write(out, *book); };
    expectElements({
        {"xlsm workbook type", types,
         "<Override PartName=\"/xl/workbook.xml\" "
         "ContentType=\"application/vnd.ms-excel.sheet.macroEnabled.main+xml\"/><Override "
         "PartName=\"/xl/worksheets/sheet1.xml\""},
        {"second sheet type", types,
         "<Override PartName=\"/xl/worksheets/sheet2.xml\" ContentType=\"application/"
         "vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml\"/>"},
        {"package relationship", XlsxRelationshipsPart::writePackageRels,
         "<Relationship Id=\"rId2\" Type=\"http://schemas.openxmlformats.org/package/2006/"
         "relationships/metadata/core-properties\" Target=\"docProps/core.xml\"/>"},
        {"shared strings after the sheets", workbookRels,
         "<Relationship Id=\"rId4\" Type=\"http://schemas.openxmlformats.org/officeDocument/"
         "2006/relationships/sharedStrings\" Target=\"sharedStrings.xml\"/></Relationships>\n"},
        {"core properties", XlsxDocPropsPart::writeCore,
         "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?><cp:coreProperties "
         "xmlns:cp=\"http://schemas.openxmlformats.org/package/2006/metadata/core-properties\" "
         "xmlns:dc=\"http://purl.org/dc/elements/1.1/\"><dc:creator>Sheetweaver</dc:creator>"
         "</cp:coreProperties>\n"},
        {"active tab", workbook, "<bookViews><workbookView activeTab=\"1\"/></bookViews>"},
        {"escaped sheet name", workbook,
         "<sheet name=\"R&amp;D &quot;Q1&quot;\" sheetId=\"2\" r:id=\"rId2\"/></sheets>"},
    });
}

/* The parts that grow with the workbook: shared strings, sheets and styles. */
TEST(XlsxParts, ContentPartsWriteTheirElementsExactly) {
    const auto book = sampleWorkbook();
    XlsxSharedStringsPart strings;
    ASSERT_TRUE(strings.collect(*book).ok());
    const XlsxStyleMap styles(book->formatTable());
    const auto sheet = [&](XmlSink& out) {
        XlsxSheetPart(styles, strings.cellIndices()).write(out, *book->sheet(0), true);
    };
    const auto styleSheet = [&](XmlSink& out) {
        XlsxStylesPart::write(out, book->formatTable(), 100);
    };
    const auto sst = [&](XmlSink& out) { strings.write(out); };
    expectElements({
        {"string counts", sst, "count=\"3\" uniqueCount=\"2\"><si><t xml:space=\"preserve\">"},
        {"preserved, escaped text", sst, "<t xml:space=\"preserve\"> a&amp;b </t></si>"},
        {"escape lookalike", sst, "<si><t>x_x005F_x0041_</t></si></sst>"},
        {"frozen first row", sheet,
         "<pane ySplit=\"1\" topLeftCell=\"A2\" activePane=\"bottomLeft\" state=\"frozen\"/>"
         "<selection pane=\"bottomLeft\" activeCell=\"A1\" sqref=\"A1\"/>"},
        {"column width", sheet,
         "<cols><col min=\"2\" max=\"2\" width=\"12.5\" customWidth=\"1\"/></cols>"},
        {"number, boolean, error and text cells", sheet,
         "<row r=\"3\"><c r=\"A3\"><v>0.1</v></c><c r=\"B3\" t=\"b\"><v>1</v></c>"
         "<c r=\"C3\" t=\"e\"><v>#NUM!</v></c><c r=\"D3\" t=\"s\"><v>0</v></c></row>"},
        {"formatted text and shared text", sheet,
         "<c r=\"A4\" s=\"1\" t=\"s\"><v>1</v></c><c r=\"B4\" t=\"s\"><v>0</v></c>"},
        {"row with only a height", sheet, "<row r=\"5\" ht=\"20\" customHeight=\"1\"/>"},
        {"filter, merge and margins", sheet,
         "</sheetData><autoFilter ref=\"A1:D4\"/><mergeCells count=\"1\"><mergeCell "
         "ref=\"A7:B8\"/></mergeCells><pageMargins left=\"0.7\""},
        {"custom number format", styleSheet,
         "<numFmts count=\"1\"><numFmt numFmtId=\"164\" formatCode=\"&quot;x&quot;0.000\"/>"},
        {"font", styleSheet,
         "<font><b/><i/><strike/><u val=\"double\"/><sz val=\"14\"/><color rgb=\"FFFF0000\"/>"
         "<name val=\"A&amp;B\"/><family val=\"2\"/></font></fonts>"},
        {"fills", styleSheet,
         "<fills count=\"3\"><fill><patternFill patternType=\"none\"/></fill><fill><patternFill "
         "patternType=\"gray125\"/></fill><fill><patternFill patternType=\"solid\"><fgColor "
         "rgb=\"FF00FF00\"/><bgColor indexed=\"64\"/></patternFill></fill></fills>"},
        {"border", styleSheet,
         "<border><left style=\"thin\"><color rgb=\"FF0000FF\"/></left><right "
         "style=\"medium\"><color auto=\"1\"/></right><top/><bottom/><diagonal/></border>"},
        {"cell formats", styleSheet,
         "<cellXfs count=\"2\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\" "
         "xfId=\"0\"/><xf numFmtId=\"164\" fontId=\"1\" fillId=\"2\" borderId=\"1\" xfId=\"0\" "
         "applyNumberFormat=\"1\" applyFont=\"1\" applyFill=\"1\" applyBorder=\"1\" "
         "applyAlignment=\"1\"><alignment horizontal=\"center\" vertical=\"top\" "
         "wrapText=\"1\"/></xf></cellXfs>"},
    });
}

}  // namespace
