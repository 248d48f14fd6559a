// The built-in Word on the shared corpus of real documents: which ones open, how many tables
// Word's Tables collection counts, and every cell's text compared with an independent
// extraction (tests/office/word/server/docx_oracle.py, zipfile + ElementTree under
// /usr/bin/python3).

#include "office/word/server/wordapplication.h"
#include "office/word/wordfileloader.h"

#include "automation/axobject.h"
#include "automation/serverregistry.h"
#include "office/clipboard/clipboard.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>

#include <map>
#include <memory>
#include <set>
#include <tuple>

namespace {

const QString kCorpus = QStringLiteral("../shared/corpus/");

// What the corpus notes say of one file.
struct Expectation {
    QString file;       // relative to the corpus
    bool opens = true;  // false: "expected to fail to open"
    bool known = true;  // false: the notes leave it open (a Word binary under another name)
    int tables = 0;     // Word's count: content-control wrapped tables included
};

/* Split one CSV line with quoted fields. */
QStringList csvFields(const QString& line) {
    QStringList fields;
    QString field;
    bool quoted = false;
    for (int i = 0; i < line.size(); ++i) {
        const QChar c = line.at(i);
        if (quoted) {
            if (c == QLatin1Char('"') && i + 1 < line.size() &&
                line.at(i + 1) == QLatin1Char('"')) {
                field += c;
                ++i;
            } else if (c == QLatin1Char('"')) {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == QLatin1Char('"')) {
            quoted = true;
        } else if (c == QLatin1Char(',')) {
            fields << field;
            field.clear();
        } else {
            field += c;
        }
    }
    fields << field;
    return fields;
}

/* The corpus files that are plain text under a Word name; they open as one paragraph a line. */
bool isPlainText(const QString& file) {
    return file == QLatin1String("malformed/notadoc.doc") ||
           file == QLatin1String("malformed/notadocx.docx");
}

/* The expectations for every .docx/.docm in expected_tables.csv. */
std::vector<Expectation> readExpectations() {
    std::vector<Expectation> expectations;
    QFile file(kCorpus + QStringLiteral("expected_tables.csv"));
    if (!file.open(QIODevice::ReadOnly)) {
        return expectations;
    }
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    const QRegularExpression wordCount(QStringLiteral(
        "Word-style top-level count incl\\. content-control wrapped tables = (\\d+)"));
    for (int i = 1; i < lines.size(); ++i) {
        const QStringList fields = csvFields(lines.at(i).trimmed());
        if (fields.size() < 3 ||
            !fields[0].contains(QRegularExpression(QStringLiteral("\\.doc[xm]$"),
                                                   QRegularExpression::CaseInsensitiveOption))) {
            continue;
        }
        Expectation e;
        e.file = fields[0];
        const QString& notes = fields[2];
        if (isPlainText(e.file)) {
            // The notes predate opening by content: Word opens a text file as text.
            e.opens = true;
        } else if (fields[1].isEmpty()) {
            e.opens = false;
            e.known = notes.contains(QStringLiteral("expected to fail to open"));
        } else {
            e.tables = fields[1].toInt();
            // The python-docx count leaves out tables inside block content controls; Word's
            // Tables collection counts them, and the notes give that count where it differs.
            const QRegularExpressionMatch match = wordCount.match(notes);
            if (match.hasMatch()) {
                e.tables = match.captured(1).toInt();
            }
        }
        expectations.push_back(e);
    }
    return expectations;
}

/* The Word ground truth of one document's tables, from the Python extraction. */
QJsonArray oracleTables(const QString& path, QString& error) {
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral("tests/office/word/server/docx_oracle.py"), path});
    if (!python.waitForFinished(120000) || python.exitCode() != 0) {
        error = QString::fromUtf8(python.readAllStandardError());
        return QJsonArray();
    }
    return QJsonDocument::fromJson(python.readAllStandardOutput())
        .object()
        .value(QStringLiteral("tables"))
        .toArray();
}

// A bound built-in Word.
class WordCorpusTest : public ::testing::Test {
protected:
    void SetUp() override {
        ServerRegistry::registerServer(QStringLiteral("Word.Application"), createWordApplication);
        ASSERT_TRUE(m_word.setControl(QStringLiteral("Word.Application")));
        m_word.writeProperty("DisplayAlerts", false);
    }

    AxObject m_word;
};

/* Compare one copied table with the extraction; the first difference fails the test. */
void expectSameTable(const Fragment& fragment, const QJsonObject& expected,
                     const std::string& where) {
    ASSERT_EQ(fragment.rowCount, expected.value(QStringLiteral("rows")).toInt()) << where;
    ASSERT_EQ(fragment.columnCount, expected.value(QStringLiteral("columns")).toInt()) << where;
    std::map<std::pair<int, int>, QString> texts;
    for (const QJsonValue& cell : expected.value(QStringLiteral("cells")).toArray()) {
        const QJsonArray a = cell.toArray();
        texts[{a.at(0).toInt(), a.at(1).toInt()}] = a.at(2).toString();
    }
    for (int r = 0; r < fragment.rowCount; ++r) {
        for (int c = 0; c < fragment.columnCount; ++c) {
            const auto it = texts.find({r, c});
            const QString want = it == texts.end() ? QString() : it->second;
            ASSERT_EQ(fragment.at(r, c).text.toStdString(), want.toStdString())
                << where << " mismatch at row " << r << ", column " << c;
        }
    }
    std::set<std::tuple<int, int, int, int>> merges;
    for (const QJsonValue& merge : expected.value(QStringLiteral("merges")).toArray()) {
        const QJsonArray a = merge.toArray();
        merges.insert({a.at(0).toInt(), a.at(1).toInt(), a.at(2).toInt(), a.at(3).toInt()});
    }
    std::set<std::tuple<int, int, int, int>> actual;
    for (const FragmentMerge& m : fragment.merges) {
        actual.insert({m.firstRow, m.firstColumn, m.lastRow, m.lastColumn});
    }
    EXPECT_EQ(actual, merges) << where << " merged areas differ";
}

}  // namespace

TEST_F(WordCorpusTest, EveryDocxInTheCorpusIsListed) {
    QSet<QString> listed;
    for (const Expectation& e : readExpectations()) {
        listed.insert(e.file);
    }
    ASSERT_FALSE(listed.isEmpty())
        << "expected_tables.csv not found under " << kCorpus.toStdString();
    QDirIterator it(kCorpus + QStringLiteral("docx"),
                    {QStringLiteral("*.docx"), QStringLiteral("*.docm")},
                    QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    int count = 0;
    while (it.hasNext()) {
        const QString relative = it.next().mid(kCorpus.size());
        EXPECT_TRUE(listed.contains(relative)) << relative.toStdString();
        ++count;
    }
    EXPECT_GE(count, 40);
}

TEST_F(WordCorpusTest, OpensOrCannotOpenAsTheNotesSayWithWordsTableCount) {
    const std::vector<Expectation> expectations = readExpectations();
    ASSERT_GE(expectations.size(), 50u);
    for (const Expectation& e : expectations) {
        const WordLoadResult result = WordFileLoader::load(kCorpus + e.file);
        if (!e.known) {
            // A Word 97-2003 file under a .docm name: read by content, never a crash.
            if (result) {
                EXPECT_EQ(result.document->topLevelTables().size(), 0u) << e.file.toStdString();
            }
            continue;
        }
        ASSERT_EQ(static_cast<bool>(result), e.opens)
            << e.file.toStdString() << ": " << result.message.toStdString();
        if (!result) {
            EXPECT_FALSE(result.message.isEmpty());
            continue;
        }
        AxObject* documents = m_word.querySubObject("Documents");
        ASSERT_NE(documents, nullptr);
        documents->dynamicCall("Open(const QString&)", kCorpus + e.file);
        AxObject* document = m_word.querySubObject("ActiveDocument");
        ASSERT_NE(document, nullptr) << e.file.toStdString();
        AxObject* tables = document->querySubObject("Tables");
        ASSERT_NE(tables, nullptr);
        EXPECT_EQ(tables->dynamicCall("Count()").toInt(), e.tables) << e.file.toStdString();
        document->dynamicCall("Close (Boolean)", false);
        delete documents;
        delete document;
    }
}

TEST_F(WordCorpusTest, EveryCellMatchesTheIndependentExtraction) {
    int compared = 0;
    for (const Expectation& e : readExpectations()) {
        if (!e.known || !e.opens || e.tables == 0) {
            continue;
        }
        const QString path = kCorpus + e.file;
        QString error;
        const QJsonArray expected = oracleTables(path, error);
        ASSERT_EQ(expected.size(), e.tables) << e.file.toStdString() << " " << error.toStdString();
        AxObject* documents = m_word.querySubObject("Documents");
        ASSERT_NE(documents, nullptr);
        documents->dynamicCall("Open(const QString&)", path);
        AxObject* document = m_word.querySubObject("ActiveDocument");
        ASSERT_NE(document, nullptr) << e.file.toStdString();
        AxObject* tables = document->querySubObject("Tables");
        AxObject* selection = m_word.querySubObject("Selection");
        ASSERT_NE(tables, nullptr);
        ASSERT_NE(selection, nullptr);
        for (int t = 1; t <= expected.size(); ++t) {
            AxObject* table = tables->querySubObject("Item(int)", t);
            ASSERT_NE(table, nullptr);
            table->dynamicCall("Select()");
            Clipboard::current().clear();
            selection->dynamicCall("Copy()");
            const Fragment* fragment = Clipboard::current().fragment();
            ASSERT_NE(fragment, nullptr);
            expectSameTable(*fragment, expected.at(t - 1).toObject(),
                            e.file.toStdString() + " table " + std::to_string(t));
            ++compared;
        }
        document->dynamicCall("Close (Boolean)", false);
        delete documents;
        delete document;
        delete selection;
    }
    EXPECT_GE(compared, 100);
}

TEST(WordCorpusMalformed, NoneCrashesTextOpensAsTextAndDamagedPackagesDoNotOpen) {
    QDirIterator it(kCorpus + QStringLiteral("malformed"), QDir::Files);
    int count = 0;
    while (it.hasNext()) {
        const QString path = it.next();
        const WordLoadResult result = WordFileLoader::load(path);
        ++count;
        const QString name = QFileInfo(path).fileName();
        if (name == QLatin1String("ExternalEntityInText.docx")) {
            ASSERT_TRUE(result) << result.message.toStdString();
            EXPECT_TRUE(result.document->blocks.at(0).paragraph.text().startsWith(
                QStringLiteral("Here should not be")));
        } else if (name == QLatin1String("notadocx.docx")) {
            ASSERT_TRUE(result) << result.message.toStdString();
            ASSERT_EQ(result.document->blocks.size(), 1u);
            EXPECT_EQ(result.document->blocks.at(0).paragraph.text(),
                      QStringLiteral("This is totally not a docx"));
        } else if (name.endsWith(QLatin1String(".docx"))) {
            EXPECT_FALSE(result) << name.toStdString();
            EXPECT_FALSE(result.message.isEmpty());
        }
    }
    EXPECT_GE(count, 10);
}

TEST(WordCorpusMalformed, EncryptedPackagesAreReportedAsEncrypted) {
    for (const char* name : {"bug53475-password-is-pass.docx", "ecma376standard_password.docx"}) {
        const WordLoadResult result =
            WordFileLoader::load(kCorpus + QStringLiteral("malformed/") + QLatin1String(name));
        EXPECT_EQ(result.status, WordLoadResult::Status::Encrypted) << name;
    }
}

namespace {

// One corpus document opened through the built-in Word, its tables copied one at a time.
class CorpusDocumentTest : public WordCorpusTest {
protected:
    /* Open `relative` (under the corpus); false when Word leaves no active document. */
    bool open(const QString& relative) {
        std::unique_ptr<AxObject> documents(m_word.querySubObject("Documents"));
        if (!documents) {
            return false;
        }
        documents->dynamicCall("Open(const QString&)", kCorpus + relative);
        m_document.reset(m_word.querySubObject("ActiveDocument"));
        return m_document != nullptr;
    }

    /* Select table `index` (from 1) and copy it; the clipboard's fragment, or null. */
    const Fragment* copyTable(int index) {
        std::unique_ptr<AxObject> tables(m_document->querySubObject("Tables"));
        std::unique_ptr<AxObject> table(tables ? tables->querySubObject("Item(int)", index)
                                               : nullptr);
        std::unique_ptr<AxObject> selection(m_word.querySubObject("Selection"));
        if (!table || !selection) {
            return nullptr;
        }
        table->dynamicCall("Select()");
        Clipboard::current().clear();
        selection->dynamicCall("Copy()");
        return Clipboard::current().fragment();
    }

    /* The copied rows as texts, row by row. */
    static std::vector<std::vector<std::string>> rowsOf(const Fragment& fragment) {
        std::vector<std::vector<std::string>> rows;
        for (int r = 0; r < fragment.rowCount; ++r) {
            rows.emplace_back();
            for (int c = 0; c < fragment.columnCount; ++c) {
                rows.back().push_back(fragment.at(r, c).text.toStdString());
            }
        }
        return rows;
    }

    void TearDown() override {
        if (m_document) {
            m_document->dynamicCall("Close (Boolean)", false);
        }
    }

    std::unique_ptr<AxObject> m_document;
};

using Rows = std::vector<std::vector<std::string>>;

// A cell longer than a spreadsheet cell holds still opens and copies whole: whether and how
// to cut it is the workbook's decision, not the reader's.
TEST_F(CorpusDocumentTest, LongCellTextOpensAndCopiesWhole) {
    ASSERT_TRUE(open(QStringLiteral("docx/tables/bug59058.docx")));
    const Fragment* fragment = copyTable(3);
    ASSERT_NE(fragment, nullptr);
    ASSERT_EQ(fragment->rowCount, 3);
    const QString& text = fragment->at(2, 0).text;
    EXPECT_EQ(text.size(), 46507);
    EXPECT_GT(text.size(), 32767);
    EXPECT_FALSE(text.endsWith(QLatin1Char('\n')));
}

// gridBefore and gridAfter leave empty grid columns; the row's own cells keep their places
// (a reader that fills the grid cell after cell shifts them into the next rows).
TEST_F(CorpusDocumentTest, GridBeforeAndAfterKeepCellsInTheirColumns) {
    ASSERT_TRUE(open(QStringLiteral("docx/tables/tbl-props.docx")));
    const Fragment* before = copyTable(8);
    ASSERT_NE(before, nullptr);
    EXPECT_EQ(
        rowsOf(*before),
        (Rows{{"a", "b", "c", "d"}, {"", "e", "f", "g"}, {"", "", "h", "i"}, {"", "", "", "j"}}));
    const Fragment* after = copyTable(9);
    ASSERT_NE(after, nullptr);
    EXPECT_EQ(rowsOf(*after),
              (Rows{{"a", "b", "c", "d"}, {"e", "f", "g", ""}, {"h", "i", "", ""}}));
}

TEST_F(CorpusDocumentTest, GridAfterOnEveryRowOfARealDocument) {
    ASSERT_TRUE(open(QStringLiteral("docx/tables/merged/stress015.docx")));
    const Fragment* fragment = copyTable(1);
    ASSERT_NE(fragment, nullptr);
    ASSERT_EQ(fragment->columnCount, 4);
    ASSERT_GE(fragment->rowCount, 3);
    EXPECT_EQ(fragment->at(1, 0).text, QString());
    EXPECT_TRUE(fragment->at(1, 1).text.startsWith(QStringLiteral("BEKRI")));
    EXPECT_TRUE(fragment->at(1, 2).text.startsWith(QStringLiteral("OUKIL HAMZA")));
    EXPECT_EQ(fragment->at(1, 3).text, QString());
    EXPECT_TRUE(fragment->at(2, 1).text.startsWith(QStringLiteral("CHACHAOUA")));
    EXPECT_EQ(fragment->at(2, 3).text, QString());
}

}  // namespace
