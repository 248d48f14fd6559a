// Hostile documents in a batch: each one fails alone, with its reason, and the documents after
// it still convert; nothing that lost content counts as converted.

#include "tests/engine/endtoendfixture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

// Allocations left before the next one fails; negative: no failure armed.
std::atomic<long> allocationsLeft{-1};
std::atomic<bool> allocationFailed{false};

}  // namespace

/* Allocate, failing once when the armed count runs out. */
void* operator new(std::size_t size) {
    if (allocationsLeft.load() >= 0 && allocationsLeft.fetch_sub(1) == 0) {
        allocationFailed = true;
        throw std::bad_alloc();
    }
    if (void* block = std::malloc(size == 0 ? 1 : size)) {
        return block;
    }
    throw std::bad_alloc();
}

/* Array allocations go the same way. */
void* operator new[](std::size_t size) {
    return operator new(size);
}

/* The non-throwing forms (temporary buffers of std::stable_sort use them) must come from the
   same heap as the replaced release. */
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return operator new(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

/* Non-throwing array allocations. */
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return operator new(size, std::nothrow);
}

/* Release a block of operator new. */
void operator delete(void* block) noexcept {
    std::free(block);
}

/* Release an array block. */
void operator delete[](void* block) noexcept {
    std::free(block);
}

/* Sized release. */
void operator delete(void* block, std::size_t) noexcept {
    std::free(block);
}

/* Sized array release. */
void operator delete[](void* block, std::size_t) noexcept {
    std::free(block);
}

namespace {

// Runs with documents written by Python's zipfile, their XML made by an expression.
class HostileBatch : public EndToEndFixture {
protected:
    static bool writeRawDocx(const QString& path, const QString& body);
};

/* Write a .docx whose body is the value of the Python expression `body`. */
bool HostileBatch::writeRawDocx(const QString& path, const QString& body) {
    const QString program = QStringLiteral(
        "import sys, zipfile\n"
        "ct = '<?xml version=\"1.0\"?><Types "
        "xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\"><Default "
        "Extension=\"rels\" "
        "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/><Default "
        "Extension=\"xml\" ContentType=\"application/xml\"/><Override PartName=\"/word/"
        "document.xml\" ContentType=\"application/"
        "vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml\"/></Types>'\n"
        "rels = '<?xml version=\"1.0\"?><Relationships "
        "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\"><Relationship "
        "Id=\"r1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
        "officeDocument\" Target=\"word/document.xml\"/></Relationships>'\n"
        "doc = '<?xml version=\"1.0\"?><w:document "
        "xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\"><w:body>' + "
        "eval(sys.argv[2]) + '</w:body></w:document>'\n"
        "with zipfile.ZipFile(sys.argv[1], 'w', zipfile.ZIP_DEFLATED) as z:\n"
        "    z.writestr('[Content_Types].xml', ct)\n"
        "    z.writestr('_rels/.rels', rels)\n"
        "    z.writestr('word/document.xml', doc)\n");
    QDir().mkpath(QFileInfo(path).path());
    python({QStringLiteral("-c"), program, path, body});
    return QFileInfo::exists(path);
}

/* The Python expression of one paragraph of text. */
QString paragraph(const QString& text) {
    return QStringLiteral("'<w:p><w:r><w:t>%1</w:t></w:r></w:p>'").arg(text);
}

struct AllocationCase {
    const char* name;
    long failAfter;  // allocations of the document that succeed before one fails
};

class AllocationFailure : public HostileBatch,
                          public ::testing::WithParamInterface<AllocationCase> {};

TEST_P(AllocationFailure, FailsThatDocumentWithItsReasonAndTheNextConverts) {
    const QString source = temp.path() + QStringLiteral("/src");
    ASSERT_TRUE(writeRawDocx(source + QStringLiteral("/a.docx"),
                             paragraph(QStringLiteral("first")) + QStringLiteral(" * 2000")));
    ASSERT_TRUE(
        writeRawDocx(source + QStringLiteral("/b.docx"), paragraph(QStringLiteral("next"))));
    ConvertOptions options;
    options.sourcePath = QDir::toNativeSeparators(source + QLatin1Char('/'));
    options.savePath = save;
    options.failureReportPath =
        QDir::toNativeSeparators(temp.path() + QStringLiteral("/report.txt"));
    convertOptions() = options;
    MergeObject job;
    job.setReportViewer(MergeObject::ReportViewer());
    job.setWpsProcessCounter([] { return 0; });
    allocationFailed = false;
    QObject::connect(&job, &MergeObject::documentStarted, [](int, int, const QString& path) {
        if (path.endsWith(QLatin1String("a.docx"))) {
            allocationsLeft = GetParam().failAfter;
        }
    });
    QObject::connect(&job, &MergeObject::documentFinished, [](int, int) { allocationsLeft = -1; });
    job.Transform();
    allocationsLeft = -1;
    ASSERT_TRUE(allocationFailed.load());
    const RunReport result = job.lastRun();
    EXPECT_EQ(result.candidates, 2);
    EXPECT_EQ(result.converted, 1);
    EXPECT_EQ(result.failed, 1);
    const QStringList reasons = result.unopened + result.unsaved;
    ASSERT_EQ(reasons.size(), 1);
    EXPECT_TRUE(reasons.first().endsWith(QStringLiteral("a.docx: out of memory")))
        << reasons.first().toStdString();
    EXPECT_FALSE(QFile::exists(save + QStringLiteral("a.xlsx")));
    QFile report(options.failureReportPath);
    ASSERT_TRUE(report.open(QIODevice::ReadOnly));
    EXPECT_TRUE(QString::fromLocal8Bit(report.readAll()).contains(QStringLiteral("a.docx")));
    const QJsonObject book = readBack(save + QStringLiteral("b.xlsx"));
    EXPECT_EQ(cell(book, 0, QStringLiteral("A1")).value(QStringLiteral("value")).toString(),
              QStringLiteral("next"));
}

INSTANTIATE_TEST_SUITE_P(Hostile, AllocationFailure,
                         ::testing::Values(AllocationCase{"AtTheFirstAllocation", 0},
                                           AllocationCase{"WhileReading", 200},
                                           AllocationCase{"LaterStill", 3000}),
                         [](const ::testing::TestParamInfo<AllocationCase>& row) {
                             return std::string(row.param.name);
                         });

struct LostContentCase {
    const char* name;
    bool tables;
};

class LostContent : public HostileBatch, public ::testing::WithParamInterface<LostContentCase> {};

TEST_P(LostContent, ATableTooWideToCopyFailsTheDocumentAndSavesNothing) {
    const QString source = temp.path() + QStringLiteral("/src");
    // 257 rows of one cell spanning 16,384 columns: more cells than a copy may hold.
    const QString wide = QStringLiteral(
        "'<w:tbl><w:tblGrid>' + '<w:gridCol w:w=\"10\"/>' * 16384 + '</w:tblGrid>' + "
        "'<w:tr><w:tc><w:tcPr><w:gridSpan w:val=\"16384\"/></w:tcPr><w:p><w:r><w:t>x</w:t>"
        "</w:r></w:p></w:tc></w:tr>' * 257 + '</w:tbl>'");
    ASSERT_TRUE(writeRawDocx(source + QStringLiteral("/wide.docx"), wide));
    ASSERT_TRUE(writeRawDocx(source + QStringLiteral("/z.docx"), paragraph(QStringLiteral("z"))));
    const bool tables = GetParam().tables;
    const RunReport result =
        convert(source, [tables](ConvertOptions& options) { options.justTable = tables; });
    EXPECT_EQ(result.converted, 1);
    EXPECT_EQ(result.failed, 1);
    ASSERT_EQ(result.unsaved.size(), 1);
    EXPECT_TRUE(result.unsaved.first().contains(QStringLiteral("wide.docx: content lost")))
        << result.unsaved.first().toStdString();
    EXPECT_FALSE(QFile::exists(save + QStringLiteral("wide.xlsx")));
    EXPECT_TRUE(QFile::exists(save + QStringLiteral("z.xlsx")));
}

INSTANTIATE_TEST_SUITE_P(Hostile, LostContent,
                         ::testing::Values(LostContentCase{"WholeDocument", false},
                                           LostContentCase{"Tables", true}),
                         [](const ::testing::TestParamInfo<LostContentCase>& row) {
                             return std::string(row.param.name);
                         });

TEST_F(HostileBatch, ReadOnlyEarlierOutputsAndFoldersOfTheOutputsNameAreLeftAlone) {
    const QString source = temp.path() + QStringLiteral("/src");
    for (const char* name : {"kept", "folder", "fresh"}) {
        ASSERT_TRUE(
            writeRawDocx(source + QLatin1Char('/') + QLatin1String(name) + QStringLiteral(".docx"),
                         paragraph(QLatin1String(name))));
    }
    QFile kept(save + QStringLiteral("kept.xlsx"));
    ASSERT_TRUE(kept.open(QIODevice::WriteOnly));
    kept.write("earlier");
    kept.close();
    ASSERT_TRUE(kept.setPermissions(QFileDevice::ReadOwner | QFileDevice::ReadOther));
    ASSERT_TRUE(QDir().mkpath(save + QStringLiteral("folder.xlsx/inside")));
    const RunReport result = convert(source);
    EXPECT_EQ(result.converted, 1);
    EXPECT_EQ(result.failed, 2);
    const QStringList expected = {
        QDir::toNativeSeparators(source + QStringLiteral("/folder.docx")) +
            QStringLiteral(": a folder has the workbook's name"),
        QDir::toNativeSeparators(source + QStringLiteral("/kept.docx")) +
            QStringLiteral(": the earlier workbook is read-only")};
    EXPECT_EQ(result.unsaved, expected);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), QByteArray("earlier"));
    EXPECT_FALSE(kept.permissions() & QFileDevice::WriteOwner);
    EXPECT_TRUE(QFileInfo(save + QStringLiteral("folder.xlsx/inside")).isDir());
    EXPECT_FALSE(QFileInfo::exists(save + QStringLiteral("folder.xlsx.previous")));
    EXPECT_EQ(cell(readBack(save + QStringLiteral("fresh.xlsx")), 0, QStringLiteral("A1"))
                  .value(QStringLiteral("value"))
                  .toString(),
              QStringLiteral("fresh"));
}

}  // namespace
