// The RTF reader on hand-written snippets: one named row per construct, each compared with a
// compact description of the document it gives.

#include "office/word/rtf/rtfreader.h"

#include <gtest/gtest.h>

namespace {

/* A cell as "text", with "{sN}" for a span and "{v+}"/"{v-}" for a vertical merge. */
QString describeCell(const WordCell& cell) {
    QString out = cell.text();
    if (cell.gridSpan > 1) {
        out += QStringLiteral("{s%1}").arg(cell.gridSpan);
    }
    if (cell.verticalMerge == WordCell::VerticalMerge::Restart) {
        out += QStringLiteral("{v+}");
    } else if (cell.verticalMerge == WordCell::VerticalMerge::Continue) {
        out += QStringLiteral("{v-}");
    }
    return out;
}

/* A document as text: each paragraph "text;", each table "[row/row]" with cells split by "|". */
QString describe(const WordDocument& document) {
    QString out;
    for (const WordBlock& block : document.blocks) {
        if (block.kind == WordBlock::Kind::Paragraph) {
            out += block.paragraph.text() + QLatin1Char(';');
            continue;
        }
        out += QLatin1Char('[');
        for (size_t r = 0; r < block.table->rows.size(); ++r) {
            const WordRow& row = block.table->rows[r];
            if (r > 0) {
                out += QLatin1Char('/');
            }
            for (int i = 0; i < row.gridBefore; ++i) {
                out += QStringLiteral("<|");
            }
            for (size_t c = 0; c < row.cells.size(); ++c) {
                out += (c > 0 ? QStringLiteral("|") : QString()) + describeCell(row.cells[c]);
            }
        }
        out += QLatin1Char(']');
    }
    return out;
}

/* Read RTF text (UTF-8 in the source, bytes as written) and fail the test when it does not open. */
std::shared_ptr<WordDocument> read(const QByteArray& rtf) {
    const WordLoadResult result = RtfReader::readData(rtf);
    EXPECT_TRUE(result) << result.message.toStdString();
    return result.document ? result.document : std::make_shared<WordDocument>();
}

struct StoryCase {
    const char* name;
    const char* rtf;
    const char* expected;  // UTF-8
};

class RtfStoryTest : public ::testing::TestWithParam<StoryCase> {};

TEST_P(RtfStoryTest, GivesTheExpectedStory) {
    const StoryCase& c = GetParam();
    EXPECT_EQ(describe(*read(QByteArray(c.rtf))).toStdString(), std::string(c.expected));
}

/* The case name as a test name. */
std::string caseName(const ::testing::TestParamInfo<StoryCase>& info) {
    return info.param.name;
}

INSTANTIATE_TEST_SUITE_P(
    Text, RtfStoryTest,
    ::testing::Values(
        StoryCase{"paragraphs", "{\\rtf1 one\\par two\\par}", "one;two;"},
        StoryCase{"last_paragraph_without_par", "{\\rtf1 one\\par two}", "one;two;"},
        StoryCase{"empty_paragraph_kept", "{\\rtf1 a\\par\\par b\\par}", "a;;b;"},
        StoryCase{"line_tab_and_specials",
                  "{\\rtf1 a\\line b\\tab c\\~d\\_e\\-f\\emdash\\endash\\lquote\\rquote\\ldblquote"
                  "\\rdblquote\\bullet\\par}",
                  "a\nb\tc\xC2\xA0"
                  "d-ef\xE2\x80\x94\xE2\x80\x93\xE2\x80\x98\xE2\x80\x99"
                  "\xE2\x80\x9C\xE2\x80\x9D\xE2\x80\xA2;"},
        StoryCase{"escaped_braces_and_backslash", "{\\rtf1 \\{x\\}\\\\\\par}", "{x}\\;"},
        StoryCase{"line_ends_are_not_text", "{\\rtf1 ab\r\ncd\\par}", "abcd;"},
        StoryCase{"backslash_newline_is_par", "{\\rtf1 a\\\nb}", "a;b;"},
        StoryCase{"delimiter_space_eaten", "{\\rtf1 \\b bold\\b0  x\\par}", "bold x;"},
        StoryCase{"field_gives_its_result",
                  "{\\rtf1 see {\\field{\\*\\fldinst HYPERLINK \"x\"}{\\fldrslt link}} end\\par}",
                  "see link end;"},
        StoryCase{"unknown_starred_destination_skipped",
                  "{\\rtf1 {\\*\\generator Writer;}{\\*\\unknownthing secret}a\\par}", "a;"},
        StoryCase{"unknown_word_keeps_its_text", "{\\rtf1 {\\newword12 kept}\\par}", "kept;"},
        StoryCase{"pictures_objects_shapes_skipped",
                  "{\\rtf1 a{\\pict\\pngblip 89504e47}{\\object{\\objdata 0102}{\\result r}}"
                  "{\\shp{\\*\\shpinst{\\shptxt box}}}b\\par}",
                  "ab;"},
        StoryCase{"notes_headers_footers_skipped",
                  "{\\rtf1 {\\header head\\par}{\\footer foot\\par}a{\\footnote note}"
                  "{\\*\\annotation c}\\par}",
                  "a;"},
        StoryCase{"info_and_tables_not_text",
                  "{\\rtf1{\\fonttbl{\\f0 Arial;}}{\\colortbl;\\red1\\green2\\blue3;}"
                  "{\\stylesheet{\\s0 Normal;}}{\\info{\\title T}}x\\par}",
                  "x;"},
        StoryCase{"bin_data_skipped_safely", "{\\rtf1 a{\\pict\\bin4 }{\\}}b\\par}", "ab;"},
        StoryCase{"bin_inside_text_skipped", "{\\rtf1 a\\bin3 x}{b\\par}", "ab;"},
        StoryCase{"deleted_text_dropped", "{\\rtf1 a{\\deleted gone}b\\par}", "ab;"},
        StoryCase{"numbering_text_skipped", "{\\rtf1 {\\listtext 1.\\tab}item\\par}", "item;"},
        StoryCase{"surplus_closing_brace", "{\\rtf1 a\\par}}}b\\par", "a;b;"},
        StoryCase{"missing_closing_brace", "{\\rtf1 a\\par{\\b b", "a;b;"}),
    caseName);

INSTANTIATE_TEST_SUITE_P(
    Unicode, RtfStoryTest,
    ::testing::Values(
        StoryCase{"u_with_uc1_fallback", "{\\rtf1 \\u20013?\\u25991?\\par}",
                  "\xE4\xB8\xAD\xE6\x96\x87;"},
        StoryCase{"u_with_uc0", "{\\rtf1\\uc0 \\u20013 x\\par}", "\xE4\xB8\xADx;"},
        StoryCase{"u_with_uc2_hex_fallback", "{\\rtf1\\uc2 \\u20013\\'d6\\'d0x\\par}",
                  "\xE4\xB8\xADx;"},
        StoryCase{"uc_is_scoped_to_its_group", "{\\rtf1 {\\uc2 \\u65 xx}\\u66 yz\\par}", "ABz;"},
        StoryCase{"fallback_ends_at_group_end", "{\\rtf1\\uc3 {\\u65 x}yz\\par}", "Ayz;"},
        StoryCase{"negative_u", "{\\rtf1 \\u-248 ?\\par}", "\xEF\xBC\x88;"},
        StoryCase{"control_characters_written_as_u", "{\\rtf1 a\\u13?b\\u30?c\\u12?d\\par}",
                  "a\nb-cd;"},
        StoryCase{"surrogate_pair", "{\\rtf1 \\u-10179?\\u-8694?\\par}", "\xF0\x9F\x98\x8A;"},
        StoryCase{"gbk_font",
                  "{\\rtf1{\\fonttbl{\\f0\\fcharset134 SimSun;}}\\f0 \\'d6\\'d0\\'ce\\'c4\\par}",
                  "\xE4\xB8\xAD\xE6\x96\x87;"},
        StoryCase{"gbk_from_ansicpg", "{\\rtf1\\ansi\\ansicpg936 \\'d6\\'d0\\par}",
                  "\xE4\xB8\xAD;"},
        StoryCase{"big5_font",
                  "{\\rtf1{\\fonttbl{\\f1\\fcharset136 MingLiU;}}\\f1 \\'a4\\'a4\\'a4\\'e5\\par}",
                  "\xE4\xB8\xAD\xE6\x96\x87;"},
        StoryCase{"shift_jis_font",
                  "{\\rtf1{\\fonttbl{\\f2\\fcharset128 MS Mincho;}}\\f2 \\'93\\'fa\\'96\\'7b\\par}",
                  "\xE6\x97\xA5\xE6\x9C\xAC;"},
        StoryCase{"korean_font",
                  "{\\rtf1{\\fonttbl{\\f3\\fcharset129 Batang;}}\\f3 \\'c7\\'d1\\par}",
                  "\xED\x95\x9C;"},
        StoryCase{"cyrillic_font",
                  "{\\rtf1{\\fonttbl{\\f4\\fcharset204 Arial;}}\\f4 \\'cf\\'f0\\par}",
                  "\xD0\x9F\xD1\x80;"},
        StoryCase{"western_default", "{\\rtf1\\ansi caf\\'e9\\par}", "caf\xC3\xA9;"},
        StoryCase{"dbcs_pair_split_over_lines", "{\\rtf1\\ansicpg936 \\'d6\r\n\\'d0\\par}",
                  "\xE4\xB8\xAD;"},
        StoryCase{"dbcs_trail_byte_as_text", "{\\rtf1\\ansicpg932 \\'83\\'5c\\'83]\\par}",
                  "\xE3\x82\xBD\xE3\x82\xBE;"},
        StoryCase{"dbch_uses_associated_font",
                  "{\\rtf1{\\fonttbl{\\f0\\fcharset0 Arial;}{\\f5\\fcharset134 SimSun;}}"
                  "\\f0\\af5\\dbch \\'d6\\'d0\\loch ab\\par}",
                  "\xE4\xB8\xAD"
                  "ab;"},
        StoryCase{"font_name_in_code_page",
                  "{\\rtf1{\\fonttbl{\\f0\\fcharset134 \\'cb\\'ce\\'cc\\'e5;}}\\f0 x\\par}", "x;"}),
    caseName);

INSTANTIATE_TEST_SUITE_P(
    Tables, RtfStoryTest,
    ::testing::Values(
        StoryCase{
            "simple_table",
            "{\\rtf1 \\trowd\\trgaph108\\trleft-108\\cellx1000\\cellx2000 \\intbl a\\cell "
            "b\\cell\\row"
            "\\trowd\\trgaph108\\trleft-108\\brdrs\\cellx1000\\cellx2000 \\intbl c\\cell d\\cell"
            "\\row\\pard after\\par}",
            "[a|b/c|d]after;"},
        StoryCase{"paragraphs_in_a_cell",
                  "{\\rtf1 \\trowd\\cellx1000 \\intbl one\\par two\\cell\\row}", "[one\ntwo]"},
        StoryCase{
            "horizontal_merge",
            "{\\rtf1 \\trowd\\clmgf\\cellx1000\\clmrg\\cellx2000\\cellx3000 \\intbl ab\\cell"
            "\\cell c\\cell\\row \\trowd\\cellx1000\\cellx2000\\cellx3000 \\intbl 1\\cell 2\\cell"
            " 3\\cell\\row}",
            "[ab{s2}|c/1|2|3]"},
        StoryCase{"vertical_merge",
                  "{\\rtf1 \\trowd\\clvmgf\\cellx1000\\cellx2000 \\intbl a\\cell b\\cell\\row"
                  "\\trowd\\clvmrg\\cellx1000\\cellx2000 \\intbl \\cell d\\cell\\row}",
                  "[a{v+}|b/{v-}|d]"},
        StoryCase{"grid_is_union_of_boundaries",
                  "{\\rtf1 \\trowd\\cellx2000\\cellx3000 \\intbl a\\cell b\\cell\\row"
                  "\\trowd\\cellx1000\\cellx3000 \\intbl c\\cell d\\cell\\row}",
                  "[a{s2}|b/c|d{s2}]"},
        StoryCase{"trleft_shifts_the_row",
                  "{\\rtf1 \\trowd\\cellx1000\\cellx2000 \\intbl a\\cell b\\cell\\row"
                  "\\trowd\\trleft1000\\cellx2000 \\intbl c\\cell\\row}",
                  "[a|b/<|c]"},
        StoryCase{"row_definition_after_the_cells",
                  "{\\rtf1 \\intbl a\\cell\\cell b\\cell{\\trowd\\clmgf\\cellx500\\clmrg\\cellx900"
                  "\\cellx1200\\row}}",
                  "[a|b]"},
        StoryCase{"row_without_row_mark_at_end",
                  "{\\rtf1 \\trowd\\cellx1000\\cellx2000 \\intbl a\\cell b\\cell}", "[a|b]"},
        StoryCase{"cell_text_without_cell_mark_at_row_end",
                  "{\\rtf1 \\trowd\\cellx1000\\cellx2000 \\intbl a\\cell b\\row}", "[a|b]"},
        StoryCase{"nested_table",
                  "{\\rtf1 \\trowd\\cellx3000\\cellx6000 \\pard\\intbl before\\par"
                  "\\pard\\intbl\\itap2 x\\nestcell y\\nestcell"
                  "{\\*\\nesttableprops\\trowd\\cellx1000\\cellx2000\\nestrow}{\\nonesttables\\par}"
                  "\\pard\\intbl\\itap2 z\\nestcell w\\nestcell"
                  "{\\*\\nesttableprops\\trowd\\cellx1000\\cellx2000\\nestrow}{\\nonesttables\\par}"
                  "\\pard\\intbl after\\cell right\\cell\\row\\pard end\\par}",
                  "[before\nx\ty\nz\tw\nafter|right]end;"},
        StoryCase{"table_between_paragraphs",
                  "{\\rtf1 p\\par\\trowd\\cellx1000\\pard\\intbl c\\cell\\row\\pard q\\par}",
                  "p;[c]q;"},
        StoryCase{"two_tables_split_by_a_paragraph",
                  "{\\rtf1 \\trowd\\cellx1000\\intbl a\\cell\\row\\pard p\\par"
                  "\\trowd\\cellx1000\\intbl b\\cell\\row}",
                  "[a]p;[b]"}),
    caseName);

// ---- Formats -------------------------------------------------------------------------------

const char kFormatHeader[] =
    "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\froman Times New Roman;}{\\f1\\fswiss Arial;}"
    "{\\f2\\fcharset134 \\'cb\\'ce\\'cc\\'e5;}}"
    "{\\colortbl;\\red255\\green0\\blue0;\\red0\\green128\\blue0;\\red0\\green0\\blue255;}"
    "{\\stylesheet{\\s0 Normal;}{\\s1\\sbasedon0\\qc\\b\\fs40 Heading;}"
    "{\\s2\\sbasedon1\\i Sub;}{\\s3\\sbasedon4\\ul A;}{\\s4\\sbasedon3\\strike B;}"
    "{\\*\\cs10\\cf3 Blue;}}";

/* The first run of the only paragraph of body (placed after the format header). */
WordRun firstRun(const char* body, WordParagraph* paragraph = nullptr) {
    const auto document = read(QByteArray(kFormatHeader) + body + "}");
    if (document->blocks.empty() || document->blocks[0].paragraph.runs.empty()) {
        ADD_FAILURE() << "no run in " << body;
        return WordRun();
    }
    if (paragraph) {
        *paragraph = document->blocks[0].paragraph;
    }
    return document->blocks[0].paragraph.runs[0];
}

TEST(RtfFormats, CharacterFormats) {
    WordRun run = firstRun("\\b\\i\\ul\\strike\\f1\\fs28\\cf1 x\\par");
    EXPECT_TRUE(run.format.bold);
    EXPECT_TRUE(run.format.italic);
    EXPECT_TRUE(run.format.strike);
    EXPECT_EQ(run.format.underline, WordRunFormat::Underline::Single);
    EXPECT_EQ(run.format.fontName, QStringLiteral("Arial"));
    EXPECT_DOUBLE_EQ(run.format.fontSize, 14.0);
    EXPECT_EQ(run.format.color, 0xFF0000u);

    run = firstRun("x\\par");
    EXPECT_FALSE(run.format.bold);
    EXPECT_EQ(run.format.fontName, QStringLiteral("Times New Roman"));  // \deff0
    EXPECT_DOUBLE_EQ(run.format.fontSize, 12.0);                        // RTF's default size
    EXPECT_EQ(run.format.color, kAutoColor);

    EXPECT_EQ(firstRun("\\uldb x\\par").format.underline, WordRunFormat::Underline::Double);
    EXPECT_FALSE(firstRun("\\b\\b0 x\\par").format.bold);
    EXPECT_FALSE(firstRun("\\b\\plain x\\par").format.bold);
    EXPECT_FALSE(firstRun("{\\b a}x\\par").format.bold == firstRun("{\\b a}x\\par").format.italic);
    EXPECT_EQ(firstRun("\\f2 x\\par").format.fontName,
              QString::fromUtf8("\xE5\xAE\x8B\xE4\xBD\x93"));
}

TEST(RtfFormats, GroupsRestoreFormatsAndRunsSplit) {
    const auto document = read(QByteArray(kFormatHeader) + "a{\\b b}c\\par}");
    ASSERT_EQ(document->blocks.size(), 1u);
    const auto& runs = document->blocks[0].paragraph.runs;
    ASSERT_EQ(runs.size(), 3u);
    EXPECT_FALSE(runs[0].format.bold);
    EXPECT_TRUE(runs[1].format.bold);
    EXPECT_FALSE(runs[2].format.bold);
}

TEST(RtfFormats, StylesFollowTheirBasedOnChain) {
    WordParagraph paragraph;
    WordRun run = firstRun("\\pard\\plain\\s2 x\\par", &paragraph);
    EXPECT_TRUE(run.format.bold);    // from s1
    EXPECT_TRUE(run.format.italic);  // s2's own
    EXPECT_DOUBLE_EQ(run.format.fontSize, 20.0);
    EXPECT_EQ(paragraph.alignment, WordParagraph::Alignment::Center);
    // s3 and s4 are based on each other: the cycle stops, both words still apply.
    run = firstRun("\\pard\\plain\\s4 x\\par");
    EXPECT_TRUE(run.format.strike);
    EXPECT_EQ(run.format.underline, WordRunFormat::Underline::Single);
    EXPECT_EQ(firstRun("\\cs10 x\\par").format.color, 0x0000FFu);
}

TEST(RtfFormats, ParagraphAlignment) {
    WordParagraph paragraph;
    firstRun("\\qr x\\par", &paragraph);
    EXPECT_EQ(paragraph.alignment, WordParagraph::Alignment::Right);
    firstRun("\\qj x\\par", &paragraph);
    EXPECT_EQ(paragraph.alignment, WordParagraph::Alignment::Justify);
    firstRun("\\qc\\pard x\\par", &paragraph);
    EXPECT_EQ(paragraph.alignment, WordParagraph::Alignment::Default);
}

TEST(RtfFormats, CellShadingBordersAlignmentAndHeight) {
    const auto document =
        read(QByteArray(kFormatHeader) +
             "\\trowd\\trrh-400\\trbrdrt\\brdrs\\brdrw10"
             "\\clcbpat2\\clvertalc\\clbrdrt\\brdrs\\brdrw10\\brdrcf1\\clbrdrb\\brdrdb\\cellx1000"
             "\\clcfpat3\\clshdng10000\\clvertalb\\clbrdrl\\brdrth\\brdrw40\\cellx2000"
             "\\clcbpat1\\clcfpat3\\clshdng2500\\clbrdrr\\brdrnone\\cellx3000"
             "\\intbl a\\cell b\\cell c\\cell\\row"
             "\\trowd\\trrh300\\cellx1000\\intbl d\\cell\\row}");
    ASSERT_EQ(document->blocks.size(), 1u);
    const WordTable& table = *document->blocks[0].table;
    ASSERT_EQ(table.rows.size(), 2u);
    const WordRow& row = table.rows[0];
    EXPECT_EQ(row.heightRule, WordRow::HeightRule::Exact);
    EXPECT_EQ(row.heightTwips, 400);
    EXPECT_EQ(table.rows[1].heightRule, WordRow::HeightRule::AtLeast);
    EXPECT_TRUE(table.borders.top.set);
    EXPECT_EQ(table.borders.top.line.style, BorderLine::Thin);
    ASSERT_EQ(row.cells.size(), 3u);
    EXPECT_EQ(row.cells[0].shading, 0x008000u);  // the ground
    EXPECT_EQ(row.cells[1].shading, 0x0000FFu);  // a solid pattern shows its colour
    EXPECT_EQ(row.cells[2].shading, 0xFF0000u);  // a partial pattern shows the ground
    EXPECT_EQ(row.cells[0].verticalAlignment, WordCell::VerticalAlignment::Center);
    EXPECT_EQ(row.cells[1].verticalAlignment, WordCell::VerticalAlignment::Bottom);
    EXPECT_EQ(row.cells[0].borders.top.line.style, BorderLine::Thin);
    EXPECT_EQ(row.cells[0].borders.top.line.color, 0xFF0000u);
    EXPECT_EQ(row.cells[0].borders.bottom.line.style, BorderLine::Double);
    EXPECT_EQ(row.cells[1].borders.left.line.style, BorderLine::Medium);
    EXPECT_TRUE(row.cells[2].borders.right.set);
    EXPECT_EQ(row.cells[2].borders.right.line.style, BorderLine::None);
    EXPECT_FALSE(row.cells[2].borders.top.set);
    EXPECT_EQ(table.gridColumnTwips, (std::vector<int>{1000, 1000, 1000}));
}

// ---- Limits and refusals -------------------------------------------------------------------

TEST(RtfLimits, HostileInputIsRefusedNotCrashed) {
    WordReadLimits limits;
    limits.maxGroupDepth = 50;
    limits.maxRowCells = 10;
    limits.maxParagraphs = 100;
    const QByteArray deep = "{\\rtf1 " + QByteArray(60, '{') + "x" + QByteArray(60, '}') + "}";
    EXPECT_EQ(RtfReader::readData(deep, limits).status, WordLoadResult::Status::TooLarge);
    QByteArray wide = "{\\rtf1 \\trowd";
    for (int i = 1; i <= 11; ++i) {
        wide += "\\cellx" + QByteArray::number(i * 100);
    }
    EXPECT_EQ(RtfReader::readData(wide + "}", limits).status, WordLoadResult::Status::TooLarge);
    const QByteArray many = "{\\rtf1 " + QByteArray(200 * 5, 'x').replace("xxxxx", "\\par ") + "}";
    EXPECT_EQ(RtfReader::readData(many, limits).status, WordLoadResult::Status::TooLarge);
    WordReadLimits small;
    small.maxTextFileBytes = 16;
    EXPECT_EQ(RtfReader::readData("{\\rtf1 seventeen+ bytes}", small).status,
              WordLoadResult::Status::TooLarge);
    // Deep but within the limit still opens.
    const QByteArray fine = "{\\rtf1 " + QByteArray(40, '{') + "x" + QByteArray(40, '}') + "}";
    EXPECT_TRUE(RtfReader::readData(fine, limits));
}

struct HeaderCase {
    const char* name;
    const char* bytes;
    bool rtf;
};

class RtfHeaderTest : public ::testing::TestWithParam<HeaderCase> {};

TEST_P(RtfHeaderTest, IsRecognised) {
    EXPECT_EQ(RtfReader::isRtf(QByteArray(GetParam().bytes)), GetParam().rtf);
}

INSTANTIATE_TEST_SUITE_P(
    Header, RtfHeaderTest,
    ::testing::Values(HeaderCase{"plain", "{\\rtf1\\ansi", true},
                      HeaderCase{"utf8_bom", "\xEF\xBB\xBF{\\rtf1", true},
                      HeaderCase{"leading_white_space", " \r\n\t{\\rtf1", true},
                      HeaderCase{"text", "rtf1 {\\rtf", false},
                      HeaderCase{"other_group", "{\\rt", false}, HeaderCase{"empty", "", false}),
    [](const ::testing::TestParamInfo<HeaderCase>& row) { return std::string(row.param.name); });

}  // namespace
