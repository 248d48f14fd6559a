#include "office/excel/workbookfile.h"

#include "office/excel/xls/xlsreader.h"
#include "office/excel/xls/xlswriter.h"
#include "office/excel/xlsx/xlsxreader.h"
#include "office/excel/xlsx/xlsxwriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <functional>

namespace {

/* A new file of a fresh temporary name beside `target`, opened for writing; the name follows
   `.~sw-XXXXXX.tmp`, so that a run killed while saving leaves a name that can be recognised. */
bool createTemporary(const QFileInfo& target, QFile& file) {
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    for (int attempt = 0; attempt < 100; ++attempt) {
        QString name = QStringLiteral(".~sw-");
        for (int i = 0; i < 6; ++i) {
            name += QLatin1Char(kLetters[QRandomGenerator::global()->bounded(62)]);
        }
        file.setFileName(target.dir().filePath(name + QStringLiteral(".tmp")));
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            return true;
        }
        if (!file.exists()) {
            return false;  // not a name clash: the folder refuses new files
        }
    }
    return false;
}

/* The reason a workbook cannot be created at `target`, found only once writing has failed. */
WorkbookFileResult creationFailure(const QFileInfo& target) {
    const QString path = QDir::toNativeSeparators(target.filePath());
    if (!target.dir().exists()) {
        return WorkbookFileResult::failure(
            QStringLiteral("The folder of %1 does not exist").arg(path));
    }
    if (target.isDir()) {
        return WorkbookFileResult::failure(QStringLiteral("%1 is a folder").arg(path));
    }
    return WorkbookFileResult::failure(
        QStringLiteral("Cannot write into the folder of %1").arg(path));
}

/* Write the bytes `build` makes into a new temporary file beside `path` in one go, then move
   it into place. Building in memory first keeps the file system out of the writing: one
   create, one write and one rename per workbook. */
WorkbookFileResult writeAtomically(const QString& path,
                                   const std::function<WorkbookFileResult(QByteArray&)>& build) {
    const QFileInfo target(path);
    QByteArray bytes;
    const WorkbookFileResult built = build(bytes);
    if (!built) {
        return built;
    }
    QFile temp;
    if (!createTemporary(target, temp)) {
        return creationFailure(target);
    }
    const bool written = temp.write(bytes) == bytes.size() && temp.flush();
    temp.close();
    if (!written || temp.error() != QFileDevice::NoError) {
        temp.remove();
        return WorkbookFileResult::failure(
            QStringLiteral("Writing %1 failed").arg(QDir::toNativeSeparators(path)));
    }
    // A replaced workbook keeps its permissions; a new one has those of any new file.
    if (QFile::exists(path)) {
        QFile::setPermissions(temp.fileName(), QFile::permissions(path));
        if (!QFile::remove(path)) {
            temp.remove();
            return target.isDir()
                       ? creationFailure(target)
                       : WorkbookFileResult::failure(QStringLiteral("Cannot replace %1")
                                                         .arg(QDir::toNativeSeparators(path)));
        }
    }
    if (!temp.rename(path)) {
        temp.remove();
        return WorkbookFileResult::failure(
            QStringLiteral("Cannot create %1").arg(QDir::toNativeSeparators(path)));
    }
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
            return writeAtomically(path, [&](QByteArray& bytes) {
                return XlsxWriter::writeBytes(workbook, format == Format::Xlsm, bytes, warning);
            });
        case Format::Xls:
            return writeAtomically(path, [&](QByteArray& bytes) {
                return XlsWriter::writeBytes(workbook, bytes, warning);
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
