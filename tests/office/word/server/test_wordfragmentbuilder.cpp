#include "office/word/server/wordfragmentbuilder.h"

#include "office/word/docx/docxreader.h"

#include <gtest/gtest.h>

namespace {

/* The document of the python-docx tables fixture. */
std::shared_ptr<WordDocument> tablesFixture() {
    const WordLoadResult result =
        DocxReader::readFile(QStringLiteral("tests/data/word/tables.docx"));
    EXPECT_TRUE(result) << result.message.toStdString();
    return result.document ? result.document : std::make_shared<WordDocument>();
}

/* A cell holding one paragraph of plain text. */
WordCell textCell(const QString& text, int span = 1,
                  WordCell::VerticalMerge merge = WordCell::VerticalMerge::None) {
    WordCell cell;
    WordParagraph paragraph;
    if (!text.isEmpty()) {
        paragraph.runs.push_back(WordRun{text, WordRunFormat()});
    }
    cell.blocks.push_back(WordBlock::ofParagraph(paragraph));
    cell.gridSpan = span;
    cell.verticalMerge = merge;
    return cell;
}

/* The format of a fragment cell. */
const CellFormat& formatAt(const Fragment& fragment, int row, int column) {
    return fragment.formats.at(static_cast<size_t>(fragment.at(row, column).format));
}

}  // namespace

TEST(WordFragmentBuilder, TableMergesTextAndGrid) {
    const auto document = tablesFixture();
    const auto tables = document->topLevelTables();
    ASSERT_EQ(tables.size(), 3u);
    Fragment fragment;
    ASSERT_TRUE(WordFragmentBuilder::table(*tables[0], fragment));
    EXPECT_EQ(fragment.source, Fragment::Source::Document);
    ASSERT_EQ(fragment.rowCount, 4);
    ASSERT_EQ(fragment.columnCount, 4);
    EXPECT_EQ(fragment.at(0, 0).text, QStringLiteral("wide"));
    EXPECT_EQ(fragment.at(0, 0).kind, FragmentCell::Kind::Text);
    EXPECT_EQ(fragment.at(0, 1).kind, FragmentCell::Kind::Empty);
    EXPECT_EQ(fragment.at(0, 2).text, QStringLiteral("r0c2\nsecond line"));
    EXPECT_EQ(fragment.at(1, 3).text, QStringLiteral("tall"));
    EXPECT_EQ(fragment.at(2, 3).kind, FragmentCell::Kind::Empty);
    EXPECT_EQ(fragment.at(2, 0).text, QStringLiteral("block"));
    EXPECT_EQ(fragment.at(3, 2).text, QStringLiteral("r3c2"));
    ASSERT_EQ(fragment.merges.size(), 3u);
    std::vector<std::tuple<int, int, int, int>> merges;
    for (const FragmentMerge& m : fragment.merges) {
        merges.emplace_back(m.firstRow, m.firstColumn, m.lastRow, m.lastColumn);
    }
    std::sort(merges.begin(), merges.end());
    EXPECT_EQ(merges, (std::vector<std::tuple<int, int, int, int>>{
                          {0, 0, 0, 1}, {1, 3, 3, 3}, {2, 0, 3, 1}}));
}

TEST(WordFragmentBuilder, TableFormatsWidthsAndHeights) {
    const auto document = tablesFixture();
    Fragment fragment;
    ASSERT_TRUE(WordFragmentBuilder::table(*document->topLevelTables().at(0), fragment));
    ASSERT_EQ(fragment.rowCount, 4);
    EXPECT_EQ(formatAt(fragment, 1, 0).fillColor, 0xFFFF00u);
    EXPECT_EQ(formatAt(fragment, 0, 0).fillColor, kAutoColor);
    EXPECT_EQ(formatAt(fragment, 1, 1).bottom.style, BorderLine::Double);
    EXPECT_EQ(formatAt(fragment, 1, 1).bottom.color, 0x0000FFu);
    // "Table Grid" draws thin lines on every edge and between cells.
    EXPECT_EQ(formatAt(fragment, 0, 0).top.style, BorderLine::Thin);
    EXPECT_EQ(formatAt(fragment, 2, 2).left.style, BorderLine::Thin);
    EXPECT_EQ(formatAt(fragment, 1, 2).vAlign, CellFormat::VAlign::Center);
    EXPECT_TRUE(formatAt(fragment, 1, 2).bold);
    EXPECT_EQ(formatAt(fragment, 2, 2).vAlign, CellFormat::VAlign::Top);
    EXPECT_TRUE(formatAt(fragment, 0, 2).wrap);
    EXPECT_FALSE(formatAt(fragment, 3, 2).wrap);
    // Row 1 has an exact height of 600 twips; the others follow their content.
    EXPECT_DOUBLE_EQ(fragment.rowHeights.at(1), 30.0);
    EXPECT_LT(fragment.rowHeights.at(0), 0);
    ASSERT_EQ(fragment.columnWidths.size(), 4u);
    EXPECT_DOUBLE_EQ(fragment.columnWidths[0], 13.0);
    EXPECT_DOUBLE_EQ(fragment.columnWidths[1], 26.71);
    EXPECT_DOUBLE_EQ(fragment.columnWidths[2], 6.14);
}

TEST(WordFragmentBuilder, GridBeforeAndAfterLeaveEmptyCells) {
    const auto document = tablesFixture();
    Fragment fragment;
    ASSERT_TRUE(WordFragmentBuilder::table(*document->topLevelTables().at(1), fragment));
    ASSERT_EQ(fragment.rowCount, 2);
    ASSERT_EQ(fragment.columnCount, 3);
    EXPECT_EQ(fragment.at(0, 0).kind, FragmentCell::Kind::Empty);
    EXPECT_EQ(fragment.at(0, 1).text, QStringLiteral("s01"));
    EXPECT_EQ(fragment.at(1, 1).text, QStringLiteral("s11"));
    EXPECT_EQ(fragment.at(1, 2).kind, FragmentCell::Kind::Empty);
    EXPECT_TRUE(fragment.merges.empty());
}

TEST(WordFragmentBuilder, NestedTableIsOneLinePerRowInItsCell) {
    const auto document = tablesFixture();
    Fragment fragment;
    ASSERT_TRUE(WordFragmentBuilder::table(*document->topLevelTables().at(2), fragment));
    ASSERT_EQ(fragment.rowCount, 1);
    EXPECT_EQ(fragment.at(0, 0).text, QStringLiteral("outer"));
    EXPECT_EQ(fragment.at(0, 1).text, QStringLiteral("above\ni00\ti01\ni10\ti11\n\nbelow"));
    EXPECT_TRUE(formatAt(fragment, 0, 1).wrap);
}

TEST(WordFragmentBuilder, WholeStoryRowsInDocumentOrder) {
    const auto document = tablesFixture();
    Fragment fragment;
    ASSERT_TRUE(WordFragmentBuilder::wholeStory(*document, fragment));
    // 4 paragraphs and 4 + 2 + 1 table rows.
    ASSERT_EQ(fragment.rowCount, 11);
    ASSERT_EQ(fragment.columnCount, 4);
    EXPECT_EQ(fragment.at(0, 0).text, QStringLiteral("Before the tables"));
    EXPECT_EQ(fragment.at(1, 0).text, QStringLiteral("wide"));
    EXPECT_EQ(fragment.at(5, 0).text, QStringLiteral("Between"));
    EXPECT_EQ(fragment.at(6, 1).text, QStringLiteral("s01"));
    EXPECT_EQ(fragment.at(8, 0).text, QStringLiteral("Nested follows"));
    EXPECT_EQ(fragment.at(9, 0).text, QStringLiteral("outer"));
    EXPECT_EQ(fragment.at(10, 0).text, QStringLiteral("After the tables"));
    // Merges move down with their table.
    bool found = false;
    for (const FragmentMerge& m : fragment.merges) {
        found =
            found || (m.firstRow == 2 && m.firstColumn == 3 && m.lastRow == 4 && m.lastColumn == 3);
    }
    EXPECT_TRUE(found);
}

TEST(WordFragmentBuilder, EmptyDocumentGivesOneEmptyRow) {
    WordDocument document;
    Fragment fragment;
    ASSERT_TRUE(WordFragmentBuilder::wholeStory(document, fragment));
    EXPECT_EQ(fragment.rowCount, 1);
    EXPECT_EQ(fragment.columnCount, 1);
    EXPECT_EQ(fragment.at(0, 0).kind, FragmentCell::Kind::Empty);
}

TEST(WordFragmentBuilder, ContinuedCellTextIsKeptInTheMergedArea) {
    WordTable table;
    WordRow first;
    first.cells.push_back(textCell(QStringLiteral("top"), 1, WordCell::VerticalMerge::Restart));
    first.cells.push_back(textCell(QStringLiteral("x")));
    WordRow second;
    second.cells.push_back(textCell(QStringLiteral("stray"), 1, WordCell::VerticalMerge::Continue));
    second.cells.push_back(textCell(QStringLiteral("y")));
    WordRow third;
    // A continuation with a different span starts a new area instead of joining.
    third.cells.push_back(textCell(QStringLiteral("wide"), 2, WordCell::VerticalMerge::Continue));
    table.rows = {first, second, third};
    Fragment fragment;
    ASSERT_TRUE(WordFragmentBuilder::table(table, fragment));
    ASSERT_EQ(fragment.rowCount, 3);
    EXPECT_EQ(fragment.at(0, 0).text, QStringLiteral("top\nstray"));
    EXPECT_EQ(fragment.at(1, 0).kind, FragmentCell::Kind::Empty);
    EXPECT_EQ(fragment.at(2, 0).text, QStringLiteral("wide"));
    ASSERT_EQ(fragment.merges.size(), 2u);
    EXPECT_EQ(fragment.merges[0].lastRow, 1);
    EXPECT_EQ(fragment.merges[1].firstRow, 2);
    EXPECT_EQ(fragment.merges[1].lastColumn, 1);
}

TEST(WordFragmentBuilder, EastAsianTextTakesTheEastAsianFont) {
    WordRunFormat run;
    run.fontName = QStringLiteral("Times New Roman");
    run.eastAsiaFontName = QStringLiteral("SimSun");
    run.fontSize = 10.5;
    run.underline = WordRunFormat::Underline::Double;
    CellFormat latin;
    WordFragmentBuilder::applyRunFormat(run, QStringLiteral("Total 12"), latin);
    EXPECT_EQ(latin.fontName, QStringLiteral("Times New Roman"));
    EXPECT_DOUBLE_EQ(latin.fontSize, 10.5);
    EXPECT_EQ(latin.underline, CellFormat::Underline::Double);
    CellFormat chinese;
    WordFragmentBuilder::applyRunFormat(run, QStringLiteral("合计 12"), chinese);
    EXPECT_EQ(chinese.fontName, QStringLiteral("SimSun"));
}

TEST(WordFragmentBuilder, ColumnWidthConversion) {
    EXPECT_DOUBLE_EQ(WordFragmentBuilder::excelColumnWidth(1440), 13.0);   // one inch: 96 px
    EXPECT_DOUBLE_EQ(WordFragmentBuilder::excelColumnWidth(1215), 10.86);  // 81 px
    EXPECT_DOUBLE_EQ(WordFragmentBuilder::excelColumnWidth(90), 0.5);      // 6 px, narrow rule
    EXPECT_DOUBLE_EQ(WordFragmentBuilder::excelColumnWidth(0), 0.0);
}

TEST(WordFragmentBuilder, OversizedGridIsRefusedNotAllocated) {
    WordTable table;
    table.gridColumnTwips.assign(16384, 100);
    table.rows.resize(2000);
    Fragment fragment;
    fragment.rowCount = 7;
    EXPECT_FALSE(WordFragmentBuilder::table(table, fragment));
    EXPECT_EQ(fragment.rowCount, 7);
    WordDocument document;
    document.blocks.push_back(WordBlock::ofTable(std::make_shared<WordTable>(table)));
    EXPECT_FALSE(WordFragmentBuilder::wholeStory(document, fragment));
}

TEST(WordFragmentBuilder, ParagraphFormatsInWholeStory) {
    const WordLoadResult result =
        DocxReader::readFile(QStringLiteral("tests/data/word/formatting.docx"));
    ASSERT_TRUE(result);
    Fragment fragment;
    ASSERT_TRUE(WordFragmentBuilder::wholeStory(*result.document, fragment));
    ASSERT_EQ(fragment.rowCount, 6);
    const CellFormat& red = formatAt(fragment, 1, 0);
    EXPECT_EQ(red.fontColor, 0xFF0000u);
    EXPECT_TRUE(red.italic);
    EXPECT_EQ(red.hAlign, CellFormat::HAlign::Center);
    EXPECT_EQ(formatAt(fragment, 2, 0).hAlign, CellFormat::HAlign::Right);
    EXPECT_TRUE(formatAt(fragment, 2, 0).strike);
    EXPECT_TRUE(formatAt(fragment, 4, 0).wrap);
    EXPECT_EQ(fragment.at(4, 0).text,
              QStringLiteral("before tab\tafter tabline one\nline twoafter page break"));
}
