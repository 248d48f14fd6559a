#include "engine/convertoptions.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>

namespace {

struct FolderRow {
    const char* name;
    const char* typed;
    const char* expected;  // both with '/' standing for the platform's separator
};

/* The expected text with the platform's separators. */
QString native(const char* path) {
    return QDir::toNativeSeparators(QString::fromUtf8(path));
}

TEST(ConvertOptionsFolders, EndWithExactlyOneSeparator) {
    const FolderRow rows[] = {
        {"typed without separator", "/data/word", "/data/word/"},
        {"from the picker", "/data/word/", "/data/word/"},
        {"doubled", "/data/word//", "/data/word/"},
        {"Chinese name", "/data/报告///", "/data/报告/"},
        {"root stays the root", "/", "/"},
        {"empty stays empty", "", ""},
    };
    for (const FolderRow& row : rows) {
        EXPECT_EQ(ConvertOptions::folderWithSeparator(native(row.typed)), native(row.expected))
            << row.name;
    }
}

TEST(ConvertOptionsFolders, TheReportLiesInsideTheSourceFolder) {
    struct Row {
        const char* name;
        const char* source;
        const char* reportName;
        const char* expected;
    };
    const Row rows[] = {
        {"source with separator", "/data/word/", "r.txt", "/data/word/r.txt"},
        {"source without separator", "/data/word", "r.txt", "/data/word/r.txt"},
        {"source with two separators", "/data/word//", "r.txt", "/data/word/r.txt"},
        {"a name naming another folder", "/data/word", "../r.txt", "/data/word/r.txt"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(ConvertOptions::reportPathIn(native(row.source), native(row.reportName)),
                  native(row.expected))
            << row.name;
    }
}

TEST(ConvertOptionsFolders, NormaliseTouchesBothFoldersOnly) {
    ConvertOptions options;
    options.sourcePath = QStringLiteral("/in");
    options.savePath = QStringLiteral("/out//");
    options.templatePath = QStringLiteral("/t/模板.xlsx");
    options.normaliseFolders();
    EXPECT_EQ(options.sourcePath, native("/in/"));
    EXPECT_EQ(options.savePath, native("/out/"));
    EXPECT_EQ(options.templatePath, QStringLiteral("/t/模板.xlsx"));
}

TEST(ConvertOptionsTemplate, OnlyWorkbookExtensions) {
    const std::pair<const char*, bool> rows[] = {
        {"a.xls", true},        {"a.xlsx", true}, {"A.XLSM", true},      {"模板.Xlsx", true},
        {"a.docx", false},      {"a.csv", false}, {"a.xlsx.txt", false}, {"xlsx", false},
        {"folder.xls/", false}, {"", false},
    };
    for (const auto& [path, workbook] : rows) {
        EXPECT_EQ(ConvertOptions::isWorkbookPath(QString::fromUtf8(path)), workbook) << path;
    }
}

TEST(ConvertOptionsValidation, ThreeChecksInOrder) {
    QTemporaryDir temp;
    ASSERT_TRUE(temp.isValid());
    const QString folder = ConvertOptions::folderWithSeparator(temp.path());
    const QString missing = folder + QStringLiteral("missing/");
    const QString document = temp.path() + QStringLiteral("/template.docx");
    const QString workbook = temp.path() + QStringLiteral("/template.xlsx");
    const QString text = temp.path() + QStringLiteral("/text.xlsx");
    const QString save = folder + QStringLiteral("out/");  // inside the source for two rows
    const QString outside =
        ConvertOptions::folderWithSeparator(temp.path() + QStringLiteral("-out"));
    ASSERT_TRUE(QDir().mkpath(save) && QDir().mkpath(outside));
    const auto cleanup = qScopeGuard([&outside] { QDir(outside).removeRecursively(); });
    const std::pair<QString, QByteArray> files[] = {
        {document, "PK\x03\x04"}, {workbook, "PK\x03\x04"}, {text, "text"}};
    for (const auto& [path, bytes] : files) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    const QString noSource = QStringLiteral("Word文件所在文件夹不存在!");
    const QString noTemplate = QStringLiteral("excel模板文件不存在!");
    const QString noSave = QStringLiteral("保存文件夹不存在!");
    const QString noWorkbook = QStringLiteral("所选模板文件不是Excel工作簿!");
    const QString inside = QStringLiteral("保存文件夹不能是Word文件所在文件夹或其中的文件夹!");
    struct Row {
        const char* name;
        QString source;
        bool useTemplate;
        QString templatePath;
        QString save;
        QString expected;
    };
    const Row rows[] = {
        {"everything empty", QString(), false, QString(), QString(), noSource},
        {"source first", missing, true, QString(), missing, noSource},
        {"template missing", folder, true, folder + QStringLiteral("none.xlsx"), missing,
         noTemplate},
        {"template is a folder", folder, true, folder, outside, noTemplate},
        {"template is a Word document", folder, true, document, outside, noWorkbook},
        {"template is text named as a workbook", folder, true, text, outside, noWorkbook},
        {"unused template not examined", folder, false, document, missing, noSave},
        {"save folder missing", folder, true, workbook, missing, noSave},
        {"save folder is the source", folder, false, QString(), folder, inside},
        {"save folder inside the source", temp.path(), false, QString(), save, inside},
        {"all well", folder, true, workbook, outside, QString()},
        {"source without separator", temp.path(), false, QString(), outside, QString()},
    };
    for (const Row& row : rows) {
        ConvertOptions options;
        options.sourcePath = row.source;
        options.useTemplate = row.useTemplate;
        options.templatePath = row.templatePath;
        options.savePath = row.save;
        EXPECT_EQ(options.validationMessage(), row.expected) << row.name;
    }
}

}  // namespace
