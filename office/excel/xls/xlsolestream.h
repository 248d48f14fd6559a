#pragma once

#include <QByteArray>
#include <QString>

// The "Workbook" stream of an .xls file, which is an OLE2 compound file (MS-CFB) holding the
// BIFF8 records (MS-XLS 2.1.2).
class XlsOleStream {
public:
    // Largest compound file and stream read (256 MiB), far above what Excel 97's limits
    // allow, so a corrupt size field cannot make the reader allocate without bound.
    static constexpr qint64 kMaxBytes = 256LL * 1024 * 1024;
    // Smallest "Workbook" stream written: shorter streams are padded with zeros so they are
    // stored in regular sectors, not the mini stream.
    static constexpr int kMinStreamSize = 4096;

    // Write a compound file holding `stream` (padded to kMinStreamSize) as "Workbook" to
    // `path` (created or truncated). False with `error` set when the file cannot be built or
    // written.
    static bool write(const QByteArray& stream, const QString& path, QString* error);

    // Read the "Workbook" stream of the compound file at `path`. False with `error` set when
    // the file is missing, not a compound file, has no "Workbook" stream (an Excel 5/95
    // "Book" stream is named as such), or is larger than kMaxBytes.
    static bool read(const QString& path, QByteArray* stream, QString* error);
    // The same for a compound file already in memory.
    static bool readBytes(const QByteArray& file, QByteArray* stream, QString* error);
};
