#include "engine/mergeobject.h"

#include "automation/axhandle.h"
#include "engine/collectmode.h"
#include "engine/collectreaders.h"
#include "engine/collectworkbook.h"
#include "engine/convertoptions.h"
#include "engine/documentdiscovery.h"
#include "engine/documentfeed.h"
#include "engine/documentpool.h"
#include "engine/failurereport.h"
#include "engine/outputworkbook.h"
#include "engine/shard.h"
#include "engine/tablemode.h"
#include "engine/wholedocumentmode.h"
#include "support/processlist.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFileInfo>

#include <algorithm>
#include <ctime>
#include <exception>
#include <map>
#include <memory>
#include <mutex>
#include <new>
#include <vector>

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

// What the workers of a parallel run share for the progress signals: the counts rise by one
// under the lock, and each signal goes out under it, so receivers see them in order.
// Results that finish ahead of an earlier document wait in `waiting` until every earlier one is
// counted, so the run's figures and report stay in discovery order.
struct MergeObject::SharedProgress {
    std::mutex lock;
    int started = 0;
    int finished = 0;
    int nextToCount = 0;
    std::map<int, std::pair<QString, DocumentResult>> waiting;
    QString failedPaths;
};

// One worker thread of a parallel run: its own Word and spreadsheet sessions, bound on the
// thread, taking documents from the run's feed.
class MergeObject::ParallelWorker : public DocumentPool::Worker {
public:
    ParallelWorker(MergeObject& job, DocumentFeed& feed, SharedProgress& progress)
        : m_job(job), m_feed(feed), m_progress(progress) {
        initialiseCom();
        m_word->setControl(QStringLiteral("Word.Application"));
        hideAndSilence(m_word.get());
        m_documents = subObject(m_word.get(), "Documents");
        m_excel->setControl(QStringLiteral("Excel.Application"));
    }

    ~ParallelWorker() override {
        m_excel.reset();
        m_word->dynamicCall("Quit(void)");
    }

    // True when the spreadsheet application is served in this process, as threads need.
    bool inProcess() const { return !m_excel->isNull() && !m_excel->runsOutOfProcess(); }

    /* Convert the next document and report its start and end in order with the other workers. */
    DocumentPool::Step convertNext() override {
        DocumentFeed::Document document;
        if (m_job.m_stopRequested || !m_feed.take(document)) {
            return DocumentPool::Step::NoneLeft;
        }
        const auto announce = [this, &document] {
            const std::lock_guard<std::mutex> guard(m_progress.lock);
            m_job.announceStart(++m_progress.started, document.nativePath);
        };
        DocumentResult result;
        m_job.convertEntry(m_word.get(), m_documents.get(), m_excel.get(), document, announce,
                           result);
        if (result.outcome == DocumentOutcome::NoSpreadsheet) {
            return DocumentPool::Step::Stop;
        }
        const std::lock_guard<std::mutex> guard(m_progress.lock);
        m_job.countInOrder(m_progress, document.index, document.nativePath, result);
        emit m_job.documentFinished(++m_progress.finished, m_job.m_runTotal);
        return DocumentPool::Step::Converted;
    }

private:
    MergeObject& m_job;
    DocumentFeed& m_feed;
    SharedProgress& m_progress;
    AxHandle m_word = std::make_unique<AxObject>();
    AxHandle m_documents;
    AxHandle m_excel = std::make_unique<AxObject>();
};

/* An idle job; the window passes no parent. */
MergeObject::MergeObject(QObject* parent)
    : QObject(parent), m_reportViewer(&FailureReport::showInSystemViewer) {}

MergeObject::~MergeObject() = default;

/* Replace the report viewer. */
void MergeObject::setReportViewer(ReportViewer viewer) {
    m_reportViewer = std::move(viewer);
}

/* Set the number of worker threads. */
void MergeObject::setJobs(int jobs) {
#ifdef Q_OS_WIN
    // The Windows build converts on the job's own thread: with several workers its runs
    // sometimes end in a crash as the workers finish (seen under Wine), which would cost the
    // report of the whole batch.
    jobs = 1;
#endif
    m_jobs = std::max(1, jobs);
}

/* Replace the WPS process count. */
void MergeObject::setWpsProcessCounter(std::function<int()> counter) {
    m_wpsProcessCounter = std::move(counter);
}

/* Run one conversion job over every Word document under the source folder. The tree is walked
   twice: once to count the documents for the progress figures, then document by document while
   converting, so the job never holds the whole list. */
void MergeObject::Transform() {
    const qint64 startTime = static_cast<qint64>(std::time(nullptr));
    m_lastRun = RunReport{};
    m_stopRequested = false;
    if (!templateOpens()) {
        // Without its template every workbook would come out wrong: convert none.
        m_lastRun.templateUnusable = true;
        stopAtOnce(QCoreApplication::translate("ConvertOptions", "excel模板文件不存在!"));
        return;
    }
    QString failedPaths;
    const DocumentFeed::Count found =
        DocumentFeed::count(convertOptions().sourcePath, acceptance());
    m_runTotal = found.documents;
    m_lastRun.total = m_runTotal;
    // A folder that cannot be read may hold documents: it fails the run like one.
    for (const QString& folder : found.unreadableFolders) {
        m_lastRun.issues.append(
            {RunIssue::Kind::NotOpened, folder, QStringLiteral("cannot read folder")});
        ++m_lastRun.failed;
        m_lastRun.unreadableFolders.append(folder);
        m_lastRun.failedPaths.append(folder);
        failedPaths += FailureReport::line(folder);
    }
    if (convertOptions().collect) {
        transformCollected(startTime, failedPaths);
        return;
    }
    if (m_jobs > 1 && m_runTotal > 1) {
        transformInParallel(startTime, failedPaths);
        return;
    }
    initialiseCom();
    AxHandle word = std::make_unique<AxObject>();
    word->setControl(QStringLiteral("Word.Application"));
    hideAndSilence(word.get());
    const AxHandle documents = subObject(word.get(), "Documents");
    AxHandle excel = std::make_unique<AxObject>();
    DocumentFeed feed(convertOptions().sourcePath, acceptance());
    DocumentFeed::Document document;
    while (!m_stopRequested && feed.take(document)) {
        const auto announce = [this, &document] {
            announceStart(m_lastRun.candidates + 1, document.nativePath);
        };
        DocumentResult result;
        convertEntry(word.get(), documents.get(), excel.get(), document, announce, result);
        if (result.outcome == DocumentOutcome::NoSpreadsheet) {
            ++m_lastRun.candidates;
            abortRun(word.get(), excel.get());
            return;
        }
        tally(document.nativePath, result, failedPaths);
        emit documentFinished(m_lastRun.candidates, m_runTotal);
    }
    excel.reset();
    word->dynamicCall("Quit(void)");
    word.reset();
    endRun(startTime, failedPaths);
}

/* Convert on the worker threads, counting the results in discovery order as they come. */
void MergeObject::transformInParallel(qint64 startTime, const QString& failedPaths) {
    if (spreadsheetRunsOutOfProcess()) {
        stopAtOnce(QCoreApplication::translate(
            "MergeObject",
            "多线程转换需要内置办公组件, 请一次转换一个文件 (more than one job at a time needs the "
            "built-in office; use --jobs 1)"));
        return;
    }
    DocumentFeed feed(convertOptions().sourcePath, acceptance());
    SharedProgress progress;
    progress.failedPaths = failedPaths;
    const bool complete = DocumentPool::run(
        std::min(m_jobs, m_runTotal), [&]() -> std::unique_ptr<DocumentPool::Worker> {
            auto worker = std::make_unique<ParallelWorker>(*this, feed, progress);
            if (!worker->inProcess()) {
                return nullptr;
            }
            return worker;
        });
    if (!complete) {
        m_lastRun.candidates = progress.started;
        abortRun(nullptr, nullptr);
        return;
    }
    endRun(startTime, progress.failedPaths);
}

/* Raise the flag the document loops look at before they take the next document. */
void MergeObject::requestStop() {
    m_stopRequested = true;
}

/* Look for the first Word document whose output path is taken. */
bool MergeObject::anyOutputExists(const ConvertOptions& options) {
    DocumentFeed feed(options.sourcePath, &DocumentDiscovery::isCandidate);
    DocumentFeed::Document document;
    while (feed.take(document)) {
        if (QFileInfo::exists(OutputWorkbook::mirroredPath(document.nativePath, options))) {
            return true;
        }
    }
    return false;
}

/* True when the document's workbook exists and was written after the document changed. */
bool MergeObject::workbookIsNewer(const QString& nativePath) {
    const QFileInfo workbook(OutputWorkbook::mirroredPath(nativePath, convertOptions()));
    return workbook.isFile() && workbook.lastModified() > QFileInfo(nativePath).lastModified();
}

/* Collect every document into one workbook: learn the form, then a row per document. */
void MergeObject::transformCollected(qint64 startTime, QString failedPaths) {
    initialiseCom();
    AxHandle word = std::make_unique<AxObject>();
    word->setControl(QStringLiteral("Word.Application"));
    hideAndSilence(word.get());
    const AxHandle documents = subObject(word.get(), "Documents");
    AxHandle excel = std::make_unique<AxObject>();
    excel->setControl(QStringLiteral("Excel.Application"));
    hideAndSilence(excel.get());
    const AxHandle workBooks = subObject(excel.get(), "WorkBooks");
    if (!workBooks) {
        abortRun(word.get(), excel.get());
        return;
    }
    const bool complete =
        collectInto(word.get(), documents.get(), excel.get(), workBooks.get(), failedPaths);
    word->dynamicCall("Quit(void)");
    if (complete) {
        endRun(startTime, failedPaths);
    }
}

/* Read the documents in discovery order into the collect workbook and save it. False when
   the run stopped (the blank form did not open). */
bool MergeObject::collectInto(AxObject* word, AxObject* documents, AxObject* excel,
                              AxObject* workBooks, QString& failedPaths) {
    const ConvertOptions& options = convertOptions();
    CollectMode reader(word, documents, options);
    if (!reader.learn()) {
        m_lastRun.templateUnusable = true;
        stopAtOnce(reader.why());
        return false;
    }
    CollectWorkbook book(excel, workBooks, options, reader.layout().expectedFields());
    book.prepare();
    DocumentFeed feed(options.sourcePath, acceptance());
    if (m_jobs > 1 && m_runTotal > 1 && !word->runsOutOfProcess()) {
        CollectReaders readers(std::min(m_jobs, m_runTotal), feed, reader.layout(), options);
        while (const std::optional<CollectedDocument> read = readers.next()) {
            addCollected(*read, book, failedPaths);
        }
    } else {
        DocumentFeed::Document document;
        while (feed.take(document)) {
            addCollected(CollectReaders::readOne(reader, reader.layout(), std::move(document)),
                         book, failedPaths);
        }
    }
    if (!book.finish()) {
        m_lastRun.unsaved.append(options.savePath + CollectWorkbook::fileName() +
                                 QStringLiteral(": ") + book.saveError());
        ++m_lastRun.failed;
    }
    for (const QString& cell : book.cutCells()) {
        m_lastRun.cut.append(options.savePath + CollectWorkbook::fileName() + QStringLiteral(": ") +
                             cell);
    }
    return true;
}

/* Count one read document into the run and give its values to the workbook. */
void MergeObject::addCollected(const CollectedDocument& read, CollectWorkbook& book,
                               QString& failedPaths) {
    const QString& nativePath = read.document.nativePath;
    announceStart(m_lastRun.candidates + 1, nativePath);
    DocumentResult result;
    if (read.read) {
        result.outcome = DocumentOutcome::Converted;
        book.addDocument(nativePath.mid(convertOptions().sourcePath.size()), read.values);
    } else {
        result.reason = read.reason;
    }
    tally(nativePath, result, failedPaths);
    emit documentFinished(m_lastRun.candidates, m_runTotal);
}

/* Tell the receivers a document starts; the total grows if the tree did since it was counted. */
void MergeObject::announceStart(int started, const QString& nativePath) {
    m_runTotal = std::max(m_runTotal, started);
    emit documentStarted(started, m_runTotal, nativePath);
    emit ShowDisposingFile(nativePath);
}

/* Keep a finished document's result until every earlier one is counted; count what is ready. */
void MergeObject::countInOrder(SharedProgress& progress, int index, const QString& nativePath,
                               const DocumentResult& result) {
    progress.waiting.emplace(index, std::make_pair(nativePath, result));
    for (auto ready = progress.waiting.begin();
         ready != progress.waiting.end() && ready->first == progress.nextToCount;
         ready = progress.waiting.erase(ready)) {
        tally(ready->second.first, ready->second.second, progress.failedPaths);
        ++progress.nextToCount;
    }
}

/* Which files of the walk the run converts: Word documents of the run's shard. */
DocumentFeed::Acceptance MergeObject::acceptance() {
    return [](const QString& nativePath) {
        const ConvertOptions& options = convertOptions();
        return DocumentDiscovery::isCandidate(nativePath) &&
               inShard(nativePath, options.sourcePath, options);
    };
}

/* A document the walk could not give a usable path fails unopened with the walk's reason;
   any other is converted. */
void MergeObject::convertEntry(AxObject* word, AxObject* documents, AxObject* excel,
                               const DocumentFeed::Document& document,
                               const std::function<void()>& announce, DocumentResult& result) {
    if (convertOptions().skipExisting && document.problem.isEmpty() &&
        workbookIsNewer(document.nativePath)) {
        announce();
        result.outcome = DocumentOutcome::Skipped;
        return;
    }
    if (!document.problem.isEmpty()) {
        announce();
        result.outcome = DocumentOutcome::NotOpened;
        result.reason = document.problem;
        return;
    }
    convertGuarded(word, documents, excel, document.nativePath, announce, result);
}

/* Bind a spreadsheet application on this thread only to ask where it runs. */
bool MergeObject::spreadsheetRunsOutOfProcess() {
    initialiseCom();
    AxObject probe;
    probe.setControl(QStringLiteral("Excel.Application"));
    return probe.runsOutOfProcess();
}

/* True when the run uses no template or the spreadsheet application opens it (a missing,
   unreadable or damaged file does not open). Without a spreadsheet application it is true:
   the run then stops with that reason. */
bool MergeObject::templateOpens() {
    const ConvertOptions& options = convertOptions();
    if (!options.useTemplate) {
        return true;
    }
    initialiseCom();
    AxObject excel;
    excel.setControl(QStringLiteral("Excel.Application"));
    hideAndSilence(&excel);
    const AxHandle workBooks = subObject(&excel, "WorkBooks");
    if (!workBooks) {
        return true;
    }
    const AxHandle book = subObject(workBooks.get(), "Open(const QString&)", options.templatePath);
    const bool opened = book != nullptr;
    callOn(book.get(), "Close (Boolean)", false);
    excel.dynamicCall("Quit(void)");
    return opened;
}

/* Count one document's result, in discovery order, into the run's figures and report. */
void MergeObject::tally(const QString& nativePath, const DocumentResult& result,
                        QString& failedPaths) {
    ++m_lastRun.candidates;
    for (const QString& cell : result.cutCells) {
        m_lastRun.cut.append(nativePath + QStringLiteral(": ") + cell);
    }
    noteIssues(nativePath, result);
    if (result.outcome == DocumentOutcome::Skipped) {
        ++m_lastRun.skipped;
        return;
    }
    if (result.outcome == DocumentOutcome::Converted) {
        ++m_lastRun.converted;
        return;
    }
    ++m_lastRun.failed;
    m_lastRun.failedPaths.append(nativePath);
    failedPaths += FailureReport::line(nativePath);
    if (!result.reason.isEmpty()) {
        (result.opened ? m_lastRun.unsaved : m_lastRun.unopened)
            .append(nativePath + QStringLiteral(": ") + result.reason);
    } else if (result.outcome == DocumentOutcome::NotSaved) {
        m_lastRun.unsaved.append(nativePath + QStringLiteral(": ") + result.saveError);
    }
}

/* Add the document to the run's issues when it failed or lost something, with the reason. */
void MergeObject::noteIssues(const QString& nativePath, const DocumentResult& result) {
    switch (result.outcome) {
        case DocumentOutcome::Converted:
            if (!result.cutCells.isEmpty()) {
                m_lastRun.issues.append({RunIssue::Kind::Lossy, nativePath,
                                         result.cutCells.join(QStringLiteral("; "))});
            }
            return;
        case DocumentOutcome::Skipped:
        case DocumentOutcome::NoSpreadsheet:
            return;
        case DocumentOutcome::NotOpened:
        case DocumentOutcome::NotSaved:
            break;
    }
    const bool opened = result.opened || result.outcome == DocumentOutcome::NotSaved;
    const QString reason = result.reason.isEmpty() ? result.saveError : result.reason;
    m_lastRun.issues.append(
        {opened ? RunIssue::Kind::NotSaved : RunIssue::Kind::NotOpened, nativePath, reason});
}

/* Convert one document; whatever is thrown inside fails this document alone, with its reason. */
void MergeObject::convertGuarded(AxObject* word, AxObject* documents, AxObject* excel,
                                 const QString& nativePath, const std::function<void()>& announce,
                                 DocumentResult& result) {
    QString reason;
    try {
        result.outcome = convertDocument(word, documents, excel, nativePath, announce, result);
        return;
    } catch (const std::bad_alloc&) {
        reason = QStringLiteral("out of memory");
    } catch (const std::exception& error) {
        reason = QString::fromLocal8Bit(error.what());
    } catch (...) {
        reason = QStringLiteral("unexpected error");
    }
    result.reason = reason;
    result.cutCells.clear();
    // Release the document's memory now rather than at the end of the run.
    callOn(documents, "Close(Boolean)", false);
    result.outcome = result.opened ? DocumentOutcome::NotSaved : DocumentOutcome::NotOpened;
}

/* True when the document falls to the run's shard (always without sharding). */
bool MergeObject::inShard(const QString& nativePath, const QString& sourcePath,
                          const ConvertOptions& options) {
    if (options.shardCount <= 1) {
        return true;
    }
    const QString relative =
        nativePath.startsWith(sourcePath) ? nativePath.mid(sourcePath.size()) : nativePath;
    return Shard::holds(relative, options.shardIndex, options.shardCount);
}

/* Convert one document: open it, fill a new workbook, save it, close the document. */
MergeObject::DocumentOutcome MergeObject::convertDocument(AxObject* word, AxObject* documents,
                                                          AxObject* excel,
                                                          const QString& nativePath,
                                                          const std::function<void()>& announce,
                                                          DocumentResult& result) {
    excel->setControl(QStringLiteral("Excel.Application"));
    hideAndSilence(excel);
    const AxHandle workBooks = subObject(excel, "WorkBooks");
    if (!workBooks) {
        return DocumentOutcome::NoSpreadsheet;
    }
    announce();
    callOn(documents, "Open(const QString&)", nativePath);
    const AxHandle document = subObject(word, "ActiveDocument");
    if (!document) {
        // Word's own reason (the built-in one names what is wrong with the file), so that the
        // user learns why, not only which.
        result.reason = documents != nullptr ? documents->lastErrorDescription() : QString();
        return DocumentOutcome::NotOpened;
    }
    result.opened = true;
    // What the built-in Word had to leave out; installed Word knows no such member.
    const QStringList documentLosses = document->readProperty("Losses").toStringList();
    OutputWorkbook workbook(excel, workBooks.get(), convertOptions());
    workbook.prepare();
    transferContent(word, document.get(), workbook);
    const bool saved = workbook.finish(nativePath);
    if (!saved) {
        result.saveError = workbook.saveError();
    }
    result.cutCells = documentLosses + workbook.cutCells();
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
    if (excel != nullptr) {
        excel->dynamicCall("Quit(void)");
    }
    if (word != nullptr) {
        word->dynamicCall("Quit(void)");
    }
    stopAtOnce(QCoreApplication::translate(
        "MergeObject", "本功能需要电脑中装有微软office或金山wps专业版(注意是专业版,不是个人版)!"));
}

/* End the run early with `message` as its last text. */
void MergeObject::stopAtOnce(const QString& message) {
    m_lastRun.aborted = true;
    emit ShowDisposingFile(message);
    // Without this the window's convert button would stay disabled for good.
    emit Signal_SetButtonEnable();
}

/* Report the summary and the documents that failed, then release the window's button. */
void MergeObject::endRun(qint64 startTime, const QString& failedPaths) {
    const qint64 seconds = static_cast<qint64>(std::time(nullptr)) - startTime;
    m_lastRun.seconds = seconds;
    m_lastRun.stopped = m_stopRequested && m_lastRun.candidates < m_runTotal;
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
