#include "tests/engine/jobfixture.h"

#include <QRegularExpression>

namespace {

// Table mode run over one document with the fake's sheet model.
class TableModeTest : public JobFixture {
protected:
    void SetUp() override {
        JobFixture::SetUp();
        convertOptions().justTable = true;
        addSource(QStringLiteral("a.doc"));
        office->useSheetModel(1);
    }

    // The calls between the prepared first sheet and the save.
    QStringList transferCalls() const {
        const QStringList log = office->log(source);
        const int start = log.indexOf(QStringLiteral("Word.ActiveDocument: sub Tables"));
        const int end = log.lastIndexOf(QStringLiteral("Sheet#1: Select()"));
        return start >= 0 && end > start ? log.mid(start, end - start) : QStringList();
    }
};

TEST_F(TableModeTest, ThreeTablesGoOntoThreeSheetsInOrder) {
    office->setTableCount(3);
    run();
    const QStringList expected = {
        QStringLiteral("Word.ActiveDocument: sub Tables"),
        QStringLiteral("Word.ActiveDocument.Tables: Count()"),
        QStringLiteral("Word.ActiveDocument.Tables: sub Item(int) <- 1"),
        QStringLiteral("Word.ActiveDocument.Tables.Item(1): Select()"),
        QStringLiteral("Word: sub Selection"),
        QStringLiteral("Word.Selection: Copy()"),
        QStringLiteral("Sheet#1: Paste()"),
        QStringLiteral("Sheets: Count()"),
        QStringLiteral("Sheets: sub Item(int) <- 1"),
        QStringLiteral("Sheets: Add(conts QVariant) <- <Sheet#1>"),
        QStringLiteral("Sheets: sub Item(int) <- 1"),
        QStringLiteral("Sheet#1: Move(conts QVariant) <- <Sheet#2>"),
        QStringLiteral("Sheets: sub Item(int) <- 2"),
        QStringLiteral("Word.ActiveDocument.Tables: sub Item(int) <- 2"),
        QStringLiteral("Word.ActiveDocument.Tables.Item(2): Select()"),
        QStringLiteral("Word: sub Selection"),
        QStringLiteral("Word.Selection: Copy()"),
        QStringLiteral("Sheet#2: Paste()"),
        QStringLiteral("Sheets: Count()"),
        QStringLiteral("Sheets: sub Item(int) <- 2"),
        QStringLiteral("Sheets: Add(conts QVariant) <- <Sheet#2>"),
        QStringLiteral("Sheets: sub Item(int) <- 2"),
        QStringLiteral("Sheet#2: Move(conts QVariant) <- <Sheet#3>"),
        QStringLiteral("Sheets: sub Item(int) <- 3"),
        QStringLiteral("Word.ActiveDocument.Tables: sub Item(int) <- 3"),
        QStringLiteral("Word.ActiveDocument.Tables.Item(3): Select()"),
        QStringLiteral("Word: sub Selection"),
        QStringLiteral("Word.Selection: Copy()"),
        QStringLiteral("Sheet#3: Paste()"),
        QStringLiteral("Sheets: Count()"),
        QStringLiteral("Sheets: sub Item(int) <- 1"),
        QStringLiteral("Sheet#1: set Name <- \"Sheet1\""),
        QStringLiteral("Sheets: sub Item(int) <- 2"),
        QStringLiteral("Sheet#2: set Name <- \"Sheet2\""),
        QStringLiteral("Sheets: sub Item(int) <- 3"),
        QStringLiteral("Sheet#3: set Name <- \"Sheet3\""),
        QStringLiteral("Sheets: sub Item(int) <- 1"),
    };
    EXPECT_EQ(transferCalls(), expected);
    EXPECT_EQ(office->sheetLabels(),
              (QStringList{QStringLiteral("Sheet#1"), QStringLiteral("Sheet#2"),
                           QStringLiteral("Sheet#3")}));
    EXPECT_EQ(office->sheetNames(), (QStringList{QStringLiteral("Sheet1"), QStringLiteral("Sheet2"),
                                                 QStringLiteral("Sheet3")}));
}

TEST_F(TableModeTest, NoTablesLeaveOneSheetNamedSheet1) {
    office->setTableCount(0);
    run();
    EXPECT_TRUE(office->logContaining(QStringLiteral("Paste")).isEmpty());
    EXPECT_TRUE(office->logContaining(QStringLiteral("Selection")).isEmpty());
    EXPECT_EQ(office->sheetNames(), QStringList{QStringLiteral("Sheet1")});
    EXPECT_EQ(job->lastRun().converted, 1);
}

TEST_F(TableModeTest, ValuesOnlyPastesValuesIntoEachSheet) {
    convertOptions().justText = true;
    office->setTableCount(2);
    run();
    EXPECT_EQ(office->logContaining(QStringLiteral("Paste")),
              (QStringList{QStringLiteral("Sheet#1: PasteSpecial(conts QVariant&) <- -4163"),
                           QStringLiteral("Sheet#2: PasteSpecial(conts QVariant&) <- -4163")}));
}

TEST_F(TableModeTest, WpsStagesEveryTableWithEverythingAndDropsTheTemporarySheets) {
    wpsProcesses = 1;
    office->setTableCount(2);
    run();
    EXPECT_EQ(office->logContaining(QStringLiteral("PasteSpecial")),
              (QStringList{
                  QStringLiteral("Sheet#1.Cells(1, 1): PasteSpecial(conts QVariant&) <- -4104"),
                  QStringLiteral("Sheet#3.Cells(1, 1): PasteSpecial(conts QVariant&) <- -4104")}));
    EXPECT_EQ(
        office->logContaining(QStringLiteral("Delete()")),
        (QStringList{QStringLiteral("Sheet#2: Delete()"), QStringLiteral("Sheet#4: Delete()")}));
    EXPECT_EQ(office->sheetNames(),
              (QStringList{QStringLiteral("Sheet1"), QStringLiteral("Sheet2")}));
}

TEST_F(TableModeTest, WpsValuesOnlyStagesWithValues) {
    wpsProcesses = 2;
    convertOptions().justText = true;
    office->setTableCount(1);
    run();
    const QStringList expected = {
        QStringLiteral("Sheets: Count()"),
        QStringLiteral("Sheets: Add(QVariant) <- <Sheet#1>"),
        QStringLiteral("Sheets: Count()"),
        QStringLiteral("Sheets: sub Item(int) <- 1"),
        QStringLiteral("Sheet#2: Paste()"),
        QStringLiteral("Sheet#2: sub UsedRange"),
        QStringLiteral("Sheet#2.UsedRange: Copy()"),
        QStringLiteral("Sheet#1: sub Cells(int, int) <- 1, 1"),
        QStringLiteral("Sheet#1.Cells(1, 1): PasteSpecial(conts QVariant&) <- -4163"),
        QStringLiteral("Sheet#2: Delete()"),
    };
    const QStringList log = office->log();
    const int start = log.indexOf(QStringLiteral("Word.Selection: Copy()")) + 1;
    EXPECT_EQ(log.mid(start, expected.size()), expected);
    EXPECT_EQ(office->sheetLabels(), QStringList{QStringLiteral("Sheet#1")});
}

TEST_F(TableModeTest, TemplateRowsReachEveryNewSheetBeforeItsTable) {
    convertOptions().useTemplate = true;
    convertOptions().templatePath = QStringLiteral("template.xlsx");
    office->setTableCount(2);
    run();
    const QString rows = QStringLiteral("Excel.WorkBooks.Open.Sheets.Item(1).Range");
    const QStringList pastes = office->log().filter(
        QRegularExpression(QStringLiteral("Paste\\(\\)|") + QRegularExpression::escape(rows) +
                           QStringLiteral(": Copy")));
    EXPECT_EQ(pastes,
              (QStringList{rows + QStringLiteral(": Copy()"), QStringLiteral("Sheet#1: Paste()"),
                           QStringLiteral("Sheet#1: Paste()"), rows + QStringLiteral(": Copy()"),
                           QStringLiteral("Sheet#2: Paste()"), QStringLiteral("Sheet#2: Paste()"),
                           rows + QStringLiteral(": Copy()")}));
}

TEST_F(TableModeTest, MissingTablesObjectSkipsTheTransferButNamesTheSheet) {
    office->answerMissing(QStringLiteral("Word.ActiveDocument"), QStringLiteral("Tables"));
    run();
    EXPECT_TRUE(office->logContaining(QStringLiteral("Word.ActiveDocument.Tables")).isEmpty());
    EXPECT_EQ(office->sheetNames(), QStringList{QStringLiteral("Sheet1")});
    EXPECT_EQ(job->lastRun().converted, 1);
}

TEST_F(TableModeTest, RefusedNewSheetPastesNothingOverEarlierTables) {
    office->setTableCount(3);
    office->answerMissing(QStringLiteral("Sheets"), QStringLiteral("Add"));
    run();
    EXPECT_EQ(office->logContaining(QStringLiteral("Paste()")),
              QStringList{QStringLiteral("Sheet#1: Paste()")});
    EXPECT_EQ(office->sheetLabels(), QStringList{QStringLiteral("Sheet#1")});
}

}  // namespace
