#pragma once

// Reads a written workbook back with openpyxl (a reader we did not write) through
// dump_xlsx.py, as a JSON object: {"sheets": [{"name", "cells", "merges", "widths",
// "heights"}], "active"}.

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QString>

/* Run the system Python with openpyxl on `path`; an empty object and `error` on failure. */
inline QJsonObject readWithOpenpyxl(const QString& path, QString* error) {
    QProcess process;
    process.start(QStringLiteral("/usr/bin/python3"),
                  {QStringLiteral(SW_SOURCE_DIR "/tests/office/excel/dump_xlsx.py"), path});
    if (!process.waitForFinished(120000) || process.exitCode() != 0) {
        *error = QString::fromUtf8(process.readAllStandardError());
        return {};
    }
    QJsonParseError parseError;
    const QJsonDocument document =
        QJsonDocument::fromJson(process.readAllStandardOutput(), &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        *error = parseError.errorString();
        return {};
    }
    return document.object();
}

/* The JSON of one cell of one sheet (empty when openpyxl has no such cell). */
inline QJsonObject openpyxlCell(const QJsonObject& book, int sheet, const QString& cell) {
    return book.value(QStringLiteral("sheets"))
        .toArray()
        .at(sheet)
        .toObject()
        .value(QStringLiteral("cells"))
        .toObject()
        .value(cell)
        .toObject();
}

/* The JSON of one sheet. */
inline QJsonObject openpyxlSheet(const QJsonObject& book, int sheet) {
    return book.value(QStringLiteral("sheets")).toArray().at(sheet).toObject();
}
