#pragma once

// Reading .xls files back with python3-xlrd, a reader we did not write, for the tests of
// this folder. tests/office/excel/xls/xlrd_dump.py prints a workbook as JSON; the helpers below run
// it and pick cells out of the result.

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QString>
#include <QStringList>

namespace xlsoracle {

// The system interpreter, which has python3-xlrd (a pyenv python3 on PATH may not).
inline QString python() {
    return QStringLiteral("/usr/bin/python3");
}

/* Dump `path` with xlrd; an empty object and `error` set when xlrd fails. */
inline QJsonObject dump(const QString& path, QString* error) {
    QProcess process;
    process.start(python(), {QStringLiteral("tests/office/excel/xls/xlrd_dump.py"), path});
    if (!process.waitForFinished(60000) || process.exitCode() != 0) {
        *error = QString::fromUtf8(process.readAllStandardError());
        return QJsonObject();
    }
    QJsonParseError parseError;
    const QJsonDocument document =
        QJsonDocument::fromJson(process.readAllStandardOutput(), &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        *error = parseError.errorString();
        return QJsonObject();
    }
    return document.object();
}

/* Run a Python snippet with `path` as sys.argv[1]; its standard output, or "ERROR: ...". */
inline QString runPython(const QString& code, const QStringList& arguments) {
    QProcess process;
    process.start(python(), QStringList{QStringLiteral("-c"), code} + arguments);
    if (!process.waitForFinished(60000) || process.exitCode() != 0) {
        return QStringLiteral("ERROR: ") + QString::fromUtf8(process.readAllStandardError());
    }
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

/* The sheet at a 0-based position of a dump. */
inline QJsonObject sheet(const QJsonObject& book, int index) {
    return book.value(QStringLiteral("sheets")).toArray().at(index).toObject();
}

/* The cell at a 0-based row and column of a dumped sheet; empty when absent. */
inline QJsonObject cell(const QJsonObject& sheet, int row, int column) {
    return sheet.value(QStringLiteral("cells"))
        .toObject()
        .value(QStringLiteral("%1,%2").arg(row).arg(column))
        .toObject();
}

/* A field of a cell's format, by path: format("font", "weight"). */
inline QJsonValue format(const QJsonObject& cell, const char* group, const char* field) {
    return cell.value(QStringLiteral("format"))
        .toObject()
        .value(QLatin1String(group))
        .toObject()
        .value(QLatin1String(field));
}

}  // namespace xlsoracle
