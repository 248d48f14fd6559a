#include "engine/mergeobject.h"

#include "automation/axhandle.h"
#include "engine/convertoptions.h"
#include "engine/documentdiscovery.h"
#include "engine/failurereport.h"
#include "engine/outputworkbook.h"
#include "engine/tablemode.h"
#include "engine/wholedocumentmode.h"
#include "support/processlist.h"

#include <ctime>

#ifdef Q_OS_WIN
#include <objbase.h>
#endif

namespace {

/* Join COM's multithreaded apartment on this thread (Windows only). */
void initialiseCom() {
#ifdef Q_OS_WIN
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
#endif
}

/* Start an application hidden and without alerts. */
void hideAndSilence(AxObject* application) {
    application->dynamicCall("SetVisible (bool Visible)", QStringLiteral("false"));
    application->writeProperty("DisplayAlerts", false);
}

/* The number of running WPS spreadsheet processes. */
int countEtProcesses() {
    return countProcessesByName("et.exe");
}

}  // namespace

/* An idle job; the window passes no parent. */
MergeObject::MergeObject(QObject* parent)
    : QObject(parent), m_reportViewer(&FailureReport::showInSystemViewer) {}

MergeObject::~MergeObject() = default;

/* Replace the report viewer. */
void MergeObject::setReportViewer(ReportViewer viewer) {
    m_reportViewer = std::move(viewer);
}

/* Replace the WPS process count. */
void MergeObject::setWpsProcessCounter(std::function<int()> counter) {
    m_wpsProcessCounter = std::move(counter);
}

/* List every file under a folder. */
QFileInfoList MergeObject::collectFiles(const QString& path) {
    return DocumentDiscovery::collectFiles(path);
}

/* Run one conversion job over every Word document under the source folder. */
void MergeObject::Transform() {
    const qint64 startTime = static_cast<qint64>(std::time(nullptr));
    m_lastRun = RunResult{};
    QString failedPaths;
    const QStringList documentPaths = candidatePaths(collectFiles(convertOptions().sourcePath));
    m_runTotal = documentPaths.size();
    initialiseCom();
    auto* word = new AxObject(this);
    word->setControl(QStringLiteral("Word.Application"));
    hideAndSilence(word);
    const AxHandle documents = subObject(word, "Documents");
    initialiseCom();
    auto* excel = new AxObject(this);
    for (const QString& nativePath : documentPaths) {
        ++m_lastRun.candidates;
        const DocumentOutcome outcome = convertDocument(word, documents.get(), excel, nativePath);
        if (outcome == DocumentOutcome::NoSpreadsheet) {
            abortRun(word, excel);
            return;
        }
        if (outcome == DocumentOutcome::Converted) {
            ++m_lastRun.converted;
        } else {
            ++m_lastRun.failed;
            failedPaths += nativePath + QLatin1Char('\n');
        }
        emit documentFinished(m_lastRun.candidates, m_runTotal);
    }
    delete excel;
    word->dynamicCall("Quit(void)");
    delete word;
    endRun(startTime, failedPaths);
}

/* The native paths of the Word documents among the listed files, in list order. */
QStringList MergeObject::candidatePaths(const QFileInfoList& files) {
    QStringList paths;
    for (const QFileInfo& file : files) {
        const QString nativePath = DocumentDiscovery::nativePath(file);
        if (DocumentDiscovery::isCandidate(nativePath)) {
            paths.append(nativePath);
        }
    }
    return paths;
}

/* Convert one document: open it, fill a new workbook, save it, close the document. */
MergeObject::DocumentOutcome MergeObject::convertDocument(AxObject* word, AxObject* documents,
                                                          AxObject* excel,
                                                          const QString& nativePath) {
    excel->setControl(QStringLiteral("Excel.Application"));
    hideAndSilence(excel);
    const AxHandle workBooks = subObject(excel, "WorkBooks");
    if (!workBooks) {
        return DocumentOutcome::NoSpreadsheet;
    }
    emit documentStarted(m_lastRun.candidates, m_runTotal, nativePath);
    emit ShowDisposingFile(nativePath);
    callOn(documents, "Open(const QString&)", nativePath);
    const AxHandle document = subObject(word, "ActiveDocument");
    if (!document) {
        return DocumentOutcome::NotOpened;
    }
    OutputWorkbook workbook(excel, workBooks.get(), convertOptions());
    workbook.prepare();
    transferContent(word, document.get(), workbook);
    const bool saved = workbook.finish(nativePath);
    if (!saved) {
        m_lastRun.unsaved.append(nativePath + QStringLiteral(": ") + workbook.saveError());
    }
    document->dynamicCall("Close (Boolean)", false);
    return saved ? DocumentOutcome::Converted : DocumentOutcome::NotSaved;
}

/* The replaced count when there is one; else the system's, which only means something when
   the spreadsheet application runs in a process of its own (WPS is never served in process,
   and looking through every process for each document is the costliest step of a small one). */
std::function<int()> MergeObject::wpsProcessCounter(const AxObject* excelSide) const {
    if (m_wpsProcessCounter) {
        return m_wpsProcessCounter;
    }
    if (excelSide != nullptr && excelSide->runsOutOfProcess()) {
        return &countEtProcesses;
    }
    return std::function<int()>();
}

/* Carry the document's content over by the mode the options name. */
void MergeObject::transferContent(AxObject* word, AxObject* document,
                                  const OutputWorkbook& workbook) {
    TransferContext context;
    context.word = word;
    context.document = document;
    context.sheets = workbook.sheets();
    context.target = workbook.firstSheet();
    context.templateRows = workbook.templateRows();
    context.options = &convertOptions();
    context.countWpsProcesses = wpsProcessCounter(context.sheets);
    if (convertOptions().justTable) {
        TableMode::transfer(context);
    } else {
        WholeDocumentMode::transfer(context);
    }
}

/* Stop the run: no usable spreadsheet application on this machine. */
void MergeObject::abortRun(AxObject* word, AxObject* excel) {
    m_lastRun.aborted = true;
    emit ShowDisposingFile(
        QStringLiteral("本功能需要电脑中装有微软office或金山wps专业版(注意是专业版,不是个人版)!"));
    excel->dynamicCall("Quit(void)");
    word->dynamicCall("Quit(void)");
    // Without this the window's convert button would stay disabled for good.
    emit Signal_SetButtonEnable();
}

/* Report the summary and the documents that failed, then release the window's button. */
void MergeObject::endRun(qint64 startTime, const QString& failedPaths) {
    const qint64 seconds = static_cast<qint64>(std::time(nullptr)) - startTime;
    emit ShowDisposingFile(QStringLiteral("成功转换") + QString::number(m_lastRun.converted) +
                           QStringLiteral("个Word文件,") + QStringLiteral("耗时") +
                           QString::number(seconds) + QStringLiteral("秒。"));
    if (!failedPaths.isEmpty()) {
        const QString reportPath = convertOptions().failureReportPath;
        m_lastRun.reportWritten = FailureReport::write(reportPath, failedPaths);
        if (m_lastRun.reportWritten && m_reportViewer) {
            m_reportViewer(reportPath);
        }
    }
    emit Signal_SetButtonEnable();
}
