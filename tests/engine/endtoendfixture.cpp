#include "tests/engine/endtoendfixture.h"

#include "office/builtinoffice.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>

namespace {

const char* const oracle = "/usr/bin/python3";

/* A script of ours next to the tests. */
QString script(const char* name) {
    return QStringLiteral(SW_SOURCE_DIR "/tests/engine/") + QLatin1String(name);
}

/* Parse a JSON object, or give an empty one. */
QJsonObject objectOf(const QByteArray& json) {
    return QJsonDocument::fromJson(json).object();
}

}  // namespace

/* The built-in office and a fresh destination for every test. */
void EndToEndFixture::SetUp() {
    ASSERT_TRUE(temp.isValid());
    registerBuiltinOffice();
    save = QDir::toNativeSeparators(temp.path() + QStringLiteral("/out/"));
    QDir().mkpath(save);
}

/* Leave the process-wide inputs clean. */
void EndToEndFixture::TearDown() {
    convertOptions() = ConvertOptions();
}

/* Run one job on this thread. */
RunReport EndToEndFixture::convert(const QString& sourceFolder,
                                   const std::function<void(ConvertOptions&)>& configure,
                                   const std::function<int()>& wpsCount) {
    ConvertOptions options;
    options.sourcePath =
        QDir::toNativeSeparators(QFileInfo(sourceFolder).absoluteFilePath() + QLatin1Char('/'));
    options.savePath = save;
    options.failureReportPath = QDir::toNativeSeparators(temp.path() + QLatin1Char('/')) +
                                ConvertOptions::failureReportName();
    if (configure) {
        configure(options);
    }
    convertOptions() = options;
    MergeObject job;
    job.setReportViewer(MergeObject::ReportViewer());
    job.setWpsProcessCounter(wpsCount);
    job.Transform();
    return job.lastRun();
}

/* Run the oracle with arguments; empty output on failure. */
QByteArray EndToEndFixture::python(const QStringList& arguments) {
    QProcess process;
    process.start(QLatin1String(oracle), arguments);
    if (!process.waitForFinished(120000) || process.exitCode() != 0) {
        ADD_FAILURE() << "python failed: " << process.readAllStandardError().toStdString();
        return QByteArray();
    }
    return process.readAllStandardOutput();
}

/* Read one workbook back. */
QJsonObject EndToEndFixture::readBack(const QString& workbook) {
    return objectOf(python({script("readback.py"), workbook}));
}

/* Read the titles of several workbooks. */
QJsonObject EndToEndFixture::titlesOf(const QStringList& workbooks) {
    return objectOf(
        python(QStringList{script("readback.py"), QStringLiteral("--titles")} + workbooks));
}

/* Compare a document's tables with a workbook. */
QJsonObject EndToEndFixture::compareTables(const QString& document, const QString& workbook) {
    return objectOf(python({script("compare_tables.py"), document, workbook}));
}

/* Write a document with python3-docx. */
bool EndToEndFixture::writeDocument(const QString& path, const QString& snippet) const {
    QDir().mkpath(QFileInfo(path).path());
    const QString program = QStringLiteral("import sys, docx\nd = docx.Document()\n") + snippet +
                            QStringLiteral("\nd.save(sys.argv[1])\n");
    QProcess process;
    process.start(QLatin1String(oracle), {QStringLiteral("-c"), program, path});
    return process.waitForFinished(60000) && process.exitCode() == 0 && QFileInfo::exists(path);
}

/* A corpus path relative to the repository root. */
QString EndToEndFixture::corpus(const QString& relative) {
    return QStringLiteral("../shared/corpus/") + relative;
}

/* One sheet of a read-back workbook. */
QJsonObject EndToEndFixture::sheet(const QJsonObject& book, int index) {
    return book.value(QStringLiteral("sheets")).toArray().at(index).toObject();
}

/* One cell of a read-back workbook. */
QJsonObject EndToEndFixture::cell(const QJsonObject& book, int index, const QString& address) {
    return sheet(book, index).value(QStringLiteral("cells")).toObject().value(address).toObject();
}
