#include "tests/engine/endtoendfixture.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QJsonArray>
#include <QRegularExpression>

namespace {

using TableModeEndToEnd = EndToEndFixture;

/* Table counts of the corpus documents (top-level tables, content-control wrapped included). */
QHash<QString, int> expectedTables() {
    QHash<QString, int> counts;
    QFile csv(QStringLiteral("../shared/corpus/expected_tables.csv"));
    if (!csv.open(QIODevice::ReadOnly)) {
        return counts;
    }
    const QRegularExpression wrapped(
        QStringLiteral("\\((\\d+) incl\\. content-control wrapped\\)"));
    while (!csv.atEnd()) {
        const QString line = QString::fromUtf8(csv.readLine());
        const QRegularExpressionMatch match = wrapped.match(line);
        if (line.startsWith(QLatin1String("docx/")) && match.hasMatch()) {
            counts.insert(line.section(QLatin1Char(','), 0, 0), match.captured(1).toInt());
        }
    }
    return counts;
}

/* "Sheet1" .. "SheetN" for at least one sheet. */
QJsonArray sheetNames(int tables) {
    QJsonArray names;
    for (int n = 1; n <= qMax(1, tables); ++n) {
        names.append(QStringLiteral("Sheet") + QString::number(n));
    }
    return names;
}

TEST_F(TableModeEndToEnd, EveryCorpusDocumentGetsOneSheetPerTable) {
    const QHash<QString, int> expected = expectedTables();
    ASSERT_GT(expected.size(), 20);
    const RunReport result = convert(corpus(QStringLiteral("docx")),
                                     [](ConvertOptions& options) { options.justTable = true; });
    EXPECT_GE(result.converted,
              result.candidates - 1);  // bug59058.docx: a cell longer than a workbook cell holds
    QStringList workbooks;
    QStringList documents;
    for (auto it = expected.constBegin(); it != expected.constEnd(); ++it) {
        QString relative = it.key().mid(5);
        relative.replace(relative.lastIndexOf(QLatin1String(".doc")), 4, QStringLiteral(".xls"));
        if (QFile::exists(save + relative)) {
            workbooks << save + relative;
            documents << it.key();
        }
    }
    ASSERT_GE(workbooks.size(), expected.size() - 1);
    const QJsonObject titles = titlesOf(workbooks);
    for (int i = 0; i < workbooks.size(); ++i) {
        EXPECT_EQ(titles.value(workbooks[i]).toArray(), sheetNames(expected.value(documents[i])))
            << documents[i].toStdString();
    }
}

TEST_F(TableModeEndToEnd, CellsMatchTheDocumentsTables) {
    const QStringList documents = {
        QStringLiteral("IllustrativeCases"),
        QStringLiteral("TestTableColumns"),
        QStringLiteral("merged/tbl-cell-access"),
        QStringLiteral("merged/grid_after"),
        QStringLiteral("merged/table_merged_libreoffice"),
        QStringLiteral("stress003"),
        QStringLiteral("stress010"),
        QStringLiteral("tables"),
        QStringLiteral("WordWithAttachments"),
        QStringLiteral("checkboxes"),
        QStringLiteral("table_footnotes"),
        QStringLiteral("tbl-props"),
        QStringLiteral("merged/stress015"),
    };
    convert(corpus(QStringLiteral("docx/tables")),
            [](ConvertOptions& options) { options.justTable = true; });
    for (const QString& name : documents) {
        const QJsonObject comparison =
            compareTables(corpus(QStringLiteral("docx/tables/") + name + QStringLiteral(".docx")),
                          save + name + QStringLiteral(".xlsx"));
        ASSERT_FALSE(comparison.isEmpty()) << name.toStdString();
        EXPECT_EQ(comparison.value(QStringLiteral("mismatches")).toArray(), QJsonArray())
            << name.toStdString();
        EXPECT_EQ(comparison.value(QStringLiteral("titles")).toArray(),
                  sheetNames(comparison.value(QStringLiteral("tables")).toInt()))
            << name.toStdString();
    }
}

TEST_F(TableModeEndToEnd, MergedCellsOfAFormBecomeMergedRanges) {
    QDir().mkpath(temp.path() + QStringLiteral("/src"));
    QFile::copy(QStringLiteral("examples/请假申请表.docx"),
                temp.path() + QStringLiteral("/src/form.docx"));
    const RunReport result = convert(temp.path() + QStringLiteral("/src"),
                                     [](ConvertOptions& options) { options.justTable = true; });
    ASSERT_EQ(result.converted, 1);
    const QJsonObject book = readBack(save + QStringLiteral("form.xlsx"));
    EXPECT_EQ(
        sheet(book, 0).value(QStringLiteral("merged")).toArray(),
        (QJsonArray{QStringLiteral("A4:A5"), QStringLiteral("B3:D3"), QStringLiteral("B4:D4")}));
    EXPECT_EQ(cell(book, 0, QStringLiteral("B3")).value(QStringLiteral("value")).toString(),
              QStringLiteral("回老家探亲"));
    EXPECT_EQ(cell(book, 0, QStringLiteral("A1")).value(QStringLiteral("value")).toString(),
              QStringLiteral("姓名"));
    EXPECT_TRUE(cell(book, 0, QStringLiteral("A1")).value(QStringLiteral("bold")).toBool());
    EXPECT_TRUE(cell(book, 0, QStringLiteral("C3")).isEmpty());
}

}  // namespace
