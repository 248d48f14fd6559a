// sheetweaver-convert on a folder of .doc files, as a user runs it: every table lands in its
// own sheet of a .xls workbook whose cells, read back with xlrd
// (tests/cli/xls_rows.py), hold the texts LibreOffice shows for the same tables; an
// encrypted .doc goes to the failure report; Word 6.0/95 documents convert in both modes.

#include "tests/support/convertertree.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

namespace {

const QString kCorpus = QStringLiteral("../shared/corpus/");

/* A row's non-empty texts, as the read-back lists them. */
QStringList nonEmpty(const QJsonArray& row) {
    QStringList cells;
    for (const QJsonValue& cell : row) {
        if (!cell.toString().isEmpty()) {
            cells << cell.toString();
        }
    }
    return cells;
}

/* A pasted cell equals a Word text: the same text, or the number the text stands for. */
bool sameValue(const QString& pasted, const QString& text) {
    if (pasted == text) {
        return true;
    }
    QString plain = text;
    plain.remove(QLatin1Char(','));
    const bool percent = plain.endsWith(QLatin1Char('%'));
    if (percent) {
        plain.chop(1);
    }
    bool okText = false;
    bool okPasted = false;
    const double number = plain.toDouble(&okText) / (percent ? 100.0 : 1.0);
    const double value = pasted.toDouble(&okPasted);
    return okText && okPasted && qAbs(number - value) < 1e-9;
}

/* Each sheet holds its table: per row the non-empty cell texts (or the numbers they stand
   for), merged cells counted once. */
void expectSheetsHoldTables(const QJsonArray& sheets, const QJsonArray& tables,
                            const QString& name) {
    ASSERT_EQ(sheets.size(), tables.size()) << name.toStdString();
    for (int t = 0; t < tables.size(); ++t) {
        const QJsonArray rows = tables[t].toArray();
        const QJsonArray sheetRows = sheets[t].toArray();
        ASSERT_EQ(sheetRows.size(), rows.size()) << name.toStdString();
        for (int r = 0; r < rows.size(); ++r) {
            const QStringList want = nonEmpty(rows[r].toArray());
            const QStringList got = nonEmpty(sheetRows[r].toArray());
            ASSERT_EQ(got.size(), want.size())
                << name.toStdString() << " table " << t << " row " << r;
            for (int c = 0; c < want.size(); ++c) {
                EXPECT_TRUE(sameValue(got[c], want[c]))
                    << name.toStdString() << " (" << r << "," << c << "): \""
                    << got[c].toStdString() << "\" vs \"" << want[c].toStdString() << "\"";
            }
        }
    }
}

}  // namespace

TEST(DocEndToEnd, TablesOfDocFilesBecomeSheetsWithTheirCellTexts) {
    const QString converter = ConverterTree::converter();
    ASSERT_TRUE(QFile::exists(converter)) << converter.toStdString();
    ConverterTree tree;
    ASSERT_TRUE(tree.ready());
    const QString& source = tree.source;
    const QString& dest = tree.dest;
    // Corpus documents and the names the expected tables are filed under.
    const QList<QPair<QString, QString>> documents = {
        {QStringLiteral("doc/tables/simple-table.doc"), QStringLiteral("simple-table")},
        {QStringLiteral("doc/tables/table-merges.doc"), QStringLiteral("sub/table-merges")},
        {QStringLiteral("doc/tables/Bug33519.doc"), QStringLiteral("Bug33519")},
        {QStringLiteral("names/中文表格 章节.doc"), QStringLiteral("中文表格 章节")},
    };
    for (const auto& document : documents) {
        ASSERT_TRUE(
            QFile::copy(kCorpus + document.first,
                        source + QLatin1Char('/') + document.second + QStringLiteral(".doc")));
    }
    ASSERT_TRUE(QFile::copy(kCorpus + QStringLiteral("malformed/PasswordProtected.doc"),
                            source + QStringLiteral("/locked.doc")));
    QByteArray out;
    EXPECT_EQ(runProgram(converter, {QStringLiteral("--tables"), source, dest}, &out), 1);

    QFile report(source + QStringLiteral("/无法打开的文件目录(文件格式有误).txt"));
    ASSERT_TRUE(report.open(QIODevice::ReadOnly));
    EXPECT_EQ(report.readAll(), (source + QStringLiteral("/locked.doc\n")).toLocal8Bit());

    QFile expectedFile(QStringLiteral("tests/data/doc/corpus_tables.json"));
    ASSERT_TRUE(expectedFile.open(QIODevice::ReadOnly));
    const QJsonObject expected = QJsonDocument::fromJson(expectedFile.readAll()).object();
    for (const auto& document : documents) {
        const QString book = dest + QLatin1Char('/') + document.second + QStringLiteral(".xls");
        ASSERT_TRUE(QFile::exists(book)) << book.toStdString();
        QByteArray json;
        ASSERT_EQ(runProgram(QStringLiteral("/usr/bin/python3"),
                             {QStringLiteral("tests/cli/xls_rows.py"), book}, &json),
                  0);
        const QJsonArray sheets = QJsonDocument::fromJson(json).object().value(book).toArray();
        const QJsonArray tables = expected.value(document.first).toArray();
        ASSERT_FALSE(tables.isEmpty()) << document.first.toStdString();
        expectSheetsHoldTables(sheets, tables, document.first);
    }
}

namespace {

// A document with equations, a mode, and the rows the workbook's first sheet must hold (each
// row's non-empty cells joined by " | ").
struct EquationDocument {
    const char* path;
    bool tables;
    QStringList rows;
};

}  // namespace

TEST(DocEndToEnd, EquationsBecomeLinearTextInTheirCells) {
    const QString converter = ConverterTree::converter();
    ASSERT_TRUE(QFile::exists(converter)) << converter.toStdString();
    const QStringList inParagraph = {QStringLiteral("Area: (a+b)/2")};
    const QStringList inTable = {
        QStringLiteral("Area | (a+b)/2"), QStringLiteral("Root | √(3&x+1)"),
        QStringLiteral("Script | x_i^2+y^3"), QStringLiteral("Sum | ∑_(i=1)^n▒i"),
        QStringLiteral("Matrix | (■(a&b@c&d))")};
    const EquationDocument documents[] = {
        // An OpenDocument formula object (MathML), the real document.
        {"../shared/corpus/doc/equation.doc", false, {QStringLiteral("a^n+b^n=c^n;n>2")}},
        // Equation Editor 3 objects in a paragraph and in table cells.
        {"tests/data/doc/equations.doc", false, inParagraph + inTable},
        {"tests/data/doc/equations.doc", true, inTable},
        // EQ fields whose result is only a picture.
        {"tests/data/doc/eqfields.doc",
         false,
         {QStringLiteral("Half: 1/2"), QStringLiteral("Root: √(3&x+1)"),
          QStringLiteral("Power: x^2+y_i"), QStringLiteral("Set: {(a+b)/c}"),
          QStringLiteral("Sum: ∑_(i=1)^n▒i")}},
    };
    for (const EquationDocument& document : documents) {
        const QString name = QString::fromUtf8(document.path);
        ConverterTree tree;
        ASSERT_TRUE(tree.ready());
        const QString& source = tree.source;
        const QString& dest = tree.dest;
        ASSERT_TRUE(QFile::copy(name, source + QStringLiteral("/eq.doc"))) << document.path;
        QStringList arguments = {source, dest};
        if (document.tables) {
            arguments.prepend(QStringLiteral("--tables"));
        }
        QByteArray out;
        ASSERT_EQ(runProgram(converter, arguments, &out), 0) << document.path;
        const QString book = dest + QStringLiteral("/eq.xls");
        QByteArray json;
        ASSERT_EQ(runProgram(QStringLiteral("/usr/bin/python3"),
                             {QStringLiteral("tests/cli/xls_rows.py"), book}, &json),
                  0);
        const QJsonArray sheets = QJsonDocument::fromJson(json).object().value(book).toArray();
        ASSERT_FALSE(sheets.isEmpty()) << document.path;
        QStringList rows;
        for (const QJsonValue& row : sheets[0].toArray()) {
            if (!nonEmpty(row.toArray()).isEmpty()) {
                rows << nonEmpty(row.toArray()).join(QStringLiteral(" | "));
            }
        }
        EXPECT_EQ(rows.join(QLatin1Char('\n')).toStdString(),
                  document.rows.join(QLatin1Char('\n')).toStdString())
            << document.path << (document.tables ? " --tables" : "");
    }
}

namespace {

/* Text without its white space (spaces, tabs, line feeds), for comparing a whole-document
   workbook with a plain-text export, which splits and pads lines differently. */
QString withoutSpaces(QString text) {
    text.remove(QRegularExpression(QStringLiteral("\\s")));
    return text;
}

/* A JSON file of the test data. */
QJsonObject dataFile(const char* name) {
    QFile file(QStringLiteral("tests/data/doc/") + QLatin1String(name));
    return file.open(QIODevice::ReadOnly) ? QJsonDocument::fromJson(file.readAll()).object()
                                          : QJsonObject();
}

}  // namespace

TEST(DocEndToEnd, Word6DocumentsConvertInBothModes) {
    const QString converter = ConverterTree::converter();
    ASSERT_TRUE(QFile::exists(converter)) << converter.toStdString();
    const QJsonObject texts = dataFile("legacy_text.json");
    const QJsonObject tables = dataFile("corpus_tables.json");
    const QStringList names = {QStringLiteral("Word95"), QStringLiteral("52117"),
                               QStringLiteral("Bug49933")};
    for (const bool tableMode : {false, true}) {
        ConverterTree tree;
        ASSERT_TRUE(tree.ready());
        for (const QString& name : names) {
            ASSERT_TRUE(
                QFile::copy(kCorpus + QStringLiteral("doc/legacy/") + name + QStringLiteral(".doc"),
                            tree.source + QLatin1Char('/') + name + QStringLiteral(".doc")));
        }
        QStringList arguments = {tree.source, tree.dest};
        if (tableMode) {
            arguments.prepend(QStringLiteral("--tables"));
        }
        QByteArray out;
        ASSERT_EQ(runProgram(converter, arguments, &out), 0) << out.toStdString();
        for (const QString& name : names) {
            const QString key = QStringLiteral("doc/legacy/") + name + QStringLiteral(".doc");
            const QString book = tree.dest + QLatin1Char('/') + name + QStringLiteral(".xls");
            QByteArray json;
            ASSERT_EQ(runProgram(QStringLiteral("/usr/bin/python3"),
                                 {QStringLiteral("tests/cli/xls_rows.py"), book}, &json),
                      0)
                << book.toStdString();
            const QJsonArray sheets = QJsonDocument::fromJson(json).object().value(book).toArray();
            if (tableMode) {
                // A document without tables leaves the new workbook's one empty sheet.
                QJsonArray want = tables.value(key).toArray();
                if (want.isEmpty()) {
                    want.append(QJsonArray());  // not QJsonArray{QJsonArray()}: clang copies
                }
                expectSheetsHoldTables(sheets, want, key);
                continue;
            }
            QString got;
            for (const QJsonValue& row : sheets[0].toArray()) {
                got += nonEmpty(row.toArray()).join(QString());
            }
            QString want;
            for (const QJsonValue& line : texts.value(key).toArray()) {
                want += line.toString();
            }
            ASSERT_FALSE(want.isEmpty()) << key.toStdString();
            EXPECT_EQ(withoutSpaces(got).toStdString(), withoutSpaces(want).toStdString())
                << key.toStdString();
        }
    }
}
