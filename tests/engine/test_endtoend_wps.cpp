#include "tests/engine/endtoendfixture.h"

#include "support/processlist.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QProcess>
#include <QThread>

namespace {

// A harmless process named like WPS's spreadsheet program ("et.exe"): a copy of sleep.
class WpsEndToEnd : public EndToEndFixture {
protected:
    void SetUp() override {
        EndToEndFixture::SetUp();
        const QString program = temp.path() + QStringLiteral("/et.exe");
        ASSERT_TRUE(QFile::copy(QStringLiteral("/bin/sleep"), program));
        QFile::setPermissions(program, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        fakeWps.start(program, {QStringLiteral("120")});
        ASSERT_TRUE(fakeWps.waitForStarted(5000));
        for (int tries = 0; tries < 50 && countProcessesByName("et.exe") == 0; ++tries) {
            QThread::msleep(100);
        }
        ASSERT_GE(countProcessesByName("et.exe"), 1);
        source = temp.path() + QStringLiteral("/src");
        QDir().mkpath(source);
        QFile::copy(QStringLiteral("examples/报告/季度报告.docx"),
                    source + QStringLiteral("/report.docx"));
        QFile::copy(QStringLiteral("examples/请假申请表.docx"),
                    source + QStringLiteral("/form.docx"));
    }

    void TearDown() override {
        fakeWps.kill();
        fakeWps.waitForFinished(5000);
        EndToEndFixture::TearDown();
    }

    // Both workbooks of a run, read back.
    QJsonArray convertAndRead(bool wps, const std::function<void(ConvertOptions&)>& configure) {
        const std::function<int()> direct = [] { return 0; };
        const std::function<int()> processList = [] { return countProcessesByName("et.exe"); };
        const RunReport result = convert(source, configure, wps ? processList : direct);
        EXPECT_EQ(result.converted, 2);
        return QJsonArray{readBack(save + QStringLiteral("report.xlsx")),
                          readBack(save + QStringLiteral("form.xlsx"))};
    }

    QProcess fakeWps;
    QString source;
};

/* A read-back book without the cells' number formats. */
QJsonArray withoutNumberFormats(const QJsonArray& books) {
    QJsonArray result;
    for (const QJsonValue& book : books) {
        QJsonArray sheets = book.toObject().value(QStringLiteral("sheets")).toArray();
        for (int k = 0; k < sheets.size(); ++k) {
            QJsonObject one = sheets.at(k).toObject();
            QJsonObject cells = one.value(QStringLiteral("cells")).toObject();
            for (auto it = cells.begin(); it != cells.end(); ++it) {
                QJsonObject cell = it.value().toObject();
                cell.remove(QStringLiteral("format"));
                it.value() = cell;
            }
            one.insert(QStringLiteral("cells"), cells);
            sheets.replace(k, one);
        }
        result.append(QJsonObject{{QStringLiteral("sheets"), sheets}});
    }
    return result;
}

TEST_F(WpsEndToEnd, StagedValuesPasteEqualsTheDirectOne) {
    for (const bool justTable : {false, true}) {
        const auto configure = [justTable](ConvertOptions& options) {
            options.justText = true;
            options.justTable = justTable;
        };
        const QJsonArray direct = convertAndRead(false, configure);
        const QJsonArray staged = convertAndRead(true, configure);
        ASSERT_FALSE(direct.at(0).toObject().isEmpty());
        // A values paste from one sheet to another carries no number formats (as in Excel), so
        // "1.50" arrives as 1.5 in General there; everything else must be the same.
        EXPECT_EQ(withoutNumberFormats(staged), withoutNumberFormats(direct))
            << (justTable ? "table mode" : "whole-document mode");
        const QJsonArray sheets = staged.at(0).toObject().value(QStringLiteral("sheets")).toArray();
        EXPECT_EQ(sheets.size(), justTable ? 3 : 1);
        EXPECT_FALSE(sheets.at(0)
                         .toObject()
                         .value(QStringLiteral("cells"))
                         .toObject()
                         .value(QStringLiteral("A1"))
                         .isUndefined());
    }
}

TEST_F(WpsEndToEnd, StagedFullPasteOfTablesKeepsCellsAndSheetCount) {
    const auto configure = [](ConvertOptions& options) { options.justTable = true; };
    const QJsonArray direct = convertAndRead(false, configure);
    const QJsonArray staged = convertAndRead(true, configure);
    for (int book = 0; book < 2; ++book) {
        const QJsonArray directSheets =
            direct.at(book).toObject().value(QStringLiteral("sheets")).toArray();
        const QJsonArray stagedSheets =
            staged.at(book).toObject().value(QStringLiteral("sheets")).toArray();
        ASSERT_EQ(stagedSheets.size(), directSheets.size());
        for (int k = 0; k < directSheets.size(); ++k) {
            const QJsonObject one = stagedSheets.at(k).toObject();
            const QJsonObject other = directSheets.at(k).toObject();
            EXPECT_EQ(one.value(QStringLiteral("title")), other.value(QStringLiteral("title")));
            EXPECT_EQ(one.value(QStringLiteral("cells")), other.value(QStringLiteral("cells")))
                << book << "/" << k;
            EXPECT_EQ(one.value(QStringLiteral("merged")), other.value(QStringLiteral("merged")))
                << book << "/" << k;
        }
    }
}

TEST_F(WpsEndToEnd, BuiltInOfficeIgnoresRunningWpsByDefault) {
    // The built-in office runs in process, so a process named et.exe says nothing about it:
    // the default count is not asked and the paste stays direct, number formats and all.
    const auto configure = [](ConvertOptions& options) { options.justText = true; };
    const QJsonArray direct = convertAndRead(false, configure);
    ASSERT_EQ(convert(source, configure, std::function<int()>()).converted, 2);
    const QJsonArray byDefault{readBack(save + QStringLiteral("report.xlsx")),
                               readBack(save + QStringLiteral("form.xlsx"))};
    ASSERT_NE(withoutNumberFormats(direct), direct) << "the documents need number formats";
    EXPECT_EQ(byDefault, direct);
}

}  // namespace
