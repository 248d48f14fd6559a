#include "cli/headlessrun.h"

#include "cli/progressbar.h"
#include "engine/failurereport.h"
#include "engine/mergeobject.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QThread>

HeadlessRun::HeadlessRun(QTextStream& out, QTextStream& err, Progress progress)
    : m_out(out), m_err(err), m_progress(progress) {
    if (progress == Progress::Bar) {
        m_bar = std::make_unique<ProgressBar>(err, 30, ProgressBar::terminalColumns());
    }
}

HeadlessRun::~HeadlessRun() = default;

/* Run the job on its own thread and wait for its end. */
HeadlessRun::Status HeadlessRun::run(const ConvertOptions& options, int jobs) {
    convertOptions() = options;
    QFile::remove(options.failureReportPath);
    const RunReport result = runJob(jobs);
    if (result.aborted) {
        m_err << m_finalText << '\n';
        m_err.flush();
        return result.templateUnusable ? BadInput : SomeFailed;
    }
    showProblems(result, options.failureReportPath);
    showSummary(result, options.failureReportPath);
    return result.failed == 0 ? AllConverted : SomeFailed;
}

/* Run the job on a thread of its own, showing progress, until it says it is done. */
RunReport HeadlessRun::runJob(int jobs) {
    QThread thread;
    auto* job = new MergeObject;
    job->setReportViewer(MergeObject::ReportViewer());
    job->setJobs(jobs);
    job->moveToThread(&thread);
    QEventLoop loop;
    // The last text the job shows is its summary (or why it stopped), kept on the thread that
    // shows it: this thread reads it only once the job's thread has ended, and a queued call for
    // every document would wake this thread for nothing.
    QObject::connect(
        job, &MergeObject::ShowDisposingFile, &loop,
        [this](const QString& text) { m_finalText = text; }, Qt::DirectConnection);
    if (m_progress != Progress::Quiet) {
        QObject::connect(job, &MergeObject::documentStarted, &loop,
                         [this](int started, int total, const QString& nativePath) {
                             showStart(started, total, nativePath);
                         });
        QObject::connect(job, &MergeObject::documentFinished, &loop,
                         [this](int finished, int total) { showFinish(finished, total); });
    }
    QObject::connect(job, &MergeObject::Signal_SetButtonEnable, &loop, &QEventLoop::quit);
    m_clock.start();
    thread.start();
    QMetaObject::invokeMethod(job, "Transform", Qt::QueuedConnection);
    loop.exec();
    thread.quit();
    thread.wait();
    const RunReport result = job->lastRun();
    delete job;
    if (m_bar) {
        m_bar->finish();
    }
    return result;
}

/* Every folder and document that did not come through whole, on the error stream. */
void HeadlessRun::showProblems(const RunReport& result, const QString& reportPath) {
    for (const QString& folder : result.unreadableFolders) {
        m_err << QStringLiteral("无法读取 (cannot read folder) ") << folder << '\n';
    }
    for (const QString& unopened : result.unopened) {
        m_err << QStringLiteral("无法打开 (cannot open) ") << unopened << '\n';
    }
    for (const QString& unsaved : result.unsaved) {
        m_err << QStringLiteral("未能保存 (not saved) ") << unsaved << '\n';
    }
    if (!result.failedPaths.isEmpty() && !result.reportWritten) {
        // The list would otherwise be nowhere.
        m_err << QStringLiteral("无法写入报告 (report not written): ") << reportPath << '\n';
        for (const QString& failed : result.failedPaths) {
            m_err << QStringLiteral("未转换 (not converted) ") << FailureReport::line(failed);
        }
    }
    for (const QString& cut : result.cut) {
        m_err << QStringLiteral("转换有损失 (converted with a loss) ") << FailureReport::line(cut);
    }
    m_err.flush();
}

/* The job's summary, what was skipped and where the failure report is. */
void HeadlessRun::showSummary(const RunReport& result, const QString& reportPath) {
    m_out << m_finalText << '\n';
    if (result.skipped > 0) {
        m_out
            << QStringLiteral("跳过%1个已是最新的文件 (skipped %1 up to date)").arg(result.skipped)
            << '\n';
    }
    if (result.reportWritten) {
        m_out << QStringLiteral("无法转换的文件列表 (failure report): ") << reportPath << '\n';
    }
    m_out.flush();
}

/* Show a document as it starts: its line, or the bar with the documents done before it. */
void HeadlessRun::showStart(int started, int total, const QString& nativePath) {
    if (m_progress == Progress::Lines) {
        m_err << '[' << started << '/' << total << "] " << nativePath << '\n';
        m_err.flush();
    } else if (m_bar) {
        m_bar->update(started - 1, total, m_clock.elapsed());
    }
}

/* Advance the bar as a document ends. */
void HeadlessRun::showFinish(int finished, int total) {
    if (m_bar) {
        m_bar->update(finished, total, m_clock.elapsed());
    }
}
