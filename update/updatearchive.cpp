#include "update/updatearchive.h"

#include <QFile>
#include <QStringList>

#include <quazip/quazip.h>
#include <quazip/quazipfile.h>
#include <quazip/quazipfileinfo.h>

/* Remember the archive's path. */
UpdateArchive::UpdateArchive(const QString& zipPath) : m_zipPath(zipPath) {}

/* Reject names that could land outside the extraction folder. */
bool UpdateArchive::isSafeEntryName(const QString& name) {
    if (name.isEmpty() || name.startsWith(QLatin1Char('/'))) {
        return false;
    }
    // A backslash is a separator on Windows; a colon makes a drive letter or a stream name.
    if (name.contains(QLatin1Char('\\')) || name.contains(QLatin1Char(':'))) {
        return false;
    }
    const QStringList components = name.split(QLatin1Char('/'));
    return !components.contains(QStringLiteral(".."));
}

/* Walk the central directory and test each entry. */
UpdateArchive::Status UpdateArchive::check() {
    m_offendingEntry.clear();
    QuaZip zip(m_zipPath);
    if (!zip.open(QuaZip::mdUnzip)) {
        return CannotOpen;
    }
    for (bool more = zip.goToFirstFile(); more; more = zip.goToNextFile()) {
        QuaZipFileInfo64 info;
        if (!zip.getCurrentFileInfo(&info)) {
            return CannotOpen;
        }
        if (!isSafeEntryName(info.name) || info.isSymbolicLink()) {
            m_offendingEntry = info.name;
            return UnsafeEntry;
        }
    }
    // goToFirstFile() also fails on an empty archive; only a reading error counts here.
    return zip.getZipError() == UNZ_OK ? Ok : CannotOpen;
}

/* Copy one entry's bytes into a new file. */
UpdateArchive::Status UpdateArchive::extractEntry(const QString& entryName,
                                                  const QString& targetPath) const {
    QuaZip zip(m_zipPath);
    if (!zip.open(QuaZip::mdUnzip)) {
        return CannotOpen;
    }
    if (!zip.setCurrentFile(entryName, QuaZip::csSensitive)) {
        return EntryMissing;
    }
    QuaZipFile entry(&zip);
    if (!entry.open(QIODevice::ReadOnly)) {
        return Corrupt;
    }
    QFile target(targetPath);
    if (!target.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        return CannotWrite;
    }
    Status status = Ok;
    char block[65536];
    for (;;) {
        const qint64 got = entry.read(block, sizeof block);
        if (got < 0) {
            status = Corrupt;
            break;
        }
        if (got == 0) {
            break;
        }
        if (target.write(block, got) != got) {
            status = CannotWrite;
            break;
        }
    }
    entry.close();
    // Closing the entry verifies its CRC.
    if (status == Ok && entry.getZipError() != UNZ_OK) {
        status = Corrupt;
    }
    if (status == Ok && !target.flush()) {
        status = CannotWrite;
    }
    target.close();
    if (status != Ok) {
        target.remove();
    }
    return status;
}
