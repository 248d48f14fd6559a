#pragma once

#include "engine/convertoptions.h"
#include "engine/mergeobject.h"

#include <gtest/gtest.h>

#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>
#include <ostream>

// Readable QString values in test failure messages.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

// Runs the job with the built-in office over a source folder into a temporary destination
// and reads the workbooks back with openpyxl (/usr/bin/python3), never with our own reader.
class EndToEndFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Convert `sourceFolder` into `save`; `configure` may change the options first. The
    // failure report goes to the temporary folder, never into the source.
    RunReport convert(
        const QString& sourceFolder, const std::function<void(ConvertOptions&)>& configure = {},
        const std::function<int()>& wpsCount = [] { return 0; });

    // A workbook as JSON (see readback.py); an empty object when it could not be read.
    static QJsonObject readBack(const QString& workbook);
    // The sheet titles of several workbooks, by path.
    static QJsonObject titlesOf(const QStringList& workbooks);
    // The table comparison of a document with its table-mode workbook (compare_tables.py).
    static QJsonObject compareTables(const QString& document, const QString& workbook);
    // Write a document with python3-docx from a snippet that fills `d` (a docx.Document).
    bool writeDocument(const QString& path, const QString& snippet) const;
    // Run a Python snippet with /usr/bin/python3; its standard output, or empty on failure.
    static QByteArray python(const QStringList& arguments);

    // The corpus folder below the repository (tests run from its root).
    static QString corpus(const QString& relative);
    // A sheet of a read-back workbook, and one of its cells (empty when absent).
    static QJsonObject sheet(const QJsonObject& book, int index);
    static QJsonObject cell(const QJsonObject& book, int index, const QString& address);

    QTemporaryDir temp;
    QString save;  // the destination, with a trailing separator
};
