#include "cli/commandline.h"

#include <QDir>
#include <QFileInfo>

namespace {

const int maximumLastRow = 1048576;  // the rows of an Excel 2007 sheet, as the spin box allows

/* A last-row argument: digits only, 1 to 1048576; empty text for anything else. */
QString lastRowText(const QString& value) {
    for (const QChar c : value) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) {
            return QString();
        }
    }
    bool ok = false;
    const int row = value.toInt(&ok);
    return ok && row >= 1 && row <= maximumLastRow ? QString::number(row) : QString();
}

/* The failure result with a message. */
CommandLine::Result failure(const QString& message) {
    CommandLine::Result result;
    result.action = CommandLine::Action::Fail;
    result.error = message;
    return result;
}

}  // namespace

/* Read the options and the two folders. */
CommandLine::Result CommandLine::parse(const QStringList& arguments) {
    Result result;
    QStringList folders;
    QString templateArgument;
    bool optionsEnded = false;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        const bool takesValue = argument == QLatin1String("--split") ||
                                argument == QLatin1String("--template") ||
                                argument == QLatin1String("--last-row");
        if (optionsEnded || !argument.startsWith(QLatin1String("--"))) {
            folders << argument;
        } else if (argument == QLatin1String("--")) {
            optionsEnded = true;
        } else if (argument == QLatin1String("--help")) {
            result.action = Action::ShowHelp;
            return result;
        } else if (argument == QLatin1String("--version")) {
            result.action = Action::ShowVersion;
            return result;
        } else if (argument == QLatin1String("--tables")) {
            result.options.justTable = true;
        } else if (argument == QLatin1String("--values")) {
            result.options.justText = true;
        } else if (takesValue && i + 1 >= arguments.size()) {
            return failure(
                QStringLiteral("选项 %1 缺少取值 (option %1 needs a value)").arg(argument));
        } else if (argument == QLatin1String("--split")) {
            result.options.useSplitChar = true;
            result.options.splitChar = arguments[++i];
        } else if (argument == QLatin1String("--template")) {
            result.options.useTemplate = true;
            templateArgument = arguments[++i];
        } else if (argument == QLatin1String("--last-row")) {
            result.options.lastRowText = lastRowText(arguments[++i]);
            if (result.options.lastRowText.isEmpty()) {
                return failure(QStringLiteral(
                    "最后一行须为1到1048576之间的整数 (--last-row takes a whole number from 1 "
                    "to 1048576)"));
            }
        } else {
            return failure(QStringLiteral("未知选项 %1 (unknown option %1)").arg(argument));
        }
    }
    if (folders.size() != 2) {
        return failure(QStringLiteral(
            "需要两个文件夹: Word文件所在文件夹和保存文件夹 (expected SOURCE and DEST)"));
    }
    result.options.sourcePath = folderPath(folders[0]);
    result.options.savePath = folderPath(folders[1]);
    if (result.options.useTemplate) {
        result.options.templatePath =
            QDir::toNativeSeparators(QFileInfo(templateArgument).absoluteFilePath());
    }
    result.options.failureReportPath =
        result.options.sourcePath + ConvertOptions::failureReportName();
    result.action = Action::Convert;
    return result;
}

/* The window's three checks, in its order. */
QString CommandLine::validate(const ConvertOptions& options) {
    return options.validationMessage();
}

/* Absolute, native, with one trailing separator. */
QString CommandLine::folderPath(const QString& argument) {
    if (argument.isEmpty()) {
        return QString();
    }
    return ConvertOptions::folderWithSeparator(
        QDir::cleanPath(QFileInfo(argument).absoluteFilePath()));
}

/* The usage text. */
QString CommandLine::helpText() {
    return QStringLiteral(
        "Usage: sheetweaver-convert [options] SOURCE DEST\n"
        "用法: sheetweaver-convert [选项] Word文件所在文件夹 保存文件夹\n"
        "\n"
        "Converts every Word document (.doc, .docx, .docm) under SOURCE into a workbook under\n"
        "DEST, mirroring the folders (.doc -> .xls, .docx -> .xlsx, .docm -> .xlsm).\n"
        "将SOURCE下(含子文件夹)的每个Word文件转换为DEST下对应位置的Excel文件。\n"
        "\n"
        "Options / 选项:\n"
        "  --tables          one sheet per Word table (Sheet1, Sheet2, ...) / 只转换表格, "
        "每个表格一个工作表\n"
        "  --values          values only, without formatting / 只粘贴数值, 不带格式\n"
        "  --split TEXT      split column A at TEXT (whole-document mode) / 按分隔符拆分A列\n"
        "  --template FILE   take top rows, column widths and formats from the first sheet\n"
        "                    of FILE / 使用excel模板文件\n"
        "  --last-row N      last template row to copy, 1 to 1048576 (default 100) / 模板最后一行\n"
        "  --help            show this text / 显示本帮助\n"
        "  --version         show the version / 显示版本\n"
        "\n"
        "Progress goes to stderr, the summary to stdout. Documents that cannot be converted\n"
        "are listed in SOURCE/无法打开的文件目录(文件格式有误).txt.\n"
        "Exit status: 0 all converted, 1 some failed, 2 bad arguments or folders.\n"
        "退出码: 0 全部转换成功, 1 有文件失败, 2 参数或文件夹有误。\n");
}
