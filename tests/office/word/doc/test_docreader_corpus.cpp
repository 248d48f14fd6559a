// The .doc reader on the shared corpus: which documents open, and for table-bearing ones the
// tables LibreOffice shows after converting the same file to .docx (tests/data/doc/
// corpus_tables.json, made by scripts/fixtures/make_doc_fixtures.py).

#include "office/word/doc/docreader.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

namespace {

const QString kCorpus = QStringLiteral("../shared/corpus/");
using Status = WordLoadResult::Status;

struct OpenCase {
    const char* file;
    bool opens;
    Status status;  // when it does not open
};

/* One row as text: its cells' text joined. Empty cells at the end are dropped: LibreOffice
   fills a row that ends short of the table's right edge with an empty cell where the reader
   keeps an empty grid column (gridAfter). */
QString rowText(QStringList cells) {
    while (!cells.isEmpty() && cells.last().isEmpty()) {
        cells.removeLast();
    }
    return cells.join(QStringLiteral(" | "));
}

/* A row's text without its empty cells. */
QString nonEmptyCells(const QString& row) {
    QStringList cells = row.split(QStringLiteral(" | "));
    cells.removeAll(QString());
    return cells.join(QStringLiteral(" | "));
}

/* Rows of all top-level tables of a document, each as its cells' text. */
QStringList flattenRows(const std::vector<std::shared_ptr<WordTable>>& tables) {
    QStringList rows;
    for (const auto& table : tables) {
        for (const WordRow& row : table->rows) {
            QStringList cells;
            for (const WordCell& cell : row.cells) {
                cells << cell.text();
            }
            rows << rowText(cells);
        }
    }
    return rows;
}

/* The same rows from the expected JSON tables. */
QStringList flattenRows(const QJsonArray& tables) {
    QStringList rows;
    for (const QJsonValue& table : tables) {
        for (const QJsonValue& row : table.toArray()) {
            QStringList cells;
            for (const QJsonValue& cell : row.toArray()) {
                cells << cell.toString();
            }
            rows << rowText(cells);
        }
    }
    return rows;
}

/* The expected tables of every table-bearing corpus .doc. */
QJsonObject expectedTables() {
    QFile file(QStringLiteral("tests/data/doc/corpus_tables.json"));
    if (!file.open(QIODevice::ReadOnly)) {
        return QJsonObject();
    }
    return QJsonDocument::fromJson(file.readAll()).object();
}

}  // namespace

class DocCorpusOpen : public ::testing::TestWithParam<OpenCase> {};

TEST_P(DocCorpusOpen, OpensOrCannotOpenAsTheNotesSay) {
    const OpenCase& c = GetParam();
    const WordLoadResult result = DocReader::readFile(kCorpus + QString::fromUtf8(c.file));
    EXPECT_EQ(static_cast<bool>(result), c.opens) << c.file << ": " << result.message.toStdString();
    if (!c.opens) {
        EXPECT_EQ(result.status, c.status) << c.file;
    } else {
        ASSERT_NE(result.document, nullptr) << c.file;
        EXPECT_FALSE(result.document->blocks.empty()) << c.file;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Corpus, DocCorpusOpen,
    ::testing::Values(
        OpenCase{"doc/Bug45473.doc", true, Status::Ok}, OpenCase{"doc/Lists.doc", true, Status::Ok},
        OpenCase{"doc/empty.doc", true, Status::Ok}, OpenCase{"doc/equation.doc", true, Status::Ok},
        OpenCase{"doc/footnote.doc", true, Status::Ok}, OpenCase{"doc/ob_is.doc", true, Status::Ok},
        OpenCase{"doc/testPictures.doc", true, Status::Ok},
        OpenCase{"doc/legacy/Word95.doc", true, Status::Ok},
        OpenCase{"doc/legacy/52117.doc", true, Status::Ok},
        OpenCase{"doc/legacy/Bug49933.doc", true, Status::Ok},
        OpenCase{"names/cn.orthodox.www_divenbog_APRIL_30-APRIL.DOC", true, Status::Ok},
        OpenCase{"malformed/PasswordProtected.doc", false, Status::Encrypted},
        OpenCase{"malformed/password_password_cryptoapi.doc", false, Status::Encrypted},
        OpenCase{"malformed/bug53475-password-is-pass.docx", false, Status::Encrypted},
        OpenCase{"malformed/word2.doc", false, Status::WrongFormat},
        OpenCase{"malformed/notadoc.doc", false, Status::WrongFormat},
        OpenCase{"malformed/notadocx.docx", false, Status::WrongFormat},
        OpenCase{"malformed/truncated62886.docx", false, Status::WrongFormat},
        OpenCase{"malformed/Fuzzed.doc", true, Status::Ok},
        // Its table stream's directory entry is a storage, not a stream.
        OpenCase{"malformed/clusterfuzz-testcase-minimized-POIHWPFFuzzer-5418937293340672.doc",
                 false, Status::Malformed},
        OpenCase{"malformed/cpansearch.perl.org_src_tobyink_acme-rundoc-0.001_"
                 "word-lib_hello_world.docm",
                 true, Status::Ok}));

TEST(DocCorpus, NoFileCrashesAndEveryFailureSaysWhy) {
    int opened = 0;
    int failed = 0;
    QDirIterator it(kCorpus, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const WordLoadResult result = DocReader::readFile(path);
        if (result) {
            ++opened;
        } else {
            ++failed;
            EXPECT_FALSE(result.message.isEmpty()) << path.toStdString();
            EXPECT_EQ(result.document, nullptr);
        }
    }
    EXPECT_GE(opened, 30);
    EXPECT_GE(failed, 40);  // every .docx is "not a Word binary" for this reader
}

TEST(DocCorpus, TablesMatchLibreOffice) {
    const QJsonObject expected = expectedTables();
    ASSERT_GE(expected.size(), 20) << "tests/data/doc/corpus_tables.json missing or short";
    // Where LibreOffice cuts one Word table into several (rows of differing positions), the
    // rows still match in order; the count is checked for the other documents.
    const QStringList splitByLibreOffice = {QStringLiteral("doc/tables/ProblemExtracting.doc")};
    // LibreOffice keeps the horizontally merged cells of Word 6.0/95 tables as empty cells of
    // their own where the reader merges them: the non-empty cells are compared.
    const QStringList unmergedByLibreOffice = {QStringLiteral("doc/legacy/Bug49933.doc")};
    const QStringList withCheckBoxes = {QStringLiteral(
        "doc/tables/"
        "au.edu.utas.www___data_assets_word_doc_0003_154335_International-Travel-Approval-Request-"
        "Form.doc")};
    int compared = 0;
    for (auto it = expected.begin(); it != expected.end(); ++it) {
        const WordLoadResult result = DocReader::readFile(kCorpus + it.key());
        ASSERT_TRUE(result) << it.key().toStdString();
        const auto tables = result.document->topLevelTables();
        const QJsonArray want = it.value().toArray();
        if (!splitByLibreOffice.contains(it.key())) {
            EXPECT_EQ(static_cast<int>(tables.size()), want.size()) << it.key().toStdString();
        }
        QStringList got = flattenRows(tables);
        if (withCheckBoxes.contains(it.key())) {
            // LibreOffice's text drops legacy check boxes; the reader shows them as Word does.
            got.replaceInStrings(QRegularExpression(QStringLiteral("[\u2610\u2611]")), QString());
        }
        QStringList wanted = flattenRows(want);
        if (unmergedByLibreOffice.contains(it.key())) {
            for (QString& row : got) {
                row = nonEmptyCells(row);
            }
            for (QString& row : wanted) {
                row = nonEmptyCells(row);
            }
        }
        EXPECT_EQ(got.size(), wanted.size()) << it.key().toStdString();
        for (int i = 0; i < qMin(got.size(), wanted.size()); ++i) {
            EXPECT_EQ(got[i].toStdString(), wanted[i].toStdString())
                << it.key().toStdString() << " row " << i;
            if (got[i] != wanted[i]) {
                break;  // report the first mismatch per document
            }
        }
        ++compared;
    }
    EXPECT_EQ(compared, expected.size());
}
