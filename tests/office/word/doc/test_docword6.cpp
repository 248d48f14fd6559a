// Word 6.0/95 documents: the real ones of the corpus read as LibreOffice reads them
// (tests/data/doc/legacy_text.json, made by scripts/fixtures/make_word6_fixtures.py; their
// tables are checked with the other corpus tables), and the parts the real files do not reach
// (fast-saved pieces, code pages, translated sprms) on bytes made here.

#include "office/word/doc/docfib.h"
#include "office/word/doc/docformatter.h"
#include "office/word/doc/docreader.h"
#include "office/word/doc/docstorage.h"
#include "office/word/doc/docword6sprms.h"
#include "office/word/doc/docword6text.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QTextCodec>

namespace {

/* The lines a plain-text export shows: paragraphs, then table cells row by row, each split
   at line feeds, trimmed, empty ones dropped. */
void appendLines(const std::vector<WordBlock>& blocks, QStringList& lines) {
    for (const WordBlock& block : blocks) {
        if (block.kind == WordBlock::Kind::Paragraph) {
            for (const QString& line : block.paragraph.text().split(QLatin1Char('\n'))) {
                if (!line.trimmed().isEmpty()) {
                    lines.append(line.trimmed());
                }
            }
            continue;
        }
        for (const WordRow& row : block.table->rows) {
            for (const WordCell& cell : row.cells) {
                appendLines(cell.blocks, lines);
            }
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
        appendLines(result.document->blocks, got);
        QStringList want;
        for (const QJsonValue& line : it.value().toArray()) {
            want << line.toString();
        }
        EXPECT_EQ(got.join(QLatin1Char('\n')).toStdString(),
                  want.join(QLatin1Char('\n')).toStdString())
            << it.key().toStdString();
    }
}

namespace {

/* Bytes from a list of byte values. */
QByteArray bytes(std::initializer_list<int> values) {
    QByteArray out;
    for (int value : values) {
        out.append(static_cast<char>(value));
    }
    return out;
}

}  // namespace

TEST(DocWord6, SprmsBecomeTheWord97FormatsTheReaderUses) {
    // Paragraph: style 3, centred, in a table, row end; an unknown variable-size sprm between.
    const QByteArray para = bytes({2, 3, 0, 5, 1, 24, 1, 12, 2, 0xAA, 0xBB, 25, 1});
    StoryParaFormat format;
    DocFormatter::applyPara(DocBytes(DocWord6Sprms::toWord97(DocBytes(para))), DocBytes(), format);
    EXPECT_EQ(format.istd, 3);
    EXPECT_EQ(format.justification, 1);
    EXPECT_TRUE(format.inTable);
    EXPECT_TRUE(format.tableRowEnd);
    // Character: bold, 14 pt, font 2, red; a truncated last sprm (hps without its operand).
    const QByteArray chars = bytes({85, 1, 99, 28, 0, 93, 2, 0, 98, 6, 99, 1});
    StoryCharFormat run;
    DocFormatter::applyChar(DocBytes(DocWord6Sprms::toWord97(DocBytes(chars))), run, run);
    EXPECT_TRUE(run.bold);
    EXPECT_EQ(run.halfPoints, 28);
    EXPECT_EQ(run.fontAscii, 2);
    EXPECT_EQ(run.color, 0xFF0000u);
    EXPECT_EQ(DocWord6Sprms::fontOf(DocBytes(chars)), 2);
}

TEST(DocWord6, RowDefinitionKeepsCellsMergesAndBorders) {
    // sprmTDefTable: cb (the rest plus one), three cells, boundaries, two TCs (the third is
    // left out, as Word 6 does for trailing default cells): the first starts a merge, the
    // second is merged, its top border single 1.5 pt (width 2 of 0.75 pt, type 1, ico 6).
    QByteArray def = bytes({190, 0, 0, 3, 0, 0, 0xE8, 3, 0xD0, 7, 0xB8, 0x0B});
    def += bytes({1, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    const int brc = 2 | (1 << 3) | (6 << 6);
    def += bytes({2, 0, brc & 0xFF, brc >> 8, 0, 0, 0, 0, 0, 0});
    def[1] = static_cast<char>(def.size() - 3 + 1);
    def += bytes({189, 0x2C, 0x01});  // row height 300 twips follows the definition
    // Shading: 25% black on white, clear on automatic, solid red.
    def += bytes({191, 6, 0x00, 0x15, 0x00, 0x00, 0x06, 0x04});
    StoryRowFormat row;
    DocFormatter::applyRow(DocBytes(DocWord6Sprms::toWord97(DocBytes(def))), DocBytes(), row);
    ASSERT_TRUE(row.defined);
    EXPECT_EQ(row.boundaries, (std::vector<int>{0, 1000, 2000, 3000}));
    ASSERT_EQ(row.cells.size(), 3);
    EXPECT_EQ(row.cells[0].horizontalMerge, 1);
    EXPECT_EQ(row.cells[1].horizontalMerge, 2);
    EXPECT_EQ(row.cells[2].horizontalMerge, 0);
    EXPECT_TRUE(row.cells[1].top.visible());
    EXPECT_EQ(row.cells[1].top.eighths, 12);
    EXPECT_EQ(row.cells[1].top.color, 0xFF0000u);
    EXPECT_FALSE(row.cells[0].top.visible());
    EXPECT_EQ(row.heightTwips, 300);
    EXPECT_EQ(row.cells[0].shading, 0xBFBFBFu);
    EXPECT_FALSE(row.cells[1].hasShading);
    EXPECT_EQ(row.cells[2].shading, 0xFF0000u);
}

TEST(DocWord6, TextTakesTheCodePageOfItsFontOrLanguage) {
    struct Case {
        int charset;
        quint16 lid;
        QByteArray text;
        QString decoded;  // one unit per byte: a double-byte character leaves a zero
    };
    const Case cases[] = {
        {204, 0x0409, bytes({0xC0, 0xFF}), QStringLiteral("Ая")},  // Cyrillic font
        {0, 0x0409, bytes({0x80, 0x41}), QStringLiteral("€A")},    // Western ANSI
        {0, 0x0419, bytes({0xC0}), QStringLiteral("А")},           // Russian language
        {-1, 0x0804, bytes({0xD6, 0xD0, 0x41, 0xCE, 0xC4}),        // Chinese (GBK)
         QStringLiteral("中") + QChar(0) + QStringLiteral("A文") + QChar(0)},
        {136, 0x0409, bytes({0xA4, 0xA4}), QStringLiteral("中") + QChar(0)},  // Big5 font
        {-1, 0x0412, bytes({0xB0, 0xA1}), QStringLiteral("가") + QChar(0)},   // Korean
        {128, 0x0409, bytes({0x82, 0xA0}), QStringLiteral("あ") + QChar(0)},  // Japanese font
        {0, 0x041E, bytes({0xA1}), QStringLiteral("ก")},                      // Thai
    };
    for (const Case& c : cases) {
        QByteArray decoded(c.text.size() * 2, '\x7F');
        DocWord6Text::decode(DocBytes(c.text), 0, static_cast<quint32>(c.text.size()),
                             DocWord6Text::codecFor(c.charset, c.lid, 0), decoded);
        const QString got(reinterpret_cast<const QChar*>(decoded.constData()), c.text.size());
        EXPECT_EQ(got, c.decoded) << c.charset << " " << c.lid;
    }
}

namespace {

/* Write a little-endian value into a stream being built. */
void put(QByteArray& stream, int at, quint32 value, int size) {
    for (int i = 0; i < size; ++i) {
        stream[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    }
}

/* A fast-saved Word 95 stream: "World\r" stored before "Hello ", the pieces putting them back
   in order, the second piece bold through a one-sprm property modifier. */
QByteArray fastSavedStream() {
    QByteArray stream(0x500, '\0');
    put(stream, 0, 0xA5DC, 2);
    put(stream, 2, 104, 2);
    put(stream, 0x0A, 0x0004, 2);  // fComplex
    put(stream, 0x34, 12, 4);      // ccpText
    stream.replace(0x400, 12, "World\rHello ");
    const QByteArray clx = bytes({2, 28, 0, 0, 0, 0, 0,       0, 0, 6, 0, 0, 0, 12, 0, 0, 0,  // CPs
                                  0, 0,  6, 4, 0, 0, 0,       0,    // Hello
                                  0, 0,  0, 4, 0, 0, 85 << 1, 1});  // World, sprmCFBold 1
    stream.replace(0x300, clx.size(), clx);
    put(stream, 0x160, 0x300, 4);
    put(stream, 0x164, static_cast<quint32>(clx.size()), 4);
    return stream;
}

}  // namespace

TEST(DocWord6, FastSavedPiecesAndDamagedHeaders) {
    const QByteArray stream = fastSavedStream();
    const WordLoadResult result = DocReader::readStreams(stream, {}, {}, {});
    ASSERT_TRUE(result) << result.message.toStdString();
    ASSERT_EQ(result.document->blocks.size(), 1u);
    const WordParagraph& paragraph = result.document->blocks[0].paragraph;
    EXPECT_EQ(paragraph.text(), QStringLiteral("Hello World"));
    ASSERT_EQ(paragraph.runs.size(), 2u);
    EXPECT_FALSE(paragraph.runs[0].format.bold);
    EXPECT_TRUE(paragraph.runs[1].format.bold);
    // fExtChar: the same pieces over two-byte (UTF-16) text.
    QByteArray wide = stream;
    put(wide, 0x0A, 0x1004, 2);
    const QString text = QStringLiteral("World\rHello ");
    wide.replace(0x400, 24, reinterpret_cast<const char*>(text.utf16()), 24);
    put(wide, 0x313, 0x400 + 12, 4);
    const WordLoadResult wideResult = DocReader::readStreams(wide, {}, {}, {});
    ASSERT_TRUE(wideResult) << wideResult.message.toStdString();
    EXPECT_EQ(wideResult.document->blocks[0].paragraph.text(), QStringLiteral("Hello World"));

    using Status = WordLoadResult::Status;
    QByteArray encrypted = stream;
    put(encrypted, 0x0A, 0x0104, 2);
    QByteArray badClx = stream;
    put(badClx, 0x164, 20, 4);  // the PlcPcd cut short
    QByteArray missingText = stream;
    put(missingText, 0x313, 0x4FE, 4);  // "Hello " past the end of the stream
    QByteArray word2 = stream;
    put(word2, 2, 45, 2);
    const QPair<QByteArray, Status> failures[] = {{stream.left(0x100), Status::Malformed},
                                                  {encrypted, Status::Encrypted},
                                                  {badClx, Status::Malformed},
                                                  {missingText, Status::Malformed},
                                                  {word2, Status::Unsupported}};
    for (const auto& failure : failures) {
        const WordLoadResult damaged = DocReader::readStreams(failure.first, {}, {}, {});
        EXPECT_FALSE(damaged);
        EXPECT_EQ(damaged.status, failure.second) << damaged.message.toStdString();
        EXPECT_FALSE(damaged.message.isEmpty());
    }
}

namespace {

/* The WordDocument stream of a corpus document. */
QByteArray corpusStream(const QString& name) {
    QFile file(QStringLiteral("../shared/corpus/doc/legacy/") + name);
    if (!file.open(QIODevice::ReadOnly)) {
        return QByteArray();
    }
    const QByteArray bytes = file.readAll();
    const DocStorage storage(bytes);
    return storage.wordDocument();
}

/* The text lines of a Word 6 stream read through the reader, empty on failure. */
QStringList streamLines(const QByteArray& stream) {
    const WordLoadResult result = DocReader::readStreams(stream, {}, {}, {});
    QStringList lines;
    if (result) {
        appendLines(result.document->blocks, lines);
    }
    return lines;
}

}  // namespace

TEST(DocWord6, StylesGiveFormatsAndTheCodePageOfUnformattedRuns) {
    QByteArray stream = fastSavedStream();
    stream.replace(0x400, 5, bytes({0xC0, 0xC1, 0xC2, 0xC3, 0xC4}));  // "АБВГД" in 1251
    // Fonts: 0 an ANSI font, 1 a Cyrillic one (chs 204).
    const QByteArray fonts = bytes({18, 0, 7, 0, 0, 0, 0, 0, 'A', 0, 7, 0, 0, 0, 204, 0, 'B', 0});
    // One paragraph style (sgc 1, no base, two UPXs) named "N": bold, font 1.
    const QByteArray stsh =
        bytes({14,   0, 1, 0, 8, 0, 0,   0, 0, 0, 0, 0, 0, 0, 0, 0,  23, 0,  0, 0, 0xF1,
               0xFF, 2, 0, 0, 0, 1, 'N', 0, 0, 2, 0, 0, 0, 5, 0, 85, 1,  93, 1, 0});
    stream.replace(0x1A0, fonts.size(), fonts);
    stream.replace(0x1E0, stsh.size(), stsh);
    put(stream, 0xD0, 0x1A0, 4);
    put(stream, 0xD4, static_cast<quint32>(fonts.size()), 4);
    put(stream, 0x60, 0x1E0, 4);
    put(stream, 0x64, static_cast<quint32>(stsh.size()), 4);
    const WordLoadResult result = DocReader::readStreams(stream, {}, {}, {});
    ASSERT_TRUE(result) << result.message.toStdString();
    const WordParagraph& paragraph = result.document->blocks[0].paragraph;
    EXPECT_EQ(paragraph.text(), QStringLiteral("Hello АБВГД"));
    ASSERT_FALSE(paragraph.runs.empty());
    EXPECT_TRUE(paragraph.runs[0].format.bold);
    EXPECT_EQ(paragraph.runs[0].format.fontName, QStringLiteral("B"));
}

TEST(DocWord6, BinTableListingFewerPagesThanTheHeaderCounts) {
    const QByteArray stream = corpusStream(QStringLiteral("Bug49933.doc"));
    ASSERT_FALSE(stream.isEmpty());
    const QStringList whole = streamLines(stream);
    ASSERT_GT(whole.size(), 100);
    // The character bin table cut to its first page (first and last offset, one page number):
    // the six pages after it, counted by cpnBteChp, still give the Cyrillic font of the runs.
    QByteArray cut = stream;
    const DocBytes view(stream);
    const quint32 plcAt = view.u32(0xB8);
    const int pages = view.u16(0x18E);
    ASSERT_EQ(pages, 7);
    put(cut, static_cast<int>(plcAt) + 4, view.u32(plcAt + pages * 4), 4);
    put(cut, static_cast<int>(plcAt) + 8, view.u16(plcAt + (pages + 1) * 4), 2);
    put(cut, 0xBC, 10, 4);
    EXPECT_EQ(streamLines(cut), whole);
    put(cut, 0x18E, 1, 2);  // counted as one page: the runs after it lose their font
    EXPECT_NE(streamLines(cut), whole);
}

TEST(DocWord6, CorruptedStreamsNeverCrash) {
    QRandomGenerator random(20261209);
    for (const char* name : {"Word95.doc", "52117.doc", "Bug49933.doc"}) {
        const QByteArray original = corpusStream(QLatin1String(name));
        ASSERT_FALSE(original.isEmpty()) << name;
        for (int round = 0; round < 150; ++round) {
            QByteArray bytes = original;
            // Half the damage lands in the file header, which names every structure.
            for (int i = 1 + static_cast<int>(random.bounded(12)); i > 0; --i) {
                const int range = i % 2 ? 0x192 : bytes.size();
                bytes[static_cast<int>(random.bounded(range))] =
                    static_cast<char>(random.bounded(256));
            }
            const WordLoadResult result = DocReader::readStreams(bytes, {}, {}, {});
            EXPECT_EQ(static_cast<bool>(result), result.document != nullptr) << name;
            EXPECT_EQ(static_cast<bool>(result), result.message.isEmpty()) << name;
        }
    }
}
