#include "tests/engine/jobfixture.h"

namespace {

// Whole-document mode run over one document with the fake's sheet model.
class WholeDocumentTest : public JobFixture {
protected:
    void SetUp() override {
        JobFixture::SetUp();
        addSource(QStringLiteral("a.docx"));
        office->useSheetModel(1);
    }

    // The spreadsheet calls of the transfer: after the copy, before the save's Item(1).
    QStringList spreadsheetCalls() const {
        const QStringList log = office->log();
        const int start = log.indexOf(QStringLiteral("Word.Selection: Copy()")) + 1;
        const int end = log.lastIndexOf(QStringLiteral("Sheets: sub Item(int) <- 1"));
        return start > 0 && end >= start ? log.mid(start, end - start) : QStringList();
    }

    static QString textToColumns() {
        return QStringLiteral(
            "Sheet#1.Range: TextToColumns(QVariant,QVariant,QVariant,QVariant,QVariant,QVariant,"
            "QVariant,QVariant,QVariant,QVariant) <- <Sheet#1.Range>, 1, -4142, false, false, "
            "false, "
            "false, false, true, ");
    }
};

TEST_F(WholeDocumentTest, ExcelMakesExactlyOnePasteCall) {
    run();
    const QStringList log = office->log();
    const int copy = log.indexOf(QStringLiteral("Word.Selection: Copy()"));
    ASSERT_GE(copy, 2);
    EXPECT_EQ(log.mid(copy - 2, 2), (QStringList{QStringLiteral("Word: sub Selection"),
                                                 QStringLiteral("Word.Selection: WholeStory()")}));
    EXPECT_EQ(spreadsheetCalls(), QStringList{QStringLiteral("Sheet#1: Paste()")});
}

TEST_F(WholeDocumentTest, ValuesOnlyIsOnePasteSpecialWithValues) {
    convertOptions().justText = true;
    run();
    EXPECT_EQ(spreadsheetCalls(),
              QStringList{QStringLiteral("Sheet#1: PasteSpecial(conts QVariant&) <- -4163")});
}

TEST_F(WholeDocumentTest, WpsWithFormatsPastesDirectly) {
    wpsProcesses = 1;
    run();
    EXPECT_EQ(spreadsheetCalls(), QStringList{QStringLiteral("Sheet#1: Paste()")});
}

TEST_F(WholeDocumentTest, WpsValuesOnlyGoesThroughATemporarySheet) {
    wpsProcesses = 1;
    convertOptions().justText = true;
    run();
    EXPECT_EQ(spreadsheetCalls(),
              (QStringList{
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
              }));
    EXPECT_EQ(office->sheetLabels(), QStringList{QStringLiteral("Sheet#1")});
}

TEST_F(WholeDocumentTest, StagedPasteWithoutATemporarySheetTouchesNoOtherSheet) {
    wpsProcesses = 1;
    convertOptions().justText = true;
    office->answerMissing(QStringLiteral("Sheets"), QStringLiteral("Add"));
    run();
    EXPECT_EQ(spreadsheetCalls(),
              (QStringList{
                  QStringLiteral("Sheets: Count()"),
                  QStringLiteral("Sheets: Add(QVariant) <- <Sheet#1>"),
                  QStringLiteral("Sheets: Count()"),
                  QStringLiteral("Sheet#1: sub Cells(int, int) <- 1, 1"),
                  QStringLiteral("Sheet#1.Cells(1, 1): PasteSpecial(conts QVariant&) <- -4163"),
              }));
    EXPECT_TRUE(office->logContaining(QStringLiteral("Delete()")).isEmpty());
}

TEST_F(WholeDocumentTest, SplitTakesColumnAWithTheTenArguments) {
    convertOptions().useSplitChar = true;
    convertOptions().splitChar = QStringLiteral("：");
    run();
    EXPECT_EQ(spreadsheetCalls(),
              (QStringList{
                  QStringLiteral("Sheet#1: Paste()"),
                  QStringLiteral("Sheet#1: sub Range(const QString&) <- \"A:A\""),
                  textToColumns() + QStringLiteral("\"：\""),
              }));
}

TEST_F(WholeDocumentTest, NoSplitWithAnEmptySeparatorOrWithoutTheOption) {
    convertOptions().useSplitChar = true;
    convertOptions().splitChar = QString();
    run();
    EXPECT_TRUE(office->logContaining(QStringLiteral("TextToColumns")).isEmpty());
    convertOptions().useSplitChar = false;
    convertOptions().splitChar = QStringLiteral(",");
    run();
    EXPECT_TRUE(office->logContaining(QStringLiteral("TextToColumns")).isEmpty());
}

TEST_F(WholeDocumentTest, SheetKeepsTheNameTheSpreadsheetGaveIt) {
    run();
    EXPECT_TRUE(office->logContaining(QStringLiteral("set Name")).isEmpty());
}

TEST_F(WholeDocumentTest, MissingSelectionStillPastesAndSaves) {
    office->answerMissing(QStringLiteral("Word"), QStringLiteral("Selection"));
    run();
    EXPECT_TRUE(office->logContaining(QStringLiteral("Word.Selection")).isEmpty());
    EXPECT_EQ(office->logContaining(QStringLiteral("Paste()")),
              QStringList{QStringLiteral("Sheet#1: Paste()")});
    EXPECT_EQ(job->lastRun().converted, 1);
}

}  // namespace
