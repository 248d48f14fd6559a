#include "tests/engine/endtoendfixture.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QJsonArray>

namespace {

using WholeDocumentEndToEnd = EndToEndFixture;

/* The value of a cell as text (numbers in their shortest form). */
QString valueOf(const QJsonObject& cell) {
    const QJsonValue value = cell.value(QStringLiteral("value"));
    return value.isDouble() ? QString::number(value.toDouble()) : value.toString();
}

/* Every workbook below a folder. */
QStringList workbooksBelow(const QString& folder) {
    QStringList books;
    QDirIterator it(folder,
                    {QStringLiteral("*.xls"), QStringLiteral("*.xlsx"), QStringLiteral("*.xlsm")},
                    QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        books << it.next();
    }
    return books;
}

TEST_F(WholeDocumentEndToEnd, ExamplesKeepDocumentOrderMergesAndTextNumbers) {
    const RunReport result = convert(QStringLiteral("examples"));
    // Five documents, and in 表单/ a blank form with seven returns of it.
    EXPECT_EQ(result.candidates, 13);
    EXPECT_EQ(result.converted, 11);
    EXPECT_EQ(result.failed, 2);  // the deliberately broken example and the damaged return

    const QJsonObject form = readBack(save + QStringLiteral("请假申请表.xlsx"));
    EXPECT_EQ(sheet(form, 0).value(QStringLiteral("title")).toString(), QStringLiteral("Sheet1"));
    const QStringList formCells = {QStringLiteral("A1"), QStringLiteral("A2"),
                                   QStringLiteral("D2"), QStringLiteral("B4"),
                                   QStringLiteral("C6"), QStringLiteral("A7")};
    const QStringList formValues = {
        QStringLiteral("请假申请表"), QStringLiteral("姓名"),
        QStringLiteral("财务部"),     QStringLiteral("回老家探亲"),
        QStringLiteral("签字"),       QStringLiteral("备注：请于休假前三个工作日提交。")};
    for (int i = 0; i < formCells.size(); ++i) {
        EXPECT_EQ(valueOf(cell(form, 0, formCells[i])), formValues[i])
            << formCells[i].toStdString();
    }
    EXPECT_EQ(
        sheet(form, 0).value(QStringLiteral("merged")).toArray(),
        (QJsonArray{QStringLiteral("A5:A6"), QStringLiteral("B4:D4"), QStringLiteral("B5:D5")}));

    const QJsonObject staff = readBack(save + QStringLiteral("员工名单.xlsx"));
    for (const QString& address : {QStringLiteral("A3"), QStringLiteral("A4"), QStringLiteral("C3"),
                                   QStringLiteral("C4"), QStringLiteral("D3")}) {
        EXPECT_EQ(cell(staff, 0, address).value(QStringLiteral("type")).toString(),
                  QStringLiteral("str"))
            << address.toStdString();
    }
    EXPECT_EQ(valueOf(cell(staff, 0, QStringLiteral("A3"))), QStringLiteral("007"));
    EXPECT_EQ(valueOf(cell(staff, 0, QStringLiteral("C3"))), QStringLiteral("110105199001011234"));

    const QJsonObject report = readBack(save + QStringLiteral("报告/季度报告.xlsx"));
    const QJsonObject onePointFifty = cell(report, 0, QStringLiteral("B6"));
    EXPECT_EQ(onePointFifty.value(QStringLiteral("value")).toDouble(), 1.5);
    EXPECT_EQ(onePointFifty.value(QStringLiteral("format")).toString(), QStringLiteral("0.00"));
    EXPECT_EQ(cell(report, 0, QStringLiteral("C4")).value(QStringLiteral("format")).toString(),
              QStringLiteral("0%"));
    EXPECT_TRUE(QFile::exists(save + QStringLiteral("归档/2024/会议纪要.xlsx")));
}

TEST_F(WholeDocumentEndToEnd, FormatsTravelUnlessValuesOnly) {
    const QString source = temp.path() + QStringLiteral("/src");
    QDir().mkpath(source);
    QFile::copy(QStringLiteral("examples/报告/季度报告.docx"),
                source + QStringLiteral("/report.docx"));
    convert(source);
    const QJsonObject full = readBack(save + QStringLiteral("report.xlsx"));
    EXPECT_TRUE(cell(full, 0, QStringLiteral("A1")).value(QStringLiteral("bold")).toBool());
    EXPECT_EQ(cell(full, 0, QStringLiteral("A3")).value(QStringLiteral("color")).toString(),
              QStringLiteral("FFC00000"));

    convert(source, [](ConvertOptions& options) { options.justText = true; });
    const QJsonObject values = readBack(save + QStringLiteral("report.xlsx"));
    const QJsonObject cells = sheet(values, 0).value(QStringLiteral("cells")).toObject();
    ASSERT_GT(cells.size(), 10);
    for (auto it = cells.constBegin(); it != cells.constEnd(); ++it) {
        const QJsonObject one = it.value().toObject();
        EXPECT_FALSE(one.value(QStringLiteral("bold")).toBool()) << it.key().toStdString();
        EXPECT_TRUE(one.value(QStringLiteral("color")).isNull()) << it.key().toStdString();
        EXPECT_EQ(one.value(QStringLiteral("size")).toDouble(), 11.0) << it.key().toStdString();
    }
    EXPECT_EQ(valueOf(cell(values, 0, QStringLiteral("A3"))), QStringLiteral("地区"));
    EXPECT_EQ(sheet(values, 0).value(QStringLiteral("merged")).toArray(), QJsonArray());
}

TEST_F(WholeDocumentEndToEnd, SplitChangesColumnAOnly) {
    const QString source = temp.path() + QStringLiteral("/src");
    ASSERT_TRUE(writeDocument(source + QStringLiteral("/minutes.docx"),
                              QStringLiteral("d.add_paragraph('会议：季度总结')\n"
                                             "d.add_paragraph('没有分隔符')\n"
                                             "t = d.add_table(rows=1, cols=2)\n"
                                             "t.cell(0, 0).text = 'x'\n"
                                             "t.cell(0, 1).text = 'c：d'\n")));
    convert(source, [](ConvertOptions& options) {
        options.useSplitChar = true;
        options.splitChar = QStringLiteral("：");
    });
    const QJsonObject book = readBack(save + QStringLiteral("minutes.xlsx"));
    EXPECT_EQ(valueOf(cell(book, 0, QStringLiteral("A1"))), QStringLiteral("会议"));
    EXPECT_EQ(valueOf(cell(book, 0, QStringLiteral("B1"))), QStringLiteral("季度总结"));
    EXPECT_EQ(valueOf(cell(book, 0, QStringLiteral("A2"))), QStringLiteral("没有分隔符"));
    EXPECT_EQ(valueOf(cell(book, 0, QStringLiteral("A3"))), QStringLiteral("x"));
    EXPECT_EQ(valueOf(cell(book, 0, QStringLiteral("B3"))), QStringLiteral("c：d"));
    EXPECT_TRUE(cell(book, 0, QStringLiteral("C3")).isEmpty());

    convert(source, [](ConvertOptions& options) {
        options.useSplitChar = true;
        options.splitChar = QString();
    });
    const QJsonObject unsplit = readBack(save + QStringLiteral("minutes.xlsx"));
    EXPECT_EQ(valueOf(cell(unsplit, 0, QStringLiteral("A1"))), QStringLiteral("会议：季度总结"));
    EXPECT_TRUE(cell(unsplit, 0, QStringLiteral("B1")).isEmpty());
}

TEST_F(WholeDocumentEndToEnd, TemplateLookAndTopRowsReachEverySheet) {
    const QString source = temp.path() + QStringLiteral("/src");
    QDir().mkpath(source);
    QFile::copy(QStringLiteral("examples/报告/季度报告.docx"),
                source + QStringLiteral("/report.docx"));
    const QString templatePath = temp.path() + QStringLiteral("/look.xlsx");
    ASSERT_FALSE(
        python({QStringLiteral("-c"),
                QStringLiteral(
                    "import sys, openpyxl\n"
                    "from openpyxl.styles import Font\n"
                    "b = openpyxl.Workbook(); s = b.active\n"
                    "s['A1'] = '公司名称'; s['A1'].font = Font(bold=True, size=16, name='SimHei')\n"
                    "s['E5'] = '审核'\n"
                    "s.column_dimensions['A'].width = 30\n"
                    "s.column_dimensions['B'].width = 15\n"
                    "b.save(sys.argv[1]); print('ok')\n"),
                templatePath})
            .isEmpty());
    QFile templateFile(templatePath);
    ASSERT_TRUE(templateFile.open(QIODevice::ReadOnly));
    const QByteArray templateBytes = templateFile.readAll();
    templateFile.close();
    const RunReport result = convert(source, [&](ConvertOptions& options) {
        options.justTable = true;
        options.useTemplate = true;
        options.templatePath = QDir::toNativeSeparators(templatePath);
        options.lastRowText = QStringLiteral("5");
    });
    ASSERT_EQ(result.converted, 1);
    const QJsonObject book = readBack(save + QStringLiteral("report.xlsx"));
    const QJsonArray sheets = book.value(QStringLiteral("sheets")).toArray();
    ASSERT_EQ(sheets.size(), 3);
    for (int k = 0; k < 3; ++k) {
        const QJsonObject widths = sheet(book, k).value(QStringLiteral("widths")).toObject();
        EXPECT_EQ(widths.value(QStringLiteral("A")).toDouble(), 30.0) << k;
        EXPECT_EQ(widths.value(QStringLiteral("B")).toDouble(), 15.0) << k;
        const QJsonObject a1 = cell(book, k, QStringLiteral("A1"));
        EXPECT_TRUE(a1.value(QStringLiteral("bold")).toBool()) << k;
        EXPECT_EQ(a1.value(QStringLiteral("size")).toDouble(), 16.0) << k;
        EXPECT_EQ(a1.value(QStringLiteral("font")).toString(), QStringLiteral("SimHei")) << k;
        EXPECT_EQ(valueOf(cell(book, k, QStringLiteral("E5"))), QStringLiteral("审核")) << k;
    }
    // The template is closed unsaved after each document.
    ASSERT_TRUE(templateFile.open(QIODevice::ReadOnly));
    EXPECT_EQ(templateFile.readAll(), templateBytes);
}

TEST_F(WholeDocumentEndToEnd, EveryReadableCorpusDocumentBecomesOneSheet) {
    const RunReport docx = convert(corpus(QStringLiteral("docx")));
    EXPECT_GE(docx.converted, docx.candidates - 1);  // bug59058.docx is beyond the reader's limits
    const RunReport doc = convert(corpus(QStringLiteral("doc")));
    EXPECT_GT(doc.converted, 0);
    const QStringList books = workbooksBelow(save);
    EXPECT_EQ(books.size(), docx.converted + doc.converted);
    const QJsonObject titles = titlesOf(books);
    for (const QString& book : books) {
        EXPECT_EQ(titles.value(book).toArray(), QJsonArray{QStringLiteral("Sheet1")})
            << book.toStdString();
    }
}

TEST_F(WholeDocumentEndToEnd, OddNamesConvertAndMalformedDocumentsGoToTheReport) {
    const RunReport names = convert(corpus(QStringLiteral("names")));
    EXPECT_EQ(names.candidates, 6);  // the two upper-case endings are not Word documents here
    EXPECT_EQ(names.converted, 6);
    EXPECT_TRUE(QFile::exists(save + QStringLiteral("x.doc.files/bug66312.xlsx")));
    EXPECT_TRUE(QFile::exists(save + QStringLiteral("子目录 ä/Bug55142.xlsx")));

    const RunReport malformed = convert(corpus(QStringLiteral("malformed")));
    EXPECT_EQ(malformed.converted + malformed.failed, malformed.candidates);
    EXPECT_GE(malformed.failed, 8);
    EXPECT_TRUE(malformed.reportWritten);
    QFile report(convertOptions().failureReportPath);
    ASSERT_TRUE(report.open(QIODevice::ReadOnly));
    EXPECT_EQ(report.readAll().count('\n'), malformed.failed);
}

}  // namespace
