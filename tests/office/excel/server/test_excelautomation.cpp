#include "office/excel/server/excelapplication.h"

#include "automation/axobject.h"
#include "office/clipboard/clipboard.h"
#include "office/excel/server/excelworkbook.h"
#include "office/excel/server/excelworksheet.h"
#include "tests/office/excel/openpyxlreader.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QTemporaryDir>

#include <memory>

namespace {

// Drives the built-in Excel through AxObject with the member strings the job uses.
class ExcelAutomationTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_excel = std::make_unique<AxObject>(createExcelApplication(), nullptr);
        m_excel->dynamicCall("SetVisible (bool Visible)", QStringLiteral("false"));
        ASSERT_TRUE(m_excel->writeProperty("DisplayAlerts", false));
        m_books = m_excel->querySubObject("WorkBooks");
        ASSERT_NE(m_books, nullptr);
    }

    // "Add" on WorkBooks, then "ActiveWorkBook".
    AxObject* newWorkbook() {
        m_books->dynamicCall("Add");
        return m_excel->querySubObject("ActiveWorkBook");
    }

    // Put a document-like fragment on the clipboard.
    static void copyDocumentText(const QStringList& rows) {
        Fragment fragment = Fragment::sized(rows.size(), 1);
        for (int i = 0; i < rows.size(); ++i) {
            fragment.at(i, 0).kind = FragmentCell::Kind::Text;
            fragment.at(i, 0).text = rows[i];
        }
        Clipboard::current().setFragment(fragment);
    }

    // The sheet model behind a sheet handle.
    static Worksheet* modelOf(AxObject* sheet) {
        const auto object = std::dynamic_pointer_cast<ExcelWorksheet>(sheet->serverObject());
        return object ? object->sheet().get() : nullptr;
    }

    static QString name(AxObject* sheets, int index) {
        std::unique_ptr<AxObject> sheet(sheets->querySubObject("Item(int)", index));
        return sheet ? sheet->readProperty("Name").toString() : QString();
    }

    std::unique_ptr<AxObject> m_excel;
    AxObject* m_books = nullptr;
    QTemporaryDir m_dir;
};

TEST_F(ExcelAutomationTest, NewWorkbookIsReducedToOneSheetByDeletingFromTheEnd) {
    AxObject* book = newWorkbook();
    ASSERT_NE(book, nullptr);
    AxObject* sheets = book->querySubObject("Sheets");
    ASSERT_NE(sheets, nullptr);
    int n = sheets->readProperty("Count").toInt();
    EXPECT_EQ(n, 3);
    EXPECT_EQ(sheets->dynamicCall("Count()").toInt(), 3);
    std::unique_ptr<AxObject> third(sheets->querySubObject("Item(int)", 3));
    while (n > 1) {
        std::unique_ptr<AxObject> sheet(sheets->querySubObject("Item(int)", n));
        sheet->dynamicCall("Delete()");
        --n;
    }
    EXPECT_EQ(sheets->readProperty("Count").toInt(), 1);
    EXPECT_TRUE(third->isNull());  // a deleted sheet reads as no object
    std::unique_ptr<AxObject> last(sheets->querySubObject("Item(int)", 1));
    EXPECT_FALSE(last->dynamicCall("Delete()").isValid());  // the last sheet stays
    EXPECT_EQ(name(sheets, 1), QStringLiteral("Sheet1"));
}

TEST_F(ExcelAutomationTest, TableModeAppendsSheetsAndNamesThem) {
    AxObject* book = newWorkbook();
    AxObject* sheets = book->querySubObject("Sheets");
    for (int n = 3; n > 1; --n) {
        std::unique_ptr<AxObject>(sheets->querySubObject("Item(int)", n))->dynamicCall("Delete()");
    }
    for (int t = 1; t < 3; ++t) {
        const int c = sheets->dynamicCall("Count()").toInt();
        std::unique_ptr<AxObject> lastSheet(sheets->querySubObject("Item(int)", c));
        sheets->dynamicCall("Add(conts QVariant)", lastSheet->asVariant());
        std::unique_ptr<AxObject> added(sheets->querySubObject("Item(int)", c));
        lastSheet->dynamicCall("Move(conts QVariant)", added->asVariant());
        std::unique_ptr<AxObject> target(sheets->querySubObject("Item(int)", c + 1));
        EXPECT_EQ(modelOf(target.get()), modelOf(added.get()));  // the new sheet is last
    }
    EXPECT_EQ(name(sheets, 1), QStringLiteral("Sheet1"));
    EXPECT_EQ(name(sheets, 2), QStringLiteral("Sheet4"));
    EXPECT_EQ(name(sheets, 3), QStringLiteral("Sheet5"));
    // Renaming to "Sheet" + position: "Sheet2" is free, then "Sheet3".
    const int c = sheets->dynamicCall("Count()").toInt();
    for (int l = 1; l <= c; ++l) {
        std::unique_ptr<AxObject> sheet(sheets->querySubObject("Item(int)", l));
        EXPECT_TRUE(sheet->writeProperty("Name", QStringLiteral("Sheet%1").arg(l)));
    }
    EXPECT_EQ(name(sheets, 2), QStringLiteral("Sheet2"));
    EXPECT_EQ(name(sheets, 3), QStringLiteral("Sheet3"));
    std::unique_ptr<AxObject> first(sheets->querySubObject("Item(int)", 1));
    EXPECT_FALSE(first->writeProperty("Name", QStringLiteral("sheet3")));  // clash
    EXPECT_FALSE(first->writeProperty("Name", QStringLiteral("a/b")));
    EXPECT_EQ(name(sheets, 1), QStringLiteral("Sheet1"));
}

TEST_F(ExcelAutomationTest, StagedPasteThroughATemporarySheet) {
    AxObject* book = newWorkbook();
    AxObject* sheets = book->querySubObject("Sheets");
    for (int n = 3; n > 1; --n) {
        std::unique_ptr<AxObject>(sheets->querySubObject("Item(int)", n))->dynamicCall("Delete()");
    }
    std::unique_ptr<AxObject> target(sheets->querySubObject("Item(int)", 1));
    copyDocumentText({QStringLiteral("a|1"), QStringLiteral("007")});
    sheets->dynamicCall("Add(QVariant)", target->asVariant());
    const int n = sheets->dynamicCall("Count()").toInt();
    ASSERT_EQ(n, 2);
    std::unique_ptr<AxObject> temp(sheets->querySubObject("Item(int)", n - 1));
    ASSERT_NE(modelOf(temp.get()), modelOf(target.get()));
    EXPECT_TRUE(temp->dynamicCall("Paste()").isValid());
    std::unique_ptr<AxObject> used(temp->querySubObject("UsedRange"));
    used->dynamicCall("Copy()");
    std::unique_ptr<AxObject> cell(target->querySubObject("Cells(int, int)", 1, 1));
    EXPECT_TRUE(cell->dynamicCall("PasteSpecial(conts QVariant&)", -4163).isValid());
    temp->dynamicCall("Delete()");
    EXPECT_EQ(sheets->dynamicCall("Count()").toInt(), 1);
    std::unique_ptr<AxObject> a1(
        target->querySubObject("Range(const QString&)", QStringLiteral("A1")));
    EXPECT_EQ(a1->readProperty("Value").toString(), QStringLiteral("a|1"));
    std::unique_ptr<AxObject> a2(
        target->querySubObject("Range(const QString&)", QStringLiteral("A2")));
    EXPECT_EQ(a2->readProperty("Value").toString(), QStringLiteral("007"));

    // The column split of whole-document mode.
    std::unique_ptr<AxObject> column(
        target->querySubObject("Range(const QString&)", QStringLiteral("A:A")));
    QVariant result = column->dynamicCall(
        "TextToColumns(QVariant,QVariant,QVariant,QVariant,QVariant,QVariant,QVariant,QVariant,"
        "QVariant,QVariant)",
        column->asVariant(), 1, -4142, false, false, false, false, false, true,
        QStringLiteral("|"));
    EXPECT_TRUE(result.isValid());
    std::unique_ptr<AxObject> b1(target->querySubObject("Cells(int, int)", 1, 2));
    EXPECT_EQ(b1->readProperty("Value").toDouble(), 1.0);
}

TEST_F(ExcelAutomationTest, PasteLandsAtTheSelectionAndSelectsThePastedArea) {
    AxObject* book = newWorkbook();
    std::unique_ptr<AxObject> sheet(book->querySubObject("Sheets")->querySubObject("Item(int)", 1));
    std::unique_ptr<AxObject> start(
        sheet->querySubObject("Range(const QString&)", QStringLiteral("C3")));
    start->dynamicCall("Select()");
    copyDocumentText({QStringLiteral("x"), QStringLiteral("y")});
    ASSERT_TRUE(sheet->dynamicCall("Paste()").isValid());
    std::unique_ptr<AxObject> c4(
        sheet->querySubObject("Range(const QString&)", QStringLiteral("C4")));
    EXPECT_EQ(c4->readProperty("Value").toString(), QStringLiteral("y"));
    copyDocumentText({QStringLiteral("z")});
    ASSERT_TRUE(sheet->dynamicCall("Paste()").isValid());  // top-left of C3:C4
    std::unique_ptr<AxObject> c3(
        sheet->querySubObject("Range(const QString&)", QStringLiteral("C3")));
    EXPECT_EQ(c3->readProperty("Value").toString(), QStringLiteral("z"));
    EXPECT_FALSE(sheet->dynamicCall("PasteSpecial(conts QVariant&)", 12345).isValid());
    EXPECT_FALSE(c3->dynamicCall("PasteSpecial(conts QVariant&)", 12345).isValid());
    EXPECT_FALSE(
        c3->dynamicCall("PasteSpecial(conts QVariant&)", QStringLiteral("values")).isValid());
    EXPECT_EQ(c3->readProperty("Value").toString(), QStringLiteral("z"));
    Clipboard::current().clear();
    EXPECT_FALSE(sheet->dynamicCall("Paste()").isValid());
    EXPECT_EQ(sheet->querySubObject("Range(const QString&)", QStringLiteral("A0")), nullptr);
    EXPECT_EQ(sheet->querySubObject("Cells(int, int)", 0, 1), nullptr);
}

TEST_F(ExcelAutomationTest, TemplateRowsFormatsAndWidthsThenSaveCloseQuit) {
    // A template workbook, saved and opened again.
    AxObject* templ = newWorkbook();
    std::unique_ptr<AxObject> tsheet(
        templ->querySubObject("Sheets")->querySubObject("Item(int)", 1));
    std::unique_ptr<AxObject> title(
        tsheet->querySubObject("Range(const QString&)", QStringLiteral("A1")));
    title->writeProperty("Value", QStringLiteral("Title"));
    title->writeProperty("ColumnWidth", 25);
    title->writeProperty("RowHeight", 28);
    const QString templatePath = m_dir.filePath(QStringLiteral("template.xlsx"));
    ASSERT_TRUE(templ->dynamicCall("SaveAs(const QString&)", templatePath).isValid());
    templ->dynamicCall("Close (Boolean)", false);
    EXPECT_TRUE(templ->isNull());

    std::unique_ptr<AxObject> opened(m_books->querySubObject("Open(const QString&)", templatePath));
    ASSERT_NE(opened, nullptr);
    std::unique_ptr<AxObject> rows(
        opened->querySubObject("Sheets")
            ->querySubObject("Item(int)", 1)
            ->querySubObject("Range(const QString&)", QStringLiteral("1:100")));
    ASSERT_NE(rows, nullptr);

    AxObject* out = newWorkbook();
    AxObject* sheets = out->querySubObject("Sheets");
    std::unique_ptr<AxObject> first(sheets->querySubObject("Item(int)", 1));
    rows->dynamicCall("Copy()");
    first->dynamicCall("Paste()");
    copyDocumentText({QStringLiteral("body")});
    first->dynamicCall("Paste()");
    rows->dynamicCall("Copy()");
    std::unique_ptr<AxObject> cell(first->querySubObject("Cells(int, int)", 1, 1));
    cell->dynamicCall("PasteSpecial(conts QVariant&)", 8);
    cell->dynamicCall("PasteSpecial(conts QVariant&)", -4122);
    opened->dynamicCall("Close (Boolean)", false);
    EXPECT_TRUE(rows->isNull());
    first->dynamicCall("Select()");
    const QString outPath = m_dir.filePath(QStringLiteral("out.xlsx"));
    ASSERT_TRUE(out->dynamicCall("SaveAs(const QString&)", outPath).isValid());
    out->dynamicCall("Close (Boolean)", false);
    m_excel->dynamicCall("Quit(void)");

    QString error;
    const QJsonObject read = readWithOpenpyxl(outPath, &error);
    ASSERT_TRUE(error.isEmpty()) << error.toStdString();
    const QJsonObject sheet = openpyxlSheet(read, 0);
    EXPECT_EQ(read.value(QStringLiteral("sheets")).toArray().size(), 3);
    EXPECT_EQ(openpyxlCell(read, 0, QStringLiteral("A1")).value(QStringLiteral("value")).toString(),
              QStringLiteral("body"));
    EXPECT_DOUBLE_EQ(
        sheet.value(QStringLiteral("widths")).toObject().value(QStringLiteral("A")).toDouble(), 25);
    EXPECT_DOUBLE_EQ(
        sheet.value(QStringLiteral("heights")).toObject().value(QStringLiteral("1")).toDouble(),
        28);

    // After Quit the application is bound again for the next document.
    AxObject* again = newWorkbook();
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->querySubObject("Sheets")->readProperty("Count").toInt(), 3);
}

TEST_F(ExcelAutomationTest, FailedSavesReturnNothingAndLeaveNoFile) {
    AxObject* book = newWorkbook();
    const QString xls = m_dir.filePath(QStringLiteral("legacy.xls"));
    const QString missing = m_dir.filePath(QStringLiteral("missing/out.xlsx"));
    const QVariant xlsResult = book->dynamicCall("SaveAs(const QString&)", xls);
    if (!xlsResult.isValid()) {
        EXPECT_FALSE(QFile::exists(xls));
    }
    EXPECT_FALSE(book->dynamicCall("SaveAs(const QString&)", missing).isValid());
    EXPECT_FALSE(QFile::exists(missing));
    EXPECT_EQ(m_books->querySubObject("Open(const QString&)",
                                      m_dir.filePath(QStringLiteral("none.xlsx"))),
              nullptr);
}

TEST_F(ExcelAutomationTest, FormatsBeyondTheLimitAreNamedWithTheCutCells) {
    AxObject* book = newWorkbook();
    auto object = std::dynamic_pointer_cast<ExcelWorkbook>(book->serverObject());
    ASSERT_NE(object, nullptr);
    Worksheet& sheet = *object->workbook()->sheet(0);
    const QString xls = m_dir.filePath(QStringLiteral("formats.xls"));
    ASSERT_TRUE(book->dynamicCall("SaveAs(const QString&)", xls).isValid());
    EXPECT_TRUE(book->readProperty("CutCells").toStringList().isEmpty());
    // Borders and alignment: the default and 4,009 more, ten more than a .xls holds.
    for (int i = 1; i < 4010; ++i) {
        CellFormat format;
        format.left.style = static_cast<BorderLine::Style>(i % 8);
        format.right.style = static_cast<BorderLine::Style>((i / 8) % 8);
        format.top.style = static_cast<BorderLine::Style>((i / 64) % 8);
        format.hAlign = static_cast<CellFormat::HAlign>((i / 512) % 5);
        format.wrap = i >= 2560;
        sheet.setNumber(i, 1, i);
        sheet.setFormat(i, 1, format);
    }
    ASSERT_TRUE(book->dynamicCall("SaveAs(const QString&)", xls).isValid());
    const QStringList lines = book->readProperty("CutCells").toStringList();
    ASSERT_EQ(lines.size(), 1);
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("10 cell formats"))) << lines[0].toStdString();
}

TEST_F(ExcelAutomationTest, ThousandsOfWorkbooksDoNotAccumulate) {
    std::weak_ptr<Workbook> firstModel;
    for (int i = 0; i < 3000; ++i) {
        std::unique_ptr<AxObject> book(newWorkbook());
        ASSERT_NE(book, nullptr);
        auto object = std::dynamic_pointer_cast<ExcelWorkbook>(book->serverObject());
        ASSERT_NE(object, nullptr);
        if (i == 0) {
            firstModel = object->workbook();
        }
        std::unique_ptr<AxObject> sheet(
            book->querySubObject("Sheets")->querySubObject("Item(int)", 1));
        sheet->querySubObject("Range(const QString&)", QStringLiteral("B2"))
            ->writeProperty("Value", QStringLiteral("text %1").arg(i));
        book->dynamicCall("Close (Boolean)", false);
        m_excel->dynamicCall("Quit(void)");
        EXPECT_TRUE(sheet->isNull());
    }
    EXPECT_TRUE(firstModel.expired());
    EXPECT_EQ(m_books->readProperty("Count").toInt(), 0);
}

TEST_F(ExcelAutomationTest, UnknownMembersAndBadArgumentsFailQuietly) {
    EXPECT_FALSE(m_excel->dynamicCall("NoSuchMember()").isValid());
    EXPECT_EQ(m_excel->querySubObject("ActiveWorkBook"), nullptr);  // none open yet
    AxObject* book = newWorkbook();
    AxObject* sheets = book->querySubObject("Sheets");
    EXPECT_EQ(sheets->querySubObject("Item(int)", 0), nullptr);
    EXPECT_EQ(sheets->querySubObject("Item(int)", 4), nullptr);
    EXPECT_EQ(sheets->querySubObject("Item(int)", QStringLiteral("sheet2"))
                  ->readProperty("Name")
                  .toString(),
              QStringLiteral("Sheet2"));
    EXPECT_FALSE(sheets->dynamicCall("Add(QVariant)", QStringLiteral("not a sheet")).isValid());
    std::unique_ptr<AxObject> sheet(sheets->querySubObject("Item(int)", 1));
    EXPECT_FALSE(sheet->dynamicCall("Move(conts QVariant)", 42).isValid());
}

}  // namespace
