#pragma once

// What the end-to-end tests of the converter share: the converter of the build under test, a
// temporary source tree (with a "sub" folder) and destination, and a way to run a program.

#include <QDir>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

struct ConverterTree {
    QTemporaryDir temp;
    QString source = temp.path() + QStringLiteral("/src");
    QString dest = temp.path() + QStringLiteral("/out");

    /* Make the folders; ready() says whether they were made. */
    ConverterTree() {
        m_ready =
            temp.isValid() && QDir().mkpath(source + QStringLiteral("/sub")) && QDir().mkpath(dest);
    }
    bool ready() const { return m_ready; }

    /* The converter of the build under test (SW_BUILD_DIR names the build). */
    static QString converter() {
        return QProcessEnvironment::systemEnvironment().value(QStringLiteral("SW_BUILD_DIR")) +
               QStringLiteral("/bin/sheetweaver-convert");
    }

private:
    bool m_ready = false;
};

/* Run a program; returns its exit code (-1 when it did not finish normally) and its stdout. */
inline int runProgram(const QString& program, const QStringList& arguments, QByteArray* out) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(180000) || process.exitStatus() != QProcess::NormalExit) {
        return -1;
    }
    *out = process.readAllStandardOutput();
    return process.exitCode();
}
