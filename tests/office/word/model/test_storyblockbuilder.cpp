// The shared builder of the .doc and RTF readers: story paragraphs into blocks and tables on
// the grid of their rows' cell boundaries, with merges, nesting and the depth limit.

#include "office/word/model/storyblockbuilder.h"
#include "office/word/model/wordreadlimits.h"
#include "office/word/model/wordtablegrid.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

/* A story paragraph with one run. */
StoryParagraph para(const QString& text, int depth, bool cellEnd, bool rowEnd) {
    StoryParagraph p;
    if (!text.isEmpty()) {
        p.runs.push_back(StoryRun{text, StoryCharFormat()});
    }
    p.format.itap = depth;
    p.format.inTable = depth > 0;
    p.endsWithCellMark = depth == 1 && (cellEnd || rowEnd);
    p.format.tableRowEnd = depth == 1 && rowEnd;
    p.format.innerCellEnd = depth > 1 && (cellEnd || rowEnd);
    p.format.innerRowEnd = depth > 1 && rowEnd;
    return p;
}

/* A row-end paragraph with the given cell boundaries. */
StoryParagraph rowEnd(int depth, const std::vector<int>& bounds) {
    StoryParagraph p = para(QString(), depth, false, true);
    p.row.defined = true;
    p.row.boundaries = bounds;
    p.row.cells.resize(bounds.size() - 1);
    return p;
}

}  // namespace

TEST(StoryBlockBuilderTest, GridIsTheUnionOfRowBoundaries) {
    WordFontTable fonts;
    std::vector<StoryParagraph> story;
    story.insert(
        story.end(),
        {para(QStringLiteral("a"), 1, true, false), para(QStringLiteral("b"), 1, true, false),
         rowEnd(1, {0, 1000, 2000}), para(QStringLiteral("c"), 1, true, false),
         para(QStringLiteral("d"), 1, true, false), rowEnd(1, {500, 1500, 2500}),
         para(QStringLiteral("after"), 0, false, false)});
    StoryBlockBuilder builder(fonts, WordReadLimits().maxTableNesting);
    const std::vector<WordBlock> blocks = builder.build(story);
    ASSERT_EQ(blocks.size(), 2u);
    ASSERT_EQ(blocks[0].kind, WordBlock::Kind::Table);
    const WordTable& table = *blocks[0].table;
    EXPECT_EQ(table.gridColumnTwips, (std::vector<int>{500, 500, 500, 500, 500}));
    ASSERT_EQ(table.rows.size(), 2u);
    EXPECT_EQ(table.rows[0].gridBefore, 0);
    EXPECT_EQ(table.rows[0].gridAfter, 1);
    EXPECT_EQ(table.rows[0].cells[0].gridSpan, 2);
    EXPECT_EQ(table.rows[1].gridBefore, 1);
    EXPECT_EQ(table.rows[1].gridAfter, 0);
    EXPECT_EQ(table.rows[1].cells[1].text(), QStringLiteral("d"));
    EXPECT_EQ(blocks[1].paragraph.text(), QStringLiteral("after"));
}

TEST(StoryBlockBuilderTest, HorizontallyMergedCellsWidenTheirNeighbour) {
    WordFontTable fonts;
    StoryParagraph end = rowEnd(1, {0, 1000, 2000, 3000});
    end.row.cells[1].horizontalMerge = 2;
    std::vector<StoryParagraph> story;
    story.insert(story.end(),
                 {para(QStringLiteral("a"), 1, true, false), para(QString(), 1, true, false),
                  para(QStringLiteral("c"), 1, true, false), end});
    // A second row keeps the boundary the merge hides.
    story.insert(
        story.end(),
        {para(QStringLiteral("1"), 1, true, false), para(QStringLiteral("2"), 1, true, false),
         para(QStringLiteral("3"), 1, true, false), rowEnd(1, {0, 1000, 2000, 3000})});
    StoryBlockBuilder builder(fonts, WordReadLimits().maxTableNesting);
    const std::vector<WordBlock> blocks = builder.build(story);
    ASSERT_EQ(blocks.size(), 1u);
    EXPECT_EQ(blocks[0].table->gridColumnCount(), 3);
    const WordRow& row = blocks[0].table->rows[0];
    EXPECT_EQ(row.cells[0].widthTwips, 2000);
    ASSERT_EQ(row.cells.size(), 2u);
    EXPECT_EQ(row.cells[0].gridSpan, 2);
    EXPECT_EQ(row.cells[0].text(), QStringLiteral("a"));
    EXPECT_EQ(row.cells[1].text(), QStringLiteral("c"));
}

TEST(StoryBlockBuilderTest, NestingUnfinishedRowsAndDepthLimit) {
    WordFontTable fonts;
    std::vector<StoryParagraph> story;
    // An inner table whose cells end with fInnerTableCell, inside an outer cell.
    story.insert(story.end(), {para(QStringLiteral("x"), 2, true, false),
                               para(QStringLiteral("y"), 2, true, false), rowEnd(2, {0, 500, 1000}),
                               para(QStringLiteral("outer"), 1, true, false), rowEnd(1, {0, 2000}),
                               // A table that never ends its row, then a paragraph of absurd depth.
                               para(QStringLiteral("open"), 1, false, false),
                               para(QStringLiteral("deep"), 1000, false, false)});
    StoryBlockBuilder builder(fonts, WordReadLimits().maxTableNesting);
    const std::vector<WordBlock> blocks = builder.build(story);
    ASSERT_EQ(blocks.size(), 1u);  // both tables are one: no paragraph between them
    const WordTable& table = *blocks[0].table;
    ASSERT_EQ(table.rows.size(), 2u);
    EXPECT_EQ(table.rows[0].cells[0].text(), QStringLiteral("x\ty\nouter"));
    EXPECT_TRUE(table.rows[1].cells[0].text().startsWith(QStringLiteral("open\n")));
    EXPECT_TRUE(table.rows[1].cells[0].text().endsWith(QStringLiteral("deep")));
}

struct GridCase {
    const char* name;
    std::vector<std::vector<int>> rows;   // each row's cell edges in twips
    std::vector<int> columns;             // the grid's column widths
    std::vector<std::vector<int>> lines;  // each row's edges as grid lines
};

class WordTableGridTest : public ::testing::TestWithParam<GridCase> {};

TEST_P(WordTableGridTest, EdgesWithinTheToleranceShareALine) {
    const GridCase& c = GetParam();
    const WordTableGrid grid(c.rows);
    EXPECT_EQ(grid.columnTwips(), c.columns);
    for (size_t r = 0; r < c.rows.size(); ++r) {
        for (size_t e = 0; e < c.rows[r].size(); ++e) {
            EXPECT_EQ(grid.line(r, e), c.lines[r][e]) << "row " << r << " edge " << e;
        }
    }
}

const GridCase kGridCases[] = {
    {"equalRows", {{0, 1000, 2000}, {0, 1000, 2000}}, {1000, 1000}, {{0, 1, 2}, {0, 1, 2}}},
    {"staggeredRows", {{0, 1000}, {500, 1500}}, {500, 500, 500}, {{0, 2}, {1, 3}}},
    {"shiftByOneTwip", {{0, 1000, 2000}, {1, 1001, 2001}}, {1000, 1000}, {{0, 1, 2}, {0, 1, 2}}},
    {"shiftByTheTolerance", {{0, 1000}, {4, 1004}}, {1000}, {{0, 1}, {0, 1}}},
    {"shiftBeyondTheTolerance", {{0, 1000}, {5, 1005}}, {5, 995, 5}, {{0, 2}, {1, 3}}},
    {"lineMeasuredFromItsFirstEdge",
     {{0, 1000}, {3, 1003}, {6, 1006}},
     {6, 994, 6},
     {{0, 2}, {0, 2}, {1, 3}}},
    {"narrowCellKeepsItsColumn", {{0, 2, 1000}, {1, 1000}}, {2, 998}, {{0, 1, 2}, {0, 2}}},
    {"emptyRow", {{}, {0, 10}}, {10}, {{}, {0, 1}}},
};

INSTANTIATE_TEST_SUITE_P(Rows, WordTableGridTest, ::testing::ValuesIn(kGridCases),
                         [](const ::testing::TestParamInfo<GridCase>& row) {
                             return std::string(row.param.name);
                         });

TEST(StoryBlockBuilderTest, RowsShiftedATwipEachStayNarrowerThanASheet) {
    // 3,200 rows of six inch-wide cells, each row one twip right of the one above: one line
    // per boundary made 19,200 columns; lines 4 twips wide keep the grid a few thousand.
    WordFontTable fonts;
    std::vector<StoryParagraph> story;
    for (int r = 0; r < 3200; ++r) {
        std::vector<int> bounds;
        for (int c = 0; c <= 6; ++c) {
            bounds.push_back(r + c * 1440);
        }
        for (int c = 0; c < 6; ++c) {
            story.push_back(para(QStringLiteral("x"), 1, true, false));
        }
        story.push_back(rowEnd(1, bounds));
    }
    StoryBlockBuilder builder(fonts, WordReadLimits().maxTableNesting);
    const std::vector<WordBlock> blocks = builder.build(story);
    ASSERT_EQ(blocks.size(), 1u);
    const WordTable& table = *blocks[0].table;
    EXPECT_LE(table.gridColumnCount(), (3200 + 6 * 1440) / (WordTableGrid::kTolerance + 1) + 1);
    for (const WordRow& row : table.rows) {
        int columns = row.gridBefore + row.gridAfter;
        for (const WordCell& cell : row.cells) {
            columns += cell.gridSpan;
        }
        ASSERT_EQ(columns, table.gridColumnCount());
    }
}
