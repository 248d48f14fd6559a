#pragma once

#include "engine/convertoptions.h"

#include <QString>
#include <QTextStream>

#include <QElapsedTimer>

#include <memory>

class ProgressBar;
struct RunReport;

// One conversion run without a window: the job on a worker thread with the built-in office,
// progress on the error stream, the summary and the report's path on the output stream.
class HeadlessRun {
public:
    // Exit statuses of the converter.
    enum Status { AllConverted = 0, SomeFailed = 1, BadInput = 2 };

    // How progress is shown: a "[3/40] path" line as each document starts (for scripts and
    // logs), one bar redrawn in place (for a terminal), or nothing.
    enum class Progress { Lines, Bar, Quiet };

    HeadlessRun(QTextStream& out, QTextStream& err, Progress progress = Progress::Lines);
    ~HeadlessRun();

    // Run the job once over `options` (already validated), as the window would start it: an
    // earlier failure report is deleted first. The report is written but not shown. Needs a
    // QCoreApplication. Returns AllConverted or SomeFailed; BadInput, converting nothing, when
    // the template does not open (its message on the error stream).
    // `jobs`: worker threads (MergeObject::setJobs).
    Status run(const ConvertOptions& options, int jobs = 1);

private:
    RunReport runJob(int jobs);
    void showProblems(const RunReport& result, const QString& reportPath);
    void showSummary(const RunReport& result, const QString& reportPath);
    void showStart(int started, int total, const QString& nativePath);
    void showFinish(int finished, int total);

    QTextStream& m_out;
    QTextStream& m_err;
    Progress m_progress;
    std::unique_ptr<ProgressBar> m_bar;  // only for Progress::Bar
    QElapsedTimer m_clock;               // since the run began, for the bar's speed
    QString m_finalText;
};
