#include "office/excel/xls/xlsolestream.h"

#include "office/ole/compoundfile.h"

#include <QFile>
#include <QSaveFile>

#include <algorithm>

/* Build the compound file and write it to `path` in one go. */
bool XlsOleStream::write(const QByteArray& stream, const QString& path, QString* error) {
    // Streams under 4096 bytes would go into the compound file's mini stream, which some
    // versions of Excel do not accept for the workbook; zeros after the last EOF pad it.
    QByteArray padded = stream;
    if (padded.size() < kMinStreamSize) {
        padded.append(kMinStreamSize - padded.size(), '\0');
    }
    QByteArray file;
    if (!CompoundFile::build("Workbook", padded, file)) {
        *error = QStringLiteral("Cannot build the compound file");
        return false;
    }
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(file) != file.size() || !out.commit()) {
        *error = QStringLiteral("Cannot write %1: %2").arg(path, out.errorString());
        return false;
    }
    return true;
}

/* Read the whole file, then its "Workbook" stream. */
bool XlsOleStream::read(const QString& path, QByteArray* stream, QString* error) {
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("Cannot open %1: %2").arg(path, in.errorString());
        return false;
    }
    if (in.size() > kMaxBytes) {
        *error = QStringLiteral("%1 is larger than %2 bytes").arg(path).arg(kMaxBytes);
        return false;
    }
    return readBytes(in.readAll(), stream, error);
}

/* Open the compound file from memory and copy its "Workbook" stream. */
bool XlsOleStream::readBytes(const QByteArray& file, QByteArray* stream, QString* error) {
    const CompoundFile ole(file);
    if (!ole.isOpen()) {
        *error = QStringLiteral("Not an Excel 97-2003 workbook (no OLE2 compound file)");
        return false;
    }
    // A stream cannot hold more than the file it is in, give or take the sectors' slack.
    const qint64 limit = std::min<qint64>(kMaxBytes, qint64(file.size()) * 2 + 4096);
    switch (ole.readStream("Workbook", limit, *stream)) {
        case CompoundFile::Stream::Ok:
            return true;
        case CompoundFile::Stream::Absent:
            *error = ole.hasStream("Book")
                         ? QStringLiteral("Excel 5.0/95 workbooks are not supported")
                         : QStringLiteral("The compound file holds no \"Workbook\" stream");
            return false;
        case CompoundFile::Stream::TooLarge:
            *error = QStringLiteral("The \"Workbook\" stream has an impossible size");
            return false;
        case CompoundFile::Stream::Unreadable:
            break;
    }
    *error = QStringLiteral("The \"Workbook\" stream is truncated");
    return false;
}
