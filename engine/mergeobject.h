#pragma once

// The conversion job: converts every Word document under a folder tree into a workbook
// under a mirrored tree, by driving a Word and a spreadsheet application.
//
// - MergeObject (here): the run itself, its signals and the failure report.
// - ConvertOptions: the process-wide job inputs (convertoptions.h).
// - DocumentFeed, DocumentWalk: the documents of the run, one at a time, walked as they are
//   taken; DocumentDiscovery: the test for a Word document.
// - OutputWorkbook, TableMode, WholeDocumentMode: the per-document procedures.
// - CollectMode, FieldLayout, CollectWorkbook: one workbook for the whole batch, a row per
//   document and a column per field of the form.
// - AxObject: the automation handle everything is called through (automation/).

#include "engine/documentfeed.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>

#include "engine/collectreaders.h"

class AxObject;
class CollectWorkbook;
struct ConvertOptions;
class OutputWorkbook;

// One document (or folder) that did not come through whole, with what happened and why.
struct RunIssue {
    enum class Kind {
        NotOpened,  // could not be opened or read (also an unreadable folder)
        NotSaved,   // opened, but its workbook was not saved
        Lossy       // converted and saved, but something was left out or cut
    };
    Kind kind = Kind::NotOpened;
    QString nativePath;
    QString reason;  // the application's or reader's reason; empty when none was given
};

// What a run did, for callers that need more than the two signals (the headless converter).
struct RunReport {
    bool aborted = false;  // no spreadsheet application, or the template did not open: the run
                           // stopped at once, converting nothing
    bool templateUnusable = false;  // the template was used but did not open (also aborted)
    int candidates = 0;             // Word documents in the list
    int converted = 0;              // documents converted and saved
    int failed = 0;                 // documents (and unreadable folders) in the failure report
    bool reportWritten = false;     // the failure report was written to failureReportPath
    // Documents that opened but whose workbook could not be saved, each as the document's
    // native path, ": " and the spreadsheet application's reason (when it gave one).
    QStringList unsaved;
    // Documents that failed while being read or converted (the reader ran out of memory or
    // gave up), each as the native path, ": " and the reason.
    QStringList unopened;
    // Every entry of the failure report (native paths), also when it could not be written.
    QStringList failedPaths;
    // Folders under the source that could not be read (native paths); each counts in failed.
    QStringList unreadableFolders;
    // What saved workbooks lost: content the reader left out (an equation too large to lay
    // out) and cells whose text was cut (to what a cell holds, or by a column split that ran
    // out of columns), each as the document's native path, ": " and what with why
    // ("Sheet1!A5 (text cut to 32,767 characters)").
    QStringList cut;
    // Every document that failed or lost something, in discovery order, unreadable folders
    // first: the same reasons as the lists above, one entry per document.
    QList<RunIssue> issues;
    int total = 0;         // Word documents counted before the run began
    int skipped = 0;       // documents kept because their workbook was newer (skipExisting)
    bool stopped = false;  // requestStop() ended the run before every document was done
    qint64 seconds = 0;    // how long the run took
};

class MergeObject : public QObject {
    Q_OBJECT
public:
    // Shows the failure report to the user; receives its path in native separators.
    using ReportViewer = std::function<void(const QString& reportPath)>;

    explicit MergeObject(QObject* parent = nullptr);
    ~MergeObject() override;

    // Replace the report viewer (by default the system's text editor). An empty function
    // shows nothing; tests and the headless converter switch the viewer off this way.
    void setReportViewer(ReportViewer viewer);

    // Replace the count of running WPS spreadsheet processes ("et.exe"), which decides how
    // the content is pasted. By default (and after an empty function) the system's process
    // list is asked, and only when the spreadsheet application runs out of process: the
    // built-in office in process is never WPS. For tests.
    void setWpsProcessCounter(std::function<int()> counter);

    // Convert on `jobs` worker threads (values below 1 count as 1), each with its own Word and
    // spreadsheet sessions. 1, the default, converts on the job's own thread. Results, the
    // failure report and the unsaved list stay in discovery order whatever the number; the
    // documentStarted signals come in the order documents start, with `started` rising by one.
    // More than one needs an office served in process: with an application in another process
    // (COM) the run converts nothing and ends at once with a message saying so (aborted).
    // On Windows the run always converts on the job's own thread.
    void setJobs(int jobs);

    // Ask the running Transform() to end after the documents being converted: no further one
    // starts, and the run ends as usual (report, summary, Signal_SetButtonEnable) with
    // RunReport::stopped set. Callable from any thread; a later Transform() starts afresh.
    void requestStop();

    // True when some Word document under the options' source folder already has a workbook
    // at its output path. Walks the tree until the first such document.
    static bool anyOutputExists(const ConvertOptions& options);

    // The outcome of the last run of Transform() (all zero before the first run).
    RunReport lastRun() const { return m_lastRun; }

signals:
    void Signal_SetButtonEnable();
    void ShowDisposingFile(QString filePath);
    // How far the run is, for progress bars: `started` counts the documents begun so far (1 for
    // the first), `finished` those done either way; `total` is the run's Word documents.
    void documentStarted(int started, int total, QString nativePath);
    void documentFinished(int finished, int total);

public slots:
    void Transform();

private:
    enum class DocumentOutcome { Converted, NotOpened, NotSaved, NoSpreadsheet, Skipped };
    // One document's result, kept by whichever thread converted it and counted into the run
    // in discovery order.
    struct DocumentResult {
        DocumentOutcome outcome = DocumentOutcome::NotOpened;
        bool opened = false;   // the document opened (a later failure is "not saved")
        QString reason;        // why it failed when something was thrown (out of memory ...)
        QString saveError;     // for NotSaved: the spreadsheet application's reason
        QStringList cutCells;  // what the saved workbook lost: equations left out, cells cut
    };
    class ParallelWorker;
    struct SharedProgress;

    void convertGuarded(AxObject* word, AxObject* documents, AxObject* excel,
                        const QString& nativePath, const std::function<void()>& announce,
                        DocumentResult& result);
    DocumentOutcome convertDocument(AxObject* word, AxObject* documents, AxObject* excel,
                                    const QString& nativePath,
                                    const std::function<void()>& announce, DocumentResult& result);
    static bool spreadsheetRunsOutOfProcess();
    static bool templateOpens();
    void convertEntry(AxObject* word, AxObject* documents, AxObject* excel,
                      const DocumentFeed::Document& document, const std::function<void()>& announce,
                      DocumentResult& result);
    void transformInParallel(qint64 startTime, const QString& failedPaths);
    void transformCollected(qint64 startTime, QString failedPaths);
    bool collectInto(AxObject* word, AxObject* documents, AxObject* excel, AxObject* workBooks,
                     QString& failedPaths);
    void addCollected(const CollectedDocument& read, CollectWorkbook& book, QString& failedPaths);
    void announceStart(int started, const QString& nativePath);
    void countInOrder(SharedProgress& progress, int index, const QString& nativePath,
                      const DocumentResult& result);
    void tally(const QString& nativePath, const DocumentResult& result, QString& failedPaths);
    static DocumentFeed::Acceptance acceptance();
    static bool inShard(const QString& nativePath, const QString& sourcePath,
                        const ConvertOptions& options);
    void transferContent(AxObject* word, AxObject* document, const OutputWorkbook& workbook);
    std::function<int()> wpsProcessCounter(const AxObject* excelSide) const;
    void abortRun(AxObject* word, AxObject* excel);
    void stopAtOnce(const QString& message);
    void endRun(qint64 startTime, const QString& failedPaths);
    void noteIssues(const QString& nativePath, const DocumentResult& result);
    static bool workbookIsNewer(const QString& nativePath);

    RunReport m_lastRun;
    int m_runTotal = 0;
    int m_jobs = 1;
    ReportViewer m_reportViewer;
    std::function<int()> m_wpsProcessCounter;
    std::atomic<bool> m_stopRequested{false};
};
