#pragma once

#include "office/format/result.h"

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

    // Build in memory into `file` a compound file holding `stream` (padded to kMinStreamSize)
    // as "Workbook". Fails with a message when the file cannot be built.
    static Result build(const QByteArray& stream, QByteArray& file);

    // Read the "Workbook" stream of the compound file at `path` into `stream`. Fails with a
    // message when the file is missing (NotFound), not a compound file (WrongFormat), has no
    // "Workbook" stream (an Excel 5/95 "Book" stream is named as such: Unsupported), is
    // larger than kMaxBytes (TooLarge) or damaged (Malformed).
    static Result read(const QString& path, QByteArray& stream);
    // The same for a compound file already in memory.
    static Result readData(const QByteArray& file, QByteArray& stream);
};
