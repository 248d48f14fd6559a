// The RTF and text readers on generated fixtures (scripts/fixtures/make_rtf_fixtures.py):
// documents in GBK, Big5, Shift-JIS, Korean, Windows-1252, UTF-8 and UTF-16 give the lines
// Python's codecs wrote into them, and RTF that LibreOffice made from corpus .docx files gives,
// cell for cell, the .docx reader's text of the same documents.

#include "office/word/docx/docxreader.h"
#include "office/word/model/symbolfonts.h"
#include "office/word/rtf/rtfreader.h"
#include "office/word/text/plaintextreader.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <map>
#include <string>

namespace {

/* A JSON file of the fixtures as an object. */
QJsonObject readJson(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    return QJsonDocument::fromJson(file.readAll()).object();
}

/* A document as lines: a paragraph's text, or a table row's cell texts joined by tabs. */
QStringList documentLines(const WordDocument& document) {
    QStringList lines;
    for (const WordBlock& block : document.blocks) {
        if (block.kind == WordBlock::Kind::Paragraph) {
            lines << block.paragraph.text();
            continue;
        }
        for (const WordRow& row : block.table->rows) {
            QStringList cells;
            for (const WordCell& cell : row.cells) {
                cells << cell.text();
            }
            lines << cells.join(QLatin1Char('\t'));
        }
    }
    return lines;
}

/* The expected lines of one fixture. */
QStringList expectedLines(const QJsonObject& expected, const QString& name) {
    QStringList lines;
    for (const QJsonValue& line : expected.value(name).toArray()) {
        lines << line.toString();
    }
    return lines;
}

}  // namespace

TEST(RtfFixtures, EncodedDocumentsGiveTheirText) {
    const QString folder = QStringLiteral("tests/data/rtf/encodings/");
    const QJsonObject expected = readJson(folder + QStringLiteral("expected.json"));
    ASSERT_GE(expected.size(), 6);
    for (const QString& name : expected.keys()) {
        const WordLoadResult result = RtfReader::readFile(folder + name);
        ASSERT_TRUE(result) << name.toStdString() << ": " << result.message.toStdString();
        EXPECT_EQ(documentLines(*result.document), expectedLines(expected, name))
            << name.toStdString();
    }
}

TEST(TextFixtures, EncodedTextGivesItsLines) {
    const QString folder = QStringLiteral("tests/data/text/");
    const QJsonObject expected = readJson(folder + QStringLiteral("expected.json"));
    ASSERT_GE(expected.size(), 6);
    for (const QString& name : expected.keys()) {
        const WordLoadResult result = PlainTextReader::readFile(folder + name);
        ASSERT_TRUE(result) << name.toStdString() << ": " << result.message.toStdString();
        EXPECT_EQ(documentLines(*result.document), expectedLines(expected, name))
            << name.toStdString();
    }
}

namespace {

/* A row's non-empty cell texts by the grid column each cell starts in. The comparison is by
   grid place because LibreOffice writes the empty grid columns before and after a row
   (gridBefore, gridAfter) as empty cells, and an empty cell after a nested table; texts are
   trimmed because it writes a space before a footnote mark. LibreOffice's RTF keeps no check
   box state, so a ticked box compares as an empty one. */
std::map<int, std::string> placedTexts(const WordRow& row) {
    std::map<int, std::string> texts;
    int column = row.gridBefore;
    for (const WordCell& cell : row.cells) {
        const QString text = cell.text().trimmed().replace(QChar(SymbolFonts::kTicked),
                                                           QChar(SymbolFonts::kUnticked));
        if (!text.isEmpty()) {
            texts[column] = text.toStdString();
        }
        column += cell.gridSpan;
    }
    return texts;
}

/* Compare the top-level tables of two documents row by row; the first difference fails. */
void expectSameTables(const WordDocument& rtf, const WordDocument& docx, const std::string& name) {
    const auto rtfTables = rtf.topLevelTables();
    const auto docxTables = docx.topLevelTables();
    ASSERT_EQ(rtfTables.size(), docxTables.size()) << name;
    for (size_t t = 0; t < rtfTables.size(); ++t) {
        const auto& want = docxTables[t]->rows;
        const auto& got = rtfTables[t]->rows;
        ASSERT_EQ(got.size(), want.size()) << name << " table " << t;
        for (size_t r = 0; r < want.size(); ++r) {
            ASSERT_EQ(placedTexts(got[r]), placedTexts(want[r]))
                << name << " table " << t << " row " << r;
        }
    }
}

}  // namespace

TEST(RtfFixtures, LibreOfficeRtfMatchesTheDocxReaderCellForCell) {
    const QString folder = QStringLiteral("tests/data/rtf/libreoffice/");
    const QJsonObject sources = readJson(folder + QStringLiteral("sources.json"));
    ASSERT_GE(sources.size(), 10);
    for (const QString& name : sources.keys()) {
        const WordLoadResult rtf = RtfReader::readFile(folder + name);
        ASSERT_TRUE(rtf) << name.toStdString() << ": " << rtf.message.toStdString();
        const WordLoadResult docx = DocxReader::readFile(QStringLiteral("../shared/corpus/") +
                                                         sources.value(name).toString());
        ASSERT_TRUE(docx) << name.toStdString();
        expectSameTables(*rtf.document, *docx.document, name.toStdString());
    }
}
