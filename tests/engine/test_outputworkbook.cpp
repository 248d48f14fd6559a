#include "engine/outputworkbook.h"

#include "tests/engine/jobfixture.h"

#include <QDir>
#include <QFileInfo>

namespace {

using OutputWorkbookTest = JobFixture;

const char* const templateRows = "Excel.WorkBooks.Open.Sheets.Item(1).Range";

TEST_F(OutputWorkbookTest, ThreeSheetsAreReducedByDeletingTheLastFirst) {
    addSource(QStringLiteral("a.doc"));
    office->useSheetModel(3);
    run();
    const QStringList log = office->log();
    const int start = log.indexOf(QStringLiteral("Sheets: get Count"));
    ASSERT_GE(start, 0);
    EXPECT_EQ(log.mid(start, 6), (QStringList{
                                     QStringLiteral("Sheets: get Count"),
                                     QStringLiteral("Sheets: sub Item(int) <- 3"),
                                     QStringLiteral("Sheet#3: Delete()"),
                                     QStringLiteral("Sheets: sub Item(int) <- 2"),
                                     QStringLiteral("Sheet#2: Delete()"),
                                     QStringLiteral("Sheets: sub Item(int) <- 1"),
                                 }));
    EXPECT_EQ(office->sheetLabels(), QStringList{QStringLiteral("Sheet#1")});
}

TEST_F(OutputWorkbookTest, WithoutATemplateNoCallTouchesOne) {
    addSource(QStringLiteral("a.doc"));
    office->useSheetModel(1);
    run();
    EXPECT_TRUE(office->logContaining(QStringLiteral("Excel.WorkBooks: sub Open")).isEmpty());
    EXPECT_TRUE(office->logContaining(QStringLiteral("PasteSpecial")).isEmpty());
}

TEST_F(OutputWorkbookTest, TemplateRowsFirstAndItsLookLastOnEverySheet) {
    addSource(QStringLiteral("a.doc"));
    office->useSheetModel(1);
    office->setTableCount(2);
    ConvertOptions& options = convertOptions();
    options.justTable = true;
    options.useTemplate = true;
    options.templatePath = source + QStringLiteral("look.xlsx");
    options.lastRowText = QStringLiteral("7");
    run();
    const QString rows = QLatin1String(templateRows);
    const QStringList log = office->log(source);
    // The first opening only checks, before the run, that the template opens.
    const int open = log.lastIndexOf(
        QStringLiteral("Excel.WorkBooks: sub Open(const QString&) <- \"<root>look.xlsx\""));
    ASSERT_GE(open, 0);
    EXPECT_EQ(log.mid(open + 1, 4),
              (QStringList{
                  QStringLiteral("Excel.WorkBooks.Open: sub Sheets"),
                  QStringLiteral("Excel.WorkBooks.Open.Sheets: sub Item(int) <- 1"),
                  QStringLiteral(
                      "Excel.WorkBooks.Open.Sheets.Item(1): sub Range(const QString&) <- \"1:7\""),
                  QStringLiteral("Excel.WorkBooks: Add"),
              }));
    const int finish = log.lastIndexOf(rows + QStringLiteral(": Copy()"));
    ASSERT_GE(finish, 0);
    EXPECT_EQ(log.mid(finish, 11),
              (QStringList{
                  rows + QStringLiteral(": Copy()"),
                  QStringLiteral("Sheets: Count()"),
                  QStringLiteral("Sheets: sub Item(int) <- 1"),
                  QStringLiteral("Sheet#1: sub Cells(int, int) <- 1, 1"),
                  QStringLiteral("Sheet#1.Cells(1, 1): PasteSpecial(conts QVariant&) <- 8"),
                  QStringLiteral("Sheet#1.Cells(1, 1): PasteSpecial(conts QVariant&) <- -4122"),
                  QStringLiteral("Sheets: sub Item(int) <- 2"),
                  QStringLiteral("Sheet#2: sub Cells(int, int) <- 1, 1"),
                  QStringLiteral("Sheet#2.Cells(1, 1): PasteSpecial(conts QVariant&) <- 8"),
                  QStringLiteral("Sheet#2.Cells(1, 1): PasteSpecial(conts QVariant&) <- -4122"),
                  QStringLiteral("Excel.WorkBooks.Open: Close (Boolean) <- false"),
              }));
}

TEST_F(OutputWorkbookTest, TemplateIsOpenedAndClosedOnceBeforeTheRunAndForEveryDocument) {
    addSource(QStringLiteral("a.doc"));
    addSource(QStringLiteral("b.doc"));
    office->useSheetModel(1);
    convertOptions().useTemplate = true;
    convertOptions().templatePath = QStringLiteral("look.xlsx");
    run();
    EXPECT_EQ(office->logContaining(QStringLiteral("Excel.WorkBooks: sub Open")).size(), 3);
    EXPECT_EQ(
        office->logContaining(QStringLiteral("Excel.WorkBooks.Open: Close (Boolean) <- false"))
            .size(),
        3);
    EXPECT_EQ(job->lastRun().converted, 2);
}

TEST_F(OutputWorkbookTest, TemplateThatCannotBeOpenedStopsTheRunBeforeAnyDocument) {
    addSource(QStringLiteral("a.doc"));
    office->useSheetModel(1);
    office->answerMissing(QStringLiteral("Excel.WorkBooks"), QStringLiteral("Open"));
    convertOptions().useTemplate = true;
    convertOptions().templatePath = QStringLiteral("missing.xlsx");
    run();
    EXPECT_TRUE(office->logContaining(QStringLiteral("Word.Documents: Open")).isEmpty());
    EXPECT_TRUE(office->logContaining(QStringLiteral("SaveAs")).isEmpty());
    EXPECT_TRUE(job->lastRun().templateUnusable);
    EXPECT_TRUE(job->lastRun().aborted);
    EXPECT_EQ(job->lastRun().candidates, 0);
}

TEST_F(OutputWorkbookTest, MissingWorkbookMeansNoSaveAndAReportLine) {
    const QString path = addSource(QStringLiteral("a.doc"));
    office->answerMissing(QStringLiteral("Excel"), QStringLiteral("ActiveWorkBook"));
    run();
    EXPECT_TRUE(office->logContaining(QStringLiteral("SaveAs")).isEmpty());
    EXPECT_EQ(office->logContaining(QStringLiteral("Excel: Quit(void)")).size(), 1);
    EXPECT_EQ(job->lastRun().failed, 1);
    EXPECT_TRUE(job->lastRun().reportWritten);
    Q_UNUSED(path);
}

TEST_F(OutputWorkbookTest, OutputsMirrorTheTreeWithSpreadsheetEndings) {
    addSource(QStringLiteral("a.doc"));
    addSource(QStringLiteral("b.docx"));
    addSource(QStringLiteral("Sub/c.doc"));
    addSource(QStringLiteral("Sub/Deeper/d.docm"));
    office->useSheetModel(1);
    run();
    EXPECT_EQ(office->logContaining(QStringLiteral("SaveAs"), save),
              (QStringList{
                  QStringLiteral("Book: SaveAs(const QString&) <- \"<root>a.xls\""),
                  QStringLiteral("Book: SaveAs(const QString&) <- \"<root>b.xlsx\""),
                  QStringLiteral("Book: SaveAs(const QString&) <- \"<root>Sub/c.xls\""),
                  QStringLiteral("Book: SaveAs(const QString&) <- \"<root>Sub/Deeper/d.xlsm\"")}));
    EXPECT_TRUE(QFileInfo(saveFile(QStringLiteral("Sub"))).isDir());
    EXPECT_TRUE(QFile::exists(saveFile(QStringLiteral("Sub/Deeper/d.xlsm"))));
    EXPECT_EQ(job->lastRun().converted, 4);
}

TEST_F(OutputWorkbookTest, FoldersNamedLikeDocumentsKeepTheirNames) {
    addSource(QStringLiteral("x.doc.files/e.doc"));
    office->useSheetModel(1);
    run();
    EXPECT_TRUE(QFile::exists(saveFile(QStringLiteral("x.doc.files/e.xls"))));
    EXPECT_EQ(job->lastRun().converted, 1);
}

TEST(OutputPathTest, OnlyTheLeadingSourcePrefixIsReplaced) {
    QTemporaryDir temp;
    ASSERT_TRUE(temp.isValid());
    ConvertOptions options;
    options.sourcePath = QDir::toNativeSeparators(temp.path() + QStringLiteral("/a/"));
    options.savePath = QDir::toNativeSeparators(temp.path() + QStringLiteral("/out/"));
    const QString document =
        options.sourcePath +
        QDir::toNativeSeparators(temp.path().mid(1) + QStringLiteral("/a/r.doc"));
    const QString expected =
        options.savePath +
        QDir::toNativeSeparators(temp.path().mid(1) + QStringLiteral("/a/r.xls"));
    EXPECT_EQ(OutputWorkbook::outputPath(document, options), expected);
    EXPECT_TRUE(QFileInfo(QFileInfo(expected).path()).isDir());
}

TEST(OutputPathTest, EndingsChangeOnlyAtTheEndOfTheName) {
    QTemporaryDir temp;
    ASSERT_TRUE(temp.isValid());
    ConvertOptions options;
    options.sourcePath = temp.path() + QStringLiteral("/s/");
    options.savePath = temp.path() + QStringLiteral("/d/");
    EXPECT_EQ(OutputWorkbook::outputPath(options.sourcePath + QStringLiteral("my.doc notes.docx"),
                                         options),
              QDir::toNativeSeparators(options.savePath + QStringLiteral("my.doc notes.xlsx")));
    EXPECT_EQ(OutputWorkbook::outputPath(options.sourcePath + QStringLiteral("报告.docm"), options),
              QDir::toNativeSeparators(options.savePath + QStringLiteral("报告.xlsm")));
}

}  // namespace
