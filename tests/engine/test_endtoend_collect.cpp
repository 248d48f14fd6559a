#include "tests/engine/endtoendfixture.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>

namespace {

// Collect mode over 30 filled copies of a generated form (collect_forms.py makes them and
// checks the workbook with openpyxl), learnt from the blank form or from the copies alone.
struct CollectCase {
    const char* name;
    bool withForm;
    int jobs;  // more than 1: the documents are read on that many threads
};

class CollectEndToEnd : public EndToEndFixture, public ::testing::WithParamInterface<CollectCase> {
protected:
    /* The copies with their blank form under the temporary folder. */
    QString makeForms() {
        const QString folder = temp.path() + QStringLiteral("/forms");
        python({QStringLiteral(SW_SOURCE_DIR "/tests/engine/collect_forms.py"),
                QStringLiteral("make"), folder, QStringLiteral("30"), QStringLiteral("7")});
        return folder;
    }
};

TEST_P(CollectEndToEnd, EveryCopyGivesItsValuesInItsLabelsColumns) {
    const QString folder = makeForms();
    RunReport result = convert(folder + QStringLiteral("/copies"), [&](ConvertOptions& o) {
        o.collect = true;
        o.formPath = GetParam().withForm ? folder + QStringLiteral("/form.docx") : QString();
    });
    if (GetParam().jobs > 1) {
        // The same run again on threads, into a destination of its own.
        QDir(save).removeRecursively();
        QDir().mkpath(save);
        MergeObject job;
        job.setReportViewer(MergeObject::ReportViewer());
        job.setJobs(GetParam().jobs);
        job.Transform();
        result = job.lastRun();
    }
    // The damaged copy is in the report and has no row; the owner file is not looked at.
    EXPECT_EQ(result.converted, 31);
    EXPECT_EQ(result.failedPaths.size(), 1);
    EXPECT_TRUE(result.failedPaths.value(0).endsWith(QStringLiteral("zz-damaged.docx")));
    const QJsonObject check =
        QJsonDocument::fromJson(
            python({QStringLiteral(SW_SOURCE_DIR "/tests/engine/collect_forms.py"),
                    QStringLiteral("check"), folder, save + QStringLiteral("汇总.xlsx")}))
            .object();
    EXPECT_EQ(check.value(QStringLiteral("problems")).toArray(), QJsonArray())
        << QJsonDocument(check.value(QStringLiteral("problems")).toArray()).toJson().toStdString();
    const QJsonArray documents = check.value(QStringLiteral("documents")).toArray();
    EXPECT_EQ(documents.size(), 31);
    EXPECT_FALSE(documents.contains(QStringLiteral("zz-damaged.docx")));
    EXPECT_EQ(check.value(QStringLiteral("frozen")).toString(), QStringLiteral("A2"));
    EXPECT_TRUE(check.value(QStringLiteral("filter")).toString().startsWith(QStringLiteral("A1:")));
    // Fitted: an 18-digit identity number shows whole.
    EXPECT_GE(check.value(QStringLiteral("idWidth")).toDouble(), 18.0);
    // Only the copy of another form is named in the check sheet, with its layout.
    const QJsonArray notes = check.value(QStringLiteral("notes")).toArray();
    ASSERT_FALSE(notes.isEmpty());
    for (const QJsonValue& note : notes) {
        EXPECT_EQ(note.toArray().at(0).toString(), QStringLiteral("zz-other.docx"));
    }
    EXPECT_TRUE(notes.at(0).toArray().at(1).toString().contains(QStringLiteral("版式与表单不同")));
}

INSTANTIATE_TEST_SUITE_P(FormOrCopies, CollectEndToEnd,
                         ::testing::Values(CollectCase{"WithBlankForm", true, 1},
                                           CollectCase{"FromCopiesAlone", false, 1},
                                           CollectCase{"OnTwoThreads", true, 2}),
                         [](const ::testing::TestParamInfo<CollectCase>& row) {
                             return std::string(row.param.name);
                         });

}  // namespace
