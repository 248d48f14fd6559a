// The web-page reader on hand-written pages as Word and as web systems write them.

#include "office/word/html/htmlreader.h"
#include "office/word/html/htmlencoding.h"
#include "office/word/html/htmlwordmarkup.h"
#include "office/word/html/mhtmlreader.h"

#include <gtest/gtest.h>

#include <QTextCodec>

namespace {

/* Read a page and return the document (failing the test when it does not open). */
std::shared_ptr<WordDocument> readPage(const QByteArray& html, const QByteArray& charset = {}) {
    WordLoadResult result = HtmlReader::readData(html, WordReadLimits(), charset);
    EXPECT_TRUE(result) << result.message.toStdString();
    return result.document ? result.document : std::make_shared<WordDocument>();
}

/* The story as text: paragraphs by "|", a table as "[cells ; by rows]". */
QString storyText(const std::vector<WordBlock>& blocks) {
    QStringList parts;
    for (const WordBlock& block : blocks) {
        if (block.kind == WordBlock::Kind::Paragraph) {
            parts << block.paragraph.text();
            continue;
        }
        QStringList rows;
        for (const WordRow& row : block.table->rows) {
            QStringList cells;
            for (const WordCell& cell : row.cells) {
                QString text = storyText(cell.blocks);
                if (cell.gridSpan > 1) {
                    text += QStringLiteral("<%1").arg(cell.gridSpan);
                }
                if (cell.verticalMerge == WordCell::VerticalMerge::Restart) {
                    text += QStringLiteral("^");
                } else if (cell.verticalMerge == WordCell::VerticalMerge::Continue) {
                    text += QStringLiteral("~");
                }
                cells << text;
            }
            rows << cells.join(QLatin1Char(','));
        }
        parts << QLatin1Char('[') + rows.join(QLatin1Char(';')) + QLatin1Char(']');
    }
    return parts.join(QLatin1Char('|'));
}

struct PageCase {
    const char* name;
    const char* html;
    const char* story;
};

class HtmlStoryTest : public ::testing::TestWithParam<PageCase> {};

TEST_P(HtmlStoryTest, ReadsAsWordShowsIt) {
    const auto document = readPage(QByteArray(GetParam().html));
    EXPECT_EQ(storyText(document->blocks), QString::fromUtf8(GetParam().story));
}

INSTANTIATE_TEST_SUITE_P(
    Html, HtmlStoryTest,
    ::testing::Values(
        PageCase{"paragraphs_collapse_white_space",
                 "<html><body><p>  one\n  two </p><div>three</div>four<h1>five</h1></body></html>",
                 "one two|three|four|five"},
        PageCase{"line_breaks_and_preformatted",
                 "<p>a<br>b<br></p><pre>x  y\nz</pre><ul><li>i1</li><li>i2</ul>",
                 "a\nb|x  y\nz|i1|i2"},
        PageCase{"head_script_style_comments_hidden_left_out",
                 "<head><title>T</title><style>p{}</style></head><body><script>var a;</script>"
                 "<!-- note --><p>shown</p><p style='display:none'>hidden</p></body>",
                 "shown"},
        PageCase{"word_conditional_blocks_and_paragraph_marks",
                 "<p class=MsoListParagraph><![if !supportLists]><span>1.<span>&nbsp; </span>"
                 "</span><![endif]>item<o:p></o:p></p><p class=MsoNormal><o:p>&nbsp;</o:p></p>"
                 "<!--[if gte mso 9]><xml><w:WordDocument>x</w:WordDocument></xml><![endif]-->",
                 "item|"},
        PageCase{"unclosed_paragraph_marks_left_out",
                 "<p>a<o:p>b</p><p>c</o:p>d<o:p x>e<o:p></p><p>f<o:p>&nbsp;</o:p></p>", "a|cd|f"},
        PageCase{"empty_cells_held_open_by_nbsp", "<table><tr><td>&nbsp;</td><td>a</td></table>",
                 "[,a]"},
        PageCase{"colspan_and_rowspan_on_the_grid",
                 "<table><tr><td rowspan=2>A</td><td colspan=2>B</td></tr>"
                 "<tr><td>C</td><td rowspan=2>D</td></tr><tr><td>E</td><td>F</td></tr></table>",
                 "[A^,B<2;~,C,D^;E,F,~]"},
        PageCase{"rowspan_at_the_row_end_and_past_the_table",
                 "<table><tr><td>a</td><td rowspan=5>b</td></tr><tr><td>c</td></tr></table>",
                 "[a,b^;c,~]"},
        PageCase{"nested_tables_and_breaks_in_cells",
                 "<table><tr><td>x<br>y<table><tr><td>n1</td><td>n2</td></tr></table>z</td>"
                 "</tr></table>",
                 "[x\ny|[n1,n2]|z]"},
        PageCase{"row_groups_in_document_order",
                 "<table><thead><tr><th>h</th></tr></thead><tbody><tr><td>b</td></tr></tbody>"
                 "<tfoot><tr><td>f</td></tr></tfoot></table>",
                 "[h;b;f]"},
        PageCase{"caption_before_the_table", "<table><caption>Cap</caption><tr><td>c</td></table>",
                 "Cap|[c]"},
        PageCase{"headers_and_footers_outside_the_story",
                 "<div title=\"header\"><p>H</p></div><div style='mso-element:footer'>F</div>"
                 "<p>body</p>",
                 "body"}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(HtmlFormatTest, TagsStyleRulesAndInlineStylesGiveRunFormats) {
    const auto document = readPage(
        "<style><!-- p.MsoNormal {font-family:\"Arial\",sans-serif; font-size:10.5pt}\n"
        ".red {color:#FF0000} @page Section1 {size:8.5in 11in} --></style>"
        "<p class=MsoNormal><b>B</b><i>I</i><u>U</u><s>S</s><span class=red>R</span>"
        "<span style='font-size:16px;font-weight:700;mso-bidi-font-size:20pt'>P</span>"
        "<font face='SimSun' size=5 color=blue>F</font><span style='font-size:2em'>E</span></p>");
    ASSERT_EQ(document->blocks.size(), 1u);
    const std::vector<WordRun>& runs = document->blocks[0].paragraph.runs;
    ASSERT_EQ(runs.size(), 8u);
    EXPECT_TRUE(runs[0].format.bold);
    EXPECT_TRUE(runs[1].format.italic);
    EXPECT_EQ(runs[2].format.underline, WordRunFormat::Underline::Single);
    EXPECT_TRUE(runs[3].format.strike);
    EXPECT_EQ(runs[4].format.color, 0xFF0000u);
    EXPECT_EQ(runs[4].format.fontName, QStringLiteral("Arial"));
    EXPECT_DOUBLE_EQ(runs[4].format.fontSize, 10.5);
    EXPECT_DOUBLE_EQ(runs[5].format.fontSize, 12.0);
    EXPECT_TRUE(runs[5].format.bold);
    EXPECT_EQ(runs[6].format.fontName, QStringLiteral("SimSun"));
    EXPECT_DOUBLE_EQ(runs[6].format.fontSize, 18.0);
    EXPECT_EQ(runs[6].format.color, 0x0000FFu);
    EXPECT_DOUBLE_EQ(runs[7].format.fontSize, 21.0);
}

TEST(HtmlFormatTest, CellsTakeFillBordersAlignmentAndWidth) {
    const auto document = readPage(
        "<style>td.xl65 {background:#FFFF00; border-top:.5pt solid windowtext}</style>"
        "<table border=1 bgcolor=silver><col width=96><tr valign=top>"
        "<td class=xl65 align=right>a</td>"
        "<td style='background-color:rgb(0,128,0);border:double 3px #00f;vertical-align:bottom;"
        "width:2in'>b</td><td>c</td></tr></table>");
    ASSERT_EQ(document->blocks.size(), 1u);
    const WordTable& table = *document->blocks[0].table;
    ASSERT_EQ(table.rows.size(), 1u);
    ASSERT_EQ(table.rows[0].cells.size(), 3u);
    const WordCell& a = table.rows[0].cells[0];
    const WordCell& b = table.rows[0].cells[1];
    const WordCell& c = table.rows[0].cells[2];
    EXPECT_EQ(table.gridColumnTwips, std::vector<int>{1440});
    EXPECT_TRUE(table.borders.insideHorizontal.set);
    EXPECT_EQ(a.shading, 0xFFFF00u);
    EXPECT_EQ(a.borders.top.line.style, BorderLine::Thin);
    EXPECT_FALSE(a.borders.left.set);
    EXPECT_EQ(a.verticalAlignment, WordCell::VerticalAlignment::Top);
    EXPECT_EQ(a.blocks[0].paragraph.alignment, WordParagraph::Alignment::Right);
    EXPECT_EQ(b.shading, 0x008000u);
    EXPECT_EQ(b.borders.left.line.style, BorderLine::Double);
    EXPECT_EQ(b.borders.left.line.color, 0x0000FFu);
    EXPECT_EQ(b.verticalAlignment, WordCell::VerticalAlignment::Bottom);
    EXPECT_EQ(b.widthTwips, 2880);
    EXPECT_EQ(c.shading, 0xC0C0C0u);
}

// ---- Encoding ------------------------------------------------------------------------------

struct EncodingCase {
    const char* name;
    QByteArray bytes;
    QByteArray transport;
    const char* chosen;
};

class HtmlEncodingTest : public ::testing::TestWithParam<EncodingCase> {};

TEST_P(HtmlEncodingTest, DecodesTheChineseText) {
    const EncodingCase& c = GetParam();
    const HtmlEncoding::Decoded decoded = HtmlEncoding::toUtf8(c.bytes, c.transport);
    EXPECT_EQ(decoded.encoding, QByteArray(c.chosen));
    EXPECT_TRUE(QString::fromUtf8(decoded.utf8).contains(QStringLiteral("中文表格")))
        << decoded.utf8.toStdString();
}

/* Text in GBK. */
QByteArray gbk(const char* utf8) {
    return QTextCodec::codecForName("GBK")->fromUnicode(QString::fromUtf8(utf8));
}

INSTANTIATE_TEST_SUITE_P(
    Html, HtmlEncodingTest,
    ::testing::Values(
        EncodingCase{"gbk_without_meta", gbk("<p>中文表格</p>"), {}, "gb18030"},
        EncodingCase{"utf8_without_meta", QByteArray("<p>中文表格</p>"), {}, "utf-8"},
        EncodingCase{"meta_gb2312", gbk("<meta charset=gb2312><p>中文表格</p>"), {}, "gb18030"},
        EncodingCase{"http_equiv_content_type",
                     gbk("<meta http-equiv=Content-Type content='text/html; charset=gbk'>中文表格"),
                     {},
                     "gb18030"},
        EncodingCase{"bom_wins_over_a_lying_meta",
                     QByteArray("\xEF\xBB\xBF<meta charset=gbk><p>中文表格</p>"),
                     {},
                     "utf-8"},
        EncodingCase{"utf16_bom",
                     QByteArray("\xFF\xFE") +
                         QByteArray(reinterpret_cast<const char*>(u"<p>中文表格</p>"), 22),
                     {},
                     "utf-16le"},
        EncodingCase{"transport_charset_over_meta", gbk("<meta charset=utf-8>中文表格"), "gbk",
                     "gb18030"}),
    [](const auto& row) { return std::string(row.param.name); });

// ---- Web archives --------------------------------------------------------------------------

TEST(MhtmlTest, RootPartDecodedWithItsCharset) {
    const QByteArray archive =
        "MIME-Version: 1.0\r\nContent-Type: multipart/related;\r\n\tboundary=\"b1\"; "
        "start=\"<root>\"\r\n\r\n--b1\r\nContent-Type: image/png\r\n"
        "Content-Transfer-Encoding: base64\r\n\r\niVBORw0KGgo=\r\n--b1\r\nContent-ID: <root>\r\n"
        "Content-Type: text/html; charset=\"gb2312\"\r\nContent-Transfer-Encoding: "
        "quoted-printable\r\n\r\n<table><tr><td class=3D\"x\">=D6=D0=CE=C4</td><td>long =\r\n"
        "line</td></tr></table>\r\n--b1--\r\n";
    const WordLoadResult result = MhtmlReader::readData(archive);
    ASSERT_TRUE(result) << result.message.toStdString();
    EXPECT_EQ(storyText(result.document->blocks), QStringLiteral("[中文,long line]"));
}

TEST(MhtmlTest, Base64PageAndArchiveWithoutPage) {
    const QByteArray page = QByteArray("<p>caf\xC3\xA9</p>").toBase64();
    const WordLoadResult result = MhtmlReader::readData(
        "Content-Type: multipart/related; boundary=x\n\n--x\nContent-Type: text/html\n"
        "Content-Transfer-Encoding: base64\n\n" +
        page + "\n--x--\n");
    ASSERT_TRUE(result) << result.message.toStdString();
    EXPECT_EQ(storyText(result.document->blocks), QStringLiteral("café"));
    EXPECT_EQ(MhtmlReader::readData("Content-Type: multipart/related; boundary=x\n\n--x\n"
                                    "Content-Type: image/gif\n\nGIF\n--x--\n")
                  .status,
              WordLoadResult::Status::WrongFormat);
}

// ---- Limits --------------------------------------------------------------------------------

TEST(HtmlLimitsTest, DeepNestingAndLargeInputAreRefused) {
    WordReadLimits limits;
    limits.maxTableNesting = 3;
    QByteArray nested;
    for (int i = 0; i < 5; ++i) {
        nested += "<table><tr><td>";
    }
    EXPECT_EQ(HtmlReader::readData(nested, limits).status, WordLoadResult::Status::TooLarge);
    limits.maxPartBytes = 10;
    EXPECT_EQ(HtmlReader::readData("<p>more than ten bytes</p>", limits).status,
              WordLoadResult::Status::TooLarge);
}

/* Word's markup written to be read again and again: unclosed paragraph marks, marks whose
   tag never ends, an unclosed conditional block. Read in one pass, each opens or is refused
   for its size. */
TEST(HtmlLimitsTest, UnclosedWordMarkupIsReadInOnePass) {
    for (const QByteArray& page :
         {"<p>x" + QByteArray("<o:p>").repeated(100000),
          "<p>x" + QByteArray("<o:p ").repeated(1000000),
          "<p>x" + QByteArray("<![if !supportLists]><o:p>").repeated(100000)}) {
        const WordLoadResult result = HtmlReader::readData(page);
        EXPECT_TRUE(result || result.status == WordLoadResult::Status::TooLarge)
            << result.message.toStdString();
    }
}

/* Word's markup is rewritten within the page's own bytes: a page the reader owns alone is
   not copied, and a page without Word's markup is not even detached from its other owners. */
TEST(HtmlLimitsTest, WordMarkupIsRewrittenInPlace) {
    const QByteArray plain = "<p>no markup of Word's</p>";
    QByteArray shared = plain;
    HtmlWordMarkup::prepare(shared);
    EXPECT_EQ(shared.constData(), plain.constData());
    QByteArray page = "<p>a<![if x]>b<![endif]>c<o:p>&nbsp;</o:p><o:p>d<b>e</b></o:p></p>";
    const char* before = page.constData();
    HtmlWordMarkup::prepare(page);
    EXPECT_EQ(page, QByteArray("<p>ac<o-p>d<b>e</b></o-p></p>"));
    EXPECT_EQ(page.constData(), before);
}

/* Rowspans carried down empty rows count as cells: a page whose few cells span many rows is
   refused at the cell limit, not laid out cell by cell beyond it. */
TEST(HtmlLimitsTest, CarriedRowspansCountAgainstTheCellLimit) {
    WordReadLimits limits;
    limits.maxCells = 20000;
    const QByteArray row = "<tr>" + QByteArray("<td rowspan=65534>x").repeated(100);
    const WordLoadResult within =
        HtmlReader::readData("<table>" + row + QByteArray("<tr>").repeated(198), limits);
    ASSERT_TRUE(within) << within.message.toStdString();
    EXPECT_EQ(within.document->blocks[0].table->rows.size(), 199u);
    const WordLoadResult beyond =
        HtmlReader::readData("<table>" + row + QByteArray("<tr>").repeated(65533), limits);
    EXPECT_EQ(beyond.status, WordLoadResult::Status::TooLarge);
    EXPECT_EQ(beyond.message, QStringLiteral("the document has too many table cells"));
}

}  // namespace
