#include "office/excel/workbookfile.h"

#include "office/excel/xls/xlsreader.h"
#include "office/excel/xls/xlswriter.h"
#include "office/excel/xlsx/xlsxreader.h"
#include "office/excel/xlsx/xlsxwriter.h"
#include "support/processlist.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSysInfo>
#include <QTemporaryFile>

#include <functional>
#include <mutex>
#include <set>

namespace {

/* This machine's name as it goes into temporary file names: letters, digits, '.' and '-';
   anything else becomes '_'. */
QString hostTag() {
    static const QString tag = [] {
        QString name = QSysInfo::machineHostName();
        for (QChar& c : name) {
            if (!(c.isLetterOrNumber() && c.unicode() < 128) && c != QLatin1Char('.') &&
                c != QLatin1Char('-')) {
                c = QLatin1Char('_');
            }
        }
        return name.isEmpty() ? QStringLiteral("host") : name;
    }();
    return tag;
}

/* The template of a temporary workbook's name: ".~sw-HOST-PID-XXXXXX.tmp", so that a later
   run can tell whose it is. */
QString temporaryTemplate() {
    return QStringLiteral(".~sw-%1-%2-XXXXXX.tmp")
        .arg(hostTag())
        .arg(QCoreApplication::applicationPid());
}

/* Remove the temporary workbooks in `folder` that saves on this machine left when their
   process ended before the save did (a run killed while saving). Only regular files of the
   template's exact form, with this machine's name and the id of no running process, go.
   Once per folder and process. */
void removeLeftovers(const QDir& folder) {
    static std::mutex lock;
    static std::set<QString> cleaned;
    {
        const std::lock_guard<std::mutex> guard(lock);
        if (!cleaned.insert(folder.absolutePath()).second) {
            return;
        }
    }
    // QSaveFile may add ".XXXXXX" to the name for an instant while it replaces the file.
    static const QRegularExpression own(
        QStringLiteral("^\\.~sw-(.+)-([0-9]{1,10})-[A-Za-z0-9]{6}\\.tmp(\\.[A-Za-z0-9]{6})?$"));
    const QFileInfoList entries = folder.entryInfoList(
        {QStringLiteral(".~sw-*")}, QDir::Files | QDir::Hidden | QDir::NoSymLinks);
    for (const QFileInfo& entry : entries) {
        const QRegularExpressionMatch match = own.match(entry.fileName());
        if (match.hasMatch() && match.captured(1) == hostTag() &&
            !processRuns(match.captured(2).toLongLong())) {
            QFile::remove(entry.filePath());
        }
    }
}

/* Write into a temporary file beside `path`, then move it into place. */
WorkbookFileResult writeAtomically(const QString& path,
                                   const std::function<WorkbookFileResult(const QString&)>& write) {
    const QFileInfo target(path);
    if (!target.dir().exists()) {
        return WorkbookFileResult::failure(
            QStringLiteral("The folder of %1 does not exist").arg(QDir::toNativeSeparators(path)));
    }
    if (target.isDir()) {
        return WorkbookFileResult::failure(
            QStringLiteral("%1 is a folder").arg(QDir::toNativeSeparators(path)));
    }
    removeLeftovers(target.dir());
    QTemporaryFile temp(target.dir().filePath(temporaryTemplate()));
    temp.setAutoRemove(true);
    if (!temp.open()) {
        return WorkbookFileResult::failure(QStringLiteral("Cannot write into the folder of %1")
                                               .arg(QDir::toNativeSeparators(path)));
    }
    const QString tempPath = temp.fileName();
    temp.close();
    const WorkbookFileResult written = write(tempPath);
    if (!written) {
        return written;
    }
    // The temporary file is private to its owner; the workbook gets the permissions of the
    // file it replaces, or those of an ordinary new file.
    const QFileDevice::Permissions permissions =
        QFile::exists(path)
            ? QFile::permissions(path)
            : QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser |
                  QFileDevice::WriteUser | QFileDevice::ReadGroup | QFileDevice::ReadOther;
    QFile::setPermissions(tempPath, permissions);
    if (QFile::exists(path) && !QFile::remove(path)) {
        return WorkbookFileResult::failure(
            QStringLiteral("Cannot replace %1").arg(QDir::toNativeSeparators(path)));
    }
    if (!QFile::rename(tempPath, path)) {
        return WorkbookFileResult::failure(
            QStringLiteral("Cannot create %1").arg(QDir::toNativeSeparators(path)));
    }
    temp.setAutoRemove(false);
    return WorkbookFileResult::success();
}

}  // namespace

/* Map an extension to a format. */
WorkbookFile::Format WorkbookFile::formatOf(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("xlsx")) {
        return Format::Xlsx;
    }
    if (suffix == QLatin1String("xlsm")) {
        return Format::Xlsm;
    }
    if (suffix == QLatin1String("xls")) {
        return Format::Xls;
    }
    return Format::Unknown;
}

/* Save by extension through a temporary file. */
WorkbookFileResult WorkbookFile::save(const Workbook& workbook, const QString& path) {
    const Format format = formatOf(path);
    switch (format) {
        case Format::Xlsx:
        case Format::Xlsm:
            return writeAtomically(path, [&](const QString& temp) {
                return XlsxWriter::write(workbook, temp, format == Format::Xlsm);
            });
        case Format::Xls:
            return writeAtomically(
                path, [&](const QString& temp) { return XlsWriter::write(workbook, temp); });
        case Format::Unknown:
            break;
    }
    return WorkbookFileResult::failure(
        QStringLiteral("Unknown workbook type: %1").arg(QDir::toNativeSeparators(path)));
}

/* Load by extension. */
WorkbookFileResult WorkbookFile::load(const QString& path, Workbook& workbook) {
    if (workbook.sheetCount() != 0) {
        return WorkbookFileResult::failure(QStringLiteral("Workbook is not empty"));
    }
    if (!QFileInfo(path).isFile()) {
        return WorkbookFileResult::failure(
            QStringLiteral("No such file: %1").arg(QDir::toNativeSeparators(path)));
    }
    WorkbookFileResult result;
    switch (formatOf(path)) {
        case Format::Xlsx:
        case Format::Xlsm:
            result = XlsxReader::read(path, workbook);
            break;
        case Format::Xls:
            result = XlsReader::read(path, workbook);
            break;
        case Format::Unknown:
            return WorkbookFileResult::failure(
                QStringLiteral("Unknown workbook type: %1").arg(QDir::toNativeSeparators(path)));
    }
    if (result) {
        workbook.setPath(path);
    }
    return result;
}
