#include "engine/mergeobject.h"

#include "automation/axhandle.h"
#include "engine/convertoptions.h"
#include "engine/documentdiscovery.h"
#include "engine/failurereport.h"
#include "engine/outputworkbook.h"
#include "engine/tablemode.h"
#include "engine/wholedocumentmode.h"
#include "support/processlist.h"

#include <QCoreApplication>

#include <ctime>
#include <exception>
#include <new>

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
    : QObject(parent),
      m_reportViewer(&FailureReport::showInSystemViewer),
      m_wpsProcessCounter(&countEtProcesses) {}

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
    const DocumentDiscovery::Walk found = DocumentDiscovery::walk(convertOptions().sourcePath);
    // A folder that cannot be read may hold documents: it fails the run like one.
    for (const QString& folder : found.unreadableFolders) {
        ++m_lastRun.failed;
        m_lastRun.unreadableFolders.append(folder);
        m_lastRun.failedPaths.append(folder);
        failedPaths += FailureReport::line(folder);
    }
    const QStringList documentPaths = candidatePaths(found.files);
    m_runTotal = documentPaths.size();
    initialiseCom();
    AxHandle word = std::make_unique<AxObject>();
    word->setControl(QStringLiteral("Word.Application"));
    hideAndSilence(word.get());
    const AxHandle documents = subObject(word.get(), "Documents");
    initialiseCom();
    AxHandle excel = std::make_unique<AxObject>();
    for (const QString& nativePath : documentPaths) {
        ++m_lastRun.candidates;
        const DocumentOutcome outcome =
            convertGuarded(word.get(), documents.get(), excel.get(), nativePath);
        if (outcome == DocumentOutcome::NoSpreadsheet) {
            abortRun(word.get(), excel.get());
            return;
        }
        if (outcome == DocumentOutcome::Converted) {
            ++m_lastRun.converted;
        } else {
            ++m_lastRun.failed;
            m_lastRun.failedPaths.append(nativePath);
            failedPaths += FailureReport::line(nativePath);
        }
        emit documentFinished(m_lastRun.candidates, m_runTotal);
    }
    excel.reset();
    word->dynamicCall("Quit(void)");
    word.reset();
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

/* Convert one document; whatever is thrown inside fails this document alone, with its reason. */
MergeObject::DocumentOutcome MergeObject::convertGuarded(AxObject* word, AxObject* documents,
                                                         AxObject* excel,
                                                         const QString& nativePath) {
    m_documentOpened = false;
    try {
        return convertDocument(word, documents, excel, nativePath);
    } catch (const std::bad_alloc&) {
        return failDocument(documents, nativePath, QStringLiteral("out of memory"));
    } catch (const std::exception& error) {
        return failDocument(documents, nativePath, QString::fromLocal8Bit(error.what()));
    } catch (...) {
        return failDocument(documents, nativePath, QStringLiteral("unexpected error"));
    }
}

/* Record why a document failed and close whatever it left open in Word. */
MergeObject::DocumentOutcome MergeObject::failDocument(AxObject* documents,
                                                       const QString& nativePath,
                                                       const QString& reason) {
    const QString line = nativePath + QStringLiteral(": ") + reason;
    if (m_documentOpened) {
        m_lastRun.unsaved.append(line);
    } else {
        m_lastRun.unopened.append(line);
    }
    // Release the document's memory now rather than at the end of the run.
    callOn(documents, "Close(Boolean)", false);
    return m_documentOpened ? DocumentOutcome::NotSaved : DocumentOutcome::NotOpened;
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
    m_documentOpened = true;
    OutputWorkbook workbook(excel, workBooks.get(), convertOptions());
    workbook.prepare();
    transferContent(word, document.get(), workbook);
    const bool saved = workbook.finish(nativePath);
    if (!saved) {
        m_lastRun.unsaved.append(nativePath + QStringLiteral(": ") + workbook.saveError());
    }
    for (const QString& cell : workbook.cutCells()) {
        m_lastRun.cut.append(nativePath + QStringLiteral(": ") + cell);
    }
    document->dynamicCall("Close (Boolean)", false);
    return saved ? DocumentOutcome::Converted : DocumentOutcome::NotSaved;
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
    context.countWpsProcesses = m_wpsProcessCounter;
    if (convertOptions().justTable) {
        TableMode::transfer(context);
    } else {
        WholeDocumentMode::transfer(context);
    }
}

/* Stop the run: no usable spreadsheet application on this machine. */
void MergeObject::abortRun(AxObject* word, AxObject* excel) {
    m_lastRun.aborted = true;
    emit ShowDisposingFile(QCoreApplication::translate(
        "MergeObject", "本功能需要电脑中装有微软office或金山wps专业版(注意是专业版,不是个人版)!"));
    excel->dynamicCall("Quit(void)");
    word->dynamicCall("Quit(void)");
    // Without this the window's convert button would stay disabled for good.
    emit Signal_SetButtonEnable();
}

/* Report the summary and the documents that failed, then release the window's button. */
void MergeObject::endRun(qint64 startTime, const QString& failedPaths) {
    const qint64 seconds = static_cast<qint64>(std::time(nullptr)) - startTime;
    emit ShowDisposingFile(
        QCoreApplication::translate("MergeObject", "成功转换%1个Word文件,耗时%2秒。")
            .arg(m_lastRun.converted)
            .arg(seconds));
    if (!failedPaths.isEmpty() || !m_lastRun.cut.isEmpty()) {
        const QString reportPath = convertOptions().failureReportPath;
        m_lastRun.reportWritten =
            FailureReport::write(reportPath, FailureReport::text(failedPaths, m_lastRun.cut));
        if (m_lastRun.reportWritten && m_reportViewer) {
            m_reportViewer(reportPath);
        }
    }
    emit Signal_SetButtonEnable();
}
