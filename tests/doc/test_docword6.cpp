// Word 6.0/95 documents: the real ones of the corpus read as LibreOffice reads them
// (tests/data/doc/legacy_text.json, made by scripts/fixtures/make_word6_fixtures.py; their
// tables are checked with the other corpus tables), and the parts the real files do not reach
// (fast-saved pieces, code pages, translated sprms) on bytes made here.

#include "office/word/doc/docfib.h"
#include "office/word/doc/docformatter.h"
#include "office/word/doc/docreader.h"
#include "office/word/doc/docword6sprms.h"
#include "office/word/doc/docword6text.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextCodec>

namespace {

/* The lines a plain-text export shows: paragraphs, then table cells row by row, each split
   at line feeds, trimmed, empty ones dropped. */
void appendLines(const std::vector<WordBlock>& blocks, QStringList* lines) {
    for (const WordBlock& block : blocks) {
        if (block.kind == WordBlock::Kind::Paragraph) {
            for (const QString& line : block.paragraph.text().split(QLatin1Char('\n'))) {
                if (!line.trimmed().isEmpty())
                    lines->append(line.trimmed());
            }
            continue;
        }
        for (const WordRow& row : block.table->rows) {
            for (const WordCell& cell : row.cells)
                appendLines(cell.blocks, lines);
        }
    }
}

}  // namespace

TEST(DocWord6, CorpusDocumentsReadAsLibreOfficeShowsThem) {
    QFile file(QStringLiteral("tests/data/doc/legacy_text.json"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QJsonObject expected = QJsonDocument::fromJson(file.readAll()).object();
    ASSERT_EQ(expected.size(), 3);
    for (auto it = expected.begin(); it != expected.end(); ++it) {
        const WordLoadResult result =
            DocReader::readFile(QStringLiteral("../shared/corpus/") + it.key());
        ASSERT_TRUE(result) << it.key().toStdString() << ": " << result.message.toStdString();
        QStringList got;
        appendLines(result.document->blocks, &got);
        QStringList want;
        for (const QJsonValue& line : it.value().toArray())
            want << line.toString();
        EXPECT_EQ(got.join(QLatin1Char('\n')).toStdString(),
                  want.join(QLatin1Char('\n')).toStdString())
            << it.key().toStdString();
    }
}
