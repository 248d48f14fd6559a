#include "cli/headlessrun.h"

#include "engine/mergeobject.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QThread>

HeadlessRun::HeadlessRun(QTextStream& out, QTextStream& err) : m_out(out), m_err(err) {}

/* Run the job on its own thread and wait for its end. */
HeadlessRun::Status HeadlessRun::run(const ConvertOptions& options) {
    convertOptions() = options;
    QFile::remove(options.failureReportPath);
    QThread thread;
    auto* job = new MergeObject;
    job->setReportViewer(MergeObject::ReportViewer());
    job->moveToThread(&thread);
    QEventLoop loop;
    // The last text the job shows is its summary (or why it stopped); documents come as starts.
    QObject::connect(job, &MergeObject::ShowDisposingFile, &loop,
                     [this](const QString& text) { m_finalText = text; });
    QObject::connect(job, &MergeObject::documentStarted, &loop,
                     [this](int started, int total, const QString& nativePath) {
                         showStart(started, total, nativePath);
                     });
    QObject::connect(job, &MergeObject::Signal_SetButtonEnable, &loop, &QEventLoop::quit);
    thread.start();
    QMetaObject::invokeMethod(job, "Transform", Qt::QueuedConnection);
    loop.exec();
    thread.quit();
    thread.wait();
    const RunResult result = job->lastRun();
    delete job;

    if (result.aborted) {
        m_err << m_finalText << '\n';
        m_err.flush();
        return SomeFailed;
    }
    for (const QString& unopened : result.unopened) {
        m_err << QStringLiteral("无法打开 (cannot open) ") << unopened << '\n';
    }
    for (const QString& unsaved : result.unsaved) {
        m_err << QStringLiteral("未能保存 (not saved) ") << unsaved << '\n';
    }
    m_err.flush();
    m_out << m_finalText << '\n';
    if (result.reportWritten) {
        m_out << QStringLiteral("无法转换的文件列表 (failure report): ")
              << options.failureReportPath << '\n';
    }
    m_out.flush();
    return result.failed == 0 ? AllConverted : SomeFailed;
}

/* Print a document as it starts. */
void HeadlessRun::showStart(int started, int total, const QString& nativePath) {
    m_err << '[' << started << '/' << total << "] " << nativePath << '\n';
    m_err.flush();
}
