#include "cli/commandline.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <ostream>

// Readable QString values in test failure messages.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace {

/* Parse a space-free argument list. */
CommandLine::Result parse(const QStringList& arguments) {
    return CommandLine::parse(arguments);
}

TEST(CommandLineTest, DefaultsAreWholeDocumentWithFormatsAndLastRow100) {
    const CommandLine::Result result = parse({QStringLiteral("/in"), QStringLiteral("/out")});
    ASSERT_EQ(result.action, CommandLine::Action::Convert);
    const ConvertOptions& options = result.options;
    EXPECT_FALSE(options.justTable);
    EXPECT_FALSE(options.justText);
    EXPECT_FALSE(options.useSplitChar);
    EXPECT_FALSE(options.useTemplate);
    EXPECT_EQ(options.lastRowText, QStringLiteral("100"));
    EXPECT_EQ(options.sourcePath, QDir::toNativeSeparators(QStringLiteral("/in/")));
    EXPECT_EQ(options.savePath, QDir::toNativeSeparators(QStringLiteral("/out/")));
    EXPECT_EQ(options.failureReportPath,
              QDir::toNativeSeparators(QStringLiteral("/in/")) +
                  QStringLiteral("无法打开的文件目录(文件格式有误).txt"));
}

TEST(CommandLineTest, OptionsFillTheirFields) {
    const CommandLine::Result result =
        parse({QStringLiteral("--tables"), QStringLiteral("--values"), QStringLiteral("--split"),
               QStringLiteral(" ："), QStringLiteral("--template"), QStringLiteral("/t/look.xlsx"),
               QStringLiteral("--last-row"), QStringLiteral("1048576"),
               QStringLiteral("--skip-existing"), QStringLiteral("/in/"), QStringLiteral("/out")});
    ASSERT_EQ(result.action, CommandLine::Action::Convert);
    EXPECT_TRUE(result.options.skipExisting);
    EXPECT_FALSE(parse({QStringLiteral("/in/"), QStringLiteral("/out")}).options.skipExisting);
    EXPECT_TRUE(result.options.justTable);
    EXPECT_TRUE(result.options.justText);
    EXPECT_TRUE(result.options.useSplitChar);
    EXPECT_EQ(result.options.splitChar, QStringLiteral(" ："));  // as typed, not trimmed
    EXPECT_TRUE(result.options.useTemplate);
    EXPECT_EQ(result.options.templatePath,
              QDir::toNativeSeparators(QStringLiteral("/t/look.xlsx")));
    EXPECT_EQ(result.options.lastRowText, QStringLiteral("1048576"));
}

TEST(CommandLineTest, FoldersBecomeAbsoluteWithOneTrailingSeparator) {
    const QString relative = CommandLine::folderPath(QStringLiteral("examples//"));
    EXPECT_EQ(relative,
              QDir::toNativeSeparators(QDir::currentPath() + QStringLiteral("/examples/")));
    EXPECT_EQ(CommandLine::folderPath(QStringLiteral("/a/b/../c")),
              QDir::toNativeSeparators(QStringLiteral("/a/c/")));
    EXPECT_EQ(CommandLine::folderPath(QStringLiteral("/")),
              QDir::toNativeSeparators(QStringLiteral("/")));
    EXPECT_TRUE(CommandLine::folderPath(QString()).isEmpty());
}

TEST(CommandLineTest, BadLastRowsAreRefused) {
    for (const char* row : {"0", "1048577", "-5", "12a", "", "1e3", " 7", "99999999999"}) {
        const CommandLine::Result result =
            parse({QStringLiteral("--last-row"), QString::fromLatin1(row), QStringLiteral("/in"),
                   QStringLiteral("/out")});
        EXPECT_EQ(result.action, CommandLine::Action::Fail) << row;
        EXPECT_FALSE(result.error.isEmpty()) << row;
    }
    EXPECT_EQ(parse({QStringLiteral("--last-row"), QStringLiteral("1"), QStringLiteral("/in"),
                     QStringLiteral("/out")})
                  .options.lastRowText,
              QStringLiteral("1"));
}

TEST(CommandLineTest, MalformedCommandLinesFail) {
    const QList<QStringList> bad = {
        {},
        {QStringLiteral("/in")},
        {QStringLiteral("/in"), QStringLiteral("/out"), QStringLiteral("/more")},
        {QStringLiteral("--bogus"), QStringLiteral("/in"), QStringLiteral("/out")},
        {QStringLiteral("/in"), QStringLiteral("/out"), QStringLiteral("--split")},
        {QStringLiteral("/in"), QStringLiteral("/out"), QStringLiteral("--template")},
        {QStringLiteral("--collect"), QStringLiteral("--tables"), QStringLiteral("/in"),
         QStringLiteral("/out")},
        {QStringLiteral("--collect"), QStringLiteral("--split=;"), QStringLiteral("/in"),
         QStringLiteral("/out")},
        {QStringLiteral("--collect"), QStringLiteral("--shard=1/2"), QStringLiteral("/in"),
         QStringLiteral("/out")},
        {QStringLiteral("--form=blank.docx"), QStringLiteral("/in"), QStringLiteral("/out")},
    };
    for (const QStringList& arguments : bad) {
        const CommandLine::Result result = parse(arguments);
        EXPECT_EQ(result.action, CommandLine::Action::Fail)
            << arguments.join(QLatin1Char(' ')).toStdString();
        EXPECT_FALSE(result.error.isEmpty());
    }
}

TEST(CommandLineTest, HelpAndVersionWinOverEverythingElse) {
    EXPECT_EQ(parse({QStringLiteral("--help")}).action, CommandLine::Action::ShowHelp);
    EXPECT_EQ(parse({QStringLiteral("/in"), QStringLiteral("--version")}).action,
              CommandLine::Action::ShowVersion);
    EXPECT_TRUE(CommandLine::helpText().contains(QStringLiteral("--last-row")));
    EXPECT_TRUE(CommandLine::helpText().contains(QStringLiteral("用法")));
}

TEST(CommandLineTest, ValuesTakeEitherFormAndTheLastOfARepeatWins) {
    const CommandLine::Result result =
        parse({QStringLiteral("--split=;"), QStringLiteral("--last-row"), QStringLiteral("5"),
               QStringLiteral("--last-row=7"), QStringLiteral("--quiet"), QStringLiteral("/in"),
               QStringLiteral("/out")});
    ASSERT_EQ(result.action, CommandLine::Action::Convert);
    EXPECT_EQ(result.options.splitChar, QStringLiteral(";"));
    EXPECT_EQ(result.options.lastRowText, QStringLiteral("7"));
    EXPECT_TRUE(result.quiet);
    EXPECT_FALSE(parse({QStringLiteral("/in"), QStringLiteral("/out")}).quiet);
}

TEST(CommandLineTest, ErrorsNameTheOptionAsTyped) {
    const struct {
        QStringList arguments;
        QString error;
    } rows[] = {
        {{QStringLiteral("--bogus"), QStringLiteral("/in"), QStringLiteral("/out")},
         QStringLiteral("未知选项 --bogus (unknown option --bogus)")},
        {{QStringLiteral("-x"), QStringLiteral("/in"), QStringLiteral("/out")},
         QStringLiteral("未知选项 -x (unknown option -x)")},
        {{QStringLiteral("/in"), QStringLiteral("/out"), QStringLiteral("--last-row")},
         QStringLiteral("选项 --last-row 缺少取值 (option --last-row needs a value)")},
        {{QStringLiteral("--tables=1"), QStringLiteral("/in"), QStringLiteral("/out")},
         QStringLiteral("选项 --tables 不带取值 (option --tables takes no value)")},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(parse(row.arguments).error, row.error);
    }
}

TEST(CommandLineTest, HelpTextHasALinePerOptionInItsColumn) {
    const QString help = CommandLine::helpText();
    for (const char* line :
         {"\n  --tables          one sheet per Word table", "\n  --split TEXT      split column A",
          "\n  --quiet           no progress", "\n  --version         show the version",
          "\n                    of FILE / 使用excel模板文件\n"}) {
        EXPECT_TRUE(help.contains(QString::fromUtf8(line))) << line;
    }
}

TEST(CommandLineTest, OfficeTakesTheChoicesThisPlatformOffers) {
    const auto office = [](const char* name) {
        return parse({QStringLiteral("--office"), QString::fromLatin1(name), QStringLiteral("/in"),
                      QStringLiteral("/out")});
    };
    EXPECT_EQ(parse({QStringLiteral("/in"), QStringLiteral("/out")}).office,
              OfficeChoice::Automatic);
    EXPECT_EQ(office("builtin").office, OfficeChoice::BuiltIn);
    EXPECT_EQ(office("AUTO").office, OfficeChoice::Automatic);
#ifdef Q_OS_WIN
    EXPECT_EQ(office("com").office, OfficeChoice::Installed);
#else
    EXPECT_EQ(office("com").action, CommandLine::Action::Fail);
#endif
    const CommandLine::Result bad = office("word");
    EXPECT_EQ(bad.action, CommandLine::Action::Fail);
    EXPECT_TRUE(bad.error.contains(QStringLiteral("auto|builtin"))) << bad.error.toStdString();
}

TEST(CommandLineTest, DoubleDashEndsOptions) {
    const CommandLine::Result result =
        parse({QStringLiteral("--"), QStringLiteral("--in"), QStringLiteral("/out")});
    ASSERT_EQ(result.action, CommandLine::Action::Convert);
    EXPECT_TRUE(
        result.options.sourcePath.endsWith(QDir::toNativeSeparators(QStringLiteral("/--in/"))));
}

TEST(CommandLineValidation, TheWindowsThreeChecksInItsOrder) {
    QTemporaryDir temp;
    ASSERT_TRUE(temp.isValid());
    const QString folder = CommandLine::folderPath(temp.path());
    const QString missing = CommandLine::folderPath(temp.path() + QStringLiteral("/missing"));
    ConvertOptions options;
    options.sourcePath = missing;
    options.savePath = missing;
    options.useTemplate = true;
    options.templatePath = temp.path() + QStringLiteral("/none.xlsx");
    EXPECT_EQ(options.validationMessage(), QStringLiteral("Word文件所在文件夹不存在!"));
    options.sourcePath = folder;
    EXPECT_EQ(options.validationMessage(), QStringLiteral("excel模板文件不存在!"));
    options.templatePath = folder;  // a folder is not a template file
    EXPECT_EQ(options.validationMessage(), QStringLiteral("excel模板文件不存在!"));
    options.useTemplate = false;  // then the template path is not examined
    EXPECT_EQ(options.validationMessage(), QStringLiteral("保存文件夹不存在!"));
    options.savePath = folder;  // the workbooks would land among the documents
    EXPECT_EQ(options.validationMessage(),
              QStringLiteral("保存文件夹不能是Word文件所在文件夹或其中的文件夹!"));
    QTemporaryDir elsewhere;
    options.savePath = CommandLine::folderPath(elsewhere.path());
    EXPECT_TRUE(options.validationMessage().isEmpty());
}

}  // namespace
