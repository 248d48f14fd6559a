#include "office/excel/xls/xlsolestream.h"

#include "office/ole/compoundfile.h"

#include <QFile>

#include <algorithm>

/* Build the compound file in memory. */
Result XlsOleStream::build(const QByteArray& stream, QByteArray& file) {
    // Streams under 4096 bytes would go into the compound file's mini stream, which some
    // versions of Excel do not accept for the workbook; zeros after the last EOF pad it.
    QByteArray padded = stream;
    if (padded.size() < kMinStreamSize) {
        padded.append(kMinStreamSize - padded.size(), '\0');
    }
    if (!CompoundFile::build("Workbook", padded, file)) {
        return Result::failure(QStringLiteral("Cannot build the compound file"));
    }
    return Result::success();
}

/* Read the whole file, then its "Workbook" stream. */
Result XlsOleStream::read(const QString& path, QByteArray& stream) {
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly)) {
        return Result::failure(Result::Status::NotFound,
                               QStringLiteral("Cannot open %1: %2").arg(path, in.errorString()));
    }
    if (in.size() > kMaxBytes) {
        return Result::failure(
            Result::Status::TooLarge,
            QStringLiteral("%1 is larger than %2 bytes").arg(path).arg(kMaxBytes));
    }
    return readData(in.readAll(), stream);
}

/* Open the compound file from memory and copy its "Workbook" stream. */
Result XlsOleStream::readData(const QByteArray& file, QByteArray& stream) {
    const CompoundFile ole(file);
    if (!ole.isOpen()) {
        return Result::failure(
            Result::Status::WrongFormat,
            QStringLiteral("Not an Excel 97-2003 workbook (no OLE2 compound file)"));
    }
    // A stream cannot hold more than the file it is in, give or take the sectors' slack.
    const qint64 limit = std::min<qint64>(kMaxBytes, static_cast<qint64>(file.size()) * 2 + 4096);
    switch (ole.readStream("Workbook", limit, stream)) {
        case CompoundFile::Stream::Ok:
            return Result::success();
        case CompoundFile::Stream::Absent:
            return ole.hasStream("Book")
                       ? Result::failure(Result::Status::Unsupported,
                                         QStringLiteral("Excel 5.0/95 workbooks are not supported"))
                       : Result::failure(
                             Result::Status::WrongFormat,
                             QStringLiteral("The compound file holds no \"Workbook\" stream"));
        case CompoundFile::Stream::TooLarge:
            return Result::failure(
                Result::Status::TooLarge,
                QStringLiteral("The \"Workbook\" stream has an impossible size"));
        case CompoundFile::Stream::Unreadable:
            break;
    }
    return Result::failure(Result::Status::Malformed,
                           QStringLiteral("The \"Workbook\" stream is truncated"));
}
