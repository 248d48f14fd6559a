#include "cli/commandline.h"

#include "engine/shard.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QThread>

#include <algorithm>

namespace {

const int maximumLastRow = 1048576;  // the rows of an Excel 2007 sheet, as the spin box allows

// What an option does with its value (empty for a switch): fills the result, or returns the
// message that fails the command line.
using ApplyOption = QString (*)(CommandLine::Result& result, const QString& value);

// One option of the converter, for the parser and the help text alike.
struct OptionRow {
    const char* name;       // the long name, without its dashes
    const char* valueName;  // the value's name in the help text; null for a switch
    const char* help;       // the help column in UTF-8; '\n' starts an indented continuation
    ApplyOption apply;      // null for --help and --version, which end the parse
};

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

/* --tables: one sheet per Word table. */
QString applyTables(CommandLine::Result& result, const QString&) {
    result.options.justTable = true;
    return QString();
}

/* --values: values without formatting. */
QString applyValues(CommandLine::Result& result, const QString&) {
    result.options.justText = true;
    return QString();
}

/* --split TEXT: the separator as typed, not trimmed. */
QString applySplit(CommandLine::Result& result, const QString& value) {
    result.options.useSplitChar = true;
    result.options.splitChar = value;
    return QString();
}

/* --template FILE: an absolute native path (its existence is checked by validate). */
QString applyTemplate(CommandLine::Result& result, const QString& value) {
    result.options.useTemplate = true;
    result.options.templatePath = QDir::toNativeSeparators(QFileInfo(value).absoluteFilePath());
    return QString();
}

/* --last-row N: a whole number in the spin box's range. */
QString applyLastRow(CommandLine::Result& result, const QString& value) {
    result.options.lastRowText = lastRowText(value);
    if (result.options.lastRowText.isEmpty()) {
        return QStringLiteral(
            "最后一行须为1到1048576之间的整数 (--last-row takes a whole number from 1 to "
            "1048576)");
    }
    return QString();
}

/* --jobs N: worker threads, a whole number from 1 up. */
QString applyJobs(CommandLine::Result& result, const QString& value) {
    bool ok = false;
    const int jobs = value.toInt(&ok);
    const bool digits = !value.isEmpty() && std::all_of(value.begin(), value.end(), [](QChar c) {
        return c >= QLatin1Char('0') && c <= QLatin1Char('9');
    });
    if (!digits || !ok || jobs < 1 || jobs > CommandLine::maximumJobs) {
        return QStringLiteral(
                   "并行数须为1到%1之间的整数 (--jobs takes a whole number from 1 to %1)")
            .arg(CommandLine::maximumJobs);
    }
    result.jobs = jobs;
    return QString();
}

/* --shard K/N: this process's share of the tree. */
QString applyShard(CommandLine::Result& result, const QString& value) {
    if (!Shard::parse(value, result.options.shardIndex, result.options.shardCount)) {
        return QStringLiteral(
            "分片须为K/N, 1 ≤ K ≤ N (--shard takes K/N with 1 <= K <= N, e.g. --shard 2/8)");
    }
    return QString();
}

/* --office CHOICE: the office that converts, among those this platform offers. */
QString applyOffice(CommandLine::Result& result, const QString& value) {
    const std::optional<OfficeChoice> choice = officeChoiceFromName(value);
    if (!choice) {
        QStringList names;
        for (const OfficeChoice offered : offeredOfficeChoices()) {
            names.append(officeChoiceName(offered));
        }
        return QStringLiteral("--office 须为 %1 之一 (--office takes one of %1)")
            .arg(names.join(QLatin1Char('|')));
    }
    result.office = *choice;
    return QString();
}

/* --skip-existing: keep workbooks newer than their documents. */
QString applySkipExisting(CommandLine::Result& result, const QString&) {
    result.options.skipExisting = true;
    return QString();
}

/* --collect: one workbook for the whole batch. */
QString applyCollect(CommandLine::Result& result, const QString&) {
    result.options.collect = true;
    return QString();
}

/* --form FILE: the blank form of collect mode, an absolute native path. */
QString applyForm(CommandLine::Result& result, const QString& value) {
    result.options.formPath = QDir::toNativeSeparators(QFileInfo(value).absoluteFilePath());
    return QString();
}

/* The options collect mode cannot be combined with; empty when the mix is allowed. */
QString collectConflict(const ConvertOptions& options) {
    if (!options.formPath.isEmpty() && !options.collect) {
        return QStringLiteral("--form 只用于 --collect (--form needs --collect)");
    }
    if (!options.collect) {
        return QString();
    }
    if (options.justTable || options.useSplitChar) {
        return QStringLiteral(
            "--collect 不能与 --tables 或 --split 同用 (--collect excludes --tables and --split)");
    }
    if (options.shardCount > 0) {
        return QStringLiteral(
            "--collect 写一个汇总工作簿, 不能分片 (--collect writes one workbook for the whole "
            "batch and cannot be sharded; run it without --shard)");
    }
    return QString();
}

/* --quiet: only the summary. */
QString applyQuiet(CommandLine::Result& result, const QString&) {
    result.quiet = true;
    return QString();
}

#ifdef Q_OS_WIN
const char officeValueName[] = "auto|builtin|com";
#else
const char officeValueName[] = "auto|builtin";
#endif

// The options in help-text order; a new option is one row here.
const OptionRow optionRows[] = {
    {"tables", nullptr,
     "one sheet per Word table (Sheet1, Sheet2, ...) / 只转换表格, 每个表格一个工作表",
     applyTables},
    {"collect", nullptr,
     "one workbook DEST/汇总.xlsx: a row per document, a column per field\nof the form / "
     "汇总: 每个文件一行, 每个填写项一列",
     applyCollect},
    {"form", "BLANK",
     "with --collect: the blank form, whose empty places are the fields\n(without it the "
     "fields are learnt from the copies) / 空白表单",
     applyForm},
    {"values", nullptr, "values only, without formatting / 只粘贴数值, 不带格式", applyValues},
    {"split", "TEXT", "split column A at TEXT (whole-document mode) / 按分隔符拆分A列", applySplit},
    {"template", "FILE",
     "take top rows, column widths and formats from the first sheet\nof FILE / 使用excel模板文件",
     applyTemplate},
    {"last-row", "N", "last template row to copy, 1 to 1048576 (default 100) / 模板最后一行",
     applyLastRow},
    {"jobs", "N",
     "convert on N threads (default: one per processor; 1: one at a time)\n/ 并行转换的线程数",
     applyJobs},
    {"shard", "K/N",
     "convert only shard K of N (by a hash of each document's path\nunder SOURCE), for N "
     "processes on N machines / 只转换N份中的第K份",
     applyShard},
    {"office", officeValueName,
     "which office converts: auto (Word and Excel or WPS when installed,\nelse the built-in "
     "office), builtin, com (installed Office/WPS only)\n/ 使用哪个办公软件转换",
     applyOffice},
    {"skip-existing", nullptr,
     "keep a workbook that is newer than its document; convert only\nthe rest (default: "
     "replace every workbook) / 跳过已是最新的工作簿",
     applySkipExisting},
    {"quiet", nullptr, "no progress, only the summary / 不显示进度, 只显示结果", applyQuiet},
    {"help", nullptr, "show this text / 显示本帮助", nullptr},
    {"version", nullptr, "show the version / 显示版本", nullptr},
};

/* The failure result with a message. */
CommandLine::Result failure(const QString& message) {
    CommandLine::Result result;
    result.action = CommandLine::Action::Fail;
    result.error = message;
    return result;
}

/* The row of an option name (the table holds every name the parser knows). */
const OptionRow* findRow(const QString& name) {
    for (const OptionRow& row : optionRows) {
        if (name == QLatin1String(row.name)) {
            return &row;
        }
    }
    return nullptr;
}

/* An option as the user typed its name: two dashes, one for a single letter. */
QString typedName(const QString& name) {
    return (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
}

/* The switch given a value ("--tables=1") before any "--", or null when there is none. */
const OptionRow* switchWithValue(const QStringList& arguments) {
    for (const QString& argument : arguments) {
        if (argument == QLatin1String("--")) {
            break;
        }
        const int equals = argument.indexOf(QLatin1Char('='));
        if (argument.startsWith(QLatin1String("--")) && equals > 2) {
            const OptionRow* row = findRow(argument.mid(2, equals - 2));
            if (row != nullptr && row->valueName == nullptr) {
                return row;
            }
        }
    }
    return nullptr;
}

/* The reason a parse failed: an unknown option, a switch with a value, else a missing value
   (which can only be the last argument's). */
QString parseFailure(const QCommandLineParser& parser, const QStringList& arguments) {
    const QStringList unknown = parser.unknownOptionNames();
    if (!unknown.isEmpty()) {
        return QStringLiteral("未知选项 %1 (unknown option %1)").arg(typedName(unknown.first()));
    }
    if (const OptionRow* row = switchWithValue(arguments)) {
        return QStringLiteral("选项 %1 不带取值 (option %1 takes no value)")
            .arg(typedName(QLatin1String(row->name)));
    }
    const QString option = arguments.isEmpty() ? QString() : arguments.last();
    return QStringLiteral("选项 %1 缺少取值 (option %1 needs a value)").arg(option);
}

/* Apply the options in the order given, each occurrence with its own value. */
QString applyOptions(const QCommandLineParser& parser, CommandLine::Result& result) {
    QHash<QString, int> seen;
    for (const QString& name : parser.optionNames()) {
        const OptionRow* row = findRow(name);
        if (row == nullptr || row->apply == nullptr) {
            continue;  // --help and --version were handled before
        }
        const int occurrence = seen[name]++;
        const QStringList values = parser.values(name);
        const QString value = occurrence < values.size() ? values[occurrence] : QString();
        const QString problem = row->apply(result, value);
        if (!problem.isEmpty()) {
            return problem;
        }
    }
    return QString();
}

}  // namespace

/* Read the options and the two folders. */
CommandLine::Result CommandLine::parse(const QStringList& arguments) {
    QCommandLineParser parser;
    for (const OptionRow& row : optionRows) {
        const QString name = QLatin1String(row.name);
        parser.addOption(row.valueName
                             ? QCommandLineOption(name, QString(), QLatin1String(row.valueName))
                             : QCommandLineOption(name));
    }
    const bool parsed =
        parser.parse(QStringList(QStringLiteral("sheetweaver-convert")) + arguments);
    Result result;
    result.jobs = std::max(1, QThread::idealThreadCount());
    for (const QString& name : parser.optionNames()) {
        if (name == QLatin1String("help") || name == QLatin1String("version")) {
            result.action = name == QLatin1String("help") ? Action::ShowHelp : Action::ShowVersion;
            return result;
        }
    }
    if (!parsed) {
        return failure(parseFailure(parser, arguments));
    }
    QString problem = applyOptions(parser, result);
    if (problem.isEmpty()) {
        problem = collectConflict(result.options);
    }
    if (!problem.isEmpty()) {
        return failure(problem);
    }
    const QStringList folders = parser.positionalArguments();
    if (folders.size() != 2) {
        return failure(QStringLiteral(
            "需要两个文件夹: Word文件所在文件夹和保存文件夹 (expected SOURCE and DEST)"));
    }
    result.options.sourcePath = folderPath(folders[0]);
    result.options.savePath = folderPath(folders[1]);
    const QString reportName =
        result.options.shardCount == 0
            ? ConvertOptions::failureReportName()
            : Shard::reportName(ConvertOptions::failureReportName(), result.options.shardIndex,
                                result.options.shardCount);
    result.options.failureReportPath =
        ConvertOptions::reportPathIn(result.options.sourcePath, reportName);
    result.action = Action::Convert;
    return result;
}

/* Absolute, native, with one trailing separator. */
QString CommandLine::folderPath(const QString& argument) {
    if (argument.isEmpty()) {
        return QString();
    }
    return ConvertOptions::folderWithSeparator(
        QDir::cleanPath(QFileInfo(argument).absoluteFilePath()));
}

/* The usage text: the fixed paragraphs around one line per option row. */
QString CommandLine::helpText() {
    const int optionColumn = 18;
    QString options;
    for (const OptionRow& row : optionRows) {
        QString usage = QStringLiteral("--") + QLatin1String(row.name);
        if (row.valueName) {
            usage += QLatin1Char(' ') + QLatin1String(row.valueName);
        }
        const QString indent(optionColumn + 2, QLatin1Char(' '));
        const QString help =
            QString::fromUtf8(row.help).replace(QLatin1Char('\n'), QLatin1Char('\n') + indent);
        // A usage too wide for its column puts the help on the next line.
        const QString gap =
            usage.size() < optionColumn ? QStringLiteral(" ") : QLatin1Char('\n') + indent;
        options += QStringLiteral("  ") + usage.leftJustified(optionColumn - 1) + gap + help +
                   QLatin1Char('\n');
    }
    return QStringLiteral(
               "Usage: sheetweaver-convert [options] SOURCE DEST\n"
               "用法: sheetweaver-convert [选项] Word文件所在文件夹 保存文件夹\n"
               "\n"
               "Converts every Word document (.doc, .docx, .docm) under SOURCE into a workbook "
               "under\n"
               "DEST, mirroring the folders (.doc -> .xls, .docx -> .xlsx, .docm -> .xlsm).\n"
               "With --collect, all filled copies of one form go into DEST/汇总.xlsx instead.\n"
               "将SOURCE下(含子文件夹)的每个Word文件转换为DEST下对应位置的Excel文件。\n"
               "\n"
               "Options / 选项:\n") +
           options +
           QStringLiteral(
               "\n"
               "Progress goes to stderr (a bar on a terminal, one \"[i/n] path\" line per\n"
               "document otherwise), the summary to stdout. Documents that cannot be converted\n"
               "are listed in SOURCE/无法打开的文件目录(文件格式有误).txt (with --shard K/N:\n"
               "SOURCE/无法打开的文件目录(文件格式有误).K-of-N.txt).\n"
               "Exit status: 0 all converted, 1 some failed, 2 bad arguments, folders or\n"
               "template.\n"
               "退出码: 0 全部转换成功, 1 有文件失败, 2 参数、文件夹或模板有误。\n");
}
