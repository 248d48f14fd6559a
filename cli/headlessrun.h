#pragma once

#include "engine/convertoptions.h"

#include <QString>
#include <QTextStream>

// One conversion run without a window: the job on a worker thread with the built-in office,
// progress ("[3/40] path") on the error stream, the summary and the report's path on the
// output stream.
class HeadlessRun {
public:
    // Exit statuses of the converter.
    enum Status { AllConverted = 0, SomeFailed = 1, BadInput = 2 };

    HeadlessRun(QTextStream& out, QTextStream& err);

    // Run the job once over `options` (already validated), as the window would start it: an
    // earlier failure report is deleted first. The report is written but not shown. Needs a
    // QCoreApplication. Returns AllConverted or SomeFailed.
    Status run(const ConvertOptions& options);

private:
    void showStart(int started, int total, const QString& nativePath);

    QTextStream& m_out;
    QTextStream& m_err;
    QString m_finalText;
};
