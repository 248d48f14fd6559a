#include "engine/convertoptions.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

/* The report's file name, as the user finds it beside the documents. */
QString ConvertOptions::failureReportName() {
    return QStringLiteral("无法打开的文件目录(文件格式有误).txt");
}

/* Native separators, trailing separators cut, exactly one put back. */
QString ConvertOptions::folderWithSeparator(const QString& folder) {
    if (folder.isEmpty()) {
        return folder;
    }
    QString path = QDir::toNativeSeparators(folder);
    while (path.endsWith(QDir::separator())) {
        path.chop(1);
    }
    return path + QDir::separator();
}

/* The folder with one separator, then the name without any folders. */
QString ConvertOptions::reportPathIn(const QString& sourceFolder, const QString& reportName) {
    return folderWithSeparator(sourceFolder) + QFileInfo(reportName).fileName();
}

/* A workbook extension at the end of the path. */
bool ConvertOptions::isWorkbookPath(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == QLatin1String("xls") || suffix == QLatin1String("xlsx") ||
           suffix == QLatin1String("xlsm");
}

/* A workbook extension and a ZIP or compound-file signature at the start. */
bool ConvertOptions::isWorkbookFile(const QString& path) {
    if (!isWorkbookPath(path) || !QFileInfo(path).isFile()) {
        return false;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return false;
    }
    const QByteArray start = file.read(4);
    return start == QByteArray("PK\x03\x04", 4) || start == QByteArray("\xD0\xCF\x11\xE0", 4);
}

/* Trimmed, unquoted, and a file URL as its local path. */
QString ConvertOptions::pathFromTyped(const QString& typed) {
    QString path = typed.trimmed();
    if (path.size() >= 2 && path.startsWith(QLatin1Char('"')) && path.endsWith(QLatin1Char('"'))) {
        path = path.mid(1, path.size() - 2).trimmed();
    }
    if (path.startsWith(QLatin1String("file:"), Qt::CaseInsensitive)) {
        const QUrl url(path);
        if (url.isLocalFile()) {
            path = QDir::toNativeSeparators(url.toLocalFile());
        }
    }
    return path;
}

/* Compare the canonical paths, so links and "..", case and separators do not hide a match. */
bool ConvertOptions::folderWithin(const QString& inner, const QString& outer) {
    const QString in = QFileInfo(inner).canonicalFilePath();
    const QString out = QFileInfo(outer).canonicalFilePath();
    if (in.isEmpty() || out.isEmpty()) {
        return false;
    }
    const Qt::CaseSensitivity cs =
        QDir::separator() == QLatin1Char('\\') ? Qt::CaseInsensitive : Qt::CaseSensitive;
    return in.compare(out, cs) == 0 ||
           in.startsWith(out.endsWith(QLatin1Char('/')) ? out : out + QLatin1Char('/'), cs);
}

/* Both folders with one trailing separator. */
void ConvertOptions::normaliseFolders() {
    sourcePath = folderWithSeparator(sourcePath);
    savePath = folderWithSeparator(savePath);
}

/* Source folder, template (when used), save folder, blank form (when given): the first
   failure. */
ConvertOptions::Check ConvertOptions::check() const {
    if (!QFileInfo(sourcePath).isDir()) {
        return Check::SourceMissing;
    }
    if (useTemplate && !QFileInfo(templatePath).isFile()) {
        return Check::TemplateMissing;
    }
    if (useTemplate && !isWorkbookFile(templatePath)) {
        return Check::TemplateNotWorkbook;
    }
    if (!QFileInfo(savePath).isDir()) {
        return Check::SaveMissing;
    }
    if (folderWithin(savePath, sourcePath)) {
        return Check::SaveInsideSource;
    }
    if (collect && !formPath.isEmpty() && !QFileInfo(formPath).isFile()) {
        return Check::FormMissing;
    }
    return Check::Ok;
}

/* The message of each failed check, in the interface's language. */
QString ConvertOptions::message(Check check) {
    switch (check) {
        case Check::Ok:
            break;
        case Check::SourceMissing:
            return QCoreApplication::translate("ConvertOptions", "Word文件所在文件夹不存在!");
        case Check::TemplateMissing:
            return QCoreApplication::translate("ConvertOptions", "excel模板文件不存在!");
        case Check::TemplateNotWorkbook:
            return QCoreApplication::translate("ConvertOptions", "所选模板文件不是Excel工作簿!");
        case Check::SaveMissing:
            return QCoreApplication::translate("ConvertOptions", "保存文件夹不存在!");
        case Check::SaveInsideSource:
            return QCoreApplication::translate("ConvertOptions",
                                               "保存文件夹不能是Word文件所在文件夹或其中的文件夹!");
        case Check::FormMissing:
            return QCoreApplication::translate("ConvertOptions", "空白表单文件不存在!");
    }
    return QString();
}

/* The first failure's message. */
QString ConvertOptions::validationMessage() const {
    return message(check());
}

/* The one record of the process, built on first use. */
ConvertOptions& convertOptions() {
    static ConvertOptions options;
    return options;
}
