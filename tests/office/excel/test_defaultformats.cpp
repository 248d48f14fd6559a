// Default formats of whole columns and rows: the model, whole-row copies, the .xlsx reader
// and writer, and a template formatted by columns and rows going through the job's steps.

#include "automation/axobject.h"
#include "office/excel/server/excelapplication.h"
#include "office/excel/paste/pasteengine.h"
#include "office/excel/workbookfile.h"
#include "tests/office/excel/openpyxlreader.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QProcess>
#include <QTemporaryDir>

#include <memory>
#include <tuple>

namespace {

/* A format with only a bold flag, an italic flag and a fill colour. */
CellFormat styled(bool bold, bool italic, std::uint32_t fill) {
    CellFormat format;
    format.bold = bold;
    format.italic = italic;
    format.fillColor = fill;
    return format;
}

TEST(DefaultFormats, CellsShowTheirOwnThenTheRowsThenTheColumnsFormat) {
    Worksheet sheet(QStringLiteral("S"), nullptr);
    const int column = sheet.formatTable().intern(styled(true, false, 0xFFFF00));
    const int row = sheet.formatTable().intern(styled(false, true, 0x00FF00));
    const int own = sheet.formatTable().intern(styled(false, false, 0x0000FF));
    sheet.setColumnFormat(2, kMaxColumns, column);
    sheet.setRowFormat(kMaxRows, row);
    EXPECT_EQ(sheet.cellCount(), 0);  // nothing is materialised
    EXPECT_EQ(sheet.formatIndex(1, 1), 0);
    EXPECT_EQ(sheet.formatIndex(500000, kMaxColumns), column);
    EXPECT_EQ(sheet.formatIndex(kMaxRows, 1), row);
    EXPECT_EQ(sheet.formatIndex(kMaxRows, 2), row);  // the row wins over the column
    EXPECT_TRUE(sheet.format(7, 3).bold);

    // A new value takes the default of its place; an own format overrides it.
    ASSERT_TRUE(sheet.setText(3, 2, QStringLiteral("x")));
    EXPECT_EQ(sheet.cell(3, 2)->format, column);
    ASSERT_TRUE(sheet.setFormatIndex(4, 2, own));
    EXPECT_EQ(sheet.formatIndex(4, 2), own);
    // Setting the default again drops the empty cell; setting 0 keeps it as an override.
    ASSERT_TRUE(sheet.setFormatIndex(4, 2, column));
    EXPECT_EQ(sheet.cell(4, 2), nullptr);
    ASSERT_TRUE(sheet.setFormatIndex(5, 2, 0));
    ASSERT_NE(sheet.cell(5, 2), nullptr);
    EXPECT_EQ(sheet.formatIndex(5, 2), 0);
    EXPECT_EQ(sheet.cellCount(), 2);
}

TEST(DefaultFormats, ColumnRunsSplitAndMergeWhenOverwritten) {
    Worksheet sheet(QStringLiteral("S"), nullptr);
    sheet.setColumnFormat(1, 10, 3);
    sheet.setColumnFormat(4, 6, 5);
    sheet.setColumnFormat(9, 12, 0);
    sheet.setColumnFormat(0, 0, 7);  // outside the sheet: ignored
    std::vector<std::vector<int>> runs;
    for (const auto& run : sheet.columnFormats()) {
        runs.push_back({run.first, run.second.lastColumn, run.second.format});
    }
    const std::vector<std::vector<int>> expected{{1, 3, 3}, {4, 6, 5}, {7, 8, 3}};
    EXPECT_EQ(runs, expected);
    EXPECT_EQ(sheet.columnFormat(5), 5);
    EXPECT_EQ(sheet.columnFormat(9), 0);
    sheet.setRowFormat(kMaxRows + 1, 3);
    EXPECT_TRUE(sheet.rowFormats().empty());
}

TEST(DefaultFormats, WholeRowCopyCarriesRowAndColumnDefaultsWithoutMaterialisingColumns) {
    auto formats = std::make_shared<FormatTable>();
    Worksheet source(QStringLiteral("T"), formats);
    const int bold = formats->intern(styled(true, false, 0xFFFF00));
    const int italic = formats->intern(styled(false, true, 0x00FF00));
    const int grey = formats->intern(styled(false, false, 0xC0C0C0));
    source.setColumnFormat(2, 2, bold);
    source.setColumnFormat(10, kMaxColumns, grey);  // travels as the trailing format
    source.setRowFormat(2, italic);
    source.setText(1, 1, QStringLiteral("Head"));
    source.setText(5, 3, QStringLiteral("plain"));

    const Fragment fragment = PasteEngine::copy(source, {1, 1, 100, kMaxColumns});
    EXPECT_EQ(fragment.columnCount, 9);
    ASSERT_EQ(fragment.rowCount, 100);

    Worksheet target(QStringLiteral("O"), nullptr);
    target.setText(120, 2, QStringLiteral("below"));
    ASSERT_TRUE(PasteEngine::paste(target, fragment, 1, 1, PasteType::All));
    const auto shown = [&](int row, int column) { return target.format(row, column); };
    EXPECT_TRUE(shown(3, 2).bold);
    EXPECT_TRUE(shown(100, 2).bold);
    EXPECT_FALSE(shown(101, 2).bold);   // below the copied rows
    EXPECT_FALSE(shown(120, 2).bold);   // a value below keeps its own format
    EXPECT_TRUE(shown(2, 2).italic);    // the row's default wins over the column's
    EXPECT_TRUE(shown(2, 300).italic);  // across the whole row
    EXPECT_EQ(shown(7, 300).fillColor, 0xC0C0C0u);
    EXPECT_EQ(shown(7, 3).fillColor, kAutoColor);
    EXPECT_EQ(shown(101, 300).fillColor, kAutoColor);
    EXPECT_EQ(target.cell(1, 1)->text, QStringLiteral("Head"));
    // Stored: the values, column B's hundred cells (less the default row) and the cells
    // left of the trailing columns that override the trailing format with none.
    EXPECT_LT(target.cellCount(), 100 * 9 + 2);
    EXPECT_TRUE(target.columnFormats().empty());

    // Values only: the target keeps its formats and defaults.
    Worksheet values(QStringLiteral("V"), nullptr);
    ASSERT_TRUE(PasteEngine::paste(values, fragment, 1, 1, PasteType::Values));
    EXPECT_TRUE(values.rowFormats().empty());
    EXPECT_EQ(values.formatIndex(3, 2), 0);
}

// A template formatted by whole columns and rows, made by openpyxl.
class StyledTemplateTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        m_template = m_dir.filePath(QStringLiteral("styled.xlsx"));
        QProcess process;
        process.start(QStringLiteral("/usr/bin/python3"),
                      {QStringLiteral(SW_SOURCE_DIR "/tests/office/excel/make_styled_template.py"),
                       m_template});
        ASSERT_TRUE(process.waitForFinished(60000) && process.exitCode() == 0)
            << process.readAllStandardError().toStdString();
    }

    // What openpyxl shows at a cell: the cell's own style, else its row's, else its
    // column's, as {bold, italic, fill}; fill "" when none.
    static std::tuple<bool, bool, QString> shownStyle(const QJsonObject& book, int row,
                                                      int column) {
        const QJsonObject sheet = openpyxlSheet(book, 0);
        QJsonObject style =
            sheet.value(QStringLiteral("cells")).toObject().value(cellName(row, column)).toObject();
        if (style.isEmpty()) {
            style = sheet.value(QStringLiteral("rowStyles"))
                        .toObject()
                        .value(QString::number(row))
                        .toObject();
        }
        const QJsonObject columns = sheet.value(QStringLiteral("columnStyles")).toObject();
        for (auto it = columns.begin(); style.isEmpty() && it != columns.end(); ++it) {
            const QStringList span = it.key().split(QLatin1Char(':'));
            if (span.value(0).toInt() <= column && column <= span.value(1).toInt()) {
                style = it.value().toObject();
            }
        }
        const QJsonObject font = style.value(QStringLiteral("font")).toObject();
        return {font.value(QStringLiteral("bold")).toBool(),
                font.value(QStringLiteral("italic")).toBool(),
                style.value(QStringLiteral("fill")).toString()};
    }

    static QString cellName(int row, int column) { return CellRange::cellName(row, column); }

    QTemporaryDir m_dir;
    QString m_template;
};

TEST_F(StyledTemplateTest, ReaderKeepsColumnAndRowDefaults) {
    Workbook book;
    const WorkbookFileResult result = WorkbookFile::load(m_template, book);
    ASSERT_TRUE(result.ok()) << result.message.toStdString();
    const Worksheet& sheet = *book.sheet(0);
    EXPECT_TRUE(sheet.format(3, 2).bold);
    EXPECT_EQ(sheet.format(3, 2).fillColor, 0xFFFF00u);
    EXPECT_TRUE(sheet.format(2, 2).italic);  // row 2 over column B
    EXPECT_FALSE(sheet.format(2, 2).bold);
    EXPECT_EQ(sheet.format(2, 9000).fillColor, 0x00FF00u);
    EXPECT_EQ(sheet.format(9, 6).fillColor, 0xC0C0C0u);
    EXPECT_EQ(sheet.format(9, 7).fillColor, kAutoColor);
    EXPECT_FALSE(sheet.format(1, 2).bold);  // B1's own format
    EXPECT_EQ(sheet.format(1, 2).fillColor, 0x0000FFu);
    EXPECT_DOUBLE_EQ(sheet.columnWidth(2), 20);
    EXPECT_EQ(sheet.cellCount(), 3);
}

TEST_F(StyledTemplateTest, TemplateStepsCarryTheFormatsIntoTheSavedWorkbook) {
    auto excel = std::make_unique<AxObject>(createExcelApplication(), nullptr);
    ASSERT_TRUE(excel->writeProperty("DisplayAlerts", false));
    AxObject* books = excel->querySubObject("WorkBooks");
    std::unique_ptr<AxObject> templ(books->querySubObject("Open(const QString&)", m_template));
    ASSERT_NE(templ, nullptr);
    std::unique_ptr<AxObject> rows(
        templ->querySubObject("Sheets")
            ->querySubObject("Item(int)", 1)
            ->querySubObject("Range(const QString&)", QStringLiteral("1:100")));
    ASSERT_NE(rows, nullptr);
    books->dynamicCall("Add");
    AxObject* out = excel->querySubObject("ActiveWorkBook");
    std::unique_ptr<AxObject> first(out->querySubObject("Sheets")->querySubObject("Item(int)", 1));
    rows->dynamicCall("Copy()");
    first->dynamicCall("Paste()");
    rows->dynamicCall("Copy()");
    std::unique_ptr<AxObject> cell(first->querySubObject("Cells(int, int)", 1, 1));
    cell->dynamicCall("PasteSpecial(conts QVariant&)", 8);
    cell->dynamicCall("PasteSpecial(conts QVariant&)", -4122);
    templ->dynamicCall("Close (Boolean)", false);
    const QString outPath = m_dir.filePath(QStringLiteral("out.xlsx"));
    ASSERT_TRUE(out->dynamicCall("SaveAs(const QString&)", outPath).isValid());
    out->dynamicCall("Close (Boolean)", false);

    QString error;
    const QJsonObject read = readWithOpenpyxl(outPath, &error);
    ASSERT_TRUE(error.isEmpty()) << error.toStdString();
    using Style = std::tuple<bool, bool, QString>;
    const QString yellow = QStringLiteral("FFFF00");
    const QString green = QStringLiteral("00FF00");
    EXPECT_EQ(shownStyle(read, 3, 2), Style(true, false, yellow));
    EXPECT_EQ(shownStyle(read, 100, 2), Style(true, false, yellow));
    EXPECT_EQ(shownStyle(read, 101, 2), Style(false, false, QString()));
    EXPECT_EQ(shownStyle(read, 50, 5), Style(false, true, QStringLiteral("C0C0C0")));
    EXPECT_EQ(shownStyle(read, 50, 7), Style(false, false, QString()));
    EXPECT_EQ(shownStyle(read, 2, 1), Style(false, true, green));
    EXPECT_EQ(shownStyle(read, 2, 2), Style(false, true, green));
    EXPECT_EQ(shownStyle(read, 2, 700), Style(false, true, green));
    EXPECT_EQ(shownStyle(read, 1, 2), Style(false, false, QStringLiteral("0000FF")));
    EXPECT_EQ(shownStyle(read, 4, 3), Style(false, false, QString()));
    EXPECT_EQ(openpyxlCell(read, 0, QStringLiteral("C4")).value(QStringLiteral("value")),
              QStringLiteral("plain"));
    const QJsonObject sheet = openpyxlSheet(read, 0);
    EXPECT_DOUBLE_EQ(
        sheet.value(QStringLiteral("widths")).toObject().value(QStringLiteral("B")).toDouble(), 20);
    EXPECT_TRUE(sheet.value(QStringLiteral("columnStyles")).toObject().isEmpty());
}

TEST_F(StyledTemplateTest, SavedDefaultsReadBackByOpenpyxlAndByUs) {
    Workbook book;
    ASSERT_TRUE(WorkbookFile::load(m_template, book).ok());
    const QString saved = m_dir.filePath(QStringLiteral("saved.xlsx"));
    const WorkbookFileResult result = WorkbookFile::save(book, saved);
    ASSERT_TRUE(result.ok()) << result.message.toStdString();

    QString error;
    const QJsonObject read = readWithOpenpyxl(saved, &error);
    ASSERT_TRUE(error.isEmpty()) << error.toStdString();
    using Style = std::tuple<bool, bool, QString>;
    EXPECT_EQ(shownStyle(read, 3, 2), Style(true, false, QStringLiteral("FFFF00")));
    EXPECT_EQ(shownStyle(read, 2, 2), Style(false, true, QStringLiteral("00FF00")));
    EXPECT_EQ(shownStyle(read, 9, 4), Style(false, true, QStringLiteral("C0C0C0")));
    EXPECT_EQ(shownStyle(read, 9, 7), Style(false, false, QString()));
    const QJsonObject sheet = openpyxlSheet(read, 0);
    EXPECT_DOUBLE_EQ(
        sheet.value(QStringLiteral("widths")).toObject().value(QStringLiteral("B")).toDouble(), 20);

    Workbook again;
    ASSERT_TRUE(WorkbookFile::load(saved, again).ok());
    const Worksheet& back = *again.sheet(0);
    EXPECT_EQ(back.columnFormats().size(), 2u);
    EXPECT_EQ(back.rowFormats().size(), 1u);
    EXPECT_EQ(back.format(2, 50).fillColor, 0x00FF00u);
    EXPECT_EQ(back.format(40, 6).fillColor, 0xC0C0C0u);
    EXPECT_EQ(back.cellCount(), 3);
}

}  // namespace
