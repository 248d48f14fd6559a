#include "office/excel/model/workbook.h"
#include "office/excel/paste/pasteengine.h"
#include "office/excel/paste/rowlayout.h"
#include "office/excel/paste/textmetrics.h"
#include "office/excel/paste/texttocolumns.h"
#include "office/excel/workbookfile.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// One row of the test document: its text, font size, column span and Word height.
struct RowCase {
    const char* name;
    QString text;
    double fontSize;    // 0: the default font
    bool wrap;          // wrap-text alignment
    int lines;          // lines the text needs at least (line feeds and wrapping)
    int mergedRows;     // rows the cell spans (1: not merged down)
    int mergedColumns;  // columns the cell spans
    double exact;       // Word's exact height, < 0: none
    double atLeast;     // Word's "at least" height, < 0: none
};

/* `count` copies of a text joined by line feeds. */
QString linesOf(const QString& text, int count) {
    QStringList lines;
    for (int i = 0; i < count; ++i) {
        lines << text;
    }
    return lines.join(QLatin1Char('\n'));
}

const QString kChinese = QStringLiteral("中文字符的行高测试");

const std::vector<RowCase> kRows = {
    {"single line", QStringLiteral("one line"), 0, false, 1, 1, 1, -1, -1},
    {"three line feeds", linesOf(QStringLiteral("line"), 3), 0, true, 3, 1, 1, -1, -1},
    {"large font", linesOf(QStringLiteral("big"), 2), 20, true, 2, 1, 1, -1, -1},
    {"small font", linesOf(QStringLiteral("small"), 4), 8, true, 4, 1, 1, -1, -1},
    // 200 characters of 6.05 pt in a column of 141 px (105.75 pt): 17 a line, 12 lines.
    {"long wrapping", QString(200, QLatin1Char('w')), 0, true, 12, 1, 1, -1, -1},
    // 36 wide characters of 11 pt in 105.75 pt: 9 a line, 4 lines.
    {"chinese", linesOf(kChinese, 4).remove(QLatin1Char('\n')), 0, true, 4, 1, 1, -1, -1},
    {"mixed", QStringLiteral("Mixed 中文 and Latin\n第二行 second"), 0, true, 2, 1, 1, -1, -1},
    {"vertical merge", linesOf(QStringLiteral("down"), 6), 0, true, 6, 2, 1, -1, -1},
    {"horizontal merge", linesOf(QStringLiteral("across"), 3), 0, true, 3, 1, 2, -1, -1},
    {"exact height", linesOf(QStringLiteral("cut"), 3), 0, true, 0, 1, 1, 12, -1},
    {"at least, taller", QStringLiteral("short"), 0, false, 1, 1, 1, -1, 40},
    {"at least, shorter", linesOf(QStringLiteral("grows"), 4), 0, true, 4, 1, 1, -1, 20},
};

/* The fragment the Word side builds for kRows: one row per case (two for merged ones). */
Fragment caseFragment(std::vector<int>* firstRows) {
    int rowCount = 0;
    for (const RowCase& c : kRows) {
        firstRows->push_back(rowCount);
        rowCount += c.mergedRows;
    }
    Fragment fragment = Fragment::sized(rowCount, 2);
    fragment.minRowHeights.assign(static_cast<size_t>(rowCount), -1);
    fragment.columnWidths = {20, 20};
    for (size_t i = 0; i < kRows.size(); ++i) {
        const RowCase& c = kRows[i];
        const int row = (*firstRows)[i];
        CellFormat format;
        format.fontSize = c.fontSize;
        format.wrap = c.wrap;
        FragmentCell& cell = fragment.at(row, 0);
        cell.kind = FragmentCell::Kind::Text;
        cell.text = c.text;
        cell.format = fragment.internFormat(format);
        if (c.mergedRows > 1 || c.mergedColumns > 1) {
            fragment.merges.push_back({row, 0, row + c.mergedRows - 1, c.mergedColumns - 1});
        }
        fragment.rowHeights[static_cast<size_t>(row)] = c.exact;
        fragment.minRowHeights[static_cast<size_t>(row)] = c.atLeast;
    }
    return fragment;
}

/* Row heights of the first sheet of a written file, read back by openpyxl or xlrd. */
QJsonObject readHeights(const QString& path, QString* error) {
    QProcess process;
    process.start(QStringLiteral("/usr/bin/python3"),
                  {QStringLiteral(SW_SOURCE_DIR "/tests/office/excel/paste/row_heights.py"), path});
    if (!process.waitForFinished(60000) || process.exitCode() != 0) {
        *error = QString::fromUtf8(process.readAllStandardError());
        return {};
    }
    return QJsonDocument::fromJson(process.readAllStandardOutput()).object();
}

/* A row's height in a read-back table; the default when the file does not set it. */
double heightOf(const QJsonObject& heights, int row, bool* custom = nullptr) {
    const QJsonArray entry = heights.value(QString::number(row)).toArray();
    if (custom != nullptr) {
        *custom = !entry.isEmpty() && entry.at(1).toBool();
    }
    return entry.isEmpty() ? Worksheet::kDefaultRowHeight : entry.at(0).toDouble();
}

class RowLayoutTest : public ::testing::TestWithParam<const char*> {
protected:
    std::shared_ptr<Workbook> m_book = Workbook::createNew(1);
    QTemporaryDir m_dir;
};

/* Check every case's rows in a written file against its lines and Word heights. */
TEST_P(RowLayoutTest, PastedRowsAreTallEnoughForTheirLinesAndNoTaller) {
    std::vector<int> firstRows;
    Worksheet& sheet = *m_book->sheet(0);
    ASSERT_TRUE(PasteEngine::paste(sheet, caseFragment(&firstRows), 1, 1, PasteType::All));
    const QString path = m_dir.filePath(QString::fromLatin1(GetParam()));
    ASSERT_TRUE(WorkbookFile::save(*m_book, path).ok());
    QString error;
    const QJsonObject heights = readHeights(path, &error);
    ASSERT_TRUE(error.isEmpty()) << error.toStdString();
    for (size_t i = 0; i < kRows.size(); ++i) {
        const RowCase& c = kRows[i];
        SCOPED_TRACE(c.name);
        const int row = firstRows[i] + 1;
        bool custom = false;
        double height = heightOf(heights, row, &custom);
        for (int r = 1; r < c.mergedRows; ++r) {
            height += heightOf(heights, row + r);
        }
        if (c.exact >= 0) {
            EXPECT_DOUBLE_EQ(height, c.exact);
            EXPECT_TRUE(custom);
            continue;
        }
        EXPECT_FALSE(custom);
        const double line = (c.fontSize > 0 ? c.fontSize : 11) * 1.2;
        const double need = std::max(c.lines * line, c.atLeast);
        EXPECT_GE(height, need);
        EXPECT_LE(height, std::max(1.5 * need + line, Worksheet::kDefaultRowHeight * c.mergedRows));
    }
}

INSTANTIATE_TEST_SUITE_P(Writers, RowLayoutTest, ::testing::Values("heights.xlsx", "heights.xls"));

// How many lines a text takes in a column, by the fixed width table.
struct LineCase {
    const char* name;
    QString text;
    bool wrap;
    double columnWidth;
    int lines;
};

TEST(TextMetricsTest, CountsLineFeedsAndWrappedLines) {
    const QString word = QStringLiteral("word ");
    const std::vector<LineCase> cases = {
        {"empty", QString(), true, 10, 1},
        {"line feeds without wrap", QStringLiteral("a\nb\nc"), false, 10, 3},
        {"long text without wrap", QString(500, QLatin1Char('x')), false, 10, 1},
        // 12 words of 5 characters (about 28 pt each) in about 105 pt: 3 or 4 a line.
        {"words wrap at spaces", word.repeated(12), true, 20, 4},
        // One word of 40 characters of 6.05 pt breaks inside: 242 pt in 105 pt.
        {"a long word breaks inside", QString(40, QLatin1Char('x')), true, 20, 3},
        // 9 wide characters of 11 pt fit 9 to a line of about 105 pt.
        {"wide characters fill a line", kChinese, true, 20, 1},
        {"wide characters wrap", kChinese.repeated(3), true, 20, 3},
    };
    for (const LineCase& c : cases) {
        SCOPED_TRACE(c.name);
        const double width = TextMetrics::textWidth(TextMetrics::columnPixels(c.columnWidth));
        EXPECT_EQ(TextMetrics::lineCount(c.text, 11, c.wrap, width), c.lines);
    }
}

TEST(TextMetricsTest, HeightsAreWholePixelsAndCapped) {
    EXPECT_DOUBLE_EQ(TextMetrics::lineHeight(11), 13.5);     // 13.2 up to 18 px
    EXPECT_DOUBLE_EQ(TextMetrics::cellHeight(1, 11), 15.0);  // the default row
    EXPECT_DOUBLE_EQ(TextMetrics::cellHeight(1000, 11), TextMetrics::kMaxRowHeight);
    EXPECT_EQ(TextMetrics::columnPixels(8.43), 64);  // the default column
}

class RowLayoutSheetTest : public ::testing::Test {
protected:
    std::shared_ptr<Workbook> m_book = Workbook::createNew(1);
    Worksheet& sheet() { return *m_book->sheet(0); }

    /* Put a wrapped multi-line text at a cell. */
    void putLines(int row, int column, int lines) {
        sheet().setText(row, column, linesOf(QStringLiteral("x"), lines));
        CellFormat format;
        format.wrap = true;
        sheet().setFormat(row, column, format);
    }
};

TEST_F(RowLayoutSheetTest, CustomRowsKeepTheirHeightAndEmptiedRowsReturnToDefault) {
    sheet().setRowHeight(1, 33);  // a template row
    putLines(1, 1, 5);
    putLines(2, 1, 5);
    RowLayout::fitRows(sheet(), 1, 2);
    EXPECT_DOUBLE_EQ(sheet().rowHeight(1), 33);
    EXPECT_TRUE(sheet().hasCustomHeight(1));
    EXPECT_GT(sheet().rowHeight(2), 60);
    sheet().setText(2, 1, QStringLiteral("short"));
    RowLayout::fitRows(sheet(), 1, 2);
    EXPECT_EQ(sheet().rowHeights().count(2), 0u);
    EXPECT_EQ(sheet().rowHeights().count(3), 0u);  // never touched
}

TEST_F(RowLayoutSheetTest, ColumnWidthsPasteRefitsWrappedRows) {
    sheet().setText(1, 1, QString(100, QLatin1Char('x')));
    CellFormat wrap;
    wrap.wrap = true;
    sheet().setFormat(1, 1, wrap);
    RowLayout::fitRows(sheet(), 1, 1);
    const double narrow = sheet().rowHeight(1);
    Fragment widths = Fragment::sized(1, 1);
    widths.source = Fragment::Source::Workbook;
    widths.columnWidths[0] = 100;
    ASSERT_TRUE(PasteEngine::paste(sheet(), widths, 1, 1, PasteType::ColumnWidths));
    EXPECT_LT(sheet().rowHeight(1), narrow);
}

TEST_F(RowLayoutSheetTest, SplitUnmergesRangesThatWouldHideAPiece) {
    // A merged table row whose first-column text holds the separator.
    sheet().setText(1, 1, QStringLiteral("left|right"));
    CellFormat bold;
    bold.bold = true;
    sheet().setFormat(1, 1, bold);
    sheet().addMerge({1, 1, 2, 3});
    sheet().setText(3, 1, QStringLiteral("plain|cell"));
    sheet().addMerge({3, 5, 3, 6});  // not written into: stays merged
    TextToColumns::Options options;
    options.other = true;
    options.otherChar = QLatin1Char('|');
    ASSERT_TRUE(TextToColumns::split(sheet(), {1, 1, kMaxRows, 1}, 1, 1, options));
    EXPECT_EQ(sheet().cell(1, 2)->text, QStringLiteral("right"));
    ASSERT_EQ(sheet().merges().size(), 1u);
    EXPECT_EQ(sheet().merges()[0], (CellRange{3, 5, 3, 6}));
    EXPECT_TRUE(sheet().format(2, 3).bold);  // the range's format stays on its cells
}

}  // namespace
