#include "tests/engine/jobfixture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

/* Fresh folders, fake and inputs for every test. */
void JobFixture::SetUp() {
    ASSERT_TRUE(temp.isValid());
    QDir(temp.path()).mkpath(QStringLiteral("src"));
    QDir(temp.path()).mkpath(QStringLiteral("out"));
    source = QDir::toNativeSeparators(temp.path() + QStringLiteral("/src/"));
    save = QDir::toNativeSeparators(temp.path() + QStringLiteral("/out/"));
    office = std::make_unique<FakeOffice>();
    ConvertOptions& options = convertOptions();
    options = ConvertOptions();
    options.sourcePath = source;
    options.savePath = save;
    options.failureReportPath = source + ConvertOptions::failureReportName();
    job = std::make_unique<MergeObject>();
    job->setReportViewer([this](const QString& path) { viewed << path; });
    job->setWpsProcessCounter([this]() { return wpsProcesses; });
    QObject::connect(job.get(), &MergeObject::ShowDisposingFile,
                     [this](const QString& text) { statusTexts << text; });
    QObject::connect(job.get(), &MergeObject::Signal_SetButtonEnable,
                     [this]() { ++buttonSignals; });
}

/* Drop the job before the fake, then reset the inputs for the next test. */
void JobFixture::TearDown() {
    job.reset();
    office.reset();
    convertOptions() = ConvertOptions();
}

/* Write one source file. */
QString JobFixture::addSource(const QString& relativePath, const QByteArray& bytes) {
    const QString path = temp.path() + QStringLiteral("/src/") + relativePath;
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return QDir::toNativeSeparators(path);
}

/* Run the job on this thread. */
void JobFixture::run() {
    job->Transform();
}

/* A native path below the source folder. */
QString JobFixture::sourceFile(const QString& relativePath) const {
    return QDir::toNativeSeparators(source + relativePath);
}

/* A native path below the destination folder. */
QString JobFixture::saveFile(const QString& relativePath) const {
    return QDir::toNativeSeparators(save + relativePath);
}
