#include "office/word/docx/docxreader.h"
#include "office/word/docx/docxstylescache.h"

#include "tests/office/word/docx/docxtestpackage.h"

#include <gtest/gtest.h>

using docxtest::package;

namespace {

/* Read a body and return the document (failing the test when it does not open). */
std::shared_ptr<WordDocument> readBody(const QByteArray& body, const QByteArray& styles = {}) {
    WordLoadResult result = DocxReader::readData(package(body, styles));
    EXPECT_TRUE(result) << result.message.toStdString();
    return result.document ? result.document : std::make_shared<WordDocument>();
}

/* The text of the only paragraph of a body. */
QString paragraphText(const QByteArray& body) {
    const auto document = readBody(body);
    if (document->blocks.size() != 1) {
        ADD_FAILURE() << "expected one block, got " << document->blocks.size();
        return QString();
    }
    return document->blocks.front().paragraph.text();
}

}  // namespace

// ---- Text of a paragraph -------------------------------------------------------------------

struct TextCase {
    const char* name;
    const char* body;
    const char* expected;
};

class ParagraphTextTest : public ::testing::TestWithParam<TextCase> {};

TEST_P(ParagraphTextTest, FollowsTheCopyRules) {
    const TextCase& c = GetParam();
    EXPECT_EQ(paragraphText(QByteArray(c.body)), QString::fromUtf8(c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Docx, ParagraphTextTest,
    ::testing::Values(
        TextCase{"plain",
                 "<w:p><w:r><w:t>Hello</w:t></w:r><w:r><w:t xml:space=\"preserve\"> "
                 "world</w:t></w:r></w:p>",
                 "Hello world"},
        TextCase{"hyperlink_smarttag_customxml",
                 "<w:p><w:hyperlink><w:r><w:t>a</w:t></w:r></w:hyperlink><w:smartTag><w:r><w:t>b</"
                 "w:t></w:r></w:smartTag><w:customXml><w:r><w:t>c</w:t></w:r></w:customXml></w:p>",
                 "abc"},
        TextCase{"inline_content_control",
                 "<w:p><w:sdt><w:sdtPr><w:alias w:val=\"x\"/></w:sdtPr><w:sdtContent><w:r><w:t>in</"
                 "w:t></w:r></w:sdtContent></w:sdt></w:p>",
                 "in"},
        TextCase{
            "tracked_changes",
            "<w:p><w:r><w:t>keep </w:t></w:r><w:ins><w:r><w:t>inserted </w:t></w:r></w:ins><w:del>"
            "<w:r><w:delText>deleted</w:delText></w:r></w:del><w:moveFrom><w:r><w:t>moved "
            "away</w:t></w:r></w:moveFrom><w:moveTo><w:r><w:t>moved here</w:t></w:r></"
            "w:moveTo></w:p>",
            "keep inserted moved here"},
        TextCase{
            "complex_field_gives_result",
            "<w:p><w:r><w:t>Page </w:t></w:r><w:r><w:fldChar w:fldCharType=\"begin\"/></w:r><w:r>"
            "<w:instrText> PAGE </w:instrText></w:r><w:r><w:fldChar "
            "w:fldCharType=\"separate\"/></w:r><w:r><w:t>7</w:t></w:r><w:r><w:fldChar "
            "w:fldCharType=\"end\"/></w:r></w:p>",
            "Page 7"},
        TextCase{"nested_fields",
                 "<w:p><w:r><w:fldChar w:fldCharType=\"begin\"/><w:instrText>IF </w:instrText>"
                 "<w:fldChar w:fldCharType=\"begin\"/><w:instrText>PAGE</w:instrText><w:fldChar "
                 "w:fldCharType=\"separate\"/><w:t>inner</w:t><w:fldChar w:fldCharType=\"end\"/>"
                 "<w:fldChar w:fldCharType=\"separate\"/><w:t>outer</w:t><w:fldChar "
                 "w:fldCharType=\"end\"/><w:t>!</w:t></w:r></w:p>",
                 "outer!"},
        TextCase{"simple_field",
                 "<w:p><w:fldSimple w:instr=\"DATE\"><w:r><w:t>1.2.2020</w:t></"
                 "w:r></w:fldSimple></w:p>",
                 "1.2.2020"},
        TextCase{"tabs_breaks_symbols",
                 "<w:p><w:r><w:t>a</w:t><w:tab/><w:t>b</w:t><w:br/><w:t>c</w:t><w:cr/><w:t>d</"
                 "w:t><w:br w:type=\"page\"/><w:br w:type=\"column\"/><w:t>e</w:t><w:softHyphen/"
                 "><w:noBreakHyphen/><w:sym w:font=\"Symbol\" w:char=\"03A9\"/></w:r></w:p>",
                 "a\tb\nc\nde-\u03A9"},
        TextCase{"alternate_content_read_once",
                 "<w:p><mc:AlternateContent><mc:Choice Requires=\"w14\"><w:r><w:t>choice</w:t></"
                 "w:r></mc:Choice><mc:Fallback><w:r><w:t>fallback</w:t></w:r></mc:Fallback></"
                 "mc:AlternateContent></w:p>",
                 "choice"},
        TextCase{"drawings_and_notes_not_copied",
                 "<w:p><w:r><w:t>x</w:t><w:drawing><w:t>in drawing</w:t></w:drawing><w:pict><w:t>"
                 "in pict</w:t></w:pict><w:footnoteReference w:id=\"1\"/></w:r></w:p>",
                 "x"},
        TextCase{
            "ruby_base_only",
            "<w:p><w:r><w:ruby><w:rt><w:r><w:t>とう</w:t></w:r></w:rt><w:rubyBase><w:r><w:t>東</"
            "w:t></w:r></w:rubyBase></w:ruby></w:r></w:p>",
            "東"},
        TextCase{"empty_paragraph", "<w:p/>", ""}),
    [](const ::testing::TestParamInfo<TextCase>& param) { return std::string(param.param.name); });

TEST(DocxReaderText, StrictNamespaceIsRead) {
    const QByteArray xml =
        "<?xml version=\"1.0\"?><w:document "
        "xmlns:w=\"http://purl.oclc.org/ooxml/wordprocessingml/main\"><w:body><w:p><w:r><w:t>"
        "strict</w:t></w:r></w:p><w:tbl><w:tr><w:tc><w:p/></w:tc></w:tr></w:tbl></w:body></"
        "w:document>";
    const WordLoadResult result = DocxReader::readData(
        docxtest::zipParts({{QStringLiteral("_rels/.rels"), docxtest::packageRels()},
                            {QStringLiteral("word/document.xml"), xml}}));
    ASSERT_TRUE(result) << result.message.toStdString();
    ASSERT_EQ(result.document->blocks.size(), 2u);
    EXPECT_EQ(result.document->blocks[0].paragraph.text(), QStringLiteral("strict"));
    EXPECT_EQ(result.document->topLevelTables().size(), 1u);
}

TEST(DocxReaderText, MainPartFoundThroughRelationshipsNotByName) {
    const WordLoadResult result = DocxReader::readData(docxtest::zipParts(
        {{QStringLiteral("_rels/.rels"), docxtest::packageRels(QStringLiteral("/main/Body.xml"))},
         {QStringLiteral("main/body.xml"),
          docxtest::documentXml("<w:p><w:r><w:t>moved</w:t></w:r></w:p>")}}));
    ASSERT_TRUE(result) << result.message.toStdString();
    EXPECT_EQ(result.document->blocks.at(0).paragraph.text(), QStringLiteral("moved"));
}

TEST(DocxReaderText, ComplexFieldSpansRunsAndParagraphs) {
    const auto document = readBody(
        "<w:p><w:r><w:fldChar w:fldCharType=\"begin\"/></w:r><w:r><w:instrText>TOC</"
        "w:instrText></w:r><w:r><w:fldChar w:fldCharType=\"separate\"/></w:r><w:r><w:t>entry "
        "1</w:t></w:r></w:p><w:p><w:r><w:t>entry 2</w:t></w:r><w:r><w:fldChar "
        "w:fldCharType=\"end\"/></w:r></w:p><w:p><w:r><w:t>after</w:t></w:r></w:p>");
    ASSERT_EQ(document->blocks.size(), 3u);
    EXPECT_EQ(document->blocks[0].paragraph.text(), QStringLiteral("entry 1"));
    EXPECT_EQ(document->blocks[1].paragraph.text(), QStringLiteral("entry 2"));
    EXPECT_EQ(document->blocks[2].paragraph.text(), QStringLiteral("after"));
}

TEST(DocxReaderText, FieldsNestedPastTheLimitAreCountedAndTheirTextHidden) {
    // 64 fields open, each in its result; a 65th inside them is too deep to keep: its
    // instruction and result stay hidden, and its end closes it, not the 64th.
    const QByteArray begin = "<w:r><w:fldChar w:fldCharType=\"begin\"/></w:r>";
    const QByteArray separate = "<w:r><w:fldChar w:fldCharType=\"separate\"/></w:r>";
    const QByteArray end = "<w:r><w:fldChar w:fldCharType=\"end\"/></w:r>";
    const QByteArray open = (begin + separate).repeated(64);
    const QByteArray deep = begin + "<w:r><w:t>instruction</w:t></w:r>" + separate +
                            "<w:r><w:t>result</w:t></w:r>" + end;
    EXPECT_EQ(paragraphText("<w:p>" + open + deep + "<w:r><w:t>shown</w:t></w:r>" +
                            end.repeated(64) + "<w:r><w:t>!</w:t></w:r></w:p>"),
              QStringLiteral("shown!"));
}

TEST(DocxReaderText, BlockContentControlsAndCustomXmlAreUnwrapped) {
    const auto document = readBody(
        "<w:sdt><w:sdtPr/><w:sdtContent><w:p><w:r><w:t>one</w:t></w:r></w:p><w:tbl><w:tr><w:tc>"
        "<w:p><w:r><w:t>cell</w:t></w:r></w:p></w:tc></w:tr></w:tbl></w:sdtContent></w:sdt>"
        "<w:customXml><w:p><w:r><w:t>two</w:t></w:r></w:p></w:customXml>");
    ASSERT_EQ(document->blocks.size(), 3u);
    EXPECT_EQ(document->blocks[0].paragraph.text(), QStringLiteral("one"));
    EXPECT_EQ(document->blocks[1].kind, WordBlock::Kind::Table);
    EXPECT_EQ(document->blocks[2].paragraph.text(), QStringLiteral("two"));
    EXPECT_EQ(document->topLevelTables().size(), 1u);
}

// ---- Formatting ----------------------------------------------------------------------------

TEST(DocxReaderFormat, DirectFormattingOverStylesOverDefaults) {
    const QByteArray styles =
        "<w:docDefaults><w:rPrDefault><w:rPr><w:rFonts w:ascii=\"Calibri\" w:eastAsia=\"SimSun\"/>"
        "<w:sz w:val=\"22\"/></w:rPr></w:rPrDefault></w:docDefaults>"
        "<w:style w:type=\"paragraph\" w:default=\"1\" w:styleId=\"Normal\"><w:rPr><w:color "
        "w:val=\"112233\"/></w:rPr></w:style>"
        "<w:style w:type=\"paragraph\" w:styleId=\"Title\"><w:basedOn "
        "w:val=\"Normal\"/><w:pPr><w:jc "
        "w:val=\"center\"/></w:pPr><w:rPr><w:b/><w:sz w:val=\"40\"/></w:rPr></w:style>"
        "<w:style w:type=\"character\" w:styleId=\"Emph\"><w:rPr><w:i/><w:u w:val=\"double\"/></"
        "w:rPr></w:style>";
    const auto document = readBody(
        "<w:p><w:r><w:t>normal</w:t></w:r></w:p>"
        "<w:p><w:pPr><w:pStyle w:val=\"Title\"/></w:pPr><w:r><w:t>title</w:t></w:r><w:r><w:rPr>"
        "<w:rStyle w:val=\"Emph\"/><w:b w:val=\"0\"/><w:rFonts w:ascii=\"Arial\"/><w:strike/></"
        "w:rPr><w:t>emph</w:t></w:r></w:p>",
        styles);
    ASSERT_EQ(document->blocks.size(), 2u);
    const WordParagraph& normal = document->blocks[0].paragraph;
    ASSERT_EQ(normal.runs.size(), 1u);
    EXPECT_EQ(normal.runs[0].format.fontName, QStringLiteral("Calibri"));
    EXPECT_EQ(normal.runs[0].format.eastAsiaFontName, QStringLiteral("SimSun"));
    EXPECT_DOUBLE_EQ(normal.runs[0].format.fontSize, 11.0);
    EXPECT_EQ(normal.runs[0].format.color, 0x112233u);
    EXPECT_FALSE(normal.runs[0].format.bold);
    EXPECT_EQ(normal.alignment, WordParagraph::Alignment::Default);

    const WordParagraph& title = document->blocks[1].paragraph;
    ASSERT_EQ(title.runs.size(), 2u);
    EXPECT_EQ(title.alignment, WordParagraph::Alignment::Center);
    EXPECT_TRUE(title.runs[0].format.bold);
    EXPECT_DOUBLE_EQ(title.runs[0].format.fontSize, 20.0);
    EXPECT_EQ(title.runs[0].format.color, 0x112233u);
    const WordRunFormat& emph = title.runs[1].format;
    EXPECT_FALSE(emph.bold);
    EXPECT_TRUE(emph.italic);
    EXPECT_TRUE(emph.strike);
    EXPECT_EQ(emph.underline, WordRunFormat::Underline::Double);
    EXPECT_EQ(emph.fontName, QStringLiteral("Arial"));
}

TEST(DocxReaderFormat, ThemeFontsResolve) {
    const QByteArray rels =
        "<?xml version=\"1.0\"?><Relationships "
        "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
        "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
        "relationships/styles\" Target=\"styles.xml\"/><Relationship Id=\"rId2\" "
        "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/theme\" "
        "Target=\"theme/theme1.xml\"/></Relationships>";
    const QByteArray styles =
        QByteArray("<?xml version=\"1.0\"?><w:styles xmlns:w=\"") + docxtest::kW +
        "\"><w:docDefaults><w:rPrDefault><w:rPr><w:rFonts w:asciiTheme=\"minorHAnsi\" "
        "w:eastAsiaTheme=\"minorEastAsia\"/></w:rPr></w:rPrDefault></w:docDefaults></w:styles>";
    const QByteArray theme =
        "<?xml version=\"1.0\"?><a:theme "
        "xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\"><a:themeElements>"
        "<a:fontScheme><a:majorFont><a:latin typeface=\"Cambria\"/><a:ea typeface=\"\"/></"
        "a:majorFont><a:minorFont><a:latin typeface=\"Calibri\"/><a:ea "
        "typeface=\"MS Mincho\"/></a:minorFont></a:fontScheme></a:themeElements></a:theme>";
    const WordLoadResult result = DocxReader::readData(docxtest::zipParts(
        {{QStringLiteral("_rels/.rels"), docxtest::packageRels()},
         {QStringLiteral("word/document.xml"),
          docxtest::documentXml("<w:p><w:r><w:t>x</w:t></w:r></w:p><w:p><w:r><w:rPr><w:rFonts "
                                "w:asciiTheme=\"majorHAnsi\"/></w:rPr><w:t>y</w:t></w:r></w:p>")},
         {QStringLiteral("word/_rels/document.xml.rels"), rels},
         {QStringLiteral("word/styles.xml"), styles},
         {QStringLiteral("word/theme/theme1.xml"), theme}}));
    ASSERT_TRUE(result) << result.message.toStdString();
    ASSERT_EQ(result.document->blocks.size(), 2u);
    const WordRunFormat& minor = result.document->blocks[0].paragraph.runs.at(0).format;
    EXPECT_EQ(minor.fontName, QStringLiteral("Calibri"));
    EXPECT_EQ(minor.eastAsiaFontName, QStringLiteral("MS Mincho"));
    EXPECT_EQ(result.document->blocks[1].paragraph.runs.at(0).format.fontName,
              QStringLiteral("Cambria"));
}

TEST(DocxReaderFormat, StyleLoopsAreCut) {
    const QByteArray styles =
        "<w:style w:type=\"paragraph\" w:styleId=\"A\"><w:basedOn w:val=\"B\"/><w:rPr><w:b/></"
        "w:rPr></w:style><w:style w:type=\"paragraph\" w:styleId=\"B\"><w:basedOn w:val=\"A\"/></"
        "w:style>";
    const auto document = readBody(
        "<w:p><w:pPr><w:pStyle w:val=\"A\"/></w:pPr><w:r><w:t>x</w:t></w:r></w:p>", styles);
    ASSERT_EQ(document->blocks.size(), 1u);
    EXPECT_TRUE(document->blocks[0].paragraph.runs.at(0).format.bold);
}

TEST(DocxReaderFormat, FixtureFromPythonDocx) {
    const WordLoadResult result =
        DocxReader::readFile(QStringLiteral("tests/data/word/formatting.docx"));
    ASSERT_TRUE(result) << result.message.toStdString();
    const auto& blocks = result.document->blocks;
    ASSERT_EQ(blocks.size(), 6u);
    EXPECT_EQ(blocks[0].paragraph.text(), QStringLiteral("Bold and plain"));
    EXPECT_TRUE(blocks[0].paragraph.runs.at(0).format.bold);
    EXPECT_FALSE(blocks[0].paragraph.runs.at(1).format.bold);
    const WordRunFormat& red = blocks[1].paragraph.runs.at(0).format;
    EXPECT_TRUE(red.italic);
    EXPECT_EQ(red.fontName, QStringLiteral("Arial"));
    EXPECT_DOUBLE_EQ(red.fontSize, 14.0);
    EXPECT_EQ(red.color, 0xFF0000u);
    EXPECT_EQ(blocks[1].paragraph.alignment, WordParagraph::Alignment::Center);
    EXPECT_EQ(blocks[2].paragraph.runs.at(0).format.underline, WordRunFormat::Underline::Single);
    EXPECT_TRUE(blocks[2].paragraph.runs.at(0).format.strike);
    EXPECT_EQ(blocks[2].paragraph.alignment, WordParagraph::Alignment::Right);
    EXPECT_EQ(blocks[3].paragraph.text(), QString());
    EXPECT_EQ(blocks[4].paragraph.text(),
              QStringLiteral("before tab\tafter tabline one\nline twoafter page break"));
    // The default template's heading style is bold, from styles.xml.
    EXPECT_EQ(blocks[5].paragraph.text(), QStringLiteral("Heading text"));
    EXPECT_TRUE(blocks[5].paragraph.runs.at(0).format.bold);
}

// ---- Tables --------------------------------------------------------------------------------

TEST(DocxReaderTable, GridSpansMergesAndProperties) {
    const auto document = readBody(
        "<w:tbl><w:tblPr><w:tblBorders><w:top w:val=\"single\" w:sz=\"4\" w:color=\"FF0000\"/>"
        "<w:insideH w:val=\"double\"/></w:tblBorders></w:tblPr><w:tblGrid><w:gridCol w:w=\"1000\"/>"
        "<w:gridCol w:w=\"2000\"/><w:gridCol w:w=\"3000\"/></w:tblGrid>"
        "<w:tr><w:trPr><w:gridBefore w:val=\"1\"/><w:trHeight w:val=\"400\" "
        "w:hRule=\"exact\"/></w:trPr><w:tc><w:tcPr><w:gridSpan w:val=\"2\"/><w:vMerge "
        "w:val=\"restart\"/><w:shd w:val=\"clear\" w:fill=\"00FF00\"/><w:vAlign "
        "w:val=\"center\"/><w:tcBorders><w:left w:val=\"nil\"/></w:tcBorders></w:tcPr><w:p/></"
        "w:tc></w:tr>"
        "<w:tr><w:trPr><w:gridBefore w:val=\"1\"/></w:trPr><w:tc><w:tcPr><w:gridSpan "
        "w:val=\"2\"/><w:vMerge/></w:tcPr><w:p/></w:tc></w:tr></w:tbl>");
    const auto tables = document->topLevelTables();
    ASSERT_EQ(tables.size(), 1u);
    const WordTable& table = *tables[0];
    EXPECT_EQ(table.gridColumnTwips, (std::vector<int>{1000, 2000, 3000}));
    EXPECT_EQ(table.gridColumnCount(), 3);
    EXPECT_TRUE(table.borders.top.set);
    EXPECT_EQ(table.borders.top.line.style, BorderLine::Thin);
    EXPECT_EQ(table.borders.top.line.color, 0xFF0000u);
    EXPECT_EQ(table.borders.insideHorizontal.line.style, BorderLine::Double);
    EXPECT_FALSE(table.borders.left.set);
    ASSERT_EQ(table.rows.size(), 2u);
    const WordRow& first = table.rows[0];
    EXPECT_EQ(first.gridBefore, 1);
    EXPECT_EQ(first.heightTwips, 400);
    EXPECT_EQ(first.heightRule, WordRow::HeightRule::Exact);
    const WordCell& cell = first.cells.at(0);
    EXPECT_EQ(cell.gridSpan, 2);
    EXPECT_EQ(cell.verticalMerge, WordCell::VerticalMerge::Restart);
    EXPECT_EQ(cell.shading, 0x00FF00u);
    EXPECT_EQ(cell.verticalAlignment, WordCell::VerticalAlignment::Center);
    EXPECT_TRUE(cell.borders.left.set);
    EXPECT_EQ(cell.borders.left.line.style, BorderLine::None);
    EXPECT_EQ(table.rows[1].cells.at(0).verticalMerge, WordCell::VerticalMerge::Continue);
}

TEST(DocxReaderTable, CellWidthsSpansAndMergesInEverySpelling) {
    // Plain numbers take the quick path; units, signs and spaces the general one.
    const auto document = readBody(
        "<w:tbl><w:tblGrid><w:gridCol w:w=\"1000\"/><w:gridCol w:w=\"1in\"/><w:gridCol "
        "w:w=\"x\"/></w:tblGrid><w:tr>"
        "<w:tc><w:tcPr><w:tcW w:w=\"864\"/><w:gridSpan w:val=\" 2\"/></w:tcPr><w:p/></w:tc>"
        "<w:tc><w:tcPr><w:tcW w:w=\"50\" w:type=\"pct\"/><w:hMerge "
        "w:val=\"restart\"/></w:tcPr><w:p/></w:tc>"
        "<w:tc><w:tcPr><w:tcW w:w=\"1cm\" w:type=\"dxa\"/><w:gridSpan "
        "w:val=\"abc\"/><w:vAlign w:val=\"bottom\"/></w:tcPr><w:p/></w:tc>"
        "<w:tc><w:tcPr><w:tcW w:w=\"720\" w:type=\"d&#120;a\"/><w:vMerge "
        "w:val=\"continue\"/><w:gridSpan w:val=\"99999999999\"/></w:tcPr><w:p/></w:tc>"
        "</w:tr></w:tbl>");
    const auto tables = document->topLevelTables();
    ASSERT_EQ(tables.size(), 1u);
    EXPECT_EQ(tables[0]->gridColumnTwips, (std::vector<int>{1000, 1440, -1}));
    const std::vector<WordCell>& cells = tables[0]->rows.at(0).cells;
    ASSERT_EQ(cells.size(), 4u);
    EXPECT_EQ(cells[0].widthTwips, 864);
    EXPECT_EQ(cells[0].gridSpan, 2);
    EXPECT_EQ(cells[1].widthTwips, -1);  // a percentage is no width in twips
    EXPECT_EQ(cells[1].gridSpan, 1);     // hMerge restart starts a merge, widens nothing
    EXPECT_EQ(cells[2].widthTwips, 566);
    EXPECT_EQ(cells[2].gridSpan, 1);
    EXPECT_EQ(cells[2].verticalAlignment, WordCell::VerticalAlignment::Bottom);
    EXPECT_EQ(cells[3].widthTwips, 720);
    EXPECT_EQ(cells[3].verticalMerge, WordCell::VerticalMerge::Continue);
    EXPECT_EQ(cells[3].gridSpan, 1);  // not a number that fits
}

TEST(DocxReaderTable, NestedTableStaysInItsCell) {
    const auto document = readBody(
        "<w:tbl><w:tr><w:tc><w:p><w:r><w:t>top</w:t></w:r></w:p><w:tbl><w:tr><w:tc><w:p><w:r>"
        "<w:t>a</w:t></w:r></w:p></w:tc><w:tc><w:p><w:r><w:t>b</w:t></w:r></w:p></w:tc></w:tr>"
        "<w:tr><w:tc><w:p><w:r><w:t>c</w:t></w:r></w:p></w:tc></w:tr></w:tbl><w:p/><w:p/></"
        "w:tc></w:tr></w:tbl>");
    const auto tables = document->topLevelTables();
    ASSERT_EQ(tables.size(), 1u);
    const WordCell& cell = tables[0]->rows.at(0).cells.at(0);
    ASSERT_EQ(cell.blocks.size(), 4u);
    EXPECT_EQ(cell.blocks[1].kind, WordBlock::Kind::Table);
    // Paragraphs joined by line feeds, the nested table one line per row, trailing feeds
    // dropped.
    EXPECT_EQ(cell.text(), QStringLiteral("top\na\tb\nc"));
}

TEST(DocxReaderTable, StyleBordersAndShadingApplyUnderDirectOnes) {
    const QByteArray styles =
        "<w:style w:type=\"table\" w:default=\"1\" w:styleId=\"TableNormal\"/>"
        "<w:style w:type=\"table\" w:styleId=\"Grid\"><w:tblPr><w:tblBorders><w:top "
        "w:val=\"single\" w:sz=\"12\"/><w:bottom w:val=\"single\" w:sz=\"4\"/></w:tblBorders></"
        "w:tblPr><w:tcPr><w:shd w:val=\"clear\" w:fill=\"CCCCCC\"/></w:tcPr></w:style>";
    const auto document = readBody(
        "<w:tbl><w:tblPr><w:tblStyle w:val=\"Grid\"/><w:tblBorders><w:bottom w:val=\"thick\"/></"
        "w:tblBorders></w:tblPr><w:tr><w:tc><w:p/></w:tc><w:tc><w:tcPr><w:shd w:val=\"clear\" "
        "w:fill=\"auto\"/></w:tcPr><w:p/></w:tc></w:tr></w:tbl>",
        styles);
    const WordTable& table = *document->topLevelTables().at(0);
    EXPECT_EQ(table.borders.top.line.style, BorderLine::Medium);
    EXPECT_EQ(table.borders.bottom.line.style, BorderLine::Thick);
    EXPECT_EQ(table.rows.at(0).cells.at(0).shading, 0xCCCCCCu);
    EXPECT_EQ(table.rows.at(0).cells.at(1).shading, kAutoColor);
}

TEST(DocxReaderTable, LegacyHorizontalMergeWidensThePreviousCell) {
    const auto document = readBody(
        "<w:tbl><w:tr><w:tc><w:tcPr><w:hMerge w:val=\"restart\"/></w:tcPr><w:p><w:r><w:t>a</w:t>"
        "</w:r></w:p></w:tc><w:tc><w:tcPr><w:hMerge/></w:tcPr><w:p><w:r><w:t>b</w:t></w:r></w:p>"
        "</w:tc></w:tr></w:tbl>");
    const WordRow& row = document->topLevelTables().at(0)->rows.at(0);
    ASSERT_EQ(row.cells.size(), 1u);
    EXPECT_EQ(row.cells[0].gridSpan, 2);
    EXPECT_EQ(row.cells[0].text(), QStringLiteral("a\nb"));
}

TEST(DocxReaderTable, RowsAndCellsInsideContentControlsAndCustomXml) {
    const auto document = readBody(
        "<w:tbl><w:sdt><w:sdtPr/><w:sdtContent><w:tr><w:customXml><w:tc><w:p><w:r><w:t>a</w:t>"
        "</w:r></w:p></w:tc></w:customXml><w:sdt><w:sdtContent><w:tc><w:p><w:r><w:t>b</w:t></w:r>"
        "</w:p></w:tc></w:sdtContent></w:sdt></w:tr></w:sdtContent></w:sdt><w:bookmarkStart/>"
        "<w:tr><w:tc><w:p><w:r><w:t>c</w:t></w:r></w:p></w:tc></w:tr></w:tbl>");
    const WordTable& table = *document->topLevelTables().at(0);
    ASSERT_EQ(table.rows.size(), 2u);
    ASSERT_EQ(table.rows[0].cells.size(), 2u);
    EXPECT_EQ(table.rows[0].cells[0].text(), QStringLiteral("a"));
    EXPECT_EQ(table.rows[0].cells[1].text(), QStringLiteral("b"));
    EXPECT_EQ(table.rows[1].cells.at(0).text(), QStringLiteral("c"));
}

// ---- Bad input -----------------------------------------------------------------------------

TEST(DocxReaderBadInput, NotAZip) {
    const WordLoadResult result = DocxReader::readData("This is not a docx file at all");
    EXPECT_FALSE(result);
    EXPECT_EQ(result.status, WordLoadResult::Status::Malformed);
    EXPECT_FALSE(result.message.isEmpty());
}

TEST(DocxReaderBadInput, ZipWithoutMainDocument) {
    const WordLoadResult result =
        DocxReader::readData(docxtest::zipParts({{QStringLiteral("hello.txt"), QByteArray("hi")}}));
    EXPECT_EQ(result.status, WordLoadResult::Status::WrongFormat);
}

TEST(DocxReaderBadInput, MainPartThatIsNotWordprocessingMl) {
    const WordLoadResult result = DocxReader::readData(docxtest::zipParts(
        {{QStringLiteral("_rels/.rels"), docxtest::packageRels(QStringLiteral("xl/workbook.xml"))},
         {QStringLiteral("xl/workbook.xml"),
          "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"/>"}}));
    EXPECT_EQ(result.status, WordLoadResult::Status::WrongFormat);
}

TEST(DocxReaderBadInput, TruncatedXmlIsMalformed) {
    QByteArray document = docxtest::documentXml("<w:p><w:r><w:t>cut");
    document.chop(30);
    const WordLoadResult result = DocxReader::readData(
        docxtest::zipParts({{QStringLiteral("_rels/.rels"), docxtest::packageRels()},
                            {QStringLiteral("word/document.xml"), document}}));
    EXPECT_EQ(result.status, WordLoadResult::Status::Malformed);
    EXPECT_TRUE(result.message.contains(QStringLiteral("document.xml")));
}

TEST(DocxReaderBadInput, TruncatedArchiveDoesNotOpen) {
    const QByteArray whole = package("<w:p><w:r><w:t>text</w:t></w:r></w:p>");
    for (int keep : {10, whole.size() / 2, whole.size() - 10}) {
        const WordLoadResult result = DocxReader::readData(whole.left(keep));
        EXPECT_FALSE(result) << "kept " << keep << " bytes";
    }
}

TEST(DocxReaderBadInput, PartLargerThanTheLimit) {
    WordReadLimits limits;
    limits.maxPartBytes = 1000;
    const WordLoadResult result = DocxReader::readData(
        package(QByteArray("<w:p><w:r><w:t>") + QByteArray(5000, 'x') + "</w:t></w:r></w:p>"),
        limits);
    EXPECT_EQ(result.status, WordLoadResult::Status::TooLarge);
}

TEST(DocxReaderBadInput, ArchiveBombRatio) {
    WordReadLimits limits;
    limits.ratioCheckBytes = 64 * 1024;
    limits.maxExpansionRatio = 50;
    // 1 MiB of one repeated character deflates about a thousandfold.
    const QByteArray filler(1 << 20, 'a');
    const WordLoadResult result = DocxReader::readData(
        package(QByteArray("<w:p><w:r><w:t>") + filler + "</w:t></w:r></w:p>"), limits);
    EXPECT_EQ(result.status, WordLoadResult::Status::TooLarge);
}

TEST(DocxReaderBadInput, DeepNestingStops) {
    QByteArray body;
    for (int i = 0; i < 400; ++i) {
        body += "<w:hyperlink>";
    }
    body = "<w:p>" + body;
    for (int i = 0; i < 400; ++i) {
        body += "</w:hyperlink>";
    }
    body += "</w:p>";
    EXPECT_EQ(DocxReader::readData(package(body)).status, WordLoadResult::Status::TooLarge);

    QByteArray tables;
    for (int i = 0; i < 40; ++i) {
        tables += "<w:tbl><w:tr><w:tc>";
    }
    tables += "<w:p/>";
    for (int i = 0; i < 40; ++i) {
        tables += "</w:tc></w:tr></w:tbl>";
    }
    EXPECT_EQ(DocxReader::readData(package(tables)).status, WordLoadResult::Status::TooLarge);
}

TEST(DocxReaderBadInput, HugeGridSpansAndRowCountsAreBounded) {
    WordReadLimits limits;
    limits.maxTableRows = 3;
    const QByteArray rows =
        "<w:tbl><w:tr><w:tc><w:p/></w:tc></w:tr><w:tr><w:tc><w:p/></w:tc></"
        "w:tr><w:tr><w:tc><w:p/></w:tc></w:tr><w:tr><w:tc><w:p/></w:tc></"
        "w:tr></w:tbl>";
    EXPECT_EQ(DocxReader::readData(package(rows), limits).status, WordLoadResult::Status::TooLarge);

    const auto document = readBody(
        "<w:tbl><w:tr><w:tc><w:tcPr><w:gridSpan w:val=\"2147483647\"/></w:tcPr><w:p/></w:tc></"
        "w:tr></w:tbl>");
    ASSERT_EQ(document->topLevelTables().size(), 1u);
    EXPECT_LE(document->topLevelTables()[0]->gridColumnCount(), WordReadLimits().maxGridColumns);
}

TEST(DocxReaderBadInput, ExternalEntitiesAreNeverResolved) {
    const QByteArray xml =
        QByteArray(
            "<?xml version=\"1.0\"?><!DOCTYPE w:document [<!ENTITY ext SYSTEM "
            "\"file:///etc/hostname\">]><w:document xmlns:w=\"") +
        docxtest::kW + "\"><w:body><w:p><w:r><w:t>a&ext;b</w:t></w:r></w:p></w:body></w:document>";
    const WordLoadResult result = DocxReader::readData(
        docxtest::zipParts({{QStringLiteral("_rels/.rels"), docxtest::packageRels()},
                            {QStringLiteral("word/document.xml"), xml}}));
    if (result) {
        EXPECT_EQ(result.document->blocks.at(0).paragraph.text(), QStringLiteral("ab"));
    } else {
        EXPECT_EQ(result.status, WordLoadResult::Status::Malformed);
    }
}

TEST(DocxReaderHostile, TwoEntriesOfOneNameMakeThePackageUnreadable) {
    const struct {
        const char* name;
        QString second;
        bool opens;
    } rows[] = {
        {"distinct names", QStringLiteral("word/other.xml"), true},
        {"same name", QStringLiteral("word/document.xml"), false},
        {"same name in other case", QStringLiteral("WORD/Document.xml"), false},
    };
    for (const auto& row : rows) {
        const WordLoadResult result = DocxReader::readData(docxtest::zipParts(
            {{QStringLiteral("_rels/.rels"), docxtest::packageRels()},
             {QStringLiteral("word/document.xml"),
              docxtest::documentXml("<w:p><w:r><w:t>one</w:t></w:r></w:p>")},
             {row.second, docxtest::documentXml("<w:p><w:r><w:t>two</w:t></w:r></w:p>")}}));
        EXPECT_EQ(static_cast<bool>(result), row.opens) << row.name;
    }
}

// ---- Parsed styles shared between documents ------------------------------------------------

// Styles parts of one size that differ only in a colour: the cache must tell them apart by
// their CRC-32, and give each document its own styles on every read, in any order.
TEST(DocxReaderStylesCache, SameSizeDifferentStylesAreNotConfused) {
    const auto stylesWithColour = [](const char* colour) {
        return QByteArray(
                   "<w:style w:type=\"paragraph\" w:default=\"1\" w:styleId=\"Normal\">"
                   "<w:rPr><w:color w:val=\"") +
               colour + "\"/></w:rPr></w:style>";
    };
    const QByteArray body = "<w:p><w:r><w:t>x</w:t></w:r></w:p>";
    const struct {
        const char* name;
        const char* colour;
        std::uint32_t expected;
    } rows[] = {{"red", "FF0000", 0xFF0000u},
                {"green", "00FF00", 0x00FF00u},
                {"red again", "FF0000", 0xFF0000u},
                {"blue", "0000FF", 0x0000FFu},
                {"green again", "00FF00", 0x00FF00u}};
    for (const auto& row : rows) {
        const auto document = readBody(body, stylesWithColour(row.colour));
        ASSERT_EQ(document->blocks.size(), 1u) << row.name;
        ASSERT_EQ(document->blocks[0].paragraph.runs.size(), 1u) << row.name;
        EXPECT_EQ(document->blocks[0].paragraph.runs[0].format.color, row.expected) << row.name;
    }
}

TEST(DocxReaderStylesCache, KeepsAtMostItsCapacityOldestLeavingFirst) {
    DocxStylesCache cache(2);
    const auto keyOf = [](quint32 crc) {
        DocxStylesCache::Key key;
        key.stylesPart = QStringLiteral("word/styles.xml");
        key.styles = OpcPackage::PartStamp{crc, 100};
        return key;
    };
    for (quint32 crc = 1; crc <= 3; ++crc) {
        cache.insert(keyOf(crc), std::make_shared<DocxStyles>());
    }
    EXPECT_EQ(cache.find(keyOf(1)), nullptr);
    EXPECT_NE(cache.find(keyOf(2)), nullptr);
    EXPECT_NE(cache.find(keyOf(3)), nullptr);
    DocxStylesCache::Key otherSize = keyOf(3);
    otherSize.styles->size = 101;
    EXPECT_EQ(cache.find(otherSize), nullptr);
}
