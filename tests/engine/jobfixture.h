#pragma once

#include "engine/convertoptions.h"
#include "engine/mergeobject.h"
#include "tests/automation/fakeoffice.h"

#include <gtest/gtest.h>

#include <QStringList>
#include <QTemporaryDir>

#include <memory>
#include <ostream>

// Readable QString values in test failure messages.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

// A source and a destination folder in a temporary directory, the recording fake registered
// as both applications, the job inputs pointing at the folders, and a job whose report viewer
// only records what it was asked to show.
class JobFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Create a file below the source folder (folders along the way too).
    QString addSource(const QString& relativePath, const QByteArray& bytes = "doc");
    // Run the job once; collects the status texts and the button signals.
    void run();
    // Native path of a file below the source / destination folder.
    QString sourceFile(const QString& relativePath) const;
    QString saveFile(const QString& relativePath) const;

    QTemporaryDir temp;
    QString source;  // with a trailing separator, as the window gives it
    QString save;
    std::unique_ptr<FakeOffice> office;
    std::unique_ptr<MergeObject> job;
    QStringList statusTexts;
    int buttonSignals = 0;
    QStringList viewed;
    int wpsProcesses = 0;
};
