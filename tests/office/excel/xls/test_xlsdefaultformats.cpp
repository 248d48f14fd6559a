// Default formats of whole columns and rows in .xls: a template made by xlwt, read by us,
// taken through a whole-row copy and paste, saved and read back by xlrd.

#include "office/excel/paste/pasteengine.h"
#include "office/excel/workbookfile.h"
#include "tests/office/excel/xls/xlsoracle.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

namespace {

// Column B bold on yellow, row 2 italic on green (row default), A1 "Head", C4 "plain".
const char* const kMakeTemplate = R"(
import sys, xlwt
book = xlwt.Workbook()
sheet = book.add_sheet("Vorlage")
sheet.col(1).set_style(xlwt.easyxf("font: bold on; pattern: pattern solid, fore_colour yellow"))
sheet.row(1).set_style(
    xlwt.easyxf("font: italic on; pattern: pattern solid, fore_colour bright_green"))
sheet.write(0, 0, "Head")
sheet.write(3, 2, "plain")
book.save(sys.argv[1])
)";

// For each "row,column" argument (0-based): the style xlrd resolves there as Excel shows
// it (the cell's XF, else the row's default, else the column's): "B" bold, "I" italic,
// "F" filled, "-" none; one word per position.
const char* const kShownStyles = R"(
import sys, xlrd
book = xlrd.open_workbook(sys.argv[1], formatting_info=True, ragged_rows=True)
sheet = book.sheet_by_index(0)
def xf_at(r, c):
    try:
        return sheet.cell_xf_index(r, c)
    except IndexError:
        pass
    row = sheet.rowinfo_map.get(r)
    if row is not None and row.has_default_xf_index:
        return row.xf_index
    column = sheet.colinfo_map.get(c)
    return column.xf_index if column is not None else 15
words = []
for position in sys.argv[2:]:
    r, c = map(int, position.split(","))
    xf = book.xf_list[xf_at(r, c)]
    font = book.font_list[xf.font_index]
    word = ("B" if font.bold else "") + ("I" if font.italic else "")
    word += "F" if xf.background.fill_pattern else ""
    words.append(word or "-")
print(" ".join(words))
)";

class XlsDefaultFormatsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        m_template = m_dir.filePath(QStringLiteral("template.xls"));
        const QString made = xlsoracle::runPython(QLatin1String(kMakeTemplate), {m_template});
        ASSERT_FALSE(made.startsWith(QLatin1String("ERROR"))) << made.toStdString();
    }

    /* xlrd's shown styles of a saved workbook at 0-based positions. */
    static QString shown(const QString& path, const QStringList& positions) {
        return xlsoracle::runPython(QLatin1String(kShownStyles), QStringList{path} + positions);
    }

    QTemporaryDir m_dir;
    QString m_template;
};

TEST_F(XlsDefaultFormatsTest, ReaderKeepsColumnAndRowDefaults) {
    Workbook book;
    const WorkbookFileResult result = WorkbookFile::load(m_template, book);
    ASSERT_TRUE(result.ok()) << result.message.toStdString();
    const Worksheet& sheet = *book.sheet(0);
    EXPECT_TRUE(sheet.format(3, 2).bold);
    EXPECT_NE(sheet.format(3, 2).fillColor, kAutoColor);
    EXPECT_TRUE(sheet.format(2, 2).italic);  // the row over the column
    EXPECT_FALSE(sheet.format(2, 2).bold);
    EXPECT_TRUE(sheet.format(2, 200).italic);
    EXPECT_FALSE(sheet.format(5, 3).bold);
    EXPECT_EQ(sheet.cellCount(), 2);
    EXPECT_DOUBLE_EQ(sheet.columnWidth(2), Worksheet::kDefaultColumnWidth);
}

TEST_F(XlsDefaultFormatsTest, SavedWorkbookKeepsDefaultsForXlrd) {
    Workbook book;
    ASSERT_TRUE(WorkbookFile::load(m_template, book).ok());
    const QString saved = m_dir.filePath(QStringLiteral("saved.xls"));
    const WorkbookFileResult result = WorkbookFile::save(book, saved);
    ASSERT_TRUE(result.ok()) << result.message.toStdString();
    EXPECT_EQ(shown(saved, {QStringLiteral("2,1"), QStringLiteral("1,1"), QStringLiteral("1,200"),
                            QStringLiteral("3,2"), QStringLiteral("60000,1")}),
              QStringLiteral("BF IF IF - BF"));

    Workbook again;
    ASSERT_TRUE(WorkbookFile::load(saved, again).ok());
    EXPECT_EQ(again.sheet(0)->columnFormats().size(), 1u);
    EXPECT_EQ(again.sheet(0)->rowFormats().size(), 1u);
}

TEST_F(XlsDefaultFormatsTest, TemplateRowsPastedAndSavedShowTheTemplatesFormats) {
    Workbook templ;
    ASSERT_TRUE(WorkbookFile::load(m_template, templ).ok());
    const CellRange rows{1, 1, 100, kMaxColumns};
    Workbook out;
    const std::shared_ptr<Worksheet> sheet = out.addSheet();
    ASSERT_TRUE(
        PasteEngine::paste(*sheet, PasteEngine::copy(*templ.sheet(0), rows), 1, 1, PasteType::All));
    sheet->setText(150, 2, QStringLiteral("content"));
    ASSERT_TRUE(PasteEngine::paste(*sheet, PasteEngine::copy(*templ.sheet(0), rows), 1, 1,
                                   PasteType::Formats));
    EXPECT_TRUE(sheet->columnFormats().empty());
    const QString saved = m_dir.filePath(QStringLiteral("out.xls"));
    const WorkbookFileResult result = WorkbookFile::save(out, saved);
    ASSERT_TRUE(result.ok()) << result.message.toStdString();
    // Column B within the hundred rows, row 2 across, nothing below or elsewhere.
    EXPECT_EQ(shown(saved, {QStringLiteral("2,1"), QStringLiteral("99,1"), QStringLiteral("100,1"),
                            QStringLiteral("149,1"), QStringLiteral("1,0"), QStringLiteral("1,1"),
                            QStringLiteral("1,255"), QStringLiteral("3,2"), QStringLiteral("0,0")}),
              QStringLiteral("BF BF - - IF IF IF - -"));
}

}  // namespace
