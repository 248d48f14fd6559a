#include "office/excel/workbookfile.h"

#include "office/excel/xls/xlsreader.h"
#include "office/excel/xls/xlswriter.h"
#include "office/excel/xlsx/xlsxreader.h"
#include "office/excel/xlsx/xlsxwriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <functional>

namespace {

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
    QTemporaryFile temp(target.dir().filePath(QStringLiteral(".~sw-XXXXXX.tmp")));
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
WorkbookFileResult WorkbookFile::save(const Workbook& workbook, const QString& path,
                                      QString* warning) {
    if (warning) {
        warning->clear();
    }
    const Format format = formatOf(path);
    switch (format) {
        case Format::Xlsx:
        case Format::Xlsm:
            return writeAtomically(path, [&](const QString& temp) {
                return XlsxWriter::write(workbook, temp, format == Format::Xlsm, warning);
            });
        case Format::Xls:
            return writeAtomically(path, [&](const QString& temp) {
                return XlsWriter::write(workbook, temp, warning);
            });
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
