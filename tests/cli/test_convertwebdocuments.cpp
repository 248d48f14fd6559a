// The headless converter on a tree of Word files that are web pages, web archives and Word XML
// under .doc and .docx names, read back with openpyxl (.xlsx) and xlrd (.xls).

#include "tests/office/excel/openpyxlreader.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QTextCodec>

namespace {

const QString kCorpus = QStringLiteral("../shared/corpus/docx/");
const QString kFixtures = QStringLiteral("tests/data/word/web/");

// A page as a web system exports it: GBK without a meta tag, formats in inline styles.
const char kPage[] =
    "<html><body><p>标题</p><table border=1>"
    "<tr><td style='font-weight:bold;background:#FFFF00'>中文</td>"
    "<td colspan=2 style='color:#FF0000'>宽</td></tr>"
    "<tr><td rowspan=2>高</td><td>a<br>b</td><td style='font-style:italic'>c</td></tr>"
    "<tr><td>d</td><td>e</td></tr></table></body></html>";

class ConvertWebDocumentsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(temp.isValid());
        source = temp.path() + QStringLiteral("/src");
        dest = temp.path() + QStringLiteral("/out");
        QDir().mkpath(source + QStringLiteral("/sub"));
        QDir().mkpath(dest);
        QFile page(source + QStringLiteral("/page.docx"));
        ASSERT_TRUE(page.open(QIODevice::WriteOnly));
        page.write(QTextCodec::codecForName("GBK")->fromUnicode(QString::fromUtf8(kPage)));
        page.close();
        copy(kFixtures + QStringLiteral("tbl-cell-access.mht"), QStringLiteral("archive.doc"));
        copy(kFixtures + QStringLiteral("tbl-cell-access.xml"), QStringLiteral("word2003.doc"));
        copy(kFixtures + QStringLiteral("tbl-cell-access.flat.xml"), QStringLiteral("flat.docx"));
        copy(kCorpus + QStringLiteral("tables/merged/tbl-cell-access.docx"),
             QStringLiteral("sub/original.docx"));
        // The original under a .doc name too, so its workbook has the .doc files' format.
        copy(kCorpus + QStringLiteral("tables/merged/tbl-cell-access.docx"),
             QStringLiteral("sub/original.doc"));
    }

    void copy(const QString& from, const QString& to) {
        ASSERT_TRUE(QFile::copy(from, source + QLatin1Char('/') + to)) << from.toStdString();
    }

    // Run the converter; its exit status, -1 when it crashed.
    int run() {
        const QString build =
            QProcessEnvironment::systemEnvironment().value(QStringLiteral("SW_BUILD_DIR"));
        QProcess process;
        process.start(build + QStringLiteral("/bin/sheetweaver-convert"), {source, dest});
        EXPECT_TRUE(process.waitForFinished(120000));
        errors = QString::fromUtf8(process.readAllStandardError());
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }

    // The workbook written for a document, read by openpyxl.
    QJsonObject book(const QString& name) {
        QString error;
        const QJsonObject read = readWithOpenpyxl(dest + QLatin1Char('/') + name, &error);
        EXPECT_TRUE(error.isEmpty()) << error.toStdString();
        return read;
    }

    // The rows of every sheet of an .xls workbook written for a .doc file, read by xlrd.
    QJsonValue xlsRows(const QString& name) {
        const QString path = dest + QLatin1Char('/') + name;
        QProcess process;
        process.start(QStringLiteral("/usr/bin/python3"),
                      {QStringLiteral("tests/cli/xls_rows.py"), path});
        EXPECT_TRUE(process.waitForFinished(120000));
        EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
        return QJsonDocument::fromJson(process.readAllStandardOutput()).object().value(path);
    }

    QTemporaryDir temp;
    QString source;
    QString dest;
    QString errors;
};

TEST_F(ConvertWebDocumentsTest, WebFilesUnderWordNamesConvertWithTheirTablesAndFormats) {
    ASSERT_EQ(run(), 0) << errors.toStdString();

    const QJsonObject page = book(QStringLiteral("page.xlsx"));
    const QJsonObject sheet = openpyxlSheet(page, 0);
    const auto value = [&](const char* cell) {
        return openpyxlCell(page, 0, QLatin1String(cell)).value(QStringLiteral("value")).toString();
    };
    EXPECT_EQ(value("A1"), QStringLiteral("标题"));
    EXPECT_EQ(value("A2"), QStringLiteral("中文"));
    EXPECT_EQ(value("B2"), QStringLiteral("宽"));
    EXPECT_EQ(value("A3"), QStringLiteral("高"));
    EXPECT_EQ(value("B3"), QStringLiteral("a\nb"));
    EXPECT_EQ(value("C4"), QStringLiteral("e"));
    const QJsonArray merges = sheet.value(QStringLiteral("merges")).toArray();
    EXPECT_TRUE(merges.contains(QStringLiteral("B2:C2"))) << QJsonDocument(merges).toJson().data();
    EXPECT_TRUE(merges.contains(QStringLiteral("A3:A4"))) << QJsonDocument(merges).toJson().data();
    const QJsonObject a2 = openpyxlCell(page, 0, QStringLiteral("A2"));
    EXPECT_TRUE(a2.value(QStringLiteral("font")).toObject().value(QStringLiteral("bold")).toBool());
    EXPECT_EQ(a2.value(QStringLiteral("fill")).toString(), QStringLiteral("FFFF00"));
    EXPECT_EQ(openpyxlCell(page, 0, QStringLiteral("B2"))
                  .value(QStringLiteral("font"))
                  .toObject()
                  .value(QStringLiteral("color"))
                  .toString(),
              QStringLiteral("FF0000"));
    EXPECT_TRUE(openpyxlCell(page, 0, QStringLiteral("C3"))
                    .value(QStringLiteral("font"))
                    .toObject()
                    .value(QStringLiteral("italic"))
                    .toBool());
    EXPECT_FALSE(openpyxlCell(page, 0, QStringLiteral("A2"))
                     .value(QStringLiteral("border"))
                     .toObject()
                     .value(QStringLiteral("left"))
                     .isNull());

    // Converted from other containers, the same document gives the same rows.
    const QJsonValue original = xlsRows(QStringLiteral("sub/original.xls"));
    ASSERT_FALSE(original.toArray().isEmpty());
    for (const char* name : {"archive.xls", "word2003.xls"}) {
        EXPECT_EQ(xlsRows(QLatin1String(name)), original) << name;
    }
    const QJsonObject docx = openpyxlSheet(book(QStringLiteral("sub/original.xlsx")), 0);
    const QJsonObject flat = openpyxlSheet(book(QStringLiteral("flat.xlsx")), 0);
    EXPECT_EQ(flat.value(QStringLiteral("cells")), docx.value(QStringLiteral("cells")));
    EXPECT_EQ(flat.value(QStringLiteral("merges")), docx.value(QStringLiteral("merges")));
}

}  // namespace
