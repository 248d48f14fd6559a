// The .doc reader on small documents made by LibreOffice from our own .docx fixtures
// (tests/data/doc/, see scripts/fixtures/make_doc_fixtures.py), and on damaged input.

#include "office/word/doc/docreader.h"

#include "office/word/doc/docfkptable.h"
#include "office/word/doc/docstorage.h"
#include "office/word/wordfileloader.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <sys/stat.h>

#include <thread>

namespace {

/* Read a fixture through the reader. */
WordLoadResult readFixture(const char* name) {
    return DocReader::readFile(QStringLiteral("tests/data/doc/") + QLatin1String(name));
}

/* The bytes of a fixture. */
QByteArray fixtureBytes(const char* name) {
    QFile file(QStringLiteral("tests/data/doc/") + QLatin1String(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

/* The run of a paragraph whose text is text, or nullptr. */
const WordRun* findRun(const WordParagraph& paragraph, const QString& text) {
    for (const WordRun& run : paragraph.runs) {
        if (run.text.trimmed() == text) {
            return &run;
        }
    }
    return nullptr;
}

/* The body paragraphs of a document, in order. */
std::vector<const WordParagraph*> paragraphs(const WordDocument& document) {
    std::vector<const WordParagraph*> out;
    for (const WordBlock& block : document.blocks) {
        if (block.kind == WordBlock::Kind::Paragraph) {
            out.push_back(&block.paragraph);
        }
    }
    return out;
}

}  // namespace

TEST(DocReaderText, ParagraphsCharacterFormatsAndSpecialCharacters) {
    const WordLoadResult result = readFixture("reader.doc");
    ASSERT_TRUE(result) << result.message.toStdString();
    const auto paras = paragraphs(*result.document);
    ASSERT_GE(paras.size(), 6u);
    EXPECT_EQ(paras[0]->text(), QStringLiteral("Bold Italic Red14 Under Struck Courier"));
    const WordRun* bold = findRun(*paras[0], QStringLiteral("Bold"));
    const WordRun* italic = findRun(*paras[0], QStringLiteral("Italic"));
    const WordRun* red = findRun(*paras[0], QStringLiteral("Red14"));
    const WordRun* under = findRun(*paras[0], QStringLiteral("Under"));
    const WordRun* struck = findRun(*paras[0], QStringLiteral("Struck"));
    const WordRun* courier = findRun(*paras[0], QStringLiteral("Courier"));
    ASSERT_TRUE(bold && italic && red && under && struck && courier);
    EXPECT_TRUE(bold->format.bold);
    EXPECT_FALSE(bold->format.italic);
    EXPECT_TRUE(italic->format.italic);
    EXPECT_FALSE(italic->format.bold);
    EXPECT_EQ(red->format.color, 0xFF0000u);
    EXPECT_DOUBLE_EQ(red->format.fontSize, 14.0);
    EXPECT_EQ(bold->format.color, kAutoColor);
    EXPECT_EQ(under->format.underline, WordRunFormat::Underline::Single);
    EXPECT_TRUE(struck->format.strike);
    EXPECT_EQ(courier->format.fontName, QStringLiteral("Courier New"));
    EXPECT_FALSE(bold->format.fontName.isEmpty());

    EXPECT_EQ(paras[1]->text(), QStringLiteral("Centered"));
    EXPECT_EQ(paras[1]->alignment, WordParagraph::Alignment::Center);
    EXPECT_EQ(paras[0]->alignment, WordParagraph::Alignment::Default);

    // 16-bit piece text and the east-Asian font.
    EXPECT_EQ(paras[2]->text(), QStringLiteral("中文表格"));
    ASSERT_FALSE(paras[2]->runs.empty());
    EXPECT_EQ(paras[2]->runs[0].format.eastAsiaFontName, QStringLiteral("SimSun"));

    // A tab stays a tab, a line break is a line feed.
    EXPECT_EQ(paras[3]->text(), QStringLiteral("A\tB\nC"));
    // A field gives its result, never its instruction.
    EXPECT_TRUE(paras[4]->text().startsWith(QStringLiteral("Page ")));
    EXPECT_FALSE(paras[4]->text().contains(QStringLiteral("PAGE")));
    EXPECT_EQ(paras[4]->text().size(), 6);
}

TEST(DocReaderTables, HorizontalAndVerticalMergesAndNesting) {
    const WordLoadResult result = readFixture("reader.doc");
    ASSERT_TRUE(result);
    const auto tables = result.document->topLevelTables();
    ASSERT_EQ(tables.size(), 2u);
    const WordTable& merged = *tables[0];
    EXPECT_EQ(merged.gridColumnCount(), 3);
    ASSERT_EQ(merged.rows.size(), 3u);
    ASSERT_EQ(merged.rows[0].cells.size(), 2u);
    EXPECT_EQ(merged.rows[0].cells[0].text(), QStringLiteral("wide"));
    EXPECT_EQ(merged.rows[0].cells[0].gridSpan, 2);
    EXPECT_EQ(merged.rows[0].cells[1].text(), QStringLiteral("r0c2"));
    ASSERT_EQ(merged.rows[1].cells.size(), 3u);
    EXPECT_EQ(merged.rows[1].cells[2].text(), QStringLiteral("tall"));
    EXPECT_EQ(merged.rows[1].cells[2].verticalMerge, WordCell::VerticalMerge::Restart);
    EXPECT_EQ(merged.rows[2].cells[2].verticalMerge, WordCell::VerticalMerge::Continue);
    EXPECT_EQ(merged.rows[2].cells[0].verticalMerge, WordCell::VerticalMerge::None);
    // "Table Grid" borders reach every cell.
    EXPECT_TRUE(merged.borders.top.set || merged.rows[0].cells[0].borders.top.set);

    const WordTable& outer = *tables[1];
    ASSERT_EQ(outer.rows.size(), 1u);
    ASSERT_EQ(outer.rows[0].cells.size(), 2u);
    const WordCell& host = outer.rows[0].cells[1];
    int nested = 0;
    for (const WordBlock& block : host.blocks) {
        nested += block.kind == WordBlock::Kind::Table ? 1 : 0;
    }
    EXPECT_EQ(nested, 1);
    EXPECT_TRUE(host.text().startsWith(QStringLiteral("before\ni00\ti01\ni10\ti11\n")));
    EXPECT_TRUE(host.text().endsWith(QStringLiteral("after")));
}

TEST(DocReaderTables, GridWidthsShadingBordersAlignmentAndHeights) {
    const WordLoadResult result = readFixture("tables.doc");
    ASSERT_TRUE(result) << result.message.toStdString();
    const auto tables = result.document->topLevelTables();
    ASSERT_EQ(tables.size(), 3u);
    const WordTable& table = *tables[0];
    // LibreOffice rounds cell edges to within a twip of the .docx grid.
    const std::vector<int> grid = {1440, 2880, 720, 1440};
    ASSERT_EQ(table.gridColumnTwips.size(), grid.size());
    for (size_t i = 0; i < grid.size(); ++i) {
        EXPECT_NEAR(table.gridColumnTwips[i], grid[i], 1) << "column " << i;
    }
    ASSERT_EQ(table.rows.size(), 4u);
    EXPECT_EQ(table.rows[0].heightRule, WordRow::HeightRule::Auto);
    EXPECT_EQ(table.rows[1].heightRule, WordRow::HeightRule::Exact);
    EXPECT_EQ(table.rows[1].heightTwips, 600);
    bool yellow = false;
    bool doubleBlue = false;
    bool centred = false;
    for (const WordRow& row : table.rows) {
        for (const WordCell& cell : row.cells) {
            yellow |= cell.shading == 0xFFFF00u;
            doubleBlue |= cell.borders.bottom.set &&
                          cell.borders.bottom.line.style == BorderLine::Double &&
                          cell.borders.bottom.line.color == 0x0000FFu;
            centred |= cell.verticalAlignment == WordCell::VerticalAlignment::Center;
        }
    }
    EXPECT_TRUE(yellow);
    EXPECT_TRUE(doubleBlue);
    EXPECT_TRUE(centred);
    // A vertical merge over a horizontally merged block.
    EXPECT_EQ(table.rows[2].cells[0].gridSpan, 2);
    EXPECT_EQ(table.rows[2].cells[0].verticalMerge, WordCell::VerticalMerge::Restart);
    EXPECT_EQ(table.rows[3].cells[0].verticalMerge, WordCell::VerticalMerge::Continue);
}

TEST(DocReaderLoader, TheWordFileLoaderSendsBinaryDocumentsHere) {
    const WordLoadResult doc = WordFileLoader::load(QStringLiteral("tests/data/doc/tables.doc"));
    ASSERT_TRUE(doc) << doc.message.toStdString();
    EXPECT_EQ(doc.document->topLevelTables().size(), 3u);
    const WordLoadResult docx = WordFileLoader::load(QStringLiteral("tests/data/doc/reader.docx"));
    EXPECT_TRUE(docx);
    const WordLoadResult missing = WordFileLoader::load(QStringLiteral("tests/data/doc/none.doc"));
    EXPECT_EQ(missing.status, WordLoadResult::Status::NotFound);
}

TEST(DocReaderDamage, TruncatedFilesNeverCrash) {
    const QByteArray bytes = fixtureBytes("reader.doc");
    ASSERT_GT(bytes.size(), 4096);
    int failures = 0;
    for (int size = 0; size < bytes.size(); size += 509) {
        const WordLoadResult result = DocReader::readData(bytes.left(size));
        failures += result ? 0 : 1;
        if (!result) {
            EXPECT_NE(result.status, WordLoadResult::Status::Ok);
            EXPECT_FALSE(result.message.isEmpty());
        }
    }
    EXPECT_GT(failures, 0);
    EXPECT_TRUE(DocReader::readData(bytes));
}

TEST(DocReaderDamage, CorruptedBytesNeverCrash) {
    const QByteArray original = fixtureBytes("tables.doc");
    ASSERT_FALSE(original.isEmpty());
    QRandomGenerator random(20240607);
    for (int round = 0; round < 300; ++round) {
        QByteArray bytes = original;
        const int flips = 1 + static_cast<int>(random.bounded(16));
        for (int i = 0; i < flips; ++i) {
            bytes[static_cast<int>(random.bounded(bytes.size()))] =
                static_cast<char>(random.bounded(256));
        }
        const WordLoadResult result = DocReader::readData(bytes);
        if (result) {
            EXPECT_NE(result.document, nullptr);
        }
    }
}

TEST(DocReaderDamage, EncryptedAndForeignInput) {
    EXPECT_EQ(DocReader::readData(QByteArray()).status, WordLoadResult::Status::WrongFormat);
    EXPECT_EQ(DocReader::readData(QByteArray("not a doc")).status,
              WordLoadResult::Status::WrongFormat);
    // Setting fEncrypted in the file header makes the document one that cannot be opened.
    QByteArray bytes = fixtureBytes("reader.doc");
    const int header = bytes.indexOf(QByteArray("\xEC\xA5", 2));
    ASSERT_GT(header, 0);
    bytes[header + 0x0B] = static_cast<char>(bytes[header + 0x0B] | 0x01);
    EXPECT_EQ(DocReader::readData(bytes).status, WordLoadResult::Status::Encrypted);
}

TEST(DocReaderThreads, DocumentsReadOnSeveralThreadsAtOnce) {
    const QByteArray bytes = fixtureBytes("tables.doc");
    std::vector<std::thread> threads;
    std::vector<int> tableCounts(4, -1);
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&bytes, &tableCounts, t] {
            for (int i = 0; i < 25; ++i) {
                const WordLoadResult result = DocReader::readData(bytes);
                tableCounts[static_cast<size_t>(t)] =
                    result ? static_cast<int>(result.document->topLevelTables().size()) : 0;
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(tableCounts, (std::vector<int>{3, 3, 3, 3}));
}

namespace {

// File header offsets of a Word 97 FIB (fixed while csw is 14 and cslw is 22).
constexpr int kFibFlags = 0x0A;
constexpr int kFibCcpText = 0x4C;
constexpr int kFibChpxBins = 0xFA;
constexpr int kFibClx = 0x1A2;

/* Store a little-endian 32-bit value. */
void put32(QByteArray& bytes, int at, quint32 value) {
    for (int i = 0; i < 4; ++i) {
        bytes[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    }
}

/* Read a little-endian 32-bit value. */
quint32 get32(const QByteArray& bytes, int at) {
    quint32 value = 0;
    for (int i = 3; i >= 0; --i) {
        value = (value << 8) | static_cast<quint8>(bytes[at + i]);
    }
    return value;
}

// The streams of a fixture, for building hostile variants in memory.
struct Streams {
    QByteArray word;
    QByteArray table;  // the table stream the header names
    QByteArray data;

    /* The fixture's streams. */
    static Streams of(const char* name) {
        const DocStorage storage(fixtureBytes(name));
        Streams streams;
        streams.word = storage.wordDocument();
        streams.table = storage.tableStream(streams.which());
        streams.data = storage.dataStream();
        return streams;
    }
    /* Which table stream the header names. */
    int which() const { return (static_cast<quint8>(word[kFibFlags + 1]) & 0x02) ? 1 : 0; }
    /* Append a structure to the table stream and point a FIB range at it. */
    void replace(int fibRange, const QByteArray& structure) {
        put32(word, fibRange, static_cast<quint32>(table.size()));
        put32(word, fibRange + 4, static_cast<quint32>(structure.size()));
        table += structure;
    }
    /* Read them as a document. */
    WordLoadResult read() const {
        return which() == 1 ? DocReader::readStreams(word, QByteArray(), table, data)
                            : DocReader::readStreams(word, table, QByteArray(), data);
    }
};

/* A Clx of `count` 8-bit pieces, each naming `length` characters from stream offset `fc`. */
QByteArray clxNaming(int count, quint32 fc, quint32 length) {
    QByteArray plc;
    for (int i = 0; i <= count; ++i) {
        plc += QByteArray(4, 0), put32(plc, plc.size() - 4, static_cast<quint32>(i) * length);
    }
    for (int i = 0; i < count; ++i) {
        QByteArray pcd(8, 0);
        put32(pcd, 2, 0x40000000u | (fc * 2));
        plc += pcd;
    }
    QByteArray clx(1, static_cast<char>(0x02));
    clx += QByteArray(4, 0);
    put32(clx, 1, static_cast<quint32>(plc.size()));
    return clx + plc;
}

}  // namespace

TEST(DocReaderHostile, TextPastTheStreamsEndFailsTheStoryItBelongsTo) {
    const Streams streams = Streams::of("reader.doc");
    const quint32 fc =
        static_cast<quint32>(streams.word.size() - 10);  // 10 characters left in the stream
    const struct {
        const char* name;
        quint32 story;
        bool opens;
    } rows[] = {{"story within the stream", 10, true}, {"story past its end", 100, false}};
    for (const auto& row : rows) {
        Streams hostile = streams;
        hostile.replace(kFibClx, clxNaming(1, fc, 100));
        put32(hostile.word, kFibCcpText, row.story);
        const WordLoadResult result = hostile.read();
        EXPECT_EQ(static_cast<bool>(result), row.opens) << row.name << result.message.toStdString();
        if (!row.opens) {
            EXPECT_EQ(
                result.message,
                QStringLiteral("damaged document: the text lies outside the document stream"));
        }
    }
}

TEST(DocReaderHostile, PiecesNamingTheSameTextOverAndOverAreRefused) {
    Streams streams = Streams::of("reader.doc");
    ASSERT_FALSE(streams.word.isEmpty());
    // 8-bit text from offset 1024 to the end of the stream, named `count` times.
    const quint32 length = static_cast<quint32>(streams.word.size() - 1024);
    const struct {
        const char* name;
        int count;
        bool refused;
    } rows[] = {{"once", 1, false}, {"twice", 2, false}, {"many times", 1100, true}};
    for (const auto& row : rows) {
        Streams hostile = streams;
        hostile.replace(kFibClx, clxNaming(row.count, 1024, length));
        put32(hostile.word, kFibCcpText, static_cast<quint32>(row.count) * length);
        const WordLoadResult result = hostile.read();
        EXPECT_EQ(result.status == WordLoadResult::Status::TooLarge, row.refused) << row.name;
        EXPECT_EQ(static_cast<bool>(result), !row.refused)
            << row.name << result.message.toStdString();
    }
}

TEST(DocReaderHostile, AFormattingPageNamedAgainAndAgainIsReadOnce) {
    const Streams streams = Streams::of("reader.doc");
    const QByteArray bins =
        streams.table.mid(static_cast<int>(get32(streams.word, kFibChpxBins)),
                          static_cast<int>(get32(streams.word, kFibChpxBins + 4)));
    ASSERT_GE(bins.size(), 12);
    // The first page the document names: after the n + 1 positions of its n entries.
    const quint32 page = get32(bins, (bins.size() - 4) / 8 * 4 + 4);
    const auto binsNaming = [&](int count) {
        QByteArray plc;
        for (int i = 0; i <= count; ++i) {
            plc += QByteArray(4, 0), put32(plc, plc.size() - 4, static_cast<quint32>(i));
        }
        for (int i = 0; i < count; ++i) {
            plc += QByteArray(4, 0), put32(plc, plc.size() - 4, page);
        }
        return plc;
    };
    const DocBytes word(streams.word);
    DocFkpTable once;
    DocFkpTable often;
    ASSERT_TRUE(once.parse(DocFkpTable::Kind::Character, DocBytes(binsNaming(1)), word));
    ASSERT_TRUE(often.parse(DocFkpTable::Kind::Character, DocBytes(binsNaming(700000)), word));
    EXPECT_GT(once.runs().size(), 0);
    EXPECT_EQ(often.runs().size(), once.runs().size());
}

TEST(DocReaderHostile, HugeFilesAndPipesAreRefusedBeforeAnyRead) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString huge = dir.filePath(QStringLiteral("huge.doc"));
    QFile file(huge);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
    ASSERT_TRUE(
        file.resize(static_cast<qint64>(1) << 40));  // sparse: nothing written past the header
    file.close();
    const WordLoadResult big = WordFileLoader::load(huge);
    EXPECT_EQ(big.status, WordLoadResult::Status::TooLarge) << big.message.toStdString();
#ifndef _WIN32
    const QString pipe = dir.filePath(QStringLiteral("pipe.docx"));
    ASSERT_EQ(mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    const WordLoadResult fifo = WordFileLoader::load(pipe);
    EXPECT_FALSE(fifo);
    EXPECT_EQ(fifo.message, QStringLiteral("not a regular file"));
#endif
}
