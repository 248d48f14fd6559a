#include "cli/headlessrun.h"

#include "engine/documentdiscovery.h"
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
    for (const QFileInfo& file : DocumentDiscovery::collectFiles(options.sourcePath)) {
        const QString path = DocumentDiscovery::nativePath(file);
        if (DocumentDiscovery::isCandidate(path)) {
            m_candidates.insert(path);
            ++m_total;
        }
    }
    QThread thread;
    auto* job = new MergeObject;
    job->setReportViewer(MergeObject::ReportViewer());
    job->moveToThread(&thread);
    QEventLoop loop;
    QObject::connect(job, &MergeObject::ShowDisposingFile, &loop,
                     [this](const QString& text) { showText(text); });
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

/* Print a document as it starts; keep the closing text for the end. */
void HeadlessRun::showText(const QString& text) {
    if (!m_candidates.contains(text)) {
        m_finalText = text;
        return;
    }
    ++m_started;
    m_err << '[' << m_started << '/' << m_total << "] " << text << '\n';
    m_err.flush();
}
