#include "engine/mergeobject.h"

#include "tests/engine/jobfixture.h"

#include <QFile>
#include <QMetaMethod>
#include <QRegularExpression>

namespace {

using JobRunTest = JobFixture;

const char* const abortText =
    "本功能需要电脑中装有微软office或金山wps专业版(注意是专业版,不是个人版)!";

/* The summary without its seconds, which depend on the clock. */
QString summaryHead(int converted) {
    return QStringLiteral("成功转换") + QString::number(converted) +
           QStringLiteral("个Word文件,耗时");
}

TEST(MergeObjectMeta, FixedSignalsFirstThenProgressThenTheOneSlot) {
    const QMetaObject& meta = MergeObject::staticMetaObject;
    ASSERT_EQ(meta.methodCount() - meta.methodOffset(), 5);
    const QMetaMethod first = meta.method(meta.methodOffset());
    const QMetaMethod second = meta.method(meta.methodOffset() + 1);
    const QMetaMethod third = meta.method(meta.methodOffset() + 4);
    EXPECT_EQ(meta.method(meta.methodOffset() + 2).methodSignature(),
              QByteArray("documentStarted(int,int,QString)"));
    EXPECT_EQ(meta.method(meta.methodOffset() + 3).methodSignature(),
              QByteArray("documentFinished(int,int)"));
    EXPECT_EQ(first.methodSignature(), QByteArray("Signal_SetButtonEnable()"));
    EXPECT_EQ(first.methodType(), QMetaMethod::Signal);
    EXPECT_EQ(second.methodSignature(), QByteArray("ShowDisposingFile(QString)"));
    EXPECT_EQ(second.parameterNames(), QList<QByteArray>{"filePath"});
    EXPECT_EQ(second.methodType(), QMetaMethod::Signal);
    EXPECT_EQ(third.methodSignature(), QByteArray("Transform()"));
    EXPECT_EQ(third.methodType(), QMetaMethod::Slot);
}

TEST_F(JobRunTest, SeveralJobsWithAnOfficeInAnotherProcessAreRefused) {
    addSource(QStringLiteral("a.docx"));
    addSource(QStringLiteral("b.docx"));
    office->setOutOfProcess(true);
    job->setJobs(2);
    run();
    EXPECT_TRUE(job->lastRun().aborted);
    EXPECT_EQ(job->lastRun().converted, 0);
    ASSERT_EQ(statusTexts.size(), 1);
    EXPECT_TRUE(statusTexts.first().contains(QStringLiteral("--jobs 1")));
    EXPECT_EQ(office->bindCount(QStringLiteral("Word.Application")), 0);
    EXPECT_EQ(buttonSignals, 1);
}

TEST_F(JobRunTest, EmptyTreeStartsAndQuitsWordOnly) {
    run();
    EXPECT_EQ(office->log(), (QStringList{
                                 QStringLiteral("Word: SetVisible (bool Visible) <- \"false\""),
                                 QStringLiteral("Word: set DisplayAlerts <- false"),
                                 QStringLiteral("Word: sub Documents"),
                                 QStringLiteral("Word: Quit(void)"),
                             }));
    EXPECT_EQ(office->bindCount(QStringLiteral("Excel.Application")), 0);
    ASSERT_EQ(statusTexts.size(), 1);
    EXPECT_TRUE(statusTexts.first().startsWith(summaryHead(0)));
    EXPECT_TRUE(statusTexts.first().endsWith(QStringLiteral("秒。")));
    EXPECT_FALSE(QFile::exists(convertOptions().failureReportPath));
    EXPECT_TRUE(viewed.isEmpty());
    EXPECT_EQ(buttonSignals, 1);
}

TEST_F(JobRunTest, OnlyCandidatesAreOpenedInListOrder) {
    addSource(QStringLiteral("b.docx"));
    addSource(QStringLiteral("a.doc"));
    addSource(QStringLiteral("Sub/c.doc"));
    addSource(QStringLiteral("Report.DOCX"));
    addSource(QStringLiteral("~$a.doc"));
    addSource(QStringLiteral("notes.txt"));
    addSource(QStringLiteral(".hidden.docm"));
    addSource(QStringLiteral(".private/d.doc"));
    office->useSheetModel(1);
    run();
    const QStringList opened =
        office->logContaining(QStringLiteral("Open(const QString&)"), source);
    EXPECT_EQ(opened,
              (QStringList{
                  QStringLiteral("Word.Documents: Open(const QString&) <- \"<root>.hidden.docm\""),
                  QStringLiteral("Word.Documents: Open(const QString&) <- \"<root>a.doc\""),
                  QStringLiteral("Word.Documents: Open(const QString&) <- \"<root>b.docx\""),
                  QStringLiteral("Word.Documents: Open(const QString&) <- \"<root>Sub/c.doc\""),
              }));
    EXPECT_EQ(statusTexts.mid(0, 4),
              (QStringList{
                  sourceFile(QStringLiteral(".hidden.docm")), sourceFile(QStringLiteral("a.doc")),
                  sourceFile(QStringLiteral("b.docx")), sourceFile(QStringLiteral("Sub/c.doc"))}));
    ASSERT_EQ(statusTexts.size(), 5);
    EXPECT_TRUE(statusTexts.last().startsWith(summaryHead(4)));
    EXPECT_EQ(job->lastRun().converted, 4);
}

TEST_F(JobRunTest, OneDocumentCallSequence) {
    addSource(QStringLiteral("a.doc"));
    office->useSheetModel(1);
    run();
    EXPECT_EQ(
        office->log(source),
        (QStringList{
            QStringLiteral("Word: SetVisible (bool Visible) <- \"false\""),
            QStringLiteral("Word: set DisplayAlerts <- false"),
            QStringLiteral("Word: sub Documents"),
            QStringLiteral("Excel: SetVisible (bool Visible) <- \"false\""),
            QStringLiteral("Excel: set DisplayAlerts <- false"),
            QStringLiteral("Excel: sub WorkBooks"),
            QStringLiteral("Word.Documents: Open(const QString&) <- \"<root>a.doc\""),
            QStringLiteral("Word: sub ActiveDocument"),
            QStringLiteral("Word.ActiveDocument: get Losses"),
            QStringLiteral("Excel.WorkBooks: Add"),
            QStringLiteral("Excel: sub ActiveWorkBook"),
            QStringLiteral("Book: sub Sheets"),
            QStringLiteral("Sheets: get Count"),
            QStringLiteral("Sheets: sub Item(int) <- 1"),
            QStringLiteral("Word: sub Selection"),
            QStringLiteral("Word.Selection: WholeStory()"),
            QStringLiteral("Word.Selection: Copy()"),
            QStringLiteral("Sheet#1: Paste()"),
            QStringLiteral("Sheets: sub Item(int) <- 1"),
            QStringLiteral("Sheet#1: Select()"),
            QStringLiteral("Book: SaveAs(const QString&) <- \"") + save + QStringLiteral("a.xls\""),
            QStringLiteral("Book: get CutCells"),
            QStringLiteral("Book: Close (Boolean) <- false"),
            QStringLiteral("Excel: Quit(void)"),
            QStringLiteral("Word.ActiveDocument: Close (Boolean) <- false"),
            QStringLiteral("Word: Quit(void)"),
        }));
    EXPECT_TRUE(QFile::exists(saveFile(QStringLiteral("a.xls"))));
}

TEST_F(JobRunTest, WhatTheDocumentLeftOutIsReportedAsLost) {
    addSource(QStringLiteral("a.doc"));
    office->useSheetModel(1);
    const QString lost = QStringLiteral("equation object _7 too large to lay out, left out");
    office->answerValue(QStringLiteral("Word.ActiveDocument"), QStringLiteral("Losses"),
                        QStringList{lost});
    run();
    EXPECT_EQ(job->lastRun().converted, 1);
    EXPECT_EQ(job->lastRun().cut,
              QStringList{sourceFile(QStringLiteral("a.doc")) + QStringLiteral(": ") + lost});
}

TEST_F(JobRunTest, NoObjectOfADocumentOutlivesIt) {
    for (int i = 0; i < 12; ++i) {
        addSource(QStringLiteral("d") + QString::number(10 + i) + QStringLiteral(".doc"));
    }
    office->useSheetModel(1);
    office->setTableCount(2);
    convertOptions().justTable = true;
    QList<int> alive;
    QObject::connect(job.get(), &MergeObject::ShowDisposingFile,
                     [this, &alive](const QString&) { alive << office->liveObjects(); });
    run();
    ASSERT_EQ(alive.size(), 13);
    // From the second document on, the objects alive when a document starts are the same
    // number: the two applications, "Documents", "WorkBooks", and the sheet model's workbook,
    // collection and two sheets (the second is deleted when the next workbook is prepared).
    for (int i = 2; i < 12; ++i) {
        EXPECT_EQ(alive[i], alive[1]) << i;
    }
    EXPECT_EQ(alive[1], 8);
}

TEST_F(JobRunTest, SummaryIsTheCountAndTheWholeSeconds) {
    addSource(QStringLiteral("a.doc"));
    office->useSheetModel(1);
    run();
    const QRegularExpression summary(QStringLiteral("^成功转换1个Word文件,耗时\\d+秒。$"));
    EXPECT_TRUE(summary.match(statusTexts.last()).hasMatch()) << statusTexts.last().toStdString();
}

TEST_F(JobRunTest, SpreadsheetApplicationIsBoundOnceAndReused) {
    addSource(QStringLiteral("a.doc"));
    addSource(QStringLiteral("b.doc"));
    addSource(QStringLiteral("c.doc"));
    office->useSheetModel(1);
    run();
    EXPECT_EQ(office->bindCount(QStringLiteral("Word.Application")), 1);
    EXPECT_EQ(office->bindCount(QStringLiteral("Excel.Application")), 1);
    EXPECT_EQ(office->logContaining(QStringLiteral("Excel: Quit(void)")).size(), 3);
}

TEST_F(JobRunTest, DocumentThatFailsToOpenGoesToTheReportAndTheRunGoesOn) {
    addSource(QStringLiteral("a.doc"));
    const QString broken = addSource(QStringLiteral("b.doc"));
    addSource(QStringLiteral("c.docx"));
    office->cannotOpen(broken);
    office->useSheetModel(1);
    QStringList progress;
    QObject::connect(
        job.get(), &MergeObject::documentStarted, [&](int started, int total, const QString& path) {
            progress << QStringLiteral("start %1/%2 %3").arg(started).arg(total).arg(path);
        });
    QObject::connect(job.get(), &MergeObject::documentFinished, [&](int finished, int total) {
        progress << QStringLiteral("done %1/%2").arg(finished).arg(total);
    });
    run();
    EXPECT_EQ(progress,
              (QStringList{QStringLiteral("start 1/3 ") + sourceFile(QStringLiteral("a.doc")),
                           QStringLiteral("done 1/3"), QStringLiteral("start 2/3 ") + broken,
                           QStringLiteral("done 2/3"),
                           QStringLiteral("start 3/3 ") + sourceFile(QStringLiteral("c.docx")),
                           QStringLiteral("done 3/3")}));
    EXPECT_EQ(office->logContaining(QStringLiteral("Excel: Quit(void)")).size(), 2);
    EXPECT_EQ(office->logContaining(QStringLiteral("ActiveDocument: Close")).size(), 2);
    EXPECT_FALSE(QFile::exists(saveFile(QStringLiteral("b.xls"))));
    ASSERT_EQ(statusTexts.size(), 4);
    EXPECT_EQ(statusTexts[1], broken);
    EXPECT_TRUE(statusTexts[3].startsWith(summaryHead(2)));
    QFile report(convertOptions().failureReportPath);
    ASSERT_TRUE(report.open(QIODevice::ReadOnly));
    EXPECT_EQ(report.readAll(), (broken + QLatin1Char('\n')).toLocal8Bit());
    EXPECT_EQ(viewed, QStringList{convertOptions().failureReportPath});
    EXPECT_EQ(buttonSignals, 1);
    EXPECT_EQ(job->lastRun().failed, 1);
    EXPECT_TRUE(job->lastRun().reportWritten);
}

TEST_F(JobRunTest, ReportHoldsOneLinePerFailureInLocalEncoding) {
    const QString first = addSource(QStringLiteral("报告一.doc"));
    const QString second = addSource(QStringLiteral("Sub/x y.docx"));
    office->cannotOpen(first);
    office->cannotOpen(second);
    run();
    QFile report(convertOptions().failureReportPath);
    ASSERT_TRUE(report.open(QIODevice::ReadOnly));
    const QByteArray expected =
        (first + QLatin1Char('\n') + second + QLatin1Char('\n')).toLocal8Bit();
    const QByteArray bytes = report.readAll();
    EXPECT_EQ(bytes, expected);
    EXPECT_FALSE(bytes.contains('\r'));
    EXPECT_FALSE(bytes.contains('\0'));
    EXPECT_TRUE(statusTexts.last().startsWith(summaryHead(0)));
}

TEST_F(JobRunTest, ReportThatCannotBeCreatedStillGivesTheSummaryAndNoViewer) {
    const QString broken = addSource(QStringLiteral("a.doc"));
    office->cannotOpen(broken);
    convertOptions().failureReportPath = source + QStringLiteral("missing/folder/report.txt");
    run();
    EXPECT_TRUE(statusTexts.last().startsWith(summaryHead(0)));
    EXPECT_TRUE(viewed.isEmpty());
    EXPECT_FALSE(job->lastRun().reportWritten);
    EXPECT_EQ(buttonSignals, 1);
}

TEST_F(JobRunTest, MissingWorkBooksAbortsBeforeAnyDocumentIsOpened) {
    addSource(QStringLiteral("a.doc"));
    addSource(QStringLiteral("b.doc"));
    office->answerMissing(QStringLiteral("Excel"), QStringLiteral("WorkBooks"));
    run();
    EXPECT_EQ(statusTexts, QStringList{QString::fromUtf8(abortText)});
    EXPECT_TRUE(office->logContaining(QStringLiteral("Open")).isEmpty());
    const QStringList log = office->log();
    ASSERT_GE(log.size(), 3);
    EXPECT_EQ(log.mid(log.size() - 3), (QStringList{QStringLiteral("Excel: sub WorkBooks"),
                                                    QStringLiteral("Excel: Quit(void)"),
                                                    QStringLiteral("Word: Quit(void)")}));
    EXPECT_EQ(buttonSignals, 1);
    EXPECT_TRUE(job->lastRun().aborted);
    EXPECT_FALSE(QFile::exists(convertOptions().failureReportPath));
}

TEST_F(JobRunTest, NoSpreadsheetApplicationAtAllAborts) {
    addSource(QStringLiteral("a.doc"));
    office->removeApplication(QStringLiteral("Excel.Application"));
    run();
    EXPECT_EQ(statusTexts, QStringList{QString::fromUtf8(abortText)});
    EXPECT_EQ(office->log().last(), QStringLiteral("Word: Quit(void)"));
    EXPECT_EQ(buttonSignals, 1);
}

TEST_F(JobRunTest, WithoutWordEveryDocumentFailsAndNothingIsCalledThroughMissingObjects) {
    const QString path = addSource(QStringLiteral("a.doc"));
    office->removeApplication(QStringLiteral("Word.Application"));
    office->useSheetModel(1);
    run();
    EXPECT_TRUE(office->logContaining(QStringLiteral("Word")).isEmpty());
    EXPECT_EQ(job->lastRun().failed, 1);
    EXPECT_EQ(statusTexts.first(), path);
    EXPECT_TRUE(statusTexts.last().startsWith(summaryHead(0)));
}

TEST_F(JobRunTest, UnsavedWorkbookIsReportedAndNotCounted) {
    addSource(QStringLiteral("a.doc"));
    const QString unsaved = addSource(QStringLiteral("b.doc"));
    office->useSheetModel(1, QStringLiteral("b.xls"));
    run();
    EXPECT_TRUE(statusTexts.last().startsWith(summaryHead(1)));
    QFile report(convertOptions().failureReportPath);
    ASSERT_TRUE(report.open(QIODevice::ReadOnly));
    EXPECT_EQ(report.readAll(), (unsaved + QLatin1Char('\n')).toLocal8Bit());
    EXPECT_EQ(office->logContaining(QStringLiteral("ActiveDocument: Close")).size(), 2);
}

TEST_F(JobRunTest, ExistingOutputThatIsNotRewrittenDoesNotCountAsSaved) {
    addSource(QStringLiteral("a.doc"));
    QFile old(save + QStringLiteral("a.xls"));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    ASSERT_EQ(old.write("earlier"), 7);
    old.close();
    office->useSheetModel(1, QStringLiteral("a.xls"));
    run();
    EXPECT_EQ(job->lastRun().converted, 0);
    EXPECT_EQ(job->lastRun().failed, 1);
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_EQ(old.readAll(), QByteArray("earlier"));
    EXPECT_FALSE(QFile::exists(save + QStringLiteral("a.xls.previous")));
}

TEST_F(JobRunTest, DestinationInsideTheSourceIsNotConvertedAgain) {
    convertOptions().savePath = source + QStringLiteral("out/");
    addSource(QStringLiteral("a.doc"));
    office->useSheetModel(1);
    run();
    EXPECT_TRUE(QFile::exists(source + QStringLiteral("out/a.xls")));
    run();
    EXPECT_EQ(office->logContaining(QStringLiteral("Open(const QString&)")).size(), 2);
    EXPECT_EQ(job->lastRun().converted, 1);
}

}  // namespace
