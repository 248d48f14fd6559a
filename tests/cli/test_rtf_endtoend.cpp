// sheetweaver-convert on a tree of ".doc" files that are RTF and plain text, as a user runs it:
// each becomes a .xls workbook whose rows, read back with xlrd (tests/cli/xls_rows.py),
// hold the document's paragraphs and table rows; a binary file that is no Word file is reported.

#include "tests/support/convertertree.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

/* The expected rows of a fixture: its lines, table rows split at tabs into cells (a
   paragraph's tab stays in its one cell), empty cells left out. */
QList<QStringList> expectedRows(const QString& expectedFile, const QString& name, bool tables) {
    QFile file(expectedFile);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    QList<QStringList> rows;
    for (const QJsonValue& line :
         QJsonDocument::fromJson(file.readAll()).object().value(name).toArray()) {
        QStringList cells =
            tables ? line.toString().split(QLatin1Char('\t')) : QStringList{line.toString()};
        cells.removeAll(QString());
        rows << cells;
    }
    return rows;
}

// One fixture copied into the tree under a Word name.
struct Source {
    QString fixture;   // under tests/data
    QString expected;  // the fixture folder's expected.json
    QString target;    // relative path in the tree, without extension
    bool tables;       // the expected lines with tabs are table rows
};

}  // namespace

TEST(RtfEndToEnd, RtfAndTextUnderWordNamesBecomeWorkbooks) {
    const QString converter = ConverterTree::converter();
    ASSERT_TRUE(QFile::exists(converter)) << converter.toStdString();
    ConverterTree tree;
    ASSERT_TRUE(tree.ready());
    const QString& source = tree.source;
    const QString& dest = tree.dest;
    const QString rtf = QStringLiteral("tests/data/rtf/encodings/");
    const QString text = QStringLiteral("tests/data/text/");
    const QList<Source> sources = {
        {rtf + QStringLiteral("gbk.rtf"), rtf + QStringLiteral("expected.json"),
         QStringLiteral("报表"), true},
        {rtf + QStringLiteral("shift-jis.rtf"), rtf + QStringLiteral("expected.json"),
         QStringLiteral("sub/japanese"), true},
        {text + QStringLiteral("gbk.txt"), text + QStringLiteral("expected.json"),
         QStringLiteral("notes"), false},
        {text + QStringLiteral("utf16le.txt"), text + QStringLiteral("expected.json"),
         QStringLiteral("sub/wide"), false},
    };
    for (const Source& s : sources) {
        ASSERT_TRUE(
            QFile::copy(s.fixture, source + QLatin1Char('/') + s.target + QStringLiteral(".doc")));
    }
    QFile binary(source + QStringLiteral("/binary.doc"));
    ASSERT_TRUE(binary.open(QIODevice::WriteOnly));
    binary.write(QByteArray("\xDB\xA5\x2D\x00\x31\x40\x09\x04", 8));
    binary.close();

    QByteArray out;
    EXPECT_EQ(runProgram(converter, {source, dest}, &out), 1) << out.toStdString();
    QFile report(source + QStringLiteral("/无法打开的文件目录(文件格式有误).txt"));
    ASSERT_TRUE(report.open(QIODevice::ReadOnly));
    EXPECT_EQ(report.readAll(), (source + QStringLiteral("/binary.doc\n")).toLocal8Bit());

    for (const Source& s : sources) {
        const QString book = dest + QLatin1Char('/') + s.target + QStringLiteral(".xls");
        ASSERT_TRUE(QFile::exists(book)) << book.toStdString();
        QByteArray json;
        ASSERT_EQ(runProgram(QStringLiteral("/usr/bin/python3"),
                             {QStringLiteral("tests/cli/xls_rows.py"), book}, &json),
                  0);
        const QJsonArray sheets = QJsonDocument::fromJson(json).object().value(book).toArray();
        ASSERT_FALSE(sheets.isEmpty()) << book.toStdString();
        const QJsonArray rows = sheets[0].toArray();
        const QList<QStringList> want =
            expectedRows(s.expected, s.fixture.section(QLatin1Char('/'), -1), s.tables);
        ASSERT_EQ(rows.size(), want.size()) << s.fixture.toStdString();
        for (int r = 0; r < want.size(); ++r) {
            QStringList got;
            for (const QJsonValue& cell : rows[r].toArray()) {
                got << cell.toString();
            }
            EXPECT_EQ(got, want[r]) << s.fixture.toStdString() << " row " << r;
        }
    }
}
