#include "office/excel/xlsx/xlsxpackage.h"

#include <quazip/quazipfile.h>

#include <QDateTime>

namespace {

// Level 1 keeps the writer fast; the parts are repetitive XML and still compress well.
const int kCompressionLevel = 1;

// zlib's memory levels: its default for the sheets and shared strings; for small parts a
// 4 KB hash table instead of 64 KB.
const int kMemLevel = 8;
const int kSmallPartMemLevel = 4;

/* Now as a local date and time, asked of Qt at most once a second on each thread: every such
   question makes the C library look at the time-zone file again. */
QDateTime localNow() {
    thread_local qint64 askedAt = -1;
    thread_local QDateTime local;
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    if (now != askedAt) {
        askedAt = now;
        local = QDateTime::currentDateTime();
    }
    return local;
}

/* The time of every package entry: SOURCE_DATE_EPOCH when it is a whole number, else now. */
QDateTime entryTime() {
    static const qint64 epoch = [] {
        bool ok = false;
        const qint64 seconds = qEnvironmentVariable("SOURCE_DATE_EPOCH").toLongLong(&ok);
        return ok && seconds >= 0 ? seconds : static_cast<qint64>(-1);
    }();
    return epoch >= 0 ? QDateTime::fromSecsSinceEpoch(epoch, Qt::UTC) : localNow();
}

/* Entry details to copy for each part: making them afresh reads the clock and time zone. */
QuaZipNewInfo blankEntry() {
    thread_local const QuaZipNewInfo blank{QString()};
    return blank;
}

}  // namespace

XlsxPackage::XlsxPackage(QIODevice* device) : m_zip(device), m_entry(blankEntry()) {
    m_entry.dateTime = entryTime();
}

/* Create the archive in the device. */
bool XlsxPackage::open() {
    return m_zip.open(QuaZip::mdCreate);
}

/* One deflated entry holding what `body` writes. */
bool XlsxPackage::addPart(const QString& name, PartSize size,
                          const std::function<void(XmlSink&)>& body) {
    QuaZipNewInfo info = m_entry;
    info.name = name;
    QuaZipFile file(&m_zip);
    if (!file.open(QIODevice::WriteOnly, info, nullptr, 0, Z_DEFLATED, kCompressionLevel, false,
                   -MAX_WBITS, size == PartSize::Small ? kSmallPartMemLevel : kMemLevel,
                   Z_DEFAULT_STRATEGY)) {
        return false;
    }
    XmlSink sink(&file);
    body(sink);
    sink.flush();
    file.close();
    return sink.ok() && file.getZipError() == ZIP_OK;
}

/* Write the central directory. */
bool XlsxPackage::close() {
    m_zip.close();
    return m_zip.getZipError() == ZIP_OK;
}
