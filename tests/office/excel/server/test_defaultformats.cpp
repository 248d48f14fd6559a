// Default formats of whole columns and rows: the model, whole-row copies, and for .xlsx and
// .xls alike the reader, the writer, and a template going through the job's steps.

#include "automation/axobject.h"
#include "office/excel/server/excelapplication.h"
#include "office/excel/paste/pasteengine.h"
#include "office/excel/workbookfile.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QTemporaryDir>

#include <memory>

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

// A template formatted by whole columns and rows, made by openpyxl (.xlsx) or xlwt (.xls),
// read by us, taken through the job's steps, saved in the same format and read back by
// openpyxl or xlrd.
class DefaultFormatsFileTest : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        m_template = pathOf(QStringLiteral("template"));
        const QString made = runScript(QStringLiteral("make_styled_template.py"), {m_template});
        ASSERT_FALSE(made.startsWith(QLatin1String("ERROR"))) << made.toStdString();
    }

    QString pathOf(const QString& name) const {
        return m_dir.filePath(name + QLatin1Char('.') + QLatin1String(GetParam()));
    }

    // The format the other reader shows at 1-based "row,column" positions, one word each:
    // "B" bold, "I" italic, "-" neither, then ":RRGGBB" for a solid fill.
    static QString shown(const QString& path, const QStringList& positions) {
        return runScript(QStringLiteral("shown_styles.py"), QStringList{path} + positions);
    }

    static QString runScript(const QString& script, const QStringList& arguments) {
        QProcess process;
        process.start(
            QStringLiteral("/usr/bin/python3"),
            QStringList{QStringLiteral(SW_SOURCE_DIR "/tests/office/excel/server/") + script} +
                arguments);
        if (!process.waitForFinished(60000) || process.exitCode() != 0) {
            return QStringLiteral("ERROR: ") + QString::fromUtf8(process.readAllStandardError());
        }
        return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
    }

    QTemporaryDir m_dir;
    QString m_template;
};

TEST_P(DefaultFormatsFileTest, ReaderKeepsColumnAndRowDefaults) {
    Workbook book;
    const WorkbookFileResult result = WorkbookFile::load(m_template, book);
    ASSERT_TRUE(result.ok()) << result.message.toStdString();
    const Worksheet& sheet = *book.sheet(0);
    EXPECT_TRUE(sheet.format(3, 2).bold);
    EXPECT_EQ(sheet.format(3, 2).fillColor, 0xFFFF00u);
    EXPECT_TRUE(sheet.format(2, 2).italic);  // row 2 over column B
    EXPECT_FALSE(sheet.format(2, 2).bold);
    EXPECT_EQ(sheet.format(2, 200).fillColor, 0x00FF00u);
    EXPECT_EQ(sheet.format(9, 6).fillColor, 0xC0C0C0u);
    EXPECT_EQ(sheet.format(9, 7).fillColor, kAutoColor);
    EXPECT_FALSE(sheet.format(1, 2).bold);  // B1's own format
    EXPECT_EQ(sheet.format(1, 2).fillColor, 0x0000FFu);
    EXPECT_NEAR(sheet.columnWidth(2), 20, 0.01);
    EXPECT_EQ(sheet.cellCount(), 3);
}

TEST_P(DefaultFormatsFileTest, SavedDefaultsReadBackByTheOtherReaderAndByUs) {
    Workbook book;
    ASSERT_TRUE(WorkbookFile::load(m_template, book).ok());
    const QString saved = pathOf(QStringLiteral("saved"));
    const WorkbookFileResult result = WorkbookFile::save(book, saved);
    ASSERT_TRUE(result.ok()) << result.message.toStdString();
    EXPECT_EQ(shown(saved, {QStringLiteral("3,2"), QStringLiteral("2,2"), QStringLiteral("2,200"),
                            QStringLiteral("9,4"), QStringLiteral("9,7"), QStringLiteral("1,2"),
                            QStringLiteral("60000,2")}),
              QStringLiteral("B:FFFF00 I:00FF00 I:00FF00 I:C0C0C0 - -:0000FF B:FFFF00"));

    Workbook again;
    ASSERT_TRUE(WorkbookFile::load(saved, again).ok());
    const Worksheet& back = *again.sheet(0);
    EXPECT_EQ(back.rowFormats().size(), 1u);
    EXPECT_EQ(back.format(40, 6).fillColor, 0xC0C0C0u);
    EXPECT_NEAR(back.columnWidth(2), 20, 0.01);
    EXPECT_EQ(back.cellCount(), 3);
}

TEST_P(DefaultFormatsFileTest, TemplateStepsCarryTheFormatsIntoTheSavedWorkbook) {
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
    const QString outPath = pathOf(QStringLiteral("out"));
    ASSERT_TRUE(out->dynamicCall("SaveAs(const QString&)", outPath).isValid());
    out->dynamicCall("Close (Boolean)", false);

    // Column B within the hundred rows, D:F likewise, row 2 across, nothing below.
    EXPECT_EQ(
        shown(outPath, {QStringLiteral("3,2"), QStringLiteral("100,2"), QStringLiteral("101,2"),
                        QStringLiteral("50,5"), QStringLiteral("50,7"), QStringLiteral("2,1"),
                        QStringLiteral("2,2"), QStringLiteral("2,200"), QStringLiteral("1,2"),
                        QStringLiteral("4,3")}),
        QStringLiteral("B:FFFF00 B:FFFF00 - I:C0C0C0 - I:00FF00 I:00FF00 I:00FF00 "
                       "-:0000FF -"));
    Workbook back;
    ASSERT_TRUE(WorkbookFile::load(outPath, back).ok());
    EXPECT_EQ(back.sheet(0)->cell(4, 3)->text, QStringLiteral("plain"));
    EXPECT_NEAR(back.sheet(0)->columnWidth(2), 20, 0.01);
    EXPECT_TRUE(back.sheet(0)->columnFormats().empty());  // the copy kept rows, not columns
}

INSTANTIATE_TEST_SUITE_P(Formats, DefaultFormatsFileTest, ::testing::Values("xlsx", "xls"),
                         [](const auto& test) { return std::string(test.param); });

}  // namespace
