#include "engine/convertoptions.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

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

/* Both folders with one trailing separator. */
void ConvertOptions::normaliseFolders() {
    sourcePath = folderWithSeparator(sourcePath);
    savePath = folderWithSeparator(savePath);
}

/* Source folder, template (when used), save folder: the first failure's message. */
QString ConvertOptions::validationMessage() const {
    if (!QFileInfo(sourcePath).isDir()) {
        return QCoreApplication::translate("ConvertOptions", "Word文件所在文件夹不存在!");
    }
    if (useTemplate && (!QFileInfo(templatePath).isFile() || !isWorkbookPath(templatePath))) {
        return QCoreApplication::translate("ConvertOptions", "excel模板文件不存在!");
    }
    if (!QFileInfo(savePath).isDir()) {
        return QCoreApplication::translate("ConvertOptions", "保存文件夹不存在!");
    }
    if (collect && !formPath.isEmpty() && !QFileInfo(formPath).isFile()) {
        return QCoreApplication::translate("ConvertOptions", "空白表单文件不存在!");
    }
    return QString();
}

/* The one record of the process, built on first use. */
ConvertOptions& convertOptions() {
    static ConvertOptions options;
    return options;
}
