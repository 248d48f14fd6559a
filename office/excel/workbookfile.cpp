#include "office/excel/workbookfile.h"

#include "office/excel/xls/xlsreader.h"
#include "office/excel/xls/xlswriter.h"
#include "office/excel/xlsx/xlsxreader.h"
#include "office/excel/xlsx/xlsxwriter.h"
#include "support/fileutil.h"
#include "support/processlist.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSysInfo>

#include <functional>
#include <mutex>
#include <set>
#include <string>

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

/* Remove the temporary workbooks in `folder` that saves on this machine left when their
   process ended before the save did (a run killed while saving). Only regular files of the
   temporary name's exact form, with this machine's name and the id of no running process, go.
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
    static const QRegularExpression own(
        QStringLiteral("^\\.~sw-(.+)-([0-9]{1,10})-[A-Za-z0-9]{6}\\.tmp$"));
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

/* A new file of a fresh temporary name beside `target`, opened for writing; the name follows
   `.~sw-HOST-PID-XXXXXX.tmp`, so that a later run can tell a file a killed run left. */
bool createTemporary(const QFileInfo& target, QFile& file) {
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    for (int attempt = 0; attempt < 100; ++attempt) {
        QString name =
            QStringLiteral(".~sw-%1-%2-").arg(hostTag()).arg(QCoreApplication::applicationPid());
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

/* A path as moveFileOver takes it: UTF-8 on Windows, the name's own bytes elsewhere. */
std::string systemName(const QString& path) {
#ifdef Q_OS_WIN
    return path.toUtf8().toStdString();
#else
    return QFile::encodeName(path).toStdString();
#endif
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
    removeLeftovers(target.dir());
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
    const bool replacing = QFile::exists(path);
    if (replacing) {
        QFile::setPermissions(temp.fileName(), QFile::permissions(path));
    }
    // One rename puts the new workbook in the old one's place: there is always one of them.
    if (moveFileOver(systemName(temp.fileName()), systemName(path)) != 0) {
        temp.remove();
        if (target.isDir()) {
            return creationFailure(target);
        }
        return WorkbookFileResult::failure(
            (replacing ? QStringLiteral("Cannot replace %1") : QStringLiteral("Cannot create %1"))
                .arg(QDir::toNativeSeparators(path)));
    }
    return built;
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
            return writeAtomically(path, [&](QByteArray& bytes) {
                return XlsxWriter::writeBytes(workbook, format == Format::Xlsm, bytes);
            });
        case Format::Xls:
            return writeAtomically(
                path, [&](QByteArray& bytes) { return XlsWriter::writeBytes(workbook, bytes); });
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
